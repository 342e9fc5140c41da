#include <cstdio>

#include "kelvane/commands/buffer_command.h"
#include "kelvane/commands/command_dravik.h"
#include "kelvane/commands/command_tovrin.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

template <class Family>
int CBufferCommand<Family>::InitEnumTable(std::string& error) {
    return CValueBuffer::InitValueTypeMap(error);
}

template <class Family>
int CBufferCommand<Family>::SetSize(std::uint32_t count, std::uint16_t type) {
    bool changed = false;
    if (!buffer_.SetSize(count, type, changed, this->error_)) return 0;
    dwCount = count;
    wValueType = type;
    if (changed) {
        UpdateLabel();
        SetDocumentModified(1);
    }
    return 1;
}

template <class Family>
int CBufferCommand<Family>::SetParameters(std::uint32_t address, std::uint32_t count,
                                          std::uint16_t type) {
    if (!SetSize(count, type)) return 0;
    dwAddress = address;
    UpdateLabel();
    hasValues_ = true;
    return 1;
}

template <class Family>
int CBufferCommand<Family>::SetAddress(std::uint32_t address) {
    if (address != dwAddress) {
        dwAddress = address;
        UpdateLabel();
        SetDocumentModified(1);
    }
    return 1;
}

template <class Family>
int CBufferCommand<Family>::SetCount(std::uint32_t count) {
    return SetSize(count, wValueType);
}

template <class Family>
int CBufferCommand<Family>::SetValueType(std::uint16_t type) {
    return SetSize(dwCount, type);
}

template <class Family>
void CBufferCommand<Family>::OnValuesEdited() {
    if (buffer_.HasBuffer()) SetDocumentModified(1);
}

template <class Family>
int CBufferCommand<Family>::GetValue(std::uint32_t index, std::uint32_t& value) {
    return buffer_.GetValue(index, value, this->error_);
}

template <class Family>
int CBufferCommand<Family>::PutValue(std::uint32_t index, std::uint32_t value) {
    return buffer_.PutValue(index, value, this->error_);
}

template <class Family>
std::string CBufferCommand<Family>::GetValueTypeDescription() const {
    return CValueBuffer::TypeDescription(wValueType);
}

template <class Family>
int CBufferCommand<Family>::PrintValues(CExecuteParams* params, bool withAddress) {
    if (!hasValues_) return 1;
    return buffer_.PrintValues(params, withAddress, dwAddress, this->error_);
}

template <class Family>
int CBufferCommand<Family>::CopyTo(CProjectTreeItem* item) {
    if (!Family::CopyTo(item)) return 0;
    auto* copy = dynamic_cast<CBufferCommand*>(item);
    if (copy == nullptr) return this->Fail("Unable to spawn NULL new item");
    copy->dwAddress = dwAddress;
    bool changed = false;
    if (!copy->buffer_.SetSize(dwCount, wValueType, changed, this->error_)) return 0;
    copy->dwCount = dwCount;
    copy->wValueType = wValueType;
    for (std::uint32_t i = 0; i < buffer_.GetLength() && i < copy->buffer_.GetLength(); ++i)
        copy->buffer_.Data()[i] = buffer_.Data()[i];
    copy->hasValues_ = true;
    copy->editorState_ = editorState_;
    return 1;
}

template <class Family>
void CBufferCommand<Family>::UpdateLabel() {
    char text[64];
    std::snprintf(text, sizeof text, "%s @0x%05lX%s", LabelName(),
                  static_cast<unsigned long>(dwAddress), labelSuffix_);
    this->treeLabel_ = text;
    this->ShowLabel();
}

template <class Family>
std::span<const CommandAttribute<CBufferCommand<Family>>> CBufferCommand<Family>::Attributes() {
    using T = CBufferCommand<Family>;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwAddress", .form = AttributeForm::kHex, .dword = &T::dwAddress},
        {.name = "dwCount", .form = AttributeForm::kHex, .dword = &T::dwCount},
        {.name = "wValueType",
         .form = AttributeForm::kKeyword,
         .word = &T::wValueType,
         .map = &CValueBuffer::ValueTypeMap,
         .width = KeywordWidth::kWord},
    };
    return kAttributes;
}

template <class Family>
int CBufferCommand<Family>::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), this->error_);
}

template <class Family>
int CBufferCommand<Family>::ReadBufferAttributes(std::int32_t element, std::uint32_t& address,
                                                 std::uint32_t& count, std::uint16_t& type) {
    // The value type is read by hand: older files have only bIsWORD.
    const auto attributes = Attributes();
    if (!ReadXmlDwordHex(element, attributes[0].name, address, this->error_)) return 0;
    if (!ReadXmlDwordHex(element, attributes[1].name, count, this->error_)) return 0;
    CMapParameterXML& map = CValueBuffer::ValueTypeMap();
    if (map.ReadNamedAttributeWORD(element, attributes[2].name, &type)) return 1;
    // Older files tell only bytes from words.
    std::string mapError = map.TakeError();
    std::string ignored;
    int isWord = 0;
    if (ReadXmlBool(element, "bIsWORD", isWord, ignored)) {
        type = isWord ? kValueWord : kValueByte;
        return 1;
    }
    return this->Fail(mapError);
}

template <class Family>
int CBufferCommand<Family>::ReadXMLParameters(std::int32_t element) {
    std::uint32_t address = 0, count = 0;
    std::uint16_t type = 0;
    if (!ReadBufferAttributes(element, address, count, type)) return 0;
    // A buffer the target cannot hold is refused with the element's place.
    if (!SetParameters(address, count, type))
        return this->Fail(this->error_ + " " + ElementPlace(element));
    return 1;
}

template <class Family>
int CBufferCommand<Family>::DeclareBufferAttributes(CStdioXMLFile& file) {
    return DeclareCommandAttributes(file, Attributes());
}

template class CBufferCommand<CCommandDravik>;
template class CBufferCommand<CCommandTovrin>;

}  // namespace kv
