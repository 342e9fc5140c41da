// The modules of a plug-in list file ("Serializers.xml", "Overlays.xml"): a
// root element of the kind's name with one "Module" element per library,
// attributes "Name" (the library file) and "Abbrev" (the short name shown
// beside algorithm names).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/core/plugin_module.h"

namespace kv {

template <class Module>
class CPluginModuleArray {
  public:
    CPluginModuleArray() = default;
    CPluginModuleArray(const CPluginModuleArray&) = delete;
    CPluginModuleArray& operator=(const CPluginModuleArray&) = delete;
    virtual ~CPluginModuleArray() { FreeAll(); }

    // Reads the list file; the libraries are not loaded. On failure the array
    // is emptied.
    int LoadListFile(const std::string& path);
    // Closes every module, then opens each in order; the first failure stops.
    int OpenAll();
    void CloseAll();
    // CloseAll, then deletes every module.
    void FreeAll();

    std::size_t GetSize() const { return modules_.size(); }
    Module* GetAt(std::size_t index) const;
    void Add(std::unique_ptr<Module> module) { modules_.push_back(std::move(module)); }

    const std::string& GetLastError() const { return error_; }
    // Moves the error text out and leaves it empty.
    std::string TakeLastError();

  private:
    int ReadList();

    std::vector<std::unique_ptr<Module>> modules_;
    std::string error_ = "No error";
};

class CArraySerializerModule final : public CPluginModuleArray<CSerializerModule> {};
class CArrayOverlayModule final : public CPluginModuleArray<COverlayModule> {};

extern template class CPluginModuleArray<CSerializerModule>;
extern template class CPluginModuleArray<COverlayModule>;

}  // namespace kv
