// A run's devices through the real wrappers, against the simulated pod on the
// USB stand-in: the pod opens only when needed, the processor's emulation
// module is bound to it, and a missing device fails the open with its text.
#include <gtest/gtest.h>

#include <memory>

#include "kelvane/core/dravik.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_backend.h"

namespace kv {
namespace {

// Switches the target supply through the run's pod.
class SupplyCommand : public CProjectTreeItem {
  public:
    SupplyCommand() {
        elementName_ = "Dravik_VCC";
        treeLabel_ = "VCC = 3.0v";
    }
    int GetRequiredInterfaces(int* podNeeded, int* /*adapterNeeded*/) override {
        *podNeeded = 1;
        return 1;
    }
    int OnExecute(CExecuteParams* params) override {
        params->AdvanceProgress(progressUnits_);
        boundDuringRun = params->GetEmulationModule() != nullptr &&
                         params->GetEmulationModule()->GetPod() != nullptr;
        CDravik* pod = params->GetDravik();
        if (pod == nullptr) return Fail("NULL Dravik during CCommandDravik_VCC::OnExecute");
        if (!pod->SetVCC(3000)) return Fail(pod->TakeLastError());
        params->SetVcc(3000);
        return 1;
    }
    int AttachDialog(UiWindow*, const UiRect&) override { return 1; }
    void ResetContents() override {}
    CProjectTreeItem* CreateNew() override { return new SupplyCommand; }
    void LoadDialog() override {}
    void ClearDialog() override {}
    void ShowDialog() override {}
    void HideDialog() override {}

    bool boundDuringRun = false;
};

class ExecuteParamsSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        usb::setBackend(backend);
        previousBox_ = setMessageBoxHandler(
            [](const std::string&, const std::string&, unsigned) { return kIdOk; });
        processor.Name = "MSP430F169";
        processor.nEMEX = 2;
    }
    void TearDown() override {
        usb::setBackend(nullptr);
        setMessageBoxHandler(previousBox_);
        SetPodInUse(0);
    }

    void Plug() {
        sim::PodConfig config;
        config.serial = 1234;
        backend->plug(std::make_shared<sim::DravikPod>(config));
    }

    ManualClock manual{1000};
    ScopedClock scope{manual};
    std::shared_ptr<sim::SimBackend> backend = std::make_shared<sim::SimBackend>();
    MessageBoxHandler previousBox_;
    CPrgProcessor processor;
};

TEST_F(ExecuteParamsSimTest, RunsThroughTheOpenedPodAndReleasesIt) {
    Plug();
    CPrgOperation operation(nullptr);
    auto* command = new SupplyCommand;
    operation.GetCommands().Add(command);
    int pod = 0, adapter = 0;
    ASSERT_EQ(operation.GetRequiredInterfaces(&pod, &adapter), 1);
    EXPECT_EQ(pod, 1);
    EXPECT_EQ(adapter, 0);

    CExecuteParams params;
    ASSERT_EQ(params.Open(&processor, 3300, nullptr, nullptr, nullptr, "Run", 2, pod, adapter), 1)
        << params.GetLastError();
    EXPECT_EQ(GetPodInUse(), 1);
    ASSERT_NE(params.GetDravik(), nullptr);
    EXPECT_EQ(params.GetDravik()->IsOpen(), 1);
    EXPECT_EQ(params.GetTovrin(), nullptr);
    EXPECT_EQ(params.GetEmulationModule(), processor.GetEmulationModule());

    EXPECT_EQ(params.GetPodErrorNumber(), 0);
    EXPECT_EQ(operation.Execute(&params), 1) << operation.GetLastError();
    EXPECT_TRUE(command->boundDuringRun);
    EXPECT_EQ(params.GetVcc(), 3000u) << "the command's supply reached the run";
    EXPECT_EQ(params.GetPodErrorNumber(), 0);

    params.Close();
    EXPECT_EQ(params.GetDravik(), nullptr);
    EXPECT_EQ(processor.GetEmulationModule()->GetPod(), nullptr);
}

TEST_F(ExecuteParamsSimTest, WithoutAPodTheOpenFailsWithTheWrappersText) {
    SetPodInUse(1);
    CExecuteParams params;
    EXPECT_EQ(params.Open(&processor, 3300, nullptr, nullptr, nullptr, "Run", 1, 1, 0), 0);
    EXPECT_EQ(params.GetLastError(), "Unable to open Dravik\nCould not open port 0");
    EXPECT_EQ(GetPodInUse(), 0);
}

TEST_F(ExecuteParamsSimTest, WithoutAnAdapterTheOpenFailsAndThePodIsReleased) {
    Plug();
    CExecuteParams params;
    EXPECT_EQ(params.Open(&processor, 3300, nullptr, nullptr, nullptr, "Run", 1, 1, 1), 0);
    EXPECT_EQ(params.GetLastError().rfind("Unable to open Tovrin\n", 0), 0u)
        << params.GetLastError();
    EXPECT_EQ(params.GetDravik(), nullptr);
    EXPECT_EQ(processor.GetEmulationModule()->GetPod(), nullptr);
}

TEST_F(ExecuteParamsSimTest, ANeedlessRunOpensNoDevice) {
    CExecuteParams params;
    EXPECT_EQ(params.Open(&processor, 3300, nullptr, nullptr, nullptr, "Run", 1, 0, 0), 1);
    EXPECT_EQ(params.GetDravik(), nullptr);
    EXPECT_EQ(params.GetEmulationModule(), nullptr);
    EXPECT_EQ(GetPodInUse(), 0);
}

}  // namespace
}  // namespace kv
