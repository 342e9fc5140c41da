// A command that carries only a free text: it documents a command list and
// writes its text into the log when a run passes it. It is also the base of
// every command or item that carries a text (delay, user wait, analysis item).
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_class.h"
#include "kelvane/commands/paged_command.h"

namespace kv {

class CCommandComment : public CPagedCommand {
  public:
    static constexpr const char* kElementName = "Comment";

    CCommandComment();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static CCommandComment* Create(std::string& error, const std::string& text);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandComment* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    // Stores the text, switches both print flags off and relabels.
    virtual int SetText(const std::string& text);
    const std::string& GetText() const { return strText; }
    // The page's setter: a changed text is stored, relabelled and the
    // document marked.
    void SetCommentText(const std::string& text);
    // The text trimmed, cut at its first line break and at maxLength; the
    // complete flag is cleared when anything was cut.
    void GetShortText(std::string& out, std::size_t maxLength, bool& complete) const;

    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override { return new CCommandComment; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLContent(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    explicit CCommandComment(CommandPage& page);
    // Reads the element's text lines joined with line breaks into the text.
    int ReadText(std::int32_t element);
    // "<short text>" with "..." when cut.
    std::string ShortLabel(std::size_t maxLength) const;

  private:
    std::string strText;
};

}  // namespace kv
