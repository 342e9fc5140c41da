// The console program from the command line to the exit code: its printed
// messages with their automatic answers, the log and "Result = %d".
#include <gtest/gtest.h>

#include <cstdlib>

#include "kelvane/app/app_message_box.h"
#include "kelvane/app/console_runner.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/app/profile_settings.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/project/prg_project.h"
#include "project_test_support.h"

namespace kv::testing {
namespace {

const std::string kProgram = "/opt/kelvane/CmdLineKelvane";

std::string Project(const std::string& processor, const std::string& vcc,
                    const std::string& commands) {
    return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
           "<ProjectKelvane nFileVersion=\"2\" nFileSubVersion=\"0\" strName=\"Meter\" "
           "strTargetProcessor=\"" +
           processor + "\" dwVCC=\"" + vcc + "\">\n<CommandList>\n" + commands +
           "</CommandList>\n</ProjectKelvane>\n";
}

std::string Command(const std::string& element, const std::string& args = "") {
    return "<" + element + " strArgs=\"" + args + "\"></" + element + ">\n";
}

class ConsoleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("KELVANE_USB", "none", 1);
        GetCurrentDirectoryString(startDir_);
        ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
        GetAppProfile().Clear();
        UnregisterCommandClasses();
        RegisterArgsCommands({"Dravik_Open", "Dravik_Close", "Tovrin_PowerOff", "Comment"});
        SetModuleDirectory(KELVANE_BIN_DIR);
        FailingCommands().clear();
        GetAppGlobals().resultCode = 0;
    }
    void TearDown() override {
        setMessageBoxHandler({});
        SetConsoleModeFlag(false);
        UnregisterCommandClasses();
        FailingCommands().clear();
        SetModuleDirectory("");
        std::string error;
        SetCurrentDirectoryChecked(startDir_, error);
    }
    // Runs the program as the console program; returns the exit code.
    int Run(const std::string& commandLine) {
        ::testing::internal::CaptureStdout();
        CKelvaneApp app;
        const int code = app.Main(kProgram, commandLine);
        out = ::testing::internal::GetCapturedStdout();
        return code;
    }
    std::string Write(const std::string& text) {
        const std::string path = folder.File("meter.kvnset");
        WriteText(path, text);
        return path;
    }
    TempFolder folder;
    TempFolder config;
    FakeDevices devices;
    std::string startDir_;
    std::string out;
};

TEST_F(ConsoleTest, NoFileNamedPrintsTheUsage) {
    for (const char* line : {"", "  \"\"  \" \" "}) {
        EXPECT_EQ(Run(line), 3);
        EXPECT_EQ(out, "Usage:  CmdLineKelvane.exe YourFile.kvnset\nOK? <Auto OK>\nResult = 3\n");
    }
}

TEST_F(ConsoleTest, AProjectThatDoesNotOpenGivesThree) {
    const std::string path = folder.File("none.kvnset");
    EXPECT_EQ(Run(path), 3);
    EXPECT_EQ(out.rfind("Unable to open project " + path + "\n", 0), 0u) << out;
    EXPECT_TRUE(out.ends_with("\nOK? <Auto OK>\nResult = 3\n")) << out;
}

TEST_F(ConsoleTest, ASuccessfulRunLogsAndGivesZero) {
    const std::string path = Write(Project(
        "MSP430F149", "3000", Command("Dravik_Open", "0xBB8") + Command("Dravik_Close", "0x1")));
    // A quoted path with blanks around it.
    EXPECT_EQ(Run("\" " + path + " \""), 0) << out;
    EXPECT_EQ(Trace(), (std::vector<std::string>{"Dravik_Open(0)", "Dravik_Close(0)"}));
    EXPECT_NE(out.find("Operation succeeded\n"), std::string::npos) << out;
    EXPECT_TRUE(out.ends_with("Operation succeeded\nResult = 0\n")) << out;
    EXPECT_EQ(out.find("<Auto"), std::string::npos) << out;
    Trace().clear();
}

TEST_F(ConsoleTest, AFailedPodRunGivesThePodsLastErrorNumber) {
    const std::string path = Write(Project(
        "MSP430F149", "3000", Command("Dravik_Open", "0xBB8") + Command("Dravik_Close", "0x1")));
    FailingCommands().insert("Dravik_Close");
    devices.podErrorNumber = 57;
    EXPECT_EQ(Run(path), 57);
    EXPECT_NE(out.find("Unable to complete operation.\nDravik_Close failed\nOK? <Auto OK>\n"),
              std::string::npos)
        << out;
    EXPECT_TRUE(out.ends_with("Operation failed\nResult = 57\n")) << out;

    // A failure that no pod call caused is still a failure.
    devices.podErrorNumber = 0;
    EXPECT_EQ(Run(path), 1);
    EXPECT_TRUE(out.ends_with("Result = 1\n")) << out;
    Trace().clear();
}

TEST_F(ConsoleTest, AFailedAdapterRunGivesOne) {
    const std::string path = Write(Project("MSP430F149", "3000", Command("Tovrin_PowerOff")));
    FailingCommands().insert("Tovrin_PowerOff");
    devices.podErrorNumber = 57;
    EXPECT_EQ(Run(path), 1);
    EXPECT_NE(out.find("Unable to complete operation.\nTovrin_PowerOff failed\nOK? <Auto OK>\n"),
              std::string::npos)
        << out;
    Trace().clear();
}

TEST_F(ConsoleTest, ProblemsBeforeTheRunGiveOne) {
    struct Case {
        std::string project;
        std::string text;
    } cases[] = {
        {Project("MSP999", "3000", Command("Dravik_Open")),
         "Unable to execute NULL processor\nUnable to find processor 'MSP999'\nOK? <Auto OK>\n"},
        {Project("MSP430F149", "0", Command("Dravik_Open")),
         "Unable to execute with zero VCC\nOK? <Auto OK>\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(Write(c.project)), 1);
        EXPECT_EQ(out, c.text + "Result = 1\n");
    }
    devices.podFails = true;
    EXPECT_EQ(Run(Write(Project("MSP430F149", "3000", Command("Dravik_Open")))), 1);
    EXPECT_NE(out.find("No pod attached"), std::string::npos) << out;
    EXPECT_TRUE(Trace().empty());
}

TEST_F(ConsoleTest, ARunThatChangesTheProjectSavesIt) {
    const std::string path =
        Write(Project("MSP430F149", "3000", Command("Comment", "modify") + Command("Comment")));
    EXPECT_EQ(Run(path), 0) << out;
    // Saved by the writer: the generated DTD is in the file now.
    EXPECT_NE(ReadText(path).find("<!DOCTYPE ProjectKelvane"), std::string::npos);
    Trace().clear();
}

TEST_F(ConsoleTest, AChangedProjectThatCannotBeSavedGivesTwentySix) {
    const std::string original =
        Project("MSP430F149", "3000", Command("Comment", "modify unwritable"));
    const std::string path = Write(original);
    EXPECT_EQ(Run(path), 26);
    // The project is saved before success is reported: a save that fails
    // never follows a success line.
    EXPECT_TRUE(
        out.ends_with("Comment: OK\nCannot write Comment\nOK? <Auto OK>\n"
                      "Operation failed\nResult = 26\n"))
        << out;
    EXPECT_EQ(out.find("Operation succeeded"), std::string::npos) << out;
    EXPECT_EQ(ReadText(path), original);
    Trace().clear();
}

TEST_F(ConsoleTest, AConfigurationThatDoesNotLoadIsAFailure) {
    TempFolder empty;
    SetModuleDirectory(empty.Path());
    const std::string path = Write(Project("MSP430F149", "3000", Command("Comment")));
    EXPECT_EQ(Run(path), 1);
    // One message: what the start-up could not do, and why.
    EXPECT_EQ(out,
              "Unable to load the processor list ProcessorList.xml\n"
              "Could not load processor table from ProcessorList.xml\n"
              "No such file or directory\n"
              "OK? <Auto OK>\nResult = 1\n");
    EXPECT_TRUE(Trace().empty());
}

TEST_F(ConsoleTest, EveryButtonSetHasItsCautiousAnswer) {
    struct Case {
        unsigned type;
        const char* printed;
        int id;
    } cases[] = {
        {kMbOk, "OK? <Auto OK>\n", kIdOk},
        {kMbOkCancel | kMbIconWarning, "OK, cancel? <Auto Cancel>\n", kIdCancel},
        {2, "Abort, retry, ignore? <Auto Abort>\n", 3},
        {kMbYesNoCancel, "Yes, no, cancel? <Auto Cancel>\n", kIdCancel},
        {kMbYesNo | kMbIconQuestion, "Yes, no? <Auto No>\n", kIdNo},
        {5, "Retry, cancel? <Auto Cancel>\n", kIdCancel},
        {6, "", kIdCancel},
    };
    for (const Case& c : cases) {
        ::testing::internal::CaptureStdout();
        const int id = ConsoleMessageBox("Question", c.type);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), std::string("Question\n") + c.printed);
        EXPECT_EQ(id, c.id);
    }
}

}  // namespace
}  // namespace kv::testing
