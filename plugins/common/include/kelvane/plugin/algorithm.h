// One algorithm of a value plug-in: it keeps the value of its last parse and renders it as bytes.
// Failures leave a text in the library's error buffer; success leaves that buffer alone.
#ifndef KELVANE_PLUGIN_ALGORITHM_H
#define KELVANE_PLUGIN_ALGORITHM_H

#include <cstdint>

#include "kelvane/plugin/error_text.h"

namespace kv::plugin {

class Algorithm {
  public:
    constexpr Algorithm() = default;
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    constexpr virtual ~Algorithm() = default;

    // Stores the value written in text; false with a text on failure.
    virtual bool parse(const char* text, ErrorText& error) = 0;
    // Number of bytes render() writes for the stored value.
    virtual uint32_t overlaySize() const = 0;
    // Writes overlaySize() bytes into buffer; false with a text when they do not fit.
    virtual bool render(uint8_t* buffer, uint32_t size, ErrorText& error) const = 0;
    // The value text the next run should use; empty before the first parse.
    virtual const char* nextValue() const = 0;
};

}  // namespace kv::plugin

#endif
