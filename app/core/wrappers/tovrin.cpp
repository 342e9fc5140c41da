#include "kelvane/core/tovrin.h"

#include <filesystem>
#include <string_view>
#include <new>
#include <vector>

#include "wrapper_format.h"

namespace kv {

using wrappers::Format;

namespace {

constexpr uint32_t kOptionMessageBoxes = 0x1001;
constexpr uint32_t kOptionRestoreOnOpen = 0x1002;
constexpr uint32_t kOptionGetSavedImage = 0x1003;
constexpr uint32_t kOptionSetSavedImage = 0x1004;
constexpr size_t kErrorBufferSize = 1024;

// Kept for the whole process: the adapter's lines and the password carry over
// from one run to the next.
struct ProcessState {
    std::string patchFile;
    uint32_t adapterRegisters = 0;
    std::array<uint8_t, 32> password;
    // Whether the password is the chip's as far as the program knows: a Set
    // Password gave it, or a mass erase made it the erased chip's.
    bool passwordKnown = false;
    ProcessState() { password.fill(0xFF); }
};

ProcessState& Process() {
    static ProcessState state;
    return state;
}

// A buffer that reports a failed allocation instead of throwing.
bool Allocate(std::vector<uint8_t>& buffer, size_t size) {
    try {
        buffer.assign(size, 0);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// The library's text when the loader answered the password frame with its
// refusal (0xA0), and what the wrapper adds to it.
constexpr std::string_view kRefusedReply = "Ack failed, returned A0";
constexpr std::string_view kRefusedText =
    "\nThe target's bootstrap loader refused the password. A chip with a 2.x loader erases "
    "its main and information memory on a wrong password.";

// Loaders from version 2.18 on take a memory offset.
bool LoaderSupportsOffset(uint8_t major, uint8_t minor) {
    return major >= 3 || (major == 2 && minor > 0x11);
}

}  // namespace

CTovrin::CTovrin() = default;

void CTovrin::SetPatchFileName(const char* path, int asIs) {
    std::string name = path ? path : "";
    if (!name.empty() && asIs == 0) {
        std::error_code ec;
        const std::filesystem::path full = std::filesystem::absolute(name, ec);
        if (!ec) name = full.lexically_normal().string();
    }
    Process().patchFile = name;
}

const std::string& CTovrin::GetPatchFileName() {
    return Process().patchFile;
}

uint32_t CTovrin::GetSavedAdapterRegisters() {
    return Process().adapterRegisters;
}
void CTovrin::SetSavedAdapterRegisters(uint32_t image) {
    Process().adapterRegisters = image;
}
const std::array<uint8_t, 32>& CTovrin::GetLastPassword() {
    return Process().password;
}
bool CTovrin::IsPasswordKnown() {
    return Process().passwordKnown;
}

void CTovrin::ResetProcessState() {
    Process() = ProcessState();
}

int CTovrin::TakeLibraryError() {
    char buffer[kErrorBufferSize] = {};
    GetLastError_Hesmark(buffer, static_cast<int32_t>(sizeof(buffer)));
    SetError(buffer);
    return 0;
}

int CTovrin::IsOpen() {
    return IsOpen_Hesmark() ? 1 : 0;
}

int CTovrin::SetOption(uint32_t option, uint32_t value) {
    if (SetOption_Hesmark(option, &value)) return 1;
    return TakeLibraryError();
}

int CTovrin::SetPowerOffOption(uint32_t value) {
    return SetOption(HESMARK_OPTION_POWER_OFF, value);
}
int CTovrin::SetMessageBoxOption(uint32_t value) {
    return SetOption(kOptionMessageBoxes, value);
}
int CTovrin::SetRestoreOnOpenOption(uint32_t value) {
    return SetOption(kOptionRestoreOnOpen, value);
}

int CTovrin::SaveAdapterRegisters() {
    uint32_t image = Process().adapterRegisters;
    if (!SetOption_Hesmark(kOptionGetSavedImage, &image)) return TakeLibraryError();
    Process().adapterRegisters = image;
    return 1;
}

int CTovrin::RestoreAdapterRegisters() {
    return SetOption(kOptionSetSavedImage, Process().adapterRegisters);
}

int CTovrin::Open() {
    SetMessageBoxOption(0);
    SetPowerOffOption(0);
    SetRestoreOnOpenOption(1);
    RestoreAdapterRegisters();
    if (!Open_Hesmark(0, kBaudRate)) return TakeLibraryError();
    const std::string& patch = Process().patchFile;
    // The library keeps the name either way. A patch file that is not there
    // fails nothing until a loader that needs it is unlocked; then the
    // library's text asks for it by name. One that is there but cannot be
    // read (a link loop among them) fails the open with the library's text.
    std::error_code unreadable;
    bool ok = patch.empty() || SetPatchFile_Hesmark(patch.c_str()) ||
              (!std::filesystem::exists(patch, unreadable) && !unreadable);
    ok = ok && InitializeAdapter_Hesmark();
    uint16_t version = 0;
    uint32_t serial = 0;
    ok = ok && GetAdapterInfo_Hesmark(&version, &serial);
    if (!ok) {
        TakeLibraryError();
        Close_Hesmark();
        return 0;
    }
    serialNumber_ = serial;
    firmwareVersion_ = Format("v%02d.%02d", (version >> 8) & 0xFF, version & 0xFF);
    const char* library = GetVersion_Hesmark();
    libraryVersion_ = library ? library : "Unknown";
    return 1;
}

int CTovrin::Close() {
    Close_Hesmark();
    serialNumber_ = 0;
    libraryVersion_ = "Unknown";
    firmwareVersion_ = "Unknown";
    SaveAdapterRegisters();
    return 1;
}

int CTovrin::RegisterHWND(HesmarkNotifyProc callback, void* user, uint32_t message,
                          uint32_t kindMask) {
    RegisterHWND_Hesmark(callback, user, message, kindMask);
    return 1;
}

int CTovrin::GetSerialNumber(std::string& text) {
    // The serial shows as a signed 32-bit number.
    text = serialNumber_ == 0
               ? std::string("Unknown")
               : Format("%ld", static_cast<long>(static_cast<int32_t>(serialNumber_)));
    return 1;
}

int CTovrin::GetLibraryVersion(std::string& text) {
    text = libraryVersion_;
    return 1;
}

int CTovrin::GetFirmwareVersion(std::string& text) {
    text = firmwareVersion_;
    return 1;
}

int CTovrin::InitializeTarget() {
    loaderMajor_ = 0;
    loaderMinor_ = 0;
    currentMemoryOffset_ = 0;
    if (InitializeTarget_Hesmark(0)) return 1;
    return TakeLibraryError();
}

int CTovrin::MassErase() {
    if (!MassErase_Hesmark()) return TakeLibraryError();
    // The erased chip's password is 32 bytes of 0xFF.
    Process().password.fill(0xFF);
    Process().passwordKnown = true;
    return 1;
}
int CTovrin::ResetTarget() {
    return ResetTarget_Hesmark() ? 1 : TakeLibraryError();
}
int CTovrin::PowerOff() {
    return PowerOff_Hesmark() ? 1 : TakeLibraryError();
}
int CTovrin::LoadPC(uint32_t address) {
    return LoadPC_Hesmark(address) ? 1 : TakeLibraryError();
}
int CTovrin::SectorErase(uint32_t address) {
    return SectorErase_Hesmark(address) ? 1 : TakeLibraryError();
}

int CTovrin::SetPassword(const uint16_t* words) {
    if (!words) {
        SetError("Unable to set NULL password");
        return 0;
    }
    std::array<uint8_t, 32>& password = Process().password;
    for (size_t i = 0; i < 16; ++i) {
        password[2 * i] = static_cast<uint8_t>(words[i] & 0xFF);
        password[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
    }
    Process().passwordKnown = true;
    return ResendPassword();
}

int CTovrin::ResendPassword() {
    if (SetPasswordData_Hesmark(Process().password.data())) return 1;
    TakeLibraryError();
    if (GetErrorText() == kRefusedReply) SetError(GetErrorText() + std::string(kRefusedText));
    return 0;
}

int CTovrin::GetBootloaderVersion(uint8_t& major, uint8_t& minor) {
    if (loaderMajor_ == 0 || loaderMinor_ == 0) {
        uint8_t readMajor = 0, readMinor = 0;
        if (!GetBootloaderVersion_Hesmark(&readMajor, &readMinor)) return TakeLibraryError();
        loaderMajor_ = readMajor;
        loaderMinor_ = readMinor;
    }
    major = loaderMajor_;
    minor = loaderMinor_;
    return 1;
}

int CTovrin::SupportsMemoryOffset() {
    uint8_t major = 0, minor = 0;
    if (!GetBootloaderVersion(major, minor)) return 0;
    return LoaderSupportsOffset(major, minor) ? 1 : 0;
}

int CTovrin::MemoryOffsetGate(uint32_t address) {
    const uint32_t high = address & 0xFFFF0000u;
    if (currentMemoryOffset_ >= 0 && static_cast<uint32_t>(currentMemoryOffset_) == high) return 1;
    if (!extendedTarget_) {
        if (address < 0x10000) return 1;
        SetError("Unable to set memory offset with non-MSP430X devices");
        return 0;
    }
    if (address >= 0x10000) {
        SetError(
            "Unable to access extended memory at or above 0x00010000 with the current BSL "
            "implementations.\nUse a Dravik or Morrend instead");
        return 0;
    }
    uint8_t major = 0, minor = 0;
    if (!GetBootloaderVersion(major, minor)) return 0;
    if (!LoaderSupportsOffset(major, minor)) {
        SetError("Unable to set memory offset with this BSL version on this device");
        return 0;
    }
    if (!SetMemoryOffset_Hesmark(address >> 16)) return TakeLibraryError();
    currentMemoryOffset_ = static_cast<int32_t>(high);
    return 1;
}

int CTovrin::TransferFrames(uint8_t* buffer, const uint8_t* data, uint32_t address, uint32_t count,
                            int32_t verify) {
    uint32_t done = 0;
    while (done < count) {
        const uint32_t at = address + done;
        uint32_t piece = count - done;
        if (piece > kMaxFrame) piece = kMaxFrame;
        const uint32_t toBoundary = 0x10000u - (at & 0xFFFFu);
        if (piece > toBoundary) piece = toBoundary;
        if (!MemoryOffsetGate(at)) return 0;
        if (data) {
            if (!TxData_Hesmark(at, data + done, piece, verify)) return TakeLibraryError();
        } else {
            uint32_t read = 0;
            if (!RxData_Hesmark(at, buffer + done, piece, &read)) return TakeLibraryError();
            if (read != piece) {
                SetError(Format("Error reading bytes, read 0x%04lX, requested 0x%04lX",
                                static_cast<unsigned long>(read),
                                static_cast<unsigned long>(piece)));
                return 0;
            }
        }
        done += piece;
    }
    return 1;
}

int CTovrin::ReadEven(uint8_t* buffer, uint32_t address, uint32_t count) {
    return TransferFrames(buffer, nullptr, address, count, 0);
}

int CTovrin::WriteEven(const uint8_t* data, uint32_t address, uint32_t count, int32_t verify) {
    return TransferFrames(nullptr, data, address, count, verify);
}

int CTovrin::WriteMemory(const uint8_t* data, uint32_t address, uint32_t count) {
    if (count == 0) return 1;
    if (!data) {
        SetError("Unable to write memory from a NULL buffer");
        return 0;
    }
    if ((address & 1) == 0 && (count & 1) == 0) return WriteEven(data, address, count, 1);

    const uint32_t start = address & ~1u;
    const uint32_t end = (address + count + 1) & ~1u;
    const uint32_t length = end - start;
    std::vector<uint8_t> copy;
    if (!Allocate(copy, static_cast<size_t>(count) + 2)) {
        SetError(Format("Unable to allocate write copy buffer of size 0x%04lX",
                        static_cast<unsigned long>(count) + 2));
        return 0;
    }
    uint8_t word[2];
    if (address & 1) {
        if (!ReadEven(word, start, 2)) return 0;
        copy[0] = word[0];
    }
    // An odd count or an odd end takes the last word's other byte from the target.
    if ((count & 1) || ((address + count) & 1)) {
        if (!ReadEven(word, end - 2, 2)) return 0;
        copy[length - 1] = word[1];
    }
    std::copy(data, data + count, copy.begin() + (address - start));
    return WriteEven(copy.data(), start, length, 1);
}

int CTovrin::ReadMemory(uint8_t* buffer, uint32_t address, uint32_t count) {
    if (count == 0) return 1;
    if (!buffer) {
        SetError("Unable to read memory into a NULL buffer");
        return 0;
    }
    if ((address & 1) == 0 && (count & 1) == 0) return ReadEven(buffer, address, count);
    const uint32_t start = address & ~1u;
    const uint32_t end = (address + count + 1) & ~1u;
    std::vector<uint8_t> copy;
    if (!Allocate(copy, static_cast<size_t>(count) + 2)) {
        SetError(Format("Unable to allocate read copy buffer of size 0x%04lX",
                        static_cast<unsigned long>(count) + 2));
        return 0;
    }
    if (!ReadEven(copy.data(), start, end - start)) return 0;
    std::copy(copy.begin() + (address - start), copy.begin() + (address - start) + count, buffer);
    return 1;
}

int CTovrin::VerifyMemory(const uint8_t* data, uint32_t address, uint32_t count) {
    if (count == 0) return 1;
    if (!data) {
        SetError("Unable to verify memory against a NULL buffer");
        return 0;
    }
    std::vector<uint8_t> read;
    if (!Allocate(read, count)) {
        SetError("Unable to allocate Verify buffer");
        return 0;
    }
    if (!ReadMemory(read.data(), address, count)) return 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (read[i] != data[i]) {
            SetError(Format("Verify error at address 0x%04lX, read 0x%02X, expected 0x%02X",
                            static_cast<unsigned long>(address + i), read[i], data[i]));
            return 0;
        }
    }
    return 1;
}

int CTovrin::EraseCheck(uint32_t address, uint32_t wordCount, int* erased,
                        uint32_t* failureAddress) {
    if (address & 1) {
        SetError("The starting address for an erase check must be even.");
        return 0;
    }
    if (!erased) {
        SetError("Unable to check erase status with NULL pbErased flag");
        return 0;
    }
    *erased = 1;
    if (!failureAddress) {
        SetError("Unable to check erase status with NULL pdwFailureAddress");
        return 0;
    }
    *failureAddress = 0;
    uint8_t major = 0, minor = 0;
    if (!GetBootloaderVersion(major, minor)) return 0;
    if (wordCount == 0) return 1;
    std::vector<uint8_t> read;
    if (wordCount > 0x7FFFFFFFu || !Allocate(read, static_cast<size_t>(wordCount) * 2)) {
        SetError("Unable to allocate erase check read buffer");
        return 0;
    }
    if (!ReadMemory(read.data(), address, wordCount * 2)) {
        SetError(Format("Unable to read 0x%04lX WORDs at address 0x%04lX",
                        static_cast<unsigned long>(wordCount),
                        static_cast<unsigned long>(address)));
        return 0;
    }
    for (uint32_t i = 0; i < wordCount; ++i) {
        const uint32_t value = read[2 * i] | (static_cast<uint32_t>(read[2 * i + 1]) << 8);
        if (value != 0xFFFF) {
            *erased = 0;
            *failureAddress = address + 2 * i;
            SetError(Format("Verify failed at address 0x%04lX, read 0x%04lX",
                            static_cast<unsigned long>(*failureAddress),
                            static_cast<unsigned long>(value)));
            return 0;
        }
    }
    return 1;
}

int CTovrin::SetLockA(int lock) {
    uint8_t reg[2];
    if (!ReadMemory(reg, kFlashControl3, 2)) return 0;
    // Writing 1 to LOCKA toggles it and writing 0 leaves it: write 1 only when
    // the segment's state has to change.
    const bool locked = (reg[0] & 0x40) != 0;
    if (locked != (lock != 0))
        reg[0] = static_cast<uint8_t>(reg[0] | 0x40);
    else
        reg[0] = static_cast<uint8_t>(reg[0] & ~0x40);
    reg[1] = 0xA5;
    return WriteEven(reg, kFlashControl3, 2, 0);
}

}  // namespace kv
