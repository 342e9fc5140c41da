#include "kelvane/commands/command_text.h"
#include "kelvane/commands/tovrin_file_commands.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/hex_image_file.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tovrin.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

CCommandTovrin_ReadRangeToFile::CCommandTovrin_ReadRangeToFile()
    : CCommandTovrin_ReadProcessorToFile(Page()) {
    Describe(kElementName, "Read Range To File (BSL)", "Read range to file via Tovrin", 24);
    UpdateProgressAggregate();
}

int CCommandTovrin_ReadRangeToFile::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandTovrin_ReadRangeToFile>>
CCommandTovrin_ReadRangeToFile::Attributes() {
    using T = CCommandTovrin_ReadRangeToFile;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwAddress", .form = AttributeForm::kDecimal, .dword = &T::dwAddress},
        {.name = "dwLength", .form = AttributeForm::kDecimal, .dword = &T::dwLength},
    };
    return kAttributes;
}

int CCommandTovrin_ReadRangeToFile::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [&] {
        return DeclareFileAttributes(file) && DeclareCommandAttributes(file, Attributes());
    });
}

CProjectTreeItem* CCommandTovrin_ReadRangeToFile::CreateFromArguments(
    std::string& error, const CommandArguments& args) {
    std::string name;
    std::string type;
    std::uint32_t address = 0;
    std::uint32_t length = 0;
    const char* cls = "CCommandTovrin_ReadRangeToFile";
    if (!CommandTextArgument(args, 0, cls, name, error) ||
        !CommandTextArgument(args, 1, cls, type, error) ||
        !CommandNumberArgument(args, 2, cls, address, error) ||
        !CommandNumberArgument(args, 3, cls, length, error))
        return nullptr;
    auto* command = new CCommandTovrin_ReadRangeToFile;
    if (!command->SetParameters(name, type, address, length)) {
        error = command->TakeError();
        delete command;
        return nullptr;
    }
    return command;
}

CProjectTreeItem* CCommandTovrin_ReadRangeToFile::CreateDefault(std::string& error) {
    return CreateFromArguments(error,
                               {std::string("NoReadFile.txt"), std::string("FILETYPE_TI_TXT"),
                                std::uint32_t{0xFFE0}, std::uint32_t{32}});
}

CommandPage& CCommandTovrin_ReadRangeToFile::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandTovrin_ReadRangeToFile::SetParameters(const std::string& fileName,
                                                  const std::string& fileType,
                                                  std::uint32_t address, std::uint32_t length) {
    if (!CCommandTovrin_File::SetParameters(fileName, fileType)) return 0;
    dwAddress = address;
    dwLength = length;
    UpdateProgressAggregate();
    UpdateLabel();
    return 1;
}

void CCommandTovrin_ReadRangeToFile::SetAddress(std::uint32_t address) {
    if (address == dwAddress) return;
    dwAddress = address;
    UpdateProgressAggregate();
    SetDocumentModified(1);
}

void CCommandTovrin_ReadRangeToFile::SetLength(std::uint32_t length) {
    if (length == dwLength) return;
    dwLength = length;
    UpdateProgressAggregate();
    SetDocumentModified(1);
}

int CCommandTovrin_ReadRangeToFile::SetReadRange(std::uint32_t address, std::uint32_t length) {
    SetAddress(address);
    SetLength(length);
    return 1;
}

void CCommandTovrin_ReadRangeToFile::UpdateLabel() {
    SetLabel("Read Range to '" + FileTitle() + "' (BSL)");
}

void CCommandTovrin_ReadRangeToFile::UpdateProgressAggregate() {
    progressUnits_ = static_cast<int>(dwLength / kPieceSize) + 2;
}

int CCommandTovrin_ReadRangeToFile::CopyTo(CProjectTreeItem* item) {
    if (!CCommandTovrin_File::CopyTo(item)) return 0;
    auto* copy = static_cast<CCommandTovrin_ReadRangeToFile*>(item);
    CopyCommandAttributes(*this, *copy, Attributes());
    copy->UpdateProgressAggregate();
    return 1;
}

int CCommandTovrin_ReadRangeToFile::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    const std::string past = RangePastTheEnd(params->GetProcessor(), dwAddress, dwLength);
    if (!past.empty()) return Fail(past);
    params->SetStatusText("Reading range to file");
    params->AdvanceProgress(1);
    CTovrin* adapter = TakeAdapter(params, "CCommandTovrin_ReadRangeToFile::OnExecute");
    if (adapter == nullptr) return 0;
    PumpMessages(0);
    std::unique_ptr<CHexImageFile> image = CreateHexFile(GetFileName(), GetFileType(), false);
    if (image == nullptr) return 0;
    params->Log(Format("Reading at 0x%08lX, length 0x%08lX", static_cast<unsigned long>(dwAddress),
                       static_cast<unsigned long>(dwLength)),
                true);
    if (!ReadPieces(params, adapter, *image, dwAddress, dwLength)) return 0;
    return FinishImage(params, *image);
}

int CCommandTovrin_ReadRangeToFile::WriteXMLAttributes(CStdioXMLFile& file) {
    return CCommandTovrin_File::WriteXMLAttributes(file) &&
           WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandTovrin_ReadRangeToFile::ReadXMLParameters(std::int32_t element) {
    std::string name;
    std::string type;
    CCommandTovrin_ReadRangeToFile values;
    if (!ReadFileAttributes(element, name, type) ||
        !ReadCommandAttributes(element, values, Attributes(), error_))
        return 0;
    return SetParameters(name, type, values.dwAddress, values.dwLength);
}

}  // namespace kv
