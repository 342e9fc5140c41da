// The pod commands that move a block of typed values between the project and
// target memory: ReadMemory, WriteMemory (verified), VerifyMemory and
// FillMemory (a short pattern repeated over the range).
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"
#include "kelvane/commands/command_statics.h"
#include "kelvane/commands/value_buffer.h"

namespace kv {

// The cursor, selection and scroll of the hex editor, kept per command.
struct CEditHexBufferState {
    std::uint32_t cursor = 0;
    std::uint32_t selectionStart = 0;
    std::uint32_t selectionEnd = 0;
    std::uint32_t topLine = 0;
};

class CCommandDravik_Buffer : public CCommandDravik {
  public:
    explicit CCommandDravik_Buffer(CommandPage* page) : CCommandDravik(page) {}

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
    // "Read Memory" and the like: the label is "<name> @0x%05lX".
    virtual const char* LabelName() const = 0;
    int ReadBufferAttributes(std::int32_t element, std::uint32_t& address, std::uint32_t& count,
                             std::uint16_t& type);
    static int DeclareBufferAttributes(CStdioXMLFile& file);

    std::uint32_t dwAddress = 0x200;
    std::uint32_t dwCount = 16;
    std::uint16_t wValueType = kValueByte;
    CValueBuffer buffer_;
    bool hasValues_ = false;
    CEditHexBufferState editorState_;
};

class CCommandDravik_ReadMemory : public CCommandDravik_Buffer {
  public:
    KV_COMMAND_CLASS("Dravik_ReadMemory")
    CCommandDravik_ReadMemory();
    // The constructor's values, relabelled (no buffer until copied).
    static CProjectTreeItem* CreateDefault(std::string& error);

    CProjectTreeItem* CreateNew() override { return new CCommandDravik_ReadMemory; }
    int OnExecute(CExecuteParams* params) override;
    void RefreshDialog() override { RefreshPage(); }

  protected:
    const char* LabelName() const override { return "Read Memory"; }
};

class CCommandDravik_WriteMemory : public CCommandDravik_Buffer {
  public:
    KV_COMMAND_CLASS("Dravik_WriteMemory")
    CCommandDravik_WriteMemory();
    static CProjectTreeItem* CreateDefault(std::string& error);

    CProjectTreeItem* CreateNew() override { return new CCommandDravik_WriteMemory; }
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLContent(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    const char* LabelName() const override { return "Write Memory"; }
};

class CCommandDravik_VerifyMemory : public CCommandDravik_Buffer {
  public:
    KV_COMMAND_CLASS("Dravik_VerifyMemory")
    CCommandDravik_VerifyMemory();
    static CProjectTreeItem* CreateDefault(std::string& error);

    CProjectTreeItem* CreateNew() override { return new CCommandDravik_VerifyMemory; }
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLContent(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    const char* LabelName() const override { return "Verify Memory"; }
};

class CCommandDravik_FillMemory : public CCommandDravik_Buffer {
  public:
    KV_COMMAND_CLASS("Dravik_FillMemory")
    CCommandDravik_FillMemory();
    static CProjectTreeItem* CreateDefault(std::string& error);

    // The pattern is the first patternCount values; it may be neither empty
    // nor longer than the buffer.
    int SetParameters(std::uint32_t address, std::uint32_t count, std::uint16_t type,
                      std::uint32_t patternCount);
    int SetPatternCount(std::uint32_t patternCount);
    // A count below the pattern's is refused: the pattern must fit.
    int SetCount(std::uint32_t count);
    std::uint32_t GetPatternCount() const { return dwPatternCount; }

    CProjectTreeItem* CreateNew() override { return new CCommandDravik_FillMemory; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int WriteXMLContent(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    const char* LabelName() const override { return "Fill Memory"; }

  private:
    static int CheckPatternCount(std::uint32_t patternCount, std::uint32_t count,
                                 std::string& error);

    std::uint32_t dwPatternCount = 1;
};

}  // namespace kv
