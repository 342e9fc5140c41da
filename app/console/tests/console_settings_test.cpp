// The settings file around a console run: written back only when it was
// read, and never over a file that cannot be read or is read-only.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "console_test_support.h"
#include "kelvane/app/path_functions.h"
#include "project_test_support.h"

namespace kv::testing {
namespace {

const std::string kUserSettings =
    "[LastDoc]\nLastVCC=2500\nLastOpenedFile=/line/board7.kvnset\n"
    "LastTargetProcessor=MSP430F2274\n\n[NewProject]\nWriteFilePath=/line/image.txt\n"
    "BlowFuse=1\nVccOff=0\n\n[Station]\nBench=4\n";

class ConsoleSettingsTest : public ConsoleProgramTest {
  protected:
    void SetUp() override {
        ConsoleProgramTest::SetUp();
        ::mkdir((ConfigFolder() + "/Orvanti").c_str(), 0755);
        ini = ConfigFolder() + "/Orvanti/Kelvane.ini";
        project = WriteProject("MSP430F149",
                               "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"
                               "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n");
    }
    void TearDown() override {
        ::chmod(ini.c_str(), 0644);
        ConsoleProgramTest::TearDown();
    }
    // The program's standard error during a run.
    int RunCapturingErrors() {
        ::testing::internal::CaptureStderr();
        const int code = RunOnce("chip=MSP430F149", project);
        errors = ::testing::internal::GetCapturedStderr();
        return code;
    }
    std::string ini;
    std::string project;
    std::string errors;
};

TEST_F(ConsoleSettingsTest, AConfigurationThatFailsLeavesTheSettingsFileAsItWas) {
    WriteText(ini, kUserSettings);
    TempFolder empty;
    SetModuleDirectory(empty.Path());
    EXPECT_EQ(RunCapturingErrors(), 1) << out;
    EXPECT_NE(out.find("Unable to load the processor list ProcessorList.xml\n"), std::string::npos)
        << out;
    EXPECT_EQ(ReadText(ini), kUserSettings);
    EXPECT_EQ(errors, "");
}

TEST_F(ConsoleSettingsTest, ASettingsFileThatWasReadIsWrittenBackWithEverything) {
    WriteText(ini, kUserSettings);
    EXPECT_EQ(RunCapturingErrors(), 0) << out;
    const std::string text = ReadText(ini);
    // This run opened the project; the other sections and keys stay.
    EXPECT_NE(text.find("LastOpenedFile=" + project + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("WriteFilePath=/line/image.txt\nBlowFuse=1\nVccOff=0\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("[Station]\nBench=4\n"), std::string::npos) << text;
    EXPECT_EQ(errors, "");
}

TEST_F(ConsoleSettingsTest, AReadOnlySettingsFileIsLeftAloneWithOneLine) {
    WriteText(ini, kUserSettings);
    ASSERT_EQ(::chmod(ini.c_str(), 0444), 0);
    EXPECT_EQ(RunCapturingErrors(), 0) << out;
    EXPECT_EQ(ReadText(ini), kUserSettings);
    EXPECT_EQ(errors, "Settings file " + ini +
                          " is read-only; it is left as it is and this run's settings are not "
                          "saved\n");
}

TEST_F(ConsoleSettingsTest, ASettingsFileThatCannotBeReadIsLeftAloneWithOneLine) {
    // A link that leads to itself exists but cannot be opened, even by root.
    ASSERT_EQ(::symlink("Kelvane.ini", ini.c_str()), 0);
    EXPECT_EQ(RunCapturingErrors(), 0) << out;
    char target[64] = {};
    ASSERT_EQ(::readlink(ini.c_str(), target, sizeof target - 1), 11);
    EXPECT_EQ(std::string(target), "Kelvane.ini");
    std::string cause;
    FormatSystemError(cause, ELOOP);
    EXPECT_EQ(errors, "Settings file " + ini + " cannot be read (" + cause +
                          "); it is left as it is and this run's settings are not saved\n");
}

}  // namespace
}  // namespace kv::testing
