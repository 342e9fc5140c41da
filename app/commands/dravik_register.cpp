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

std::span<const CommandAttribute<CCommandDravik_Register>> CCommandDravik_Register::Attributes() {
    using T = CCommandDravik_Register;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "wRegister",
         .form = AttributeForm::kKeyword,
         .word = &T::wRegister,
         .map = &RegisterMap,
         .width = KeywordWidth::kWord},
    };
    return kAttributes;
}

int CCommandDravik_Register::CopyTo(CProjectTreeItem* item) {
    if (!CCommandDravik::CopyTo(item)) return 0;
    auto* copy = dynamic_cast<CCommandDravik_Register*>(item);
    if (copy == nullptr) return Fail("Unable to spawn NULL new item");
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

void CCommandDravik_Register::UpdateLabel() {
    treeLabel_ = std::string(LabelName()) + " (" + RegisterName(wRegister) + ")";
    ShowLabel();
}

int CCommandDravik_Register::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_Register::ReadXMLParameters(std::int32_t element) {
    if (!ReadCommandAttributes(element, *this, Attributes(), error_)) return 0;
    UpdateLabel();
    return 1;
}

int CCommandDravik_Register::DeclareRegisterAttribute(CStdioXMLFile& file) {
    return DeclareCommandAttributes(file, Attributes());
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

std::span<const CommandAttribute<CCommandDravik_RegisterValue>>
CCommandDravik_RegisterValue::Attributes() {
    using T = CCommandDravik_RegisterValue;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwValue", .form = AttributeForm::kHex, .dword = &T::dwValue},
    };
    return kAttributes;
}

int CCommandDravik_RegisterValue::CopyTo(CProjectTreeItem* item) {
    if (!CCommandDravik_Register::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *static_cast<CCommandDravik_RegisterValue*>(item), Attributes());
    return 1;
}

int CCommandDravik_RegisterValue::WriteXMLAttributes(CStdioXMLFile& file) {
    return CCommandDravik_Register::WriteXMLAttributes(file) &&
           WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_RegisterValue::ReadXMLParameters(std::int32_t element) {
    if (!ReadCommandAttributes(element, *this, CCommandDravik_Register::Attributes(), error_) ||
        !ReadCommandAttributes(element, *this, Attributes(), error_))
        return 0;
    return SetParameters(wRegister, dwValue);
}

int CCommandDravik_RegisterValue::DeclareValueAttributes(CStdioXMLFile& file) {
    return DeclareRegisterAttribute(file) && DeclareCommandAttributes(file, Attributes());
}

}  // namespace kv
