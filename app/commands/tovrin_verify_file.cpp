#include "kelvane/commands/tovrin_file_commands.h"
#include "kelvane/core/stdio_xml_file.h"

namespace kv {

CCommandTovrin_VerifyFile::CCommandTovrin_VerifyFile() : CCommandTovrin_File(Page()) {
    Describe(kElementName, "Verify File (BSL)", "Verify target flash with file via Tovrin", 26);
}

int CCommandTovrin_VerifyFile::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

int CCommandTovrin_VerifyFile::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [&] { return DeclareFileAttributes(file); });
}

CProjectTreeItem* CCommandTovrin_VerifyFile::CreateFromArguments(std::string& error,
                                                                 const CommandArguments& args) {
    std::string name;
    std::string type;
    const char* cls = "CCommandTovrin_VerifyFile";
    if (!CommandTextArgument(args, 0, cls, name, error) ||
        !CommandTextArgument(args, 1, cls, type, error))
        return nullptr;
    auto* command = new CCommandTovrin_VerifyFile;
    if (!command->SetParameters(name, type)) {
        error = command->TakeError();
        delete command;
        return nullptr;
    }
    return command;
}

CProjectTreeItem* CCommandTovrin_VerifyFile::CreateDefault(std::string& error) {
    return CreateFromArguments(error, {std::string("NoFile.txt"), std::string("FILETYPE_TI_TXT")});
}

CommandPage& CCommandTovrin_VerifyFile::Page() {
    static CommandPage page(kElementName);
    return page;
}

void CCommandTovrin_VerifyFile::UpdateLabel() {
    SetLabel("Verify File '" + FileTitle() + "' (BSL)");
}

int CCommandTovrin_VerifyFile::OnExecute(CExecuteParams* params) {
    return TransferFile(params, false, "CCommandTovrin_VerifyFile");
}

}  // namespace kv
