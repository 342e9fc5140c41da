// The settings file: where it lives, its text, and what start-up and
// shutdown keep in it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "kelvane/app/kelvane_app.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/app/profile_settings.h"
#include "kelvane/core/dravik.h"
#include "kelvane/project/prg_project.h"
#include "project_test_support.h"

namespace kv::testing {
namespace {

class ProfileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GetCurrentDirectoryString(startDir_);
        const char* old = std::getenv("XDG_CONFIG_HOME");
        oldXdg_ = old != nullptr ? old : "";
        hadXdg_ = old != nullptr;
        ::setenv("XDG_CONFIG_HOME", folder.Path().c_str(), 1);
        GetAppProfile().SetFilePath("");
        GetAppProfile().SetRegistryKey("Orvanti");
        GetAppProfile().Clear();
    }
    void TearDown() override {
        if (hadXdg_)
            ::setenv("XDG_CONFIG_HOME", oldXdg_.c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        GetAppProfile().Clear();
        std::string error;
        SetCurrentDirectoryChecked(startDir_, error);
    }
    TempFolder folder;
    std::string startDir_;
    std::string oldXdg_;
    bool hadXdg_ = false;
};

TEST_F(ProfileTest, TheFileLivesUnderTheMakersFolderAndReadsBack) {
    CProfileSettings profile;
    EXPECT_EQ(profile.GetFilePath(), folder.File("Orvanti/Kelvane.ini"));
    profile.WriteProfileInt("LastDoc", "LastVCC", 2800);
    profile.WriteProfileString("LastDoc", "LastOpenedFile", "/p/a b.kvnset");
    profile.WriteProfileString("Options", "CWD", "/p");
    profile.WriteProfileInt("LastDoc", "LastVCC", 3000);
    std::string error;
    ASSERT_TRUE(profile.Save(error)) << error;
    EXPECT_EQ(ReadText(folder.File("Orvanti/Kelvane.ini")),
              "[LastDoc]\nLastVCC=3000\nLastOpenedFile=/p/a b.kvnset\n\n[Options]\nCWD=/p\n");
    CProfileSettings again;
    ASSERT_TRUE(again.Load());
    EXPECT_EQ(again.GetProfileInt("LastDoc", "LastVCC", 0), 3000);
    EXPECT_EQ(again.GetProfileString("LastDoc", "LastOpenedFile", ""), "/p/a b.kvnset");
    EXPECT_EQ(again.GetProfileInt("LastDoc", "Missing", 17), 17);
    EXPECT_EQ(again.GetProfileString("Nowhere", "CWD", "d"), "d");
}

TEST_F(ProfileTest, AListSavedOverAnotherProgramsIsMergedAsOneValue) {
    using List = std::vector<std::string>;
    // The list when this program loaded, its own list at exit, the list
    // another program saved meanwhile, and what the file then holds; three
    // places.
    const struct {
        const char* name;
        List loaded, mine, theirs, saved;
    } rows[] = {
        {"the other's new file follows this program's", {"p", "q"}, {"a", "p", "q"},
         {"b", "p", "q"}, {"a", "p", "q"}},
        {"a file this program dropped stays dropped", {"x", "p"}, {"p"}, {"x", "p", "b"},
         {"p", "b"}},
        {"no more than the places", {"p"}, {"a", "b", "p"}, {"c", "p"}, {"a", "b", "p"}},
        {"an unchanged list leaves the other's", {"p", "q"}, {"p", "q"}, {"b", "p"}, {"b", "p"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string error;
        CProfileSettings before;
        std::remove(before.GetFilePath().c_str());
        before.WriteProfileList("Recent File List", "File", row.loaded, 3);
        ASSERT_TRUE(before.Save(error)) << error;
        CProfileSettings self;
        ASSERT_TRUE(self.Load());
        CProfileSettings other;
        ASSERT_TRUE(other.Load());
        other.WriteProfileList("Recent File List", "File", row.theirs, 3);
        ASSERT_TRUE(other.Save(error)) << error;
        self.WriteProfileList("Recent File List", "File", row.mine, 3);
        ASSERT_TRUE(self.Save(error)) << error;
        CProfileSettings after;
        ASSERT_TRUE(after.Load());
        EXPECT_EQ(after.GetProfileList("Recent File List", "File", 3), row.saved);
    }
}

TEST_F(ProfileTest, HandWrittenFilesAreRead) {
    CProfileSettings profile;
    profile.Parse(
        "; comment\r\n[Options]\r\n ReadSize = 512\r\nReadFilePath=out.txt\r\n"
        "stray line\r\n[NewProject]\r\nVccOff=zero\r\n");
    EXPECT_EQ(profile.GetProfileInt("Options", "ReadSize", 0), 512);
    EXPECT_EQ(profile.GetProfileString("Options", "ReadFilePath", ""), "out.txt");
    EXPECT_EQ(profile.GetProfileInt("NewProject", "VccOff", 1), 0);
}

TEST_F(ProfileTest, StartUpReadsDefaultsAndShutdownWritesEverySection) {
    GetAppProfile().Load();
    LoadRegistrySettings();
    EXPECT_EQ(GetLastDocSettings().lastVcc, 3300);
    EXPECT_EQ(GetLastDocSettings().lastTargetProcessor, "MSP430F169");
    EXPECT_EQ(GetReadSettings().ReadAddress, 0xF000);
    EXPECT_EQ(g_strDefaultReadFile, "MyFile.txt");
    EXPECT_EQ(GetNewProjectSettings().WriteFilePath, "NoFile.txt");
    GetLastDocSettings().lastOpenedFile = "/p/board.kvnset";
    SaveRegistrySettings();
    const std::string text = ReadText(folder.File("Orvanti/Kelvane.ini"));
    EXPECT_NE(text.find("[NewProject]\nUnLockFlashA=0\nEraseTarget=1\nWithVerify=1\nWriteFile=1\n"
                        "WriteFilePath=NoFile.txt\nBlowFuse=0\nVccOff=1\nResetTarget=0\n"
                        "ReleaseJTAG=0\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[LastDoc]\nLastVCC=3300\nLastOpenedFile=/p/board.kvnset\n"
                        "LastTargetProcessor=MSP430F169\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("[Options]\nReadFilePath=MyFile.txt\nReadFileType=1\nReadAddress=61440\n"
                        "ReadSize=4096\nOpenAfterRead=1\nCWD=" +
                        startDir_ + "\n"),
              std::string::npos)
        << text;

    // The next start goes to the recorded working directory.
    GetAppProfile().WriteProfileString("Options", "CWD", folder.Path());
    std::string error;
    ASSERT_TRUE(GetAppProfile().Save(error));
    LoadRegistrySettings();
    std::string current;
    GetCurrentDirectoryString(current);
    EXPECT_EQ(current, folder.Path());
    EXPECT_EQ(GetLastDocSettings().lastOpenedFile, "/p/board.kvnset");
}

}  // namespace
}  // namespace kv::testing
