// Program File: programs an image file into flash, optionally verifying it.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/dravik_file.h"

namespace kv {

class CCommandDravik_ProgramFile : public CCommandDravik_File {
  public:
    static constexpr const char* kElementName = "Dravik_ProgramFile";

    CCommandDravik_ProgramFile();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandDravik_ProgramFile>> Attributes();
    static CCommandDravik_ProgramFile* Create(std::string& error, const std::string& fileName,
                                              const std::string& typeText, int verify);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_ProgramFile* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(const std::string& fileName, const std::string& typeText, int verify);
    int GetVerifyMem() const { return bVerifyMem; }
    // The page's setter: a changed value is stored and the document marked.
    void SetVerifyMem(int verify);

    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_ProgramFile; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    int bVerifyMem = 0;
};

}  // namespace kv
