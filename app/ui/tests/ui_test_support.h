// Shared set-up of the window tests: an offscreen application, the engine's
// test commands, the shipped processor list and a scripted message box.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "doc_kelvane.h"
#include "engine_test_support.h"
#include "kelvane/platform/message_box.h"

namespace kv::ui::testing {

void EnsureApplication();

// Records message boxes and answers from a queue (then the default answer).
class ScriptedMessages {
  public:
    ScriptedMessages();
    ~ScriptedMessages();
    ScriptedMessages(const ScriptedMessages&) = delete;
    ScriptedMessages& operator=(const ScriptedMessages&) = delete;

    std::vector<std::string> texts;
    std::deque<int> answers;

  private:
    MessageBoxHandler previous_;
};

// A project of the test commands with a real processor.
class TestDocumentProject : public kv::testing::TestProject, public DocumentProject {
  public:
    TestDocumentProject();
    ~TestDocumentProject() override;

    std::string GetName() const override { return TestProject::GetName(); }
    void SetName(const std::string& value) override { TestProject::SetName(value); }
    std::string GetTargetProcessorName() const override {
        return TestProject::GetTargetProcessorName();
    }
    void SetTargetProcessorName(const std::string& value) override {
        TestProject::SetTargetProcessorName(value);
    }
    std::uint32_t GetVcc() const override { return TestProject::GetVcc(); }
    void SetVcc(std::uint32_t value) override { TestProject::SetVcc(value); }
    CPrgOperation* GetCommandList() override { return TestProject::GetCommandList(); }

    int PopulateTree(TreeCtrl* tree, std::string& error) override;
    CPrgProcessor* FindProcessor(std::string& error) override;

    // Appends a test command to the list.
    kv::testing::TestCommand* AddCommand(const std::string& element, const std::string& label);

    std::unique_ptr<CPrgOperation> list;
};

class UiTest : public ::testing::Test {
  protected:
    // Widgets of the fixtures need the application before they are made.
    UiTest() { EnsureApplication(); }
    void SetUp() override;
    void TearDown() override;

    ScriptedMessages messages;
    kv::testing::FakeDevices devices;
};

}  // namespace kv::ui::testing
