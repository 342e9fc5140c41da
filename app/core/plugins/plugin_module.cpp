#include "kelvane/core/plugin_module.h"

#include <dlfcn.h>

#include <cstdio>
#include <utility>

#include "plugin_library.h"

namespace kv {

const PluginKind kSerializerKind = {
    "Serializer",
    "Serializers",
    "Root element name for the serializer modules must be 'Serializers'",
    "Did not find any Serializer Modules",
    "Can not load serializer algorithms from NULL module",
    "Did not load any serializer algorithms",
    "NULL serializer module",
    "Could not load serializer modules from %s\n%s",
    "Could not load serializer algorithms from %s\n%s",
};

const PluginKind kOverlayKind = {
    "Overlay",
    "Overlays",
    "Root element name for the overlay modules must be 'Overlays'",
    "Did not find any Overlay Modules",
    "Can not load overlay algorithms from NULL module",
    "Did not load any overlay algorithms",
    "NULL overlay module",
    "Could not load overlay modules from %s\n%s",
    "Could not load overlay algorithms from %s\n%s",
};

CPluginModule::CPluginModule(const PluginKind& kind, std::string name, std::string abbrev)
    : kind_(kind), name_(std::move(name)), abbrev_(std::move(abbrev)) {}

CPluginModule::~CPluginModule() {
    Close();
}

std::string CPluginModule::FullName(const char* entryPoint) const {
    return std::string(kind_.prefix) + "_" + entryPoint;
}

template <class Function>
bool CPluginModule::Bind(const char* entryPoint, Function& function) {
    const std::string symbol = FullName(entryPoint);
    void* address = dlsym(library_, symbol.c_str());
    if (!address) {
        error_ = "Unable to enumerate '" + symbol + "' in '" + name_ + "'";
        return false;
    }
    function = reinterpret_cast<Function>(address);
    return true;
}

int CPluginModule::Open() {
    Close();
    std::uint32_t code = 0;
    std::string reason;
    library_ = plugin::LoadLibrary(name_, &code, &reason);
    if (!library_) {
        char text[16];
        std::snprintf(text, sizeof text, "%08lX", static_cast<unsigned long>(code));
        error_ = "Unable to open DLL " + name_ + ":  " + text + "\n" + reason;
        return 0;
    }
    const bool bound =
        Bind("GetLastError", entry_.GetLastError) &&
        Bind("GetAlgorithmCount", entry_.GetAlgorithmCount) &&
        Bind("GetAlgorithmName", entry_.GetAlgorithmName) &&
        Bind("GetAlgorithmByName", entry_.GetAlgorithmByName) && Bind("Open", entry_.Open) &&
        Bind("Close", entry_.Close) &&
        Bind("GetInitialValueString", entry_.GetInitialValueString) &&
        Bind("Parse", entry_.Parse) && Bind("GetOverlaySize", entry_.GetOverlaySize) &&
        Bind("Overlay", entry_.Overlay) && Bind("GetNextValueString", entry_.GetNextValueString);
    if (!bound) {
        std::string text = std::move(error_);
        Close();
        error_ = std::move(text);
        return 0;
    }
    if (!entry_.Open(0)) {
        const char* text = entry_.GetLastError();
        std::string message = "Unable to open DLL " + name_ + ":\n" + (text ? text : "");
        Close();
        error_ = std::move(message);
        return 0;
    }
    return 1;
}

void CPluginModule::Close() {
    if (library_) {
        if (entry_.Close) entry_.Close();
        plugin::FreeLibrary(library_);
        library_ = nullptr;
    }
    entry_ = EntryPoints{};
}

int CPluginModule::Unbound(const char* entryPoint) {
    error_ = "NULL pointer to " + FullName(entryPoint) + "()";
    return 0;
}

void CPluginModule::TakePluginError(const char* entryPoint) {
    if (!entry_.GetLastError) {
        error_ = "Unknown error calling " + FullName(entryPoint);
        return;
    }
    const char* text = entry_.GetLastError();
    error_ = text ? text : "";
}

std::int32_t CPluginModule::GetAlgorithmCount() {
    if (!entry_.GetAlgorithmCount) return Unbound("GetAlgorithmCount"), -1;
    const std::int32_t count = entry_.GetAlgorithmCount();
    if (count < 0) {
        TakePluginError("GetAlgorithmCount");
        return -1;
    }
    return count;
}

int CPluginModule::GetAlgorithmName(std::int32_t index, std::string& out) {
    if (!entry_.GetAlgorithmName) return Unbound("GetAlgorithmName");
    const char* name = entry_.GetAlgorithmName(index);
    if (!name) {
        TakePluginError("GetAlgorithmName");
        return 0;
    }
    out = name;
    return 1;
}

std::string CPluginModule::GetInitialValueString(std::int32_t index) {
    if (!entry_.GetInitialValueString) {
        Unbound("GetInitialValueString");
        return std::string();
    }
    const char* text = entry_.GetInitialValueString(index);
    return text ? text : "";
}

int CPluginModule::Parse(std::int32_t index, const std::string& text) {
    if (!entry_.Parse) return Unbound("Parse");
    if (!entry_.Parse(index, text.c_str())) {
        TakePluginError("Parse");
        return 0;
    }
    return 1;
}

std::uint32_t CPluginModule::GetOverlaySize(std::int32_t index) {
    if (!entry_.GetOverlaySize) return static_cast<std::uint32_t>(Unbound("GetOverlaySize"));
    const std::uint32_t size = entry_.GetOverlaySize(index);
    if (size == 0) TakePluginError("GetOverlaySize");
    return size;
}

int CPluginModule::Overlay(std::int32_t index, std::uint8_t* buffer, std::uint32_t size) {
    if (!entry_.Overlay) return Unbound("Overlay");
    if (!entry_.Overlay(index, buffer, size)) {
        TakePluginError("Overlay");
        return 0;
    }
    return 1;
}

int CPluginModule::GetNextValueString(std::int32_t index, std::string& out) {
    if (!entry_.GetNextValueString) return Unbound("GetNextValueString");
    const char* text = entry_.GetNextValueString(index);
    if (!text) {
        TakePluginError("GetNextValueString");
        return 0;
    }
    out = text;
    return 1;
}

std::string CPluginModule::TakeLastError() {
    return std::exchange(error_, std::string());
}

}  // namespace kv
