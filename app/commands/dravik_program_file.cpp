#include "kelvane/commands/dravik_program_file.h"

#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {

CCommandDravik_ProgramFile::CCommandDravik_ProgramFile() : CCommandDravik_File(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Program File";
    description_ = "Program file to flash";
    treeImage_ = 25;
}

CommandPage& CCommandDravik_ProgramFile::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_ProgramFile::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_ProgramFile>>
CCommandDravik_ProgramFile::Attributes() {
    using T = CCommandDravik_ProgramFile;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "bVerifyMem", .form = AttributeForm::kBool, .number = &T::bVerifyMem},
    };
    return kAttributes;
}

int CCommandDravik_ProgramFile::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [&] {
        return DeclareFileAttributes(file) && DeclareCommandAttributes(file, Attributes());
    });
}

CCommandDravik_ProgramFile* CCommandDravik_ProgramFile::Create(std::string& error,
                                                               const std::string& fileName,
                                                               const std::string& typeText,
                                                               int verify) {
    return CreateCommand<CCommandDravik_ProgramFile>(error, fileName, typeText, verify);
}

CProjectTreeItem* CCommandDravik_ProgramFile::CreateFromArguments(std::string& error,
                                                                  const CommandArguments& args) {
    std::string fileName, type;
    std::uint32_t verify = 0;
    if (!CommandTextArgument(args, 0, "CCommandDravik_ProgramFile", fileName, error) ||
        !CommandTextArgument(args, 1, "CCommandDravik_ProgramFile", type, error) ||
        !CommandNumberArgument(args, 2, "CCommandDravik_ProgramFile", verify, error))
        return nullptr;
    return Create(error, fileName, type, verify != 0);
}

CCommandDravik_ProgramFile* CCommandDravik_ProgramFile::CreateDefault(std::string& error) {
    return Create(error, "NoFile.txt", "FILETYPE_TI_TXT", 1);
}

int CCommandDravik_ProgramFile::SetParameters(const std::string& fileName,
                                              const std::string& typeText, int verify) {
    if (!SetFileParameters(fileName, typeText)) return 0;
    bVerifyMem = verify != 0;
    UpdateLabel();
    return 1;
}

void CCommandDravik_ProgramFile::SetVerifyMem(int verify) {
    const int flag = verify != 0;
    if (flag == bVerifyMem) return;
    bVerifyMem = flag;
    SetDocumentModified(1);
}

void CCommandDravik_ProgramFile::UpdateLabel() {
    treeLabel_ = "Program File '" + FileTitle() + "'";
    ShowLabel();
}

int CCommandDravik_ProgramFile::CopyTo(CProjectTreeItem* item) {
    auto* copy = dynamic_cast<CCommandDravik_ProgramFile*>(item);
    if (copy == nullptr) return Fail("Unable to spawn NULL new item");
    if (!CCommandDravik_File::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

int CCommandDravik_ProgramFile::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Programming file");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_ProgramFile::OnExecute");
    if (pod == nullptr) return 0;
    params->Log(Quoted(fullPath_) + " ", false);
    // Type 0: the library tells TI-TXT from Intel HEX by the file's first line.
    if (!pod->ProgramFile(fullPath_, NANDREL_PROGRAM_ERASE_NONE, bVerifyMem)) return FailFromPod(pod);
    return 1;
}

int CCommandDravik_ProgramFile::WriteXMLAttributes(CStdioXMLFile& file) {
    return CCommandDravik_File::WriteXMLAttributes(file) &&
           WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_ProgramFile::ReadXMLParameters(std::int32_t element) {
    std::string fileName, type;
    CCommandDravik_ProgramFile values;
    if (!ReadFileAttributes(element, fileName, type) ||
        !ReadCommandAttributes(element, values, Attributes(), error_))
        return 0;
    return SetParameters(fileName, type, values.bVerifyMem);
}

}  // namespace kv
