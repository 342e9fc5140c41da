#include "kelvane/commands/dravik_read_processor_to_file.h"

#include <algorithm>
#include <vector>

#include "kelvane/commands/file_paths.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/intel_hex_file.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/text_hex_file.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {

CCommandDravik_ReadProcessorToFile::CCommandDravik_ReadProcessorToFile()
    : CCommandDravik_ReadProcessorToFile(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Read Chip to File";
    description_ = "Read entire processor to file";
    progressUnits_ = 4;
}

CCommandDravik_ReadProcessorToFile::CCommandDravik_ReadProcessorToFile(CommandPage* page)
    : CCommandDravik_File(page) {
    treeImage_ = 24;
}

CommandPage& CCommandDravik_ReadProcessorToFile::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_ReadProcessorToFile::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

int CCommandDravik_ReadProcessorToFile::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [&] { return DeclareFileAttributes(file); });
}

CCommandDravik_ReadProcessorToFile* CCommandDravik_ReadProcessorToFile::Create(
    std::string& error, const std::string& fileName, const std::string& typeText) {
    return CreateCommand<CCommandDravik_ReadProcessorToFile>(error, fileName, typeText);
}

CProjectTreeItem* CCommandDravik_ReadProcessorToFile::CreateFromArguments(
    std::string& error, const CommandArguments& args) {
    std::string fileName, type;
    if (!CommandTextArgument(args, 0, "CCommandDravik_ReadProcessorToFile", fileName, error) ||
        !CommandTextArgument(args, 1, "CCommandDravik_ReadProcessorToFile", type, error))
        return nullptr;
    return Create(error, fileName, type);
}

CCommandDravik_ReadProcessorToFile* CCommandDravik_ReadProcessorToFile::CreateDefault(
    std::string& error) {
    return Create(error, "NoReadFile.txt", "FILETYPE_TI_TXT");
}

int CCommandDravik_ReadProcessorToFile::SetParameters(const std::string& fileName,
                                                      const std::string& typeText) {
    if (!SetFileParameters(fileName, typeText)) return 0;
    UpdateLabel();
    return 1;
}

int CCommandDravik_ReadProcessorToFile::SetReadFile(const std::string& fileName, int fileType) {
    if (fileType != kTiTxt && fileType != kIntelHex)
        return Fail("Unrecognized read file type " + std::to_string(fileType));
    strFileName = fileName;
    fullPath_ = MakeAbsoluteFilePath("", fileName);
    nFileType = fileType;
    UpdateLabel();
    return 1;
}

int CCommandDravik_ReadProcessorToFile::SetReadRange(std::uint32_t /*address*/,
                                                     std::uint32_t /*length*/) {
    return Fail("Cannot set a range to read the whole processor");
}

int CCommandDravik_ReadProcessorToFile::GetProcessorReadUnits(CPrgProcessor* /*processor*/) {
    return progressUnits_;
}

void CCommandDravik_ReadProcessorToFile::UpdateLabel() {
    treeLabel_ = "Read Chip to '" + FileTitle() + "'";
    ShowLabel();
}

std::unique_ptr<CHexImageFile> CCommandDravik_ReadProcessorToFile::OpenImage() {
    std::unique_ptr<CHexImageFile> image;
    if (nFileType == kTiTxt) {
        image = std::make_unique<CTextHexFile>();
    } else if (nFileType == kIntelHex) {
        image = std::make_unique<CIntelHexFile>();
    } else {
        Fail("Unrecognized file type " + std::to_string(nFileType));
        return nullptr;
    }
    if (!image->Open(fullPath_, CHexImageFile::kModeWrite)) {
        Fail(image->GetLastError());
        return nullptr;
    }
    return image;
}

int CCommandDravik_ReadProcessorToFile::ReadIntoImage(CDravik* pod, CHexImageFile& image,
                                                      std::uint32_t address, std::uint32_t length) {
    std::vector<std::uint8_t> buffer(std::min(length, kReadBufferSize));
    while (length > 0) {
        const std::uint32_t piece = std::min(length, kReadBufferSize);
        if (!pod->ReadMemory(buffer.data(), address, piece)) return FailFromPod(pod);
        if (!image.AddBlock(buffer.data(), address, piece)) return Fail(image.GetLastError());
        address += piece;
        length -= piece;
    }
    return 1;
}

int CCommandDravik_ReadProcessorToFile::WriteImage(CExecuteParams* params, CHexImageFile& image) {
    const std::string text = "Writing file " + Quoted(fullPath_) + " ";
    params->Log(text, false);
    params->SetStatusText(text);
    if (!image.Write()) return Fail(image.GetLastError());
    return 1;
}

int CCommandDravik_ReadProcessorToFile::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Reading processor to file");
    params->AdvanceProgress(1);
    CDravik* pod = TakePod(params, "CCommandDravik_ReadProcessorToFile::OnExecute");
    if (pod == nullptr) return 0;
    CPrgProcessor* processor = params->GetProcessor();
    if (processor == nullptr)
        return Fail("NULL processor during CCommandDravik_ReadProcessorToFile::OnExecute");
    std::unique_ptr<CHexImageFile> image = OpenImage();
    if (image == nullptr) return 0;
    params->LogNewLine();
    params->AdvanceProgress(1);
    params->Log("Reading info memory", true);
    int ok = ReadIntoImage(pod, *image, processor->InfoStart, processor->InfoSize);
    if (ok) {
        params->AdvanceProgress(1);
        params->Log("Reading main memory", true);
        ok = ReadIntoImage(pod, *image, processor->MainStart, processor->MainSize);
    }
    if (ok) {
        params->AdvanceProgress(1);
        ok = WriteImage(params, *image);
    }
    image->Close();
    if (ok) RefreshDialog();
    return ok;
}

int CCommandDravik_ReadProcessorToFile::ReadXMLParameters(std::int32_t element) {
    std::string fileName, type;
    if (!ReadFileAttributes(element, fileName, type)) return 0;
    return SetParameters(fileName, type);
}

}  // namespace kv
