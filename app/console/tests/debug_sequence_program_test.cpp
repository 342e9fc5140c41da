// Debug commands through the console programmer leave the CPU where the
// project put it: on 16-bit parts with a smaller and a larger EEM, an MSP430X
// part and a part without EEM, the PC written before the first debug command
// (after an identification and again after a reset that releases the link)
// is the one the command starts from (bit 0 of an odd PC clear, as the CPU
// keeps it), a Stop after a reset that let the program run stops it where it
// got to, a run asked for while it runs lets it run on to the breakpoint, a
// free run runs past the breakpoints set (also right after one was hit), and
// a status register written before a step gives the step its flags. No debug
// command resets the chip. Memory commands on a running CPU say that it runs;
// the program a free run lets go runs on past its breakpoint while the
// project waits or reads a register; a code breakpoint the part cannot fetch
// from is refused; memory after the fuse was blown says so.
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
const std::string kWaitForBreak =
    "<Dravik_WaitForBreak dwDwellMilliseconds=\"10\" dwRepeatMilliseconds=\"10\" "
    "wRepeatCount=\"5\"></Dravik_WaitForBreak>\n";
const std::string kDelay = "<Delay dwDelay=\"50\"></Delay>\n";
const std::string kStep = "<Dravik_SingleStep></Dravik_SingleStep>\n";
const std::string kRunFree =
    "<Dravik_Run bRunToBreakpoint=\"FALSE\" bWaitForBreak=\"FALSE\" dwDwellMilliseconds=\"10\" "
    "dwRepeatMilliseconds=\"10\" wRepeatCount=\"5\"></Dravik_Run>\n";
// The flags a written status register gives the instructions that follow:
// 0220 mov sr,r8; 0222 addc #0,r7 (adds the carry); 0224 jmp $
const std::string kStatusFlags = WriteWords("0x00000220", "0x00000003", "0x4208 0x6307 0x3FFF") +
                                 RegisterCommand("Dravik_WriteRegister", "PC", "0x00000220") +
                                 RegisterCommand("Dravik_WriteRegister", "R7", "0x00000000") +
                                 RegisterCommand("Dravik_WriteRegister", "R8", "0x00000000") +
                                 RegisterCommand("Dravik_WriteRegister", "SR", "0x00000105") +
                                 kStep + kStep +
                                 RegisterCommand("Dravik_VerifyRegister", "R8", "0x00000105") +
                                 RegisterCommand("Dravik_VerifyRegister", "R7", "0x00000001");
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
    for (const char* chip :
         {"MSP430F149", "MSP430F2274", "MSP430FG4619", "Prototype_MSP430F11x1"}) {
        const std::string part = std::string(chip).substr(std::string(chip).find("430") + 3);
        auto add = [&](std::string steps, const char* pc, const char* r4, const char* what) {
            rows.push_back({chip, std::move(steps), pc, r4, part + what});
        };
        add(kStop, "0x00000200", "0x00000000", "StopHeld");
        add(kStep, "0x00000206", "0x00000000", "Step");
        add(kRunFree + kStop, "0x0000020A", "0x00001234", "RunStop");
        add(ResetAndRun("FALSE") + kStop, "0x00000212", "0x00000000", "ResetRunKeepingJtagStop");
        add(ResetAndRun("TRUE") + kStop, "0x00000212", "0x00000000", "ResetRunReleasedStop");
        add(kStatusFlags, "0x00000224", "0x00000000", "StatusFlagsStepped");
        if (std::string(chip).find("Prototype") != std::string::npos) continue;
        add(SetBreakpointCommand("0x0000020A") +
                RegisterCommand("Dravik_VerifyRegister", "PC", "0x00000200") + kRunToBreakpoint,
            "0x0000020A", "0x00001234", "BreakpointRun");
        // A run asked for while the CPU runs lets it run on to the breakpoint.
        add(ResetAndRun("FALSE") + SetBreakpointCommand("0x00000212") + kRunToBreakpoint,
            "0x00000212", "0x00000000", "ResetRunKeepingJtagBreakpointRun");
        add(ResetAndRun("TRUE") + SetBreakpointCommand("0x00000212") + kRunToBreakpoint,
            "0x00000212", "0x00000000", "ResetRunReleasedBreakpointRun");
        // A free run runs past the breakpoints, also right after one was hit.
        add(SetBreakpointCommand("0x00000206") + kRunFree + kStop, "0x0000020A", "0x00001234",
            "BreakpointSetRunFreeStop");
        add(SetBreakpointCommand("0x00000206") + kRunToBreakpoint +
                RegisterCommand("Dravik_VerifyRegister", "PC", "0x00000206") + kRunFree + kStop,
            "0x0000020A", "0x00001234", "BreakpointHitRunFreeStop");
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

// A program in RAM that leaves a mark in the information memory once it runs
// past 0206, where the rows set their breakpoint:
// 0200 mov #5A80h,&0120h; 0206 mov #A500h,&012Ch (unlocked); 020C mov #A540h,&0128h
// (write); 0212 mov #0,&1000h (the mark); 0216 mov #A500h,&0128h; 021C mov
// #A510h,&012Ch (locked); 0222 jmp $
const std::string kMarker =
    WriteWords("0x00000200", "0x00000012",
               "0x40B2 0x5A80 0x0120 0x40B2 0xA500 0x012C 0x40B2 0xA540 0x0128 0x4382 0x1000 "
               "0x40B2 0xA500 0x0128 0x40B2 0xA510 0x012C 0x3FFF");
constexpr std::uint32_t kMark = 0x1000;

struct DebugOutcome {
    const char* chip;   // also the project's processor
    std::string steps;  // after the program is in RAM and the PC at its start
    int result;         // the run's exit code
    std::string text;   // what its output says
    bool marked;        // the program ran past its breakpoint
    std::string name;
};

void PrintTo(const DebugOutcome& o, std::ostream* os) {
    *os << o.name;
}

class DebugOutcomes : public ProgramTest, public ::testing::WithParamInterface<DebugOutcome> {};

TEST_P(DebugOutcomes, TheRunSaysWhatTheChipDid) {
    const DebugOutcome& o = GetParam();
    Plug(std::string("chip=") + o.chip);
    const std::string commands = "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n" + kIdentify +
                                 kMarker +
                                 RegisterCommand("Dravik_WriteRegister", "PC", "0x00000200") +
                                 o.steps + "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n";
    EXPECT_EQ(Run(Write("debug.kvnset", Project("3000", commands, o.chip))), o.result) << out;
    EXPECT_NE(out.find(o.text), std::string::npos) << out;
    EXPECT_EQ(Word(PodChip(), kMark), o.marked ? 0x0000u : 0xFFFFu) << out;
}

std::vector<DebugOutcome> Outcomes() {
    std::vector<DebugOutcome> rows;
    const std::string atTheBreakpoint = SetBreakpointCommand("0x00000206");
    const std::string hit = atTheBreakpoint + kRunToBreakpoint +
                            RegisterCommand("Dravik_VerifyRegister", "PC", "0x00000206");
    const std::string noBreak = "Target did not stop or hit breakpoint";
    for (const char* chip : {"MSP430F149", "MSP430F2274", "MSP430FG4619"}) {
        const std::string part = std::string(chip).substr(std::string(chip).find("430") + 3);
        const bool wide = part == "FG4619";
        auto add = [&](std::string steps, int result, std::string text, bool marked,
                       const char* what) {
            rows.push_back({chip, std::move(steps), result, std::move(text), marked, part + what});
        };
        // The program runs past its breakpoint while the project waits for a
        // break that does not come, or reads a register.
        add(atTheBreakpoint + kRunFree + kWaitForBreak, 1, noBreak, true, "RunFreeWaitForBreak");
        add(hit + kRunFree + kWaitForBreak, 1, noBreak, true, "HitRunFreeWaitForBreak");
        add(atTheBreakpoint + kRunFree + kDelay +
                "<Dravik_ReadRegister wRegister=\"PC\"></Dravik_ReadRegister>\n",
            33, "CPU is running", true, "RunFreeReadRegister");
        // Past its breakpoint the program never comes back to it.
        add(hit + kRunFree + kDelay + kStop +
                RegisterCommand("Dravik_VerifyRegister", "PC", "0x00000222") + kRunToBreakpoint,
            1, noBreak, true, "HitRunFreeStopRunToBreakpoint");
        // A code breakpoint where no instruction can be fetched is refused.
        add(SetBreakpointCommand(wide ? "0x0002020A" : "0x0001020A"), 3,
            wide ? "The code breakpoint at 2020A lies past 1FFFF, the device's last address"
                 : "The code breakpoint at 1020A lies past 0FFFF, the device's last address",
            false, "BreakpointPastTheEnd");
        add(SetBreakpointCommand("0x00000207"), 3,
            "The code breakpoint at 00207 is odd: instructions start at even addresses", false,
            "BreakpointAtAnOddAddress");
        // Memory after the fuse is blown says why it cannot be reached.
        add("<Dravik_BlowFuse></Dravik_BlowFuse>\n<Dravik_ReadMemory dwAddress=\"0x00000200\" "
            "dwCount=\"0x00000002\" wValueType=\"WORD\"></Dravik_ReadMemory>\n",
            30, "Could not access device - security fuse is blown", false, "MemoryAfterBlowFuse");
        add("<Dravik_BlowFuse></Dravik_BlowFuse>\n" +
                RegisterCommand("Dravik_WriteRegister", "R4", "0x00001234"),
            30, "Could not access device - security fuse is blown", false, "RegisterAfterBlowFuse");
        add("<Dravik_BlowFuse></Dravik_BlowFuse>\n" + atTheBreakpoint, 30,
            "Could not access device - security fuse is blown", false, "BreakpointAfterBlowFuse");
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Chips, DebugOutcomes, ::testing::ValuesIn(Outcomes()),
                         [](const ::testing::TestParamInfo<DebugOutcome>& p) {
                             return p.param.name;
                         });

}  // namespace
}  // namespace kv::testing
