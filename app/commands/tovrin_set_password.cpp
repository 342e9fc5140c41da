#include "kelvane/commands/tovrin_set_password.h"

#include <sstream>

#include "kelvane/commands/command_text.h"
#include "kelvane/commands/value_buffer.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/hex_image_file.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tovrin.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {

CCommandTovrin_SetPassword::CCommandTovrin_SetPassword() : CCommandTovrin_File(Page()) {
    Describe(kElementName, "Set Password (BSL)", "Set password to unlock target via Tovrin", 32);
    words_.fill(0xFFFF);
}

int CCommandTovrin_SetPassword::DeclareElement(CStdioXMLFile& file) {
    return DeclareEmptyCommandElement(file, kElementName);
}

std::span<const CommandAttribute<CCommandTovrin_SetPassword>>
CCommandTovrin_SetPassword::Attributes() {
    using T = CCommandTovrin_SetPassword;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "bPasswordSourceIsFile",
         .form = AttributeForm::kBool,
         .number = &T::bPasswordSourceIsFile},
    };
    return kAttributes;
}

int CCommandTovrin_SetPassword::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName, [&] {
        return DeclareFileAttributes(file) && DeclareCommandAttributes(file, Attributes());
    });
}

CCommandTovrin_SetPassword* CCommandTovrin_SetPassword::Create(std::string& error,
                                                               const std::string& fileName,
                                                               const std::string& fileType,
                                                               int sourceIsFile) {
    auto* command = new CCommandTovrin_SetPassword;
    if (!command->SetParameters(fileName, fileType, sourceIsFile)) {
        error = command->TakeError();
        delete command;
        return nullptr;
    }
    return command;
}

CProjectTreeItem* CCommandTovrin_SetPassword::CreateFromArguments(std::string& error,
                                                                  const CommandArguments& args) {
    std::string name;
    std::string type;
    std::uint32_t source = 0;
    const char* cls = "CCommandTovrin_SetPassword";
    if (!CommandTextArgument(args, 0, cls, name, error) ||
        !CommandTextArgument(args, 1, cls, type, error) ||
        !CommandNumberArgument(args, 2, cls, source, error))
        return nullptr;
    return Create(error, name, type, source != 0);
}

CCommandTovrin_SetPassword* CCommandTovrin_SetPassword::CreateDefault(std::string& error) {
    return Create(error, "NoFile.txt", "FILETYPE_TI_TXT", 0);
}

CommandPage& CCommandTovrin_SetPassword::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandTovrin_SetPassword::SetParameters(const std::string& fileName,
                                              const std::string& fileType, int sourceIsFile) {
    if (!CCommandTovrin_File::SetParameters(fileName, fileType)) return 0;
    bPasswordSourceIsFile = sourceIsFile != 0;
    UpdateLabel();
    return 1;
}

std::uint16_t CCommandTovrin_SetPassword::GetPasswordWord(int index) const {
    return index >= 0 && index < kWords ? words_[static_cast<std::size_t>(index)] : 0xFFFF;
}

void CCommandTovrin_SetPassword::SetPasswordWord(int index, std::uint16_t word) {
    if (index < 0 || index >= kWords || words_[static_cast<std::size_t>(index)] == word) return;
    words_[static_cast<std::size_t>(index)] = word;
    SetDocumentModified(1);
}

void CCommandTovrin_SetPassword::ClearPassword(int markModified) {
    words_.fill(0xFFFF);
    if (markModified) SetDocumentModified(1);
}

void CCommandTovrin_SetPassword::SetPasswordSourceIsFile(int sourceIsFile) {
    if ((sourceIsFile != 0) == (bPasswordSourceIsFile != 0)) return;
    bPasswordSourceIsFile = sourceIsFile != 0;
    UpdateLabel();
    SetDocumentModified(1);
}

int CCommandTovrin_SetPassword::LoadPasswordFromFile(int refresh) {
    std::uint8_t bytes[2 * kWords];
    std::fill(std::begin(bytes), std::end(bytes), 0xFF);
    std::unique_ptr<CHexImageFile> image = CreateHexFile(GetFileName(), GetFileType(), true);
    if (image == nullptr) return 0;
    // A file without a byte of the vector table gives no password: sending
    // the erased chip's instead would erase a programmed 2.x chip.
    if (!image->HoldsAny(kVectorTable, sizeof bytes)) {
        Fail(Quoted(GetFileName()) + " holds no password: no byte at FFE0-FFFF");
        image->Close();
        return 0;
    }
    if (!image->ExtractBlock(bytes, kVectorTable, sizeof bytes)) {
        Fail(image->GetLastError());
        image->Close();
        return 0;
    }
    image->Close();
    bool changed = false;
    for (int i = 0; i < kWords; ++i) {
        auto word = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (words_[static_cast<std::size_t>(i)] != word) {
            words_[static_cast<std::size_t>(i)] = word;
            changed = true;
        }
    }
    if (changed) SetDocumentModified(1);
    if (refresh && changed) RefreshPage();
    return 1;
}

void CCommandTovrin_SetPassword::UpdateLabel() {
    SetLabel(bPasswordSourceIsFile ? "Set Password (BSL) '" + FileTitle() + "'"
                                   : std::string("Set Password (BSL)"));
}

int CCommandTovrin_SetPassword::CopyTo(CProjectTreeItem* item) {
    if (!CCommandTovrin_File::CopyTo(item)) return 0;
    auto* copy = static_cast<CCommandTovrin_SetPassword*>(item);
    copy->words_ = words_;
    CopyCommandAttributes(*this, *copy, Attributes());
    return 1;
}

int CCommandTovrin_SetPassword::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Setting password");
    params->AdvanceProgress(progressUnits_);
    CTovrin* adapter = TakeAdapter(params, "CCommandTovrin_SetPassword::OnExecute");
    if (adapter == nullptr) return 0;
    if (bPasswordSourceIsFile) {
        params->LogNewLine();
        params->Log(Quoted(GetFileName()) + " ", false);
        if (!LoadPasswordFromFile(1)) return 0;
    }
    if (!adapter->SetPassword(words_.data()))
        return Fail("Password failed:  " + adapter->TakeLastError());
    std::uint8_t major = 0;
    std::uint8_t minor = 0;
    if (!adapter->GetBootloaderVersion(major, minor)) return FailFromAdapter(adapter);
    const char* type = GetProcessorType_Hesmark();
    params->Log(Format("Read %s, v%02lX.%02lX ", type != nullptr ? type : "",
                       static_cast<unsigned long>(major), static_cast<unsigned long>(minor)),
                false);
    return 1;
}

int CCommandTovrin_SetPassword::WriteXMLAttributes(CStdioXMLFile& file) {
    return CCommandTovrin_File::WriteXMLAttributes(file) &&
           WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandTovrin_SetPassword::WriteXMLContent(CStdioXMLFile& file) {
    std::string text = "\n";
    for (int line = 0; line < 4; ++line) {
        const std::uint16_t* w = &words_[static_cast<std::size_t>(4 * line)];
        text += Format("0x%04lX 0x%04lX 0x%04lX 0x%04lX\n", static_cast<unsigned long>(w[0]),
                       static_cast<unsigned long>(w[1]), static_cast<unsigned long>(w[2]),
                       static_cast<unsigned long>(w[3]));
    }
    return file.WriteText(text);
}

int CCommandTovrin_SetPassword::ReadXMLParameters(std::int32_t element) {
    std::string name;
    std::string type;
    CCommandTovrin_SetPassword values;
    if (!ReadFileAttributes(element, name, type) ||
        !ReadCommandAttributes(element, values, Attributes(), error_))
        return 0;
    if (!SetParameters(name, type, values.bPasswordSourceIsFile)) return 0;
    std::string text;
    if (!GetXmlElementText(element, text, false, error_)) return 0;
    // Each word is one whole number of 16 bits, read as the memory commands
    // read their values; a refusal names the element.
    std::istringstream tokens(text);
    std::string token;
    int parsed = 0;
    while (parsed < kWords && tokens >> token) {
        std::uint32_t value = 0;
        if (!CValueBuffer::ParseValue(token, true, value, error_))
            return Fail(error_ + " " + ElementPlace(element));
        if (value > 0xFFFF)
            return Fail("Unable to parse '" + Quoted(token) +
                        "' for value: it does not fit in a WORD value " + ElementPlace(element));
        words_[static_cast<std::size_t>(parsed++)] = static_cast<std::uint16_t>(value);
    }
    if (parsed < kWords)
        return Fail(Format("Expected %d password WORDs, only parsed %d", kWords, parsed) + " " +
                    ElementPlace(element));
    return 1;
}

}  // namespace kv
