// Blow JTAG Fuse: blows the chip's JTAG security fuse.
#pragma once

#include <string>

#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"

namespace kv {

class CCommandDravik_BlowFuse : public CCommandDravik {
  public:
    static constexpr const char* kElementName = "Dravik_BlowFuse";

    CCommandDravik_BlowFuse();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static CCommandDravik_BlowFuse* Create(std::string& error);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_BlowFuse* CreateDefault(std::string& error) { return Create(error); }
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters() { return 1; }

    CProjectTreeItem* CreateNew() override { return new CCommandDravik_BlowFuse; }
    int OnExecute(CExecuteParams* params) override;
};

}  // namespace kv
