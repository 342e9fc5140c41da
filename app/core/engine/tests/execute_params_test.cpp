// The execution context: which devices a run opens, the pod-in-use flag,
// progress arithmetic and the outlets.
#include <gtest/gtest.h>

#include "engine_test_support.h"

namespace kv::testing {
namespace {

class ExecuteParamsTest : public ::testing::Test {
  protected:
    void TearDown() override { SetPodInUse(0); }

    int Open(int pod, int adapter, int total = 10) {
        return params.Open(FakeDevices::Processor(), 3300, &bar, &status, &log, "Build", total, pod,
                           adapter);
    }

    FakeDevices devices;
    RecordingBar bar;
    RecordingStatus status;
    RecordingLog log;
    CExecuteParams params;
};

TEST_F(ExecuteParamsTest, OpensOnlyWhatTheCommandsNeed) {
    ASSERT_EQ(Open(0, 0), 1);
    EXPECT_TRUE(devices.events.empty());
    EXPECT_EQ(params.GetEmulationModule(), nullptr);
    EXPECT_EQ(log.Text(), "\nStarting 'Build'\n");
    EXPECT_EQ(status.texts, std::vector<std::string>{"Starting 'Build'"});

    ASSERT_EQ(Open(1, 0), 1);
    EXPECT_EQ(devices.events, (std::vector<std::string>{"open pod", "bind module"}));
    EXPECT_NE(params.GetDravik(), nullptr);
    EXPECT_EQ(params.GetTovrin(), nullptr);
    EXPECT_NE(params.GetEmulationModule(), nullptr);
    EXPECT_EQ(GetPodInUse(), 1);

    devices.events.clear();
    ASSERT_EQ(Open(0, 1), 1);
    EXPECT_EQ(devices.events,
              (std::vector<std::string>{"close module", "close pod", "open adapter"}));
    EXPECT_EQ(params.GetDravik(), nullptr);
    EXPECT_NE(params.GetTovrin(), nullptr);

    devices.events.clear();
    params.Close();
    EXPECT_EQ(devices.events, std::vector<std::string>{"close adapter"});
    params.Close();
    EXPECT_EQ(devices.events.size(), 1u);
}

TEST_F(ExecuteParamsTest, AFailedPodOpenClearsThePodInUseFlag) {
    SetPodInUse(1);
    devices.podFails = true;
    EXPECT_EQ(Open(1, 1), 0);
    EXPECT_EQ(params.GetLastError(), "Unable to open Dravik\nNo pod attached");
    EXPECT_EQ(GetPodInUse(), 0);
    EXPECT_EQ(devices.events, std::vector<std::string>{"open pod"});
    EXPECT_EQ(log.Text(), "");
}

TEST_F(ExecuteParamsTest, AFailedAdapterOpenClosesThePodAgain) {
    devices.adapterFails = true;
    EXPECT_EQ(Open(1, 1), 0);
    EXPECT_EQ(params.GetLastError(), "Unable to open Tovrin\nNo adapter attached");
    EXPECT_EQ(devices.events, (std::vector<std::string>{"open pod", "open adapter", "close pod"}));
    EXPECT_EQ(params.GetDravik(), nullptr);
    EXPECT_EQ(GetPodInUse(), 1);
}

TEST_F(ExecuteParamsTest, EmulationModuleFailures) {
    devices.moduleMissing = true;
    EXPECT_EQ(Open(1, 0), 0);
    EXPECT_EQ(params.GetLastError(), "Unable to open NULL emulation module");
    EXPECT_EQ(params.GetDravik(), nullptr);
    devices.moduleMissing = false;
    devices.moduleFails = true;
    EXPECT_EQ(Open(1, 0), 0);
    EXPECT_EQ(params.GetLastError(), "Cannot open Emulation Module with NULL Dravik");
    EXPECT_EQ(params.GetEmulationModule(), nullptr);
}

TEST_F(ExecuteParamsTest, ANullProcessorOpensNothing) {
    EXPECT_EQ(params.Open(nullptr, 3300, nullptr, nullptr, nullptr, "X", 1, 1, 1), 0);
    EXPECT_EQ(params.GetLastError(), "Unable to open execution context with NULL processor");
    EXPECT_TRUE(devices.events.empty());
}

TEST_F(ExecuteParamsTest, PodErrorNumberIsOneWithoutAPod) {
    EXPECT_EQ(params.GetPodErrorNumber(), 1);
    devices.podErrorNumber = 42;
    ASSERT_EQ(Open(1, 0), 1);
    EXPECT_EQ(params.GetPodErrorNumber(), 42);
}

TEST_F(ExecuteParamsTest, ProgressIsInThousandthsOfAStep) {
    ASSERT_EQ(Open(0, 0, 8), 1);
    EXPECT_EQ(bar.low, 0);
    EXPECT_EQ(bar.high, 1000);
    params.AdvanceProgress(2);
    EXPECT_EQ(bar.positions.back(), 250);
    params.AdvanceProgress(8);
    EXPECT_EQ(params.GetPerMille(), 1250);
    EXPECT_EQ(bar.positions.back(), 1250);

    params.InitProgress(3, 4);
    EXPECT_EQ(bar.high, 3000);
    params.NextStep(10);
    params.SetStepProgress(5);
    EXPECT_EQ(bar.positions.back(), 1500);

    params.ResetProgress();
    EXPECT_EQ(params.GetStepCount(), 1);
    EXPECT_EQ(params.GetStepSize(), 100);
    EXPECT_EQ(bar.positions.back(), 0);
}

TEST_F(ExecuteParamsTest, AStepOfNoUnitsDoesNotDivideByZero) {
    ASSERT_EQ(Open(0, 0, 0), 1);
    params.AdvanceProgress(1);
    EXPECT_EQ(params.GetPerMille(), 1000);
}

TEST_F(ExecuteParamsTest, ModifiedFlagMarksTheDocument) {
    int marks = 0;
    DocumentModifiedHandler previous = SetDocumentModifiedHandler([&](int) { ++marks; });
    ASSERT_EQ(Open(0, 0), 1);
    params.SetModified(0);
    EXPECT_EQ(marks, 0);
    params.SetModified(1);
    EXPECT_EQ(marks, 1);
    EXPECT_EQ(params.GetModified(), 1);
    ASSERT_EQ(Open(0, 0), 1);
    EXPECT_EQ(params.GetModified(), 0);
    SetDocumentModifiedHandler(previous);
}

TEST_F(ExecuteParamsTest, ConsoleLogGoesToStandardOutputOnly) {
    StdoutLog console;
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(
        params.Open(FakeDevices::Processor(), 3300, nullptr, nullptr, &console, "Run", 1, 0, 0), 1);
    params.SetStatusText("ignored");
    params.Log("Open JTAG: ", false);
    params.Log("OK", true);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "\nStarting 'Run'\nOpen JTAG: OK\n");
}

}  // namespace
}  // namespace kv::testing
