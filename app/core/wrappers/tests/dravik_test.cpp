// The pod wrapper against the simulated Dravik pod through libnandrel.so: the
// open and close chain, versions, serial number and voltage features, the
// texts of failing calls and the error number they record.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/core/dravik.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_backend.h"

namespace {

class DravikTest : public ::testing::Test {
  protected:
    void SetUp() override {
        kv::usb::setBackend(backend);
        previousHandler =
            kv::setMessageBoxHandler([this](const std::string& text, const std::string&, unsigned) {
                boxes.push_back(text);
                return kv::kIdOk;
            });
    }
    void TearDown() override {
        pod.Close();
        kv::usb::setBackend(nullptr);
        kv::setMessageBoxHandler(previousHandler);
    }

    std::shared_ptr<kv::sim::DravikPod> plug(char hardwareLetter = 'P') {
        kv::sim::PodConfig config;
        config.serial = 987654;
        config.setHardwareLetter(hardwareLetter);
        auto device = std::make_shared<kv::sim::DravikPod>(config);
        backend->plug(device);
        return device;
    }

    kv::ManualClock manual{1000};
    kv::ScopedClock scope{manual};
    std::shared_ptr<kv::sim::SimBackend> backend = std::make_shared<kv::sim::SimBackend>();
    kv::MessageBoxHandler previousHandler;
    std::vector<std::string> boxes;
    kv::CDravik pod;
};

TEST_F(DravikTest, OpensTheChainReadsItsTextsAndClosesEverything) {
    auto device = plug();
    EXPECT_EQ(pod.GetErrorText(), "No error");
    ASSERT_EQ(pod.Reopen(), 1) << pod.GetErrorText();
    EXPECT_EQ(pod.IsOpen(), 1);
    EXPECT_NE(pod.GetInterfaceHandle(), nullptr);
    EXPECT_NE(pod.GetPortHandle(), nullptr);
    EXPECT_EQ(pod.GetLastErrorNumber(), 0);
    EXPECT_TRUE(device->isOpen());

    std::string text;
    EXPECT_EQ(pod.GetSerialNumber(text), 1);
    EXPECT_EQ(text, "987654");
    EXPECT_EQ(pod.GetFirmwareVersion(text), 1);
    EXPECT_EQ(text, "DRV-1P-A02.03.03");
    EXPECT_EQ(pod.GetInterfaceVersion(text), 1);
    EXPECT_EQ(text, "v02.03.03c");

    EXPECT_EQ(pod.Close(), 1);
    EXPECT_EQ(pod.IsOpen(), 0);
    EXPECT_EQ(pod.GetInterfaceHandle(), nullptr);
    EXPECT_EQ(pod.GetPortHandle(), nullptr);
    EXPECT_EQ(pod.GetTargetHandle(), nullptr);
    EXPECT_FALSE(device->isOpen());
    EXPECT_EQ(Nandrel_IsOpen(), 0);
    EXPECT_EQ(pod.Close(), 1) << "closing twice is harmless";

    // The getters of a closed wrapper still give "Unknown".
    EXPECT_EQ(pod.GetSerialNumber(text), 0);
    EXPECT_EQ(text, "Unknown");
    EXPECT_EQ(pod.GetErrorText(), "NULL Dravik port");
    EXPECT_EQ(pod.GetFirmwareVersion(text), 0);
    EXPECT_EQ(text, "Unknown");
    EXPECT_EQ(pod.GetInterfaceVersion(text), 0);
    EXPECT_EQ(text, "Unknown");
    EXPECT_EQ(pod.GetErrorText(), "NULL Dravik interface");

    // Opening again works after a close.
    ASSERT_EQ(pod.Reopen(), 1) << pod.GetErrorText();
    EXPECT_EQ(pod.IsOpen(), 1);
}

TEST_F(DravikTest, WithoutAPodTheChainStopsAtThePortAndClosesTheModule) {
    EXPECT_EQ(pod.Open(), 0);
    EXPECT_EQ(pod.GetErrorText(), "Could not open port 0");
    EXPECT_EQ(pod.IsOpen(), 0);
    EXPECT_EQ(pod.GetInterfaceHandle(), nullptr);
    EXPECT_EQ(pod.GetPortHandle(), nullptr);
    EXPECT_EQ(pod.GetTargetHandle(), nullptr);
    EXPECT_EQ(Nandrel_IsOpen(), 0);
    // A pod plugged in later opens.
    plug();
    EXPECT_EQ(pod.Reopen(), 1) << pod.GetErrorText();
}

TEST_F(DravikTest, VoltageFeaturesFollowThePodHardware) {
    struct Case {
        char letter;
        int adjustable;
        uint32_t maximum;
        int hasVpp;
    };
    for (const Case& c : {Case{'P', 1, 3600, 1}, Case{'E', 0, 3300, 0}, Case{'S', 1, 3600, 0}}) {
        SCOPED_TRACE(c.letter);
        backend = std::make_shared<kv::sim::SimBackend>();
        kv::usb::setBackend(backend);
        plug(c.letter);
        ASSERT_EQ(pod.Reopen(), 1) << pod.GetErrorText();
        int adjustable = -1;
        uint32_t maximum = 0;
        EXPECT_EQ(pod.GetVccRange(adjustable, maximum), 1) << pod.GetErrorText();
        EXPECT_EQ(adjustable, c.adjustable);
        EXPECT_EQ(maximum, c.maximum);
        int flag = -1;
        EXPECT_EQ(pod.HasVpp(flag), 1) << "a VPP minimum of 0 is no failure";
        EXPECT_EQ(flag, c.hasVpp);
        int32_t a = -1, minimum = -1, most = -1, step = -1;
        EXPECT_EQ(pod.QueryVccFeatures(a, minimum, most, step), 1);
        EXPECT_EQ(minimum, c.letter == 'E' ? 3300 : 1500);
        EXPECT_EQ(step, c.letter == 'E' ? 0 : 100);
        pod.Close();
    }
}

TEST_F(DravikTest, UnknownPodHardwareHasNoVoltageFeatures) {
    plug('X');
    ASSERT_EQ(pod.Reopen(), 1) << pod.GetErrorText();
    int32_t a = -1, minimum = -1, maximum = -1, step = -1;
    EXPECT_EQ(pod.QueryVccFeatures(a, minimum, maximum, step), 0);
    EXPECT_EQ(pod.GetErrorText(), "Unable to query port VCC features");
    EXPECT_EQ(a | minimum | maximum | step, 0);
    EXPECT_EQ(pod.QueryVppFeatures(a, minimum, maximum, step), 0);
    EXPECT_EQ(pod.GetErrorText(), "Unable to query port VPP features");
    int flag = -1;
    EXPECT_EQ(pod.HasVpp(flag), 0);
    EXPECT_EQ(flag, 0);
    // The range keeps its defaults rather than offering 0 mV.
    int adjustable = -1;
    uint32_t vcc = 0;
    EXPECT_EQ(pod.GetVccRange(adjustable, vcc), 0);
    EXPECT_EQ(adjustable, 0);
    EXPECT_EQ(vcc, 3000u);
}

// One target method and the text its failure starts with.
struct TargetCall {
    const char* prefix;
    std::function<int(kv::CDravik&)> call;
};

std::vector<TargetCall> NumberedCalls() {
    static uint8_t buffer[16] = {1, 2, 3, 4};
    return {
        {"Unable to open target device JTAG", [](kv::CDravik& p) { return p.OpenJTAG(); }},
        {"Unable to close target device JTAG", [](kv::CDravik& p) { return p.CloseJTAG(1); }},
        {"Unable to identify device",
         [](kv::CDravik& p) {
             std::string name;
             return p.Identify(name);
         }},
        {"Unable to configure target device", [](kv::CDravik& p) { return p.Configure(5, 1); }},
        {"Unable to set device VCC to 3.3", [](kv::CDravik& p) { return p.SetVCC(3300); }},
        {"Unable to set device VCC to 0.0", [](kv::CDravik& p) { return p.SetVCC(0); }},
        {"Unable to perform EraseAll", [](kv::CDravik& p) { return p.EraseAll(); }},
        {"Unable to perform EraseMain", [](kv::CDravik& p) { return p.EraseMain(0x1100, 0xEF00); }},
        {"Unable to perform EraseSegment",
         [](kv::CDravik& p) { return p.EraseSegment(0xF000, 2); }},
        {"Unable to perform ProgramFile",
         [](kv::CDravik& p) { return p.ProgramFile("/nonexistent/image.txt", NANDREL_PROGRAM_ERASE_NONE, 1); }},
        {"Unable to perform VerifyFile",
         [](kv::CDravik& p) { return p.VerifyFile("/nonexistent/image.txt"); }},
        {"Unable to perform WriteMemory",
         [](kv::CDravik& p) { return p.WriteMemory(buffer, 0x0200, 4); }},
        {"Unable to VerifyMemory",
         [](kv::CDravik& p) { return p.VerifyMemory(buffer, 0x0200, 4); }},
        {"Unable to perform ReadMemory",
         [](kv::CDravik& p) { return p.ReadMemory(buffer, 0x0200, 4); }},
        {"Unable to perform WriteRegister",
         [](kv::CDravik& p) { return p.WriteRegister(5, 0x1234); }},
        {"Unable to perform ReadRegister",
         [](kv::CDravik& p) {
             uint32_t value = 0;
             return p.ReadRegister(5, value);
         }},
        {"Unable to perform Reset", [](kv::CDravik& p) { return p.Reset(7, 0, 0); }},
        {"Unable to perform Run", [](kv::CDravik& p) { return p.Run(NANDREL_RUN_FREE, 0); }},
        {"Unable to perform State",
         [](kv::CDravik& p) {
             int32_t state = 0;
             uint32_t cycles = 0;
             return p.State(state, 0, cycles);
         }},
        {"Unable to perform BlowFuse", [](kv::CDravik& p) { return p.BlowFuse(); }},
    };
}

// Without a chip behind the pod every target operation fails; the wrapper's
// text names the operation, the library's error number and its text.
TEST_F(DravikTest, FailingTargetCallsReportTheLibraryNumberAndText) {
    plug();
    ASSERT_EQ(pod.Reopen(), 1) << pod.GetErrorText();
    int failures = 0;
    int withCause = 0;
    for (const TargetCall& c : NumberedCalls()) {
        SCOPED_TRACE(c.prefix);
        if (c.call(pod) != 0) continue;  // an operation that works without a chip
        ++failures;
        const int32_t number = pod.GetLastErrorNumber();
        EXPECT_NE(number, 0);
        // The library's text is its table text, then ":\n" and what failed
        // when it knows; that cause follows the table text.
        const std::string table = Nandrel_ErrorString(number);
        const std::string detail = Nandrel_GetLastTargetError(pod.GetTargetHandle());
        ASSERT_EQ(detail.rfind(table, 0), 0u) << detail;
        const std::string cause = detail == table ? "" : detail.substr(table.size() + 2);
        if (!cause.empty()) {
            EXPECT_EQ(detail.substr(table.size(), 2), ":\n");
            ++withCause;
        }
        EXPECT_EQ(pod.GetErrorText(), std::string(c.prefix) + " (" + std::to_string(number) +
                                          ")\n" + table + (cause.empty() ? "" : "\n" + cause));
        if (detail.find("not implemented") != std::string::npos) {
            EXPECT_EQ(number, 34);
            EXPECT_EQ(pod.GetErrorText(),
                      std::string(c.prefix) +
                          " (34)\nNot supported by selected Interface or Interface is not "
                          "initialized\n" +
                          cause);
        }
    }
    EXPECT_GT(failures, 0);
}

TEST_F(DravikTest, EmulationAndFeatureFailuresCarryTheTargetText) {
    plug();
    ASSERT_EQ(pod.Reopen(), 1) << pod.GetErrorText();
    uint32_t length = 5;
    EXPECT_EQ(pod.QueryTargetFeature(0x12345678, nullptr, 0, &length), 0);
    EXPECT_EQ(pod.GetErrorText(),
              "Unable to query target feature 0x12345678\nUnrecognized target feature 0x12345678");

    struct Case {
        const char* prefix;
        std::function<int()> call;
    };
    uint16_t handle = 0;
    BreakpointRecord breakpoint{};
    const Case cases[] = {
        {"Unable to initialize EEM\n", [&] { return pod.InitEEM(nullptr, 0, nullptr); }},
        {"Unable to close EEM\n", [&] { return pod.CloseEEM(); }},
        {"Unable to set breakpoint\n", [&] { return pod.SetBreakpoint(&handle, &breakpoint); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.prefix);
        if (c.call() != 0) continue;
        const std::string detail = Nandrel_GetLastTargetError(pod.GetTargetHandle());
        EXPECT_EQ(pod.GetErrorText(), c.prefix + detail);
        if (detail.find("not implemented") != std::string::npos) {
            EXPECT_EQ(pod.GetLastErrorNumber(), 34);
        }
    }
}

TEST_F(DravikTest, OpenClearsTheRecordedErrorNumber) {
    plug();
    ASSERT_EQ(pod.Reopen(), 1);
    ASSERT_EQ(pod.SetVCC(3601), 0) << "above the pod's range";
    ASSERT_EQ(pod.GetLastErrorNumber(), 3);
    // Success leaves the number alone.
    std::string text;
    EXPECT_EQ(pod.GetSerialNumber(text), 1);
    EXPECT_NE(pod.GetLastErrorNumber(), 0);
    ASSERT_EQ(pod.Reopen(), 1);
    EXPECT_EQ(pod.GetLastErrorNumber(), 0);
}

TEST_F(DravikTest, TakingTheTextLeavesTheWrapperEmpty) {
    EXPECT_EQ(pod.OpenJTAG(), 0);
    std::string text;
    pod.GetLastError(text);
    EXPECT_EQ(text, "NULL Dravik target encountered during OpenJTAG");
    EXPECT_EQ(pod.GetErrorText(), "");
}

TEST_F(DravikTest, ClosedWrapperFailsEveryTargetCallWithItsOwnText) {
    EXPECT_EQ(pod.OpenJTAG(), 0);
    EXPECT_EQ(pod.GetErrorText(), "NULL Dravik target encountered during OpenJTAG");
    EXPECT_EQ(pod.CloseJTAG(0), 0);
    EXPECT_EQ(pod.GetErrorText(), "NULL Dravik target encountered during CloseJTAG");
    EXPECT_EQ(pod.RegisterHWND(nullptr, 1024, 0), 0);
    EXPECT_EQ(pod.GetErrorText(), "Unable to Register HWND with closed Dravik");
    for (const TargetCall& c : NumberedCalls()) {
        if (std::string(c.prefix).find("JTAG") != std::string::npos) continue;
        SCOPED_TRACE(c.prefix);
        EXPECT_EQ(c.call(pod), 0);
        EXPECT_EQ(pod.GetErrorText(), "NULL Dravik target");
    }
    int flag = -1;
    EXPECT_EQ(pod.HasVpp(flag), 0);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(pod.GetErrorText(), "NULL Dravik target");
    int adjustable = -1;
    uint32_t vcc = 0;
    EXPECT_EQ(pod.GetVccRange(adjustable, vcc), 0);
    EXPECT_EQ(adjustable, 0);
    EXPECT_EQ(vcc, 3000u);
    uint32_t returned = 0;
    EXPECT_EQ(pod.QueryPortFeature(NANDREL_FEATURE_VCC, nullptr, 0, returned), 0);
    EXPECT_EQ(pod.GetErrorText(), "NULL Dravik port");
    EXPECT_EQ(pod.InitEEM(nullptr, 0, nullptr), 0);
    EXPECT_EQ(pod.GetErrorText(), "NULL Dravik target");
    EXPECT_EQ(pod.GetLastErrorNumber(), 0);
    EXPECT_EQ(Nandrel_IsOpen(), 0) << "no library call was made";
}

TEST(DravikDefaults, ReadOutFileName) {
    EXPECT_EQ(kv::g_strDefaultReadFile, "MyFile.txt");
}

}  // namespace
