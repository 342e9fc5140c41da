// The console programmer in the test's process: the real command library,
// the real application object and simulated devices behind the USB stand-in.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "kelvane/platform/clock.h"
#include "kelvane/sim/sim_backend.h"
#include "project_test_support.h"

namespace kv::testing {

class ConsoleProgramTest : public ::testing::Test {
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

    // Called with the simulated devices before the run, for faults.
    std::function<void(sim::SimBackend&)> prepare;
    ManualClock manual{1000};
    std::unique_ptr<ScopedClock> scope;
    std::shared_ptr<sim::SimBackend> backend;
    TempFolder folder;
    TempFolder config;
    std::string startDir;
    std::string out;
    int vccAfterRun = -1;
    bool adapterSuppliedDuringRun = false;
    bool adapterSupplyAfterRun = false;
};

}  // namespace kv::testing
