// Test helper: loads a value plug-in as the host does, by dlopen and the eleven entry points by
// name. Each LoadedPlugin loads its own private copy of the library file, so every test starts
// from the library's state at load, whatever ran before it in the same process.
#ifndef KELVANE_PLUGIN_TESTS_PLUGIN_LOADER_H
#define KELVANE_PLUGIN_TESTS_PLUGIN_LOADER_H

#include <cstdint>
#include <string>
#include <vector>

namespace kv::plugin::testing {

struct PluginApi {
    const char* (*getLastError)(void) = nullptr;
    int32_t (*getAlgorithmCount)(void) = nullptr;
    const char* (*getAlgorithmName)(int32_t) = nullptr;
    int32_t (*getAlgorithmByName)(const char*) = nullptr;
    int32_t (*open)(uint32_t) = nullptr;
    void (*close)(void) = nullptr;
    const char* (*getInitialValueString)(int32_t) = nullptr;
    int32_t (*parse)(int32_t, const char*) = nullptr;
    uint32_t (*getOverlaySize)(int32_t) = nullptr;
    int32_t (*overlay)(int32_t, uint8_t*, uint32_t) = nullptr;
    const char* (*getNextValueString)(int32_t) = nullptr;
};

class LoadedPlugin {
  public:
    // prefix: "Serializer" or "Overlay".
    LoadedPlugin(const std::string& libraryPath, const std::string& prefix);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    // Empty when the library loaded and all eleven entry points were found.
    const std::string& loadError() const { return loadError_; }
    const PluginApi& api() const { return api_; }

    // Parses text with the algorithm and renders it into a buffer of exactly its overlay size;
    // empty when either call fails.
    std::vector<uint8_t> render(int32_t index, const char* text) const;

  private:
    void* handle_ = nullptr;
    PluginApi api_;
    std::string loadError_;
};

}  // namespace kv::plugin::testing

#endif
