// A fixed pause with a note: the run sleeps in slices of 250 ms, letting
// window messages through and logging "." between slices.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/comment.h"

namespace kv {

class CCommandDelay : public CCommandComment {
  public:
    static constexpr const char* kElementName = "Delay";
    static constexpr std::uint32_t kSlice = 250;

    CCommandDelay();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandDelay>> Attributes();
    static CCommandDelay* Create(std::string& error, std::uint32_t delay, const std::string& text);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDelay* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }
    // "None", "%ld msec", or seconds with two, one or no decimals.
    static std::string FormatDelay(std::uint32_t delay);

    virtual int SetParameters(std::uint32_t delay, const std::string& text);
    std::uint32_t GetDelay() const { return dwDelay; }
    // The page's setter.
    void SetDelay(std::uint32_t delay);

    void UpdateLabel() override;
    void UpdateProgressAggregate() override;
    CProjectTreeItem* CreateNew() override { return new CCommandDelay; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    std::uint32_t dwDelay = 0;
};

}  // namespace kv
