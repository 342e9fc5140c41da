// The eleven operations that every value plug-in exports, over its table of algorithms. The
// library's exports are thin wrappers around one static object of this class; it holds the
// library's only error text.
//
// Algorithm names live in 32-character slots, index = position. Every call that takes an index
// answers one outside the table with "Unsupported algorithm index %d" and its failure result,
// except the initial value, which is "0" for any index.
#ifndef KELVANE_PLUGIN_PLUGIN_LIBRARY_H
#define KELVANE_PLUGIN_PLUGIN_LIBRARY_H

#include <cstdint>

#include "kelvane/plugin/algorithm.h"
#include "kelvane/plugin/error_text.h"

namespace kv::plugin {

constexpr int32_t kNameSlot = 32;
using AlgorithmName = char[kNameSlot];

class PluginLibrary {
  public:
    constexpr PluginLibrary(const AlgorithmName* names, Algorithm* const* algorithms, int32_t count)
        : names_(names), algorithms_(algorithms), count_(count) {}
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const char* lastError() const { return error_.text(); }
    int32_t algorithmCount() const { return count_; }
    // Null with "Algorithm index must not be negative" or "Algorithm index too large".
    const char* algorithmName(int32_t index);
    // The first exact, case-sensitive match; -1 with "Algorithm '%s' not found" when none.
    int32_t algorithmByName(const char* name);
    int32_t open(uint32_t) { return 1; }
    void close() {}
    const char* initialValueString(int32_t) const { return "0"; }
    // 1 after storing the value, 0 on failure.
    int32_t parse(int32_t index, const char* text);
    // Bytes the next overlay writes; 0 on failure.
    uint32_t overlaySize(int32_t index);
    // 1 after writing the value's bytes into buffer, 0 on failure.
    int32_t overlay(int32_t index, uint8_t* buffer, uint32_t size);
    // Null on failure.
    const char* nextValueString(int32_t index);

  private:
    Algorithm* algorithm(int32_t index);

    const AlgorithmName* names_;
    Algorithm* const* algorithms_;
    int32_t count_;
    ErrorText error_;
};

}  // namespace kv::plugin

#endif
