#include <cstdio>

#include "kelvane/commands/dravik_register_commands.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

CMapParameterXML& CCommandDravik_Register::RegisterMap() {
    static CMapParameterXML map;
    return map;
}

int CCommandDravik_Register::InitEnumTable(std::string& /*error*/) {
    CMapParameterXML& map = RegisterMap();
    map.RemoveAll();
    map.AddWord("PC", "Program Counter (PC)", 0);
    map.AddWord("SP", "Stack Pointer (SP)", 1);
    map.AddWord("SR", "Status Register (SR)", 2);
    for (int r = 4; r <= 15; ++r)
        map.AddWord("R" + std::to_string(r), "User Register R" + std::to_string(r),
                    static_cast<std::uint32_t>(r));
    return 1;
}

std::string CCommandDravik_Register::RegisterName(std::uint16_t reg) {
    const CParameterXML* entry = RegisterMap().FindByValue(reg);
    return entry ? entry->GetKeyword() : "R?";
}

int CCommandDravik_Register::SetRegister(std::uint16_t reg) {
    if (reg != wRegister) {
        wRegister = reg;
        UpdateLabel();
        SetDocumentModified(1);
    }
    return 1;
}

int CCommandDravik_Register::ReadRegisterAttribute(std::int32_t element, std::uint16_t& reg) {
    CMapParameterXML& map = RegisterMap();
    if (!map.ReadAttributeWORD(element, "wRegister", &reg)) return Fail(map.TakeError());
    return 1;
}

int CCommandDravik_Register::CopyTo(CProjectTreeItem* item) {
    if (!CCommandDravik::CopyTo(item)) return 0;
    auto* copy = dynamic_cast<CCommandDravik_Register*>(item);
    if (copy == nullptr) return Fail("Unable to spawn NULL new item");
    copy->wRegister = wRegister;
    return 1;
}

void CCommandDravik_Register::UpdateLabel() {
    treeLabel_ = std::string(LabelName()) + " (" + RegisterName(wRegister) + ")";
    ShowLabel();
}

int CCommandDravik_Register::WriteXMLAttributes(CStdioXMLFile& file) {
    if (!file.WriteWordMapAttribute("wRegister", wRegister, RegisterMap(), true))
        return Fail(file.TakeError());
    return 1;
}

int CCommandDravik_Register::ReadXMLParameters(std::int32_t element) {
    std::uint16_t reg = 0;
    if (!ReadRegisterAttribute(element, reg)) return 0;
    wRegister = reg;
    UpdateLabel();
    return 1;
}

int CCommandDravik_Register::DeclareRegisterAttribute(CStdioXMLFile& file) {
    return file.DeclareMapAttribute("wRegister", RegisterMap(), true);
}

std::string CCommandDravik_Register::FormatRegisterValue(CExecuteParams* params, std::uint16_t reg,
                                                         std::uint32_t value) {
    CPrgProcessor* processor = params->GetProcessor();
    const bool wide = processor != nullptr && processor->bIsMSP430X;
    char text[64];
    std::snprintf(text, sizeof text, wide ? "%s = 0x%05lX " : "%s = 0x%04lX ",
                  RegisterName(reg).c_str(), static_cast<unsigned long>(value));
    return text;
}

int CCommandDravik_RegisterValue::SetParameters(std::uint16_t reg, std::uint32_t value) {
    wRegister = reg;
    dwValue = value;
    UpdateLabel();
    return 1;
}

int CCommandDravik_RegisterValue::SetValue(std::uint32_t value) {
    if (value != dwValue) {
        dwValue = value;
        UpdateLabel();
        SetDocumentModified(1);
    }
    return 1;
}

int CCommandDravik_RegisterValue::CopyTo(CProjectTreeItem* item) {
    if (!CCommandDravik_Register::CopyTo(item)) return 0;
    static_cast<CCommandDravik_RegisterValue*>(item)->dwValue = dwValue;
    return 1;
}

int CCommandDravik_RegisterValue::WriteXMLAttributes(CStdioXMLFile& file) {
    if (!CCommandDravik_Register::WriteXMLAttributes(file)) return 0;
    if (!file.WriteDwordAttribute("dwValue", dwValue, true)) return Fail(file.TakeError());
    return 1;
}

int CCommandDravik_RegisterValue::ReadXMLParameters(std::int32_t element) {
    std::uint16_t reg = 0;
    std::uint32_t value = 0;
    if (!ReadRegisterAttribute(element, reg)) return 0;
    if (!ReadXmlDwordHex(element, "dwValue", value, error_)) return 0;
    return SetParameters(reg, value);
}

int CCommandDravik_RegisterValue::DeclareValueAttributes(CStdioXMLFile& file) {
    return DeclareRegisterAttribute(file) && file.DeclareCdataAttribute("dwValue", true);
}

}  // namespace kv
