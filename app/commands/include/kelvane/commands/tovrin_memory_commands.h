// The adapter commands that move a block of typed values between the project
// and target memory through the loader: ReadMemory, WriteMemory, VerifyMemory
// and FillMemory (a short pattern repeated over the range).
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/buffer_command.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_statics.h"
#include "kelvane/commands/command_tovrin.h"
#include "kelvane/commands/dravik_memory_commands.h"
#include "kelvane/commands/fill_memory_command.h"
#include "kelvane/commands/value_buffer.h"

namespace kv {

extern template class CBufferCommand<CCommandTovrin>;

class CCommandTovrin_Buffer : public CBufferCommand<CCommandTovrin> {
  public:
    explicit CCommandTovrin_Buffer(CommandPage& page) : CBufferCommand(page, 0x0300, " (BSL)") {}
};

extern template class CFillMemoryCommand<CCommandTovrin_Buffer>;

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

class CCommandTovrin_FillMemory : public CFillMemoryCommand<CCommandTovrin_Buffer> {
  public:
    KV_COMMAND_CLASS("Tovrin_FillMemory")
    CCommandTovrin_FillMemory();
    static CProjectTreeItem* CreateDefault(std::string& error);

    CProjectTreeItem* CreateNew() override { return new CCommandTovrin_FillMemory; }
    int OnExecute(CExecuteParams* params) override;

  protected:
    const char* LabelName() const override { return "Fill Memory"; }
};

}  // namespace kv
