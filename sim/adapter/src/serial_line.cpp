#include "kelvane/sim/serial_line.h"

#include <bit>
#include <cstddef>
#include <vector>

namespace kv::sim {

namespace {

int parityBit(uint8_t value, uint8_t parity) {
    const int ones = std::popcount(value);
    switch (parity) {
        case kv::usb::kParityEven:
            return ones & 1;
        case kv::usb::kParityOdd:
            return (ones & 1) ^ 1;
        case kv::usb::kParityMark:
            return 1;
        default:
            return 0;
    }
}

bool hasParity(const SerialFormat& f) {
    return f.parity != kv::usb::kParityNone;
}
uint8_t dataMask(const SerialFormat& f) {
    return static_cast<uint8_t>(f.dataBits >= 8 ? 0xFF : (1u << f.dataBits) - 1);
}

}  // namespace

unsigned characterBits(const SerialFormat& f) {
    return 1u + f.dataBits + (hasParity(f) ? 1u : 0u) +
           (f.stopBits == kv::usb::kStopBits2 ? 2u : 1u);
}

uint64_t characterTimeUs(const SerialFormat& f) {
    const uint32_t baud = f.baud ? f.baud : 1;
    const uint64_t us = (uint64_t{characterBits(f)} * 1000000u + baud - 1) / baud;
    return us ? us : 1;
}

ReceivedCharacter receiveCharacter(uint8_t value, const SerialFormat& tx, const SerialFormat& rx) {
    if (tx == rx) return {static_cast<uint8_t>(value & dataMask(rx)), true};
    std::vector<int> wave{0};
    const uint8_t sent = value & dataMask(tx);
    for (unsigned i = 0; i < tx.dataBits; ++i)
        wave.push_back((sent >> i) & 1);
    if (hasParity(tx)) wave.push_back(parityBit(sent, tx.parity));
    wave.push_back(1);
    if (tx.stopBits == kv::usb::kStopBits2) wave.push_back(1);

    const double txBit = 1.0 / (tx.baud ? tx.baud : 1);
    const double rxBit = 1.0 / (rx.baud ? rx.baud : 1);
    auto level = [&](double slot) {
        const auto k = static_cast<size_t>(slot * rxBit / txBit);
        return k < wave.size() ? wave[k] : 1;  // the idle line is high
    };
    bool ok = level(0.5) == 0;
    uint8_t got = 0;
    for (unsigned i = 0; i < rx.dataBits; ++i)
        if (level(1.5 + i)) got |= static_cast<uint8_t>(1u << i);
    double slot = 1.5 + rx.dataBits;
    if (hasParity(rx)) {
        ok = ok && level(slot) == parityBit(got, rx.parity);
        slot += 1;
    }
    ok = ok && level(slot) == 1;
    return {got, ok};
}

}  // namespace kv::sim
