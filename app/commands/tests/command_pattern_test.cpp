// What every class of the library shares: the factory records, the class
// pages, spawning copies, and a project's command list written with the
// generated DTD and read back.
#include <gtest/gtest.h>

#include <algorithm>

#include <caprel/caprel.h>

#include "command_test_support.h"
#include "kelvane/commands/command_page.h"
#include "kelvane/commands/current_project.h"
#include "kelvane/commands/dravik_erase.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/commands/dravik_program_file.h"
#include "kelvane/commands/dravik_vcc.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/stdio_xml_file.h"

namespace kv::testing {
namespace {

using CommandPattern = CommandTest;

const std::vector<std::string> kClasses = {
    "Dravik_Open",           "Dravik_Close",      "Dravik_VCC",
    "Dravik_Identify",       "Dravik_Configure",  "Dravik_LockA",
    "Dravik_ConfigFuse",     "Dravik_BlowFuse",   "Dravik_Erase",
    "Dravik_ProgramFile",    "Dravik_VerifyFile", "Dravik_ReadProcessorToFile",
    "Dravik_ReadRangeToFile"};

class FakePage : public PropertyPage {
  public:
    explicit FakePage(std::vector<std::string>& events) : events_(events) {}
    ~FakePage() override { events_.push_back("destroyed"); }
    void SetItem(CProjectTreeItem* item) override {
        item_ = item;
        events_.push_back(item != nullptr ? "load " + item->GetTreeLabel() : "clear");
    }
    CProjectTreeItem* GetItem() const override { return item_; }
    void Show(bool show) override { events_.push_back(show ? "show" : "hide"); }
    bool Attach(UiWindow*, const UiRect&) override {
        events_.push_back("attach");
        return true;
    }
    void Refresh() override { events_.push_back("refresh"); }

  private:
    std::vector<std::string>& events_;
    CProjectTreeItem* item_ = nullptr;
};

TEST_F(CommandPattern, EveryClassIsRegisteredAndCreatesItself) {
    for (const std::string& name : kClasses) {
        SCOPED_TRACE(name);
        const CommandClass* commandClass = FindCommandClass(name);
        ASSERT_NE(commandClass, nullptr);
        std::unique_ptr<CProjectTreeItem> command(CreateCommandByName(name));
        ASSERT_NE(command, nullptr);
        EXPECT_EQ(command->GetElementName(), name);
        int pod = 0, adapter = 0;
        command->GetRequiredInterfaces(&pod, &adapter);
        EXPECT_EQ(pod, 1);
        EXPECT_EQ(adapter, 0);
        if (commandClass->createDefault) {
            std::string error;
            std::unique_ptr<CProjectTreeItem> prototype(commandClass->createDefault(error));
            ASSERT_NE(prototype, nullptr) << error;
            std::unique_ptr<CProjectTreeItem> copy(prototype->Spawn());
            ASSERT_NE(copy, nullptr);
            EXPECT_EQ(copy->GetTreeLabel(), prototype->GetTreeLabel());
            EXPECT_EQ(copy->GetGroup(), prototype->GetGroup());
            EXPECT_EQ(copy->GetLastError(), "");
            EXPECT_EQ(SavedElement(*copy), SavedElement(*prototype));
        }
    }
}

TEST_F(CommandPattern, CreateChecksItsArguments) {
    std::string error;
    CArrayProjectTreeItem list;
    EXPECT_EQ(AppendEraseCommand(error, &list, "ERASE_SEGMENT", 0xF800, 0x200), 1) << error;
    EXPECT_EQ(AppendProgramFileCommand(error, &list, "app.txt", "FILETYPE_TI_TXT", 1), 1);
    EXPECT_EQ(AppendOpenCommand(error, &list, 3300), 1);
    EXPECT_EQ(AppendBlowFuseCommand(error, &list), 1);
    EXPECT_EQ(list.GetSize(), 4);
    EXPECT_EQ(AppendCommand(error, &list, "Dravik_Erase", {std::string("ERASE_MAIN")}), 0);
    EXPECT_EQ(error, "Missing or wrong parameter 2 for CCommandDravik_Erase::Create");
    EXPECT_EQ(AppendEraseCommand(error, &list, "ERASE_NONE", 0, 0), 0);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(list.GetSize(), 4);
}

TEST_F(CommandPattern, OnePagePerClassShowsTheSelectedCommand) {
    std::vector<std::string> events;
    std::vector<std::string> made;
    auto previous = SetCommandPageFactory([&](const std::string& element) {
        made.push_back(element);
        return std::make_unique<FakePage>(events);
    });
    std::string error;
    ASSERT_EQ(CreateCommandPropertyPages(nullptr, UiRect{}, error), 1) << error;
    // Every registered class with a page, and only those.
    for (const char* pageless : {"Dravik_Configure", "Dravik_ConfigFuse", "Dravik_State"})
        EXPECT_EQ(std::count(made.begin(), made.end(), pageless), 0) << pageless;
    EXPECT_EQ(std::count(made.begin(), made.end(), "Dravik_Open"), 1);
    EXPECT_EQ(std::count(made.begin(), made.end(), "Dravik_ReadMemory"), 1);

    std::unique_ptr<CCommandDravik_VCC> vcc(CCommandDravik_VCC::Create(error, 0));
    std::unique_ptr<CCommandDravik_VCC> other(CCommandDravik_VCC::Create(error, 3000));
    struct Pane : PropertiesPane {
        void SetTitle(const std::string& text) override { title = text; }
        void Show(bool) override {}
        std::string title;
    } pane;
    SetPropertiesWindow(&pane);
    events.clear();
    EXPECT_EQ(vcc->AttachDialog(nullptr, UiRect{}), 1);
    SetPropertiesItem(vcc.get());
    EXPECT_EQ(pane.title, "VCC Off Properties");
    other->PropagateVCC(2500);
    EXPECT_EQ(pane.title, "VCC Off Properties") << "another command's label is not the title";
    vcc->SetVCC(2000);
    EXPECT_EQ(pane.title, "VCC = 2.0v Properties");
    SetPropertiesItem(nullptr);
    SetPropertiesWindow(nullptr);
    EXPECT_EQ(events, (std::vector<std::string>{"attach", "load VCC Off", "show", "hide", "clear"}))
        << "the page shows only the selected command";

    DestroyCommandPropertyPages();
    EXPECT_EQ(CCommandDravik_VCC::DestroyPropertyPage(), 0);
    EXPECT_EQ(vcc->AttachDialog(nullptr, UiRect{}), 0);
    SetCommandPageFactory(previous);
}

TEST_F(CommandPattern, ACommandListRoundTripsThroughAProjectFile) {
    CPrgOperation operation(nullptr);
    std::string error;
    CArrayProjectTreeItem& list = operation.GetCommands();
    ASSERT_EQ(AppendOpenCommand(error, &list, 3300), 1);
    ASSERT_EQ(AppendIdentifyCommand(error, &list, 1), 1);
    ASSERT_EQ(AppendLockACommand(error, &list, 0), 1);
    ASSERT_EQ(AppendEraseCommand(error, &list, "ERASE_SEGMENT", 0xF800, 0x200), 1);
    ASSERT_EQ(AppendProgramFileCommand(error, &list, "app.txt", "FILETYPE_INTEL_HEX", 1), 1);
    ASSERT_EQ(AppendDefaultCommand(error, &list, "Dravik_ReadRangeToFile"), 1);
    ASSERT_EQ(AppendVccCommand(error, &list, 0), 1);
    ASSERT_EQ(AppendCloseCommand(error, &list, 1), 1);

    CStdioXMLFile file;
    const std::string path = Path("project.kvnset");
    ASSERT_EQ(file.Open(path), 1);
    file.ClearDeclarations();
    file.WriteHeader("ProjectKelvane");
    file.BeginElementDecl("ProjectKelvane");
    file.AddElementChild("CommandList", 0);
    file.EndElementDecl();
    file.BeginElementDecl("CommandList");
    DeclareCommandListChildren(file);
    file.EndElementDecl();
    ASSERT_EQ(DeclareCommandElements(file), 1);
    ASSERT_EQ(DeclareCommandAttlists(file), 1);
    file.WriteText("]>\n");
    file.OpenElement("ProjectKelvane", true);
    file.EndStartTag(true);
    ASSERT_EQ(operation.SaveCommandList(file), 1) << operation.GetLastError();
    file.CloseElement("ProjectKelvane", true);
    ASSERT_EQ(file.Close(), 1) << file.GetLastError();

    // As the program does, the file being read is the commands' project file:
    // their file names are relative to it.
    ProjectAccess* const previousProject = GetCommandProject();
    const std::string previousFile = GetCommandProjectFile();
    SetCommandProject(&project, path);
    ASSERT_EQ(Open_Caprel(path.c_str(), 0), 1);
    const std::int32_t root = GetRootElement_Caprel();
    const std::int32_t commandList = GetFirstChildElement_Caprel(root);
    CPrgOperation loaded(nullptr);
    const int loadedOk = loaded.LoadCommandList(commandList);
    SetCommandProject(previousProject, previousFile);
    ASSERT_EQ(loadedOk, 1) << loaded.GetLastError();
    ASSERT_EQ(loaded.GetCommands().GetSize(), list.GetSize());
    for (int i = 0; i < list.GetSize(); ++i) {
        EXPECT_EQ(loaded.GetCommands().GetAt(i)->GetTreeLabel(), list.GetAt(i)->GetTreeLabel());
        EXPECT_EQ(SavedElement(*loaded.GetCommands().GetAt(i)), SavedElement(*list.GetAt(i)));
    }
}

}  // namespace
}  // namespace kv::testing
