// The emulation module over a scripted pod: breakpoint counts per level, the
// lazy opening of the EEM, run, single-step and stop, and the failure texts;
// on a part without EEM over the real library and the simulated pod.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/core/dravik.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_backend.h"

namespace kv {
namespace {

class ScriptedPod : public CEmulationPod {
  public:
    int InitEEM(NandrelEemCallback callback, std::uint32_t clientValue,
                const EemMessageNumbers* messages) override {
        calls.push_back("InitEEM");
        initArgumentsEmpty = callback == nullptr && clientValue == 0 && messages == nullptr;
        return Result("Unable to initialize EEM\nno pod");
    }
    int CloseEEM() override {
        calls.push_back("CloseEEM");
        return Result("Unable to close EEM\nno pod");
    }
    int SetBreakpoint(std::uint16_t* handle, const BreakpointRecord* definition) override {
        calls.push_back("SetBreakpoint " + std::to_string(*handle));
        records.push_back(*definition);
        if (!Result("Unable to set breakpoint\nno pod")) return 0;
        if (*handle == 0) *handle = nextHandle++;
        return 1;
    }
    int Run(std::int32_t mode, std::int32_t releaseJTAG) override {
        calls.push_back("Run " + std::to_string(mode) + " " + std::to_string(releaseJTAG));
        return Result("Unable to perform Run (17)\nno pod");
    }
    int State(std::int32_t* state, std::int32_t stop, std::uint32_t* cycles) override {
        calls.push_back("State " + std::to_string(stop) + " at " +
                        std::to_string(clock().tickCount()));
        *cycles = 0;
        *state = states.empty() ? 0 : states.front();
        if (!states.empty()) states.pop_front();
        return Result("Unable to perform State (4)\nno pod");
    }
    std::string TakeLastError() override { return std::exchange(error, std::string()); }

    std::vector<std::string> calls;
    std::vector<BreakpointRecord> records;
    std::deque<std::int32_t> states;
    bool failNext = false;
    bool initArgumentsEmpty = false;
    std::uint16_t nextHandle = 0x21;
    std::string error = "No error";

  private:
    int Result(const char* text) {
        if (!failNext) return 1;
        failNext = false;
        error = text;
        return 0;
    }
};

class EmulationModuleTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (std::int32_t level = 0; level < 4; ++level)
            GetEmulationModule(level)->Close();
    }

    CEmulationModule& Bound(std::int32_t level) {
        CEmulationModule& module = *GetEmulationModule(level);
        EXPECT_EQ(module.Open(&pod_), 1);
        return module;
    }

    std::string Error(CEmulationModule& module) {
        std::string text;
        module.GetLastError(text);
        return text;
    }

    ManualClock clock_;
    ScopedClock scopedClock_{clock_};
    ScriptedPod pod_;
    BreakpointRecord breakpoint_{};
};

TEST_F(EmulationModuleTest, LevelsHaveTheirBreakpointCounts) {
    EXPECT_EQ(GetEmulationModule(0)->GetBreakpointCount(), 0);
    EXPECT_EQ(GetEmulationModule(1)->GetBreakpointCount(), 2);
    EXPECT_EQ(GetEmulationModule(2)->GetBreakpointCount(), 3);
    EXPECT_EQ(GetEmulationModule(3)->GetBreakpointCount(), 8);
    EXPECT_EQ(GetEmulationModule(-1), nullptr);
    EXPECT_EQ(GetEmulationModule(4), nullptr);
    // One shared instance per level.
    EXPECT_EQ(GetEmulationModule(2), GetEmulationModule(2));
    EXPECT_NE(dynamic_cast<CEmulationModule_High*>(GetEmulationModule(3)), nullptr);

    CMapParameterXML levels;
    AddEmulationLevels(levels);
    std::int32_t value = -1;
    ASSERT_EQ(levels.ParseLONG("EMEX_HIGH", &value), 1);
    EXPECT_EQ(value, 3);
    ASSERT_EQ(levels.ParseLONG("EMEX_NONE", &value), 1);
    EXPECT_EQ(value, 0);
}

// A part without EEM behind the real library on the simulated pod: the
// breakpoint operations are refused without a word to the pod; single-step,
// run and stop reach the CPU through the library, and no EEM is opened.
TEST(EmulationModuleWithoutEem, NoBreakpointsButRunStepAndStopWork) {
    ManualClock clock{1000};
    ScopedClock scopedClock{clock};
    auto backend = std::make_shared<sim::SimBackend>();
    usb::setBackend(backend);
    sim::PodConfig config;
    config.chip = "Prototype_MSP430F11x1";
    auto device = std::make_shared<sim::DravikPod>(config);
    backend->plug(device);
    CDravik dravik;
    ASSERT_EQ(dravik.Reopen(), 1) << dravik.GetErrorText();
    std::string name;
    ASSERT_TRUE(dravik.SetVCC(3000) && dravik.OpenJTAG() && dravik.Identify(name))
        << dravik.GetErrorText();
    // 0200 mov #5A80h,&0120h; 0206 jmp $
    const std::uint8_t program[] = {0xB2, 0x40, 0x80, 0x5A, 0x20, 0x01, 0xFF, 0x3F};
    ASSERT_EQ(dravik.WriteMemory(program, 0x0200, sizeof program), 1) << dravik.GetErrorText();
    ASSERT_EQ(dravik.WriteRegister(0, 0x0200), 1) << dravik.GetErrorText();
    auto pc = [&] {
        std::uint32_t value = 0;
        EXPECT_EQ(dravik.ReadRegister(0, value), 1) << dravik.GetErrorText();
        return value;
    };

    CEmulationModule& module = *GetEmulationModule(0);
    ASSERT_EQ(module.Open(&dravik.EmulationPod()), 1);
    const std::size_t commands = device->records().size();
    BreakpointRecord breakpoint{};
    EXPECT_EQ(module.SetBreakpoint(0, &breakpoint), 0);
    EXPECT_EQ(module.GetLastErrorText(), "The selected processor does not support EEM breakpoints");
    EXPECT_EQ(module.ClearBreakpoint(0), 0);
    EXPECT_EQ(module.GetLastErrorText(), "The selected processor does not support EEM breakpoints");
    EXPECT_EQ(device->records().size(), commands);

    ASSERT_EQ(module.SingleStep(), 1) << module.GetLastErrorText();
    EXPECT_EQ(pc(), 0x0206u);
    ASSERT_EQ(module.Run(0), 1) << module.GetLastErrorText();
    ASSERT_EQ(module.Stop(), 1) << module.GetLastErrorText();
    EXPECT_EQ(pc(), 0x0206u);
    ASSERT_EQ(module.Run(1), 1) << module.GetLastErrorText();
    ASSERT_EQ(module.Stop(), 1) << module.GetLastErrorText();
    EXPECT_FALSE(module.IsEEMOpen());
    for (std::uint8_t eemCommand : {224, 226, 230, 232, 234})
        EXPECT_EQ(device->count(eemCommand), 0u) << int{eemCommand};

    module.Close();
    dravik.Close();
    usb::setBackend(nullptr);
}

TEST_F(EmulationModuleTest, IndexBeyondTheLevelIsRefused) {
    CEmulationModule& module = Bound(1);
    EXPECT_EQ(module.SetBreakpoint(2, &breakpoint_), 0);
    EXPECT_EQ(Error(module), "The selected processor supports a maximum of 2 EEM breakpoints");
    EXPECT_EQ(module.SetBreakpoint(-1, &breakpoint_), 0);
    EXPECT_EQ(Error(module), "The selected processor supports a maximum of 2 EEM breakpoints");
    EXPECT_EQ(module.SetBreakpoint(1, nullptr), 0);
    EXPECT_EQ(Error(module), "Cannot set NULL breakpoint");
    EXPECT_TRUE(pod_.calls.empty());

    breakpoint_.address = 0xF010;
    ASSERT_EQ(module.SetBreakpoint(1, &breakpoint_), 1);
    EXPECT_EQ(pod_.calls, (std::vector<std::string>{"InitEEM", "SetBreakpoint 0"}));
    EXPECT_EQ(pod_.records.back().address, 0xF010u);
    EXPECT_EQ(module.GetBreakpointHandle(1), 0x21);
}

TEST_F(EmulationModuleTest, SettingAgainReusesTheHandleAndClearingForgetsIt) {
    CEmulationModule& module = Bound(3);
    EXPECT_EQ(module.ClearBreakpoint(7), 0);
    EXPECT_EQ(Error(module), "The selected breakpoint is already clear");
    // The EEM was opened before the handle was checked.
    EXPECT_EQ(pod_.calls, (std::vector<std::string>{"InitEEM"}));

    ASSERT_EQ(module.SetBreakpoint(7, &breakpoint_), 1);
    ASSERT_EQ(module.SetBreakpoint(7, &breakpoint_), 1);
    ASSERT_EQ(module.ClearBreakpoint(7), 1);
    EXPECT_EQ(pod_.calls, (std::vector<std::string>{"InitEEM", "SetBreakpoint 0",
                                                    "SetBreakpoint 33", "SetBreakpoint 33"}));
    const BreakpointRecord& clearing = pod_.records.back();
    EXPECT_EQ(clearing.mode, 0u);
    EXPECT_EQ(clearing.address, 0xFC00u);
    EXPECT_EQ(clearing.registerNumber, 4u);
    EXPECT_EQ(clearing.mask, 0xFFFFu);
    EXPECT_EQ(clearing.endAddress, 0xFC02u);
    EXPECT_EQ(clearing.conditionMask, 0xFFFFu);
    EXPECT_EQ(clearing.combination, 0u);
    EXPECT_EQ(module.GetBreakpointHandle(7), 0);
    EXPECT_EQ(module.ClearBreakpoint(7), 0);
    EXPECT_EQ(Error(module), "The selected breakpoint is already clear");
}

TEST_F(EmulationModuleTest, EemOpensOnceUntilClosed) {
    CEmulationModule& module = Bound(2);
    ASSERT_EQ(module.Run(1), 1);
    ASSERT_EQ(module.Stop(), 1);
    ASSERT_EQ(module.CloseEEM(), 1);
    ASSERT_EQ(module.CloseEEM(), 1);
    ASSERT_EQ(module.Run(0), 1);
    EXPECT_EQ(pod_.calls, (std::vector<std::string>{"InitEEM", "Run 3 0", "State 1 at 0",
                                                    "CloseEEM", "InitEEM", "Run 1 0"}));
}

TEST_F(EmulationModuleTest, BreakpointsSurviveCloseEemButNotAnotherOpen) {
    CEmulationModule& module = Bound(2);
    ASSERT_EQ(module.SetBreakpoint(0, &breakpoint_), 1);
    ASSERT_EQ(module.CloseEEM(), 1);
    // The library's handle died with the EEM; the breakpoint is remembered.
    EXPECT_EQ(module.GetBreakpointHandle(0), 0);
    EXPECT_TRUE(module.IsBreakpointSet(0));
    ASSERT_EQ(module.Close(), 1);
    EXPECT_EQ(module.GetPod(), nullptr);
    EXPECT_FALSE(module.IsEEMOpen());
    ASSERT_EQ(module.Open(&pod_), 1);
    EXPECT_FALSE(module.IsBreakpointSet(0));
}

TEST_F(EmulationModuleTest, CloseClosesTheOpenEem) {
    CEmulationModule& module = Bound(1);
    ASSERT_EQ(module.Stop(), 1);
    EXPECT_EQ(module.Close(), 1);
    EXPECT_EQ(pod_.calls.back(), "CloseEEM");
    // Opening again closes first; with no pod the module stays unbound.
    ASSERT_EQ(module.Open(&pod_), 1);
    EXPECT_EQ(module.Open(nullptr), 0);
    EXPECT_EQ(Error(module), "Cannot open Emulation Module with NULL Dravik");
    EXPECT_EQ(module.GetPod(), nullptr);
}

TEST_F(EmulationModuleTest, UnboundModuleNamesTheOperation) {
    CEmulationModule& module = *GetEmulationModule(3);
    module.Close();
    EXPECT_EQ(module.SetBreakpoint(0, &breakpoint_), 0);
    EXPECT_EQ(Error(module), "Cannot set breakpoint with NULL Dravik");
    EXPECT_EQ(module.ClearBreakpoint(0), 0);
    EXPECT_EQ(Error(module), "Cannot clear breakpoint with NULL Dravik");
    EXPECT_EQ(module.Run(0), 0);
    EXPECT_EQ(Error(module), "Cannot run with NULL Dravik");
    EXPECT_EQ(module.SingleStep(), 0);
    EXPECT_EQ(Error(module), "Cannot single-step with NULL Dravik");
    EXPECT_EQ(module.Stop(), 0);
    EXPECT_EQ(Error(module), "Cannot stop with NULL Dravik");
    EXPECT_EQ(module.EnterEmulation(), 0);
    EXPECT_EQ(Error(module), "Cannot initialize Emulation Module with NULL Dravik");
    EXPECT_EQ(module.GetLastErrorText(), "");
}

TEST_F(EmulationModuleTest, SingleStepChecksTheStateAroundTheStep) {
    clock_.set(1000);
    CEmulationModule& module = Bound(2);
    pod_.states = {0, 0};
    ASSERT_EQ(module.SingleStep(), 1);
    EXPECT_EQ(pod_.calls, (std::vector<std::string>{"InitEEM", "State 0 at 1000", "Run 2 0",
                                                    "State 0 at 1010"}));

    pod_.states = {1};
    EXPECT_EQ(module.SingleStep(), 0);
    EXPECT_EQ(Error(module), "Unable to single-step with running target");
    pod_.states = {0, 1};
    EXPECT_EQ(module.SingleStep(), 0);
    EXPECT_EQ(Error(module), "Single-step failed, target still running");
}

TEST_F(EmulationModuleTest, PodFailuresMoveThePodText) {
    CEmulationModule& module = Bound(2);
    pod_.failNext = true;
    EXPECT_EQ(module.Run(0), 0);
    EXPECT_EQ(Error(module), "Unable to initialize EEM\nno pod");
    EXPECT_EQ(pod_.error, "");
    EXPECT_FALSE(module.IsEEMOpen());

    ASSERT_EQ(module.EnterEmulation(), 1);
    pod_.failNext = true;
    EXPECT_EQ(module.SetBreakpoint(0, &breakpoint_), 0);
    EXPECT_EQ(Error(module), "Unable to set breakpoint\nno pod");
    EXPECT_EQ(module.GetBreakpointHandle(0), 0);

    pod_.failNext = true;
    EXPECT_EQ(module.Run(1), 0);
    EXPECT_EQ(Error(module), "Unable to perform Run (17)\nno pod");
    pod_.failNext = true;
    EXPECT_EQ(module.Stop(), 0);
    EXPECT_EQ(Error(module), "Unable to perform State (4)\nno pod");
    pod_.failNext = true;
    EXPECT_EQ(module.CloseEEM(), 0);
    EXPECT_EQ(Error(module), "Unable to close EEM\nno pod");
    EXPECT_FALSE(module.IsEEMOpen());
}

}  // namespace
}  // namespace kv
