// Every algorithm of the loaded plug-in modules, module by module in the
// modules' own order. The algorithms point into their modules, so the array is
// freed before the modules are.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/core/plugin_algorithm.h"

namespace kv {

template <class Algorithm, class Module>
class CPluginAlgorithmArray {
  public:
    CPluginAlgorithmArray() = default;
    CPluginAlgorithmArray(const CPluginAlgorithmArray&) = delete;
    CPluginAlgorithmArray& operator=(const CPluginAlgorithmArray&) = delete;
    virtual ~CPluginAlgorithmArray() { FreeAll(); }

    // Appends one algorithm per index of the module. A failing algorithm, or a
    // module without any, frees the whole array and returns 0.
    int LoadFromModule(Module* module);
    // The first algorithm matching both names exactly; nullptr when none.
    Algorithm* Find(const std::string& libraryName, const std::string& algorithmName) const;
    // Unbinds and deletes every algorithm.
    void FreeAll();

    std::size_t GetSize() const { return algorithms_.size(); }
    Algorithm* GetAt(std::size_t index) const;

    const std::string& GetLastError() const { return error_; }
    // Moves the error text out and leaves it empty.
    std::string TakeLastError();

  private:
    std::vector<std::unique_ptr<Algorithm>> algorithms_;
    std::string error_ = "No error";
};

class CArraySerializerAlgorithm final
    : public CPluginAlgorithmArray<CSerializerAlgorithm, CSerializerModule> {};
class CArrayOverlayAlgorithm final
    : public CPluginAlgorithmArray<COverlayAlgorithm, COverlayModule> {};

extern template class CPluginAlgorithmArray<CSerializerAlgorithm, CSerializerModule>;
extern template class CPluginAlgorithmArray<COverlayAlgorithm, COverlayModule>;

}  // namespace kv
