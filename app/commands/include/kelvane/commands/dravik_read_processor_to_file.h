// Read Chip to File: reads the information and main flash of the processor
// into an image file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kelvane/commands/command_class.h"
#include "kelvane/commands/dravik_file.h"

namespace kv {

class CDravik;
class CHexImageFile;

class CCommandDravik_ReadProcessorToFile : public CCommandDravik_File, public ReadToFileCommand {
  public:
    static constexpr const char* kElementName = "Dravik_ReadProcessorToFile";
    // The most the commands read from the pod at once.
    static constexpr std::uint32_t kReadBufferSize = 0x40000;

    CCommandDravik_ReadProcessorToFile();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static CCommandDravik_ReadProcessorToFile* Create(std::string& error,
                                                      const std::string& fileName,
                                                      const std::string& typeText);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CCommandDravik_ReadProcessorToFile* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(const std::string& fileName, const std::string& typeText);

    // The read built-ins: a file chosen in the read dialog, not stored.
    int SetReadFile(const std::string& fileName, int fileType) override;
    int SetReadRange(std::uint32_t address, std::uint32_t length) override;
    int GetProcessorReadUnits(CPrgProcessor* processor) override;

    void UpdateLabel() override;
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_ReadProcessorToFile; }
    int OnExecute(CExecuteParams* params) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    explicit CCommandDravik_ReadProcessorToFile(CommandPage* page);
    // The image writer of the file type, opened on the full path.
    std::unique_ptr<CHexImageFile> OpenImage();
    // Reads the range through the pod in pieces into the image.
    int ReadIntoImage(CDravik* pod, CHexImageFile& image, std::uint32_t address,
                      std::uint32_t length);
    // Logs and shows "Writing file <path> ", then writes the image.
    int WriteImage(CExecuteParams* params, CHexImageFile& image);
};

}  // namespace kv
