#include <algorithm>

#include "kelvane/commands/analyze_results.h"
#include "kelvane/commands/command_text.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

namespace {

struct TypeEntry {
    const char* keyword;
    const char* display;
    const char* scaleUnit;
    const char* displayUnit;
};

// By value 0 to 16.
constexpr TypeEntry kTypes[] = {
    {"CURRENT_UA", "Current (uA)", "nA", "uA"},
    {"CURRENT_MA", "Current (mA)", "uA", "mA"},
    {"CURRENT_A", "Current (A)", "mA", "A"},
    {"VOLTAGE_MV", "Voltage (mv)", "uv", "mv"},
    {"VOLTAGE_V", "Voltage (v)", "mv", "v"},
    {"FREQ_HZ", "Frequency (Hz)", "mHz", "Hz"},
    {"FREQ_KHZ", "Frequency (kHz)", "Hz", "kHz"},
    {"FREQ_MHZ", "Frequency (MHz)", "kHz", "MHz"},
    {"FREQ_GHZ", "Frequency (GHz)", "MHz", "GHz"},
    {"TIME_US", "Time (us)", "ns", "us"},
    {"TIME_MS", "Time (ms)", "us", "ms"},
    {"TIME_S", "Time (s)", "ms", "s"},
    {"COUNT", "Unit counts", "units", ""},
    {"COUNT_HEX", "Unit counts (hex)", "units", ""},
    {"MESSAGE", "Message", "", ""},
    {"COMPARE", "Compare", "units", ""},
    {"COMPARE_HEX", "Compare (hex)", "units", ""},
};

constexpr std::uint16_t kCount = 12;
constexpr std::uint16_t kCountHex = 13;
constexpr std::uint16_t kMessage = 14;
constexpr std::uint16_t kCompare = 15;
constexpr std::uint16_t kCompareHex = 16;

}  // namespace

CAnalysisItem::CAnalysisItem() : CCommandComment(Page()) {
    elementName_ = kElementName;
    displayName_ = "Analysis Item";
    description_ = "Analyze results from memory";
    treeLabel_ = "Analysis Item";
    treeImage_ = 42;
}

CMapParameterXML& CAnalysisItem::GetTypeMap() {
    static CMapParameterXML map;
    return map;
}

int CAnalysisItem::InitEnumTable(std::string& /*error*/) {
    CMapParameterXML& map = GetTypeMap();
    map.RemoveAll();
    std::uint16_t value = 0;
    for (const TypeEntry& entry : kTypes)
        map.AddWord(entry.keyword, entry.display, value++);
    return 1;
}

int CAnalysisItem::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CAnalysisItem>> CAnalysisItem::Attributes() {
    using T = CAnalysisItem;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "wType",
         .form = AttributeForm::kKeyword,
         .word = &T::wType,
         .map = &GetTypeMap,
         .width = KeywordWidth::kWord},
        {.name = "wKey", .form = AttributeForm::kWordHex, .word = &T::wKey},
        {.name = "wMemoryMax", .form = AttributeForm::kWordHex, .word = &T::wMemoryMax},
        {.name = "wMemoryMin", .form = AttributeForm::kWordHex, .word = &T::wMemoryMin},
        {.name = "dwScaleMax", .form = AttributeForm::kDecimal, .dword = &T::dwScaleMax},
        {.name = "dwScaleMin", .form = AttributeForm::kDecimal, .dword = &T::dwScaleMin},
    };
    return kAttributes;
}

int CAnalysisItem::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); });
}

CAnalysisItem* CAnalysisItem::CreateDefault(std::string& /*error*/) {
    auto* item = new CAnalysisItem;
    item->SetParameters(0, 4, 0x0FFF, 0, 3300, 0, "Default item");
    return item;
}

CommandPage& CAnalysisItem::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CAnalysisItem::SetParameters(std::uint16_t key, std::uint16_t type, std::uint16_t memoryMax,
                                 std::uint16_t memoryMin, std::uint32_t scaleMax,
                                 std::uint32_t scaleMin, const std::string& text) {
    wKey = key;
    wType = type;
    wMemoryMax = memoryMax;
    wMemoryMin = memoryMin;
    dwScaleMax = scaleMax;
    dwScaleMin = scaleMin;
    return SetText(text);
}

namespace {

template <class T>
void Change(CAnalysisItem* item, T& field, T value) {
    if (field == value) return;
    field = value;
    item->UpdateLabel();
    SetDocumentModified(1);
}

}  // namespace

void CAnalysisItem::SetKey(std::uint16_t key) {
    Change(this, wKey, key);
}
void CAnalysisItem::SetType(std::uint16_t type) {
    Change(this, wType, type);
}
void CAnalysisItem::SetMemoryMax(std::uint16_t value) {
    Change(this, wMemoryMax, value);
}
void CAnalysisItem::SetMemoryMin(std::uint16_t value) {
    Change(this, wMemoryMin, value);
}
void CAnalysisItem::SetScaleMax(std::uint32_t value) {
    Change(this, dwScaleMax, value);
}
void CAnalysisItem::SetScaleMin(std::uint32_t value) {
    Change(this, dwScaleMin, value);
}

int CAnalysisItem::GetUnitText(std::string& out) const {
    if (wType > kLastType) {
        out = "unk";
        return 0;
    }
    out = kTypes[wType].scaleUnit;
    return 1;
}

int CAnalysisItem::FormatValue(std::uint16_t raw, std::string& out) {
    out = "Invalid";
    if (wType > kLastType) return Fail(Format("Unable to convert unknown analysis type %d", wType));
    if (wType == kCount || wType == kCompare) {
        out = Format("%ld", static_cast<long>(raw));
        return 1;
    }
    if (wType == kCountHex || wType == kCompareHex) {
        out = Format("0x%04lX", static_cast<unsigned long>(raw));
        return 1;
    }
    if (wType == kMessage) {
        out.clear();
        return 1;
    }
    if (wMemoryMin >= wMemoryMax)
        return Fail("Scale maximum must be strictly greater than scale minimum");
    if (raw < wMemoryMin || raw > wMemoryMax)
        return Fail("Value must be between memory minimum and maximum, inclusive");
    if (dwScaleMin >= dwScaleMax)
        return Fail("Scale maximum must be strictly greater than scale minimum");
    double value = (static_cast<double>(raw - wMemoryMin) * (dwScaleMax - dwScaleMin) /
                        (wMemoryMax - wMemoryMin) +
                    dwScaleMin) *
                   0.001;
    out = Format("%0.3lf %s", value, kTypes[wType].displayUnit);
    return 1;
}

int CAnalysisItem::FormatRecord(std::string& out, const std::uint16_t* record,
                                std::uint32_t extraWords, bool& matched) {
    if (record[0] != wKey) return 1;
    matched = true;
    std::string values[3];
    for (int i = 0; i < 3; ++i)
        if (!FormatValue(record[i + 1], values[i])) return 0;
    std::string extra;
    if (extraWords > 0) {
        extra = "\n    Extra: ";
        for (std::uint32_t i = 0; i < extraWords; ++i)
            extra += Format("%04X ", static_cast<unsigned>(record[4 + i]));
        extra.erase(extra.find_last_not_of(' ') + 1);
    }
    const char* text = GetText().c_str();
    unsigned code = record[0];
    if (wType == kCount || wType == kCountHex)
        out = Format("[0x%04X] (%s): %s%s", code, values[0].c_str(), text, extra.c_str());
    else if (wType == kMessage)
        out = Format("[0x%04X] %s%s", code, text, extra.c_str());
    else if (wType == kCompare || wType == kCompareHex)
        out = Format("[0x%04X] %s (%s): %s%s", code, values[0].c_str(), values[1].c_str(), text,
                     extra.c_str());
    else
        out = Format("[0x%04X] %s (%s - %s): %s%s", code, values[0].c_str(), values[1].c_str(),
                     values[2].c_str(), text, extra.c_str());
    return 1;
}

void CAnalysisItem::UpdateLabel() {
    treeLabel_ = Format("0x%04X '%s'", static_cast<unsigned>(wKey), ShortLabel(20).c_str());
    ShowLabel();
}

int CAnalysisItem::GetDeleteTarget(bool report, CProjectTreeItem** parent,
                                   CProjectTreeItem** item) {
    CProjectTreeItem::GetDeleteTarget(report, parent, item);
    auto* command = dynamic_cast<CCommandAnalyzeResults*>(GetParentItem());
    if (command != nullptr && command->GetItems() != nullptr && command->GetItems()->GetSize() > 1)
        return 1;
    if (parent != nullptr) *parent = nullptr;
    if (item != nullptr) *item = nullptr;
    return Fail("Cannot delete the last results item");
}

int CAnalysisItem::CopyTo(CProjectTreeItem* item) {
    if (!CCommandComment::CopyTo(item)) return 0;
    auto* copy = static_cast<CAnalysisItem*>(item);
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

int CAnalysisItem::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CAnalysisItem::ReadXMLParameters(std::int32_t element) {
    CAnalysisItem values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    std::string text;
    if (!GetXmlElementText(element, text, false, error_)) return 0;
    return SetParameters(values.wKey, values.wType, values.wMemoryMax, values.wMemoryMin,
                         values.dwScaleMax, values.dwScaleMin, text);
}

int CArrayAnalysisItem::FormatRecord(std::string& out, const std::uint16_t* record,
                                     std::uint32_t extraWords) {
    for (int i = 0; i < GetSize(); ++i) {
        bool matched = false;
        CAnalysisItem* item = ItemAt(i);
        if (!item->FormatRecord(out, record, extraWords, matched)) {
            formatError_ = item->TakeError();
            return 0;
        }
        if (matched) return 1;
    }
    out = Format("Unrecognized error, raw values: 0x%04X 0x%04X 0x%04X 0x%04X",
                 static_cast<unsigned>(record[0]), static_cast<unsigned>(record[1]),
                 static_cast<unsigned>(record[2]), static_cast<unsigned>(record[3]));
    return 1;
}

}  // namespace kv
