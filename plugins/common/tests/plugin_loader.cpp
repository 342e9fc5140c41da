#include "plugin_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <system_error>

namespace kv::plugin::testing {
namespace {

template <typename Function>
bool bind(void* handle, const std::string& name, Function& function, std::string& error) {
    void* symbol = dlsym(handle, name.c_str());
    if (symbol == nullptr) {
        if (error.empty()) error = "missing " + name;
        return false;
    }
    function = reinterpret_cast<Function>(symbol);
    return true;
}

std::filesystem::path privateCopy(const std::string& libraryPath, std::error_code& error) {
    static std::atomic<int> counter{0};
    const std::filesystem::path copy =
        std::filesystem::temp_directory_path() /
        ("kelvane_plugin_" + std::to_string(getpid()) + "_" + std::to_string(counter++) + ".so");
    std::filesystem::copy_file(libraryPath, copy, std::filesystem::copy_options::overwrite_existing,
                               error);
    return copy;
}

}  // namespace

LoadedPlugin::LoadedPlugin(const std::string& libraryPath, const std::string& prefix) {
    std::error_code copyError;
    const std::filesystem::path copy = privateCopy(libraryPath, copyError);
    if (copyError) {
        loadError_ = "cannot copy " + libraryPath + ": " + copyError.message();
        return;
    }
    handle_ = dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL);
    std::filesystem::remove(copy, copyError);
    if (handle_ == nullptr) {
        loadError_ = dlerror();
        return;
    }
    const std::string p = prefix + "_";
    bind(handle_, p + "GetLastError", api_.getLastError, loadError_);
    bind(handle_, p + "GetAlgorithmCount", api_.getAlgorithmCount, loadError_);
    bind(handle_, p + "GetAlgorithmName", api_.getAlgorithmName, loadError_);
    bind(handle_, p + "GetAlgorithmByName", api_.getAlgorithmByName, loadError_);
    bind(handle_, p + "Open", api_.open, loadError_);
    bind(handle_, p + "Close", api_.close, loadError_);
    bind(handle_, p + "GetInitialValueString", api_.getInitialValueString, loadError_);
    bind(handle_, p + "Parse", api_.parse, loadError_);
    bind(handle_, p + "GetOverlaySize", api_.getOverlaySize, loadError_);
    bind(handle_, p + "Overlay", api_.overlay, loadError_);
    bind(handle_, p + "GetNextValueString", api_.getNextValueString, loadError_);
}

LoadedPlugin::~LoadedPlugin() {
    if (handle_ != nullptr) dlclose(handle_);
}

std::vector<uint8_t> LoadedPlugin::render(int32_t index, const char* text) const {
    if (api_.parse(index, text) != 1) return {};
    std::vector<uint8_t> bytes(api_.getOverlaySize(index));
    if (bytes.empty()) return {};
    if (api_.overlay(index, bytes.data(), static_cast<uint32_t>(bytes.size())) != 1) return {};
    return bytes;
}

}  // namespace kv::plugin::testing
