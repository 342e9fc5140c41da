// Shared fixture of the command tests: the command classes registered, a
// simulated pod with a chip on the USB stand-in, project files written and
// read back through the XML reader, and runs with recording outlets.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/core/execute_outlets.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/project_access.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_backend.h"

namespace kv::testing {

class RecordingLog : public LogWindow {
  public:
    void Append(const std::string& text) override { text_ += text; }
    void NewLine() override { text_ += "\n"; }
    const std::string& Text() const { return text_; }
    void Clear() { text_.clear(); }

  private:
    std::string text_;
};

class RecordingStatus : public StatusBar {
  public:
    void SetText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

class RecordingBar : public ProgressBar {
  public:
    void SetRange(int, int) override {}
    void SetPos(int position) override { positions.push_back(position); }
    std::vector<int> positions;
};

class TestProject : public ProjectAccess {
  public:
    std::string GetName() const override { return "Board"; }
    void SetName(const std::string&) override {}
    std::string GetTargetProcessorName() const override { return processor; }
    void SetTargetProcessorName(const std::string& value) override { processor = value; }
    std::uint32_t GetVcc() const override { return vcc; }
    void SetVcc(std::uint32_t value) override { vcc = value; }
    CPrgOperation* GetCommandList() override { return nullptr; }

    std::string processor = "MSP430F149";
    std::uint32_t vcc = 3300;
};

class CommandTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Plugs a pod with the chip profile ("" for none).
    std::shared_ptr<sim::DravikPod> Plug(const std::string& chip = "MSP430F149");

    // The element of the command written alone into a file (a temporary one
    // unless named) with its DTD declarations; the file's text.
    std::string Save(CProjectTreeItem& command, bool* ok = nullptr, const std::string& path = "");
    // The element text between "<Name" and "</Name >".
    std::string SavedElement(CProjectTreeItem& command);
    // The DTD lines the class declares.
    std::string Declarations(const std::string& elementName);
    // Loads the root element of the text as a command through the factory;
    // nullptr with the text in `error`.
    std::unique_ptr<CProjectTreeItem> Load(const std::string& text, std::string& error);
    // Save then Load.
    std::unique_ptr<CProjectTreeItem> RoundTrip(CProjectTreeItem& command);

    // Runs the commands (owned by the call) as an operation through a context
    // on the pod (processor: the F149 unless given); the result of the run.
    // The log and status collect what the commands wrote.
    int Run(std::vector<CProjectTreeItem*> commands, CPrgProcessor* processor = nullptr);

    std::string Path(const std::string& name) const;

    ManualClock manual{1000};
    ScopedClock scope{manual};
    std::shared_ptr<sim::SimBackend> backend = std::make_shared<sim::SimBackend>();
    MessageBoxHandler previousBox;
    std::vector<std::string> boxes;
    RecordingLog log;
    RecordingStatus status;
    RecordingBar bar;
    std::string runError;
    std::uint32_t runVcc = 0;
    // From the shipped processor list, loaded for every test.
    CPrgProcessor* f149 = nullptr;
    TestProject project;

  private:
    std::string directory_;
};

}  // namespace kv::testing
