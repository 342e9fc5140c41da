// Result analysis: a production test firmware leaves a table of failure
// records in target memory; AnalyzeResults reads it through the pod and logs
// one line per record, formatted by the analysis item of its record code.
// The command succeeds only when the table is empty.
//
// The table: two 16-bit words at the header address (record count, extra
// words per record E), then records of 4 + E words at the result address
// (code, three values, extra words). At most 64 records are reported.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"
#include "kelvane/commands/comment.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/map_parameter_xml.h"

namespace kv {

class CCommandAnalyzeResults;

// One record code: how to scale its raw values and the message for it.
class CAnalysisItem : public CCommandComment {
  public:
    static constexpr const char* kElementName = "AnalysisItem";
    static constexpr std::uint16_t kLastType = 16;

    CAnalysisItem();

    static int InitEnumTable(std::string& error);
    static CMapParameterXML& GetTypeMap();
    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CAnalysisItem>> Attributes();
    static CAnalysisItem* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(std::uint16_t key, std::uint16_t type, std::uint16_t memoryMax,
                      std::uint16_t memoryMin, std::uint32_t scaleMax, std::uint32_t scaleMin,
                      const std::string& text);
    // Page setters.
    void SetKey(std::uint16_t key);
    void SetType(std::uint16_t type);
    void SetMemoryMax(std::uint16_t value);
    void SetMemoryMin(std::uint16_t value);
    void SetScaleMax(std::uint32_t value);
    void SetScaleMin(std::uint32_t value);
    std::uint16_t GetKey() const { return wKey; }
    std::uint16_t GetType() const { return wType; }
    std::uint16_t GetMemoryMax() const { return wMemoryMax; }
    std::uint16_t GetMemoryMin() const { return wMemoryMin; }
    std::uint32_t GetScaleMax() const { return dwScaleMax; }
    std::uint32_t GetScaleMin() const { return dwScaleMin; }
    // The unit the scale limits are given in; "unk" and 0 for an unknown type.
    int GetUnitText(std::string& out) const;

    // One raw value as text; "Invalid" and 0 with the reason.
    int FormatValue(std::uint16_t raw, std::string& out);
    // A record of this item's code as a log line; other codes leave the text
    // and the flag untouched.
    int FormatRecord(std::string& out, const std::uint16_t* record, std::uint32_t extraWords,
                     bool& matched);

    void UpdateLabel() override;
    int GetDeleteTarget(bool report, CProjectTreeItem** parent, CProjectTreeItem** item) override;
    CProjectTreeItem* CreateNew() override { return new CAnalysisItem; }
    int CopyTo(CProjectTreeItem* item) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    std::uint16_t wMemoryMax = 0x0FFF;
    std::uint16_t wMemoryMin = 0;
    std::uint32_t dwScaleMax = 3300;
    std::uint32_t dwScaleMin = 0;
    std::uint16_t wKey = 0;
    std::uint16_t wType = 4;
};

class CArrayAnalysisItem : public CArrayProjectTreeItem {
  public:
    // The first item of the record's code formats it; without one the raw
    // words are shown.
    int FormatRecord(std::string& out, const std::uint16_t* record, std::uint32_t extraWords);
    CAnalysisItem* ItemAt(int index) const { return static_cast<CAnalysisItem*>(GetAt(index)); }
    const std::string& GetFormatError() const { return formatError_; }

  private:
    std::string formatError_;
};

class CCommandAnalyzeResults : public CCommandDravik {
  public:
    static constexpr const char* kElementName = "AnalyzeResults";
    static constexpr std::uint32_t kMaxRecords = 64;

    CCommandAnalyzeResults();
    ~CCommandAnalyzeResults() override;

    static int InitEnumTable(std::string& error) { return CAnalysisItem::InitEnumTable(error); }
    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandAnalyzeResults>> Attributes();
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CProjectTreeItem* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect);
    static int DestroyPropertyPage();
    // The one default analysis item offered when the user adds a child.
    static int CreateItemPrototypes(std::string& error);
    static void DestroyItemPrototypes();

    int SetParameters(std::uint32_t headerAddress, std::uint32_t resultAddress);
    void SetHeaderAddress(std::uint32_t address);
    void SetResultAddress(std::uint32_t address);
    std::uint32_t GetHeaderAddress() const { return dwHeaderAddress; }
    std::uint32_t GetResultAddress() const { return dwResultAddress; }
    CArrayAnalysisItem* GetItems() const { return items_.get(); }

    CProjectTreeItem* CreateNew() override { return new CCommandAnalyzeResults; }
    int CopyTo(CProjectTreeItem* item) override;
    void ResetContents() override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int WriteXMLContent(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

    TreeItemHandle InsertIntoTree(TreeCtrl* tree, TreeItemHandle parent,
                                  TreeItemHandle after) override;
    CArrayProjectTreeItem* GetChildPrototypes() override;
    int AddChild(CProjectTreeItem* item, CProjectTreeItem* anchor,
                 CProjectTreeItem** select) override;
    int InsertChild(CProjectTreeItem* item, CProjectTreeItem* anchor,
                    CProjectTreeItem** select) override;
    int MoveChildUp(CProjectTreeItem* child, CProjectTreeItem* previous,
                    CProjectTreeItem** select) override;
    int MoveChildDown(CProjectTreeItem* child, CProjectTreeItem* next,
                      CProjectTreeItem** select) override;
    int DeleteChild(CProjectTreeItem* child, CProjectTreeItem** select) override;

  private:
    int PlaceChild(CProjectTreeItem* item, int index, TreeItemHandle after,
                   CProjectTreeItem** select);
    int MoveChild(CProjectTreeItem* child, CProjectTreeItem* other, bool up,
                  CProjectTreeItem** select);

    std::unique_ptr<CArrayAnalysisItem> items_;
    std::uint32_t dwHeaderAddress = 0;
    std::uint32_t dwResultAddress = 0;
};

}  // namespace kv
