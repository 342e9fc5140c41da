// Simulated instructions per second of the chip: a tight loop in flash, and a
// routine in RAM that erases and programs flash through the controller.
#include <chrono>
#include <cstdio>

#include "../tests/program_words.h"
#include "kelvane/sim/chip.h"

using kv::sim::Chip;
using kv::sim::test::ProgramWords;

namespace {

void load(Chip& chip, const ProgramWords& program, uint32_t origin) {
    for (size_t i = 0; i < program.words().size(); ++i)
        chip.poke16(origin + 2 * static_cast<uint32_t>(i), program.words()[i]);
}

void report(const char* name, Chip& chip, const kv::sim::RunLimits& limits) {
    auto start = std::chrono::steady_clock::now();
    kv::sim::RunResult result = chip.run(limits);
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-22s %12llu instructions %12llu cycles %8.3f s  %7.1f M instructions/s\n", name,
                static_cast<unsigned long long>(result.instructions),
                static_cast<unsigned long long>(result.cycles), wall,
                result.instructions / wall / 1e6);
}

}  // namespace

int main() {
    Chip chip(*kv::sim::findProfile("MSP430F149"));
    chip.powerOn();

    // Tight loop in flash: counter, sum, store to RAM, jump.
    ProgramWords tight(0xC000);
    tight.movImmAbs(0x5A80, 0x0120);  // watchdog held
    tight.movImmReg(0, 4);
    tight.movImmReg(0, 5);
    uint32_t loop = tight.here();
    tight.inc(4);
    tight.addReg(4, 5);
    tight.movRegAbs(4, 0x0200);
    tight.jmp(loop);
    load(chip, tight, 0xC000);
    chip.poke16(0xFFFE, 0xC000);
    chip.puc();
    kv::sim::RunLimits limits;
    limits.maxCycles = 400'000'000;
    report("tight loop (flash)", chip, limits);

    // Flash write loop in RAM: erase a segment and program it word by word, again and again.
    ProgramWords flash(0x0300);
    flash.movImmAbs(0x5A80, 0x0120);
    flash.movImmAbs(0xA542, 0x012A);  // MCLK / 3
    flash.movImmAbs(0xA500, 0x012C);
    uint32_t again = flash.here();
    flash.movImmAbs(0xA502, 0x0128);
    flash.movImmAbs(0, 0xE000);
    uint32_t waitErase = flash.here();
    flash.bitOneAbs(0x012C);
    flash.jnz(waitErase);
    flash.movImmAbs(0xA540, 0x0128);
    flash.movImmReg(0xE000, 5);
    flash.movImmReg(256, 6);
    uint32_t word = flash.here();
    flash.movRegIndexed(6, 5, 0);
    uint32_t waitWrite = flash.here();
    flash.bitOneAbs(0x012C);
    flash.jnz(waitWrite);
    flash.incd(5);
    flash.dec(6);
    flash.jnz(word);
    flash.jmp(again);
    load(chip, flash, 0x0300);
    chip.setReg(0, 0x0300);
    limits.maxCycles = 200'000'000;
    report("flash write loop (RAM)", chip, limits);
    std::printf("segment 0xE000 erased %u times\n", chip.flash().eraseCount(0xE000));
    return 0;
}
