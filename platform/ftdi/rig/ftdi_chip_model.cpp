#include "ftdi_chip_model.h"

#include <algorithm>
#include <cmath>

namespace kv::rig {

namespace {

// Vendor requests of the chip.
enum : uint8_t {
    kReset = 0x00,
    kModemControl = 0x01,
    kFlowControl = 0x02,
    kBaudRate = 0x03,
    kData = 0x04,
    kModemStatus = 0x05,
    kEventChar = 0x06,
    kErrorChar = 0x07,
    kSetLatency = 0x09,
    kGetLatency = 0x0A,
    kBitMode = 0x0B,
};
// wValue of kReset.
enum : uint16_t { kResetSio = 0, kPurgeHostToLine = 1, kPurgeLineToHost = 2 };
// The line status byte of an idle transmitter (THRE, TEMT).
constexpr uint8_t kLineIdle = 0x60;
// Eighths of the divisor's fraction, by the 3-bit code the chip takes.
constexpr int kEighths[8] = {0, 4, 2, 1, 3, 5, 6, 7};
constexpr double kBaseClock = 3000000.0;

// The baud rate that a divisor of the chip's 3 MHz clock makes.
uint32_t baudOf(uint16_t value, uint16_t index) {
    const int whole = value & 0x3FFF;
    const int code = ((value >> 14) & 3) | ((index & 1) << 2);
    if (whole == 0 && code == 0) return 3000000;
    if (whole == 1 && code == 0) return 2000000;
    return static_cast<uint32_t>(std::lround(kBaseClock / (whole + kEighths[code] / 8.0)));
}

}  // namespace

FtdiChipModel::FtdiChipModel(std::string product, std::string serial,
                             std::shared_ptr<usb::Device> behind)
    : product_(std::move(product)), serial_(std::move(serial)), behind_(std::move(behind)) {}

Bytes FtdiChipModel::descriptors() {
    const uint8_t lo = kPacketSize & 0xFF;
    return Bytes{
        // Device: USB 2.0, vendor class, 8-byte control packets, bcdDevice
        // 6.00 (an FT232R), strings 1-3, one configuration.
        18, 1, 0x00, 0x02, 0, 0, 0, 8, kVendor & 0xFF, kVendor >> 8, kProduct & 0xFF,
        kProduct >> 8, 0x00, 0x06, 1, 2, 3, 1,
        // Configuration 1: one interface, bus powered, 90 mA.
        9, 2, 32, 0, 1, 1, 0, 0xA0, 45,
        // Interface 0: two bulk endpoints, vendor class, string 2.
        9, 4, 0, 0, 2, 0xFF, 0xFF, 0xFF, 2,
        // Bulk IN 0x81 and bulk OUT 0x02 of 64 bytes.
        7, 5, kInEndpoint, 2, lo, 0, 0,
        7, 5, kOutEndpoint, 2, lo, 0, 0};
}

Bytes FtdiChipModel::stringDescriptor(uint8_t index) const {
    if (index == 0) return Bytes{4, 3, 0x09, 0x04};  // US English
    std::string text;
    switch (index) {
        case 1: text = "FTDI"; break;
        case 2: text = product_; break;
        case 3: text = serial_; break;
        default: return {};
    }
    Bytes d{static_cast<uint8_t>(2 + 2 * text.size()), 3};
    for (char c : text) {
        d.push_back(static_cast<uint8_t>(c));
        d.push_back(0);
    }
    return d;
}

bool FtdiChipModel::control(const uint8_t* setup, Bytes* data) {
    const uint8_t type = setup[0];
    const uint8_t request = setup[1];
    const uint16_t value = static_cast<uint16_t>(setup[2] | setup[3] << 8);
    const uint16_t index = static_cast<uint16_t>(setup[4] | setup[5] << 8);
    const uint16_t length = static_cast<uint16_t>(setup[6] | setup[7] << 8);
    if ((type & 0x60) == 0x40) {
        if (!vendorRequest(request, value, index, data)) return false;
    } else if (type == 0x80 && request == 6) {  // GET_DESCRIPTOR
        const Bytes all = descriptors();
        switch (value >> 8) {
            case 1: *data = Bytes(all.begin(), all.begin() + 18); break;
            case 2: *data = Bytes(all.begin() + 18, all.end()); break;
            case 3: *data = stringDescriptor(value & 0xFF); break;
            default: return false;
        }
        if (data->empty()) return false;
    } else if (type == 0x80 && request == 8) {  // GET_CONFIGURATION
        *data = Bytes{1};
    } else if (type == 0x00 && request == 9) {  // SET_CONFIGURATION
        data->clear();
    } else {
        return false;
    }
    if (type & 0x80 && data->size() > length) data->resize(length);
    return true;
}

bool FtdiChipModel::vendorRequest(uint8_t request, uint16_t value, uint16_t index, Bytes* data) {
    switch (request) {
        case kReset:
            if (!behind_) return true;
            if (value == kResetSio || value == kPurgeLineToHost) purgeHeld();
            if (value == kResetSio) behind_->purge(usb::kPurgeRx | usb::kPurgeTx);
            if (value == kPurgeLineToHost) behind_->purge(usb::kPurgeRx);
            if (value == kPurgeHostToLine) behind_->purge(usb::kPurgeTx);
            return true;
        case kModemControl:
            // With RTS/CTS flow control the chip drives RTS itself; in bit-bang
            // mode neither line is the serial port's.
            if (!behind_ || !serialMode()) return true;
            if (value & 0x0100) behind_->setDtr(value & 0x01);
            if ((value & 0x0200) && !flowControl()) behind_->setRts(value & 0x02);
            return true;
        case kFlowControl:
            flow_ = index & 0xFF00;
            return true;
        case kBaudRate:
            if (behind_) behind_->setBaudRate(baudOf(value, index));
            return true;
        case kData: {
            if (!behind_) return true;
            const uint8_t parities[5] = {usb::kParityNone, usb::kParityOdd, usb::kParityEven,
                                         usb::kParityMark, usb::kParitySpace};
            const int parity = (value >> 8) & 7;
            const int stop = (value >> 11) & 3;
            if (parity > 4) return false;
            behind_->setDataCharacteristics(value & 0xFF,
                                            stop == 2 ? usb::kStopBits2 : usb::kStopBits1,
                                            parities[parity]);
            return true;
        }
        case kModemStatus:
            *data = Bytes{modemByte(), kLineIdle};
            return true;
        case kEventChar:
            eventChar_ = static_cast<uint8_t>(value & 0xFF);
            eventOn_ = (value & 0x0100) != 0;
            return true;
        case kErrorChar:
            return true;
        case kSetLatency:
            if (value < 1 || value > 255) return false;
            latencyMs_ = static_cast<uint8_t>(value);
            return true;
        case kGetLatency:
            *data = Bytes{latencyMs_};
            return true;
        case kBitMode:
            bitMode_ = static_cast<uint8_t>(value >> 8);
            return true;
        default:
            return false;
    }
}

uint8_t FtdiChipModel::modemByte() {
    uint32_t lines = 0;
    if (behind_) behind_->modemStatus(&lines);
    // The low nibble reads 1 on this chip; the modem lines sit above it.
    uint8_t b = 0x01;
    if (lines & usb::kModemCts) b |= 0x10;
    if (lines & usb::kModemDsr) b |= 0x20;
    if (lines & usb::kModemRi) b |= 0x40;
    if (lines & usb::kModemDcd) b |= 0x80;
    return b;
}

void FtdiChipModel::bulkOut(const uint8_t* data, size_t count) {
    // Outside serial mode the bytes drive pins, not the serial line.
    if (!behind_ || !serialMode() || count == 0) return;
    size_t written = 0;
    behind_->write(data, count, &written);
    // A device that answers at once has its reply in the chip from now on.
    receive();
}

void FtdiChipModel::receive() {
    if (!behind_ || !serialMode()) return;
    size_t waiting = behind_->rxAvailable();
    if (in_.silentAfter != 0) {
        // The bytes past the limit are lost on the way to the chip.
        const size_t room = in_.silentAfter - std::min(in_.silentAfter, passed_ + held_.size());
        for (size_t lost = waiting > room ? waiting - room : 0; lost > 0;) {
            uint8_t drop[256];
            const size_t n = behind_->read(drop, std::min(lost, sizeof drop));
            if (n == 0) break;
            lost -= n;
        }
        waiting = std::min(waiting, room);
    }
    while (waiting > 0) {
        uint8_t chunk[256];
        const size_t n = behind_->read(chunk, std::min(waiting, sizeof chunk));
        if (n == 0) break;
        held_.insert(held_.end(), chunk, chunk + n);
        waiting -= n;
    }
    if (held_.size() > (came_.empty() ? 0 : came_.back().second))
        came_.emplace_back(Clock::now(), held_.size());
}

void FtdiChipModel::purgeHeld() {
    held_.clear();
    came_.clear();
}

FtdiChipModel::Clock::time_point FtdiChipModel::cameAt(size_t index) const {
    for (const auto& [at, end] : came_)
        if (index < end) return at;
    return Clock::time_point::max();
}

bool FtdiChipModel::bulkIn(size_t capacity, Clock::time_point submitted, Bytes* out) {
    const size_t perPacket = in_.piece ? std::min(in_.piece, kPacketSize - 2) : kPacketSize - 2;
    const Clock::time_point now = Clock::now();
    receive();
    // When the chip answers the transfer: once the latency timer has run out
    // since the last packet, with the bytes that had come by then (none: the
    // status bytes alone); earlier when a full packet (or, on a kind chip, any
    // byte) or the event character has come. The transfer may have been
    // answered before the host asks for it, with what the chip held then.
    const Clock::time_point timer =
        std::max(submitted, lastPacket_ + std::chrono::milliseconds(latencyMs_));
    Clock::time_point due = timer;
    size_t limit = held_.size();
    bool onEvent = false;
    if (!held_.empty() && in_.piece == 0) {
        if (in_.instant) due = std::min(due, std::max(submitted, cameAt(0)));
        if (held_.size() >= perPacket) due = std::min(due, std::max(submitted, cameAt(perPacket - 1)));
        if (eventOn_) {
            // The first event character held sends the buffer; the bytes of
            // the same run follow within microseconds, so the packet carries
            // them up to the run's last event character. The rest wait.
            size_t first = held_.size();
            for (size_t k = 0; k < held_.size() && first == held_.size(); ++k)
                if (held_[k] == eventChar_) first = k;
            if (first < held_.size()) {
                const Clock::time_point came = cameAt(first);
                const Clock::time_point at = std::max(submitted, came);
                if (at < due) {
                    due = at;
                    onEvent = true;
                    for (size_t k = first; k < held_.size() && cameAt(k) <= came; ++k)
                        if (held_[k] == eventChar_) limit = k + 1;
                }
            }
        }
    }
    if (due > now) return false;
    // What had come by then, and no more than the packet that left early.
    size_t left = 0;
    while (left < held_.size() && cameAt(left) <= due) ++left;
    if (onEvent) {
        left = std::min(left, limit);
        ++eventPackets_;
    }
    // A piece goes alone; otherwise as many packets as fit and are there.
    const size_t packets = in_.piece ? 1 : std::max<size_t>(1, capacity / kPacketSize);
    const uint8_t modem = modemByte();
    out->clear();
    for (size_t p = 0; p < packets; ++p) {
        const size_t n = std::min(perPacket, left);
        if (n == 0 && p > 0) break;
        out->push_back(modem);
        out->push_back(kLineIdle);
        out->insert(out->end(), held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(n));
        held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(n));
        left -= n;
        passed_ += n;
        for (auto& run : came_) run.second -= std::min(run.second, n);
        while (!came_.empty() && came_.front().second == 0) came_.pop_front();
        if (n < perPacket) break;
    }
    lastPacket_ = due;
    return true;
}

}  // namespace kv::rig
