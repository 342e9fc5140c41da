// Erase: the whole flash (mass erase), the main flash of the project's
// processor, or a range of segments.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"

namespace kv {

class CMapParameterXML;
class CPrgProcessor;

class CCommandDravik_Erase : public CCommandDravik {
  public:
    static constexpr const char* kElementName = "Dravik_Erase";

    CCommandDravik_Erase();

    static int InitEnumTable(std::string& error);
    static CMapParameterXML& GetEraseTypeMap();
    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandDravik_Erase>> Attributes();
    static CCommandDravik_Erase* Create(std::string& error, const std::string& typeText,
                                        std::uint32_t segment, std::uint32_t length);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_Erase* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    // The kind as a keyword or number; a segment of 0 becomes 0x1000 and a
    // length of 0 becomes 1.
    int SetParameters(const std::string& typeText, std::uint32_t segment, std::uint32_t length);
    std::uint32_t GetEraseType() const { return dwEraseType; }
    std::uint32_t GetSegment() const { return dwSegment; }
    std::uint32_t GetLength() const { return dwLength; }
    // The page's setters: a changed value is stored and the document marked.
    void SetEraseType(std::uint32_t type);
    void SetSegment(std::uint32_t segment);
    void SetLength(std::uint32_t length);

    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_Erase; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    // Marks the type as set, relabels, and takes 0x1000 for a segment of 0
    // and 1 for a length of 0.
    void ApplyDefaults();
    // The segment erase's range lies in the processor's flash.
    int CheckSegmentRange(CPrgProcessor* processor);

    std::uint32_t dwEraseType = 0;
    std::uint32_t dwSegment = 0;
    std::uint32_t dwLength = 0;
    bool typeSet_ = false;
};

}  // namespace kv
