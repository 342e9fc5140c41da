// Start-up: the mode, the configuration's loading order, each failure's
// message, and the shutdown.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "kelvane/app/app_message_box.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/app/profile_settings.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/plugin_lists.h"
#include "kelvane/core/tovrin.h"
#include "kelvane/platform/message_box.h"
#include "project_test_support.h"

namespace kv::testing {
namespace {

const std::string kBin = KELVANE_BIN_DIR;

class StartupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("KELVANE_USB", "none", 1);
        GetCurrentDirectoryString(startDir_);
        ::setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
        GetAppProfile().Clear();
        UnregisterCommandClasses();
        RegisterArgsCommands({"Dravik_Open", "Dravik_Close"});
        SetModuleDirectory(program.Path());
    }
    void TearDown() override {
        ShutdownApplication();
        SetAnalysisPrototypeHooks({});
        UnregisterCommandClasses();
        SetModuleDirectory("");
        std::string error;
        SetCurrentDirectoryChecked(startDir_, error);
    }
    void Copy(const std::string& name) {
        std::filesystem::copy_file(kBin + "/" + name, program.File(name));
    }
    std::string Current() {
        std::string current;
        GetCurrentDirectoryString(current);
        return current;
    }
    TempFolder program;
    TempFolder config;
    std::string startDir_;
};

TEST(ModeTest, OnlyTheProgramsOwnNameRunsTheWindow) {
    EXPECT_FALSE(IsConsoleMode("Kelvane", "KELVANE"));
    EXPECT_FALSE(IsConsoleMode("Kelvane", "kelvane"));
    EXPECT_TRUE(IsConsoleMode("Kelvane", "CmdLineKelvane"));
    EXPECT_TRUE(IsConsoleMode("Kelvane", "Kelvane2"));
    SetConsoleModeFlag(false);
}

TEST_F(StartupTest, EverythingLoadsFromTheProgramsFolderAndTheDirectoryIsRestored) {
    SetModuleDirectory(kBin);
    int analysisMade = 0;
    SetAnalysisPrototypeHooks({[&](std::string&) { return ++analysisMade; }, [] {}});
    ScriptedBoxes boxes;
    CKelvaneApp app;
    ASSERT_TRUE(app.LoadConfiguration()) << (boxes.texts.empty() ? "" : boxes.texts[0]);
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(Current(), startDir_);
    EXPECT_NE(GetProcessorTable(), nullptr);
    EXPECT_NE(CSerializerPlugins::GetSerializerModules(), nullptr);
    EXPECT_NE(COverlayPlugins::GetOverlayModules(), nullptr);
    EXPECT_NE(GetCommandPrototypes(), nullptr);
    EXPECT_EQ(analysisMade, 1);
    EXPECT_EQ(CTovrin::GetPatchFileName(), kBin + "/PATCH.TXT");

    ShutdownApplication();
    EXPECT_EQ(GetProcessorTable(), nullptr);
    EXPECT_EQ(CSerializerPlugins::GetSerializerModules(), nullptr);
    EXPECT_EQ(COverlayPlugins::GetOverlayModules(), nullptr);
    EXPECT_EQ(GetCommandPrototypes(), nullptr);
    EXPECT_TRUE(FileExists(config.File("Orvanti/Kelvane.ini")));
}

TEST_F(StartupTest, EachMissingFileStopsTheLoadWithItsMessage) {
    struct Step {
        const char* file;
        const char* message;
    } steps[] = {
        {"ProcessorList.xml", "Unable to load the processor list ProcessorList.xml"},
        {"Serializers.xml", "Unable to load the serializer plug-ins from Serializers.xml"},
        {"Overlays.xml", "Unable to load the overlay plug-ins from Overlays.xml"},
    };
    for (const Step& step : steps) {
        ScriptedBoxes boxes;
        CKelvaneApp app;
        EXPECT_FALSE(app.LoadConfiguration());
        // One box: the step's text, then the list's own reason.
        ASSERT_EQ(boxes.texts.size(), 1u);
        EXPECT_EQ(boxes.texts[0].rfind(std::string(step.message) + "\n", 0), 0u)
            << boxes.texts[0];
        EXPECT_NE(boxes.texts[0].find(step.file), boxes.texts[0].rfind(step.file))
            << boxes.texts[0];
        // The patch path is set before the lists are read.
        EXPECT_EQ(CTovrin::GetPatchFileName(), program.File("PATCH.TXT"));
        // A failed load leaves the program's folder current.
        EXPECT_EQ(Current(), program.Path());
        std::string error;
        SetCurrentDirectoryChecked(startDir_, error);
        Copy(step.file);
    }
    // Nothing after a failure was loaded: no prototypes yet.
    EXPECT_EQ(GetCommandPrototypes(), nullptr);
    ScriptedBoxes boxes;
    CKelvaneApp app;
    EXPECT_TRUE(app.LoadConfiguration());
}

TEST_F(StartupTest, CommandTypesComeBeforeTheListsAndPrototypesAfter) {
    for (const char* name : {"ProcessorList.xml", "Serializers.xml", "Overlays.xml"})
        Copy(name);
    CommandClass broken;
    broken.elementName = "Delay";
    broken.initEnumTable = [](std::string& error) {
        error = "Unable to fill the delay keywords";
        return 0;
    };
    RegisterCommandClass(broken);
    {
        ScriptedBoxes boxes;
        CKelvaneApp app;
        EXPECT_FALSE(app.LoadConfiguration());
        EXPECT_EQ(boxes.texts, std::vector<std::string>{"Unable to fill the delay keywords"});
        EXPECT_EQ(GetProcessorTable(), nullptr);
    }
    UnregisterCommandClasses();
    RegisterArgsCommands({"Dravik_Open", "Dravik_Close"});
    SetAnalysisPrototypeHooks({[](std::string& error) {
                                   error = "Unable to create analysis items";
                                   return 0;
                               },
                               [] {}});
    ScriptedBoxes boxes;
    CKelvaneApp app;
    EXPECT_FALSE(app.LoadConfiguration());
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Unable to create analysis items"});
    EXPECT_NE(GetProcessorTable(), nullptr);
    // The command prototypes made before are freed again.
    EXPECT_EQ(GetCommandPrototypes(), nullptr);
}

TEST_F(StartupTest, WithoutAPodDetectionKeepsItsDefaults) {
    DetectAdapters();
    const AppGlobals& g = GetAppGlobals();
    EXPECT_EQ(g.podFirmwareVersion, "Unknown");
    EXPECT_EQ(g.podSerialNumber, "Unknown");
    EXPECT_EQ(g.podVppCapable, 0);
    EXPECT_FALSE(g.PodVccAdjustable);
    EXPECT_EQ(g.PodFixedVcc, 3300u);
    EXPECT_EQ(g.adapterPresent, 0);
    EXPECT_EQ(g.adapterLibraryVersion, "Unknown");
    EXPECT_EQ(GetPodInUse(), 0);
    EXPECT_EQ(GetErasedFillValue(), 0xFFFFFFFFu);
}

}  // namespace
}  // namespace kv::testing

namespace kv::testing {
namespace {

// The window program's side, recorded.
class RecordingWindow : public WindowModeHooks {
  public:
    void LoadRecentFileList(int entries) override {
        events.push_back("recent " + std::to_string(entries));
    }
    void RegisterDocumentTemplate() override { events.push_back("template"); }
    void RegisterShellFileType() override { events.push_back("shell"); }
    void ParseCommandLine(const std::string& commandLine, bool& isSilent,
                          std::string& file) override {
        isSilent = commandLine == "/Silent";
        file = isSilent ? "" : commandLine;
    }
    bool OpenDocumentFile(const std::string& file) override {
        events.push_back("open " + file);
        return true;
    }
    bool CreateNewDocument() override {
        events.push_back("new document");
        return true;
    }
    void FileOpen() override { events.push_back("file open"); }
    void ShowMainWindow() override { events.push_back("show"); }
    int Run() override { return 0; }
    std::vector<std::string> events;
};

TEST_F(StartupTest, ASilentStartLoadsTheConfigurationAndEndsAtOnce) {
    SetModuleDirectory(kBin);
    RecordingWindow window;
    CKelvaneApp app(&window);
    ScriptedBoxes boxes;
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(app.InitInstance("/opt/kelvane/Kelvane", "/Silent"));
    EXPECT_EQ(app.ExitInstance(), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_FALSE(IsConsoleModeSet());
    EXPECT_EQ(window.events, (std::vector<std::string>{"recent 8", "template", "shell"}));
    // The shutdown wrote the settings.
    EXPECT_TRUE(FileExists(config.File("Orvanti/Kelvane.ini")));
    EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(StartupTest, ALastProjectThatDoesNotOpenOffersTheChoices) {
    SetModuleDirectory(kBin);
    GetAppProfile().WriteProfileString("LastDoc", "LastOpenedFile", program.File("gone.kvnset"));
    std::string error;
    ASSERT_TRUE(GetAppProfile().Save(error));
    RecordingWindow window;
    CKelvaneApp app(&window);
    ScriptedBoxes boxes({kIdNo});
    EXPECT_FALSE(app.InitInstance("/opt/kelvane/kelvane", ""));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0].rfind("Unable to open project " + program.File("gone.kvnset"), 0), 0u);
    EXPECT_TRUE(boxes.texts[0].ends_with(
        "\n\nCreate a new project?\n\nYes will create a new project, "
        "\nNo will allow you to select an existing project or \nCancel will exit the program."));
    EXPECT_EQ(boxes.types[0] & 7u, static_cast<unsigned>(kMbYesNoCancel));
    EXPECT_EQ(window.events.back(), "file open");
    app.ExitInstance();
}

}  // namespace
}  // namespace kv::testing
