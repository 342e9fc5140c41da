#include "console_test_support.h"

#include <algorithm>
#include <filesystem>

#include "kelvane/app/app_message_box.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/core/text_hex_file.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/tovrin.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/project/prg_project.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_adapter_target.h"

namespace kv::testing {

void ConsoleProgramTest::SetUp() {
    ProgramTest::SetUp();
    SetPodInUse(0);
}

void ConsoleProgramTest::TearDown() {
    SetCurrentProjectHandler({});
    ProgramTest::TearDown();
}

std::string ConsoleProgramTest::WriteProject(const std::string& processor,
                                             const std::string& commands, const std::string& name) {
    return Write(name, Project("3000", commands, processor));
}

std::uint32_t ConsoleProgramTest::UseProgramFolderWithPatch() {
    namespace fs = std::filesystem;
    const fs::path program = Path("program");
    fs::create_directories(program);
    for (const char* name : {"ProcessorList.xml", "Serializers.xml", "Overlays.xml"})
        fs::copy_file(fs::path(KELVANE_BIN_DIR) / name, program / name,
                      fs::copy_options::overwrite_existing);
    fs::copy_file(KELVANE_SIM_PATCH_FILE, program / "PATCH.TXT",
                  fs::copy_options::overwrite_existing);
    SetModuleDirectory(program.string());
    // The patch is written in pieces of up to 128 bytes, each made even.
    CTextHexFile patch;
    EXPECT_EQ(patch.Open((program / "PATCH.TXT").string(), CHexImageFile::kModeRead), 1)
        << patch.GetLastError();
    const CHexBlock* first = patch.GetBlock(0);
    const std::uint32_t bytes = first != nullptr ? std::min<std::uint32_t>(first->GetCount(), 128) : 0;
    patch.Close();
    return (bytes + 1) & ~1u;
}

int ConsoleProgramTest::RunOnce(const std::string& simConfig, const std::string& path) {
    ExpectNoRuleBreaks();
    backend = std::make_shared<sim::SimBackend>();
    Plug(simConfig);
    if (prepare) prepare(*backend);
    usb::setBackend(backend);
    // Every run is a process of its own: nothing the adapter wrapper kept
    // (the password, the line registers) carries over.
    CTovrin::ResetProcessState();
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
