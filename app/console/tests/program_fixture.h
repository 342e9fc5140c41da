// The console programmer as a user runs it: a project file written by hand,
// the real command library and start-up configuration, and the simulated
// pod (or adapter) with its chip on the USB stand-in.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/platform/clock.h"
#include "kelvane/sim/chip.h"
#include "kelvane/sim/sim_backend.h"

namespace kv::testing {

// Debug command elements: a register command (write, verify) of a register
// and value, a fetch breakpoint 0 at the address, an identification, and a
// run to the breakpoints that waits for the stop.
std::string RegisterCommand(const std::string& command, const std::string& reg,
                            const std::string& value);
std::string SetBreakpointCommand(const std::string& address);
inline const std::string kIdentify = "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n";
inline const std::string kRunToBreakpoint =
    "<Dravik_Run bRunToBreakpoint=\"TRUE\" bWaitForBreak=\"TRUE\" dwDwellMilliseconds=\"10\" "
    "dwRepeatMilliseconds=\"10\" wRepeatCount=\"5\"></Dravik_Run>\n";

// One attribute of an element of a project file (not of its DTD).
struct AttributeLine {
    std::size_t at;  // offset of the value in the file
    std::string element, name, value;
    int line;  // of the element's start tag
};

// Every attribute of the file's elements, in file order, as the writer lays
// them out (one per line).
std::vector<AttributeLine> AttributeLines(const std::string& text);
// Every "0x" value of the file's element texts (memory values, password
// words), as the writer lays them out: lines of values after the start tag.
struct TextToken {
    std::size_t at;  // offset of the token in the file
    std::string element, token;
    int line;  // of the element's start tag
};
std::vector<TextToken> TextTokens(const std::string& text);
// The choices the file's DTD declares, by "element/attribute".
std::map<std::string, std::vector<std::string>> DeclaredChoices(const std::string& text);

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Plugs the simulated devices named as KELVANE_USB=sim:<config> would.
    void Plug(const std::string& simConfig = "chip=MSP430F149");
    // A flash rule a simulated chip saw broken fails the run that broke it
    // (checked when the test ends and before a run replaces the devices).
    void ExpectNoRuleBreaks();
    // The chip behind the pod, or behind the adapter.
    sim::Chip& PodChip();
    sim::Chip& AdapterChip();

    // Runs CmdLineKelvane on the command line; returns its exit code and
    // keeps what it printed in `out`.
    int Run(const std::string& commandLine);

    // A version-2 project file with the given processor, VCC and commands.
    static std::string Project(const std::string& vcc, const std::string& commands,
                               const std::string& processor = "MSP430F149");
    std::string Write(const std::string& name, const std::string& text) const;
    static std::string Read(const std::string& path);
    std::string Path(const std::string& name) const { return folder_ + "/" + name; }
    const std::string& Folder() const { return folder_; }
    // The folder the program's settings go to (XDG_CONFIG_HOME).
    const std::string& ConfigFolder() const { return config_; }

    // The element of the file text from "<name" to its end tag.
    static std::string Element(const std::string& text, const std::string& name);
    // The 16-bit word of chip memory at the address.
    static unsigned Word(sim::Chip& chip, std::uint32_t address);

    ManualClock manual{1000};
    ScopedClock scope{manual};
    std::shared_ptr<sim::SimBackend> backend = std::make_shared<sim::SimBackend>();
    std::string out;

  private:
    std::string folder_;
    std::string config_;
    std::string startDir_;
};

}  // namespace kv::testing
