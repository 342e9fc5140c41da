#include "ui_test_support.h"

#include <QApplication>

#include "app_state.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/project_tree_item.h"

namespace kv::ui::testing {

void EnsureApplication() {
    if (QApplication::instance() != nullptr) return;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "kelvane_ui_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

ScriptedMessages::ScriptedMessages() {
    previous_ = setMessageBoxHandler(
        [this](const std::string& text, const std::string& /*caption*/, unsigned type) {
            texts.push_back(text);
            if (answers.empty()) return defaultAnswer(type);
            int answer = answers.front();
            answers.pop_front();
            return answer;
        });
}

ScriptedMessages::~ScriptedMessages() {
    setMessageBoxHandler(std::move(previous_));
}

TestDocumentProject::TestDocumentProject()
    : list(std::make_unique<CPrgOperation>(static_cast<TestProject*>(this))) {
    commandList = list.get();
}

TestDocumentProject::~TestDocumentProject() {
    SetPropertiesItem(nullptr);
    list->ClearCommands();
}

int TestDocumentProject::PopulateTree(TreeCtrl* tree, std::string& error) {
    tree->DeleteAllItems();
    if (list->InsertIntoTree(tree, kTreeRoot, kTreeLast) == kTreeNone) {
        error = list->TakeError();
        return 0;
    }
    tree->Expand(list->GetTreeHandle());
    return 1;
}

CPrgProcessor* TestDocumentProject::FindProcessor(std::string& error) {
    CPrgProcessor* found = FindProcessorByName(processor);
    if (found == nullptr) error = "Unable to find processor '" + processor + "'";
    return found;
}

kv::testing::TestCommand* TestDocumentProject::AddCommand(const std::string& element,
                                                          const std::string& label) {
    auto* command = new kv::testing::TestCommand(element);
    command->SetLabel(label);
    list->GetCommands().Add(command);
    return command;
}

void UiTest::SetUp() {
    EnsureApplication();
    kv::testing::Trace().clear();
    kv::testing::FailingCommands().clear();
    UnregisterCommandClasses();
    std::vector<std::string> names = kv::testing::BuiltInCommandNames();
    names.push_back("Comment");
    kv::testing::RegisterTestCommands(names);
    std::string error;
    ASSERT_EQ(CProjectTreeItem::InitBooleanMap(), 1);
    ASSERT_EQ(InitCommandTypes(error), 1) << error;
    ASSERT_EQ(LoadProcessorTable(std::string(KELVANE_DATA_DIR) + "/ProcessorList.xml"), 1);
    ASSERT_EQ(CreateCommandPrototypes(error), 1) << error;
    SetBusyFlag(0);
    GetAppGlobals() = AppGlobals{};
    GetReadSettings() = ReadSettings{};
    SetPodInUse(0);
}

void UiTest::TearDown() {
    SetPropertiesItem(nullptr);
    SetPropertiesWindow(nullptr);
    DestroyBuiltInOperations();
    DestroyCommandPrototypes();
    DestroyProcessorTable();
    UnregisterCommandClasses();
    SetPodInUse(0);
    SetBusyFlag(0);
}

}  // namespace kv::ui::testing
