// The kernel side of one emulated USB device node (/dev/bus/usb/BBB/DDD): a
// umockdev ioctl handler that answers the usbdevfs calls libusb makes (URB
// submit, reap and discard, interface claim and release, configuration,
// capabilities, reset, the kernel driver queries) and carries the transfers to
// the FTDI chip model. Pulling the device out makes every later call fail as
// the kernel's do once a device is gone.
#pragma once

#include <umockdev.h>

#include <atomic>
#include <deque>
#include <functional>
#include <string>

#include "ftdi_chip_model.h"

namespace kv::rig {

class UsbfsDevice {
public:
    explicit UsbfsDevice(FtdiChipModel chip);
    ~UsbfsDevice();
    UsbfsDevice(const UsbfsDevice&) = delete;
    UsbfsDevice& operator=(const UsbfsDevice&) = delete;

    UMockdevIoctlBase* handler() const { return handler_; }
    FtdiChipModel& chip() { return chip_; }

    // Appends every byte the host sends to the bulk OUT endpoint to a file.
    void recordTo(const std::string& path) { record_ = path; }
    // Pull out after this many bytes reached the bulk OUT endpoint (0: never);
    // `pulled` takes the device off the bus there and then.
    void unplugAfter(size_t bytes, std::function<void()> pulled) {
        unplugAfter_ = bytes;
        pulled_ = std::move(pulled);
    }
    // Bytes the host sent to the bulk OUT endpoint.
    size_t bytesOut() const { return bytesOut_; }
    // A rule of the kernel's the host broke (a transfer on an interface it had
    // not claimed, a reap of an URB it never submitted ...); empty when none.
    std::string violation() const;

private:
    struct Urb {
        UMockdevIoctlData* urb = nullptr;
        UMockdevIoctlData* buffer = nullptr;
    };
    static gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    void handle(UMockdevIoctlClient* client);
    void submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    // Runs the transfer of an URB on the chip; returns its status (0 or -errno).
    int run(Urb& urb);
    void fail(const std::string& what);

    FtdiChipModel chip_;
    UMockdevIoctlBase* handler_ = nullptr;
    std::deque<Urb> submitted_;
    std::deque<Urb> discarded_;
    bool claimed_ = false;
    size_t unplugAfter_ = 0;
    std::function<void()> pulled_;
    std::string record_;
    std::atomic<size_t> bytesOut_{0};
    std::atomic<bool> unplugged_{false};
    mutable GMutex mutex_;
    std::string violation_;
};

}  // namespace kv::rig
