// The simulated Tovrin bootstrap-loader adapter, as a USB device.
//
// Control channel: the host encodes 8-bit commands as edges on RTS and DTR
// (a DTR edge for a bit that differs from the previous one, an RTS edge for a
// repeat, an extra DTR edge after four RTS edges, a DTR start edge before
// each command); five RTS edges in a row start a new session. The adapter
// answers on CTS, inverted, least significant bit first: bit 0 of the reply
// byte from the start edge on, bit k+1 after the edge of bit k. Commands:
// 0x40 queues the version (low, high byte), 0x41 the serial number (lowest
// byte first) for the following 0x00 commands; 0x80|bits latches the enable
// register and 0xC0|bits the data register.
//
// Register bits and target lines:
//   data VTGT (0x10)        target supply
//   enable XRS (0x10)       drives RST/NMI low; released, RST is high while powered
//   enable F12 (0x08)       drives TEST to the data F12 (0x08) level; released, TEST is low
//   enable BSL (0x04)       drives TCK to the data F2 (0x01) level (released: high) and
//                           connects the target's bootloader signal to DSR
//   enable Tx (0x02)        passes host bytes to the target's receive pin
//   enable Rx (0x01)        passes the target's bytes to the host
//   data F3 (0x02), F4PD (0x04)  held in the register; no target line
// DSR is clear (the driver's BLSIG = 1) while BSL is enabled and the target
// reports its bootloader signal; otherwise set.
//
// Serial data take simulated time: each character occupies its line for its
// bit times at the sender's baud rate and framing; a receiver set up
// differently samples the sender's waveform and gets garbled bytes. The line's
// time follows kv::clock(). On modelled time, in addition, a host that looks
// for received bytes or waits for them lets the line run on at once until it
// falls silent (the target's answers included), so a transfer costs no wall
// time beyond the host's own; the time skipped counts as elapsed.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/bsl_target_lines.h"
#include "kelvane/sim/serial_line.h"

namespace kv::sim {

class TovrinAdapter : public kv::usb::Device, private SerialSink {
  public:
    static constexpr const char* kDescription = "Tovrin - MSP430 Flash Bootloader";

    struct Config {
        uint16_t version = 0x0103;
        uint32_t serialNumber = 0x00A1B2C3;
        bool modelledTime = false;  // see above
        // Faults of the USB side: the n-th serial write (from 1) takes one
        // byte less than it was given; after n writes the adapter is
        // unplugged (its lines fall, the target loses its supply, and every
        // further call fails with an I/O error). 0: none.
        uint64_t shortWrite = 0;
        uint64_t unplugAfterWrites = 0;
    };

    enum class Direction { ToTarget, ToHost };
    struct WireEntry {
        uint64_t timeUs;  // when the character completed on the line
        Direction direction;
        uint8_t value;  // as sent
        bool dropped;   // lost by fault injection
    };

    struct Lines {
        bool supply, reset, test, tck;
    };

    TovrinAdapter();
    explicit TovrinAdapter(Config config);
    ~TovrinAdapter() override;

    // The target on the adapter's connector (nullptr: none).
    void attachTarget(BslTargetLines* target);

    // kv::usb::Device
    std::string description() const override { return kDescription; }
    kv::usb::Status write(const uint8_t* data, size_t count, size_t* written) override;
    size_t rxAvailable() override;
    size_t read(uint8_t* buffer, size_t count) override;
    void waitForData(size_t wanted, uint32_t timeoutMs) override;
    kv::usb::Status purge(uint32_t mask) override;
    kv::usb::Status setBaudRate(uint32_t baud) override;
    kv::usb::Status setDataCharacteristics(uint8_t wordLength, uint8_t stopBits,
                                           uint8_t parity) override;
    kv::usb::Status setRts(bool level) override;
    kv::usb::Status setDtr(bool level) override;
    kv::usb::Status modemStatus(uint32_t* status) override;
    kv::usb::Status linkStatus() const override;
    // On modelled time the host's pause moves the line's time on at once.
    bool pause(uint32_t ms) override;

    // Inspection.
    uint8_t enableRegister() const { return enable_; }
    uint8_t dataRegister() const { return data_; }
    Lines lines() const;
    const SerialFormat& hostFormat() const { return host_; }
    // Every control-channel command decoded, in order.
    const std::vector<uint8_t>& commands() const { return commands_; }
    // Every modem-line edge: 'R' for RTS, 'D' for DTR.
    const std::string& edges() const { return edges_; }
    const std::vector<WireEntry>& wireLog() const { return wire_; }
    // Bytes of one direction from the wire log (dropped ones left out).
    std::vector<uint8_t> wireBytes(Direction direction) const;
    void clearLogs();
    // Simulated time on the adapter's line, in microseconds.
    uint64_t nowUs();
    // Of that, the time skipped on modelled time.
    uint64_t skippedUs() const { return skippedUs_; }

    // Fault injection: lose the n-th character (counted from 1 since the
    // adapter was made) written by the host, or sent by the target.
    void dropToTarget(uint64_t nth) { dropToTarget_.insert(nth); }
    void dropToHost(uint64_t nth) { dropToHost_.insert(nth); }
    // Characters so far in each direction, dropped ones included.
    uint64_t toTargetCount() const { return toTargetCount_; }
    uint64_t toHostCount() const { return toHostCount_; }

  private:
    struct Event {
        Direction direction;
        uint8_t value;
        SerialFormat format;  // the sender's framing
        uint64_t startUs;
    };

    void transmit(uint8_t value, uint64_t atUs) override;
    // Runs the line up to the present time of kv::clock().
    void advance();
    // On modelled time: runs the line on until nothing more is on it.
    void runUntilSilent();
    void deliver(uint64_t atUs, const Event& e);
    void edge(bool rts);
    void commandComplete(uint8_t command);
    void presentReplyBit();
    void applyLines(uint64_t atUs);

    Config config_;
    BslTargetLines* target_ = nullptr;

    // Simulated time.
    bool clockStarted_ = false;
    uint32_t lastTick_ = 0;
    uint64_t elapsedMs_ = 0;
    uint64_t skippedUs_ = 0;

    // Serial side.
    SerialFormat host_{9600, kv::usb::kBits8, kv::usb::kStopBits1, kv::usb::kParityNone};
    std::multimap<uint64_t, Event> events_;
    uint64_t toTargetFree_ = 0;
    uint64_t toHostFree_ = 0;
    uint64_t toTargetCount_ = 0;
    uint64_t toHostCount_ = 0;
    std::deque<uint8_t> hostQueue_;
    std::set<uint64_t> dropToTarget_, dropToHost_;
    std::vector<WireEntry> wire_;

    // Control channel.
    bool rts_ = false, dtr_ = false;
    bool receiving_ = false;
    int level_ = 1;
    int bitIndex_ = 0;
    int rtsRun_ = 0;
    uint8_t shift_ = 0;
    std::deque<uint8_t> replies_;
    uint8_t replyByte_ = 0;
    bool cts_ = true;
    std::vector<uint8_t> commands_;
    std::string edges_;

    uint64_t usbWrites_ = 0;
    bool unplugged_ = false;

    // Registers and the lines they drive.
    uint8_t enable_ = 0;
    uint8_t data_ = 0;
    Lines driven_{false, false, false, true};
};

}  // namespace kv::sim
