// The adapter commands that move a block of typed values between the project
// and target memory through the loader: ReadMemory, WriteMemory, VerifyMemory
// and FillMemory (a short pattern repeated over the range).
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_statics.h"
#include "kelvane/commands/command_tovrin.h"
#include "kelvane/commands/dravik_memory_commands.h"
#include "kelvane/commands/value_buffer.h"

namespace kv {

class CCommandTovrin_Buffer : public CCommandTovrin {
  public:
    explicit CCommandTovrin_Buffer(CommandPage& page) : CCommandTovrin(page) {}

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
    // "Read Memory" and the like: the label is "<name> @0x%05lX (BSL)".
    virtual const char* LabelName() const = 0;
    int ReadBufferAttributes(std::int32_t element, std::uint32_t& address, std::uint32_t& count,
                             std::uint16_t& type);
    static int DeclareBufferAttributes(CStdioXMLFile& file);

    std::uint32_t dwAddress = 0x0300;
    std::uint32_t dwCount = 16;
    std::uint16_t wValueType = kValueByte;
    CValueBuffer buffer_;
    bool hasValues_ = false;
    CEditHexBufferState editorState_;
};

class CCommandTovrin_ReadMemory : public CCommandTovrin_Buffer {
  public:
    KV_COMMAND_CLASS("Tovrin_ReadMemory")
    CCommandTovrin_ReadMemory();
    // The constructor's values, relabelled (no buffer until copied).
    static CProjectTreeItem* CreateDefault(std::string& error);

    CProjectTreeItem* CreateNew() override { return new CCommandTovrin_ReadMemory; }
    int OnExecute(CExecuteParams* params) override;
    void RefreshDialog() override { RefreshPage(); }

  protected:
    const char* LabelName() const override { return "Read Memory"; }
};

class CCommandTovrin_WriteMemory : public CCommandTovrin_Buffer {
  public:
    KV_COMMAND_CLASS("Tovrin_WriteMemory")
    CCommandTovrin_WriteMemory();
    static CProjectTreeItem* CreateDefault(std::string& error);

    CProjectTreeItem* CreateNew() override { return new CCommandTovrin_WriteMemory; }
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLContent(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    const char* LabelName() const override { return "Write Memory"; }
};

class CCommandTovrin_VerifyMemory : public CCommandTovrin_Buffer {
  public:
    KV_COMMAND_CLASS("Tovrin_VerifyMemory")
    CCommandTovrin_VerifyMemory();
    static CProjectTreeItem* CreateDefault(std::string& error);

    CProjectTreeItem* CreateNew() override { return new CCommandTovrin_VerifyMemory; }
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLContent(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    const char* LabelName() const override { return "Verify Memory"; }
};

class CCommandTovrin_FillMemory : public CCommandTovrin_Buffer {
  public:
    KV_COMMAND_CLASS("Tovrin_FillMemory")
    CCommandTovrin_FillMemory();
    static CProjectTreeItem* CreateDefault(std::string& error);

    // The pattern is the first patternCount values; it may be neither empty
    // nor longer than the buffer.
    int SetParameters(std::uint32_t address, std::uint32_t count, std::uint16_t type,
                      std::uint32_t patternCount);
    int SetPatternCount(std::uint32_t patternCount);
    std::uint32_t GetPatternCount() const { return dwPatternCount; }

    CProjectTreeItem* CreateNew() override { return new CCommandTovrin_FillMemory; }
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
