// Identify Target: applies the processor's configuration pairs, identifies
// the chip and, when asked to, checks it against the project's processor.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"

namespace kv {

class CCommandDravik_Identify : public CCommandDravik {
  public:
    static constexpr const char* kElementName = "Dravik_Identify";

    CCommandDravik_Identify();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandDravik_Identify>> Attributes();
    static CCommandDravik_Identify* Create(std::string& error, int forceMatch);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_Identify* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(int forceMatch);
    int GetForceMatch() const { return bForceMatch; }
    // The page's setter: a changed value is stored and the document marked.
    void SetForceMatch(int forceMatch);

    CProjectTreeItem* CreateNew() override { return new CCommandDravik_Identify; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    int bForceMatch = 0;
};

}  // namespace kv
