#include "kelvane/core/plugin_algorithm_array.h"

#include <utility>

namespace kv {

namespace {

const PluginKind& KindOf(const CSerializerAlgorithm*) {
    return kSerializerKind;
}

const PluginKind& KindOf(const COverlayAlgorithm*) {
    return kOverlayKind;
}

}  // namespace

template <class Algorithm, class Module>
int CPluginAlgorithmArray<Algorithm, Module>::LoadFromModule(Module* module) {
    const PluginKind& kind = KindOf(static_cast<const Algorithm*>(nullptr));
    if (!module) {
        error_ = kind.nullModuleList;
        return 0;
    }
    const std::int32_t count = module->GetAlgorithmCount();
    if (count < 0) {
        error_ = module->TakeLastError();
        FreeAll();
        return 0;
    }
    for (std::int32_t index = 0; index < count; ++index) {
        auto algorithm = std::make_unique<Algorithm>();
        if (!algorithm->Init(index, module)) {
            error_ = algorithm->TakeLastError();
            FreeAll();
            return 0;
        }
        algorithms_.push_back(std::move(algorithm));
    }
    if (count == 0) {
        error_ = kind.noAlgorithms;
        FreeAll();
        return 0;
    }
    return 1;
}

template <class Algorithm, class Module>
Algorithm* CPluginAlgorithmArray<Algorithm, Module>::Find(const std::string& libraryName,
                                                          const std::string& algorithmName) const {
    for (const auto& algorithm : algorithms_)
        if (algorithm->Matches(libraryName, algorithmName)) return algorithm.get();
    return nullptr;
}

template <class Algorithm, class Module>
void CPluginAlgorithmArray<Algorithm, Module>::FreeAll() {
    for (const auto& algorithm : algorithms_)
        algorithm->Reset();
    algorithms_.clear();
}

template <class Algorithm, class Module>
Algorithm* CPluginAlgorithmArray<Algorithm, Module>::GetAt(std::size_t index) const {
    return index < algorithms_.size() ? algorithms_[index].get() : nullptr;
}

template <class Algorithm, class Module>
std::string CPluginAlgorithmArray<Algorithm, Module>::TakeLastError() {
    return std::exchange(error_, std::string());
}

template class CPluginAlgorithmArray<CSerializerAlgorithm, CSerializerModule>;
template class CPluginAlgorithmArray<COverlayAlgorithm, COverlayModule>;

}  // namespace kv
