// Simulated instructions per second of the chip: a tight loop in flash, and a
// routine in RAM that erases and programs flash through the controller.
#include <chrono>
#include <cstdio>

#include "kelvane/asm/msp430_asm.h"
#include "kelvane/sim/chip.h"

using kv::sim::Chip;
using namespace kv::asm430;

namespace {

void load(Chip& chip, const Assembler& program) {
    std::vector<uint16_t> words = program.words();
    for (size_t i = 0; i < words.size(); ++i)
        chip.poke16(program.origin() + 2 * static_cast<uint32_t>(i), words[i]);
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
    Assembler tight(0xC000);
    tight.mov(imm(0x5A80), absolute(0x0120));  // watchdog held
    tight.clr(reg(R4));
    tight.clr(reg(R5));
    Label loop = tight.label();
    tight.inc(reg(R4));
    tight.add(reg(R4), reg(R5));
    tight.mov(reg(R4), absolute(0x0200));
    tight.jmp(loop);
    load(chip, tight);
    chip.poke16(0xFFFE, 0xC000);
    chip.puc();
    kv::sim::RunLimits limits;
    limits.maxCycles = 400'000'000;
    report("tight loop (flash)", chip, limits);

    // The same with the emulation module watching every bus cycle for a write
    // that never comes (a data breakpoint on an unused address).
    kv::sim::Eem& eem = chip.eem();
    eem.writeRegister(0, 0x09FE);
    eem.writeRegister(2, static_cast<uint16_t>(kv::sim::EemAccess::Write));
    eem.writeRegister(6, 1);
    eem.writeRegister(kv::sim::kEemBreakReaction, 1);
    chip.puc();
    limits.maxCycles = 100'000'000;
    report("tight loop, EEM armed", chip, limits);
    eem.writeRegister(6, 0);
    eem.writeRegister(kv::sim::kEemBreakReaction, 0);

    // Flash write loop in RAM: erase a segment and program it word by word, again and again.
    Assembler flash(0x0300);
    flash.mov(imm(0x5A80), absolute(0x0120));
    flash.mov(imm(0xA542), absolute(0x012A));  // MCLK / 3
    flash.mov(imm(0xA500), absolute(0x012C));
    Label again = flash.label();
    flash.mov(imm(0xA502), absolute(0x0128));
    flash.mov(imm(0), absolute(0xE000));
    Label waitErase = flash.label();
    flash.bit(imm(1), absolute(0x012C));
    flash.jnz(waitErase);
    flash.mov(imm(0xA540), absolute(0x0128));
    flash.mov(imm(0xE000), reg(R5));
    flash.mov(imm(256), reg(R6));
    Label word = flash.label();
    flash.mov(reg(R6), idx(0, R5));
    Label waitWrite = flash.label();
    flash.bit(imm(1), absolute(0x012C));
    flash.jnz(waitWrite);
    flash.incd(reg(R5));
    flash.dec(reg(R6));
    flash.jnz(word);
    flash.jmp(again);
    load(chip, flash);
    chip.setReg(0, 0x0300);
    limits.maxCycles = 200'000'000;
    report("flash write loop (RAM)", chip, limits);
    std::printf("segment 0xE000 erased %u times\n", chip.flash().eraseCount(0xE000));

    // The same tight loop on a 20-bit part, in flash above 64 KiB.
    Chip wide(*kv::sim::findProfile("MSP430FG4619"));
    wide.powerOn();
    Assembler far(0x10000);
    far.mov(imm(0x5A80), absolute(0x0120));
    far.clr(reg(R4));
    far.clr(reg(R5));
    Label farLoop = far.label();
    far.inc(reg(R4));
    far.addx_a(reg(R4), reg(R5));
    far.movx(reg(R4), absolute(0x1100));
    far.jmp(farLoop);
    load(wide, far);
    wide.setReg(0, 0x10000);
    limits.maxCycles = 400'000'000;
    report("tight loop (20-bit)", wide, limits);
    return 0;
}
