#include "ftdi_device.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "kelvane/platform/clock.h"

namespace kv::usb {

FtdiDevice::FtdiDevice(const FtdiApi& api, std::string description, FtdiContext* ctx)
    : api_(api), description_(std::move(description)), ctx_(ctx) {}

FtdiDevice::~FtdiDevice() {
    close();
}

void FtdiDevice::configure() {
    api_.setUsbTimeouts(ctx_, kUsbReadTimeoutMs, kUnlimitedWriteMs);
    api_.resetBitMode(ctx_);
    api_.disableFlowControl(ctx_);
    api_.setLatencyTimer(ctx_, kLatencyMs);
    api_.setEventChar(ctx_, kEventChar);
}

void FtdiDevice::close() {
    if (!ctx_) return;
    api_.closeDevice(ctx_);
    api_.destroy(ctx_);
    ctx_ = nullptr;
    rx_.clear();
    rxHead_ = 0;
}

Status FtdiDevice::controlResult(int result) const {
    if (lost_ != kOk) return lost_;
    return result < 0 ? kIoError : kOk;
}

Status FtdiDevice::reset() {
    if (lost_ != kOk) return lost_;
    api_.dropRead(ctx_);
    rx_.clear();
    rxHead_ = 0;
    return controlResult(api_.reset(ctx_));
}

Status FtdiDevice::write(const uint8_t* data, size_t count, size_t* written) {
    *written = 0;
    if (lost_ != kOk) return lost_;
    while (*written < count) {
        const int piece = static_cast<int>(std::min<size_t>(count - *written, INT_MAX));
        const int r = api_.writeData(ctx_, data + *written, piece);
        // The write time-out ran out: a short write, for the driver to judge.
        // The device is still there; its control requests are still tried.
        if (r == kFtdiTimedOut) break;
        if (r < 0) {
            lost_ = kIoError;
            return lost_;
        }
        *written += static_cast<size_t>(std::min(r, piece));
        if (r < piece) break;
    }
    return kOk;
}

void FtdiDevice::pull(uint32_t waitMs) {
    if (lost_ != kOk) return;
    if (rxHead_ == rx_.size()) {
        rx_.clear();
        rxHead_ = 0;
    }
    unsigned char chunk[4096];
    const int wait = static_cast<int>(std::min<uint32_t>(waitMs, INT_MAX));
    const int r = api_.readData(ctx_, chunk, sizeof chunk, wait);
    if (r > 0) {
        rx_.insert(rx_.end(), chunk, chunk + std::min<size_t>(static_cast<size_t>(r), sizeof chunk));
    } else if (r < 0 && r != kFtdiTimedOut) {
        lost_ = kIoError;
    }
}

size_t FtdiDevice::rxAvailable() {
    pull(0);
    return buffered();
}

size_t FtdiDevice::read(uint8_t* buffer, size_t count) {
    if (buffered() < count) pull(0);
    const size_t n = std::min(count, buffered());
    if (n == 0) return 0;
    std::memcpy(buffer, rx_.data() + rxHead_, n);
    rxHead_ += n;
    return n;
}

void FtdiDevice::waitForData(size_t wanted, uint32_t timeoutMs) {
    Clock& c = clock();
    const uint32_t start = c.tickCount();
    while (buffered() < wanted && lost_ == kOk) {
        const uint32_t before = c.tickCount();
        const uint32_t elapsed = ticksSince(start, before);
        if (elapsed >= timeoutMs) break;
        const size_t had = buffered();
        pull(timeoutMs - elapsed);
        if (buffered() >= wanted || lost_ != kOk) break;
        // A read that came back at once with nothing: let a millisecond pass.
        if (buffered() == had && c.tickCount() == before) c.sleep(1);
    }
}

Status FtdiDevice::purge(uint32_t mask) {
    if (lost_ != kOk) return lost_;
    if (mask & kPurgeRx) {
        // What the read in flight brought came before the purge.
        api_.dropRead(ctx_);
        rx_.clear();
        rxHead_ = 0;
        if (api_.flushReceived(ctx_) < 0) return kIoError;
    }
    if ((mask & kPurgeTx) && api_.flushTransmit(ctx_) < 0) return kIoError;
    return kOk;
}

Status FtdiDevice::setBaudRate(uint32_t baud) {
    if (lost_ != kOk) return lost_;
    if (baud == 0 || baud > INT_MAX) return kInvalidBaudRate;
    const int r = api_.setBaudRate(ctx_, static_cast<int>(baud));
    if (r == -1) return kInvalidBaudRate;
    return controlResult(r);
}

Status FtdiDevice::setDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity) {
    if (lost_ != kOk) return lost_;
    if (wordLength != kBits7 && wordLength != kBits8) return kInvalidParameter;
    FtdiStopBits stop = FtdiStopBits::One;
    if (stopBits == kStopBits2) {
        stop = FtdiStopBits::Two;
    } else if (stopBits != kStopBits1) {
        return kInvalidParameter;
    }
    FtdiParity p = FtdiParity::None;
    switch (parity) {
        case kParityNone: p = FtdiParity::None; break;
        case kParityOdd: p = FtdiParity::Odd; break;
        case kParityEven: p = FtdiParity::Even; break;
        case kParityMark: p = FtdiParity::Mark; break;
        case kParitySpace: p = FtdiParity::Space; break;
        default: return kInvalidParameter;
    }
    return controlResult(api_.setLineProperty(ctx_, wordLength, stop, p));
}

Status FtdiDevice::setRts(bool level) {
    if (lost_ != kOk) return lost_;
    return controlResult(api_.setRts(ctx_, level ? 1 : 0));
}

Status FtdiDevice::setDtr(bool level) {
    if (lost_ != kOk) return lost_;
    return controlResult(api_.setDtr(ctx_, level ? 1 : 0));
}

Status FtdiDevice::modemStatus(uint32_t* status) {
    *status = 0;
    if (lost_ != kOk) return lost_;
    unsigned short chip = 0;
    const int r = api_.pollModemStatus(ctx_, &chip);
    if (r < 0) return kIoError;
    uint32_t lines = 0;
    if (chip & 0x10) lines |= kModemCts;
    if (chip & 0x20) lines |= kModemDsr;
    if (chip & 0x40) lines |= kModemRi;
    if (chip & 0x80) lines |= kModemDcd;
    // The line status byte (overrun, parity, framing, break ...) as the chip
    // reports it, above the modem bits.
    *status = lines | (chip & 0xFF00u);
    return kOk;
}

Status FtdiDevice::setTimeouts(uint32_t, uint32_t writeMs) {
    if (lost_ != kOk) return lost_;
    // Reads are timed by the stand-in, a USB read at a time.
    const int write = writeMs == 0 || writeMs > INT_MAX ? kUnlimitedWriteMs
                                                         : static_cast<int>(writeMs);
    api_.setUsbTimeouts(ctx_, kUsbReadTimeoutMs, write);
    return kOk;
}

}  // namespace kv::usb
