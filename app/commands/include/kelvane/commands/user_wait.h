// Stops a run to show the operator the command's text in a message box and
// goes on or fails by the answer.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/comment.h"

namespace kv {

class CMapParameterXML;

class CCommandUserWait : public CCommandComment {
  public:
    static constexpr const char* kElementName = "UserWait";

    CCommandUserWait();

    // MB_OK, MB_OKCANCEL and MB_YESNO with the message-box button codes.
    static CMapParameterXML& ButtonMap();
    static int InitEnumTable(std::string& error);
    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandUserWait>> Attributes();
    static CCommandUserWait* Create(std::string& error, const std::string& type,
                                    const std::string& text);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandUserWait* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    // The buttons as a keyword or number, then the text.
    virtual int SetParameters(const std::string& type, const std::string& text);
    // Page setter.
    void SetType(std::uint16_t type);
    std::uint16_t GetType() const { return wType; }

    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override { return new CCommandUserWait; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    std::uint16_t wType = 0;
};

}  // namespace kv
