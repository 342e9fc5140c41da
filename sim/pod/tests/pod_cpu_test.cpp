// CPU control through the simulated pod: registers, running a program,
// single steps, breakpoints, power-up clear and code execution.
#include "kelvane/asm/msp430_asm.h"
#include "pod_fixture.h"

namespace kv::sim::test {
namespace {

using namespace kv::asm430;

constexpr uint32_t kBoth = 0x03000000;

// Holds the watchdog, sums 5+4+3+2+1 into R6, copies it to R7 and stays at `done`.
struct SumProgram {
    std::vector<uint16_t> words;
    uint32_t done = 0;
    uint32_t copy = 0;
};
SumProgram sumProgram(uint32_t origin) {
    Assembler a(origin);
    a.mov(imm(0x5A80), absolute(0x0120));
    a.mov(imm(5), reg(R4));
    a.mov(imm(0), reg(R6));
    Label loop = a.label();
    a.add(reg(R4), reg(R6));
    a.dec(reg(R4));
    a.jnz(loop);
    SumProgram p;
    p.copy = a.here();
    a.mov(reg(R6), reg(R7));
    p.done = a.here();
    a.jmp(a.label());
    p.words = a.words();
    return p;
}

class PodCpuTest : public PodTest {
  protected:
    void writeWords(uint32_t address, const std::vector<uint16_t>& words) {
        Bytes c = Bytes{106} + dword(address | kBoth) + word(static_cast<uint16_t>(words.size()));
        for (uint16_t w : words)
            c = c + word(w);
        EXPECT_EQ(status(c), 0);
    }
    SumProgram loadSum() {
        SumProgram p = sumProgram(0x0200);
        writeWords(0x0200, p.words);
        EXPECT_EQ(status(Bytes{76} + dword(0x0200)), 0);
        return p;
    }
    uint32_t readLong() { return dwordAt(exact({68}, 5), 1); }
};

TEST_F(PodCpuTest, RegisterWriteAndReadBack) {
    attach();
    EXPECT_EQ(writeRegister(5, 0x1234), 0);
    EXPECT_EQ(readRegister(5), 0x1234u);
    EXPECT_EQ(chip().reg(5), 0x1234u);
    EXPECT_EQ(writeRegister(16, 1), kPodBadArgument);
    EXPECT_EQ(exact({176, 16}, 6), (Bytes{177, kPodBadArgument, 0, 0, 0, 0}));
    EXPECT_EQ(writeRegister(4, 0x12345), 0);
    EXPECT_EQ(readRegister(4), 0x2345u);  // a 16-bit CPU
}

TEST_F(PodCpuTest, ReleasedProgramRunsAndStopsOnSync) {
    attach();
    const SumProgram p = loadSum();
    EXPECT_EQ(status({114}), 0);
    EXPECT_FALSE(pod_->target().held());
    EXPECT_EQ(exact({176, 6}, 6)[1], kPodCpuRunning);  // registers need a held CPU
    EXPECT_EQ(exact({66}, 2)[1], kPodCpuRunning);
    exact({18}, 1);
    EXPECT_EQ(status({116}), 0);
    EXPECT_EQ(exact({66}, 2)[1], 0);
    EXPECT_EQ(readRegister(6), 15u);
    EXPECT_EQ(readRegister(7), 15u);
    EXPECT_EQ(readLong(), p.done);
}

TEST_F(PodCpuTest, ReleasedRunsAreRepeatable) {
    std::vector<uint64_t> cycles;
    for (int run = 0; run < 2; ++run) {
        start(PodConfig{});
        attach();
        loadSum();
        status({114});
        for (int i = 0; i < 5; ++i)
            exact({18}, 1);
        status({116});
        cycles.push_back(chip().cycles());
    }
    EXPECT_EQ(cycles[0], cycles[1]);
}

TEST_F(PodCpuTest, TclkSingleStepCountsTheFamilyCycles) {
    attach();
    const SumProgram p = loadSum();
    uint32_t pc = 0x0200;
    size_t at = 0;
    for (int i = 0; i < 4; ++i) {
        const uint64_t before = chip().cycles();
        const uint16_t w = p.words[at];
        if (i % 2)
            none({50});  // a TCLK pulse
        else {
            none({49});
            none({48});  // TCLK low then high
        }
        EXPECT_EQ(chip().cycles() - before,
                  static_cast<uint64_t>(Cpu::instructionCycles(w, false)));
        EXPECT_TRUE(pod_->target().held());
        EXPECT_NE(readLong(), pc);
        pc = readLong();
        at = (pc - 0x0200) / 2;
    }
    EXPECT_EQ(readRegister(4), 5u);
    EXPECT_EQ(readRegister(6), 5u);  // after the first ADD
}

TEST_F(PodCpuTest, EemSingleStepCompletesInsideSetMdb) {
    attach();
    loadSum();
    auto eemWrite = [&](uint16_t reg, uint32_t value) {
        const Bytes r = exact(Bytes{230} + word(reg) + dword(value) + word(0x26) + word(0x60D7), 6);
        EXPECT_EQ(r[1], 0);
    };
    eemWrite(0, 0);
    eemWrite(4, 0xFFFF);  // any address
    eemWrite(6, 1);       // combination 0 is block 0
    eemWrite(128, 1);
    // Released normally, the CPU fetches at the PC: the trigger stops it at once.
    EXPECT_EQ(status({114}), 0);
    EXPECT_TRUE(pod_->target().held());
    EXPECT_EQ(readLong(), 0x0200u);
    EXPECT_EQ(wordAt(exact({224}, 4), 2) & 0x80, 0x80);
    // Released with the instruction word on the data bus: one instruction.
    EXPECT_EQ(status(Bytes{118} + word(chip().peek16(0x0200))), 0);
    EXPECT_TRUE(pod_->target().held());
    EXPECT_EQ(readLong(), 0x0206u);  // behind MOV #0x5A80,&0x0120
    EXPECT_EQ(wordAt(exact({224}, 4), 2) & 0x80, 0x80);
    EXPECT_EQ(wordAt(exact({232}, 4), 2), 1);
    // 234 reads back what was written to the even register below it.
    EXPECT_EQ(dwordAt(exact(Bytes{234} + word(5) + dword(0), 6), 2), 0xFFFFu);
    EXPECT_EQ(status(Bytes{226} + word(0x0002)), 0);  // clear the stop
    EXPECT_EQ(wordAt(exact({224}, 4), 2) & 0x80, 0);
}

TEST_F(PodCpuTest, EemBreakpointStopsBeforeTheInstruction) {
    attach();
    const SumProgram p = loadSum();
    exact(Bytes{230} + word(8) + dword(p.copy) + word(0) + word(0), 6);
    exact(Bytes{230} + word(12) + dword(0) + word(0) + word(0), 6);
    exact(Bytes{230} + word(14) + dword(2) + word(0) + word(0), 6);
    exact(Bytes{230} + word(128) + dword(2) + word(0) + word(0), 6);
    status({114});
    EXPECT_TRUE(pod_->target().held());
    EXPECT_EQ(readLong(), p.copy);
    EXPECT_EQ(readRegister(6), 15u);
    EXPECT_EQ(wordAt(exact({232}, 4), 2), 2);
}

TEST_F(PodCpuTest, SimpleBreakpointsWithoutEem) {
    PodConfig config;
    config.chip = "MSP430F11x1-prototype";
    start(config);
    attach();
    const SumProgram p = loadSum();
    EXPECT_EQ(exact(Bytes{230} + word(0) + dword(0) + word(0) + word(0), 6)[1], kPodNotSupported);
    irdr(0x09, 0);
    irdr(0x0B, static_cast<uint16_t>(p.copy));
    EXPECT_EQ(exact(Bytes{74} + word(1), 2), (Bytes{75, 0}));
    status({114});
    EXPECT_TRUE(pod_->target().held());
    EXPECT_EQ(readLong(), p.copy);
    EXPECT_EQ(exact(Bytes{72} + word(1), 2), (Bytes{73, 1}));
    EXPECT_EQ(exact(Bytes{72} + word(0), 2), (Bytes{73, 0}));
}

TEST_F(PodCpuTest, PucHoldsTheCpuAtTheResetVector) {
    chip().poke16(0xFFFE, 0xF000);
    attach();
    status({114});
    const Bytes r = exact(Bytes{112} + word(0x0F) + word(0x26) + word(0x60D7), 8);
    EXPECT_EQ(r, (Bytes{113, 0, 0x00, 0x0F, 0x00, 0x26, 0x60, 0xD7}));
    EXPECT_TRUE(pod_->target().held());
    EXPECT_EQ(readLong(), 0xF000u);
    EXPECT_EQ(chip().eem().clockControl(), 0x26u);
    EXPECT_EQ(status(Bytes{76} + dword(0x100000)), kPodBadArgument);
}

TEST_F(PodCpuTest, FedInstructionsAndFirmwareInstructions) {
    attach();
    EXPECT_EQ(status(Bytes{98} + dword(0x0074 | kBoth) + word(1) + Bytes{0x42}), 0);
    writeRegister(10, 0x1111);
    Bytes r = exact(Bytes{28} + word(0x425A) + word(0x0074) + word(0x4130), 4);
    EXPECT_EQ(r, (Bytes{29, 0, 0x00, 0x42}));
    EXPECT_EQ(readRegister(10), 0x1111u);  // the pod puts the registers back
    r = exact(Bytes{28} + word(0x40F2) + word(0x0005) + word(0x0074), 4);
    EXPECT_EQ(wordAt(r, 2), 5);
    EXPECT_EQ(chip().peek8(0x0074), 5);

    const uint32_t pc = readLong();
    EXPECT_EQ(status({80}), 0);
    none(Bytes{162} + word(0x40B2) + word(0x1234) + word(0x0300));  // MOV #0x1234,&0x0300
    none(Bytes{82} + word(0x3FFF));
    EXPECT_EQ(status({84}), 0);
    EXPECT_EQ(chip().peek16(0x0300), 0x1234);
    EXPECT_EQ(readLong(), pc);
}

TEST_F(PodCpuTest, ExecuteCodeRunsARoutineToItsExit) {
    attach();
    const SumProgram p = sumProgram(0x0200);
    EXPECT_EQ(status({192}), 0);
    writeWords(0x0200, p.words);
    EXPECT_EQ(status(Bytes{194} + dword(0x0200) + dword(p.done) + word(0)), 0);
    EXPECT_TRUE(pod_->target().held());
    EXPECT_EQ(readRegister(7), 15u);
    EXPECT_EQ(readLong(), p.done);
    // Without an exit it runs for the time given and is held again.
    writeRegister(7, 0);
    EXPECT_EQ(status(Bytes{194} + dword(0x0200) + dword(0) + word(2)), 0);
    EXPECT_TRUE(pod_->target().held());
    EXPECT_EQ(readRegister(7), 15u);
}

TEST_F(PodCpuTest, ATimedRoutineRunsForChipTimeWhenItChangesTheClock) {
    attach();
    // MOV.B #0xE0,&DCOCTL; MOV.B #0x87,&BCSCTL1; JMP $
    writeWords(0x0200, {0x40F2, 0x00E0, 0x0056, 0x40F2, 0x0087, 0x0057, 0x3FFF});
    const double before = chip().seconds();
    EXPECT_EQ(status(Bytes{194} + dword(0x0200) + dword(0) + word(20)), 0);
    EXPECT_NEAR(chip().seconds() - before, 0.020, 0.0001);
}

TEST_F(PodCpuTest, RoutineThatNeverReachesItsExitEnds) {
    PodConfig config;
    config.routineLimit = 5000;
    start(config);
    attach();
    const SumProgram p = sumProgram(0x0200);
    writeWords(0x0200, p.words);
    const uint64_t before = chip().cycles();
    EXPECT_EQ(status(Bytes{194} + dword(0x0200) + dword(0x0300) + word(0)), kPodNotReached);
    EXPECT_TRUE(pod_->target().held());
    EXPECT_EQ(readLong(), p.done);
    EXPECT_GE(chip().cycles() - before, 5000u);
}

TEST_F(PodCpuTest, ResetLineAndJtagRelease) {
    chip().poke16(0xFFFE, 0xF000);
    attach();
    loadSum();
    none({40, 0});
    none({40, 1});  // the reset line high again: the chip resets, JTAG keeps the CPU
    EXPECT_TRUE(pod_->target().held());
    EXPECT_EQ(readLong(), 0xF000u);
    none({33});  // releasing JTAG lets the CPU run
    EXPECT_FALSE(pod_->target().held());
}

TEST_F(PodCpuTest, SetMdbReleasesWithTheGivenInstruction) {
    attach();
    const SumProgram p = loadSum();
    status(Bytes{76} + dword(p.copy));
    writeRegister(6, 3);
    writeRegister(7, 0);
    writeRegister(9, 7);
    // CLR R9 goes in place of MOV R6,R7; the program goes on at `done`.
    EXPECT_EQ(status(Bytes{118} + word(0x4309)), 0);
    EXPECT_FALSE(pod_->target().held());
    status({116});
    EXPECT_EQ(readRegister(9), 0u);
    EXPECT_EQ(readRegister(7), 0u);
    EXPECT_EQ(readLong(), p.done);
}

}  // namespace
}  // namespace kv::sim::test
