#include "kelvane/commands/command_text.h"
#include "kelvane/commands/tovrin_file_commands.h"
#include "kelvane/core/stdio_xml_file.h"

namespace kv {

CCommandTovrin_WriteFile::CCommandTovrin_WriteFile() : CCommandTovrin_File(Page()) {
    Describe(kElementName, "Write File (BSL)", "Write file to flash via Tovrin", 25);
}

int CCommandTovrin_WriteFile::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandTovrin_WriteFile>> CCommandTovrin_WriteFile::Attributes() {
    using T = CCommandTovrin_WriteFile;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "bVerifyMem", .form = AttributeForm::kBool, .number = &T::bVerifyMem},
    };
    return kAttributes;
}

int CCommandTovrin_WriteFile::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [&] {
        return DeclareFileAttributes(file) && DeclareCommandAttributes(file, Attributes());
    });
}

CProjectTreeItem* CCommandTovrin_WriteFile::CreateFromArguments(std::string& error,
                                                                const CommandArguments& args) {
    std::string name;
    std::string type;
    std::uint32_t verify = 0;
    const char* cls = "CCommandTovrin_WriteFile";
    if (!CommandTextArgument(args, 0, cls, name, error) ||
        !CommandTextArgument(args, 1, cls, type, error) ||
        !CommandNumberArgument(args, 2, cls, verify, error))
        return nullptr;
    auto* command = new CCommandTovrin_WriteFile;
    if (!command->SetParameters(name, type, verify != 0)) {
        error = command->TakeError();
        delete command;
        return nullptr;
    }
    return command;
}

CProjectTreeItem* CCommandTovrin_WriteFile::CreateDefault(std::string& error) {
    return CreateFromArguments(
        error, {std::string("NoFile.txt"), std::string("FILETYPE_TI_TXT"), std::uint32_t{1}});
}

CommandPage& CCommandTovrin_WriteFile::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandTovrin_WriteFile::SetParameters(const std::string& fileName,
                                            const std::string& fileType, int verifyMem) {
    if (!CCommandTovrin_File::SetParameters(fileName, fileType)) return 0;
    bVerifyMem = verifyMem != 0;
    UpdateLabel();
    return 1;
}

void CCommandTovrin_WriteFile::SetVerifyMem(int verifyMem) {
    if ((verifyMem != 0) == (bVerifyMem != 0)) return;
    bVerifyMem = verifyMem != 0;
    SetDocumentModified(1);
}

void CCommandTovrin_WriteFile::UpdateLabel() {
    SetLabel("Write File '" + FileTitle() + "' (BSL)");
}

int CCommandTovrin_WriteFile::CopyTo(CProjectTreeItem* item) {
    if (!CCommandTovrin_File::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *static_cast<CCommandTovrin_WriteFile*>(item), Attributes());
    return 1;
}

int CCommandTovrin_WriteFile::OnExecute(CExecuteParams* params) {
    // Every frame the adapter writes is verified by the loader as it goes.
    return TransferFile(params, true, "CCommandTovrin_WriteFile");
}

int CCommandTovrin_WriteFile::WriteXMLAttributes(CStdioXMLFile& file) {
    return CCommandTovrin_File::WriteXMLAttributes(file) &&
           WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandTovrin_WriteFile::ReadXMLParameters(std::int32_t element) {
    if (!CCommandTovrin_File::ReadXMLParameters(element)) return 0;
    CCommandTovrin_WriteFile values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    bVerifyMem = values.bVerifyMem;
    return 1;
}

}  // namespace kv
