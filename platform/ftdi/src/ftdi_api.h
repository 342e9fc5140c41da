// The libftdi1 calls the FTDI backend makes, as a table of functions, so that
// tests can put a scripted double where libftdi1 sits. Every call answers as
// libftdi1 does: 0 or a count for success, a negative code for a failure.
#pragma once

#include <vector>

namespace kv::usb {

// One libftdi1 context (and with it one libusb context): it lists the bus,
// opens the device it found, carries every transfer and is freed only after
// the device is closed.
struct FtdiContext;
// A device of the context's last listing, valid until the list is freed.
struct FtdiUsbDevice;

// libusb's codes that the backend tells apart in read results: a transfer
// that timed out brought nothing; any other failure means the link is gone.
inline constexpr int kFtdiTimedOut = -7;
inline constexpr int kFtdiNoDevice = -4;
// libftdi1's code of an open whose device could not be claimed: another
// program holds it (a kernel driver is detached first).
inline constexpr int kFtdiClaimFailed = -5;
// libftdi1's code of an open this user has no permission for; the module
// also gives it when libusb refuses to open the device node for want of
// access (libftdi1 itself calls that "libusb_open() failed", -4).
inline constexpr int kFtdiNoAccess = -8;

// libftdi1's line settings.
enum class FtdiStopBits { One, OneAndHalf, Two };
enum class FtdiParity { None, Odd, Even, Mark, Space };

struct FtdiApi {
    // Handed to `create`, so a double knows which of its scripts answers.
    void* user = nullptr;
    // ftdi_new: nullptr when libusb cannot reach any bus.
    FtdiContext* (*create)(void* user) = nullptr;
    // ftdi_free, after closing an open device and freeing a device list.
    void (*destroy)(FtdiContext* ctx) = nullptr;
    // ftdi_usb_find_all over the FTDI vendor id and its product ids: the
    // count found, or a negative code.
    int (*findAll)(FtdiContext* ctx, std::vector<FtdiUsbDevice*>* devices) = nullptr;
    // ftdi_list_free of the last listing (an open device keeps its own
    // reference to its libusb device).
    void (*freeList)(FtdiContext* ctx) = nullptr;
    // The product description only: ftdi_usb_get_strings, or, for a device
    // this user may not open, the product text the kernel shows of it.
    int (*getDescription)(FtdiContext* ctx, FtdiUsbDevice* device, char* text, int size) = nullptr;
    // The device node of a listed device ("/dev/bus/usb/001/004"), named
    // when this user may not open it.
    int (*deviceNode)(FtdiUsbDevice* device, char* text, int size) = nullptr;
    // ftdi_usb_open_dev (kFtdiNoAccess when the node may not be opened),
    // ftdi_usb_close.
    int (*openDevice)(FtdiContext* ctx, FtdiUsbDevice* device) = nullptr;
    int (*closeDevice)(FtdiContext* ctx) = nullptr;
    // ftdi_usb_reset: resets the chip's serial engine.
    int (*reset)(FtdiContext* ctx) = nullptr;
    // ftdi_set_bitmode(BITMODE_RESET): serial mode, whatever mode another
    // program left the chip in.
    int (*resetBitMode)(FtdiContext* ctx) = nullptr;
    // ftdi_setflowctrl(SIO_DISABLE_FLOW_CTRL): RTS and DTR are the host's.
    int (*disableFlowControl)(FtdiContext* ctx) = nullptr;
    // ftdi_set_latency_timer: how long the chip holds back a part-filled packet.
    int (*setLatencyTimer)(FtdiContext* ctx, unsigned char ms) = nullptr;
    // ftdi_set_event_char: the byte that makes the chip pass on what it holds
    // at once, without waiting for the latency timer.
    int (*setEventChar)(FtdiContext* ctx, unsigned char byte) = nullptr;
    // The context's USB read and write time-outs (milliseconds).
    void (*setUsbTimeouts)(FtdiContext* ctx, int readMs, int writeMs) = nullptr;
    // Bytes from the IN transfer the device keeps in flight (put in flight by
    // the first call, again after each one ends), waiting up to `waitMs` for
    // the first when none have come: the count taken (0: none came), or a
    // negative code once the transfer failed.
    int (*readData)(FtdiContext* ctx, unsigned char* buffer, int size, int waitMs) = nullptr;
    // Gives up the IN transfer in flight and drops what it brought, before a
    // purge or reset of the chip.
    void (*dropRead)(FtdiContext* ctx) = nullptr;
    // ftdi_write_data, one bulk transfer of at most the chip's chunk size at
    // a time: the bytes the chip took, all of them unless the write time-out
    // ran out first (then fewer; kFtdiTimedOut for none), or another negative
    // code when a transfer failed (kFtdiNoDevice: the device is gone).
    int (*writeData)(FtdiContext* ctx, const unsigned char* data, int size) = nullptr;
    // ftdi_tciflush (bytes received, not yet read) and ftdi_tcoflush (bytes
    // written, not yet sent).
    int (*flushReceived)(FtdiContext* ctx) = nullptr;
    int (*flushTransmit)(FtdiContext* ctx) = nullptr;
    // ftdi_set_baudrate: -1 when the chip cannot make the rate.
    int (*setBaudRate)(FtdiContext* ctx, int baud) = nullptr;
    // ftdi_set_line_property: 7 or 8 data bits.
    int (*setLineProperty)(FtdiContext* ctx, int bits, FtdiStopBits stopBits,
                           FtdiParity parity) = nullptr;
    // ftdi_setrts, ftdi_setdtr: 1 raises the line.
    int (*setRts)(FtdiContext* ctx, int level) = nullptr;
    int (*setDtr)(FtdiContext* ctx, int level) = nullptr;
    // ftdi_poll_modem_status: modem byte (CTS 0x10, DSR 0x20, RI 0x40, DCD
    // 0x80) low, line status byte high.
    int (*pollModemStatus)(FtdiContext* ctx, unsigned short* status) = nullptr;
};

}  // namespace kv::usb
