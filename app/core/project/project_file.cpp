// The project file: reading versions 1 and 2, writing version 2.
#include <cstdio>
#include <new>

#include "caprel/caprel.h"
#include "kelvane/app/app_message_box.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/terminal_text.h"
#include "kelvane/project/prg_project.h"

namespace kv {

namespace {

constexpr const char* kRootElement = "ProjectKelvane";
constexpr const char* kCommandListElement = "CommandList";

std::string LibraryError() {
    std::string text;
    GetXmlLastError(text);
    return text;
}

// A file that holds white space and nothing else is as empty as one without
// a byte; the reader would only say it lacks its header.
bool HoldsOnlyBlanks(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    bool blank = false;
    for (int c; (c = std::fgetc(file)) != EOF;) {
        blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        if (!blank) break;
    }
    std::fclose(file);
    return blank;
}

constexpr const char* kEmptyFile = "The file is empty: it holds no project";

}  // namespace

int CPrgProject::Read(const std::string& path) {
    if (IsOpen_Caprel()) Close_Caprel();
    if (HoldsOnlyBlanks(path)) return Fail(kEmptyFile);
    if (!Open_Caprel(path.c_str(), 0)) return Fail(LibraryError());
    const std::int32_t root = GetRootElement_Caprel();
    if (root == -1) {
        error_ = LibraryError();
        Close_Caprel();
        return 0;
    }
    std::string error;
    // The reader makes an empty file a document with a nameless root.
    if (IsXmlElementNamed(root, "", error)) {
        Close_Caprel();
        return Fail(kEmptyFile);
    }
    int version = 0;
    std::string versionText;
    if (GetXmlAttribute(root, "nFileVersion", versionText, error)) {
        // A version that is there but no number is refused as such.
        if (!ReadXmlInt(root, "nFileVersion", version, error)) {
            Close_Caprel();
            return Fail(error);
        }
    } else {
        std::string legacyName;
        if (!GetXmlAttribute(root, "Name", legacyName, error)) {
            Close_Caprel();
            return Fail(error);
        }
        const std::string question =
            "This file containing project '" + legacyName +
            "' is a legacy v1 file.\n\n"
            "Upgrading to the v2 format will provide many additional features.\n\n"
            "Do you wish to convert this file to the v2 format?";
        if (AppMessageBox(question, kMbYesNo | kMbIconQuestion) != kIdYes) {
            Close_Caprel();
            return Fail("File open cancelled by user");
        }
        version = 1;
    }
    int ok = 0;
    if (version == 1) {
        ok = ConvertVersion1(path, root);
        // The converted project replaces the version-1 file at once; the
        // original stays in its backup copy.
        if (ok) {
            ok = Save(path);
            if (!ok) return 0;  // the document stays open until the next one
        }
    } else if (version == 2) {
        try {
            ok = ReadVersion2(root);
        } catch (const std::bad_alloc&) {
            // The document is given back at once, so that the text of the
            // failure can still be shown.
            Close_Caprel();
            throw;
        }
    } else {
        ok =
            Fail("Unrecognized file version " + std::to_string(version) + " " + ElementPlace(root));
    }
    Close_Caprel();
    return ok;
}

int CPrgProject::ReadVersion2(std::int32_t root) {
    commandList_.ClearCommands();
    std::string error;
    std::string name;
    std::string processor;
    std::uint32_t vcc = 0;
    if (!GetXmlAttribute(root, "strName", name, error) ||
        !GetXmlAttribute(root, "strTargetProcessor", processor, error) ||
        !ReadXmlMillivolts(root, "dwVCC", vcc, error))
        return Fail(error);
    name_ = name;
    targetProcessor_ = processor;
    vcc_ = vcc;
    const std::int32_t list = GetFirstNamedChildElement_Caprel(root, kCommandListElement);
    // Without its command list a project would run nothing and report success.
    if (list == -1) return Fail("Project '" + Quoted(name) + "' has no CommandList element");
    if (!commandList_.LoadCommandList(list)) return Fail(commandList_.TakeError());
    return 1;
}

int CPrgProject::Save(const std::string& path, const ReplaceGuard& guard) {
    if (path != path_) SetPath(path, true);
    return WriteFile(path, guard);
}

int CPrgProject::WriteFile(const std::string& path, const ReplaceGuard& guard) {
    CStdioXMLFile file;
    if (!file.Open(path)) {
        error_ = file.TakeError();
        AppMessageBox("Couldn't save the project file:\n" + path, kMbOk | kMbIconError);
        return 0;
    }
    file.ClearDeclarations();
    auto failWith = [&](std::string text) {
        file.Abort();
        return Fail(std::move(text));
    };
    // Declarations.
    bool ok = file.WriteHeader(kRootElement) && file.BeginElementDecl(kRootElement) &&
              file.AddElementChild(kCommandListElement, 0) && file.EndElementDecl() &&
              file.BeginElementDecl(kCommandListElement) && DeclareCommandListChildren(file) &&
              file.EndElementDecl() && DeclareCommandElements(file) &&
              file.BeginAttlist(kRootElement) && file.DeclareCdataAttribute("nFileVersion", true) &&
              file.DeclareCdataAttribute("nFileSubVersion", true) &&
              file.DeclareCdataAttribute("strName", true) &&
              file.DeclareCdataAttribute("strTargetProcessor", true) &&
              file.DeclareCdataAttribute("dwVCC", true) && file.EndAttlist() &&
              file.BeginAttlist(kCommandListElement) && file.EndAttlist() &&
              DeclareCommandAttlists(file) && file.WriteText("]>\n");
    if (!ok) return failWith(file.TakeError());
    // The document.
    ok = file.OpenElement(kRootElement, true) &&
         file.WriteIntAttribute("nFileVersion", kFileVersion, true) &&
         file.WriteIntAttribute("nFileSubVersion", kFileSubVersion, true) &&
         file.WriteAttribute("strName", name_, true) &&
         file.WriteAttribute("strTargetProcessor", targetProcessor_, true) &&
         file.WriteLongAttribute("dwVCC", static_cast<std::int32_t>(vcc_), true) &&
         file.EndStartTag(true);
    if (!ok) return failWith(file.TakeError());
    if (!commandList_.SaveCommandList(file)) return failWith(commandList_.TakeError());
    if (!file.CloseElement(kRootElement, true)) return failWith(file.TakeError());
    if (!file.Close(guard)) return Fail(file.TakeError());
    return 1;
}

}  // namespace kv
