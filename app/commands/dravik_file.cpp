#include "kelvane/commands/dravik_file.h"

#include <filesystem>
#include <system_error>

#include "kelvane/commands/current_project.h"
#include "kelvane/commands/file_dialog.h"
#include "kelvane/commands/file_paths.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/message_box.h"

namespace kv {

namespace {

namespace fs = std::filesystem;

// Makes the folder current for a moment: whether the folder can be used.
bool CanEnterFolder(const fs::path& folder, const fs::path& current) {
    std::error_code error;
    fs::current_path(folder, error);
    if (error) return false;
    fs::current_path(current, error);
    return true;
}

}  // namespace

CMapParameterXML& CCommandDravik_File::GetFileTypeMap() {
    static CMapParameterXML map;
    return map;
}

int CCommandDravik_File::InitEnumTable(std::string& /*error*/) {
    CMapParameterXML& map = GetFileTypeMap();
    map.RemoveAll();
    map.Add("FILETYPE_TI_TXT", "TI Text Files (*.txt)", kTiTxt);
    map.Add("FILETYPE_INTEL_HEX", "Intel Hex Files (*.hex)", kIntelHex);
    return 1;
}

std::span<const CommandAttribute<CCommandDravik_File>> CCommandDravik_File::Attributes() {
    using T = CCommandDravik_File;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "nFileType",
         .form = AttributeForm::kKeyword,
         .number = &T::nFileType,
         .map = &GetFileTypeMap,
         .width = KeywordWidth::kLong},
    };
    return kAttributes;
}

int CCommandDravik_File::DeclareFileAttributes(CStdioXMLFile& file) {
    // The file name is the one parameter kept by hand: it is stored relative
    // to the project file.
    return file.DeclareCdataAttribute(kFileNameAttribute, true) &&
           DeclareCommandAttributes(file, Attributes());
}

std::string CCommandDravik_File::FileTitle() const {
    return GetFileTitleNoExtension(fullPath_);
}

int CCommandDravik_File::SetFileParameters(const std::string& fileName,
                                           const std::string& typeText) {
    strFileName = fileName;
    ResolveFilePath();
    CMapParameterXML& map = GetFileTypeMap();
    std::int32_t type = 0;
    if (!map.ParseNamedLONG(typeText, &type)) return Fail(map.TakeErrorWithExpected());
    keepFullPath_ = false;
    nFileType = type;
    return 1;
}

int CCommandDravik_File::ResolveFilePath() {
    fullPath_ = MakeAbsoluteFilePath(GetCommandProjectFile(), strFileName);
    RefreshDialog();
    return 1;
}

void CCommandDravik_File::SetFileName(const std::string& fullPath) {
    if (fullPath == fullPath_) return;
    fullPath_ = fullPath;
    strFileName =
        keepFullPath_ ? fullPath : MakeRelativeFilePath(fullPath, GetCommandProjectFile());
    UpdateLabel();
    SetDocumentModified(1);
}

int CCommandDravik_File::SetFileType(std::int32_t type) {
    if (type != kTiTxt && type != kIntelHex)
        return Fail("Unrecognized read file type " + std::to_string(type));
    if (type != nFileType) {
        nFileType = type;
        SetDocumentModified(1);
    }
    return 1;
}

int CCommandDravik_File::BrowseFile(UiWindow* parent, bool mustExist) {
    std::error_code error;
    const fs::path remembered = fs::current_path(error);
    auto restore = [&] { fs::current_path(remembered, error); };
    if (!fullPath_.empty() && !CanEnterFolder(fs::path(fullPath_).parent_path(), remembered)) {
        std::string folder = remembered.string();
        if (folder.empty() || folder.back() != '/') folder += '/';
        const std::string proposal = folder + GetFileTitleNoExtension(fullPath_) + "." +
                                     (nFileType == kIntelHex ? "hex" : "txt");
        if (messageBox("Invalid path for file:\n\n" + fullPath_ + "\n\nOK to use:\n\n" + proposal +
                           "\n\n?",
                       "Kelvane", kMbYesNo) != kIdYes) {
            restore();
            return 0;
        }
        SetFileName(proposal);
        RefreshPage();
    }
    OpenFileDialogRequest request;
    request.parent = parent;
    request.title = "Browse Target File";
    request.path = fullPath_;
    request.filter = "TI Text Files (*.txt)|*.txt|Intel Hex Files (*.hex)|*.hex||";
    request.filterIndex = nFileType == kIntelHex ? 2 : 1;
    request.mustExist = mustExist;
    OpenFileDialogResult result;
    const bool chosen = ShowOpenFileDialog(request, result);
    restore();
    if (!chosen) return 0;
    std::int32_t type = 0;
    if (result.filterIndex == 1) {
        type = kTiTxt;
    } else if (result.filterIndex == 2) {
        type = kIntelHex;
    } else {
        messageBox("Unrecognized file type", "Kelvane", kMbOk);
        return 0;
    }
    SetFileName(result.path);
    return SetFileType(type);
}

int CCommandDravik_File::CopyTo(CProjectTreeItem* item) {
    auto* copy = dynamic_cast<CCommandDravik_File*>(item);
    if (copy == nullptr) return Fail("Unable to spawn NULL new item");
    if (!CCommandDravik::CopyTo(item)) return 0;
    copy->fullPath_ = fullPath_;
    copy->strFileName = strFileName;
    CopyCommandAttributes(*this, *copy, Attributes());
    copy->keepFullPath_ = keepFullPath_;
    return 1;
}

int CCommandDravik_File::WriteXMLAttributes(CStdioXMLFile& file) {
    strFileName = MakeRelativeFilePath(fullPath_, file.GetPath());
    if (!file.WriteAttribute(kFileNameAttribute, strFileName, true)) return Fail(file.TakeError());
    if (!WriteCommandAttributes(file, *this, Attributes(), error_)) return 0;
    keepFullPath_ = false;
    RefreshDialog();
    return 1;
}

int CCommandDravik_File::ReadFileAttributes(std::int32_t element, std::string& fileName,
                                            std::string& typeText) {
    // The type is read as its text: SetFileParameters parses it.
    return GetXmlAttribute(element, kFileNameAttribute, fileName, error_) &&
           ReadKeywordText(Attributes()[0], element, typeText, error_);
}

}  // namespace kv
