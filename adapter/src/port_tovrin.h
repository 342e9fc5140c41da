// CPortTovrin: one open adapter - the USB device, the control channel on the
// modem lines and the images of the adapter's enable and data registers.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "kelvane/platform/usb.h"

namespace tovrin {

// Enable register bits.
inline constexpr uint32_t kEnableRx = 0x01;
inline constexpr uint32_t kEnableTx = 0x02;
inline constexpr uint32_t kEnableBsl = 0x04;
inline constexpr uint32_t kEnableF12 = 0x08;
inline constexpr uint32_t kEnableXrs = 0x10;
// Data register bits.
inline constexpr uint32_t kDataF2 = 0x01;
inline constexpr uint32_t kDataF3 = 0x02;
inline constexpr uint32_t kDataF4PD = 0x04;
inline constexpr uint32_t kDataF12 = 0x08;
inline constexpr uint32_t kDataVtgt = 0x10;
inline constexpr uint32_t kRegisterMask = 0x1F;

// Control-channel commands.
inline constexpr uint8_t kCmdClockReply = 0x00;
inline constexpr uint8_t kCmdReadVersion = 0x40;
inline constexpr uint8_t kCmdReadSerial = 0x41;
inline constexpr uint8_t kCmdLatchEnable = 0x80;
inline constexpr uint8_t kCmdLatchData = 0xC0;

inline constexpr const char* kDeviceDescription = "Tovrin - MSP430 Flash Bootloader";

class CPortTovrin {
  public:
    CPortTovrin() = default;
    ~CPortTovrin();
    CPortTovrin(const CPortTovrin&) = delete;
    CPortTovrin& operator=(const CPortTovrin&) = delete;

    // The open sequence; any failure closes the device handle again.
    bool Open();
    // Closes the device handle (the object stays).
    void Close();

    const std::string& ErrorText() const { return m_strError; }
    // Refuses a call: keeps `text` and returns false.
    bool Refuse(std::string text) {
        m_strError = std::move(text);
        return false;
    }

    bool GetVersion(uint32_t* version);
    bool GetSerialNumber(uint32_t* serialNumber);
    bool GetQueueStatus(uint32_t* count);
    bool WritePort(const uint8_t* data, uint32_t count);
    bool ReadPort(uint8_t* buffer, uint32_t count, uint32_t* countRead);
    bool Purge(uint32_t mask);
    bool SetBaudRate(uint32_t baud);
    bool UpdateEnable();
    bool UpdateData();
    bool GetBLSIG(int32_t* flag);

    void SetEnableBits(uint32_t bits, bool on);
    void SetDataBits(uint32_t bits, bool on);
    uint32_t EnableImage() const { return m_dwEnable; }
    uint32_t DataImage() const { return m_dwData; }

    // Sends one control-channel command and clocks in the reply byte (optional).
    bool SendCommand(uint8_t command, uint8_t* reply);

  private:
    static constexpr kv::usb::Handle kClosed = ~kv::usb::Handle{0};

    bool DeviceOpen() const { return m_hDevice != kClosed; }
    bool ToggleRts();
    bool ToggleDtr();
    bool SetRtsLevel(bool level);
    bool SetDtrLevel(bool level);
    bool GetModemStatus(uint32_t* status);
    // A driver failure: keeps the text and shows it when message boxes are on.
    bool DriverFailure(const std::string& text);
    bool ClosedFailure(const char* operation);
    bool Latch(uint8_t command);

    std::string m_strError = "No error";
    uint32_t m_dwReadTimeout = 500;
    kv::usb::Handle m_hDevice = kClosed;
    bool m_bRts = false;
    bool m_bDtr = false;
    int32_t m_nRtsEdges = 0;
    uint32_t m_dwEnable = 0;
    uint32_t m_dwData = 0;
};

}  // namespace tovrin
