// Helpers of the project and application tests: a temporary folder, file
// access, recording command classes and a scripted message box.
#pragma once

#include <string>
#include <vector>

#include "engine_test_support.h"
#include "kelvane/core/command_factory.h"

namespace kv::testing {

// A fresh folder below the system's temporary folder, removed afterwards.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);

// A command that keeps every creation argument, joined by "|", and stores
// them as its one attribute "strArgs". A run with "modify" among the
// arguments marks the run as having changed the project; "unwritable" makes
// it fail to be saved.
class ArgsCommand : public TestCommand {
  public:
    explicit ArgsCommand(const std::string& element, std::string arguments = {})
        : TestCommand(element), args(std::move(arguments)) {}
    CProjectTreeItem* CreateNew() override { return new ArgsCommand(elementName_); }
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;
    int OnExecute(CExecuteParams* params) override;
    std::string args;
};

// Registers ArgsCommand classes under the names; each class declares an
// empty element with the one attribute.
void RegisterArgsCommands(const std::vector<std::string>& names);
// Registers, in their order, the children of the CommandList declaration of
// a project file's text, "+" ones as required in every list, as classes
// that have nothing but their name: the list a program registers, which
// RegisterArgsCommands then fills in place.
void RegisterCommandListOf(const std::string& projectText);
// The element name and arguments of every command in the list.
std::vector<std::string> Describe(CPrgOperation* list);

// Answers message boxes from a script and records what they showed.
class ScriptedBoxes {
  public:
    explicit ScriptedBoxes(std::vector<int> answers = {});
    ~ScriptedBoxes();
    std::vector<std::string> texts;
    std::vector<unsigned> types;

  private:
    std::vector<int> answers_;
};

}  // namespace kv::testing
