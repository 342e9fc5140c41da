#include "kelvane/sim/tovrin_adapter.h"

#include <algorithm>

#include "kelvane/platform/clock.h"

namespace kv::sim {

namespace usb = kv::usb;

namespace {
constexpr uint8_t kRx = 0x01, kTx = 0x02, kBsl = 0x04, kF12 = 0x08, kXrs = 0x10;
constexpr uint8_t kF2 = 0x01, kDataF12 = 0x08, kVtgt = 0x10;
}  // namespace

TovrinAdapter::TovrinAdapter() : TovrinAdapter(Config{}) {}
TovrinAdapter::TovrinAdapter(Config config) : config_(config) {}

TovrinAdapter::~TovrinAdapter() {
    if (target_) target_->attachTransmitter(nullptr);
}

void TovrinAdapter::attachTarget(BslTargetLines* target) {
    advance();
    if (target_) target_->attachTransmitter(nullptr);
    target_ = target;
    if (!target_) return;
    target_->attachTransmitter(this);
    const uint64_t now = nowUs();
    const Lines l = lines();
    target_->setReset(l.reset, now);
    target_->setTest(l.test, now);
    target_->setTck(l.tck, now);
    target_->setSupply(l.supply, now);
    driven_ = l;
}

uint64_t TovrinAdapter::nowUs() {
    const uint32_t tick = kv::clock().tickCount();
    if (!clockStarted_) {
        clockStarted_ = true;
        lastTick_ = tick;
    }
    elapsedMs_ += kv::ticksSince(lastTick_, tick);
    lastTick_ = tick;
    return elapsedMs_ * 1000 + skippedUs_;
}

void TovrinAdapter::advance() {
    const uint64_t now = nowUs();
    while (!events_.empty() && events_.begin()->first <= now) {
        const auto it = events_.begin();
        const uint64_t at = it->first;
        const Event e = it->second;
        events_.erase(it);
        deliver(at, e);
    }
}

void TovrinAdapter::runUntilSilent() {
    if (!config_.modelledTime) return;
    advance();
    while (!events_.empty()) {
        const uint64_t next = events_.begin()->first;
        const uint64_t now = nowUs();
        if (next > now) skippedUs_ += next - now;
        advance();
    }
}

void TovrinAdapter::deliver(uint64_t atUs, const Event& e) {
    if (e.direction == Direction::ToTarget) {
        if (!target_ || !(enable_ & kTx)) return;
        const ReceivedCharacter c = receiveCharacter(e.value, e.format, target_->serialFormat());
        target_->receive(c.value, c.ok, atUs);
    } else {
        if (!(enable_ & kRx)) return;
        // The converter hands over what it sampled, error or not.
        hostQueue_.push_back(receiveCharacter(e.value, e.format, host_).value);
    }
}

bool TovrinAdapter::pause(uint32_t ms) {
    if (!config_.modelledTime || unplugged_) return false;
    advance();
    skippedUs_ += uint64_t{ms} * 1000;
    advance();
    return true;
}

usb::Status TovrinAdapter::linkStatus() const {
    return unplugged_ ? usb::kIoError : usb::kOk;
}

usb::Status TovrinAdapter::write(const uint8_t* data, size_t count, size_t* written) {
    *written = 0;
    if (unplugged_) return usb::kIoError;
    advance();
    ++usbWrites_;
    if (usbWrites_ == config_.shortWrite && count > 0) --count;
    const uint64_t now = nowUs();
    for (size_t i = 0; i < count; ++i) {
        const uint64_t nth = ++toTargetCount_;
        const uint64_t start = std::max(now, toTargetFree_);
        const uint64_t end = start + characterTimeUs(host_);
        toTargetFree_ = end;
        const bool dropped = dropToTarget_.count(nth) != 0;
        wire_.push_back({end, Direction::ToTarget, data[i], dropped});
        if (!dropped) events_.emplace(end, Event{Direction::ToTarget, data[i], host_, start});
    }
    *written = count;
    if (config_.unplugAfterWrites != 0 && usbWrites_ >= config_.unplugAfterWrites) {
        // Unplugged: the adapter's lines fall with its power.
        unplugged_ = true;
        enable_ = 0;
        data_ = 0;
        applyLines(nowUs());
    }
    return usb::kOk;
}

void TovrinAdapter::transmit(uint8_t value, uint64_t atUs) {
    if (!target_) return;
    const SerialFormat format = target_->serialFormat();
    const uint64_t nth = ++toHostCount_;
    const uint64_t start = std::max(atUs, toHostFree_);
    const uint64_t end = start + characterTimeUs(format);
    toHostFree_ = end;
    const bool dropped = dropToHost_.count(nth) != 0;
    wire_.push_back({end, Direction::ToHost, value, dropped});
    if (!dropped) events_.emplace(end, Event{Direction::ToHost, value, format, start});
}

size_t TovrinAdapter::rxAvailable() {
    runUntilSilent();
    advance();
    return hostQueue_.size();
}

size_t TovrinAdapter::read(uint8_t* buffer, size_t count) {
    advance();
    const size_t n = std::min(count, hostQueue_.size());
    for (size_t i = 0; i < n; ++i) {
        buffer[i] = hostQueue_.front();
        hostQueue_.pop_front();
    }
    return n;
}

// Lets simulated time pass up to the next character on the line, so a wait
// costs a few clock steps rather than one per millisecond.
void TovrinAdapter::waitForData(size_t wanted, uint32_t timeoutMs) {
    runUntilSilent();
    kv::Clock& c = kv::clock();
    const uint32_t start = c.tickCount();
    while (rxAvailable() < wanted) {
        const uint32_t elapsed = kv::ticksSince(start, c.tickCount());
        if (elapsed >= timeoutMs) break;
        const uint32_t left = timeoutMs - elapsed;
        uint32_t step = left;
        if (!events_.empty()) {
            const uint64_t now = nowUs();
            const uint64_t next = events_.begin()->first;
            const uint64_t ms = next > now ? (next - now + 999) / 1000 : 1;
            step = static_cast<uint32_t>(std::clamp<uint64_t>(ms, 1, left));
        }
        c.sleep(step);
    }
}

usb::Status TovrinAdapter::purge(uint32_t mask) {
    if (unplugged_) return usb::kIoError;
    advance();
    if (mask & usb::kPurgeRx) hostQueue_.clear();
    if (mask & usb::kPurgeTx) {
        // Characters not yet on the line leave the converter's buffer.
        const uint64_t now = nowUs();
        toTargetFree_ = now;
        for (auto it = events_.begin(); it != events_.end();) {
            if (it->second.direction == Direction::ToTarget && it->second.startUs > now) {
                it = events_.erase(it);
            } else {
                if (it->second.direction == Direction::ToTarget)
                    toTargetFree_ = std::max(toTargetFree_, it->first);
                ++it;
            }
        }
    }
    return usb::kOk;
}

usb::Status TovrinAdapter::setBaudRate(uint32_t baud) {
    if (unplugged_) return usb::kIoError;
    if (baud == 0) return usb::kInvalidBaudRate;
    advance();
    host_.baud = baud;
    return usb::kOk;
}

usb::Status TovrinAdapter::setDataCharacteristics(uint8_t wordLength, uint8_t stopBits,
                                                  uint8_t parity) {
    if ((wordLength != usb::kBits7 && wordLength != usb::kBits8) ||
        (stopBits != usb::kStopBits1 && stopBits != usb::kStopBits2) || parity > usb::kParitySpace)
        return usb::kInvalidParameter;
    advance();
    host_.dataBits = wordLength;
    host_.stopBits = stopBits;
    host_.parity = parity;
    return usb::kOk;
}

usb::Status TovrinAdapter::setRts(bool level) {
    if (unplugged_) return usb::kIoError;
    advance();
    if (level != rts_) {
        rts_ = level;
        edge(true);
    }
    return usb::kOk;
}

usb::Status TovrinAdapter::setDtr(bool level) {
    if (unplugged_) return usb::kIoError;
    advance();
    if (level != dtr_) {
        dtr_ = level;
        edge(false);
    }
    return usb::kOk;
}

usb::Status TovrinAdapter::modemStatus(uint32_t* status) {
    if (unplugged_) return usb::kIoError;
    advance();
    const bool signal = (enable_ & kBsl) && target_ && target_->bootloaderSignal();
    *status = (cts_ ? usb::kModemCts : 0u) | (signal ? 0u : usb::kModemDsr);
    return usb::kOk;
}

void TovrinAdapter::presentReplyBit() {
    cts_ = !((replyByte_ >> bitIndex_) & 1);
}

void TovrinAdapter::edge(bool rts) {
    edges_ += rts ? 'R' : 'D';
    int bit = 0;
    if (rts) {
        if (++rtsRun_ >= 5) {
            // Five RTS edges in a row: a new session, whatever came before.
            receiving_ = false;
            replies_.clear();
            replyByte_ = 0;
            cts_ = true;
            return;
        }
        if (!receiving_) return;
        bit = level_;
    } else {
        if (!receiving_) {
            receiving_ = true;
            level_ = 0;
            bitIndex_ = 0;
            shift_ = 0;
            rtsRun_ = 0;
            replyByte_ = 0;
            if (!replies_.empty()) {
                replyByte_ = replies_.front();
                replies_.pop_front();
            }
            presentReplyBit();
            return;
        }
        const bool stuffing = rtsRun_ == 4;
        rtsRun_ = 0;
        if (stuffing) return;
        bit = level_ ^ 1;
        level_ = bit;
    }
    shift_ |= static_cast<uint8_t>(bit << bitIndex_);
    if (++bitIndex_ < 8) {
        presentReplyBit();
        return;
    }
    receiving_ = false;
    commandComplete(shift_);
}

void TovrinAdapter::commandComplete(uint8_t command) {
    commands_.push_back(command);
    if (command == 0x40) {
        replies_.assign({static_cast<uint8_t>(config_.version & 0xFF),
                         static_cast<uint8_t>(config_.version >> 8)});
    } else if (command == 0x41) {
        replies_.clear();
        for (int i = 0; i < 4; ++i)
            replies_.push_back(static_cast<uint8_t>(config_.serialNumber >> (8 * i)));
    } else if ((command & 0xE0) == 0x80) {
        enable_ = command & 0x1F;
        applyLines(nowUs());
    } else if ((command & 0xE0) == 0xC0) {
        data_ = command & 0x1F;
        applyLines(nowUs());
    }
}

TovrinAdapter::Lines TovrinAdapter::lines() const {
    Lines l{};
    l.supply = (data_ & kVtgt) != 0;
    l.reset = l.supply && !(enable_ & kXrs);
    l.test = (enable_ & kF12) ? (data_ & kDataF12) != 0 : false;
    l.tck = (enable_ & kBsl) ? (data_ & kF2) != 0 : true;
    return l;
}

void TovrinAdapter::applyLines(uint64_t atUs) {
    const Lines l = lines();
    if (target_) {
        if (l.supply && !driven_.supply) target_->setSupply(true, atUs);
        if (l.reset != driven_.reset) target_->setReset(l.reset, atUs);
        if (l.test != driven_.test) target_->setTest(l.test, atUs);
        if (l.tck != driven_.tck) target_->setTck(l.tck, atUs);
        if (!l.supply && driven_.supply) target_->setSupply(false, atUs);
    }
    driven_ = l;
}

std::vector<uint8_t> TovrinAdapter::wireBytes(Direction direction) const {
    std::vector<uint8_t> out;
    for (const WireEntry& e : wire_)
        if (e.direction == direction && !e.dropped) out.push_back(e.value);
    return out;
}

void TovrinAdapter::clearLogs() {
    commands_.clear();
    edges_.clear();
    wire_.clear();
}

}  // namespace kv::sim
