#include "kelvane/core/plugin_lists.h"

#include <memory>

#include "kelvane/platform/message_box.h"

namespace kv {

namespace {

std::string Format(const char* format, const std::string& first, const std::string& second) {
    std::string text = format;
    for (const std::string* value : {&first, &second}) {
        const std::size_t at = text.find("%s");
        if (at == std::string::npos) break;
        text.replace(at, 2, *value);
    }
    return text;
}

// The text goes to the caller when it asks for it, else into a message box.
void Report(const std::string& text, std::string* error) {
    if (error != nullptr) *error = text;
    else messageBox(text, "Kelvane", kMbOk);
}

// One side's pair of lists.
template <class ModuleArray, class AlgorithmArray>
struct PluginLists {
    std::unique_ptr<ModuleArray> modules;
    std::unique_ptr<AlgorithmArray> algorithms;

    void Unload() {
        algorithms.reset();
        if (modules) modules->FreeAll();
        modules.reset();
    }

    int Load(const PluginKind& kind, const std::string& path, std::string* error) {
        Unload();
        modules = std::make_unique<ModuleArray>();
        if (!modules->LoadListFile(path) || !modules->OpenAll()) {
            const std::string detail = modules->TakeLastError();
            Unload();
            Report(Format(kind.loadModulesError, path, detail), error);
            return 0;
        }
        algorithms = std::make_unique<AlgorithmArray>();
        for (std::size_t index = 0; index < modules->GetSize(); ++index) {
            auto* module = modules->GetAt(index);
            if (!algorithms->LoadFromModule(module)) {
                const std::string detail = algorithms->TakeLastError();
                const std::string name = module->GetName();
                Unload();
                Report(Format(kind.loadAlgorithmsError, name, detail), error);
                return 0;
            }
        }
        return 1;
    }
};

PluginLists<CArraySerializerModule, CArraySerializerAlgorithm>& Serializers() {
    static PluginLists<CArraySerializerModule, CArraySerializerAlgorithm> lists;
    return lists;
}

PluginLists<CArrayOverlayModule, CArrayOverlayAlgorithm>& Overlays() {
    static PluginLists<CArrayOverlayModule, CArrayOverlayAlgorithm> lists;
    return lists;
}

}  // namespace

int CSerializerPlugins::LoadSerializerModules(const std::string& path, std::string* error) {
    return Serializers().Load(kSerializerKind, path, error);
}

void CSerializerPlugins::UnloadSerializerModules() {
    Serializers().Unload();
}

CArraySerializerModule* CSerializerPlugins::GetSerializerModules() {
    return Serializers().modules.get();
}

CArraySerializerAlgorithm* CSerializerPlugins::GetSerializerAlgorithms() {
    return Serializers().algorithms.get();
}

int COverlayPlugins::LoadOverlayModules(const std::string& path, std::string* error) {
    return Overlays().Load(kOverlayKind, path, error);
}

void COverlayPlugins::UnloadOverlayModules() {
    Overlays().Unload();
}

CArrayOverlayModule* COverlayPlugins::GetOverlayModules() {
    return Overlays().modules.get();
}

CArrayOverlayAlgorithm* COverlayPlugins::GetOverlayAlgorithms() {
    return Overlays().algorithms.get();
}

}  // namespace kv
