// Configure: one JTAG configuration mode and value. Loaded from project files
// only; it keeps the two attribute texts it was read with and writes them
// back unchanged.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_dravik.h"

namespace kv {

class CMapParameterXML;

class CCommandDravik_Configure : public CCommandDravik {
  public:
    static constexpr const char* kElementName = "Dravik_Configure";

    CCommandDravik_Configure();

    static int InitEnumTable(std::string& error);
    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandDravik_Configure>> Attributes();
    // The configuration modes (VERIFICATION_MODE 0 ... INTERFACE_MODE 8) and
    // the JTAG interfaces of INTERFACE_MODE.
    static CMapParameterXML& GetModeMap();
    static CMapParameterXML& GetInterfaceMap();

    int SetParameters(const std::string& modeText, const std::string& valueText);
    std::int32_t GetMode() const { return nMode; }
    std::uint32_t GetValue() const { return nValue; }
    const std::string& GetModeText() const { return strMode_; }
    const std::string& GetValueText() const { return strValue_; }

    CProjectTreeItem* CreateNew() override { return new CCommandDravik_Configure; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    // SetParameters for the texts of the element (or of no element, -1): a
    // refusal read from a file names the attribute and its place.
    int Apply(const std::string& modeText, const std::string& valueText, std::int32_t element);

    std::int32_t nMode = 0;
    std::uint32_t nValue = 0;
    std::string strMode_;
    std::string strValue_;
};

}  // namespace kv
