#include "kelvane/commands/tovrin_file.h"

#include <algorithm>

#include "kelvane/commands/command_text.h"
#include "kelvane/commands/current_project.h"
#include "kelvane/commands/file_paths.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/intel_hex_file.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/text_hex_file.h"
#include "kelvane/core/tovrin.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {

CCommandTovrin_File::CCommandTovrin_File(CommandPage& page) : CCommandTovrin(page) {}

CMapParameterXML& CCommandTovrin_File::GetFileTypeMap() {
    static CMapParameterXML map;
    return map;
}

int CCommandTovrin_File::InitEnumTable(std::string& /*error*/) {
    CMapParameterXML& map = GetFileTypeMap();
    map.RemoveAll();
    map.Add("FILETYPE_TI_TXT", "TI Text Files (*.txt)", 1);
    map.Add("FILETYPE_INTEL_HEX", "Intel Hex Files (*.hex)", 2);
    return 1;
}

int CCommandTovrin_File::SetParameters(const std::string& fileName, const std::string& fileType) {
    strRelativeName = fileName;
    ResolveFilePath();
    CMapParameterXML& map = GetFileTypeMap();
    std::int32_t type = 0;
    if (!map.ParseNamedLONG(fileType, &type)) return Fail(map.TakeErrorWithExpected());
    nFileType = type;
    UpdateLabel();
    return 1;
}

void CCommandTovrin_File::SetFileName(const std::string& fullPath) {
    if (fullPath == strFileName) return;
    strFileName = fullPath;
    strRelativeName =
        keepFullPath_ ? fullPath : MakeRelativeFilePath(fullPath, GetCommandProjectFile());
    UpdateLabel();
    SetDocumentModified(1);
}

int CCommandTovrin_File::SetFileType(int fileType) {
    if (fileType != 1 && fileType != 2)
        return Fail(Format("Unrecognized read file type %d", fileType));
    if (fileType != nFileType) {
        nFileType = fileType;
        SetDocumentModified(1);
    }
    return 1;
}

std::unique_ptr<CHexImageFile> CCommandTovrin_File::CreateHexFile(const std::string& path,
                                                                  int fileType, bool read,
                                                                  const CPrgProcessor* chip) {
    std::unique_ptr<CHexImageFile> image;
    if (fileType == 1)
        image = std::make_unique<CTextHexFile>();
    else if (fileType == 2)
        image = std::make_unique<CIntelHexFile>();
    else {
        Fail(Format("Unrecognized file type %d", fileType));
        return nullptr;
    }
    if (chip != nullptr) {
        image->SetAddressCheck([this, chip](std::uint64_t address, std::uint32_t count) {
            return OutsideTheChip(*chip, address, count);
        });
    }
    if (!image->Open(path, read ? CHexImageFile::kModeRead : CHexImageFile::kModeWrite)) {
        Fail(image->GetLastError());
        return nullptr;
    }
    return image;
}

int CCommandTovrin_File::CalculateFileIncrements(int* count) {
    if (count == nullptr) return Fail("Unable to get file parameters with NULL info size pointer");
    std::unique_ptr<CHexImageFile> image = CreateHexFile(strFileName, nFileType, true);
    if (image == nullptr) return 0;
    int total = 0;
    for (std::size_t i = 0; i < image->GetBlockCount(); ++i) {
        CHexBlock* block = image->GetBlock(i);
        if (block == nullptr) {
            image->Close();
            return Fail("NULL hex block in CCommandTovrin_File::CalculateFileIncrements");
        }
        total += static_cast<int>(block->GetCount() / kPieceSize + 1);
    }
    image->Close();
    *count = total;
    return 1;
}

int CCommandTovrin_File::ResolveFilePath() {
    // The pod's file commands' rule: relative to the project file (or the
    // current folder while there is none), backslashes taken as separators.
    strFileName = strRelativeName.empty()
                      ? std::string()
                      : MakeAbsoluteFilePath(GetCommandProjectFile(), strRelativeName);
    RefreshPage();
    return 1;
}

int CCommandTovrin_File::CopyTo(CProjectTreeItem* item) {
    if (!CCommandTovrin::CopyTo(item)) return 0;
    auto* copy = static_cast<CCommandTovrin_File*>(item);
    copy->strFileName = strFileName;
    copy->strRelativeName = strRelativeName;
    CopyCommandAttributes(*this, *copy, Attributes());
    copy->keepFullPath_ = keepFullPath_;
    return 1;
}

std::span<const CommandAttribute<CCommandTovrin_File>> CCommandTovrin_File::Attributes() {
    using T = CCommandTovrin_File;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "nFileType",
         .form = AttributeForm::kKeyword,
         .number = &T::nFileType,
         .map = &GetFileTypeMap,
         .width = KeywordWidth::kLong},
    };
    return kAttributes;
}

int CCommandTovrin_File::DeclareFileAttributes(CStdioXMLFile& file) {
    // The file name is the one parameter kept by hand: it is stored relative
    // to the project file.
    return file.DeclareCdataAttribute(kFileNameAttribute, true) &&
           DeclareCommandAttributes(file, Attributes());
}

int CCommandTovrin_File::WriteXMLAttributes(CStdioXMLFile& file) {
    // The name is stored relative to the file being written, so the project
    // can move with its images.
    if (!strFileName.empty()) strRelativeName = MakeRelativeFilePath(strFileName, file.GetPath());
    if (!file.WriteAttribute(kFileNameAttribute, strRelativeName, true))
        return Fail(file.GetLastError());
    if (!WriteCommandAttributes(file, *this, Attributes(), error_)) return 0;
    keepFullPath_ = false;
    return 1;
}

int CCommandTovrin_File::ReadFileAttributes(std::int32_t element, std::string& fileName,
                                            std::string& typeText) {
    // The type is read as its text: SetParameters parses it.
    return GetXmlAttribute(element, kFileNameAttribute, fileName, error_) &&
           ReadKeywordText(Attributes()[0], element, typeText, error_);
}

int CCommandTovrin_File::ReadXMLParameters(std::int32_t element) {
    std::string name;
    std::string type;
    if (!ReadFileAttributes(element, name, type)) return 0;
    return SetParameters(name, type);
}

std::string CCommandTovrin_File::OutsideTheChip(const CPrgProcessor& processor,
                                                std::uint64_t address, std::uint32_t count) const {
    if (count == 0) return {};
    // Everything the chip has lies below the top of its address space, in its
    // flash or its RAM: an image with a byte anywhere else (peripherals, boot
    // ROM, a gap) is refused while it is read, before the first frame goes out.
    const std::uint64_t top = processor.bIsMSP430X ? 0xFFFFF : 0xFFFF;
    const std::uint64_t last = address + count - 1;
    if (last > top) {
        const std::uint64_t first = std::max<std::uint64_t>(address, top + 1);
        return Format("%s does not fit the %s: it holds data at %05llX, above the chip's top "
                      "address %05llX",
                      Quoted(strFileName).c_str(), processor.GetName().c_str(),
                      static_cast<unsigned long long>(first), static_cast<unsigned long long>(top));
    }
    for (std::uint64_t a = address; a <= last; ++a) {
        const auto at = static_cast<std::uint32_t>(a);
        if (processor.IsInInfoMemory(at) || processor.IsInMainMemory(at) ||
            !processor.RamKnown() || processor.IsInRam(at))
            continue;
        return Format("%s does not fit the %s: it holds data at %05llX, outside the chip's flash "
                      "and RAM",
                      Quoted(strFileName).c_str(), processor.GetName().c_str(),
                      static_cast<unsigned long long>(a));
    }
    return {};
}

int CCommandTovrin_File::HoldsData(const CHexImageFile& image) {
    // An image without a byte would write and verify nothing and still end well.
    if (image.GetTotalBytes() == 0) return Fail(Quoted(strFileName) + " holds no data");
    return 1;
}

int CCommandTovrin_File::TransferFile(CExecuteParams* params, bool write, const char* className) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText(write ? "Writing file " : "Verifying file ");
    params->AdvanceProgress(1);
    CTovrin* adapter = TakeAdapter(params, std::string(className) + "::OnExecute");
    if (adapter == nullptr) return 0;
    params->Log(Quoted(strFileName) + " ", true);
    std::unique_ptr<CHexImageFile> image =
        CreateHexFile(strFileName, nFileType, true, params->GetProcessor());
    if (image == nullptr) return 0;
    if (!HoldsData(*image)) {
        image->Close();
        return 0;
    }
    params->AdvanceProgress(1);
    PumpMessages(0);
    std::uint8_t piece[kPieceSize];
    for (std::size_t i = 0; i < image->GetBlockCount(); ++i) {
        CHexBlock* block = image->GetBlock(i);
        if (block == nullptr) {
            image->Close();
            return Fail("NULL hex block in " + std::string(className) + "::OnExecute");
        }
        std::uint32_t address = block->GetAddress();
        for (std::uint32_t offset = 0; offset < block->GetCount();) {
            PumpMessages(0);
            if (StopRequested(params)) {
                image->Close();
                return 0;
            }
            std::uint32_t copied = 0;
            std::uint32_t want = std::min(block->GetCount() - offset, kPieceSize);
            if (!block->ReadFrom(offset, piece, want, &copied)) {
                Fail(block->GetLastError());
                image->Close();
                return 0;
            }
            int ok = write ? adapter->WriteMemory(piece, address + offset, copied)
                           : adapter->VerifyMemory(piece, address + offset, copied);
            if (!ok) {
                image->Close();
                return FailFromAdapter(adapter);
            }
            if (copied == kPieceSize) {
                params->Log(".", false);
                params->AdvanceProgress(1);
            }
            if (copied == 0) break;
            offset += copied;
        }
        params->Log(".", false);
        params->AdvanceProgress(1);
        PumpMessages(0);
    }
    image->Close();
    return 1;
}

int CCommandTovrin_File::FileTransferUnits() {
    int increments = 0;
    if (!CalculateFileIncrements(&increments)) return 0;
    return 2 + increments;
}

std::string CCommandTovrin_File::FileTitle() const {
    return FileTitleNoExtension(strFileName);
}

}  // namespace kv
