#include "kelvane/core/array_prg_processor.h"

#include <caprel/caprel.h>

#include "kelvane/core/emulation_module.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/message_box.h"

namespace kv {

namespace {

std::unique_ptr<CArrayPrgProcessor> g_table;
std::unique_ptr<CMapParameterXML> g_configureMap;

// Builds the configuration map and refills the boolean and emulation-level maps.
bool InitMaps() {
    auto configure = std::make_unique<CMapParameterXML>();
    configure->Add("VERIFICATION_MODE", "Verification Mode", 0);
    configure->Add("EMULATION_MODE", "Emulation Mode", 1);
    configure->Add("CLK_CNTRL_MODE", "Clock Control Mode", 2);
    configure->Add("MCLK_CNTRL_MODE", "MCLK Control Mode", 3);
    configure->Add("FLASH_TEST_MODE", "Flash Test Mode", 4);
    configure->Add("LOCKED_FLASH_ACCESS", "Locked Flash Access", 5);
    configure->Add("FLASH_SWOP", "Flash SWOP", 6);
    configure->Add("EDT_TRACE_MODE", "EDT Trace Mode", 7);
    configure->Add("INTERFACE_MODE", "JTAG Interface Mode", 8);
    configure->AddBoolean();
    configure->AddKeyword("JTAG_IF", 0);
    configure->AddKeyword("SPYBIWIRE_IF", 1);
    configure->AddKeyword("SPYBIWIREJTAG_IF", 2);
    g_configureMap = std::move(configure);

    CMapParameterXML& boolean = GetProcessorBooleanMap();
    boolean.RemoveAll();
    boolean.AddBoolean();
    CMapParameterXML& levels = GetEmulationLevelMap();
    levels.RemoveAll();
    AddEmulationLevels(levels);
    return true;
}

// Closes the reader's document when the load is done, whatever its result.
class DocumentGuard {
  public:
    DocumentGuard() = default;
    DocumentGuard(const DocumentGuard&) = delete;
    DocumentGuard& operator=(const DocumentGuard&) = delete;
    ~DocumentGuard() { Close_Caprel(); }
};

}  // namespace

CPrgProcessor* CArrayPrgProcessor::GetAt(std::size_t index) const {
    return index < processors_.size() ? processors_[index].get() : nullptr;
}

CPrgProcessor* CArrayPrgProcessor::FindByName(const std::string& name) const {
    for (const auto& processor : processors_)
        if (processor->GetName() == name) return processor.get();
    return nullptr;
}

void CArrayPrgProcessor::Add(std::unique_ptr<CPrgProcessor> processor) {
    if (processor) processors_.push_back(std::move(processor));
}

int CArrayPrgProcessor::LoadFile(const std::string& path) {
    if (!InitMaps()) {
        error_ = "Unable to open configure mode map";
        return 0;
    }
    int result = 0;
    if (!Open_Caprel(path.c_str(), reinterpret_cast<std::intptr_t>(this))) {
        GetXmlLastError(error_);
    } else {
        DocumentGuard guard;
        result = ReadRoot();
    }
    if (!result) {
        processors_.clear();
        g_configureMap.reset();
    }
    return result;
}

int CArrayPrgProcessor::ReadRoot() {
    const std::int32_t root = GetRootElement_Caprel();
    if (root == -1) {
        GetXmlLastError(error_);
        return 0;
    }
    if (!IsXmlElementNamed(root, "ProcessorListMSP430", error_)) {
        error_ = "Root element name for the processor list must be 'ProcessorListMSP430'";
        return 0;
    }
    for (std::int32_t child = GetFirstNamedChildElement_Caprel(root, "Processor"); child != -1;
         child = GetNextNamedChildElement_Caprel(root, child, "Processor")) {
        auto processor = std::make_unique<CPrgProcessor>();
        if (!processor->ReadXml(child, GetProcessorBooleanMap(), GetEmulationLevelMap(),
                                *g_configureMap)) {
            error_ = processor->TakeLastError();
            return 0;
        }
        processors_.push_back(std::move(processor));
    }
    if (processors_.empty()) {
        error_ = "Did not find any processors";
        return 0;
    }
    return 1;
}

int LoadProcessorTable(const std::string& path, std::string* error) {
    DestroyProcessorTable();
    auto table = std::make_unique<CArrayPrgProcessor>();
    if (!table->LoadFile(path)) {
        const std::string text =
            "Could not load processor table from " + path + "\n" + table->GetLastError();
        if (error != nullptr) *error = text;
        else messageBox(text, "Kelvane", kMbOk);
        return 0;
    }
    g_table = std::move(table);
    return 1;
}

void DestroyProcessorTable() {
    g_table.reset();
}

CArrayPrgProcessor* GetProcessorTable() {
    return g_table.get();
}

CPrgProcessor* FindProcessorByName(const std::string& name) {
    return g_table ? g_table->FindByName(name) : nullptr;
}

void FillComboBox(const CArrayPrgProcessor* table, ProcessorComboBox* combo) {
    if (!combo) return;
    combo->ResetContent();
    if (table) {
        for (std::size_t index = 0; index < table->GetSize(); ++index) {
            const CPrgProcessor* processor = table->GetAt(index);
            const int row = combo->AddString(processor->GetName());
            if (row >= 0) combo->SetItemData(row, processor);
        }
    } else {
        const int row = combo->AddString("No processors loaded");
        if (row >= 0) combo->SetItemData(row, nullptr);
    }
    combo->SetCurSel(0);
}

CMapParameterXML* GetConfigureModeMap() {
    return g_configureMap.get();
}

CMapParameterXML& GetProcessorBooleanMap() {
    static CMapParameterXML map;
    return map;
}

CMapParameterXML& GetEmulationLevelMap() {
    static CMapParameterXML map;
    return map;
}

}  // namespace kv
