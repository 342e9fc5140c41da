// One FTDI device opened through libftdi1, with the meaning the pod and
// adapter drivers expect of each call: reads and the queue status served from
// the bytes an IN transfer kept in flight has brought (libftdi1 has no queue
// status; asking costs no transfer of its own, so no wait for the chip's
// latency timer), both buffers purged on request, time-outs bounding every
// transfer, line settings, RTS and DTR, and the modem status in the layout of
// kv::usb.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ftdi_api.h"
#include "kelvane/platform/usb_backend.h"

namespace kv::usb {

class FtdiDevice final : public Device {
public:
    // The latency timer: short enough that a reply, or one modem-line answer of
    // the adapter's control channel, waits at most this long in the chip.
    static constexpr unsigned char kLatencyMs = 2;
    // The event character. The pod's replies mostly end in a zero byte (the
    // status of success), and a reply leaves the chip as soon as its last
    // zero is in instead of waiting out the latency timer; a reply that ends
    // otherwise waits for the timer with the bytes behind its last zero only.
    // The byte is not taken out of what the host reads.
    static constexpr unsigned char kEventChar = 0x00;
    // How long one USB read may wait for the chip, which answers every latency
    // period even with nothing to send; a longer wait means the chip is gone.
    static constexpr int kUsbReadTimeoutMs = 500;
    // The transfer limit of a write when the host sets none (write time-out 0):
    // room for a full 4 KiB transfer at 9600 baud.
    static constexpr int kUnlimitedWriteMs = 10000;

    // Takes over a context whose device is open; frees it when closed.
    FtdiDevice(const FtdiApi& api, std::string description, FtdiContext* ctx);
    ~FtdiDevice() override;
    FtdiDevice(const FtdiDevice&) = delete;
    FtdiDevice& operator=(const FtdiDevice&) = delete;

    // Puts the chip into the state the drivers expect: serial mode without
    // flow control, the latency timer and event character, the USB time-outs. A chip that refuses
    // a setting is left to the drivers' next call (the reset) to report.
    void configure();

    std::string description() const override { return description_; }
    void close() override;
    Status reset() override;
    Status write(const uint8_t* data, size_t count, size_t* written) override;
    size_t rxAvailable() override;
    size_t read(uint8_t* buffer, size_t count) override;
    void waitForData(size_t wanted, uint32_t timeoutMs) override;
    Status purge(uint32_t mask) override;
    Status setBaudRate(uint32_t baud) override;
    Status setDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) override;
    Status setRts(bool level) override;
    Status setDtr(bool level) override;
    Status modemStatus(uint32_t* status) override;
    Status setTimeouts(uint32_t readMs, uint32_t writeMs) override;
    Status linkStatus() const override { return lost_; }

private:
    // Takes what the read in flight has brought into the read-ahead buffer,
    // waiting up to `waitMs` for the first bytes when none have come.
    void pull(uint32_t waitMs);
    // The status of a control call: kOk, or kIoError (the link's own failure
    // first, when it is gone).
    Status controlResult(int result) const;
    size_t buffered() const { return rx_.size() - rxHead_; }

    FtdiApi api_;
    std::string description_;
    FtdiContext* ctx_ = nullptr;
    Status lost_ = kOk;
    std::vector<uint8_t> rx_;
    size_t rxHead_ = 0;
};

}  // namespace kv::usb
