// The memory buffer commands of both families (pod and adapter) share one
// implementation: an address, a count and a value type over a typed buffer,
// with the label, copy and XML handling. Family is CCommandDravik or
// CCommandTovrin; the member definitions are instantiated for both in
// buffer_command.cpp.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/value_buffer.h"

namespace kv {

class CExecuteParams;
class CProjectTreeItem;
class CStdioXMLFile;

// The cursor, selection and scroll of the hex editor, kept per command.
struct CEditHexBufferState {
    std::uint32_t cursor = 0;
    std::uint32_t selectionStart = 0;
    std::uint32_t selectionEnd = 0;
    std::uint32_t topLine = 0;
};

template <class Family>
class CBufferCommand : public Family {
  public:
    static int InitEnumTable(std::string& error);

    int SetSize(std::uint32_t count, std::uint16_t type);
    int SetParameters(std::uint32_t address, std::uint32_t count, std::uint16_t type);
    // Page setters.
    int SetAddress(std::uint32_t address);
    int SetCount(std::uint32_t count);
    int SetValueType(std::uint16_t type);
    // The hex editor changed a value.
    void OnValuesEdited();

    int GetValue(std::uint32_t index, std::uint32_t& value);
    int PutValue(std::uint32_t index, std::uint32_t value);
    std::string GetValueTypeDescription() const;
    std::string FormatValue(std::uint32_t index, bool prefix) const {
        return buffer_.FormatValue(index, prefix);
    }
    int PrintValues(CExecuteParams* params, bool withAddress);

    std::uint32_t GetAddress() const { return dwAddress; }
    std::uint32_t GetCount() const { return dwCount; }
    std::uint16_t GetValueType() const { return wValueType; }
    bool HasValues() const { return hasValues_; }
    CValueBuffer& Buffer() { return buffer_; }
    CEditHexBufferState& EditorState() { return editorState_; }

    int CopyTo(CProjectTreeItem* item) override;
    void UpdateLabel() override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    // page is what the family's constructor takes; the label is
    // "<name> @0x%05lX" followed by labelSuffix.
    template <class Page>
    CBufferCommand(Page&& page, std::uint32_t defaultAddress, const char* labelSuffix)
        : Family(std::forward<Page>(page)), dwAddress(defaultAddress), labelSuffix_(labelSuffix) {}

    // "Read Memory" and the like.
    virtual const char* LabelName() const = 0;
    int ReadBufferAttributes(std::int32_t element, std::uint32_t& address, std::uint32_t& count,
                             std::uint16_t& type);
    static int DeclareBufferAttributes(CStdioXMLFile& file);
    // The attributes; the value type is read by hand (older files).
    static std::span<const CommandAttribute<CBufferCommand>> Attributes();

    std::uint32_t dwAddress;
    std::uint32_t dwCount = 16;
    std::uint16_t wValueType = kValueByte;
    CValueBuffer buffer_;
    bool hasValues_ = false;
    CEditHexBufferState editorState_;

  private:
    const char* labelSuffix_;
};

}  // namespace kv
