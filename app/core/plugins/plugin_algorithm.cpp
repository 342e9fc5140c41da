#include "kelvane/core/plugin_algorithm.h"

#include <utility>

namespace kv {

int CPluginAlgorithm::Init(std::int32_t index, CPluginModule* module) {
    index_ = index;
    module_ = module;
    if (!module_) return NoModule();
    if (!module_->GetAlgorithmName(index_, name_)) return TakeModuleError();
    label_ = name_ + " (" + module_->GetAbbrev() + ")";
    return 1;
}

void CPluginAlgorithm::Reset() {
    index_ = -1;
    module_ = nullptr;
}

std::string CPluginAlgorithm::GetModuleName() const {
    return module_ ? module_->GetName() : "Unknown";
}

bool CPluginAlgorithm::Matches(const std::string& libraryName,
                               const std::string& algorithmName) const {
    if (!module_ || module_->GetName() != libraryName) return false;
    std::string reported;
    if (!module_->GetAlgorithmName(index_, reported)) {
        module_->TakeLastError();
        return false;
    }
    return reported == algorithmName;
}

std::string CPluginAlgorithm::GetInitialValue() {
    if (!module_) return std::string();
    return module_->GetInitialValueString(index_);
}

int CPluginAlgorithm::Parse(const std::string& text) {
    if (!module_) return NoModule();
    return module_->Parse(index_, text) ? 1 : TakeModuleError();
}

int CPluginAlgorithm::Render(std::uint8_t* buffer, std::uint32_t size) {
    if (!module_) return NoModule();
    return module_->Overlay(index_, buffer, size) ? 1 : TakeModuleError();
}

std::uint32_t CPluginAlgorithm::GetOverlaySize() {
    if (!module_) return static_cast<std::uint32_t>(NoModule());
    const std::uint32_t size = module_->GetOverlaySize(index_);
    if (size == 0) TakeModuleError();
    return size;
}

int CPluginAlgorithm::GetNextValue(std::string& out) {
    if (!module_) return NoModule();
    return module_->GetNextValueString(index_, out) ? 1 : TakeModuleError();
}

std::string CPluginAlgorithm::TakeLastError() {
    return std::exchange(error_, std::string());
}

int CPluginAlgorithm::NoModule() {
    error_ = kind_.nullModule;
    return 0;
}

int CPluginAlgorithm::TakeModuleError() {
    error_ = module_->TakeLastError();
    return 0;
}

}  // namespace kv
