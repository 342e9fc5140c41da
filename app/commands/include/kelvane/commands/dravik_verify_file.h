// Verify File: compares the target's flash with an image file.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_class.h"
#include "kelvane/commands/dravik_file.h"

namespace kv {

class CCommandDravik_VerifyFile : public CCommandDravik_File {
  public:
    static constexpr const char* kElementName = "Dravik_VerifyFile";

    CCommandDravik_VerifyFile();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static CCommandDravik_VerifyFile* Create(std::string& error, const std::string& fileName,
                                             const std::string& typeText);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_VerifyFile* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(const std::string& fileName, const std::string& typeText);

    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_VerifyFile; }
    int OnExecute(CExecuteParams* params) override;
    int ReadXMLParameters(std::int32_t element) override;
};

}  // namespace kv
