#include "program_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../register_commands.h"
#include "kelvane/app/app_message_box.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/app/profile_settings.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_adapter_target.h"

namespace kv::testing {

namespace fs = std::filesystem;

void ProgramTest::SetUp() {
    ::unsetenv("KELVANE_USB");
    startDir_ = fs::current_path().string();
    const std::string base = ::testing::TempDir() + "kelvane_program_" +
                             std::to_string(::getpid()) + "_" +
                             ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder_ = base + "/project";
    config_ = base + "/config";
    fs::remove_all(base);
    fs::create_directories(folder_);
    fs::create_directories(config_);
    ::setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
    GetAppProfile().Clear();
    UnregisterCommandClasses();
    RegisterConsoleCommands();
    SetModuleDirectory(KELVANE_BIN_DIR);
    usb::setBackend(backend);
}

void ProgramTest::TearDown() {
    ExpectNoRuleBreaks();
    usb::setBackend(nullptr);
    setMessageBoxHandler({});
    SetConsoleModeFlag(false);
    UnregisterCommandClasses();
    SetModuleDirectory("");
    SetPodInUse(0);
    std::error_code ignored;
    fs::current_path(startDir_, ignored);
    fs::remove_all(fs::path(folder_).parent_path(), ignored);
}

void ProgramTest::Plug(const std::string& simConfig) {
    std::string error;
    ASSERT_TRUE(sim::configureSimBackend(simConfig, *backend, &error)) << error;
}

void ProgramTest::ExpectNoRuleBreaks() {
    if (!backend) return;
    if (auto pod = backend->findAs<sim::DravikPod>(sim::kDravikDescription); pod && pod->chip()) {
        EXPECT_EQ(pod->chip()->reportRuleBreaks(), 0u) << "flash rules broken on the pod's chip";
    }
    if (auto adapter = backend->findAs<sim::AdapterWithChip>(sim::TovrinAdapter::kDescription)) {
        EXPECT_EQ(adapter->chip().reportRuleBreaks(), 0u)
            << "flash rules broken on the adapter's chip";
    }
}

sim::Chip& ProgramTest::PodChip() {
    auto pod = backend->findAs<sim::DravikPod>(sim::kDravikDescription);
    EXPECT_NE(pod, nullptr);
    return *pod->chip();
}

sim::Chip& ProgramTest::AdapterChip() {
    auto adapter = backend->findAs<sim::AdapterWithChip>(sim::TovrinAdapter::kDescription);
    EXPECT_NE(adapter, nullptr);
    return adapter->chip();
}

int ProgramTest::Run(const std::string& commandLine) {
    ::testing::internal::CaptureStdout();
    CKelvaneApp app;
    const int code = app.Main("/opt/kelvane/CmdLineKelvane", commandLine);
    out = ::testing::internal::GetCapturedStdout();
    return code;
}

std::string ProgramTest::Project(const std::string& vcc, const std::string& commands,
                                 const std::string& processor) {
    return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
           "<ProjectKelvane nFileVersion=\"2\" nFileSubVersion=\"0\" strName=\"Board\" "
           "strTargetProcessor=\"" +
           processor + "\" dwVCC=\"" + vcc + "\">\n<CommandList>\n" + commands +
           "</CommandList>\n</ProjectKelvane>\n";
}

std::string RegisterCommand(const std::string& command, const std::string& reg,
                            const std::string& value) {
    return "<" + command + " wRegister=\"" + reg + "\" dwValue=\"" + value + "\"></" + command +
           ">\n";
}

std::string SetBreakpointCommand(const std::string& address) {
    return "<Dravik_SetBreakpoint nBreakpointIndex=\"0\" wMode=\"BP_CODE\" dwAddress=\"" + address +
           "\" wType=\"BP_MAB\" dwRegister=\"0x00000004\" wAccess=\"BP_FETCH\" wAction=\"BP_BRK\" "
           "wOperator=\"BP_EQUAL\" dwMask=\"0x00000000\" dwEndAddress=\"0x00000000\" "
           "wRangeAction=\"BP_INSIDE\" wCondition=\"BP_NO_COND\" dwData=\"0x00000000\" "
           "wConditionAccess=\"BP_FETCH\" dwConditionMask=\"0x00000000\" "
           "wConditionOperator=\"BP_EQUAL\" wExtCombine=\"0\"></Dravik_SetBreakpoint>\n";
}

std::string ProgramTest::Write(const std::string& name, const std::string& text) const {
    const std::string path = Path(name);
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string ProgramTest::Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ProgramTest::Element(const std::string& text, const std::string& name) {
    const std::size_t start = text.find("<" + name + " ");
    if (start == std::string::npos) return {};
    const std::string end = "</" + name + " >";
    const std::size_t stop = text.find(end, start);
    if (stop == std::string::npos) return {};
    return text.substr(start, stop + end.size() - start);
}

unsigned ProgramTest::Word(sim::Chip& chip, std::uint32_t address) {
    return chip.peek16(address);
}

}  // namespace kv::testing
