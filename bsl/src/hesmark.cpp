// The exported interface: one connection per process, the last-error text,
// the options and the host's notification outlet.
#include "hesmark/hesmark.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "hesmark_bootload_port.h"
#include "kelvane/core/intel_hex_file.h"
#include "kelvane/core/text_hex_file.h"
#include "kelvane/platform/format.h"
#include "tovrin/tovrin.h"

namespace {

using hesmark::CHesmarkBootloadPort;
using kv::text::Format;

constexpr const char* kLibraryVersion = "01.01.00";
constexpr size_t kErrorBufferSize = 1024;

struct LibraryState {
    std::unique_ptr<CHesmarkBootloadPort> port;
    std::string error = "No error";
    hesmark::NotifyTarget notify;
    uint32_t autoPatch = 1;
    uint32_t sendPasswordFile = 1;
    uint32_t powerOff = 1;
};

LibraryState& State() {
    static LibraryState state;
    return state;
}

int SetError(std::string text) {
    if (text.size() >= kErrorBufferSize) text.resize(kErrorBufferSize - 1);
    State().error = std::move(text);
    return 0;
}

// The connection, or nullptr after leaving the text for a call without one.
CHesmarkBootloadPort* Port(const char* function) {
    CHesmarkBootloadPort* port = State().port.get();
    if (port == nullptr) SetError(Format("%s() called prior to Open_Hesmark()", function));
    return port;
}

int Result(CHesmarkBootloadPort* port, bool ok) {
    if (ok) return 1;
    return SetError(port->ErrorText());
}

// An image of file type 1 (TI-TXT) or 2 (Intel HEX), built with 16-byte blocks.
std::unique_ptr<kv::CHexImageFile> MakeImage(int32_t fileType, std::string* error) {
    if (fileType == 1) return std::make_unique<kv::CTextHexFile>(kv::kBootloaderHexBuild);
    if (fileType == 2) return std::make_unique<kv::CIntelHexFile>(kv::kBootloaderHexBuild);
    *error = Format("Unrecognized file type %d", fileType);
    return nullptr;
}

// Reads an image file; `announce` sends the append notice of the bytes read.
std::unique_ptr<kv::CHexImageFile> ReadImage(CHesmarkBootloadPort* port, const char* fileName,
                                             int32_t fileType, bool announce) {
    std::string error;
    std::unique_ptr<kv::CHexImageFile> image = MakeImage(fileType, &error);
    if (!image) {
        SetError(error);
        return nullptr;
    }
    if (fileName == nullptr || !image->Open(fileName, kv::CHexImageFile::kModeRead)) {
        SetError(fileName == nullptr ? "NULL file name" : image->GetLastError());
        return nullptr;
    }
    if (announce) {
        port->Append(Format("\nRead %04lX bytes from %s",
                            static_cast<unsigned long>(image->GetTotalBytes()), fileName),
                     false);
    }
    return image;
}

void CloseConnection() {
    LibraryState& state = State();
    state.port.reset();
    Tovrin_Close();
}

}  // namespace

extern "C" {

int Open_Hesmark(int32_t adapter, uint32_t baud) {
    LibraryState& state = State();
    if (state.port) Close_Hesmark();
    state.port = std::make_unique<CHesmarkBootloadPort>();
    CHesmarkBootloadPort* port = state.port.get();
    if (!Tovrin_Open(adapter)) {
        SetError(hesmark::AdapterErrorText());
        CloseConnection();
        return 0;
    }
    port->SetAdapterOpen(true);
    if (!Tovrin_SetBaudRate(baud)) {
        SetError(hesmark::AdapterErrorText());
        CloseConnection();
        return 0;
    }
    if (state.powerOff && !port->TargetPowerOff()) {
        SetError(port->ErrorText());
        CloseConnection();
        return 0;
    }
    port->SetNotifyTarget(state.notify);
    return 1;
}

int Close_Hesmark(void) {
    LibraryState& state = State();
    CHesmarkBootloadPort* port = state.port.get();
    if (port == nullptr) return 1;
    // The connection closes whatever the power-off does; its failure is reported.
    const bool ok = !state.powerOff || port->TargetPowerOff();
    if (!ok) SetError(port->ErrorText());
    port->DropPatchImage();
    CloseConnection();
    return ok ? 1 : 0;
}

int IsOpen_Hesmark(void) {
    return State().port ? 1 : 0;
}

int GetLastError_Hesmark(char* buffer, int32_t size) {
    if (buffer == nullptr || size <= 0) return 0;
    const std::string& text = State().error;
    const size_t n = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

const char* GetVersion_Hesmark(void) {
    return kLibraryVersion;
}

int RegisterHWND_Hesmark(HesmarkNotifyProc callback, void* user, uint32_t message,
                         uint32_t kindMask) {
    LibraryState& state = State();
    state.notify = hesmark::NotifyTarget{callback, user, message, kindMask};
    if (state.port) state.port->SetNotifyTarget(state.notify);
    return 1;
}

int SetOption_Hesmark(uint32_t option, uint32_t* value) {
    LibraryState& state = State();
    uint32_t* slot = option == HESMARK_OPTION_AUTO_PATCH           ? &state.autoPatch
                     : option == HESMARK_OPTION_SEND_PASSWORD_FILE ? &state.sendPasswordFile
                     : option == HESMARK_OPTION_POWER_OFF          ? &state.powerOff
                                                                   : nullptr;
    if (slot != nullptr) {
        if (value == nullptr)
            return SetError(Format("Option %u set with NULL value", static_cast<unsigned>(option)));
        *slot = *value;
        return 1;
    }
    if (option >= 0x1001 && option <= 0x1004) {
        if (!Tovrin_SetOption(option, value))
            return SetError(
                Format("Tovrin option 0x%08lX failed", static_cast<unsigned long>(option)));
    }
    return 1;
}

int InitializeAdapter_Hesmark(void) {
    CHesmarkBootloadPort* port = Port("InitializeAdapter_Hesmark");
    if (!port) return 0;
    return Result(port, port->InitializeAdapter(State().powerOff != 0));
}

int GetAdapterInfo_Hesmark(uint16_t* version, uint32_t* serialNumber) {
    CHesmarkBootloadPort* port = Port("GetAdapterInfo_Hesmark");
    if (!port) return 0;
    if (version == nullptr || serialNumber == nullptr)
        return SetError("GetAdapterInfo_Hesmark() called with NULL output");
    *version = 0;
    *serialNumber = 0;
    *version = port->AdapterVersion();
    *serialNumber = port->AdapterSerial();
    return 1;
}

int InitializeTarget_Hesmark(int32_t) {
    CHesmarkBootloadPort* port = Port("InitializeTarget_Hesmark");
    if (!port) return 0;
    return Result(port, port->InitializeTarget());
}

int ResetTarget_Hesmark(void) {
    CHesmarkBootloadPort* port = Port("ResetTarget_Hesmark");
    if (!port) return 0;
    return Result(port, port->ResetTarget());
}

int PowerOn_Hesmark(void) {
    CHesmarkBootloadPort* port = Port("PowerOn_Hesmark");
    if (!port) return 0;
    return Result(port, port->PowerOn());
}

int PowerOff_Hesmark(void) {
    CHesmarkBootloadPort* port = Port("PowerOff_Hesmark");
    if (!port) return 0;
    return Result(port, port->PowerOff());
}

int SetPasswordData_Hesmark(const uint8_t* password) {
    CHesmarkBootloadPort* port = Port("SetPasswordData_Hesmark");
    if (!port) return 0;
    if (password == nullptr) return SetError("SetPasswordData_Hesmark() called with NULL password");
    return Result(port, port->SetPassword(password, State().autoPatch != 0));
}

int GetPasswordData_Hesmark(uint8_t* buffer, uint32_t capacity, uint32_t* count) {
    CHesmarkBootloadPort* port = Port("GetPasswordData_Hesmark");
    if (!port) return 0;
    if (buffer == nullptr || capacity < hesmark::kPasswordSize)
        return SetError("Insufficient password buffer size");
    std::copy(port->Password().begin(), port->Password().end(), buffer);
    if (count) *count = static_cast<uint32_t>(hesmark::kPasswordSize);
    return 1;
}

int SetPasswordFile_Hesmark(const char* fileName, int32_t fileType) {
    CHesmarkBootloadPort* port = Port("SetPasswordFile_Hesmark");
    if (!port) return 0;
    std::unique_ptr<kv::CHexImageFile> image = ReadImage(port, fileName, fileType, false);
    if (!image) return 0;
    std::array<uint8_t, hesmark::kPasswordSize> password{};
    password.fill(0xFF);
    const bool extracted =
        image->ExtractBlock(password.data(), hesmark::kPasswordAddress, hesmark::kPasswordSize);
    const std::string imageError = image->GetLastError();
    image->Close();
    if (!extracted) return SetError(imageError);
    if (!State().sendPasswordFile) {
        port->StorePassword(password.data());
        return 1;
    }
    return Result(port, port->SetPassword(password.data(), State().autoPatch != 0));
}

int SetPatchFile_Hesmark(const char* fileName) {
    CHesmarkBootloadPort* port = Port("SetPatchFile_Hesmark");
    if (!port) return 0;
    port->DropPatchImage();
    port->SetPatchFileName(fileName ? fileName : "");
    kv::CTextHexFile image(kv::kBootloaderHexBuild);
    if (fileName == nullptr) return SetError("Unable to open patch file (null)");
    const std::string text = Format("Unable to open patch file %s", fileName);
    if (!image.Open(fileName, kv::CHexImageFile::kModeRead)) {
        // Only a file that is not there goes without a reason: the caller may do without a
        // patch. One that cannot be read (a link loop, a folder, a FIFO, a bad line) says why.
        if (::access(fileName, F_OK) != 0 && errno == ENOENT) return SetError(text);
        return SetError(text + "\n" + image.GetLastError());
    }
    // Contiguous lines make one block of code.
    std::vector<hesmark::CodeBlock> blocks;
    for (size_t i = 0; i < image.GetBlockCount(); ++i) {
        const kv::CHexBlock* block = image.GetBlock(i);
        if (block == nullptr) continue;
        if (!blocks.empty() &&
            blocks.back().address + blocks.back().data.size() == block->GetAddress()) {
            blocks.back().data.insert(blocks.back().data.end(), block->GetData(),
                                      block->GetData() + block->GetCount());
        } else {
            blocks.push_back(
                {block->GetAddress(),
                 std::vector<uint8_t>(block->GetData(), block->GetData() + block->GetCount())});
        }
    }
    const bool ended = image.EndsWithEndLine();
    image.Close();
    if (blocks.empty()) return SetError(text + "\nThe file holds no data");
    // The patch runs as code: one cut short or out of step would run whatever it lacks.
    if (!ended)
        return SetError(text + "\nThe patch has no end line 'q': the file may be cut short");
    for (const hesmark::CodeBlock& block : blocks) {
        if ((block.address & 1) == 0) continue;
        return SetError(text + Format("\nPatch code at %05X starts at an odd address: MSP430 "
                                      "code starts at even addresses only",
                                      block.address));
    }
    // A patch that does not fit the loader's RAM would only fail once it is written.
    for (const hesmark::CodeBlock& block : blocks) {
        const uint32_t end = block.address + static_cast<uint32_t>(block.data.size());
        if (block.address >= hesmark::kPatchRamStart && end <= hesmark::kPatchRamEnd) continue;
        const uint32_t outside = block.address < hesmark::kPatchRamStart
                                     ? block.address
                                     : std::max(block.address, hesmark::kPatchRamEnd);
        return SetError(text + Format("\nPatch data at %05X lies outside the loader's RAM, "
                                      "%05X to %05X",
                                      outside, hesmark::kPatchRamStart, hesmark::kPatchRamEnd - 1));
    }
    port->SetPatchImage(std::move(blocks));
    return 1;
}

int IsPatchRequired_Hesmark(void) {
    CHesmarkBootloadPort* port = Port("IsPatchRequired_Hesmark");
    return port && port->IsPatchRequired() ? 1 : 0;
}

int GetBootloaderVersion_Hesmark(uint8_t* major, uint8_t* minor) {
    CHesmarkBootloadPort* port = Port("GetBootloaderVersion_Hesmark");
    if (!port) return 0;
    if (major == nullptr || minor == nullptr)
        return SetError("GetBootloaderVersion_Hesmark() called with NULL output");
    *major = port->LoaderMajor();
    *minor = port->LoaderMinor();
    return 1;
}

const char* GetProcessorType_Hesmark(void) {
    CHesmarkBootloadPort* port = State().port.get();
    return port ? port->ProcessorType().c_str() : "";
}

int MassErase_Hesmark(void) {
    CHesmarkBootloadPort* port = Port("MassErase_Hesmark");
    if (!port) return 0;
    if (!port->AdapterOpen()) return SetError("Comm port not open");
    port->LogStart("Performing mass erase");
    const bool ok = port->MassErase();
    port->LogLine(ok ? "Mass erase successful" : "Mass erase failed", true);
    return Result(port, ok);
}

int SectorErase_Hesmark(uint32_t address) {
    CHesmarkBootloadPort* port = Port("SectorErase_Hesmark");
    if (!port) return 0;
    const auto a = static_cast<unsigned long>(address);
    port->LogStart(Format("Performing sector erase at %04lX", a));
    if (!port->SelectAddress(address) || !port->EraseSegment(address)) return Result(port, false);
    port->LogLine(Format("Sector at %04lX erased", a));
    return 1;
}

int LoadPC_Hesmark(uint32_t address) {
    CHesmarkBootloadPort* port = Port("LoadPC_Hesmark");
    if (!port) return 0;
    const auto a = static_cast<unsigned long>(address);
    port->LogStart(Format("Loading PC at %04lX", a));
    if (!port->SelectAddress(address) || !port->LoadPC(address)) return Result(port, false);
    // Whether it restarted or left the loader, the offset is no longer in force.
    port->ForgetMemoryOffset();
    port->LogLine(Format("PC loaded at %04lX", a));
    return 1;
}

int SetMemoryOffset_Hesmark(uint32_t offset) {
    CHesmarkBootloadPort* port = State().port.get();
    if (!port) return SetError("Cannot set memory offset with NULL Hesmark Port");
    port->LogStart(Format("Setting memory offset to %04X", static_cast<unsigned>(offset)));
    if (!port->SetMemoryOffset(offset)) return Result(port, false);
    port->KeepMemoryOffset();
    port->LogLine(Format("Memory offset set to %04X", static_cast<unsigned>(offset)));
    return 1;
}

int RxData_Hesmark(uint32_t address, uint8_t* buffer, uint32_t count, uint32_t* countRead) {
    CHesmarkBootloadPort* port = Port("RxData_Hesmark");
    if (!port) return 0;
    if (countRead) *countRead = 0;
    port->LogStart(Format("Reading %04lX bytes from target at %04lX",
                          static_cast<unsigned long>(count), static_cast<unsigned long>(address)));
    // RxDataBlock refuses a count its frame cannot carry before sending anything.
    const bool ok = (count > hesmark::kMaxFrameData || port->SelectAddress(address)) &&
                    port->RxDataBlock(address, buffer, count);
    if (!ok) return Result(port, false);
    if (countRead) *countRead = count;
    port->LogLine("Read succeeded");
    return 1;
}

int TxData_Hesmark(uint32_t address, const uint8_t* data, uint32_t count, int32_t verify) {
    CHesmarkBootloadPort* port = Port("TxData_Hesmark");
    if (!port) return 0;
    port->LogStart(Format("Transmitting %04lX bytes to target at %04lX",
                          static_cast<unsigned long>(count), static_cast<unsigned long>(address)));
    if (count != 0 && data == nullptr) return SetError("TxData_Hesmark() called with NULL data");
    const bool ok =
        (count > hesmark::kMaxFrameData || (count & 1) || port->SelectAddress(address)) &&
        port->TxDataBlock(address, data, count, verify == 1);
    if (!ok) return Result(port, false);
    port->LogLine("Transmit succeeded");
    return 1;
}

int VerifyData_Hesmark(uint32_t address, const uint8_t* data, uint32_t count) {
    CHesmarkBootloadPort* port = Port("VerifyData_Hesmark");
    if (!port) return 0;
    if (count != 0 && data == nullptr)
        return SetError("VerifyData_Hesmark() called with NULL data");
    // An odd count reads one byte more and compares only the caller's bytes.
    std::vector<uint8_t> expected(data, data + count);
    if (count & 1) expected.push_back(0xFF);
    const bool ok = (count > hesmark::kMaxFrameData || port->SelectAddress(address)) &&
                    port->VerifyBlock(address, expected.data(), expected.size(), count);
    return Result(port, ok);
}

int WriteFile_Hesmark(const char* fileName, int32_t fileType, int32_t verify) {
    CHesmarkBootloadPort* port = Port("WriteFile_Hesmark");
    if (!port) return 0;
    std::unique_ptr<kv::CHexImageFile> image = ReadImage(port, fileName, fileType, true);
    if (!image) return 0;
    const bool ok = port->WriteImage(image.get(), verify == 1);
    image->Close();
    return Result(port, ok);
}

int ReadFile_Hesmark(const char* fileName, int32_t fileType, uint32_t address, uint32_t size) {
    CHesmarkBootloadPort* port = Port("ReadFile_Hesmark");
    if (!port) return 0;
    std::string error;
    std::unique_ptr<kv::CHexImageFile> image = MakeImage(fileType, &error);
    if (!image) return SetError(error);
    if (fileName == nullptr) return SetError("NULL file name");
    image->Open(fileName, kv::CHexImageFile::kModeWrite);
    if (!port->ReadImage(image.get(), address, size)) return Result(port, false);
    if (!image->Write()) return SetError(image->GetLastError());
    image->Close();
    return 1;
}

int VerifyFile_Hesmark(const char* fileName, int32_t fileType) {
    CHesmarkBootloadPort* port = Port("VerifyFile_Hesmark");
    if (!port) return 0;
    std::unique_ptr<kv::CHexImageFile> image = ReadImage(port, fileName, fileType, true);
    if (!image) return 0;
    const bool ok = port->VerifyImage(image.get());
    image->Close();
    return Result(port, ok);
}

int PollTargetSignal_Hesmark(int32_t* flag) {
    CHesmarkBootloadPort* port = Port("PollTargetSignal_Hesmark");
    if (!port) return 0;
    if (flag == nullptr) return SetError("PollTargetSignal_Hesmark() called with NULL flag");
    return Result(port, port->PollTargetSignal(flag));
}

int PortTx_Hesmark(void) {
    if (!Port("PortTx_Hesmark")) return 0;
    return SetError("PortTx_Hesmark() not implemented yet.");
}

int PortRx_Hesmark(void) {
    if (!Port("PortRx_Hesmark")) return 0;
    return SetError("PortRx_Hesmark() not implemented yet.");
}

}  // extern "C"
