// An FTDI USB serial chip as its USB side answers the host: the descriptors
// with the product description, the vendor control requests (reset and
// purges, baud rate, data characteristics, modem control, flow control,
// latency timer, bit mode, modem status) and the bulk endpoints, each IN
// packet led by the two status bytes. A simulated device of sim/ sits on its
// serial side. Calls come from one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/platform/usb_backend.h"

namespace kv::rig {

using Bytes = std::vector<uint8_t>;

class FtdiChipModel {
public:
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

    // One control transfer: `setup` is the 8-byte setup packet, `data` the
    // data stage (OUT: what the host sent; IN: filled, at most wLength).
    // False when the chip stalls the request.
    bool control(const uint8_t* setup, Bytes* data);
    // Bytes the host sent to the bulk OUT endpoint.
    void bulkOut(const uint8_t* data, size_t count);
    // One bulk IN transfer of up to `capacity` bytes: packets of at most 64
    // bytes, each the two status bytes and up to 62 data bytes. Waits up to
    // the latency timer for data when none is there.
    Bytes bulkIn(size_t capacity);

    // What the host left the chip in.
    bool serialMode() const { return bitMode_ == 0; }
    bool flowControl() const { return flow_ != 0; }

private:
    Bytes stringDescriptor(uint8_t index) const;
    bool vendorRequest(uint8_t request, uint16_t value, uint16_t index, Bytes* data);
    uint8_t modemByte();

    std::string product_;
    std::string serial_;
    std::shared_ptr<usb::Device> behind_;
    // Another program left the chip in bit-bang mode with RTS/CTS flow control.
    uint8_t bitMode_ = 0x01;
    uint16_t flow_ = 0x0100;
    uint8_t latencyMs_ = 16;
};

}  // namespace kv::rig
