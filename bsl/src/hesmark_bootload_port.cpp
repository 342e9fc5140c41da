#include "hesmark_bootload_port.h"

#include <algorithm>

#include "kelvane/platform/clock.h"
#include "kelvane/platform/format.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/usb.h"
#include "tovrin/tovrin.h"

namespace hesmark {

using kv::text::Format;

uint16_t ChecksumWord(const uint8_t* bytes, size_t count) {
    uint16_t word = 0;
    for (size_t i = 0; i < count; i += 2) {
        const uint16_t high = i + 1 < count ? bytes[i + 1] : 0;
        word ^= static_cast<uint16_t>(bytes[i] | (high << 8));
    }
    return word;
}

std::string AdapterErrorText() {
    const int length = Tovrin_GetLastError(nullptr, 0);
    std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    const int copied = Tovrin_GetLastError(text.data(), static_cast<int32_t>(text.size()));
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

CHesmarkBootloadPort::CHesmarkBootloadPort() {
    m_password.fill(0xFF);
}
CHesmarkBootloadPort::~CHesmarkBootloadPort() = default;

bool CHesmarkBootloadPort::AdapterOpen() const {
    return m_bAdapterOpen && Tovrin_IsOpen();
}

void CHesmarkBootloadPort::Notify(uint32_t kind, const void* record) const {
    if (m_notify.callback && (m_notify.kindMask & kind))
        m_notify.callback(m_notify.user, m_notify.message, kind, record);
}

void CHesmarkBootloadPort::NotifyText(uint32_t kind, bool flag, const std::string& text) const {
    const HesmarkTextNotice notice{flag ? 1 : 0, text.c_str()};
    Notify(kind, &notice);
}

// Every log line is preceded by an empty line.
void CHesmarkBootloadPort::OnLog(const std::string& text, bool flag) {
    NotifyText(HESMARK_NOTIFY_LOG, true, "");
    NotifyText(HESMARK_NOTIFY_LOG, flag, text);
}

void CHesmarkBootloadPort::OnAppend(const std::string& text, bool flag) {
    NotifyText(HESMARK_NOTIFY_APPEND, flag, text);
}

void CHesmarkBootloadPort::OnProgress(int32_t operation, int32_t value) {
    const HesmarkProgressNotice notice{operation, value, 100};
    Notify(HESMARK_NOTIFY_PROGRESS, &notice);
}

// The start notice of a loader command stands after two empty lines.
void CHesmarkBootloadPort::LogStart(const std::string& text) {
    if (m_bQuiet) return;
    NotifyText(HESMARK_NOTIFY_LOG, true, "");
    OnLog(text, false);
}

void CHesmarkBootloadPort::CriticalError(const std::string& text, const char* method) {
    kv::messageBox(Format("%s in CHesmarkBootloadPort::%s()\n\nContact program vendor\n",
                          text.c_str(), method),
                   "CHesmarkBootloadPort Critical Error", kv::kMbOk | kv::kMbIconError);
}

void CHesmarkBootloadPort::Log(const std::string& text, bool flag) {
    if (!m_bQuiet) OnLog(text, flag);
}

bool CHesmarkBootloadPort::Fail(std::string text) {
    m_strError = std::move(text);
    return false;
}

bool CHesmarkBootloadPort::FailWithAdapterError() {
    return Fail(AdapterErrorText());
}

void CHesmarkBootloadPort::ClearLoaderInfo() {
    m_byMajor = 0;
    m_byMinor = 0;
    m_strProcessorType.clear();
    m_bPatchActive = false;
    m_bPatchMissing = false;
}

bool CHesmarkBootloadPort::FlushComm() {
    if (!AdapterOpen()) {
        CriticalError("Tovrin closed", "FlushComm");
        return Fail("Tovrin closed");
    }
    if (!Tovrin_Purge(1, 1)) {
        CriticalError("Could not purge Tovrin buffers", "FlushComm");
        return Fail("Could not purge Tovrin buffers");
    }
    return true;
}

bool CHesmarkBootloadPort::WritePort(const uint8_t* data, size_t count) {
    if (count == 0) return true;
    if (!AdapterOpen()) return Fail("Error: WritePort Called while Tovrin closed.");
    if (!Tovrin_WritePort(data, static_cast<uint32_t>(count))) return FailWithAdapterError();
    OnAppend(".", true);
    return true;
}

// Polls the receive queue until `count` bytes wait or `timeoutMs` has passed.
// The elapsed time is taken as a difference of tick counts, so a wrap of the
// counter during the wait neither ends it early nor makes it endless. Each
// poll lets time pass (a zero-length yield would spin for ever on a clock that
// moves only when slept on): a millisecond for the first kMaxPollPauseMs and
// after each byte that came in, else doubling up to kMaxPollPauseMs, the
// adapter's latency, which delivers a slow trickle no sooner anyway; never past
// the time-out. A silent chip costs a few polls per 16 ms instead of sixteen.
bool CHesmarkBootloadPort::WaitForReceive(size_t count, uint32_t timeoutMs) {
    if (!AdapterOpen()) return Fail("WaitForReceive called while Tovrin closed");
    constexpr uint32_t kMaxPollPauseMs = 16;
    kv::Clock& clock = kv::clock();
    const uint32_t start = clock.tickCount();
    uint32_t pause = 1;
    uint32_t seen = 0;
    for (;;) {
        uint32_t available = 0;
        if (!Tovrin_GetQueueStatus(&available))
            return Fail("WaitForReceive Error: Unable to get number of bytes available.\n" +
                        AdapterErrorText());
        if (available >= count) return true;
        const uint32_t elapsed = kv::ticksSince(start, clock.tickCount());
        if (elapsed >= timeoutMs) return Fail("");
        const bool quick = available != seen || elapsed < kMaxPollPauseMs;
        pause = quick ? 1 : std::min(2 * pause, kMaxPollPauseMs);
        seen = available;
        clock.sleep(std::min(pause, timeoutMs - elapsed));
    }
}

bool CHesmarkBootloadPort::ReadPort(uint8_t* buffer, size_t count, uint32_t timeoutMs,
                                    size_t* received, size_t before) {
    *received = 0;
    if (count == 0) return true;
    if (!AdapterOpen()) return Fail("Error: ReadPort Called while Tovrin closed.");
    if (!WaitForReceive(count, timeoutMs)) {
        uint32_t available = 0;
        if (Tovrin_GetQueueStatus(&available)) {
            return Fail(Format("Comm receive timed-out, %d bytes available (%s)",
                               static_cast<int>(before + available), AdapterErrorText().c_str()));
        }
        return Fail(Format("ReadPort Error: Failed to receive %d bytes.\n%s",
                           static_cast<int>(before + count), m_strError.c_str()));
    }
    uint32_t got = 0;
    if (!Tovrin_ReadPort(buffer, static_cast<uint32_t>(count), &got)) return FailWithAdapterError();
    *received = got;
    return true;
}

bool CHesmarkBootloadPort::Synchronize() {
    const uint8_t sync = kSync;
    if (!WritePort(&sync, 1))
        return Fail(Format("Unable to write status byte\n%s", m_strError.c_str()));
    uint8_t answer = 0;
    size_t received = 0;
    if (!ReadPort(&answer, 1, kAckTimeout, &received) || received != 1)
        return Fail(Format("Unable to read ack\n%s", m_strError.c_str()));
    if (answer != kAck) return Fail(Format("Ack failed, returned %02X", answer));
    return true;
}

bool CHesmarkBootloadPort::SendFrame(uint8_t command, uint32_t address, uint16_t length,
                                     const uint8_t* data, size_t count) {
    if (count > kMaxFrameData)
        return Fail(Format("Data buffer must 250 bytes or less, tried %04X", unsigned(count)));
    if (count & 1) {
        return Fail(Format("Data buffer must contain an even number of bytes, tried %04X",
                           unsigned(count)));
    }
    if (!Synchronize()) return false;
    std::vector<uint8_t> frame;
    frame.reserve(count + 10);
    frame.push_back(static_cast<uint8_t>(0x80 | m_nSequence));
    m_nSequence = (m_nSequence + 1) & 0x0F;
    frame.push_back(command);
    frame.push_back(static_cast<uint8_t>(count + 4));
    frame.push_back(static_cast<uint8_t>(count + 4));
    frame.push_back(static_cast<uint8_t>(address));
    frame.push_back(static_cast<uint8_t>(address >> 8));
    frame.push_back(static_cast<uint8_t>(length));
    frame.push_back(static_cast<uint8_t>(length >> 8));
    if (count) frame.insert(frame.end(), data, data + count);
    const uint16_t word = ChecksumWord(frame.data(), frame.size());
    frame.push_back(static_cast<uint8_t>(~word & 0xFF));
    frame.push_back(static_cast<uint8_t>((~word >> 8) & 0xFF));
    return WritePort(frame.data(), frame.size());
}

bool CHesmarkBootloadPort::ReadAck(uint32_t extraMs) {
    uint8_t answer = 0;
    size_t received = 0;
    if (!ReadPort(&answer, 1, kAckTimeout + extraMs, &received) || received != 1)
        return Fail(Format("Unable to read ack\n%s", m_strError.c_str()));
    if (answer != kAck) return Fail(Format("Ack failed, returned %02X", answer));
    return true;
}

bool CHesmarkBootloadPort::Command(uint8_t command, uint32_t address, uint16_t length,
                                   const uint8_t* data, size_t count, uint32_t extraMs,
                                   bool* frameSent) {
    if (frameSent) *frameSent = false;
    if (!SendFrame(command, address, length, data, count)) return false;
    if (frameSent) *frameSent = true;
    return ReadAck(extraMs);
}

bool CHesmarkBootloadPort::SendPassword(const uint8_t* password, bool* frameSent) {
    return Command(kCmdPassword, kPasswordAddress, kPasswordSize, password, kPasswordSize, 0,
                   frameSent);
}

bool CHesmarkBootloadPort::MassErase() {
    return Command(kCmdMassErase, 0xFF00, 0xA506, nullptr, 0, kMassEraseExtra, nullptr);
}

bool CHesmarkBootloadPort::EraseSegment(uint32_t address) {
    return Command(kCmdEraseSegment, address, 0xA502, nullptr, 0, 0, nullptr);
}

bool CHesmarkBootloadPort::LoadPC(uint32_t address) {
    if (!Command(kCmdLoadPC, address, 0, nullptr, 0, 0, nullptr)) return false;
    // Devices on modelled time let the pause pass on their own time.
    kv::usb::pause(kLoadPCPause);
    return FlushComm();
}

bool CHesmarkBootloadPort::SetMemoryOffset(uint32_t offset) {
    if (!Command(kCmdMemoryOffset, offset, 0, nullptr, 0, 0, nullptr)) return false;
    m_dwOffset = offset & 0xFFFF;
    kv::clock().sleep(kMemoryOffsetPause);
    return FlushComm();
}

// With the patch active, the patch code in RAM runs the next data-block command.
bool CHesmarkBootloadPort::PatchEntry() {
    if (m_bPatchMissing) {
        const std::string loader = Format("%X.%02X", m_byMajor, m_byMinor);
        if (m_strPatchFile.empty())
            return Fail("Bootstrap loader " + loader +
                        " needs the loader patch, and no patch file was given");
        return Fail("Bootstrap loader " + loader +
                    " needs the loader patch: supply the patch file " + m_strPatchFile);
    }
    if (!m_bPatchActive) return true;
    if (m_patch.empty()) return Fail("No patch file available");
    QuietScope quiet(*this);
    return LoadPC(m_patch.front().address);
}

bool CHesmarkBootloadPort::TxDataBlock(uint32_t address, const uint8_t* data, size_t count,
                                       bool verify, size_t compare) {
    if (count > kMaxFrameData || (count & 1))
        return SendFrame(kCmdWriteBlock, address, 0, data, count);
    if (!PatchEntry()) return false;
    if (!Command(kCmdWriteBlock, address, static_cast<uint16_t>(count), data, count, 0, nullptr))
        return false;
    return !verify || VerifyBlock(address, data, count, compare);
}

bool CHesmarkBootloadPort::RxDataBlock(uint32_t address, uint8_t* buffer, size_t count) {
    // The count is checked before anything is sent or received: the reply
    // of a longer read would not fit a frame.
    if (count > kMaxFrameData)
        return Fail(Format("Data buffer must 250 bytes or less, tried %04X", unsigned(count)));
    if (count & 1) {
        return Fail(Format("Data buffer must contain an even number of bytes, tried %04X",
                           unsigned(count)));
    }
    if (count != 0 && buffer == nullptr) return Fail("NULL receive buffer");
    if (!PatchEntry()) return false;
    if (!SendFrame(kCmdReadBlock, address, static_cast<uint16_t>(count), nullptr, 0)) return false;
    std::vector<uint8_t> reply(count + 6);
    // The first byte is taken on its own: a loader that refuses the read
    // answers one NAK, and waiting for a whole reply would only run out the time.
    const uint32_t timeout = ReadReplyTimeout(count);
    kv::Clock& clock = kv::clock();
    const uint32_t start = clock.tickCount();
    size_t received = 0;
    if (!ReadPort(reply.data(), 1, timeout, &received)) return false;
    if (reply[0] == kNak) {
        return Fail(Format("Read request failed, read %04lX bytes\n"
                           "The loader refused the read: it answered NAK (%02X)",
                           static_cast<unsigned long>(received), kNak));
    }
    const uint32_t spent = std::min(kv::ticksSince(start, clock.tickCount()), timeout);
    size_t rest = 0;
    if (!ReadPort(reply.data() + 1, reply.size() - 1, timeout - spent, &rest, 1)) return false;
    received += rest;
    if (received != reply.size()) {
        return Fail(
            Format("Read request failed, read %04lX bytes", static_cast<unsigned long>(received)));
    }
    if (reply[0] != 0x80)
        return Fail(Format("Read request failed, returned header %02X", reply[0]));
    if (reply[2] != count) {
        return Fail(Format("Read request failed, returned size parameter L1 %02X", reply[2]));
    }
    if (reply[3] != count) {
        return Fail(Format("Read request failed, returned size parameter L2 %02X", reply[3]));
    }
    // A reply damaged on the way must not be taken as data.
    const uint16_t word = ChecksumWord(reply.data(), count + 4);
    const uint8_t ckl = static_cast<uint8_t>(~word & 0xFF);
    const uint8_t ckh = static_cast<uint8_t>((~word >> 8) & 0xFF);
    if (reply[count + 4] != ckl || reply[count + 5] != ckh) {
        return Fail(Format("Read request failed, returned checksum %02X%02X, expected %02X%02X",
                           reply[count + 5], reply[count + 4], ckh, ckl));
    }
    std::copy(reply.begin() + 4, reply.begin() + 4 + static_cast<long>(count), buffer);
    return true;
}

bool CHesmarkBootloadPort::VerifyBlock(uint32_t address, const uint8_t* data, size_t count,
                                       size_t compare) {
    std::vector<uint8_t> readBack(count);
    bool ok = false;
    {
        QuietScope quiet(*this);
        ok = RxDataBlock(address, readBack.data(), count);
    }
    if (!ok) {
        // The read's own text (a NAK, a time-out, a lost adapter) follows.
        const std::string cause = m_strError;
        Fail(cause.empty() ? std::string("Unable to verify data")
                           : "Unable to verify data\n" + cause);
        Log(m_strError, true);
        return false;
    }
    for (size_t i = 0; i < std::min(count, compare); ++i) {
        if (readBack[i] != data[i]) {
            Fail(Format("Verify failed at address %04lX", static_cast<unsigned long>(address + i)));
            Log(m_strError, true);
            return false;
        }
    }
    return true;
}

bool CHesmarkBootloadPort::ReadProcessorInfo() {
    uint8_t info[16] = {};
    {
        QuietScope quiet(*this);
        if (!SelectAddress(kProcessorInfoAddress)) return false;
        if (!RxDataBlock(kProcessorInfoAddress, info, sizeof info)) return false;
    }
    m_strProcessorType = Format("%02X%02X", info[0], info[1]);
    const std::string third = Format("%02X", info[2]);
    if (third[0] != '0') m_strProcessorType += third[0];
    m_byMajor = info[10];
    m_byMinor = info[11];
    return true;
}

bool CHesmarkBootloadPort::IsPatchRequired() const {
    return m_byMajor < 2 && m_byMinor <= 0x10;
}

bool CHesmarkBootloadPort::PatchStepFailed(const std::string& step) {
    return Fail(Format("The password was accepted, but the loader patch failed at %s\n%s",
                       step.c_str(), m_strError.c_str()));
}

bool CHesmarkBootloadPort::ApplyPatch(const uint8_t* password) {
    if (m_patch.empty()) return Fail("No patch file available");
    QuietScope quiet(*this);
    if (!LoadPC(kPatchRestartPC))
        return PatchStepFailed(Format("its load PC %04X", unsigned(kPatchRestartPC)));
    m_dwOffset = 0;  // the restarted loader works in the first 64K again
    if (!SendPassword(password)) return PatchStepFailed("the password for the restarted loader");
    for (const CodeBlock& block : m_patch) {
        for (size_t done = 0; done < block.data.size(); done += 128) {
            const size_t n = std::min<size_t>(128, block.data.size() - done);
            std::vector<uint8_t> piece(block.data.begin() + static_cast<long>(done),
                                       block.data.begin() + static_cast<long>(done + n));
            if (piece.size() & 1) piece.push_back(0xFF);
            const uint32_t at = block.address + static_cast<uint32_t>(done);
            if (!TxDataBlock(at, piece.data(), piece.size(), true)) {
                return PatchStepFailed(
                    Format("its write of %u bytes at %04X", unsigned(piece.size()), unsigned(at)));
            }
        }
    }
    m_bPatchActive = true;
    return true;
}

bool CHesmarkBootloadPort::PatchAfterPassword(const uint8_t* password, bool autoPatch) {
    if (!autoPatch || !IsPatchRequired()) return true;
    // Without its patch an old loader's data blocks cannot be trusted: they are
    // refused, with a text that asks for the patch file.
    m_bPatchMissing = !HasPatchImage();
    return m_bPatchMissing || ApplyPatch(password);
}

bool CHesmarkBootloadPort::SupportsMemoryOffset() const {
    return m_byMajor >= 3 || (m_byMajor == 2 && m_byMinor > 0x11);
}

bool CHesmarkBootloadPort::SelectAddress(uint32_t address) {
    const uint32_t high = address >> 16;
    // A full address above 64K ends the caller's choice of offset.
    if (high != 0) m_bOffsetKept = false;
    if (high == m_dwOffset || (high == 0 && m_bOffsetKept)) return true;
    // A loader known to lack the command is not asked: the frame's 16-bit
    // address would land in low memory.
    const bool known = m_byMajor != 0 || m_byMinor != 0;
    if (known && !SupportsMemoryOffset()) {
        return Fail(
            Format("Unable to reach address %05lX: bootstrap loader %X.%02X has no "
                   "memory offset command",
                   static_cast<unsigned long>(address), m_byMajor, m_byMinor));
    }
    bool ok = false;
    {
        QuietScope quiet(*this);
        ok = SetMemoryOffset(high);
    }
    if (!ok) {
        return Fail(Format("Unable to set memory offset %04X for address %05lX\n%s",
                           static_cast<unsigned>(high), static_cast<unsigned long>(address),
                           m_strError.c_str()));
    }
    return true;
}

bool CHesmarkBootloadPort::SetPassword(const uint8_t* password, bool autoPatch) {
    if (!AdapterOpen()) return Fail("Tovrin not open");
    m_bPatchActive = false;
    m_bPatchMissing = false;
    Log("Setting password");
    bool frameSent = false;
    if (!SendPassword(password, &frameSent)) {
        const std::string error = m_strError;
        Log(frameSent ? "Set password acknowledge failed" : "Set password failed", true);
        return Fail(error);
    }
    Log("Reading processor information");
    if (!ReadProcessorInfo()) {
        return Fail("The password was accepted, but the read of the processor information "
                    "and loader version failed\n" + m_strError);
    }
    if (!PatchAfterPassword(password, autoPatch)) return false;
    StorePassword(password);
    Log("Set password successful", true);
    return true;
}

void CHesmarkBootloadPort::StorePassword(const uint8_t* password) {
    std::copy(password, password + kPasswordSize, m_password.begin());
}

void CHesmarkBootloadPort::SetPatchImage(std::vector<CodeBlock> blocks) {
    std::sort(blocks.begin(), blocks.end(),
              [](const CodeBlock& a, const CodeBlock& b) { return a.address < b.address; });
    m_patch = std::move(blocks);
}

}  // namespace hesmark
