// Set Password (BSL): sends the loader password, the 32 bytes of the
// interrupt vector table, held as sixteen words or taken afresh from the image
// file at every run, then logs the target's processor type and loader version.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/tovrin_file.h"

namespace kv {

class CCommandTovrin_SetPassword : public CCommandTovrin_File {
  public:
    static constexpr const char* kElementName = "Tovrin_SetPassword";
    static constexpr int kWords = 16;
    static constexpr std::uint32_t kVectorTable = 0xFFE0;

    CCommandTovrin_SetPassword();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandTovrin_SetPassword>> Attributes();
    static CCommandTovrin_SetPassword* Create(std::string& error, const std::string& fileName,
                                              const std::string& fileType, int sourceIsFile);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandTovrin_SetPassword* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(const std::string& fileName, const std::string& fileType, int sourceIsFile);
    std::uint16_t GetPasswordWord(int index) const;
    void SetPasswordWord(int index, std::uint16_t word);
    // All words 0xFFFF; with the flag set the document is marked modified.
    void ClearPassword(int markModified);
    int GetPasswordSourceIsFile() const { return bPasswordSourceIsFile; }
    void SetPasswordSourceIsFile(int sourceIsFile);
    // Takes the 32 bytes at 0xFFE0 from the image (0xFF where it holds none).
    int LoadPasswordFromFile(int refresh);

    int ValidateFile() override { return LoadPasswordFromFile(0); }
    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override { return new CCommandTovrin_SetPassword; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int WriteXMLContent(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    std::array<std::uint16_t, kWords> words_;
    int bPasswordSourceIsFile = 0;
};

}  // namespace kv
