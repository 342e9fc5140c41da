#include "kelvane/commands/dravik_read_range_to_file.h"

#include <cstdio>

#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/hex_image_file.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

CCommandDravik_ReadRangeToFile::CCommandDravik_ReadRangeToFile()
    : CCommandDravik_ReadProcessorToFile(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Read Range To File";
    description_ = "Read range to file";
    progressUnits_ = 3;
}

CommandPage& CCommandDravik_ReadRangeToFile::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandDravik_ReadRangeToFile::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandDravik_ReadRangeToFile>>
CCommandDravik_ReadRangeToFile::Attributes() {
    using T = CCommandDravik_ReadRangeToFile;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwAddress", .form = AttributeForm::kDecimal, .dword = &T::dwAddress},
        {.name = "dwLength", .form = AttributeForm::kDecimal, .dword = &T::dwLength},
    };
    return kAttributes;
}

int CCommandDravik_ReadRangeToFile::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [&] {
        return DeclareFileAttributes(file) && DeclareCommandAttributes(file, Attributes());
    });
}

CCommandDravik_ReadRangeToFile* CCommandDravik_ReadRangeToFile::Create(std::string& error,
                                                                       const std::string& fileName,
                                                                       const std::string& typeText,
                                                                       std::uint32_t address,
                                                                       std::uint32_t length) {
    return CreateCommand<CCommandDravik_ReadRangeToFile>(error, fileName, typeText, address,
                                                         length);
}

CProjectTreeItem* CCommandDravik_ReadRangeToFile::CreateFromArguments(
    std::string& error, const CommandArguments& args) {
    std::string fileName, type;
    std::uint32_t address = 0, length = 0;
    const char* name = "CCommandDravik_ReadRangeToFile";
    if (!CommandTextArgument(args, 0, name, fileName, error) ||
        !CommandTextArgument(args, 1, name, type, error) ||
        !CommandNumberArgument(args, 2, name, address, error) ||
        !CommandNumberArgument(args, 3, name, length, error))
        return nullptr;
    return Create(error, fileName, type, address, length);
}

CCommandDravik_ReadRangeToFile* CCommandDravik_ReadRangeToFile::CreateDefault(std::string& error) {
    return Create(error, "NoReadFile.txt", "FILETYPE_TI_TXT", 0xFFE0, 32);
}

int CCommandDravik_ReadRangeToFile::SetParameters(const std::string& fileName,
                                                  const std::string& typeText,
                                                  std::uint32_t address, std::uint32_t length) {
    if (!CCommandDravik_ReadProcessorToFile::SetParameters(fileName, typeText)) return 0;
    dwAddress = address;
    dwLength = length;
    UpdateLabel();
    return 1;
}

void CCommandDravik_ReadRangeToFile::SetAddress(std::uint32_t address) {
    if (address == dwAddress) return;
    dwAddress = address;
    SetDocumentModified(1);
}

void CCommandDravik_ReadRangeToFile::SetLength(std::uint32_t length) {
    if (length == dwLength) return;
    dwLength = length;
    SetDocumentModified(1);
}

int CCommandDravik_ReadRangeToFile::SetReadRange(std::uint32_t address, std::uint32_t length) {
    dwAddress = address;
    dwLength = length;
    return 1;
}

void CCommandDravik_ReadRangeToFile::UpdateLabel() {
    treeLabel_ = "Read Range to '" + FileTitle() + "'";
    ShowLabel();
}

int CCommandDravik_ReadRangeToFile::CopyTo(CProjectTreeItem* item) {
    auto* copy = dynamic_cast<CCommandDravik_ReadRangeToFile*>(item);
    if (copy == nullptr) return Fail("Unable to spawn NULL new item");
    if (!CCommandDravik_ReadProcessorToFile::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

int CCommandDravik_ReadRangeToFile::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    const std::string past = RangePastTheEnd(params->GetProcessor(), dwAddress, dwLength);
    if (!past.empty()) return Fail(past);
    params->SetStatusText("Reading range to file");
    params->AdvanceProgress(1);
    CDravik* pod = TakePod(params, "CCommandDravik_ReadRangeToFile::OnExecute");
    if (pod == nullptr) return 0;
    std::unique_ptr<CHexImageFile> image = OpenImage();
    if (image == nullptr) return 0;
    params->LogNewLine();
    params->AdvanceProgress(1);
    char text[64];
    std::snprintf(text, sizeof text, "Reading at 0x%08lX, length 0x%08lX",
                  static_cast<unsigned long>(dwAddress), static_cast<unsigned long>(dwLength));
    params->Log(text, true);
    int ok = ReadIntoImage(pod, *image, dwAddress, dwLength);
    if (ok) {
        params->AdvanceProgress(1);
        ok = WriteImage(params, *image);
    }
    image->Close();
    if (ok) RefreshDialog();
    return ok;
}

int CCommandDravik_ReadRangeToFile::WriteXMLAttributes(CStdioXMLFile& file) {
    return CCommandDravik_File::WriteXMLAttributes(file) &&
           WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandDravik_ReadRangeToFile::ReadXMLParameters(std::int32_t element) {
    std::string fileName, type;
    CCommandDravik_ReadRangeToFile values;
    if (!ReadFileAttributes(element, fileName, type) ||
        !ReadCommandAttributes(element, values, Attributes(), error_))
        return 0;
    return SetParameters(fileName, type, values.dwAddress, values.dwLength);
}

}  // namespace kv
