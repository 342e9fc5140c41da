// The adapter's file commands: write or verify an image file, read the chip
// or an address range into one. They read and write the image themselves and
// move it through the adapter in pieces of at most 768 bytes.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/tovrin_file.h"

namespace kv {

class CPrgProcessor;

class CCommandTovrin_WriteFile : public CCommandTovrin_File {
  public:
    static constexpr const char* kElementName = "Tovrin_WriteFile";

    CCommandTovrin_WriteFile();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandTovrin_WriteFile>> Attributes();
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CProjectTreeItem* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(const std::string& fileName, const std::string& fileType, int verifyMem);
    int GetVerifyMem() const { return bVerifyMem; }
    void SetVerifyMem(int verifyMem);

    void UpdateLabel() override;
    int GetProgressAggregate() override { return FileTransferUnits(); }
    CProjectTreeItem* CreateNew() override { return new CCommandTovrin_WriteFile; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    int bVerifyMem = 0;
};

class CCommandTovrin_VerifyFile : public CCommandTovrin_File {
  public:
    static constexpr const char* kElementName = "Tovrin_VerifyFile";

    CCommandTovrin_VerifyFile();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CProjectTreeItem* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    void UpdateLabel() override;
    int GetProgressAggregate() override { return FileTransferUnits(); }
    CProjectTreeItem* CreateNew() override { return new CCommandTovrin_VerifyFile; }
    int OnExecute(CExecuteParams* params) override;
};

class CCommandTovrin_ReadProcessorToFile : public CCommandTovrin_File, public ReadToFileCommand {
  public:
    static constexpr const char* kElementName = "Tovrin_ReadProcessorToFile";

    CCommandTovrin_ReadProcessorToFile();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CProjectTreeItem* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }
    // (0x10000 - main flash start) / 768 + 4.
    static int ProcessorReadUnits(const CPrgProcessor* processor);

    void UpdateLabel() override;
    int GetProgressAggregate() override;
    CProjectTreeItem* CreateNew() override { return new CCommandTovrin_ReadProcessorToFile; }
    int OnExecute(CExecuteParams* params) override;

    int SetReadFile(const std::string& fileName, int fileType) override;
    int SetReadRange(std::uint32_t address, std::uint32_t length) override;
    int GetProcessorReadUnits(CPrgProcessor* processor) override {
        return ProcessorReadUnits(processor);
    }

  protected:
    CCommandTovrin_ReadProcessorToFile(CommandPage& page);
    // Reads length bytes from address in 768-byte pieces into the image.
    int ReadPieces(CExecuteParams* params, CTovrin* adapter, CHexImageFile& image,
                   std::uint32_t address, std::uint32_t length);
    // Writes the image file, closes it and refreshes the page on success.
    int FinishImage(CExecuteParams* params, CHexImageFile& image);
};

class CCommandTovrin_ReadRangeToFile : public CCommandTovrin_ReadProcessorToFile {
  public:
    static constexpr const char* kElementName = "Tovrin_ReadRangeToFile";

    CCommandTovrin_ReadRangeToFile();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandTovrin_ReadRangeToFile>> Attributes();
    static CProjectTreeItem* CreateFromArguments(std::string& error, const CommandArguments& args);
    static CProjectTreeItem* CreateDefault(std::string& error);
    static CommandPage& Page();
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
        return Page().Create(parent, rect);
    }
    static int DestroyPropertyPage() { return Page().Destroy(); }

    int SetParameters(const std::string& fileName, const std::string& fileType,
                      std::uint32_t address, std::uint32_t length);
    std::uint32_t GetAddress() const { return dwAddress; }
    std::uint32_t GetLength() const { return dwLength; }
    void SetAddress(std::uint32_t address);
    void SetLength(std::uint32_t length);

    void UpdateLabel() override;
    int GetProgressAggregate() override { return progressUnits_; }
    void UpdateProgressAggregate() override;
    CProjectTreeItem* CreateNew() override { return new CCommandTovrin_ReadRangeToFile; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;
    int SetReadRange(std::uint32_t address, std::uint32_t length) override;

  private:
    std::uint32_t dwAddress = 0;
    std::uint32_t dwLength = 0;
};

}  // namespace kv
