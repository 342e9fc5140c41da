#include "program_fixture.h"

#include <unistd.h>

#include <algorithm>
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
#include "kelvane/core/tovrin.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_adapter_target.h"

namespace kv::testing {

namespace fs = std::filesystem;

namespace {

// Calls `line` with each line of the text and its number, from 1.
template <class Line>
void ForEachLine(const std::string& text, Line line) {
    int number = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        line(text.substr(start, end - start), start, ++number);
        start = end + 1;
    }
}

// A line that opens an element names it (a child element starts right after
// its parent's start tag ends).
bool OpensElement(std::string& line, std::string& element) {
    if (line.rfind("><", 0) == 0) line.erase(0, 1);
    if (line.size() < 2 || line[0] != '<' || line[1] == '/' || line[1] == '!' || line[1] == '?')
        return false;
    element = line.substr(1, line.find(' ') - 1);
    return true;
}

}  // namespace

std::vector<AttributeLine> AttributeLines(const std::string& text) {
    std::vector<AttributeLine> lines;
    std::string element;
    int elementLine = 0;
    ForEachLine(text, [&](std::string line, std::size_t start, int number) {
        if (OpensElement(line, element)) {
            elementLine = number;
        } else if (line.size() > 1 && line[0] == '\t' && line[1] != '\t' && line[1] != '<') {
            const std::size_t equals = line.find("=\"");
            if (equals != std::string::npos)
                lines.push_back({start + equals + 2, element, line.substr(1, equals - 1),
                                 line.substr(equals + 2, line.size() - equals - 3), elementLine});
        }
    });
    return lines;
}

std::vector<TextToken> TextTokens(const std::string& text) {
    std::vector<TextToken> tokens;
    std::string element;
    int elementLine = 0;
    ForEachLine(text, [&](std::string line, std::size_t start, int number) {
        if (OpensElement(line, element)) {
            elementLine = number;
        } else if (line.rfind("0x", 0) == 0) {
            for (std::size_t at = 0; at < line.size();) {
                const std::size_t end = std::min(line.find(' ', at), line.size());
                if (end > at)
                    tokens.push_back({start + at, element, line.substr(at, end - at), elementLine});
                at = end + 1;
            }
        }
    });
    return tokens;
}

std::map<std::string, std::vector<std::string>> DeclaredChoices(const std::string& text) {
    std::map<std::string, std::vector<std::string>> choices;
    const std::string attlist = "\t<!ATTLIST ";
    std::string element;
    ForEachLine(text, [&](const std::string& line, std::size_t, int) {
        if (line.rfind(attlist, 0) == 0) element = line.substr(attlist.size());
        const std::size_t open = line.find(" (");
        if (line.rfind("\t\t", 0) != 0 || open == std::string::npos) return;
        std::vector<std::string>& list = choices[element + "/" + line.substr(2, open - 2)];
        std::stringstream items(line.substr(open + 2, line.find(')') - open - 2));
        for (std::string item; std::getline(items, item, '|');)
            list.push_back(item);
    });
    return choices;
}

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
    // Every run is a process of its own: nothing the adapter wrapper kept
    // (the password, the line registers) carries over.
    CTovrin::ResetProcessState();
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
