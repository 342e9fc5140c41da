#include "kelvane/core/plugin_module_array.h"

#include <caprel/caprel.h>

#include <cstdint>
#include <utility>

#include "kelvane/core/xml_reading.h"

namespace kv {

namespace {

const PluginKind& KindOf(const CSerializerModule*) {
    return kSerializerKind;
}

const PluginKind& KindOf(const COverlayModule*) {
    return kOverlayKind;
}

}  // namespace

template <class Module>
Module* CPluginModuleArray<Module>::GetAt(std::size_t index) const {
    return index < modules_.size() ? modules_[index].get() : nullptr;
}

template <class Module>
int CPluginModuleArray<Module>::LoadListFile(const std::string& path) {
    int result = 0;
    if (!Open_Caprel(path.c_str(), reinterpret_cast<std::intptr_t>(this))) {
        GetXmlLastError(error_);
    } else {
        result = ReadList();
        Close_Caprel();
    }
    if (!result) FreeAll();
    return result;
}

template <class Module>
int CPluginModuleArray<Module>::ReadList() {
    const PluginKind& kind = KindOf(static_cast<const Module*>(nullptr));
    const std::int32_t root = GetRootElement_Caprel();
    if (root == -1) {
        GetXmlLastError(error_);
        return 0;
    }
    if (!IsXmlElementNamed(root, kind.listRoot, error_)) {
        error_ = kind.rootError;
        return 0;
    }
    for (std::int32_t child = GetFirstNamedChildElement_Caprel(root, "Module"); child != -1;
         child = GetNextNamedChildElement_Caprel(root, child, "Module")) {
        std::string name;
        std::string abbrev;
        if (!GetXmlAttribute(child, "Name", name, error_) ||
            !GetXmlAttribute(child, "Abbrev", abbrev, error_))
            return 0;
        modules_.push_back(std::make_unique<Module>(std::move(name), std::move(abbrev)));
    }
    if (modules_.empty()) {
        error_ = kind.noModules;
        return 0;
    }
    return 1;
}

template <class Module>
int CPluginModuleArray<Module>::OpenAll() {
    CloseAll();
    for (const auto& module : modules_) {
        if (!module->Open()) {
            error_ = module->TakeLastError();
            return 0;
        }
    }
    return 1;
}

template <class Module>
void CPluginModuleArray<Module>::CloseAll() {
    for (const auto& module : modules_)
        module->Close();
}

template <class Module>
void CPluginModuleArray<Module>::FreeAll() {
    CloseAll();
    modules_.clear();
}

template <class Module>
std::string CPluginModuleArray<Module>::TakeLastError() {
    return std::exchange(error_, std::string());
}

template class CPluginModuleArray<CSerializerModule>;
template class CPluginModuleArray<COverlayModule>;

}  // namespace kv
