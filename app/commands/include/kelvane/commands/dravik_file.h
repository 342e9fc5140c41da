// The base of the pod commands that work on an image file: the file's full
// path, the name the project file stores (relative to the project file's
// folder), the file type, and the browse operation of the pages.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_dravik.h"
#include "kelvane/core/command_roles.h"

namespace kv {

class CMapParameterXML;
class CStdioXMLFile;

class CCommandDravik_File : public CCommandDravik, public FileCommand {
  public:
    static std::span<const CommandAttribute<CCommandDravik_File>> Attributes();
    static constexpr std::int32_t kTiTxt = 1;
    static constexpr std::int32_t kIntelHex = 2;

    // FILETYPE_TI_TXT 1, FILETYPE_INTEL_HEX 2.
    static int InitEnumTable(std::string& error);
    static CMapParameterXML& GetFileTypeMap();

    const std::string& GetFullPath() const { return fullPath_; }
    const std::string& GetFileName() const { return strFileName; }
    std::int32_t GetFileType() const { return nFileType; }
    bool GetKeepFullPath() const { return keepFullPath_; }

    // Stores the name as given, resolves the full path, then the type
    // (keyword or number); on a bad type the name stays stored.
    int SetFileParameters(const std::string& fileName, const std::string& typeText);
    // The page's and the browse's setters.
    void SetFileName(const std::string& fullPath);
    int SetFileType(std::int32_t type);
    void SetKeepFullPath() override { keepFullPath_ = true; }
    // Lets the user choose the file; false when cancelled or refused.
    int BrowseFile(UiWindow* parent, bool mustExist);

    int ResolveFilePath() override;
    void RefreshDialog() override { RefreshPage(); }
    int CopyTo(CProjectTreeItem* item) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;

  protected:
    explicit CCommandDravik_File(CommandPage* page) : CCommandDravik(page) {}
    // The "%s" of the label: the file title without folder and extension.
    std::string FileTitle() const;
    // The element's strFileName and nFileType.
    int ReadFileAttributes(std::int32_t element, std::string& fileName, std::string& typeText);
    static int DeclareFileAttributes(CStdioXMLFile& file);

    std::string fullPath_;
    std::string strFileName;
    std::int32_t nFileType = kTiTxt;
    bool keepFullPath_ = false;
};

}  // namespace kv
