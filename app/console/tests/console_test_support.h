// The console programmer in the test's process, run as start-up, run and
// shutdown in steps, so that what the simulated devices show between the run
// and the shutdown can be checked.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "program_fixture.h"

namespace kv::testing {

class ConsoleProgramTest : public ProgramTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A version-2 project of the processor with the commands; its path.
    std::string WriteProject(const std::string& processor, const std::string& commands,
                             const std::string& name = "run.kvnset");
    // Start-up and the run of the project on the simulated devices of the
    // configuration, then the shutdown; the exit code. What the devices show
    // between run and shutdown is kept below.
    int RunOnce(const std::string& simConfig, const std::string& path);
    // The program's folder becomes the test's own: bin/'s configuration files
    // and the simulator's loader patch as PATCH.TXT, so that a chip with a
    // 1.10 loader moves data (the build never puts that patch beside the
    // programs). The patch's first write, in bytes (what the loader is sent).
    std::uint32_t UseProgramFolderWithPatch();

    // Called with the simulated devices before the run, for faults.
    std::function<void(sim::SimBackend&)> prepare;
    int vccAfterRun = -1;
    bool adapterSuppliedDuringRun = false;
    bool adapterSupplyAfterRun = false;
};

}  // namespace kv::testing
