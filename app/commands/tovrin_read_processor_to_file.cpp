#include <algorithm>
#include <vector>

#include "kelvane/commands/command_text.h"
#include "kelvane/commands/current_project.h"
#include "kelvane/commands/tovrin_file_commands.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/hex_image_file.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tovrin.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {

namespace {

constexpr std::uint32_t kTop = 0x10000;

}  // namespace

CCommandTovrin_ReadProcessorToFile::CCommandTovrin_ReadProcessorToFile()
    : CCommandTovrin_ReadProcessorToFile(Page()) {
    Describe(kElementName, "Read Chip to File (BSL)", "Read entire processor to file via Tovrin",
             24);
}

CCommandTovrin_ReadProcessorToFile::CCommandTovrin_ReadProcessorToFile(CommandPage& page)
    : CCommandTovrin_File(page) {}

int CCommandTovrin_ReadProcessorToFile::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

int CCommandTovrin_ReadProcessorToFile::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [&] { return DeclareFileAttributes(file); });
}

CProjectTreeItem* CCommandTovrin_ReadProcessorToFile::CreateFromArguments(
    std::string& error, const CommandArguments& args) {
    std::string name;
    std::string type;
    const char* cls = "CCommandTovrin_ReadProcessorToFile";
    if (!CommandTextArgument(args, 0, cls, name, error) ||
        !CommandTextArgument(args, 1, cls, type, error))
        return nullptr;
    auto* command = new CCommandTovrin_ReadProcessorToFile;
    if (!command->SetParameters(name, type)) {
        error = command->TakeError();
        delete command;
        return nullptr;
    }
    return command;
}

CProjectTreeItem* CCommandTovrin_ReadProcessorToFile::CreateDefault(std::string& error) {
    return CreateFromArguments(error,
                               {std::string("NoReadFile.txt"), std::string("FILETYPE_TI_TXT")});
}

CommandPage& CCommandTovrin_ReadProcessorToFile::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandTovrin_ReadProcessorToFile::ProcessorReadUnits(const CPrgProcessor* processor) {
    if (processor == nullptr) return 0;
    std::uint32_t main = processor->MainStart < kTop ? kTop - processor->MainStart : 0;
    return static_cast<int>(main / kPieceSize) + 4;
}

void CCommandTovrin_ReadProcessorToFile::UpdateLabel() {
    SetLabel("Read Chip to '" + FileTitle() + "' (BSL)");
}

int CCommandTovrin_ReadProcessorToFile::GetProgressAggregate() {
    CPrgProcessor* processor = GetCommandProjectProcessor();
    if (processor == nullptr) {
        error_ = "Unable to calculate progress aggregate for NULL processor\n" +
                 CommandProjectProcessorReason();
        return 0;
    }
    return ProcessorReadUnits(processor);
}

int CCommandTovrin_ReadProcessorToFile::SetReadFile(const std::string& fileName, int fileType) {
    if (!SetFileType(fileType)) return 0;
    SetFileName(fileName);
    return 1;
}

int CCommandTovrin_ReadProcessorToFile::SetReadRange(std::uint32_t /*address*/,
                                                     std::uint32_t /*length*/) {
    return 1;
}

int CCommandTovrin_ReadProcessorToFile::ReadPieces(CExecuteParams* params, CTovrin* adapter,
                                                   CHexImageFile& image, std::uint32_t address,
                                                   std::uint32_t length) {
    std::uint8_t piece[kPieceSize];
    for (std::uint32_t done = 0; done < length;) {
        PumpMessages(0);
        if (StopRequested(params)) return 0;
        std::uint32_t size = std::min(length - done, kPieceSize);
        if (!adapter->ReadMemory(piece, address + done, size)) return FailFromAdapter(adapter);
        if (!image.AddBlock(piece, address + done, size)) return Fail(image.GetLastError());
        if (size == kPieceSize) {
            params->Log(".", false);
            params->AdvanceProgress(1);
        }
        done += size;
    }
    return 1;
}

int CCommandTovrin_ReadProcessorToFile::FinishImage(CExecuteParams* params, CHexImageFile& image) {
    PumpMessages(0);
    params->AdvanceProgress(1);
    std::string writing = "\nWriting file " + Quoted(GetFileName()) + " ";
    params->Log(writing, false);
    params->SetStatusText(writing);
    if (!image.Write()) return Fail(image.GetLastError());
    image.Close();
    RefreshPage();
    return 1;
}

int CCommandTovrin_ReadProcessorToFile::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Reading processor to file");
    params->AdvanceProgress(1);
    CTovrin* adapter = TakeAdapter(params, "CCommandTovrin_ReadProcessorToFile::OnExecute");
    if (adapter == nullptr) return 0;
    CPrgProcessor* processor = params->GetProcessor();
    if (processor == nullptr)
        return Fail("NULL processor during CCommandTovrin_ReadProcessorToFile::OnExecute");
    PumpMessages(0);
    std::unique_ptr<CHexImageFile> image = CreateHexFile(GetFileName(), GetFileType(), false);
    if (image == nullptr) return 0;

    params->LogNewLine();
    params->AdvanceProgress(1);
    params->Log("Reading info memory", true);
    std::vector<std::uint8_t> info(processor->InfoSize);
    if (!info.empty()) {
        if (!adapter->ReadMemory(info.data(), processor->InfoStart, processor->InfoSize))
            return FailFromAdapter(adapter);
        if (!image->AddBlock(info.data(), processor->InfoStart, processor->InfoSize))
            return Fail(image->GetLastError());
    }

    PumpMessages(0);
    params->AdvanceProgress(1);
    params->Log(processor->bIsMSP430X ? "Reading main memory (below 0x00010000 only)"
                                      : "Reading main memory",
                true);
    std::uint32_t start = processor->MainStart;
    if (start < kTop && !ReadPieces(params, adapter, *image, start, kTop - start)) return 0;
    return FinishImage(params, *image);
}

}  // namespace kv
