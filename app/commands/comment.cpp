#include "kelvane/commands/comment.h"

#include "kelvane/core/execute_params.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

CCommandComment::CCommandComment() : CCommandComment(Page()) {
    elementName_ = kElementName;
    displayName_ = "Comment";
    description_ = "Documentary comment";
    treeImage_ = 28;
    UpdateLabel();
}

CCommandComment::CCommandComment(CommandPage& page) : CPagedCommand(&page) {}

int CCommandComment::DeclareElement(CStdioXMLFile& file) {
    if (file.IsElementDeclared(kElementName)) return 1;
    return file.BeginElementDecl(kElementName) && file.EndElementDecl();
}

int CCommandComment::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [] { return 1; });
}

CCommandComment* CCommandComment::Create(std::string& /*error*/, const std::string& text) {
    auto* command = new CCommandComment;
    command->SetText(text);
    return command;
}

CProjectTreeItem* CCommandComment::CreateFromArguments(std::string& error,
                                                       const CommandArguments& args) {
    std::string text;
    if (!CommandTextArgument(args, 0, "CCommandComment", text, error)) return nullptr;
    return Create(error, text);
}

CCommandComment* CCommandComment::CreateDefault(std::string& error) {
    return Create(error, "Your comment here");
}

CommandPage& CCommandComment::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandComment::SetText(const std::string& text) {
    strText = text;
    printLabel_ = 0;
    printResult_ = 0;
    UpdateLabel();
    return 1;
}

void CCommandComment::SetCommentText(const std::string& text) {
    if (text == strText) return;
    strText = text;
    UpdateLabel();
    SetDocumentModified(1);
}

void CCommandComment::GetShortText(std::string& out, std::size_t maxLength, bool& complete) const {
    const char* blanks = " \t\r\n";
    std::size_t first = strText.find_first_not_of(blanks);
    complete = true;
    if (first == std::string::npos) {
        out.clear();
        return;
    }
    std::size_t last = strText.find_last_not_of(blanks);
    out = strText.substr(first, last - first + 1);
    std::size_t lineEnd = out.find_first_of("\r\n");
    if (lineEnd != std::string::npos) {
        out.erase(lineEnd);
        complete = false;
    }
    if (out.size() > maxLength) {
        out.erase(maxLength);
        complete = false;
    }
}

std::string CCommandComment::ShortLabel(std::size_t maxLength) const {
    std::string text;
    bool complete = true;
    GetShortText(text, maxLength, complete);
    return complete ? text : text + "...";
}

void CCommandComment::UpdateLabel() {
    treeLabel_ = "Comment '" + ShortLabel(20) + "'";
    ShowLabel();
}

int CCommandComment::CopyTo(CProjectTreeItem* item) {
    if (!CPagedCommand::CopyTo(item)) return 0;
    static_cast<CCommandComment*>(item)->strText = strText;
    return 1;
}

int CCommandComment::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Writing comment");
    params->AdvanceProgress(progressUnits_);
    if (!strText.empty()) params->Log(strText, true);
    return 1;
}

int CCommandComment::WriteXMLContent(CStdioXMLFile& file) {
    return file.WriteText(strText);
}

int CCommandComment::ReadText(std::int32_t element) {
    std::string text;
    if (!GetXmlElementText(element, text, false, error_)) return 0;
    return SetText(text);
}

int CCommandComment::ReadXMLParameters(std::int32_t element) {
    return ReadText(element);
}

}  // namespace kv
