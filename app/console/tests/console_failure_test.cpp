// The console programmer with the real command library against the simulated
// pod and adapter: a run that fails switches the target off before the result
// is given, and says so in its transcript.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "console_test_support.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_adapter_target.h"

namespace kv::testing {
namespace {

class ConsoleFailureTest : public ConsoleProgramTest {};

TEST_F(ConsoleFailureTest, AFailedPodRunSwitchesTheTargetOffBeforeTheResult) {
    const std::string path =
        WriteProject("MSP430F149",
                     "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"
                     "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n"
                     "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n");
    // No chip: Identify fails.
    const int code = RunOnce("chip=none", path);
    EXPECT_EQ(code, 4) << out;
    // Off when the run returned, before the shutdown's own switch-off.
    EXPECT_EQ(vccAfterRun, 0) << out;
    EXPECT_NE(out.find("Open JTAG: 3.0v OK\nIdentify Target: failed\n\nVCC Off: OK\n"
                       "Unable to complete operation.\nUnable to identify device (4)\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("Close JTAG"), std::string::npos) << out;
    EXPECT_TRUE(out.ends_with("Operation failed\nResult = 4\n")) << out;
}

// Every fault on the pod's side, from the configuration a user gives
// KELVANE_USB or the project: the run fails with the library's error number
// and its cause, and the target is switched off.
TEST_F(ConsoleFailureTest, EveryPodFaultFailsWithItsCauseAndSwitchesTheTargetOff) {
    const std::string identify = "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n";
    const std::string erase =
        "<Dravik_Erase dwEraseType=\"ERASE_ALL\" dwSegment=\"0x00001000\" "
        "dwLength=\"0x00000001\"></Dravik_Erase>\n";
    const struct {
        const char* what;
        const char* chip;
        const char* vcc;
        std::string more;
        const char* sim;
        int code;
        const char* text;
    } cases[] = {
        // The supply commands need no answer.
        {"the pod answers nothing from the third instruction shift on", "MSP430F149", "3000",
         identify, "fault=stop:56:0:3", 8,
         "Identify Target: failed\n\nVCC Off: OK\nUnable to complete operation.\n"
         "Unable to identify device (8)\n"},
        {"the pod does not take a write", "MSP430F149", "3000", "", "fault=write:52:4", 10,
         "Could not set device Vcc\nWritePort failed, error 4\nThe Dravik pod is gone: it was "
         "unplugged or lost its USB connection\n"},
        // Three stray bytes follow the second byte read: the erase's save step.
        {"stray bytes after a reply", "MSP430F149", "3000", identify + erase, "fault=stray:96:3:2",
         12,
         "Mass Erase: failed\n\nVCC Off: OK\nUnable to complete operation.\n"
         "Unable to perform EraseAll (12)\nCould not preserve/restore device memory\n"
         "Debug_CheckPendingReads failed, 3 bytes pending read\nOK? <Auto OK>\n"},
        // Below the supply the data sheet rates the flash for, nothing is erased.
        {"an F149 at 2.6 V", "MSP430F149", "2600", identify + erase, "chip=MSP430F149", 14,
         "Could not erase device memory\nTarget supply 2600 mV is below the 2700 mV this "
         "device's flash needs to be erased or programmed\n"},
        {"an F2274 at 2.1 V", "MSP430F2274", "2100", identify + erase, "chip=MSP430F2274", 14,
         "Could not erase device memory\nTarget supply 2100 mV is below the 2200 mV this "
         "device's flash needs to be erased or programmed\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = WriteProject(
            c.chip, std::string("<Dravik_Open dwVCC=\"") + c.vcc + "\"></Dravik_Open>\n" + c.more);
        EXPECT_EQ(RunOnce(c.sim, path), c.code) << out;
        EXPECT_EQ(vccAfterRun, 0) << out;
        EXPECT_NE(out.find(c.text), std::string::npos) << out;
        EXPECT_TRUE(out.ends_with("Operation failed\nResult = " + std::to_string(c.code) + "\n"))
            << out;
    }
}

TEST_F(ConsoleFailureTest, AFailedAdapterRunSwitchesTheTargetOffBeforeTheResult) {
    const std::string path =
        WriteProject("MSP430F2274",
                     "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n"
                     "<Tovrin_SetPassword strFileName=\"NoFile.txt\" nFileType=\"FILETYPE_TI_TXT\" "
                     "bPasswordSourceIsFile=\"FALSE\">\n0x1234 0x5678 0xFFFF 0xFFFF\n"
                     "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
                     "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n</Tovrin_SetPassword>\n"
                     "<Tovrin_PowerOff></Tovrin_PowerOff>\n");
    const int code = RunOnce("pod=none,adapter=MSP430F2274", path);
    auto adapter = backend->findAs<sim::AdapterWithChip>(sim::TovrinAdapter::kDescription);
    ASSERT_NE(adapter, nullptr);
    EXPECT_EQ(code, 1) << out;
    EXPECT_TRUE(adapterSuppliedDuringRun) << out;
    EXPECT_FALSE(adapterSupplyAfterRun) << out;
    EXPECT_NE(out.find("Seize Target (BSL): OK\nSet Password (BSL): failed\n\n"
                       "Power Off (BSL): OK\nUnable to complete operation.\nPassword failed:"),
              std::string::npos)
        << out;
    EXPECT_TRUE(out.ends_with("Operation failed\nResult = 1\n")) << out;
}

TEST_F(ConsoleFailureTest, APodThenAdapterRunFailingAtTheAdapterSwitchesBothTargetsOff) {
    const std::string path =
        WriteProject("MSP430F2274",
                     "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"
                     "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n"
                     "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n"
                     "<Tovrin_SetPassword strFileName=\"NoFile.txt\" nFileType=\"FILETYPE_TI_TXT\" "
                     "bPasswordSourceIsFile=\"FALSE\">\n0x1234 0x5678 0xFFFF 0xFFFF\n"
                     "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
                     "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n</Tovrin_SetPassword>\n");
    const int code = RunOnce("chip=MSP430F2274,adapter=MSP430F2274", path);
    EXPECT_EQ(code, 1) << out;
    EXPECT_TRUE(adapterSuppliedDuringRun) << out;
    EXPECT_EQ(vccAfterRun, 0) << out;
    EXPECT_FALSE(adapterSupplyAfterRun) << out;
    EXPECT_NE(out.find("Set Password (BSL): failed\n\nVCC Off: OK\n\nPower Off (BSL): OK\n"
                       "Unable to complete operation.\nPassword failed:"),
              std::string::npos)
        << out;
}

TEST_F(ConsoleFailureTest, AFailedAdapterVerificationSaysWhyTheReadFailed) {
    Write("image.txt", "@0200\n01 02 03 04\nq\n");
    const std::string unlock =
        "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n"
        "<Tovrin_SetPassword strFileName=\"NoFile.txt\" nFileType=\"FILETYPE_TI_TXT\" "
        "bPasswordSourceIsFile=\"FALSE\">\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
        "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
        "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n</Tovrin_SetPassword>\n";
    ASSERT_EQ(RunOnce("pod=none,adapter=MSP430F2274", WriteProject("MSP430F2274", unlock)), 0)
        << out;
    // What the target has sent once the chip is unlocked.
    const std::uint64_t unlocked =
        backend->findAs<sim::AdapterWithChip>(sim::TovrinAdapter::kDescription)->toHostCount();
    const std::string path = WriteProject(
        "MSP430F2274", unlock + "<Tovrin_WriteFile strFileName=\"" + Path("image.txt") +
                           "\" nFileType=\"FILETYPE_TI_TXT\" bVerifyMem=\"TRUE\">"
                           "</Tovrin_WriteFile>\n");
    // From ever later points on, everything the target sends is lost: the
    // write, or its read-back, fails for want of an answer.
    int verifyFailures = 0;
    for (std::uint64_t from = 1; from < 20; ++from) {
        prepare = [&](sim::SimBackend& devices) {
            auto adapter = devices.findAs<sim::AdapterWithChip>(sim::TovrinAdapter::kDescription);
            for (std::uint64_t lost = unlocked + from; lost < unlocked + 400; ++lost)
                adapter->dropToHost(lost);
        };
        if (RunOnce("pod=none,adapter=MSP430F2274", path) == 0) continue;
        if (out.find("Unable to verify data\n") == std::string::npos) continue;
        ++verifyFailures;
        // Never the bare text: the read's own failure follows it.
        EXPECT_EQ(out.find("Unable to verify data\nOK?"), std::string::npos) << out;
        const bool timedOut =
            out.find("Unable to verify data\nComm receive timed-out, ") != std::string::npos;
        const bool noAck =
            out.find("Unable to verify data\nUnable to read ack") != std::string::npos;
        EXPECT_TRUE(timedOut || noAck) << out;
    }
    EXPECT_GT(verifyFailures, 0);
}

// Every fault the adapter's side can make, from the configuration a user
// gives KELVANE_USB: the run fails with the fault's text and a non-zero
// result, and the target is switched off.
TEST_F(ConsoleFailureTest, EveryAdapterFaultFailsClearlyAndSwitchesTheTargetOff) {
    Write("image.txt", "@8000\n01 02 03 04 05 06 07 08\nq\n");
    const std::string path = WriteProject(
        "MSP430F2274",
        "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n"
        "<Tovrin_SetPassword strFileName=\"NoFile.txt\" nFileType=\"FILETYPE_TI_TXT\" "
        "bPasswordSourceIsFile=\"FALSE\">\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
        "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
        "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n</Tovrin_SetPassword>\n"
        "<Tovrin_WriteFile strFileName=\"" +
            Path("image.txt") +
            "\" nFileType=\"FILETYPE_TI_TXT\" bVerifyMem=\"TRUE\"></Tovrin_WriteFile>\n"
            "<Tovrin_PowerOff></Tovrin_PowerOff>\n");
    ASSERT_EQ(RunOnce("pod=none,adapter=MSP430F2274", path), 0) << out;
    struct Case {
        const char* what;
        const char* fault;
        const char* text;
    };
    for (const Case& c : {
             Case{"the loader refuses the write", "nak:3",
                  "Unable to complete operation.\nAck failed, returned A0\n"},
             // At once, not after the reply's time-out.
             Case{"the loader refuses a read", "nak:2",
                  "Password failed:  Read request failed, read 0001 bytes\n"
                  "The loader refused the read: it answered NAK (A0)\n"},
             Case{"the loader stays silent on the password", "silent:1",
                  "Password failed:  Unable to read ack\nComm receive timed-out"},
             Case{"a read reply comes back with a bad checksum", "reply:checksum",
                  "Password failed:  Read request failed, returned checksum"},
             Case{"a byte to the target is lost", "totarget:40",
                  "Password failed:  Unable to read ack\nComm receive timed-out"},
             Case{"a byte to the host is lost", "tohost:3",
                  "Password failed:  Unable to read ack\nComm receive timed-out"},
             Case{"the USB side takes a write short", "shortwrite:2",
                  "Password failed:  WritePort wrote 41 of 42 bytes"},
             Case{"the adapter is unplugged", "unplug:3",
                  "Power Off (BSL): failed\nUnable to complete operation.\n"
                  "Password failed:  Unable to read ack\nReadPort Error: Failed to receive 1 "
                  "bytes.\nWaitForReceive Error: Unable to get number of bytes available.\n"
                  "Unable to get Tovrin queue status, error 4\nThe Tovrin adapter is gone: it "
                  "was unplugged or lost its USB connection\n"},
         }) {
        const int code =
            RunOnce(std::string("pod=none,adapter=MSP430F2274,adapterfault=") + c.fault, path);
        EXPECT_NE(code, 0) << c.what << "\n" << out;
        EXPECT_FALSE(adapterSupplyAfterRun) << c.what << "\n" << out;
        EXPECT_NE(out.find(c.text), std::string::npos) << c.what << "\n" << out;
        EXPECT_TRUE(out.ends_with("Operation failed\nResult = " + std::to_string(code) + "\n"))
            << c.what << "\n" << out;
    }
}

// The adapter's chip lives in the state file from run to run: the vectors
// one run programs are the password the next run must give. A wrong one is
// refused, and the F2274's 2.00 loader then erases the chip (its password is
// blank again) unless the loader key word at 0xFFDE is 0x0000.
TEST_F(ConsoleFailureTest, APasswordSetByOneRunIsCheckedByTheNext) {
    auto project = [&](const std::string& word, const std::string& more) {
        std::string password;
        for (int i = 0; i < 16; ++i)
            password += word + (i % 4 == 3 ? "\n" : " ");
        return WriteProject("MSP430F2274",
                            "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n"
                            "<Tovrin_SetPassword strFileName=\"NoFile.txt\" "
                            "nFileType=\"FILETYPE_TI_TXT\" bPasswordSourceIsFile=\"FALSE\">\n" +
                                password + "</Tovrin_SetPassword>\n" + more +
                                "<Tovrin_PowerOff></Tovrin_PowerOff>\n");
    };
    const struct {
        const char* keyWord;  // the bytes at 0xFFDE
        bool kept;            // the chip survives a wrong password
    } cases[] = {{"FF FF", false}, {"00 00", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keyWord);
        std::string vectors = std::string("@FFDE\n") + c.keyWord + " ";
        for (int i = 0; i < 32; ++i)
            vectors += i % 2 == 0 ? "34 " : "12 ";
        Write("vectors.txt", vectors + "\nq\n");
        const std::string state = Path("chip.kvchip");
        std::remove(state.c_str());
        const std::string sim = "pod=none,adapter=MSP430F2274,state=" + state;
        ASSERT_EQ(RunOnce(sim, project("0xFFFF", "<Tovrin_WriteFile strFileName=\"" +
                                                     Path("vectors.txt") +
                                                     "\" nFileType=\"FILETYPE_TI_TXT\" "
                                                     "bVerifyMem=\"TRUE\"></Tovrin_WriteFile>\n")),
                  0)
            << out;
        EXPECT_EQ(RunOnce(sim, project("0xFFFF", "")), 1) << out;
        EXPECT_NE(out.find("Password failed:  Ack failed, returned A0\nThe target's bootstrap "
                           "loader refused the password. A chip with a 2.x loader erases its "
                           "main and information memory on a wrong password.\n"),
                  std::string::npos)
            << out;
        EXPECT_EQ(RunOnce(sim, project("0x1234", "")), c.kept ? 0 : 1) << out;
        EXPECT_EQ(RunOnce(sim, project("0xFFFF", "")), c.kept ? 1 : 0) << out;
    }
}

// On modelled time the loader's pause after a load PC passes on the
// adapter's own time: the host's clock does not wait 100 ms for it.
TEST_F(ConsoleFailureTest, ALoadPcOnModelledTimeCostsNoHostPause) {
    auto project = [&](const std::string& pod, const std::string& more) {
        return WriteProject("MSP430F2274",
                            pod +
                                "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n"
                                "<Tovrin_SetPassword strFileName=\"NoFile.txt\" "
                                "nFileType=\"FILETYPE_TI_TXT\" bPasswordSourceIsFile=\"FALSE\">\n"
                                "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
                                "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
                                "</Tovrin_SetPassword>\n" +
                                more + "<Tovrin_PowerOff></Tovrin_PowerOff>\n");
    };
    // The adapter alone, and beside the simulated pod (both open in the run).
    const struct {
        const char* sim;
        const char* pod;
    } runs[] = {{"pod=none,adapter=MSP430F2274", ""},
                {"chip=MSP430F2274,adapter=MSP430F2274",
                 "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"
                 "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n"}};
    for (const auto& r : runs) {
        SCOPED_TRACE(r.sim);
        auto hostMs = [&](const std::string& more) {
            const uint32_t start = manual.tickCount();
            EXPECT_EQ(RunOnce(r.sim, project(r.pod, more)), 0) << out;
            return manual.tickCount() - start;
        };
        const uint32_t without = hostMs("");
        const uint32_t with = hostMs("<Tovrin_LoadPC dwValue=\"0x0C22\"></Tovrin_LoadPC>\n");
        EXPECT_NE(out.find("Load PC @0x0C22 (BSL): OK"), std::string::npos) << out;
        EXPECT_LT(with - without, 100u);
    }
}

// A pod and an adapter on one board reach one chip: the image programmed
// by JTAG holds the vectors that are the loader's password, and the loader
// verifies the image.
TEST_F(ConsoleFailureTest, AnImageProgrammedByJtagIsVerifiedThroughTheLoader) {
    std::string image = "@8000\n31 40 00 04 3F 40 5A 80\n@FFE0";
    for (int i = 0; i < 32; ++i)
        image += std::string(i % 16 == 0 ? "\n" : " ") + (i % 2 == 0 ? "34" : "12");
    Write("image.txt", image + "\nq\n");
    std::string password;
    for (int i = 0; i < 16; ++i)
        password += std::string("0x1234") + (i % 4 == 3 ? "\n" : " ");
    const std::string path = WriteProject(
        "MSP430F2274",
        "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"
        "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n"
        "<Dravik_Erase dwEraseType=\"ERASE_ALL\" dwSegment=\"0x00001000\" "
        "dwLength=\"0x00000001\"></Dravik_Erase>\n"
        "<Dravik_ProgramFile strFileName=\"" +
            Path("image.txt") +
            "\" nFileType=\"FILETYPE_TI_TXT\" bVerifyMem=\"TRUE\"></Dravik_ProgramFile>\n"
            "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n"
            "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n"
            "<Tovrin_SetPassword strFileName=\"NoFile.txt\" nFileType=\"FILETYPE_TI_TXT\" "
            "bPasswordSourceIsFile=\"FALSE\">\n" +
            password +
            "</Tovrin_SetPassword>\n"
            "<Tovrin_VerifyFile strFileName=\"" +
            Path("image.txt") +
            "\" nFileType=\"FILETYPE_TI_TXT\"></Tovrin_VerifyFile>\n"
            "<Tovrin_PowerOff></Tovrin_PowerOff>\n");
    EXPECT_EQ(RunOnce("chip=MSP430F2274,adapter=MSP430F2274", path), 0) << out;
}

TEST_F(ConsoleFailureTest, AGoodRunRunsNoPowerOffOfItsOwn) {
    const std::string path =
        WriteProject("MSP430F149",
                     "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"
                     "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n"
                     "<Dravik_Close bVccOff=\"FALSE\"></Dravik_Close>\n");
    EXPECT_EQ(RunOnce("chip=MSP430F149", path), 0) << out;
    EXPECT_EQ(out.find("VCC Off"), std::string::npos) << out;
    EXPECT_EQ(vccAfterRun, 3000) << out;
    EXPECT_TRUE(out.ends_with("Operation succeeded\nResult = 0\n")) << out;
}

}  // namespace
}  // namespace kv::testing
