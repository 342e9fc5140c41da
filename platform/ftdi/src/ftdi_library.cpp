// The backend module over the real libftdi1: the function table filled with
// libftdi1's calls, and the factory the USB stand-in loads.
#include <ftdi.h>
#include <libusb.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "ftdi_backend.h"
#include "in_flight_read.h"
#include "sysfs_product.h"

namespace kv::usb {

// A libftdi1 context, the device list of its last scan and, once the device
// is read, the IN transfer kept in flight on it.
struct FtdiContext {
    ftdi_context* ftdi = nullptr;
    ftdi_device_list* list = nullptr;
    std::unique_ptr<InFlightRead> read;
};

namespace {

// ftdi_usb_open_dev's code when libusb_open failed.
constexpr int kLibftdiUsbOpenFailed = -4;

ftdi_stopbits_type StopBitsOf(FtdiStopBits s) {
    switch (s) {
        case FtdiStopBits::OneAndHalf: return STOP_BIT_15;
        case FtdiStopBits::Two: return STOP_BIT_2;
        case FtdiStopBits::One: break;
    }
    return STOP_BIT_1;
}

ftdi_parity_type ParityOf(FtdiParity p) {
    switch (p) {
        case FtdiParity::Odd: return ODD;
        case FtdiParity::Even: return EVEN;
        case FtdiParity::Mark: return MARK;
        case FtdiParity::Space: return SPACE;
        case FtdiParity::None: break;
    }
    return NONE;
}

FtdiContext* Create(void*) {
    ftdi_context* ftdi = ftdi_new();
    if (!ftdi) return nullptr;
    return new FtdiContext{ftdi, nullptr, nullptr};
}

void Destroy(FtdiContext* ctx) {
    ctx->read.reset();
    if (ctx->list) ftdi_list_free(&ctx->list);
    ftdi_free(ctx->ftdi);
    delete ctx;
}

int FindAll(FtdiContext* ctx, std::vector<FtdiUsbDevice*>* devices) {
    devices->clear();
    if (ctx->list) ftdi_list_free(&ctx->list);
    // Vendor and product 0: the FTDI vendor id with each of its product ids.
    const int n = ftdi_usb_find_all(ctx->ftdi, &ctx->list, 0, 0);
    if (n < 0) return n;
    for (ftdi_device_list* d = ctx->list; d; d = d->next)
        devices->push_back(reinterpret_cast<FtdiUsbDevice*>(d->dev));
    return n;
}

void FreeList(FtdiContext* ctx) {
    if (ctx->list) ftdi_list_free(&ctx->list);
}

int GetDescription(FtdiContext* ctx, FtdiUsbDevice* device, char* text, int size) {
    auto* dev = reinterpret_cast<libusb_device*>(device);
    const int r = ftdi_usb_get_strings(ctx->ftdi, dev, nullptr, 0, text, size, nullptr, 0);
    if (r >= 0) return r;
    // Asking the device needs access to it; the kernel's copy does not.
    const std::string product =
        sysfsProduct(libusb_get_bus_number(dev), libusb_get_device_address(dev));
    if (product.empty() || size <= 0) return r;
    const size_t n = std::min(product.size(), static_cast<size_t>(size - 1));
    std::memcpy(text, product.data(), n);
    text[n] = 0;
    return 0;
}

int DeviceNode(FtdiUsbDevice* device, char* text, int size) {
    auto* dev = reinterpret_cast<libusb_device*>(device);
    return std::snprintf(text, static_cast<size_t>(std::max(size, 0)), "/dev/bus/usb/%03d/%03d",
                         libusb_get_bus_number(dev), libusb_get_device_address(dev));
}

int OpenDevice(FtdiContext* ctx, FtdiUsbDevice* device) {
    auto* dev = reinterpret_cast<libusb_device*>(device);
    const int r = ftdi_usb_open_dev(ctx->ftdi, dev);
    if (r != kLibftdiUsbOpenFailed) return r;
    // libftdi1 keeps libusb's reason to itself; asking libusb again tells a
    // node this user may not open from a device that went away meanwhile.
    libusb_device_handle* handle = nullptr;
    const int again = libusb_open(dev, &handle);
    if (again == 0) libusb_close(handle);
    return again == LIBUSB_ERROR_ACCESS ? kFtdiNoAccess : r;
}

int CloseDevice(FtdiContext* ctx) {
    // No transfer may outlive the device handle.
    ctx->read.reset();
    return ftdi_usb_close(ctx->ftdi);
}

int Reset(FtdiContext* ctx) {
    return ftdi_usb_reset(ctx->ftdi);
}

int ResetBitMode(FtdiContext* ctx) {
    return ftdi_set_bitmode(ctx->ftdi, 0, BITMODE_RESET);
}

int DisableFlowControl(FtdiContext* ctx) {
    return ftdi_setflowctrl(ctx->ftdi, SIO_DISABLE_FLOW_CTRL);
}

int SetLatencyTimer(FtdiContext* ctx, unsigned char ms) {
    return ftdi_set_latency_timer(ctx->ftdi, ms);
}

int SetEventChar(FtdiContext* ctx, unsigned char byte) {
    return ftdi_set_event_char(ctx->ftdi, byte, 1);
}

void SetUsbTimeouts(FtdiContext* ctx, int readMs, int writeMs) {
    ctx->ftdi->usb_read_timeout = readMs;
    ctx->ftdi->usb_write_timeout = writeMs;
}

int ReadData(FtdiContext* ctx, unsigned char* buffer, int size, int waitMs) {
    if (!ctx->ftdi->usb_dev) return LIBUSB_ERROR_NO_DEVICE;
    if (!ctx->read) ctx->read = std::make_unique<InFlightRead>(ctx->ftdi);
    return ctx->read->take(buffer, size, waitMs);
}

void DropRead(FtdiContext* ctx) {
    if (ctx->read) ctx->read->drop();
}

// As ftdi_write_data, which keeps neither what a timed-out transfer took nor
// why a transfer failed: a time-out leaves the device in use (its control
// requests still work), a device that is gone does not.
int WriteData(FtdiContext* ctx, const unsigned char* data, int size) {
    ftdi_context* ftdi = ctx->ftdi;
    if (!ftdi->usb_dev) return LIBUSB_ERROR_NO_DEVICE;
    const int chunk = std::max(static_cast<int>(ftdi->writebuffer_chunksize), 1);
    int offset = 0;
    while (offset < size) {
        const int piece = std::min(chunk, size - offset);
        int taken = 0;
        const int r = libusb_bulk_transfer(ftdi->usb_dev, static_cast<unsigned char>(ftdi->in_ep),
                                           const_cast<unsigned char*>(data) + offset, piece, &taken,
                                           static_cast<unsigned>(ftdi->usb_write_timeout));
        offset += std::clamp(taken, 0, piece);
        if (r == LIBUSB_ERROR_TIMEOUT) return offset > 0 ? offset : kFtdiTimedOut;
        if (r < 0) return r;
    }
    return offset;
}

#if KELVANE_LIBFTDI1_TCFLUSH
int FlushReceived(FtdiContext* ctx) {
    return ftdi_tciflush(ctx->ftdi);
}

int FlushTransmit(FtdiContext* ctx) {
    return ftdi_tcoflush(ctx->ftdi);
}
#else
// Before libftdi1 1.5 the purge calls were named from the chip's side: the
// "tx" purge drops what the chip received for the host, and the other way round.
// Only the "rx" one also dropped libftdi1's own read buffer, which holds bytes
// the chip has already sent; they are received data too, so they go here, as
// 1.5's tciflush drops them.
int FlushReceived(FtdiContext* ctx) {
    const int result = ftdi_usb_purge_tx_buffer(ctx->ftdi);
    if (result == 0) {
        ctx->ftdi->readbuffer_offset = 0;
        ctx->ftdi->readbuffer_remaining = 0;
    }
    return result;
}

int FlushTransmit(FtdiContext* ctx) {
    return ftdi_usb_purge_rx_buffer(ctx->ftdi);
}
#endif

int SetBaudRate(FtdiContext* ctx, int baud) {
    return ftdi_set_baudrate(ctx->ftdi, baud);
}

int SetLineProperty(FtdiContext* ctx, int bits, FtdiStopBits stopBits, FtdiParity parity) {
    return ftdi_set_line_property(ctx->ftdi, bits == 7 ? BITS_7 : BITS_8, StopBitsOf(stopBits),
                                  ParityOf(parity));
}

int SetRts(FtdiContext* ctx, int level) {
    return ftdi_setrts(ctx->ftdi, level);
}

int SetDtr(FtdiContext* ctx, int level) {
    return ftdi_setdtr(ctx->ftdi, level);
}

int PollModemStatus(FtdiContext* ctx, unsigned short* status) {
    return ftdi_poll_modem_status(ctx->ftdi, status);
}

}  // namespace

const FtdiApi& libftdiApi() {
    static const FtdiApi api{
        .user = nullptr,
        .create = Create,
        .destroy = Destroy,
        .findAll = FindAll,
        .freeList = FreeList,
        .getDescription = GetDescription,
        .deviceNode = DeviceNode,
        .openDevice = OpenDevice,
        .closeDevice = CloseDevice,
        .reset = Reset,
        .resetBitMode = ResetBitMode,
        .disableFlowControl = DisableFlowControl,
        .setLatencyTimer = SetLatencyTimer,
        .setEventChar = SetEventChar,
        .setUsbTimeouts = SetUsbTimeouts,
        .readData = ReadData,
        .dropRead = DropRead,
        .writeData = WriteData,
        .flushReceived = FlushReceived,
        .flushTransmit = FlushTransmit,
        .setBaudRate = SetBaudRate,
        .setLineProperty = SetLineProperty,
        .setRts = SetRts,
        .setDtr = SetDtr,
        .pollModemStatus = PollModemStatus,
    };
    return api;
}

}  // namespace kv::usb

extern "C" __attribute__((visibility("default"))) kv::usb::Backend* kelvane_ftdiusb_create(
    const char*) {
    return new kv::usb::FtdiBackend(kv::usb::libftdiApi());
}
