// The pod commands that read, write and check one CPU register of the target.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"
#include "kelvane/commands/command_statics.h"

namespace kv {

class CMapParameterXML;

class CCommandDravik_Register : public CCommandDravik {
  public:
    explicit CCommandDravik_Register(CommandPage* page) : CCommandDravik(page) {}

    // PC, SP, SR and R4 to R15 with their register numbers.
    static CMapParameterXML& RegisterMap();
    static int InitEnumTable(std::string& error);
    // The register's keyword, "R?" for a number without one.
    static std::string RegisterName(std::uint16_t reg);

    // Page setter.
    int SetRegister(std::uint16_t reg);
    std::uint16_t GetRegister() const { return wRegister; }

    static std::span<const CommandAttribute<CCommandDravik_Register>> Attributes();

    int CopyTo(CProjectTreeItem* item) override;
    void UpdateLabel() override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    // "Read Register" and the like: the label is "<name> (%s)".
    virtual const char* LabelName() const = 0;
    static int DeclareRegisterAttribute(CStdioXMLFile& file);
    // "%s = 0x%05lX " for an MSP430X processor, else "%s = 0x%04lX ".
    static std::string FormatRegisterValue(CExecuteParams* params, std::uint16_t reg,
                                           std::uint32_t value);

    std::uint16_t wRegister = 0;
};

// Write and Verify also carry a value.
class CCommandDravik_RegisterValue : public CCommandDravik_Register {
  public:
    explicit CCommandDravik_RegisterValue(CommandPage* page) : CCommandDravik_Register(page) {}

    int SetParameters(std::uint16_t reg, std::uint32_t value);
    // Page setter.
    int SetValue(std::uint32_t value);
    std::uint32_t GetValue() const { return dwValue; }
    static std::span<const CommandAttribute<CCommandDravik_RegisterValue>> Attributes();

    int CopyTo(CProjectTreeItem* item) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    static int DeclareValueAttributes(CStdioXMLFile& file);

    std::uint32_t dwValue = 0;
};

class CCommandDravik_ReadRegister : public CCommandDravik_Register {
  public:
    KV_COMMAND_CLASS("Dravik_ReadRegister")
    CCommandDravik_ReadRegister();
    static CProjectTreeItem* CreateDefault(std::string& error);

    int SetParameters(std::uint16_t reg);
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_ReadRegister; }
    int OnExecute(CExecuteParams* params) override;

  protected:
    const char* LabelName() const override { return "Read Register"; }
};

class CCommandDravik_WriteRegister : public CCommandDravik_RegisterValue {
  public:
    KV_COMMAND_CLASS("Dravik_WriteRegister")
    CCommandDravik_WriteRegister();
    static CProjectTreeItem* CreateDefault(std::string& error);

    CProjectTreeItem* CreateNew() override { return new CCommandDravik_WriteRegister; }
    int OnExecute(CExecuteParams* params) override;

  protected:
    const char* LabelName() const override { return "Write Register"; }
};

class CCommandDravik_VerifyRegister : public CCommandDravik_RegisterValue {
  public:
    KV_COMMAND_CLASS("Dravik_VerifyRegister")
    CCommandDravik_VerifyRegister();
    static CProjectTreeItem* CreateDefault(std::string& error);

    CProjectTreeItem* CreateNew() override { return new CCommandDravik_VerifyRegister; }
    int OnExecute(CExecuteParams* params) override;

  protected:
    const char* LabelName() const override { return "Verify Register"; }
};

}  // namespace kv
