// The kernel side of one emulated USB device node (/dev/bus/usb/BBB/DDD): a
// umockdev ioctl handler that answers the usbdevfs calls libusb makes (URB
// submit, reap and discard, interface claim and release, configuration,
// capabilities, reset, the kernel driver queries, detaching a kernel driver)
// and carries the transfers to the FTDI chip model. Each open of the node (a
// client) claims and submits on its own, as each process does with the
// kernel: an interface another open holds is busy, and closing the node
// releases what it held. OUT and control transfers complete at once (unless
// an OUT is told to stall); an IN transfer completes when the chip sends.
// Pulling the device out makes every later call fail as the kernel's do once
// a device is gone.
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
    // A kernel driver (e.g. "ftdi_sio") holds the interface until the host
    // detaches it; no claim succeeds before.
    void bindDriver(const std::string& name) { driver_ = name; }
    // The n-th bulk IN transfer (from 1) never completes; the host must give
    // it up (0: none).
    void stallIn(size_t n) { stallIn_ = n; }
    // The n-th bulk OUT transfer (from 1) is never taken: the chip holds it
    // off until the host gives it up at its write time-out, and takes the
    // ones after it again (0: none). Control transfers go on meanwhile.
    void stallOut(size_t n) { stallOut_ = n; }
    // Bytes the host sent to the bulk OUT endpoint.
    size_t bytesOut() const { return bytesOut_; }
    bool pulled() const { return unplugged_; }
    // A rule of the kernel's the host broke (a transfer on an interface it had
    // not claimed, a reap of an URB it never submitted ...); empty when none.
    std::string violation() const;

private:
    struct Urb {
        UMockdevIoctlClient* client = nullptr;
        UMockdevIoctlData* urb = nullptr;
        UMockdevIoctlData* buffer = nullptr;
        bool done = false;  // OUT and control: run when submitted
        bool stalled = false;
        bool stalledOut = false;  // an OUT transfer the chip never takes
        FtdiChipModel::Clock::time_point submitted{};
        int status = 0;
    };
    static gboolean onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    static void onVanished(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self);
    void handle(UMockdevIoctlClient* client);
    // Claim, release, detach: the interface number in `arg` at `offset`.
    void claimOrRelease(UMockdevIoctlClient* client, unsigned long request,
                        UMockdevIoctlData* arg);
    // The driver that holds interface 0 (empty: none).
    std::string boundDriver() const;
    void driverIoctl(UMockdevIoctlClient* client, unsigned long request, UMockdevIoctlData* arg);
    void submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    void discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg);
    // Runs an OUT or control transfer on the chip; returns its status (0 or -errno).
    int run(Urb& urb);
    // Whether an IN transfer completes now (it is then filled in).
    bool in(Urb& urb);
    static void release(Urb& urb);
    void fail(const std::string& what);

    FtdiChipModel chip_;
    UMockdevIoctlBase* handler_ = nullptr;
    std::deque<Urb> submitted_;
    std::deque<Urb> discarded_;
    // The open that holds interface 0 (null: none), and the kernel driver
    // bound to it (empty: none).
    UMockdevIoctlClient* owner_ = nullptr;
    std::string driver_;
    size_t stallIn_ = 0;
    size_t inCount_ = 0;
    size_t stallOut_ = 0;
    size_t outCount_ = 0;
    size_t unplugAfter_ = 0;
    std::function<void()> pulled_;
    std::string record_;
    std::atomic<size_t> bytesOut_{0};
    std::atomic<bool> unplugged_{false};
    mutable GMutex mutex_;
    std::string violation_;
};

}  // namespace kv::rig
