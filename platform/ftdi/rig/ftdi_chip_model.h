// An FTDI USB serial chip as its USB side answers the host: the descriptors
// with the product description, the vendor control requests (reset and
// purges, baud rate, data characteristics, modem control, flow control,
// latency timer, bit mode, modem status) and the bulk endpoints, each IN
// packet led by the two status bytes. A simulated device of sim/ sits on its
// serial side. Calls come from one thread.
//
// The IN side keeps the chip's timing: a packet that is not full leaves only
// once the latency timer has run out since the last packet, and with nothing
// to send the chip answers with the status bytes alone at that pace, so an IN
// transfer may have to wait. With the event character on, the bytes up to and
// including that character leave as soon as it has come; the bytes behind it
// wait as before. A chip may also be kinder or worse than that (see InSide).
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/platform/usb_backend.h"

namespace kv::rig {

using Bytes = std::vector<uint8_t>;

// How the chip's IN side treats the host; the defaults are a real chip's.
struct InSide {
    // The device's bytes leave at once, without waiting for the latency
    // timer (status-only packets still keep its pace): a kinder chip.
    bool instant = false;
    // At most this many data bytes a packet, each piece after the latency
    // timer, event character or not (0: a full packet of 62).
    size_t piece = 0;
    // The device's bytes reach the host only up to this many; the rest are
    // lost on the way (0: all).
    size_t silentAfter = 0;
};

class FtdiChipModel {
public:
    using Clock = std::chrono::steady_clock;

    static constexpr uint16_t kVendor = 0x0403;
    static constexpr uint16_t kProduct = 0x6001;
    static constexpr uint8_t kInEndpoint = 0x81;
    static constexpr uint8_t kOutEndpoint = 0x02;
    static constexpr size_t kPacketSize = 64;

    // `behind` may be null: a chip with nothing on its serial side.
    FtdiChipModel(std::string product, std::string serial, std::shared_ptr<usb::Device> behind);

    // The device descriptor followed by the configuration, as sysfs shows them.
    static Bytes descriptors();
    const std::string& product() const { return product_; }
    InSide& inSide() { return in_; }

    // One control transfer: `setup` is the 8-byte setup packet, `data` the
    // data stage (OUT: what the host sent; IN: filled, at most wLength).
    // False when the chip stalls the request.
    bool control(const uint8_t* setup, Bytes* data);
    // Bytes the host sent to the bulk OUT endpoint.
    void bulkOut(const uint8_t* data, size_t count);
    // One bulk IN transfer of up to `capacity` bytes, submitted at
    // `submitted`, if the chip has answered it by now: packets of at most 64
    // bytes, each the two status bytes and up to 62 data bytes. False while
    // the chip holds back (the host asks again).
    bool bulkIn(size_t capacity, Clock::time_point submitted, Bytes* out);
    // The simulated device behind the chip (null: none).
    const std::shared_ptr<usb::Device>& behind() const { return behind_; }

    // What the host left the chip in.
    bool serialMode() const { return bitMode_ == 0; }
    bool flowControl() const { return flow_ != 0; }
    // Packets that left early because the event character had come.
    size_t eventPackets() const { return eventPackets_; }

private:
    Bytes stringDescriptor(uint8_t index) const;
    bool vendorRequest(uint8_t request, uint16_t value, uint16_t index, Bytes* data);
    uint8_t modemByte();
    // Moves the bytes the device has sent into the chip's buffer, noting when
    // they came.
    void receive();
    // Empties the chip's buffer towards the host.
    void purgeHeld();
    // When the bytes held at `index` came.
    Clock::time_point cameAt(size_t index) const;

    std::string product_;
    std::string serial_;
    std::shared_ptr<usb::Device> behind_;
    // Another program left the chip in bit-bang mode with RTS/CTS flow control.
    uint8_t bitMode_ = 0x01;
    uint16_t flow_ = 0x0100;
    uint8_t latencyMs_ = 16;
    uint8_t eventChar_ = 0;
    bool eventOn_ = false;
    InSide in_;
    // When the last IN packet left (the latency timer restarts then).
    Clock::time_point lastPacket_{};
    // The bytes the chip holds for the host, and when each run of them came:
    // the time and the count held once the run was in.
    std::deque<uint8_t> held_;
    std::deque<std::pair<Clock::time_point, size_t>> came_;
    size_t passed_ = 0;
    size_t eventPackets_ = 0;
};

}  // namespace kv::rig
