// Close JTAG: leaves emulation, releases the chip's JTAG port and may switch
// the target supply off.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"

namespace kv {

class CCommandDravik_Close : public CCommandDravik {
  public:
    static constexpr const char* kElementName = "Dravik_Close";

    CCommandDravik_Close();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandDravik_Close>> Attributes();
    static CCommandDravik_Close* Create(std::string& error, int vccOff);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_Close* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(int vccOff);
    int GetVccOff() const { return bVccOff; }
    // The page's setter: a changed value is stored and the document marked.
    void SetVccOff(int vccOff);

    CProjectTreeItem* CreateNew() override { return new CCommandDravik_Close; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    int bVccOff = 0;
};

}  // namespace kv
