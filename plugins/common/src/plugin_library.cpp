#include "kelvane/plugin/plugin_library.h"

#include <cstring>

namespace kv::plugin {

Algorithm* PluginLibrary::algorithm(int32_t index) {
    if (index < 0 || index >= count_) {
        error_.format("Unsupported algorithm index %d", index);
        return nullptr;
    }
    return algorithms_[index];
}

const char* PluginLibrary::algorithmName(int32_t index) {
    if (index < 0) {
        error_.format("Algorithm index must not be negative");
        return nullptr;
    }
    if (index >= count_) {
        error_.format("Algorithm index too large");
        return nullptr;
    }
    return names_[index];
}

int32_t PluginLibrary::algorithmByName(const char* name) {
    if (name == nullptr) {
        error_.format("Algorithm name must not be NULL");
        return -1;
    }
    for (int32_t index = 0; index < count_; ++index) {
        if (std::strcmp(names_[index], name) == 0) return index;
    }
    error_.format("Algorithm '%s' not found", name);
    return -1;
}

int32_t PluginLibrary::parse(int32_t index, const char* text) {
    Algorithm* found = algorithm(index);
    return found != nullptr && found->parse(text, error_) ? 1 : 0;
}

uint32_t PluginLibrary::overlaySize(int32_t index) {
    const Algorithm* found = algorithm(index);
    return found != nullptr ? found->overlaySize() : 0;
}

int32_t PluginLibrary::overlay(int32_t index, uint8_t* buffer, uint32_t size) {
    const Algorithm* found = algorithm(index);
    return found != nullptr && found->render(buffer, size, error_) ? 1 : 0;
}

const char* PluginLibrary::nextValueString(int32_t index) {
    const Algorithm* found = algorithm(index);
    return found != nullptr ? found->nextValue() : nullptr;
}

}  // namespace kv::plugin
