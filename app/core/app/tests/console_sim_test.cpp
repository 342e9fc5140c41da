// The console program through the real pod wrapper against the simulated pod:
// a failed run ends with the library's error number, a good one with 0.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "kelvane/app/app_message_box.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/app/profile_settings.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/sim_backend.h"
#include "project_test_support.h"

namespace kv::testing {
namespace {

// Powers the target and opens JTAG through the run's pod; with "identify"
// it also identifies the chip.
class OpenThroughPod : public ArgsCommand {
  public:
    OpenThroughPod() : ArgsCommand("Dravik_Open") {}
    CProjectTreeItem* CreateNew() override { return new OpenThroughPod; }
    int OnExecute(CExecuteParams* params) override {
        CDravik* pod = params->GetDravik();
        if (pod == nullptr) return Fail("NULL Dravik during CCommandDravik_Open::OnExecute");
        std::string name;
        const bool identify = args == "identify";
        if (!pod->SetVCC(3000) || !pod->OpenJTAG() || (identify && !pod->Identify(name))) {
            LastNumber() = pod->GetLastErrorNumber();
            return Fail(pod->TakeLastError());
        }
        return 1;
    }
    static int& LastNumber() {
        static int number = 0;
        return number;
    }
};

class ConsoleSimTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("KELVANE_USB", "none", 1);
        GetCurrentDirectoryString(startDir_);
        ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
        GetAppProfile().Clear();
        UnregisterCommandClasses();
        CommandClass open;
        open.elementName = "Dravik_Open";
        open.createNew = [] { return new OpenThroughPod; };
        RegisterCommandClass(open);
        SetModuleDirectory(KELVANE_BIN_DIR);
        OpenThroughPod::LastNumber() = 0;
    }
    void TearDown() override {
        usb::setBackend(nullptr);
        setMessageBoxHandler({});
        SetConsoleModeFlag(false);
        UnregisterCommandClasses();
        SetModuleDirectory("");
        SetPodInUse(0);
        std::string error;
        SetCurrentDirectoryChecked(startDir_, error);
    }
    int Run(const std::string& simConfig, const std::string& args) {
        std::string error;
        EXPECT_TRUE(sim::configureSimBackend(simConfig, *backend, &error)) << error;
        usb::setBackend(backend);
        const std::string path = folder.File("open.kvnset");
        WriteText(path,
                  "<ProjectKelvane nFileVersion=\"2\" strName=\"Open\" "
                  "strTargetProcessor=\"MSP430F149\" dwVCC=\"3000\">\n<CommandList>\n"
                  "<Dravik_Open strArgs=\"" +
                      args + "\"></Dravik_Open>\n</CommandList>\n</ProjectKelvane>\n");
        ::testing::internal::CaptureStdout();
        CKelvaneApp app;
        const int code = app.Main("/opt/kelvane/CmdLineKelvane", path);
        out = ::testing::internal::GetCapturedStdout();
        return code;
    }
    ManualClock manual{1000};
    ScopedClock scope{manual};
    std::shared_ptr<sim::SimBackend> backend = std::make_shared<sim::SimBackend>();
    TempFolder folder;
    TempFolder config;
    std::string startDir_;
    std::string out;
};

TEST_F(ConsoleSimTest, AFailedJtagOpenEndsWithTheLibrarysErrorNumber) {
    const int code = Run("chip=none", "identify");
    ASSERT_NE(OpenThroughPod::LastNumber(), 0) << out;
    EXPECT_EQ(code, OpenThroughPod::LastNumber()) << out;
    EXPECT_NE(out.find("Unable to complete operation.\nUnable to "), std::string::npos) << out;
    EXPECT_TRUE(out.ends_with("Operation failed\nResult = " + std::to_string(code) + "\n")) << out;
}

TEST_F(ConsoleSimTest, AGoodRunOnTheSimulatedChipEndsWithZero) {
    EXPECT_EQ(Run("chip=MSP430F149", ""), 0) << out;
    EXPECT_TRUE(out.ends_with("Operation succeeded\nResult = 0\n")) << out;
}

}  // namespace
}  // namespace kv::testing
