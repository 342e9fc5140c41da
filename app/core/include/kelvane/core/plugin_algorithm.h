// One algorithm of a loaded value plug-in: its index in the module, its name
// and the label the pages show, "<name> (<module abbreviation>)".
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/core/plugin_module.h"

namespace kv {

class CPluginAlgorithm {
  public:
    explicit CPluginAlgorithm(const PluginKind& kind) : kind_(kind) {}
    CPluginAlgorithm(const CPluginAlgorithm&) = delete;
    CPluginAlgorithm& operator=(const CPluginAlgorithm&) = delete;
    virtual ~CPluginAlgorithm() = default;

    // Binds the index of the module (not owned) and takes the name from it.
    int Init(std::int32_t index, CPluginModule* module);
    // Index -1, no module.
    void Reset();

    const std::string& GetName() const { return name_; }
    const std::string& GetLabel() const { return label_; }
    std::int32_t GetIndex() const { return index_; }
    CPluginModule* GetModule() const { return module_; }
    // The module's library name, "Unknown" without a module.
    std::string GetModuleName() const;
    // Both names exactly: the library name with the module's, the algorithm
    // name with the one the module reports for the index now.
    bool Matches(const std::string& libraryName, const std::string& algorithmName) const;

    std::string GetInitialValue();
    int Parse(const std::string& text);
    int Render(std::uint8_t* buffer, std::uint32_t size);
    // 0 on failure.
    std::uint32_t GetOverlaySize();
    int GetNextValue(std::string& out);

    const std::string& GetLastError() const { return error_; }
    // Moves the error text out and leaves it empty.
    std::string TakeLastError();

  private:
    int NoModule();
    int TakeModuleError();

    const PluginKind& kind_;
    std::string error_ = "No error";
    std::string name_;
    std::string label_;
    CPluginModule* module_ = nullptr;
    std::int32_t index_ = -1;
};

class CSerializerAlgorithm final : public CPluginAlgorithm {
  public:
    CSerializerAlgorithm() : CPluginAlgorithm(kSerializerKind) {}
};

class COverlayAlgorithm final : public CPluginAlgorithm {
  public:
    COverlayAlgorithm() : CPluginAlgorithm(kOverlayKind) {}
};

}  // namespace kv
