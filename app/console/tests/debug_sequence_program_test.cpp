// Debug commands through the console programmer leave the CPU where the
// project put it: on a 16-bit part, an MSP430X part and a part without EEM,
// the PC written before the first debug command (after an identification and
// again after a reset that releases the link) is the one the command starts
// from (bit 0 of an odd PC clear, as the CPU keeps it), a Stop after a reset
// that let the program run stops it where it got to, and a run asked for
// while it runs lets it run on to the breakpoint. No debug command resets the
// chip. Memory commands on a running CPU say that it runs.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace kv::testing {
namespace {

std::string WriteWords(const std::string& address, const std::string& count,
                       const std::string& words) {
    return "<Dravik_WriteMemory dwAddress=\"" + address + "\" dwCount=\"" + count +
           "\" wValueType=\"WORD\">\n" + words + "\n</Dravik_WriteMemory>\n";
}

// The reset vector first: programming the flash borrows the RAM.
// 0200 mov #5A80h,&0120h; 0206 mov #1234h,r4; 020A jmp $
// 020C mov #5A80h,&0120h; 0212 jmp $ (where the reset vector points)
const std::string kProgram =
    WriteWords("0x0000FFFE", "0x00000001", "0x020C") +
    WriteWords("0x00000200", "0x0000000A",
               "0x40B2 0x5A80 0x0120 0x4034 0x1234 0x3FFF 0x40B2 0x5A80 0x0120 0x3FFF");
// An odd PC is kept as the CPU keeps it, with bit 0 clear.
const std::string kAtTheStart = RegisterCommand("Dravik_WriteRegister", "PC", "0x00000201") +
                                RegisterCommand("Dravik_WriteRegister", "R4", "0x00000000");
// A reset that closes the EEM and leaves the CPU held at the reset vector.
const std::string kResetReleasing =
    "<Dravik_Reset dwMethod=\"PUC_RESET\" bExecute=\"FALSE\" "
    "bReleaseJTAG=\"TRUE\"></Dravik_Reset>\n";
const std::string kStop = "<Dravik_Stop></Dravik_Stop>\n";
const std::string kStep = "<Dravik_SingleStep></Dravik_SingleStep>\n";
const std::string kRunFree =
    "<Dravik_Run bRunToBreakpoint=\"FALSE\" bWaitForBreak=\"FALSE\" dwDwellMilliseconds=\"10\" "
    "dwRepeatMilliseconds=\"10\" wRepeatCount=\"5\"></Dravik_Run>\n";
std::string ResetAndRun(const char* releaseJtag) {
    return std::string("<Dravik_Reset dwMethod=\"PUC_RESET\" bExecute=\"TRUE\" bReleaseJTAG=\"") +
           releaseJtag + "\"></Dravik_Reset>\n<Delay dwDelay=\"50\"></Delay>\n";
}

struct DebugSequence {
    const char* chip;   // also the project's processor
    std::string steps;  // the debug commands after PC and R4 were written
    const char* pc;     // the PC they leave
    const char* r4;     // and R4
    std::string name;
};

void PrintTo(const DebugSequence& s, std::ostream* os) {
    *os << s.name;
}

class DebugSequences : public ProgramTest, public ::testing::WithParamInterface<DebugSequence> {};

TEST_P(DebugSequences, TheCpuIsWhereTheProjectLeftIt) {
    const DebugSequence& s = GetParam();
    Plug(std::string("chip=") + s.chip);
    const std::string check = RegisterCommand("Dravik_VerifyRegister", "PC", s.pc) +
                              RegisterCommand("Dravik_VerifyRegister", "R4", s.r4);
    const std::string commands = "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n" + kIdentify +
                                 kProgram + kAtTheStart + s.steps + check + kResetReleasing +
                                 kAtTheStart + s.steps + check +
                                 "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n";
    EXPECT_EQ(Run(Write("debug.kvnset", Project("3000", commands, s.chip))), 0) << out;
    EXPECT_NE(out.find("Result = 0"), std::string::npos) << out;
}

std::vector<DebugSequence> Sequences() {
    std::vector<DebugSequence> rows;
    for (const char* chip : {"MSP430F149", "MSP430FG4619", "Prototype_MSP430F11x1"}) {
        const std::string part = std::string(chip).substr(std::string(chip).find("430") + 3);
        auto add = [&](std::string steps, const char* pc, const char* r4, const char* what) {
            rows.push_back({chip, std::move(steps), pc, r4, part + what});
        };
        add(kStop, "0x00000200", "0x00000000", "StopHeld");
        add(kStep, "0x00000206", "0x00000000", "Step");
        add(kRunFree + kStop, "0x0000020A", "0x00001234", "RunStop");
        add(ResetAndRun("FALSE") + kStop, "0x00000212", "0x00000000", "ResetRunKeepingJtagStop");
        add(ResetAndRun("TRUE") + kStop, "0x00000212", "0x00000000", "ResetRunReleasedStop");
        if (std::string(chip).find("Prototype") != std::string::npos) continue;
        add(SetBreakpointCommand("0x0000020A") +
                RegisterCommand("Dravik_VerifyRegister", "PC", "0x00000200") + kRunToBreakpoint,
            "0x0000020A", "0x00001234", "BreakpointRun");
        // A run asked for while the CPU runs lets it run on to the breakpoint.
        add(ResetAndRun("FALSE") + SetBreakpointCommand("0x00000212") + kRunToBreakpoint,
            "0x00000212", "0x00000000", "ResetRunKeepingJtagBreakpointRun");
        add(ResetAndRun("TRUE") + SetBreakpointCommand("0x00000212") + kRunToBreakpoint,
            "0x00000212", "0x00000000", "ResetRunReleasedBreakpointRun");
    }
    return rows;
}

// While the program runs, the memory commands say why they cannot reach the
// chip, as the register commands do; an odd stack pointer reads back even.
TEST_F(ProgramTest, MemoryOfARunningCpuIsRefusedAsRunning) {
    Plug("chip=MSP430F149");
    const std::string commands =
        "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n" + kIdentify + kProgram +
        RegisterCommand("Dravik_WriteRegister", "SP", "0x00000281") +
        RegisterCommand("Dravik_VerifyRegister", "SP", "0x00000280") + ResetAndRun("FALSE") +
        "<Dravik_ReadMemory dwAddress=\"0x00000200\" dwCount=\"0x00000002\" "
        "wValueType=\"WORD\"></Dravik_ReadMemory>\n"
        "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n";
    EXPECT_EQ(Run(Write("debug.kvnset", Project("3000", commands))), 6) << out;
    EXPECT_NE(out.find("Verify Register (SP): SP = 0x0280 OK\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Read Memory @0x00200: failed\n"), std::string::npos) << out;
    EXPECT_NE(out.find("CPU is running"), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(Chips, DebugSequences, ::testing::ValuesIn(Sequences()),
                         [](const ::testing::TestParamInfo<DebugSequence>& p) {
                             return p.param.name;
                         });

}  // namespace
}  // namespace kv::testing
