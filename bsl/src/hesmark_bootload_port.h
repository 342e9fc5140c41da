// CHesmarkBootloadPort: one bootstrap-loader connection over the Tovrin
// adapter - the bytes on the wire (sync, frames with sequence numbers and
// checksums, acknowledgements and their time-outs, read replies), every loader
// command, the processor information and the loader patch; the adapter line
// sequences that power, reset and start the target; image files gathered into
// frames; and the notices sent to the registered host callback.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "hesmark/hesmark.h"

namespace kv {
class CHexImageFile;
}

namespace hesmark {

// Loader commands.
inline constexpr uint8_t kCmdPassword = 0x10;
inline constexpr uint8_t kCmdWriteBlock = 0x12;
inline constexpr uint8_t kCmdReadBlock = 0x14;
inline constexpr uint8_t kCmdEraseSegment = 0x16;
inline constexpr uint8_t kCmdMassErase = 0x18;
inline constexpr uint8_t kCmdLoadPC = 0x1A;
inline constexpr uint8_t kCmdMemoryOffset = 0x21;

inline constexpr uint8_t kSync = 0x80;
inline constexpr uint8_t kAck = 0x90;
inline constexpr uint8_t kNak = 0xA0;
inline constexpr size_t kMaxFrameData = 250;
inline constexpr size_t kPasswordSize = 32;

// Time-outs and pauses in milliseconds.
inline constexpr uint32_t kAckTimeout = 2500;
inline constexpr uint32_t kMassEraseExtra = 1000;
inline constexpr uint32_t kLoadPCPause = 100;
inline constexpr uint32_t kMemoryOffsetPause = 10;
inline constexpr uint32_t ReadReplyTimeout(size_t n) {
    return static_cast<uint32_t>(20 * n + 220);
}

// Address of the loader's restart entry, used before loading the patch.
inline constexpr uint32_t kPatchRestartPC = 0x0C22;
// Where a patch may lie: in RAM above the loader's own variables, and below the end of the
// largest RAM among the chips whose loader needs a patch (2 KB from 0x0200).
inline constexpr uint32_t kPatchRamStart = 0x0220;
inline constexpr uint32_t kPatchRamEnd = 0x0A00;
inline constexpr uint32_t kProcessorInfoAddress = 0x0FF0;
inline constexpr uint32_t kPasswordAddress = 0xFFE0;

// Largest piece of image data gathered into one frame.
inline constexpr size_t kWriteBufferSize = 128;
// Pause after each piece of a file read, in milliseconds.
inline constexpr uint32_t kReadPiecePause = 20;

// Where notices go: a host callback with its user value, message number and
// the mask of notice kinds it wants.
struct NotifyTarget {
    HesmarkNotifyProc callback = nullptr;
    void* user = nullptr;
    uint32_t message = HESMARK_DEFAULT_MESSAGE;
    uint32_t kindMask = 0;
};

// One contiguous piece of a code image.
struct CodeBlock {
    uint32_t address;
    std::vector<uint8_t> data;
};

// The checksum word of a frame or reply: XOR of its 16-bit little-endian
// words; the wire carries it inverted, low byte first.
uint16_t ChecksumWord(const uint8_t* bytes, size_t count);

class CHesmarkBootloadPort {
  public:
    CHesmarkBootloadPort();
    virtual ~CHesmarkBootloadPort();
    CHesmarkBootloadPort(const CHesmarkBootloadPort&) = delete;
    CHesmarkBootloadPort& operator=(const CHesmarkBootloadPort&) = delete;

    const std::string& ErrorText() const { return m_strError; }
    void SetErrorText(std::string text) { m_strError = std::move(text); }
    void SetAdapterOpen(bool open) { m_bAdapterOpen = open; }
    bool AdapterOpen() const;
    uint8_t SequenceNumber() const { return m_nSequence; }
    bool Quiet() const { return m_bQuiet; }
    void SetQuiet(bool quiet) { m_bQuiet = quiet; }

    // Raw bytes.
    bool WritePort(const uint8_t* data, size_t count);
    // Waits up to `timeoutMs` for `count` bytes and reads them; `*received`
    // is the number the adapter handed over.
    // `before` bytes of the same reply were read already; a time-out counts them.
    bool ReadPort(uint8_t* buffer, size_t count, uint32_t timeoutMs, size_t* received,
                  size_t before = 0);

    // Frames.
    bool Synchronize();
    bool SendFrame(uint8_t command, uint32_t address, uint16_t length, const uint8_t* data,
                   size_t count);
    bool ReadAck(uint32_t extraMs);

    // Notices go to `target` from now on.
    void SetNotifyTarget(const NotifyTarget& target) { m_notify = target; }
    const NotifyTarget& GetNotifyTarget() const { return m_notify; }

    // Adapter lines: the target's supply, reset and loader entry.
    bool InitializeAdapter(bool powerOff);
    bool InitializeTarget();
    bool ResetTarget();
    bool PowerOn();
    bool PowerOff();
    bool TargetPowerOff();
    bool TargetPowerOn();
    bool PollTargetSignal(int32_t* flag);
    uint16_t AdapterVersion() const { return m_wAdapterVersion; }
    uint32_t AdapterSerial() const { return m_dwAdapterSerial; }

    // Image files: written in frames of up to 128 bytes, verified against the
    // target, or read from the target into `image` (open for writing).
    bool WriteImage(kv::CHexImageFile* image, bool verify);
    bool VerifyImage(kv::CHexImageFile* image);
    bool ReadImage(kv::CHexImageFile* image, uint32_t address, uint32_t size);

    // Memory above 64K: makes the loader's memory offset the high half of
    // `address`, with the memory-offset command when it differs from the one
    // in force; refused by loaders without the command.
    bool SelectAddress(uint32_t address);
    // The high address half the loader works in (0 after its start).
    uint32_t MemoryOffset() const { return m_dwOffset; }
    void ForgetMemoryOffset() { m_dwOffset = 0; }
    // The caller set the offset: addresses below 64K stay in its 64K until a
    // call names an address above 64K.
    void KeepMemoryOffset() { m_bOffsetKept = true; }
    // Loaders from 2.12 on know the memory-offset command.
    bool SupportsMemoryOffset() const;

    // Log lines for the exported commands: a command's start notice, and a plain line.
    void LogStart(const std::string& text);
    void LogLine(const std::string& text, bool flag = false) { Log(text, flag); }
    void Append(const std::string& text, bool flag) { OnAppend(text, flag); }

    // Commands. `frameSent` (optional) tells whether the frame went out.
    bool SendPassword(const uint8_t* password, bool* frameSent = nullptr);
    bool MassErase();
    bool EraseSegment(uint32_t address);
    bool LoadPC(uint32_t address);
    bool SetMemoryOffset(uint32_t offset);
    // `compare` bytes (all when larger than count) of a written block are read back.
    bool TxDataBlock(uint32_t address, const uint8_t* data, size_t count, bool verify,
                     size_t compare = SIZE_MAX);
    bool RxDataBlock(uint32_t address, uint8_t* buffer, size_t count);
    bool VerifyBlock(uint32_t address, const uint8_t* data, size_t count,
                     size_t compare = SIZE_MAX);
    // Password, then processor information and, when asked and needed, the patch,
    // with log lines; the password is kept on success.
    bool SetPassword(const uint8_t* password, bool autoPatch);
    void StorePassword(const uint8_t* password);
    bool ReadProcessorInfo();
    bool IsPatchRequired() const;
    // Load PC onto the loader's restart, the password again, the patch image
    // written with read-back verify; a failing step is named in the text.
    bool ApplyPatch(const uint8_t* password);

    // The patch image (blocks in address order); none at creation.
    void SetPatchImage(std::vector<CodeBlock> blocks);
    // The patch file last asked for, read or not: the text that asks for a
    // missing patch names it.
    void SetPatchFileName(std::string name) { m_strPatchFile = std::move(name); }
    // A loader that needs the patch was unlocked while none was loaded: its
    // data-block commands are refused.
    bool PatchMissing() const { return m_bPatchMissing; }
    void DropPatchImage() { m_patch.clear(); }
    bool HasPatchImage() const { return !m_patch.empty(); }
    bool PatchActive() const { return m_bPatchActive; }
    void SetPatchActive(bool active) { m_bPatchActive = active; }

    const std::string& ProcessorType() const { return m_strProcessorType; }
    uint8_t LoaderMajor() const { return m_byMajor; }
    uint8_t LoaderMinor() const { return m_byMinor; }
    void ClearLoaderInfo();
    const std::array<uint8_t, kPasswordSize>& Password() const { return m_password; }
    void ResetPassword() { m_password.fill(0xFF); }

  protected:
    // Notifications: a log line, and text appended to the current line.
    virtual void OnLog(const std::string& text, bool flag);
    virtual void OnAppend(const std::string& text, bool flag);
    virtual void OnProgress(int32_t operation, int32_t value);
    // An internal inconsistency, shown to the user.
    virtual void CriticalError(const std::string& text, const char* method);

    void Log(const std::string& text, bool flag = false);
    bool Fail(std::string text);
    bool FailWithAdapterError();
    bool FlushComm();

    void Notify(uint32_t kind, const void* record) const;
    void NotifyText(uint32_t kind, bool flag, const std::string& text) const;

  private:
    // Fails with the step of the patch named before the step's own text.
    bool PatchStepFailed(const std::string& step);
    struct Piece;
    bool Lines(std::initializer_list<int (*)()> calls);
    bool DisableAll();
    bool ClearAll();
    bool Wait(uint32_t ms);
    bool FlushWrite(bool verify, bool continues);
    bool SendPiece(uint32_t address, const uint8_t* data, size_t count, bool verify, bool write);
    bool GatherImage(kv::CHexImageFile* image, bool write, bool verify, const char* method);

    bool WaitForReceive(size_t count, uint32_t timeoutMs);
    bool PatchEntry();
    // Unlocking: applies the patch the loader needs, or notes that it is missing.
    bool PatchAfterPassword(const uint8_t* password, bool autoPatch);
    bool Command(uint8_t command, uint32_t address, uint16_t length, const uint8_t* data,
                 size_t count, uint32_t extraMs, bool* frameSent);

    uint32_t m_dwAdapterSerial = 0;
    uint16_t m_wAdapterVersion = 0;
    uint8_t m_nSequence = 0;
    std::string m_strError = "No error";
    std::vector<CodeBlock> m_patch;
    uint8_t m_byMajor = 0;
    uint8_t m_byMinor = 0;
    std::string m_strProcessorType = "Unknown";
    bool m_bPatchActive = false;
    bool m_bPatchMissing = false;
    std::string m_strPatchFile;
    bool m_bQuiet = false;
    std::array<uint8_t, kPasswordSize> m_password{};
    NotifyTarget m_notify;
    std::array<uint8_t, kWriteBufferSize> m_writeBuffer{};
    uint32_t m_dwWriteStart = 0;
    uint32_t m_dwWriteNext = 0;
    size_t m_nWriteFill = 0;
    bool m_bWriting = true;
    bool m_bAdapterOpen = false;
    uint32_t m_dwOffset = 0;
    bool m_bOffsetKept = false;
};

// Sets the connection quiet for one scope and restores what it found.
class QuietScope {
  public:
    explicit QuietScope(CHesmarkBootloadPort& port) : port_(port), was_(port.Quiet()) {
        port_.SetQuiet(true);
    }
    ~QuietScope() { port_.SetQuiet(was_); }
    QuietScope(const QuietScope&) = delete;
    QuietScope& operator=(const QuietScope&) = delete;

  private:
    CHesmarkBootloadPort& port_;
    bool was_;
};

// The adapter's last-error text.
std::string AdapterErrorText();

}  // namespace hesmark
