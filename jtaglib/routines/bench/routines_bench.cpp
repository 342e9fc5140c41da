// Simulated chip time of the flash routines: erase and write throughput as a
// part would show it, with the flash clock in the timing generator's range.
#include <chrono>
#include <cstdio>
#include <vector>

#include "kelvane/sim/chip.h"
#include "nandrel/routines/flash_routines.h"
#include "nandrel/routines/relocation.h"

namespace {

using namespace nandrel::routines;

struct Run {
    double seconds;
    std::uint64_t cycles;
    bool ok;
};

Run RunRoutine(kv::sim::Chip& chip, const std::vector<std::uint16_t>& words, int resultRegister) {
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t w : words) {
        bytes.push_back(static_cast<std::uint8_t>(w));
        bytes.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    chip.debugWrite(words[kLoadAddressWord], bytes.data(), bytes.size());
    chip.setReg(0, words[kEntryAddressWord]);
    kv::sim::RunLimits limits;
    limits.maxCycles = 100'000'000;
    limits.stopAddress = words[kExitAddressWord];
    const double start = chip.seconds();
    const kv::sim::RunResult r = chip.run(limits);
    return {chip.seconds() - start, r.cycles,
            r.reason == kv::sim::StopReason::Address && chip.reg(resultRegister) == 0};
}

std::unique_ptr<kv::sim::Chip> MakeChip(const char* name) {
    auto chip = std::make_unique<kv::sim::Chip>(*kv::sim::findProfile(name));
    chip->powerOn();
    chip->write16(0x0120, 0x5A80);
    if (chip->profile().clock == kv::sim::ClockKind::FllPlus) {
        chip->write8(0x0051, 16 * 8);  // DCO tap 16, about 2.1 MHz
        chip->write8(0x0052, 0x80);
        chip->write8(0x0053, 0x80);
    } else {
        // The first range and tap with MCLK / 5 well inside the timing generator's range.
        for (int setting = 0; setting < 128; ++setting) {
            chip->write8(0x0057, static_cast<std::uint8_t>(0x80 | (setting >> 3)));
            chip->write8(0x0056, static_cast<std::uint8_t>((setting & 7) << 5));
            if (chip->clocks().mclkHz() >= 1.5e6) break;
        }
    }
    chip->setStrictFlashTiming(true);
    return chip;
}

void Report(const char* what, const Run& run, std::size_t bytes) {
    std::printf("%-44s %9.2f ms %10llu cycles", what, run.seconds * 1e3,
                static_cast<unsigned long long>(run.cycles));
    if (bytes) std::printf(" %8.1f KiB/s", bytes / 1024.0 / run.seconds);
    std::printf("%s\n", run.ok ? "" : "  FAILED");
}

void Part(const char* name, RoutineId erase, RoutineId write, std::uint16_t clockSelect,
          std::uint32_t segment, std::uint32_t mainStart, std::uint32_t mainEnd) {
    auto chip = MakeChip(name);
    const std::uint16_t ram = chip->profile().ramStart;
    std::printf("%s (MCLK %.2f MHz)\n", name, chip->clocks().mclkHz() / 1e6);

    EraseRequest e;
    e.clockSelect = clockSelect;
    e.address = segment;
    e.wordCount = 256;
    Report("  segment erase with check (512 bytes)",
           RunRoutine(*chip, MakeEraseRoutine(erase, e, ram), 10), 0);
    e.command = kFlashKey | (erase == RoutineId::EraseWide ? kEraseWideMain : kEraseMain);
    e.address = mainStart;
    e.wordCount = (mainEnd - mainStart + 1) / 2;
    Report("  main erase with check", RunRoutine(*chip, MakeEraseRoutine(erase, e, ram), 10), 0);

    const std::size_t block = MaxWriteBlockWords(write, ram, chip->profile().ramEnd);
    const std::size_t total = 4096;  // words
    std::vector<std::uint16_t> data(total);
    for (std::size_t i = 0; i < total; ++i)
        data[i] = static_cast<std::uint16_t>(i * 0x0101u + 1);
    Run sum{0, 0, true};
    const auto hostStart = std::chrono::steady_clock::now();
    for (std::size_t at = 0; at < total; at += block) {
        WriteRequest w;
        w.clockSelect = clockSelect;
        w.address = mainStart + 2 * static_cast<std::uint32_t>(at);
        const std::size_t n = std::min(block, total - at);
        w.data = std::span<const std::uint16_t>(data.data() + at, n);
        const Run r = RunRoutine(*chip, MakeWriteRoutine(write, w, ram), 8);
        sum.seconds += r.seconds;
        sum.cycles += r.cycles;
        sum.ok = sum.ok && r.ok;
    }
    const double host =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - hostStart).count();
    char what[64];
    std::snprintf(what, sizeof what, "  write 8 KiB in blocks of %zu words", block);
    Report(what, sum, 2 * total);
    std::printf("  (host time to simulate the write: %.1f ms)\n", host * 1e3);
}

}  // namespace

int main() {
    Part("MSP430F149", RoutineId::Erase, RoutineId::Write, 0, 0xE000, 0x1100, 0xFFFF);
    Part("MSP430F2274", RoutineId::Erase, RoutineId::Write, 0, 0xE000, 0x8000, 0xFFFF);
    Part("MSP430FG4619", RoutineId::EraseWide, RoutineId::WriteWide, kClockSelectLoopClock, 0x10000,
         0x2100, 0x1FFFF);
    return 0;
}
