// Open JTAG: switches the target supply on and opens the chip's JTAG port.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"
#include "kelvane/core/command_roles.h"

namespace kv {

class CCommandDravik_Open : public CCommandDravik, public VccCommand {
  public:
    static constexpr const char* kElementName = "Dravik_Open";

    CCommandDravik_Open();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandDravik_Open>> Attributes();
    static CCommandDravik_Open* Create(std::string& error, std::uint32_t vcc);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_Open* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    // 0 stands for the project's default VCC, looked up when the command runs.
    int SetParameters(std::uint32_t vcc);
    std::uint32_t GetVCC() const { return dwVCC; }
    // The supply a run switches on: the stored value, or for 0 the default
    // VCC of the project being run (3300 without a project).
    std::uint32_t GetRunVCC() const;
    // The page's setter: a changed value is stored and the document marked.
    void SetVCC(std::uint32_t vcc);
    int SetVccParameter(std::uint32_t vcc) override { return SetParameters(vcc); }

    int PropagateVCC(std::uint32_t vcc) override;
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_Open; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    std::uint32_t dwVCC = 0;
};

}  // namespace kv
