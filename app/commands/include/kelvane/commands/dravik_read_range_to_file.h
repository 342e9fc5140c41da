// Read Range To File: reads an address range into an image file.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/dravik_read_processor_to_file.h"

namespace kv {

class CCommandDravik_ReadRangeToFile : public CCommandDravik_ReadProcessorToFile {
  public:
    static constexpr const char* kElementName = "Dravik_ReadRangeToFile";

    CCommandDravik_ReadRangeToFile();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandDravik_ReadRangeToFile>> Attributes();
    static CCommandDravik_ReadRangeToFile* Create(std::string& error, const std::string& fileName,
                                                  const std::string& typeText,
                                                  std::uint32_t address, std::uint32_t length);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_ReadRangeToFile* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(const std::string& fileName, const std::string& typeText,
                      std::uint32_t address, std::uint32_t length);
    std::uint32_t GetAddress() const { return dwAddress; }
    std::uint32_t GetLength() const { return dwLength; }
    // The page's setters: a changed value is stored and the document marked.
    void SetAddress(std::uint32_t address);
    void SetLength(std::uint32_t length);

    int SetReadRange(std::uint32_t address, std::uint32_t length) override;

    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_ReadRangeToFile; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    std::uint32_t dwAddress = 0xFFE0;
    std::uint32_t dwLength = 32;
};

}  // namespace kv
