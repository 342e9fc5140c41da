#include "routine_runner.h"

#include <gtest/gtest.h>

#include <span>

namespace nandrel::routines::test {

using kv::sim::Chip;
using kv::sim::ClockKind;

namespace {

// MCLK for the flash timing generator: MCLK / 5 within 257..476 kHz (MCLK / 14
// on newer-flash parts).
void SetFlashClock(Chip& chip) {
    switch (chip.profile().clock) {
        case ClockKind::BasicClock:
        case ClockKind::BasicClockPlus: {
            const int ranges = chip.profile().clock == ClockKind::BasicClockPlus ? 16 : 8;
            for (int rsel = 0; rsel < ranges; ++rsel) {
                for (int dco = 0; dco < 8; ++dco) {
                    chip.write8(0x0057, static_cast<std::uint8_t>(0x80 | rsel));
                    chip.write8(0x0056, static_cast<std::uint8_t>(dco << 5));
                    const double f = chip.clocks().mclkHz();
                    if (f >= 1.5e6 && f <= 2.2e6) return;
                }
            }
            break;
        }
        case ClockKind::FllPlus:
            for (int tap = 0; tap < 32; ++tap) {
                chip.write8(0x0050, 0);
                chip.write8(0x0051, static_cast<std::uint8_t>(tap * 8));
                chip.write8(0x0052, 0x80);
                chip.write8(0x0053, 0x80);
                const double f = chip.clocks().mclkHz();
                if (f >= 1.5e6 && f <= 2.2e6) return;
            }
            break;
        case ClockKind::ClockModule140:
            // The routine's tap; the range that puts MCLK / 14 in the window.
            for (unsigned range = 0; range < 16; ++range) {
                for (std::size_t i = 0; i < 4; ++i)
                    chip.write16(static_cast<std::uint32_t>(0x0140 + 2 * i),
                                 kNewerFlashClockSettings[i]);
                chip.write16(0x0140, static_cast<std::uint16_t>(
                                         (range << 8) | (kNewerFlashClockSettings[0] & 0xFF)));
                const double f = chip.clocks().mclkHz() * 5 / 14;
                if (f >= 1.5e6 && f <= 2.2e6) return;
            }
            break;
    }
    ADD_FAILURE() << "no flash clock found for " << chip.profile().name;
}

}  // namespace

std::unique_ptr<Chip> FlashReadyChip(const Part& part) {
    const kv::sim::DeviceProfile* profile = kv::sim::findProfile(part.profile);
    if (profile == nullptr) {
        ADD_FAILURE() << "no profile " << part.profile;
        return nullptr;
    }
    auto chip = std::make_unique<Chip>(*profile);
    chip->powerOn();
    chip->write16(0x0120, 0x5A80);
    SetFlashClock(*chip);
    chip->setStrictFlashTiming(true);
    return chip;
}

void Load(Chip& chip, const std::vector<std::uint16_t>& words) {
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t w : words) {
        bytes.push_back(static_cast<std::uint8_t>(w));
        bytes.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    chip.debugWrite(words.at(kLoadAddressWord), bytes.data(), bytes.size());
}

kv::sim::RunResult RunToExit(Chip& chip, const std::vector<std::uint16_t>& words,
                             std::uint64_t maxCycles) {
    Load(chip, words);
    chip.setReg(0, words[kEntryAddressWord]);
    kv::sim::RunLimits limits;
    limits.maxCycles = maxCycles;
    limits.stopAddress = words[kExitAddressWord];
    return chip.run(limits);
}

kv::sim::RunResult RunFor(Chip& chip, double seconds) {
    const double end = chip.seconds() + seconds;
    kv::sim::RunLimits limits;
    limits.maxCycles = kCycleCap * 10;
    limits.stopWhen = [&chip, end] { return chip.seconds() >= end; };
    return chip.run(limits);
}

std::string Listing(const std::vector<std::uint16_t>& words) {
    const std::size_t entry = (words.at(kEntryAddressWord) - words.at(kLoadAddressWord)) / 2u;
    std::string out;
    const std::span<const std::uint16_t> code(words.data() + entry, words.size() - entry);
    for (const std::string& line : kv::asm430::disassemble(code, words[kEntryAddressWord]))
        out += line + "\n";
    return out;
}

void Program(Chip& chip, std::uint32_t address, std::uint16_t value) {
    chip.poke16(address, value);
}

bool AllErased(Chip& chip, std::uint32_t start, std::uint32_t size) {
    for (std::uint32_t a = start; a < start + size; ++a) {
        if (chip.peek8(a) != 0xFF) return false;
    }
    return true;
}

std::vector<std::uint16_t> Erase(const Part& part, std::uint16_t ramStart, std::uint16_t type,
                                 std::uint32_t address, std::uint32_t wordCount) {
    EraseRequest request;
    request.clockSelect = part.clockSelect;
    request.command = static_cast<std::uint16_t>(kFlashKey | type);
    request.lock = kFlashKey;
    request.address = address;
    request.wordCount = wordCount;
    return MakeEraseRoutine(part.erase, request, ramStart);
}

}  // namespace nandrel::routines::test
