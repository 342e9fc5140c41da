// CHesmarkBootloadPort: one bootstrap-loader connection over the Tovrin
// adapter - the bytes on the wire (sync, frames with sequence numbers and
// checksums, acknowledgements and their time-outs, read replies), every loader
// command, the processor information and the loader patch.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
inline constexpr uint32_t kProcessorInfoAddress = 0x0FF0;
inline constexpr uint32_t kPasswordAddress = 0xFFE0;

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
    bool ReadPort(uint8_t* buffer, size_t count, uint32_t timeoutMs, size_t* received);

    // Frames.
    bool Synchronize();
    bool SendFrame(uint8_t command, uint32_t address, uint16_t length, const uint8_t* data,
                   size_t count);
    bool ReadAck(uint32_t extraMs);

    // Commands. `frameSent` (optional) tells whether the frame went out.
    bool SendPassword(const uint8_t* password, bool* frameSent = nullptr);
    bool MassErase();
    bool EraseSegment(uint32_t address);
    bool LoadPC(uint32_t address);
    bool SetMemoryOffset(uint32_t offset);
    bool TxDataBlock(uint32_t address, const uint8_t* data, size_t count, bool verify);
    bool RxDataBlock(uint32_t address, uint8_t* buffer, size_t count);
    bool VerifyBlock(uint32_t address, const uint8_t* data, size_t count);

    // Password, then processor information and, when asked and needed, the patch;
    // the password is kept on success.
    bool Unlock(const uint8_t* password, bool autoPatch, bool* frameSent = nullptr);
    bool ReadProcessorInfo();
    bool IsPatchRequired() const;
    bool ApplyPatch(const uint8_t* password);

    // The patch image (blocks in address order); none at creation.
    void SetPatchImage(std::vector<CodeBlock> blocks);
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
    // An internal inconsistency, shown to the user.
    virtual void CriticalError(const std::string& text, const char* method);

    void Log(const std::string& text, bool flag = false);
    bool Fail(std::string text);
    bool FailWithAdapterError();
    bool FlushComm();

  private:
    bool WaitForReceive(size_t count, uint32_t timeoutMs);
    bool PatchEntry();
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
    bool m_bQuiet = false;
    std::array<uint8_t, kPasswordSize> m_password{};
    bool m_bAdapterOpen = false;
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
