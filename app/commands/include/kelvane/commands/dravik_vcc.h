// Set/Clear VCC: switches the target supply to a voltage, or off with 0.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"

namespace kv {

class CCommandDravik_VCC : public CCommandDravik {
  public:
    static constexpr const char* kElementName = "Dravik_VCC";

    CCommandDravik_VCC();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandDravik_VCC>> Attributes();
    static CCommandDravik_VCC* Create(std::string& error, std::uint32_t vcc);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_VCC* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    // Any value, 0 (off) included; sets image and label.
    int SetParameters(std::uint32_t vcc);
    std::uint32_t GetVCC() const { return dwVCC; }
    // The page's setter: a changed value is stored, image and label shown and
    // the document marked.
    void SetVCC(std::uint32_t vcc);

    void UpdateLabel() override;
    // A "VCC Off" step stays off.
    int PropagateVCC(std::uint32_t vcc) override;
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_VCC; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    void ShowImage();

    std::uint32_t dwVCC = 0;
};

}  // namespace kv
