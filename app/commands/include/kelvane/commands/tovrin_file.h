// The base of the adapter's file commands: the image file's full path, the
// form relative to the project file that the project stores, and the file
// type (1 TI-TXT, 2 Intel HEX).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/command_tovrin.h"
#include "kelvane/core/command_roles.h"
#include "kelvane/core/map_parameter_xml.h"

namespace kv {

class CPrgProcessor;

class CHexImageFile;

class CCommandTovrin_File : public CCommandTovrin, public FileCommand {
  public:
    static std::span<const CommandAttribute<CCommandTovrin_File>> Attributes();
    // Transfers move at most this many bytes per piece.
    static constexpr std::uint32_t kPieceSize = 768;

    explicit CCommandTovrin_File(CommandPage& page);

    static int InitEnumTable(std::string& error);
    static CMapParameterXML& GetFileTypeMap();

    // Stores the name as given as the relative form, resolves the full path
    // against the project file and looks the type keyword up.
    int SetParameters(const std::string& fileName, const std::string& fileType);
    const std::string& GetFileName() const { return strFileName; }
    const std::string& GetRelativeFileName() const { return strRelativeName; }
    int GetFileType() const { return nFileType; }
    // The page's setters.
    void SetFileName(const std::string& fullPath);
    int SetFileType(int fileType);
    void SetKeepFullPath() override { keepFullPath_ = true; }

    // Called after a file was picked; SetPassword loads the password from it.
    virtual int ValidateFile() { return 1; }
    // A TI-TXT (1) or Intel HEX (2) image opened for reading (parsed) or
    // writing; nullptr with the image's text in the command. With a chip, a
    // read stops at the first line whose bytes do not fit the chip.
    std::unique_ptr<CHexImageFile> CreateHexFile(const std::string& path, int fileType, bool read,
                                                 const CPrgProcessor* chip = nullptr);
    // The sum over the file's blocks of (length / 768 + 1).
    int CalculateFileIncrements(int* count);

    int ResolveFilePath() override;
    int CopyTo(CProjectTreeItem* item) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    static int DeclareFileAttributes(CStdioXMLFile& file);
    int ReadFileAttributes(std::int32_t element, std::string& fileName, std::string& typeText);
    // Writes (or verifies) every block of the file in pieces of 768 bytes.
    int TransferFile(CExecuteParams* params, bool write, const char* className);
    // Why bytes at [address, address + count) of the file do not fit the
    // processor (above its address space, or outside its flash and RAM);
    // empty when they fit.
    std::string OutsideTheChip(const CPrgProcessor& processor, std::uint64_t address,
                               std::uint32_t count) const;
    // Fails with a text when the image holds no byte at all.
    int HoldsData(const CHexImageFile& image);
    // 2 plus the file's increments; 0 when the file cannot be opened.
    int FileTransferUnits();
    // The file's title for the label.
    std::string FileTitle() const;

  private:
    std::string strFileName;
    std::string strRelativeName;
    int nFileType = 1;
    bool keepFullPath_ = false;
};

}  // namespace kv
