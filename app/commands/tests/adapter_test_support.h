// Helpers of the command tests: a run context over recording outlets, the
// simulated adapter and loader on an F149 chip model, and saving one command
// into a project file and loading it back through the command factory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/project_access.h"
#include "kelvane/core/project_tree_item.h"
#include "tovrin_bench.h"

namespace kv::cmdtest {

class Log : public LogWindow {
  public:
    void Append(const std::string& text) override { text_ += text; }
    void NewLine() override { text_ += "\n"; }
    const std::string& Text() const { return text_; }
    void Clear() { text_.clear(); }

  private:
    std::string text_;
};

class Bar : public ProgressBar {
  public:
    void SetRange(int, int) override {}
    void SetPos(int position) override { positions.push_back(position); }
    std::vector<int> positions;
};

class Status : public StatusBar {
  public:
    void SetText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// A file name in the temporary folder that no other test uses.
std::string TestPath(const std::string& name);

// The F149's processor record.
CPrgProcessor F149Processor();

class Project : public ProjectAccess {
  public:
    std::string GetName() const override { return "Board"; }
    void SetName(const std::string&) override {}
    std::string GetTargetProcessorName() const override { return processor; }
    void SetTargetProcessorName(const std::string& value) override { processor = value; }
    std::uint32_t GetVcc() const override { return 3300; }
    void SetVcc(std::uint32_t) override {}
    CPrgOperation* GetCommandList() override { return nullptr; }
    std::string processor = "MSP430F149";
};

// Makes the project and its file the commands' own while it lives.
class ProjectFileScope {
  public:
    ProjectFileScope(ProjectAccess* project, const std::string& file);
    ~ProjectFileScope();
    ProjectFileScope(const ProjectFileScope&) = delete;
    ProjectFileScope& operator=(const ProjectFileScope&) = delete;
};

// Registers every command class and fills the keyword maps once.
void RegisterAll();

// The text of a project file holding the command, written the way a save
// writes it, and the command read back from it (nullptr with the text).
std::string SaveText(CProjectTreeItem& command, const std::string& path);
std::unique_ptr<CProjectTreeItem> LoadBack(const std::string& path, std::string& error);
// Loads the first command of a file with the given CommandList content.
std::unique_ptr<CProjectTreeItem> LoadElement(const std::string& element, std::string& error);
// The part of a file text from the start tag of the element to its end tag.
std::string ElementText(const std::string& fileText, const std::string& element);
// The DTD lines of a file text that mention the element.
std::string Declarations(const std::string& fileText, const std::string& element);

// A run context with the adapter opened on the simulated F149.
class AdapterRun {
  public:
    explicit AdapterRun(const kv::sim::DeviceProfile& device = DefaultDevice(),
                        bool openAdapter = true);
    ~AdapterRun();
    static kv::sim::DeviceProfile DefaultDevice();

    // Runs a command through the Execute template.
    int Run(CProjectTreeItem& command) { return command.Execute(&params); }
    // Seizes the target and sends the blank password.
    void Seize();

    wrapperstest::TovrinBench bench;
    CPrgProcessor processor;
    Log log;
    Bar bar;
    Status status;
    CExecuteParams params;
};

}  // namespace kv::cmdtest
