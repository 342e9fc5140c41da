#include "port_tovrin.h"

#include "kelvane/platform/format.h"
#include "kelvane/platform/message_box.h"
#include "library_state.h"

namespace tovrin {

using kv::text::Format;

namespace usb = kv::usb;

namespace {

// The line that follows a USB call's failure when its status says the device
// left the bus; nothing otherwise.
std::string GoneIf(usb::Status s) {
    return s == usb::kIoError
               ? "\nThe Tovrin adapter is gone: it was unplugged or lost its USB connection"
               : "";
}

}  // namespace

CPortTovrin::~CPortTovrin() {
    Close();
}

bool CPortTovrin::DriverFailure(const std::string& text) {
    m_strError = text;
    if (options().messageBoxes) kv::messageBox(text, "Tovrin Error", kv::kMbOk | kv::kMbIconError);
    return false;
}

bool CPortTovrin::ClosedFailure(const char* operation) {
    m_strError = Format("Called CPortTovrin::%s() with driver port closed", operation);
    return false;
}

bool CPortTovrin::Open() {
    Close();
    usb::Handle handle = 0;
    usb::Status s = usb::open(kDeviceDescription, usb::kOpenByDescription, &handle);
    if (s != usb::kOk) return DriverFailure(Format("Unable to open Tovrin, error %d", int(s)));
    m_hDevice = handle;
    bool ok = false;
    if ((s = usb::resetDevice(m_hDevice)) != usb::kOk) {
        DriverFailure(Format("Unable to reset Tovrin, error %d", int(s)));
    } else if ((s = usb::setTimeouts(m_hDevice, m_dwReadTimeout, 0)) != usb::kOk) {
        DriverFailure(Format("Unable to set Tovrin time-outs, error %d", int(s)));
    } else if ((s = usb::setDataCharacteristics(m_hDevice, usb::kBits8, usb::kStopBits1,
                                                usb::kParityEven)) != usb::kOk) {
        DriverFailure(Format("Unable to set data characteristics, error %d", int(s)));
    } else if (SetRtsLevel(false) && SetDtrLevel(false)) {
        // Five RTS edges without a DTR edge never occur inside a command: the
        // adapter takes them as the start of a new session.
        m_nRtsEdges = 0;
        ok = true;
        for (int i = 0; i < 5 && ok; ++i)
            ok = ToggleRts();
    }
    if (ok) {
        if (options().restoreAtOpen) {
            m_dwEnable = options().savedImage >> 16;
            m_dwData = options().savedImage & 0xFFFF;
        } else {
            m_dwEnable = 0;
            m_dwData = 0;
        }
        ok = UpdateEnable() && UpdateData();
    }
    if (!ok) Close();
    return ok;
}

void CPortTovrin::Close() {
    if (!DeviceOpen()) return;
    usb::close(m_hDevice);
    m_hDevice = kClosed;
}

bool CPortTovrin::SetRtsLevel(bool level) {
    const usb::Status s = level ? usb::setRts(m_hDevice) : usb::clrRts(m_hDevice);
    if (s != usb::kOk) {
        return DriverFailure((level ? Format("Unable to set Tovrin RTS, error %d", int(s))
                                    : Format("Unable to clear Tovrin RTS, error %d", int(s))) +
                             GoneIf(s));
    }
    m_bRts = level;
    return true;
}

bool CPortTovrin::SetDtrLevel(bool level) {
    const usb::Status s = level ? usb::setDtr(m_hDevice) : usb::clrDtr(m_hDevice);
    if (s != usb::kOk) {
        return DriverFailure((level ? Format("Unable to set Tovrin DTR, error %d", int(s))
                                    : Format("Unable to clear Tovrin DTR, error %d", int(s))) +
                             GoneIf(s));
    }
    m_bDtr = level;
    return true;
}

bool CPortTovrin::ToggleRts() {
    if (!SetRtsLevel(!m_bRts)) return false;
    ++m_nRtsEdges;
    return true;
}

bool CPortTovrin::ToggleDtr() {
    if (!SetDtrLevel(!m_bDtr)) return false;
    m_nRtsEdges = 0;
    return true;
}

bool CPortTovrin::GetModemStatus(uint32_t* status) {
    if (!DeviceOpen()) return ClosedFailure("GetModemStatus");
    const usb::Status s = usb::getModemStatus(m_hDevice, status);
    if (s != usb::kOk)
        return DriverFailure(Format("Unable to get Tovrin modem status, error %d", int(s)) +
                             GoneIf(s));
    return true;
}

// Each bit makes exactly one edge: a DTR edge when the bit differs from the
// line-level tracker, an RTS edge when it repeats it; a run of four RTS edges
// is broken by an extra DTR edge. The reply comes in on CTS (inverted), least
// significant bit first, one bit sampled before each bit edge.
bool CPortTovrin::SendCommand(uint8_t command, uint8_t* reply) {
    // After a failed open there is no port to drive lines on.
    if (!DeviceOpen()) return ClosedFailure("SendCommand");
    int level = 1;
    uint8_t received = 0;
    if (!ToggleDtr()) return false;
    level = 0;
    for (int i = 0; i < 8; ++i) {
        const int bit = (command >> i) & 1;
        if (m_nRtsEdges == 4 && !ToggleDtr()) return false;
        received >>= 1;
        uint32_t status = 0;
        if (!GetModemStatus(&status)) return false;
        if (!(status & usb::kModemCts)) received |= 0x80;
        if (bit != level) {
            if (!ToggleDtr()) return false;
            level = bit;
        } else if (!ToggleRts()) {
            return false;
        }
    }
    if (reply) *reply = received;
    return true;
}

bool CPortTovrin::GetVersion(uint32_t* version) {
    uint8_t low = 0, high = 0;
    if (!SendCommand(kCmdReadVersion, nullptr) || !SendCommand(kCmdClockReply, &low) ||
        !SendCommand(kCmdClockReply, &high))
        return false;
    *version = (uint32_t{high} << 8) | low;
    return true;
}

bool CPortTovrin::GetSerialNumber(uint32_t* serialNumber) {
    if (!SendCommand(kCmdReadSerial, nullptr)) return false;
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        uint8_t byte = 0;
        if (!SendCommand(kCmdClockReply, &byte)) return false;
        value |= uint32_t{byte} << (8 * i);
    }
    *serialNumber = value;
    return true;
}

bool CPortTovrin::GetQueueStatus(uint32_t* count) {
    if (!DeviceOpen()) return ClosedFailure("GetQueueStatus");
    const usb::Status s = usb::getQueueStatus(m_hDevice, count);
    if (s != usb::kOk)
        return DriverFailure(Format("Unable to get Tovrin queue status, error %d", int(s)) +
                             GoneIf(s));
    return true;
}

bool CPortTovrin::WritePort(const uint8_t* data, uint32_t count) {
    if (!DeviceOpen()) return ClosedFailure("WritePort");
    uint32_t written = 0;
    const usb::Status s = usb::write(m_hDevice, data, count, &written);
    if (s != usb::kOk) {
        m_strError = Format("WritePort failed, error %d", int(s)) + GoneIf(s);
        return false;
    }
    if (written != count) {
        // The bytes left over would be missing from the loader's frame. The
        // adapter is still there: its lines can still switch the target off.
        m_strError = Format("WritePort wrote %u of %u bytes: the write timed out",
                            static_cast<unsigned>(written), static_cast<unsigned>(count));
        return false;
    }
    return true;
}

bool CPortTovrin::ReadPort(uint8_t* buffer, uint32_t count, uint32_t* countRead) {
    if (!DeviceOpen()) return ClosedFailure("ReadPort");
    const usb::Status s = usb::read(m_hDevice, buffer, count, countRead);
    if (s != usb::kOk) {
        m_strError = Format("ReadPort failed, error %d", int(s)) + GoneIf(s);
        return false;
    }
    return true;
}

bool CPortTovrin::Purge(uint32_t mask) {
    if (!DeviceOpen()) return ClosedFailure("Purge");
    const usb::Status s = usb::purge(m_hDevice, mask);
    if (s != usb::kOk) return DriverFailure(Format("Unable to purge Tovrin, error %d", int(s)));
    return true;
}

bool CPortTovrin::SetBaudRate(uint32_t baud) {
    if (!DeviceOpen()) return ClosedFailure("SetBaudRate");
    const usb::Status s = usb::setBaudRate(m_hDevice, baud);
    if (s != usb::kOk)
        return DriverFailure(Format("Unable to set Tovrin baud rate, error %d", int(s)));
    return true;
}

bool CPortTovrin::Latch(uint8_t command) {
    if (!SendCommand(command, nullptr)) return false;
    options().savedImage = (m_dwEnable << 16) | (m_dwData & 0xFFFF);
    return true;
}

// Only the five register bits reach the adapter; an image restored from a
// saved value with other bits set must not turn a latch into another command.
bool CPortTovrin::UpdateEnable() {
    return Latch(static_cast<uint8_t>(kCmdLatchEnable | (m_dwEnable & kRegisterMask)));
}

bool CPortTovrin::UpdateData() {
    return Latch(static_cast<uint8_t>(kCmdLatchData | (m_dwData & kRegisterMask)));
}

bool CPortTovrin::GetBLSIG(int32_t* flag) {
    if (!flag) {
        m_strError = "CPortTovrin::GetBLSIG() called with NULL pbBLSIG";
        return false;
    }
    uint32_t status = 0;
    if (!GetModemStatus(&status)) return false;
    *flag = (status & usb::kModemDsr) ? 0 : 1;
    return true;
}

void CPortTovrin::SetEnableBits(uint32_t bits, bool on) {
    m_dwEnable = on ? (m_dwEnable | bits) : (m_dwEnable & ~bits);
}

void CPortTovrin::SetDataBits(uint32_t bits, bool on) {
    m_dwData = on ? (m_dwData | bits) : (m_dwData & ~bits);
}

}  // namespace tovrin
