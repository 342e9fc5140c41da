// The pod commands that move a block of typed values between the project and
// target memory: ReadMemory, WriteMemory (verified), VerifyMemory and
// FillMemory (a short pattern repeated over the range).
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/buffer_command.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"
#include "kelvane/commands/command_statics.h"
#include "kelvane/commands/fill_memory_command.h"
#include "kelvane/commands/value_buffer.h"

namespace kv {

extern template class CBufferCommand<CCommandDravik>;

class CCommandDravik_Buffer : public CBufferCommand<CCommandDravik> {
  public:
    explicit CCommandDravik_Buffer(CommandPage* page) : CBufferCommand(page, 0x200, "") {}
};

extern template class CFillMemoryCommand<CCommandDravik_Buffer>;

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

class CCommandDravik_FillMemory : public CFillMemoryCommand<CCommandDravik_Buffer> {
  public:
    KV_COMMAND_CLASS("Dravik_FillMemory")
    CCommandDravik_FillMemory();
    static CProjectTreeItem* CreateDefault(std::string& error);

    // A count below the pattern's is refused: the pattern must fit.
    int SetCount(std::uint32_t count);

    CProjectTreeItem* CreateNew() override { return new CCommandDravik_FillMemory; }
    int OnExecute(CExecuteParams* params) override;

  protected:
    const char* LabelName() const override { return "Fill Memory"; }
};

}  // namespace kv
