#include "target_pod_dravik.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "kelvane/platform/clock.h"
#include "kelvane/platform/message_box.h"
#include "pod_firmware_image.h"
#include "text_format.h"

namespace nandrel {

namespace usb = kv::usb;

namespace {

// Said once a USB call ends with the status of a device that left the bus.
constexpr const char* kPodGone =
    "The Dravik pod is gone: it was unplugged or lost its USB connection";

// Characters [pos, pos + n) of a text, or fewer when it is shorter.
std::string part(const std::string& text, size_t pos, size_t n) {
    return pos < text.size() ? text.substr(pos, n) : std::string();
}

}  // namespace

CTargetPodDravik::~CTargetPodDravik() {
    // A driver deleted while open would leave its USB handle behind.
    Close();
}

bool CTargetPodDravik::Open() {
    Close();
    opened_ = false;
    debugValue_ = 0;
    if (!OpenDevice()) return false;
    if (!HardwarePing() || !CheckFirmware()) {
        Close();
        return false;
    }
    opened_ = true;
    uint16_t value = 0;
    if (ExecuteDebug(&value)) debugValue_ = value;
    return true;
}

bool CTargetPodDravik::OpenDevice() {
    Close();
    firstTransferFailure_.clear();
    usb::Handle h = 0;
    usb::Status status = usb::open(kDravikDescription, usb::kOpenByDescription, &h);
    if (status != usb::kOk) {
        status = usb::open(kDravikShortDescription, usb::kOpenByDescription, &h);
        if (status != usb::kOk)
            return fail(format("Unable to open Dravik, error %d", static_cast<int>(status)));
    }
    handle_ = h;
    status = usb::resetDevice(handle_);
    if (status != usb::kOk) {
        Close();
        return fail(format("Unable to reset Dravik, error %d", static_cast<int>(status)));
    }
    kv::clock().sleep(50);
    usb::setTimeouts(handle_, kDravikReadTimeoutMs, 0);
    usb::purge(handle_, usb::kPurgeRx | usb::kPurgeTx);
    return Debug_CheckPendingReads();
}

bool CTargetPodDravik::Close() {
    if (handle_ != kClosed) usb::close(handle_);
    handle_ = kClosed;
    return true;
}

bool CTargetPodDravik::WritePort(const uint8_t* data, uint32_t count) {
    if (count == 0) return true;
    if (handle_ == kClosed)
        return fail("Called CTargetProtocolJTAG::WritePort() with driver port closed");
    if (!Debug_CheckPendingReads()) return false;
    uint32_t written = 0;
    const usb::Status status = usb::write(handle_, data, count, &written);
    if (status != usb::kOk)
        return failTransfer(format("WritePort failed, error %d", static_cast<int>(status)), status);
    // Bytes the pod never got would leave it waiting for the rest of its
    // command, and take the next command's first bytes for them.
    if (written < count) {
        return failTransfer(format("WritePort failed, the write timed out: the pod took %u of %u "
                                   "bytes (command %u)",
                                   static_cast<unsigned>(written), static_cast<unsigned>(count),
                                   static_cast<unsigned>(data[0])),
                            status);
    }
    firstTransferFailure_.clear();
    return true;
}

bool CTargetPodDravik::ReadPort(uint8_t* buffer, uint32_t count, uint32_t* countRead) {
    *countRead = 0;
    if (count == 0) return true;
    if (handle_ == kClosed)
        return fail("Called CTargetProtocolJTAG::ReadPort() with driver port closed");
    uint32_t got = 0;
    const usb::Status status = usb::read(handle_, buffer, count, &got);
    if (status != usb::kOk)
        return failTransfer(format("ReadPort failed, error %d", static_cast<int>(status)), status);
    firstTransferFailure_.clear();
    *countRead = got;
    if (got < count) {
        return fail(format("ReadPort failed, expected %d bytes, read %d", static_cast<int>(count),
                           static_cast<int>(got)) +
                    format("\nThe Dravik pod stopped answering: %s within %u ms",
                           got == 0 ? "no reply came" : "the rest of its reply did not come",
                           static_cast<unsigned>(kDravikReadTimeoutMs)));
    }
    return true;
}

bool CTargetPodDravik::Debug_CheckPendingReads() {
    if (!opened_) return true;
    uint32_t waiting = 0;
    const usb::Status status = usb::getQueueStatus(handle_, &waiting);
    if (status != usb::kOk) {
        return failTransfer(format("FT_GetQueueStatus failed, error %d", static_cast<int>(status)),
                            status);
    }
    firstTransferFailure_.clear();
    if (waiting == 0) return true;
    errorText_ =
        format("Debug_CheckPendingReads failed, %d bytes pending read", static_cast<int>(waiting));
    for (uint32_t i = 0; i < waiting; ++i) {
        uint8_t byte = 0;
        uint32_t got = 0;
        if (usb::read(handle_, &byte, 1, &got) != usb::kOk || got == 0) break;
    }
    return false;
}

bool CTargetPodDravik::failTransfer(std::string text, usb::Status status) {
    if (firstTransferFailure_.empty()) firstTransferFailure_ = text;
    if (text != firstTransferFailure_)
        text += "\nafter an earlier failure: " + firstTransferFailure_;
    // The USB layer's I/O error: the device is no longer on the bus.
    if (status == usb::kIoError) text += std::string("\n") + kPodGone;
    return fail(std::move(text));
}

bool CTargetPodDravik::ReadReply(uint8_t command, const char* name, uint8_t* reply,
                                 uint32_t length) {
    uint32_t got = 0;
    if (!ReadPort(reply, length, &got)) return false;
    if (got != length) return fail(std::string("Incorrect number of bytes read for ") + name);
    if (reply[0] != static_cast<uint8_t>(command + 1))
        return fail(std::string("Incorrect response ID for ") + name);
    return true;
}

bool CTargetPodDravik::Query(uint8_t command, const char* name, const char* closedText,
                             uint8_t* reply, uint32_t length) {
    if (handle_ == kClosed) return fail(closedText);
    if (!WritePort(&command, 1)) return false;
    return ReadReply(command, name, reply, length);
}

bool CTargetPodDravik::HardwarePing() {
    std::array<uint8_t, PodReplyLength(JTAGCMD_HARDWARE_PING)> reply{};
    return Query(JTAGCMD_HARDWARE_PING, "JTAGCMD_HARDWARE_PING",
                 "CTargetPodDravik::HardwarePing called with invalid driver handle", reply.data(),
                 reply.size());
}

bool CTargetPodDravik::GetSerialNumber(uint32_t* serial) {
    *serial = 0;
    std::array<uint8_t, PodReplyLength(JTAGCMD_REPORT_SERNUM)> reply{};
    if (!Query(JTAGCMD_REPORT_SERNUM, "JTAGCMD_REPORT_SERNUM",
               "CTargetPodDravik::GetSerialNumber called with invalid driver handle", reply.data(),
               reply.size()))
        return false;
    *serial =
        uint32_t{reply[1]} << 24 | uint32_t{reply[2]} << 16 | uint32_t{reply[3]} << 8 | reply[4];
    return true;
}

bool CTargetPodDravik::GetFirmwareVersion(std::string* text) {
    std::array<uint8_t, PodReplyLength(JTAGCMD_REPORT_VERSION)> reply{};
    if (!Query(JTAGCMD_REPORT_VERSION, "JTAGCMD_REPORT_VERSION",
               "CTargetPodDravik::GetFirmwareVersion called with invalid driver handle",
               reply.data(), reply.size()))
        return false;
    const char* chars = reinterpret_cast<const char*>(reply.data() + 1);
    text->assign(chars, strnlen(chars, 16));
    return true;
}

bool CTargetPodDravik::GetHardwareVersion(std::string* text) {
    if (handle_ == kClosed)
        return fail("CTargetPodDravik::GetHardwareVersion called with invalid driver handle");
    return GetFirmwareVersion(text);
}

bool CTargetPodDravik::ExecuteDebug(uint16_t* value) {
    std::array<uint8_t, PodReplyLength(JTAGCMD_DEBUG)> reply{};
    if (!Query(JTAGCMD_DEBUG, "JTAGCMD_DEBUG",
               "CTargetPodDravik::ExecuteDebug called with invalid driver handle", reply.data(),
               reply.size()))
        return false;
    if (value) *value = static_cast<uint16_t>(reply[1] << 8 | reply[2]);
    return true;
}

bool CTargetPodDravik::EraseFlash() {
    const uint8_t command = JTAGCMD_ERASE_DRAVIK_FLASH;
    std::array<uint8_t, PodReplyLength(JTAGCMD_ERASE_DRAVIK_FLASH)> reply{};
    if (!WritePort(&command, 1) ||
        !ReadReply(command, "JTAGCMD_ERASE_DRAVIK_FLASH", reply.data(), reply.size()))
        return false;
    const int address = reply[1] << 8 | reply[2];
    if (address != 0) return fail(format("Dravik flash erase failed at %04X", address));
    return true;
}

bool CTargetPodDravik::WriteFlashBuffer(uint32_t byteCount, const uint8_t* data) {
    if (byteCount == 0)
        return fail("Unable to write zero bytes for JTAGCMD_WRITE_DRAVIK_FLASH_BUFFER");
    if (byteCount > kMaxFlashBufferBytes)
        return fail("Exceeded maximum bytes for JTAGCMD_WRITE_DRAVIK_FLASH_BUFFER");
    if (byteCount % 2 != 0)
        return fail("Attempt to write odd byte count for JTAGCMD_WRITE_DRAVIK_FLASH_BUFFER");
    const uint8_t header[2] = {JTAGCMD_WRITE_DRAVIK_FLASH_BUFFER,
                               static_cast<uint8_t>(byteCount / 2)};
    std::array<uint8_t, PodReplyLength(JTAGCMD_WRITE_DRAVIK_FLASH_BUFFER)> reply{};
    if (!WritePort(header, 2) || !WritePort(data, byteCount) ||
        !ReadReply(header[0], "JTAGCMD_WRITE_DRAVIK_FLASH_BUFFER", reply.data(), reply.size()))
        return false;
    if (reply[1] != header[1]) return fail("Dravik flash write buffer failed");
    return true;
}

bool CTargetPodDravik::VerifyFlash() {
    const uint8_t command = JTAGCMD_VERIFY_DRAVIK_FLASH;
    std::array<uint8_t, PodReplyLength(JTAGCMD_VERIFY_DRAVIK_FLASH)> reply{};
    if (!WritePort(&command, 1) ||
        !ReadReply(command, "JTAGCMD_VERIFY_DRAVIK_FLASH", reply.data(), reply.size()))
        return false;
    if (reply[1] != 0) return fail(format("Dravik flash verify failed (%02X)", reply[1]));
    return true;
}

bool CTargetPodDravik::DownloadBlock(uint32_t firstWord, uint32_t wordCount) {
    if (handle_ == kClosed) return fail("DownloadBlock() called while device closed");
    if (wordCount > kMaxDownloadBlockWords)
        return fail("Excessive block size used in DownloadBlock()");
    if (firstWord > kPodFirmwareWords || wordCount > kPodFirmwareWords - firstWord)
        return fail("Excessive block size used in DownloadBlock()");
    uint8_t bytes[2 * kMaxDownloadBlockWords];
    for (uint32_t i = 0; i < wordCount; ++i) {
        const uint16_t word = kPodFirmwareImage[firstWord + i];
        bytes[2 * i] = static_cast<uint8_t>(word >> 8);
        bytes[2 * i + 1] = static_cast<uint8_t>(word);
    }
    return WriteFlashBuffer(2 * wordCount, bytes);
}

bool CTargetPodDravik::DownloadImage() {
    for (uint32_t first = 0; first < kPodFirmwareWords; first += kMaxDownloadBlockWords) {
        const uint32_t n = std::min<uint32_t>(kMaxDownloadBlockWords,
                                              static_cast<uint32_t>(kPodFirmwareWords) - first);
        if (!DownloadBlock(first, n)) return false;
    }
    return true;
}

bool CTargetPodDravik::CheckFirmware() {
    std::string text;
    if (!GetFirmwareVersion(&text)) return false;
    if (part(text, 8, 2) == "01") {
        fail(format("Unsupported Dravik version %s.\nPlease upgrade your Dravik to version 2",
                    text.c_str()));
        kv::messageBox(errorText_, "Dravik Version Error", kv::kMbOk);
        return false;
    }
    if (VerifyFlash()) {
        if (!GetFirmwareVersion(&versionText_)) return false;
        if (part(versionText_, 8, 8) == kPodFirmwareVersion) return true;
    }
    return EraseFlash() && DownloadImage() && VerifyFlash() && GetFirmwareVersion(&versionText_);
}

}  // namespace nandrel
