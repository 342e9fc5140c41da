#include "kelvane/commands/dravik_verify_file.h"

#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {

CCommandDravik_VerifyFile::CCommandDravik_VerifyFile() : CCommandDravik_File(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Verify File";
    description_ = "Verify target flash with file";
    treeImage_ = 26;
}

CommandPage& CCommandDravik_VerifyFile::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_VerifyFile::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

int CCommandDravik_VerifyFile::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [&] { return DeclareFileAttributes(file); });
}

CCommandDravik_VerifyFile* CCommandDravik_VerifyFile::Create(std::string& error,
                                                             const std::string& fileName,
                                                             const std::string& typeText) {
    return CreateCommand<CCommandDravik_VerifyFile>(error, fileName, typeText);
}

CProjectTreeItem* CCommandDravik_VerifyFile::CreateFromArguments(std::string& error,
                                                                 const CommandArguments& args) {
    std::string fileName, type;
    if (!CommandTextArgument(args, 0, "CCommandDravik_VerifyFile", fileName, error) ||
        !CommandTextArgument(args, 1, "CCommandDravik_VerifyFile", type, error))
        return nullptr;
    return Create(error, fileName, type);
}

CCommandDravik_VerifyFile* CCommandDravik_VerifyFile::CreateDefault(std::string& error) {
    return Create(error, "NoFile.txt", "FILETYPE_TI_TXT");
}

int CCommandDravik_VerifyFile::SetParameters(const std::string& fileName,
                                             const std::string& typeText) {
    if (!SetFileParameters(fileName, typeText)) return 0;
    UpdateLabel();
    return 1;
}

void CCommandDravik_VerifyFile::UpdateLabel() {
    treeLabel_ = "Verify File '" + FileTitle() + "'";
    ShowLabel();
}

int CCommandDravik_VerifyFile::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Verifying file");
    params->AdvanceProgress(progressUnits_);
    CDravik* pod = TakePod(params, "CCommandDravik_VerifyFile::OnExecute");
    if (pod == nullptr) return 0;
    params->Log(Quoted(fullPath_) + " ", false);
    if (!pod->VerifyFile(fullPath_)) return FailFromPod(pod);
    return 1;
}

int CCommandDravik_VerifyFile::ReadXMLParameters(std::int32_t element) {
    std::string fileName, type;
    if (!ReadFileAttributes(element, fileName, type)) return 0;
    return SetParameters(fileName, type);
}

}  // namespace kv
