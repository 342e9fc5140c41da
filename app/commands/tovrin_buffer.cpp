#include <cstdio>

#include "kelvane/commands/tovrin_memory_commands.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

int CCommandTovrin_Buffer::InitEnumTable(std::string& error) {
    return CValueBuffer::InitValueTypeMap(error);
}

int CCommandTovrin_Buffer::SetSize(std::uint32_t count, std::uint16_t type) {
    bool changed = false;
    if (!buffer_.SetSize(count, type, changed, error_)) return 0;
    dwCount = count;
    wValueType = type;
    if (changed) {
        UpdateLabel();
        SetDocumentModified(1);
    }
    return 1;
}

int CCommandTovrin_Buffer::SetParameters(std::uint32_t address, std::uint32_t count,
                                         std::uint16_t type) {
    if (!SetSize(count, type)) return 0;
    dwAddress = address;
    UpdateLabel();
    hasValues_ = true;
    return 1;
}

int CCommandTovrin_Buffer::SetAddress(std::uint32_t address) {
    if (address != dwAddress) {
        dwAddress = address;
        UpdateLabel();
        SetDocumentModified(1);
    }
    return 1;
}

int CCommandTovrin_Buffer::SetCount(std::uint32_t count) {
    return SetSize(count, wValueType);
}

int CCommandTovrin_Buffer::SetValueType(std::uint16_t type) {
    return SetSize(dwCount, type);
}

void CCommandTovrin_Buffer::OnValuesEdited() {
    if (buffer_.HasBuffer()) SetDocumentModified(1);
}

int CCommandTovrin_Buffer::GetValue(std::uint32_t index, std::uint32_t& value) {
    return buffer_.GetValue(index, value, error_);
}

int CCommandTovrin_Buffer::PutValue(std::uint32_t index, std::uint32_t value) {
    return buffer_.PutValue(index, value, error_);
}

std::string CCommandTovrin_Buffer::GetValueTypeDescription() const {
    return CValueBuffer::TypeDescription(wValueType);
}

int CCommandTovrin_Buffer::PrintValues(CExecuteParams* params, bool withAddress) {
    if (!hasValues_) return 1;
    return buffer_.PrintValues(params, withAddress, dwAddress, error_);
}

int CCommandTovrin_Buffer::CopyTo(CProjectTreeItem* item) {
    if (!CCommandTovrin::CopyTo(item)) return 0;
    auto* copy = dynamic_cast<CCommandTovrin_Buffer*>(item);
    if (copy == nullptr) return Fail("Unable to spawn NULL new item");
    copy->dwAddress = dwAddress;
    bool changed = false;
    if (!copy->buffer_.SetSize(dwCount, wValueType, changed, error_)) return 0;
    copy->dwCount = dwCount;
    copy->wValueType = wValueType;
    for (std::uint32_t i = 0; i < buffer_.GetLength() && i < copy->buffer_.GetLength(); ++i)
        copy->buffer_.Data()[i] = buffer_.Data()[i];
    copy->hasValues_ = true;
    copy->editorState_ = editorState_;
    return 1;
}

void CCommandTovrin_Buffer::UpdateLabel() {
    char text[64];
    std::snprintf(text, sizeof text, "%s @0x%05lX (BSL)", LabelName(),
                  static_cast<unsigned long>(dwAddress));
    treeLabel_ = text;
    ShowLabel();
}

int CCommandTovrin_Buffer::WriteXMLAttributes(CStdioXMLFile& file) {
    if (!file.WriteDwordAttribute("dwAddress", dwAddress, true) ||
        !file.WriteDwordAttribute("dwCount", dwCount, true) ||
        !file.WriteWordMapAttribute("wValueType", wValueType, CValueBuffer::ValueTypeMap(), true))
        return Fail(file.TakeError());
    return 1;
}

int CCommandTovrin_Buffer::ReadBufferAttributes(std::int32_t element, std::uint32_t& address,
                                                std::uint32_t& count, std::uint16_t& type) {
    if (!ReadXmlDwordHex(element, "dwAddress", address, error_)) return 0;
    if (!ReadXmlDwordHex(element, "dwCount", count, error_)) return 0;
    CMapParameterXML& map = CValueBuffer::ValueTypeMap();
    if (map.ReadAttributeWORD(element, "wValueType", &type)) return 1;
    // Older files tell only bytes from words.
    std::string mapError = map.TakeError();
    std::string ignored;
    int isWord = 0;
    if (ReadXmlBool(element, "bIsWORD", isWord, ignored)) {
        type = isWord ? kValueWord : kValueByte;
        return 1;
    }
    return Fail(mapError);
}

int CCommandTovrin_Buffer::ReadXMLParameters(std::int32_t element) {
    std::uint32_t address = 0, count = 0;
    std::uint16_t type = 0;
    if (!ReadBufferAttributes(element, address, count, type)) return 0;
    return SetParameters(address, count, type);
}

int CCommandTovrin_Buffer::DeclareBufferAttributes(CStdioXMLFile& file) {
    return file.DeclareCdataAttribute("dwAddress", true) &&
           file.DeclareCdataAttribute("dwCount", true) &&
           file.DeclareMapAttribute("wValueType", CValueBuffer::ValueTypeMap(), true);
}

}  // namespace kv
