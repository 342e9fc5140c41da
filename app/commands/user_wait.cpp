#include "kelvane/commands/user_wait.h"

#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/message_box.h"

namespace kv {

CCommandUserWait::CCommandUserWait() : CCommandComment(Page()) {
    elementName_ = kElementName;
    displayName_ = "UserWait";
    description_ = "Wait for user";
    treeImage_ = 27;
    UpdateLabel();
}

CommandPage& CCommandUserWait::Page() {
    static CommandPage page(kElementName);
    return page;
}

CMapParameterXML& CCommandUserWait::ButtonMap() {
    static CMapParameterXML map;
    return map;
}

int CCommandUserWait::InitEnumTable(std::string& /*error*/) {
    CMapParameterXML& map = ButtonMap();
    map.RemoveAll();
    map.AddWord("MB_OK", "OK only", kMbOk);
    map.AddWord("MB_OKCANCEL", "OK, Cancel", kMbOkCancel);
    map.AddWord("MB_YESNO", "Yes, No", kMbYesNo);
    return 1;
}

int CCommandUserWait::DeclareElement(CStdioXMLFile& file) {
    if (file.IsElementDeclared(kElementName)) return 1;
    return file.BeginElementDecl(kElementName) && file.EndElementDecl();
}

std::span<const CommandAttribute<CCommandUserWait>> CCommandUserWait::Attributes() {
    using T = CCommandUserWait;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "wType",
         .form = AttributeForm::kKeyword,
         .word = &T::wType,
         .map = &ButtonMap,
         .width = KeywordWidth::kWord,
         .read = KeywordRead::kParseLast},
    };
    return kAttributes;
}

int CCommandUserWait::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CCommandUserWait* CCommandUserWait::Create(std::string& error, const std::string& type,
                                           const std::string& text) {
    auto* command = new CCommandUserWait;
    if (!command->SetParameters(type, text)) {
        error = command->TakeError();
        delete command;
        return nullptr;
    }
    return command;
}

CProjectTreeItem* CCommandUserWait::CreateFromArguments(std::string& error,
                                                        const CommandArguments& args) {
    std::string type, text;
    if (!CommandTextArgument(args, 0, "CCommandUserWait", type, error) ||
        !CommandTextArgument(args, 1, "CCommandUserWait", text, error))
        return nullptr;
    return Create(error, type, text);
}

CCommandUserWait* CCommandUserWait::CreateDefault(std::string& error) {
    return Create(error, "MB_OK", "Ready to continue?");
}

int CCommandUserWait::SetParameters(const std::string& type, const std::string& text) {
    std::uint16_t value = 0;
    CMapParameterXML& map = ButtonMap();
    if (!map.ParseNamedWORD(type, &value)) return Fail(map.TakeErrorWithExpected());
    wType = value;
    return SetText(text);
}

void CCommandUserWait::SetType(std::uint16_t type) {
    if (type == wType) return;
    wType = type;
    UpdateLabel();
    SetDocumentModified(1);
}

void CCommandUserWait::UpdateLabel() {
    treeLabel_ = "User Wait  '" + ShortLabel(10) + "'";
    ShowLabel();
}

int CCommandUserWait::CopyTo(CProjectTreeItem* item) {
    if (!CCommandComment::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *static_cast<CCommandUserWait*>(item), Attributes());
    return 1;
}

int CCommandUserWait::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Waiting for user...");
    params->AdvanceProgress(1);
    if (!GetText().empty()) params->Log(GetText(), false);
    const int answer = messageBox(GetText(), "Kelvane", wType);
    std::string shown;
    bool proceed = false;
    switch (answer) {
        case kIdOk:
            shown = "<OK>";
            proceed = true;
            break;
        case kIdYes:
            shown = "<Yes>";
            proceed = true;
            break;
        case kIdCancel:
            shown = "<Cancel>";
            break;
        case kIdNo:
            shown = "<No>";
            break;
        default:
            shown = "<Unknown>";
            break;
    }
    params->Log(shown, false);
    if (!proceed) return Fail("User chose " + shown);
    params->LogNewLine();
    return 1;
}

int CCommandUserWait::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandUserWait::ReadXMLParameters(std::int32_t element) {
    CCommandUserWait values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    std::string text;
    if (!GetXmlElementText(element, text, false, error_)) return 0;
    wType = values.wType;
    return SetText(text);
}

}  // namespace kv
