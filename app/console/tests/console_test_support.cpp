#include "console_test_support.h"

#include <cstdlib>

#include "kelvane/app/app_message_box.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/app/profile_settings.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/project/prg_project.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_adapter_target.h"
#include "register_commands.h"

namespace kv::testing {

void ConsoleProgramTest::SetUp() {
    ::unsetenv("KELVANE_USB");
    scope = std::make_unique<ScopedClock>(manual);
    GetCurrentDirectoryString(startDir);
    ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    GetAppProfile().Clear();
    UnregisterCommandClasses();
    RegisterConsoleCommands();
    SetModuleDirectory(KELVANE_BIN_DIR);
    SetPodInUse(0);
}

void ConsoleProgramTest::TearDown() {
    usb::setBackend(nullptr);
    setMessageBoxHandler({});
    SetConsoleModeFlag(false);
    SetCurrentProjectHandler({});
    UnregisterCommandClasses();
    SetModuleDirectory("");
    SetPodInUse(0);
    std::string error;
    SetCurrentDirectoryChecked(startDir, error);
    scope.reset();
}

std::string ConsoleProgramTest::WriteProject(const std::string& processor,
                                             const std::string& commands, const std::string& name) {
    const std::string path = folder.File(name);
    WriteText(path,
              "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
              "<ProjectKelvane nFileVersion=\"2\" nFileSubVersion=\"0\" strName=\"Line\" "
              "strTargetProcessor=\"" +
                  processor + "\" dwVCC=\"3000\">\n<CommandList>\n" + commands +
                  "</CommandList>\n</ProjectKelvane>\n");
    return path;
}

int ConsoleProgramTest::RunOnce(const std::string& simConfig, const std::string& path) {
    backend = std::make_shared<sim::SimBackend>();
    std::string error;
    EXPECT_TRUE(sim::configureSimBackend(simConfig, *backend, &error)) << error;
    if (prepare) prepare(*backend);
    usb::setBackend(backend);
    ::testing::internal::CaptureStdout();
    int code = 0;
    {
        CKelvaneApp app;
        EXPECT_FALSE(app.InitInstance("/opt/kelvane/CmdLineKelvane", path));
        if (auto pod = backend->findAs<sim::DravikPod>(sim::kDravikDescription))
            vccAfterRun = pod->target().vcc();
        if (auto adapter =
                backend->findAs<sim::AdapterWithChip>(sim::TovrinAdapter::kDescription)) {
            adapterSupplyAfterRun = adapter->lines().supply;
            // Whether the run switched the supply on: a data-register write
            // with the supply bit.
            for (std::uint8_t command : adapter->commands())
                if ((command & 0xC0) == 0xC0 && (command & 0x10) != 0)
                    adapterSuppliedDuringRun = true;
        }
        code = app.ExitInstance();
    }
    out = ::testing::internal::GetCapturedStdout();
    return code;
}

}  // namespace kv::testing
