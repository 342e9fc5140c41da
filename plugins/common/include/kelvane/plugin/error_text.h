// The one last-error text of a value plug-in: a fixed static buffer whose address stays valid for
// the library's life, empty at load, overwritten by every failing call.
#ifndef KELVANE_PLUGIN_ERROR_TEXT_H
#define KELVANE_PLUGIN_ERROR_TEXT_H

#include <cstddef>

namespace kv::plugin {

class ErrorText {
  public:
    static constexpr std::size_t kCapacity = 1024;

    const char* text() const { return text_; }
    // Formats a new text; a text longer than the buffer is cut, never overruns it.
    void format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

  private:
    char text_[kCapacity] = {};
};

}  // namespace kv::plugin

#endif
