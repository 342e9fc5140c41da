// The command factory: DTD declarations of the registered classes, creation
// by element name, loading a command list from a project file, prototypes,
// creation with parameters and the property pages.
#include <gtest/gtest.h>
#include <unistd.h>

#include <caprel/caprel.h>

#include <fstream>

#include "engine_test_support.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/stdio_xml_file.h"

namespace kv::testing {
namespace {

class CommandFactoryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FailingCommands().clear();
        UnregisterCommandClasses();
        RegisterTestCommands(BuiltInCommandNames());
        RegisterTestCommands({"Dravik_State"});
        // Loaded from files only: the class has no prototype.
        CommandClass state = *FindCommandClass("Dravik_State");
        state.createDefault = nullptr;
        RegisterCommandClass(state);
    }
    void TearDown() override {
        Close_Caprel();
        DestroyCommandPrototypes();
        UnregisterCommandClasses();
    }

    std::string Path(const std::string& name) {
        // ctest runs the cases as parallel processes: one name per process.
        return ::testing::TempDir() + std::to_string(getpid()) + "-" + name;
    }

    // The root element of a file with the given text.
    std::int32_t Load(const std::string& text) {
        std::string path = Path("factory_test.kvnset");
        std::ofstream(path) << text;
        EXPECT_EQ(Open_Caprel(path.c_str(), 0), 1);
        return GetRootElement_Caprel();
    }

    // Writes a project file the way a save does.
    std::string Save(CPrgOperation& operation) {
        CStdioXMLFile file;
        std::string path = Path("factory_save.kvnset");
        EXPECT_EQ(file.Open(path), 1);
        file.ClearDeclarations();
        file.WriteHeader("ProjectKelvane");
        file.BeginElementDecl("CommandList");
        DeclareCommandListChildren(file);
        file.EndElementDecl();
        EXPECT_EQ(DeclareCommandElements(file), 1);
        EXPECT_EQ(DeclareCommandAttlists(file), 1);
        file.WriteText("]>\n");
        file.OpenElement("ProjectKelvane", true);
        file.EndStartTag(true);
        EXPECT_EQ(operation.SaveCommandList(file), 1) << operation.GetLastError();
        file.CloseElement("ProjectKelvane", true);
        EXPECT_EQ(file.Close(), 1) << file.GetLastError();
        return path;
    }
};

TEST_F(CommandFactoryTest, CommandListDeclaresEveryRegisteredClassInItsOrder) {
    CStdioXMLFile file;
    ASSERT_EQ(file.Open(Path("children.kvnset")), 1);
    file.BeginElementDecl("CommandList");
    ASSERT_EQ(DeclareCommandListChildren(file), 1);
    file.EndElementDecl();
    const std::string& text = file.GetText();
    EXPECT_EQ(text.rfind("\t<!ELEMENT CommandList (\n\t\tComment*,\n\t\tDravik_BlowFuse*,\n", 0),
              0u);
    EXPECT_NE(text.find("\t\tDravik_Close+,\n"), std::string::npos);
    EXPECT_NE(text.find("\t\tDravik_Open+,\n"), std::string::npos);
    EXPECT_NE(text.find("\t\tTovrin_SeizeTarget*,\n\t\tDravik_State*)>\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 20);
    EXPECT_EQ(CommandElementNames().size(), 19u);
    EXPECT_EQ(CommandElementNames().back(), "Dravik_State");
    file.Abort();
}

TEST_F(CommandFactoryTest, ProgramFileIsDeclaredBeforeThePodReadCommands) {
    CStdioXMLFile file;
    ASSERT_EQ(file.Open(Path("decl.kvnset")), 1);
    ASSERT_EQ(DeclareCommandElements(file), 1);
    const std::string& text = file.GetText();
    std::size_t program = text.find("Dravik_ProgramFile");
    EXPECT_LT(text.find("Dravik_Open"), program);
    EXPECT_LT(program, text.find("Dravik_ReadRangeToFile"));
    EXPECT_LT(text.find("Dravik_ReadRangeToFile"), text.find("Dravik_ReadProcessorToFile"));
    // Each element once per file.
    ASSERT_EQ(DeclareCommandElements(file), 1);
    EXPECT_EQ(text.find("Dravik_ProgramFile", program + 1), std::string::npos);
    file.Abort();
}

TEST_F(CommandFactoryTest, CreatesByExactElementName) {
    std::unique_ptr<CProjectTreeItem> open(CreateCommandByName("Dravik_Open"));
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->GetElementName(), "Dravik_Open");
    EXPECT_EQ(CreateCommandByName("dravik_open"), nullptr);
    EXPECT_EQ(CreateCommandByName("Tovrin_Unknown"), nullptr);
}

TEST_F(CommandFactoryTest, SavedCommandListLoadsBackInOrder) {
    TestProject project;
    CPrgOperation saved(&project);
    saved.GetCommands().Add(new TestCommand("Dravik_Open", 3000));
    saved.GetCommands().Add(new TestCommand("Dravik_State", 7));
    saved.GetCommands().Add(new TestCommand("Dravik_Close", 1));
    std::string path = Save(saved);

    ASSERT_EQ(Open_Caprel(path.c_str(), 0), 1);
    std::int32_t list = GetFirstNamedChildElement_Caprel(GetRootElement_Caprel(), "CommandList");
    ASSERT_NE(list, -1);
    CPrgOperation loaded(&project);
    loaded.GetCommands().Add(new TestCommand("Comment"));
    ASSERT_EQ(loaded.LoadCommandList(list), 1) << loaded.GetLastError();
    ASSERT_EQ(loaded.GetCommands().GetSize(), 3);
    const char* names[] = {"Dravik_Open", "Dravik_State", "Dravik_Close"};
    std::uint32_t values[] = {3000, 7, 1};
    for (int i = 0; i < 3; ++i) {
        auto* command = static_cast<TestCommand*>(loaded.GetCommands().GetAt(i));
        EXPECT_EQ(command->GetElementName(), names[i]);
        EXPECT_EQ(command->value, values[i]);
    }
}

TEST_F(CommandFactoryTest, AnUnknownElementStopsTheLoad) {
    std::int32_t root = Load(
        "<CommandList >\n<Dravik_Open \tdwValue=\"3300\"></Dravik_Open >\n"
        "<dravik_open \tdwValue=\"3300\"></dravik_open >\n</CommandList >\n");
    ASSERT_NE(root, -1);
    CPrgOperation operation(nullptr);
    EXPECT_EQ(operation.LoadCommandList(root), 0);
    EXPECT_EQ(operation.GetLastError(), "Unable to open command 'dravik_open'");
    EXPECT_EQ(operation.GetCommands().GetSize(), 1);

    std::string error;
    EXPECT_EQ(LoadCommandFromXML(error, nullptr, root), 0);
    EXPECT_EQ(error, "Unable to load commands to NULL array");
}

TEST_F(CommandFactoryTest, AFailedReadDiscardsTheCommand) {
    std::int32_t root = Load(
        "<CommandList >\n<Dravik_Open \tdwValue=\"many\"></Dravik_Open >\n"
        "</CommandList >\n");
    CArrayProjectTreeItem array;
    std::string error;
    EXPECT_EQ(LoadCommandFromXML(error, &array, GetFirstChildElement_Caprel(root)), 0);
    EXPECT_EQ(error,
              "Unable to convert dwValue value many to DWORD (element Dravik_Open on line 2); "
              "expected a decimal number");
    EXPECT_EQ(array.GetSize(), 0);
}

TEST_F(CommandFactoryTest, ElementNamesAreCheckedCaseSensitively) {
    std::int32_t root = Load("<dravik_open \tdwValue=\"1\"></dravik_open >\n");
    TestCommand open("Dravik_Open");
    EXPECT_EQ(open.ReadXML(root), 0);
    EXPECT_EQ(open.GetLastError(), "Cannot open command named 'dravik_open'");
    EXPECT_EQ(open.ReadXML(-1), 0);
    EXPECT_EQ(open.GetLastError(), "Cannot open NULL command");
}

TEST_F(CommandFactoryTest, PrototypesFollowTheListAndLeaveOutLoadOnlyCommands) {
    std::string error;
    ASSERT_EQ(CreateCommandPrototypes(error), 1) << error;
    CArrayProjectTreeItem* prototypes = GetCommandPrototypes();
    ASSERT_NE(prototypes, nullptr);
    std::vector<std::string> names;
    for (int i = 0; i < prototypes->GetSize(); ++i)
        names.push_back(prototypes->GetAt(i)->GetElementName());
    EXPECT_EQ(names.front(), "Comment");
    EXPECT_EQ(std::count(names.begin(), names.end(), "Dravik_State"), 0);
    EXPECT_LT(std::find(names.begin(), names.end(), "Dravik_ProgramFile"),
              std::find(names.begin(), names.end(), "Dravik_ReadRangeToFile"));
    EXPECT_EQ(names.back(), "Tovrin_SeizeTarget");
    CPrgOperation operation(nullptr);
    EXPECT_EQ(operation.GetChildPrototypes(), prototypes);

    FailingCommands().insert("create Dravik_Close");
    EXPECT_EQ(CreateCommandPrototypes(error), 0);
    EXPECT_EQ(error, "Cannot create Dravik_Close");
    EXPECT_EQ(GetCommandPrototypes(), prototypes) << "the old list stays";
}

TEST_F(CommandFactoryTest, AppendFunctionsPassParametersAndTexts) {
    CArrayProjectTreeItem array;
    std::string error;
    ASSERT_EQ(AppendOpenCommand(error, &array, 2500), 1);
    ASSERT_EQ(AppendCloseCommand(error, &array, 5), 1);
    EXPECT_EQ(static_cast<TestCommand*>(array.GetAt(0))->value, 2500u);
    EXPECT_EQ(static_cast<TestCommand*>(array.GetAt(1))->value, 1u);
    EXPECT_EQ(AppendVccCommand(error, nullptr, 0), 0);
    EXPECT_EQ(error, "Unable to add command to NULL array");
    FailingCommands().insert("create Dravik_Erase");
    EXPECT_EQ(AppendEraseCommand(error, &array, "ERASE_ALL", 0x1000, 1), 0);
    EXPECT_EQ(error, "Cannot create Dravik_Erase");
    EXPECT_EQ(array.GetSize(), 2);
}

TEST_F(CommandFactoryTest, InitialisersRunUntilTheFirstFailure) {
    std::vector<std::string> ran;
    for (const char* name : {"Dravik_Erase", "Dravik_Reset", "Tovrin_WriteFile"}) {
        CommandClass commandClass =
            *FindCommandClass(name == std::string("Tovrin_WriteFile") ? "Dravik_Open" : name);
        commandClass.elementName = name;
        commandClass.initEnumTable = [&ran, name](std::string& error) {
            ran.push_back(name);
            if (name == std::string("Dravik_Reset")) {
                error = "Unable to build reset methods";
                return 0;
            }
            return 1;
        };
        RegisterCommandClass(commandClass);
    }
    std::string error;
    EXPECT_EQ(InitCommandTypes(error), 0);
    EXPECT_EQ(error, "Unable to build reset methods");
    EXPECT_EQ(ran, (std::vector<std::string>{"Dravik_Erase", "Dravik_Reset"}));
}

TEST_F(CommandFactoryTest, PropertyPagesAreMadeAllOrNone) {
    std::vector<std::string> pages;
    for (const char* name : {"Comment", "Dravik_Open", "Tovrin_PowerOff"}) {
        CommandClass commandClass = *FindCommandClass(name);
        commandClass.createPropertyPage = [&pages, name](UiWindow*, const UiRect&) {
            if (name == std::string("Tovrin_PowerOff")) return 0;
            pages.push_back(name);
            return 1;
        };
        commandClass.destroyPropertyPage = [&pages, name]() {
            pages.erase(std::find(pages.begin(), pages.end(), name));
            return 1;
        };
        RegisterCommandClass(commandClass);
    }
    std::string error;
    EXPECT_EQ(CreateCommandPropertyPages(nullptr, UiRect{}, error), 0);
    EXPECT_EQ(error, "Unable to create the property page of Tovrin_PowerOff");
    EXPECT_TRUE(pages.empty());
}

}  // namespace
}  // namespace kv::testing
