// A debugging project through the console programmer: a breakpoint set, hit
// twice, the chip reset or identified again, the breakpoint set elsewhere,
// hit there and cleared, on chips with a larger and a smaller EEM, on an
// MSP430X chip and on one with two breakpoints; the PC written before each
// set is still the PC after it. A chip without EEM refuses the breakpoint
// clearly.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "program_fixture.h"

namespace kv::testing {
namespace {

const std::string kClear = "<Dravik_ClearBreakpoint nBreakpoint=\"0\"></Dravik_ClearBreakpoint>\n";
// 0200 mov #5A80h,&0120h (watchdog held); 0206 inc r4; 0208 inc r5; 020A jmp 0206
const std::string kCounter =
    "<Dravik_WriteMemory dwAddress=\"0x00000200\" dwCount=\"0x00000006\" wValueType=\"WORD\">\n"
    "0x40B2 0x5A80 0x0120 0x5314 0x5315 0x3FFD\n</Dravik_WriteMemory>\n";
const std::string kFromTheStart = RegisterCommand("Dravik_WriteRegister", "PC", "0x00000200") +
                                  RegisterCommand("Dravik_WriteRegister", "R4", "0x00000000");
// Setting a breakpoint leaves the CPU where the project put it.
const std::string kStillAtTheStart = RegisterCommand("Dravik_VerifyRegister", "PC", "0x00000200");

struct BreakpointProject {
    const char* chip;     // also the project's processor, unless named below
    const char* between;  // what ends the EEM between the two breakpoints
    const char* name;
    const char* processor = nullptr;
};

void PrintTo(const BreakpointProject& p, std::ostream* os) {
    *os << p.name;
}

class BreakpointProjects : public ProgramTest,
                           public ::testing::WithParamInterface<BreakpointProject> {};

TEST_P(BreakpointProjects, TheBreakpointIsSetAgainAtAnotherAddressAndCleared) {
    const BreakpointProject& p = GetParam();
    Plug(std::string("chip=") + p.chip);
    const std::string commands =
        "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n" + kIdentify + kCounter + kFromTheStart +
        SetBreakpointCommand("0x00000208") + kStillAtTheStart + kRunToBreakpoint +
        RegisterCommand("Dravik_VerifyRegister", "PC", "0x00000208") + kRunToBreakpoint +
        RegisterCommand("Dravik_VerifyRegister", "R4", "0x00000002") + p.between + kFromTheStart +
        SetBreakpointCommand("0x0000020A") + kStillAtTheStart + kRunToBreakpoint +
        RegisterCommand("Dravik_VerifyRegister", "PC", "0x0000020A") +
        RegisterCommand("Dravik_VerifyRegister", "R4", "0x00000001") + kClear + kFromTheStart +
        SetBreakpointCommand("0x00000206") + kStillAtTheStart + kRunToBreakpoint +
        RegisterCommand("Dravik_VerifyRegister", "PC", "0x00000206") + kClear +
        "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n";
    const std::string path = Write(
        "debug.kvnset", Project("3000", commands, p.processor != nullptr ? p.processor : p.chip));
    EXPECT_EQ(Run(path), 0) << out;
    EXPECT_NE(out.find("Set Bkpt 0, Code @0x0020A: OK\n"), std::string::npos) << out;
    // An MSP430X part shows the PC with five digits.
    const bool wide = std::string(p.chip).find("FG46") != std::string::npos;
    EXPECT_NE(out.find(std::string("Verify Register (PC): PC = ") + (wide ? "0x0020A" : "0x020A") +
                       " OK\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Clear Bkpt 0: OK\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Result = 0"), std::string::npos) << out;
}

// A chip without EEM: the set fails with its reason, and the target is off.
TEST_F(ProgramTest, ABreakpointOnAChipWithoutEemIsRefused) {
    Plug("chip=Prototype_MSP430F11x1");
    const std::string commands = "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n" + kIdentify +
                                 SetBreakpointCommand("0x0000F000") +
                                 "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n";
    EXPECT_EQ(Run(Write("debug.kvnset", Project("3000", commands, "Prototype_MSP430F11x1"))), 1);
    EXPECT_NE(out.find("Set Bkpt 0, Code @0x0F000: failed\n"), std::string::npos) << out;
    EXPECT_NE(out.find("VCC Off: OK\n"), std::string::npos) << out;
    EXPECT_NE(out.find("The selected processor does not support EEM breakpoints"),
              std::string::npos)
        << out;
}

const char* const kReset =
    "<Dravik_Reset dwMethod=\"PUC_RESET\" bExecute=\"FALSE\" "
    "bReleaseJTAG=\"TRUE\"></Dravik_Reset>\n";
// The chip runs from its reset vector with the JTAG link handed back to it,
// and is stopped where it got to: registers are written to a held CPU.
const char* const kResetAndRun =
    "<Dravik_Reset dwMethod=\"PUC_RESET\" bExecute=\"TRUE\" "
    "bReleaseJTAG=\"TRUE\"></Dravik_Reset>\n"
    "<Dravik_Stop></Dravik_Stop>\n";

INSTANTIATE_TEST_SUITE_P(
    Chips, BreakpointProjects,
    ::testing::Values(
        BreakpointProject{"MSP430F149", kReset, "F149ResetReleasingJtag"},
        BreakpointProject{"MSP430F149", kIdentify.c_str(), "F149Identified"},
        BreakpointProject{"MSP430F149", kResetAndRun, "F149ResetRunningReleased"},
        BreakpointProject{"MSP430F2274", kReset, "F2274ResetReleasingJtag"},
        BreakpointProject{"MSP430F2274", kIdentify.c_str(), "F2274Identified"},
        BreakpointProject{"MSP430F2274", kResetAndRun, "F2274ResetRunningReleased"},
        BreakpointProject{"MSP430FG4619", kReset, "FG4619ResetReleasingJtag"},
        BreakpointProject{"MSP430FG4619", kIdentify.c_str(), "FG4619Identified"},
        BreakpointProject{"MSP430FG4619", kResetAndRun, "FG4619ResetRunningReleased"},
        BreakpointProject{"MSP430F11x1A", kReset, "F11x1AResetReleasingJtag", "MSP430F1121A"},
        BreakpointProject{"MSP430F11x1A", kIdentify.c_str(), "F11x1AIdentified", "MSP430F1121A"}),
    [](const ::testing::TestParamInfo<BreakpointProject>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace kv::testing
