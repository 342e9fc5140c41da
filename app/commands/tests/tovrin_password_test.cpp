// Set Password and Resend Password: the words in the project file, the
// password taken from an image file, and what reaches the loader.
#include <gtest/gtest.h>

#include <fstream>

#include "adapter_test_support.h"
#include "kelvane/commands/tovrin_set_password.h"
#include "kelvane/commands/tovrin_simple_commands.h"
#include "kelvane/core/tovrin.h"

namespace kv::cmdtest {
namespace {

using wrapperstest::kPassword;

std::unique_ptr<CCommandTovrin_SetPassword> FromFile(const std::string& content,
                                                     const char* type = "FILETYPE_TI_TXT") {
    std::string path = TestPath("password.txt");
    std::ofstream(path) << content;
    std::string error;
    std::unique_ptr<CCommandTovrin_SetPassword> command(
        CCommandTovrin_SetPassword::Create(error, path, type, 1));
    EXPECT_NE(command, nullptr) << error;
    return command;
}

TEST(TovrinPassword, DefaultsLabelsAndProjectFileForm) {
    std::string error;
    // The default name lies beside the project it is saved with.
    Project project;
    ProjectFileScope scope(&project, TestPath("password.kvnset"));
    std::unique_ptr<CCommandTovrin_SetPassword> command(
        CCommandTovrin_SetPassword::CreateDefault(error));
    ASSERT_NE(command, nullptr) << error;
    EXPECT_EQ(command->GetTreeLabel(), "Set Password (BSL)");
    EXPECT_EQ(command->GetPasswordWord(15), 0xFFFF);
    command->SetPasswordWord(0, 0x1234);
    command->SetPasswordWord(15, 0xABCD);
    std::string path = TestPath("password.kvnset");
    std::string text = SaveText(*command, path);
    EXPECT_EQ(
        ElementText(text, "Tovrin_SetPassword"),
        "<Tovrin_SetPassword \n\tstrFileName=\"./NoFile.txt\"\n\tnFileType=\"FILETYPE_TI_TXT\"\n"
        "\tbPasswordSourceIsFile=\"FALSE\"\n>\n0x1234 0xFFFF 0xFFFF 0xFFFF\n"
        "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
        "0xFFFF 0xFFFF 0xFFFF 0xABCD\n</Tovrin_SetPassword >");
    EXPECT_EQ(Declarations(text, "Tovrin_SetPassword"),
              "\t<!ELEMENT Tovrin_SetPassword EMPTY >\n\t<!ATTLIST Tovrin_SetPassword\n"
              "\t\tstrFileName CDATA #REQUIRED\n"
              "\t\tnFileType (FILETYPE_TI_TXT|FILETYPE_INTEL_HEX) #REQUIRED\n"
              "\t\tbPasswordSourceIsFile (FALSE|TRUE) #REQUIRED\n\t>\n");
    auto loaded = LoadBack(path, error);
    ASSERT_NE(loaded, nullptr) << error;
    auto* copy = static_cast<CCommandTovrin_SetPassword*>(loaded.get());
    EXPECT_EQ(copy->GetPasswordWord(0), 0x1234);
    EXPECT_EQ(copy->GetPasswordWord(15), 0xABCD);

    command->SetPasswordSourceIsFile(1);
    EXPECT_EQ(command->GetTreeLabel(), "Set Password (BSL) 'NoFile'");
}

TEST(TovrinPassword, WordsMaySpreadOverLinesAndTheSeventeenthIsIgnored) {
    std::string words;
    for (int i = 0; i < 17; ++i)
        words += (i % 3 == 0 ? "\n  " : " ") + std::string("0x00") + (i < 10 ? "0" : "1") +
                 std::to_string(i % 10);
    std::string error;
    auto loaded = LoadElement(
        "<Tovrin_SetPassword strFileName=\"a.txt\" nFileType=\"FILETYPE_TI_TXT\" "
        "bPasswordSourceIsFile=\"FALSE\">" +
            words + "</Tovrin_SetPassword >",
        error);
    ASSERT_NE(loaded, nullptr) << error;
    auto* command = static_cast<CCommandTovrin_SetPassword*>(loaded.get());
    EXPECT_EQ(command->GetPasswordWord(0), 0x0000);
    EXPECT_EQ(command->GetPasswordWord(15), 0x0015);

    EXPECT_EQ(LoadElement("<Tovrin_SetPassword strFileName=\"a.txt\" nFileType=\"FILETYPE_TI_TXT\" "
                          "bPasswordSourceIsFile=\"FALSE\">0x1 0x2</Tovrin_SetPassword >",
                          error),
              nullptr);
    EXPECT_TRUE(error.starts_with(
        "Expected 16 password WORDs, only parsed 2 (element Tovrin_SetPassword on line "))
        << error;
    EXPECT_EQ(LoadElement("<Tovrin_SetPassword strFileName=\"a.txt\" nFileType=\"FILETYPE_TI_TXT\" "
                          "bPasswordSourceIsFile=\"FALSE\">0x1 12</Tovrin_SetPassword >",
                          error),
              nullptr);
    EXPECT_TRUE(
        error.starts_with("Unable to parse '12' for value (element Tovrin_SetPassword on line "))
        << error;
}

TEST(TovrinPassword, PasswordFromTheResetVectorOnly) {
    auto command = FromFile("@FFFE\n00 F0\nq\n");
    ASSERT_EQ(command->LoadPasswordFromFile(0), 1) << command->GetLastError();
    EXPECT_EQ(command->GetPasswordWord(14), 0xFFFF);
    EXPECT_EQ(command->GetPasswordWord(15), 0xF000);
    EXPECT_EQ(command->GetTreeLabel(), "Set Password (BSL) 'password'");
}

// A file that holds no byte of the vector table gives no password: it is
// refused before anything is sent, and the words stay as they were.
TEST(TovrinPassword, AFileWithoutAByteOfTheVectorsIsRefused) {
    for (const char* content : {"", "@F000\n01 02\nq\n", "@FFE0\nq\n", "@FFDE\n01 02\nq\n"}) {
        SCOPED_TRACE(content);
        AdapterRun run;
        run.Seize();
        run.bench.ClearLogs();
        auto command = FromFile(content);
        command->SetPasswordWord(3, 0x1111);
        EXPECT_EQ(run.Run(*command), 0);
        EXPECT_EQ(command->GetLastError(),
                  TestPath("password.txt") + " holds no password: no byte at FFE0-FFFF");
        EXPECT_EQ(command->GetPasswordWord(3), 0x1111);
        EXPECT_TRUE(run.bench.Frames(kPassword).empty());
    }
}

TEST(TovrinPassword, AMissingFileKeepsTheWords) {
    std::string error;
    std::unique_ptr<CCommandTovrin_SetPassword> command(
        CCommandTovrin_SetPassword::Create(error, TestPath("absent.txt"), "FILETYPE_TI_TXT", 1));
    command->SetPasswordWord(3, 0x1111);
    EXPECT_EQ(command->LoadPasswordFromFile(0), 0);
    EXPECT_FALSE(command->GetLastError().empty());
    EXPECT_EQ(command->GetPasswordWord(3), 0x1111);
}

TEST(TovrinPassword, SentLowByteFirstThenLoggedWithTheLoaderVersion) {
    AdapterRun run;
    CCommandTovrin_SeizeTarget seize;
    ASSERT_EQ(run.Run(seize), 1) << seize.GetLastError();
    run.bench.ClearLogs();
    run.log.Clear();
    // The vectors of an erased chip, given in the file.
    std::string vectors = "@FFE0\n";
    for (int i = 0; i < 32; ++i)
        vectors += i % 16 == 15 ? "FF\n" : "FF ";
    auto command = FromFile(vectors + "q\n");
    ASSERT_EQ(run.Run(*command), 1) << command->GetLastError();
    auto sent = run.bench.Frames(kPassword);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].data, std::vector<uint8_t>(32, 0xFF));
    EXPECT_EQ(run.log.Text(), "Set Password (BSL) 'password': \n" + TestPath("password.txt") +
                                  " Read F149, v01.61 OK\n");
}

TEST(TovrinPassword, WordsGoOutInVectorOrderAndResendRepeatsThem) {
    AdapterRun run;
    run.Seize();
    std::vector<uint8_t> vectors(32);
    for (int i = 0; i < 32; ++i)
        vectors[static_cast<std::size_t>(i)] = static_cast<uint8_t>(i);
    ASSERT_EQ(run.params.GetTovrin()->WriteMemory(vectors.data(), 0xFFE0, 32), 1);
    CCommandTovrin_SeizeTarget seize;
    ASSERT_EQ(run.Run(seize), 1) << seize.GetLastError();
    run.bench.ClearLogs();

    CCommandTovrin_SetPassword command;
    for (int i = 0; i < 16; ++i)
        command.SetPasswordWord(i, static_cast<uint16_t>((2 * i) | ((2 * i + 1) << 8)));
    ASSERT_EQ(run.Run(command), 1) << command.GetLastError();
    CCommandTovrin_ResendPassword resend;
    ASSERT_EQ(run.Run(resend), 1) << resend.GetLastError();
    auto sent = run.bench.Frames(kPassword);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].data, vectors);
    EXPECT_EQ(sent[1].data, vectors);
}

TEST(TovrinPassword, AWrongPasswordIsReported) {
    AdapterRun run;
    run.Seize();
    std::vector<uint8_t> vectors(32, 0x00);
    ASSERT_EQ(run.params.GetTovrin()->WriteMemory(vectors.data(), 0xFFE0, 32), 1);
    CCommandTovrin_SeizeTarget seize;
    ASSERT_EQ(run.Run(seize), 1) << seize.GetLastError();
    CCommandTovrin_SetPassword command;
    EXPECT_EQ(run.Run(command), 0);
    EXPECT_EQ(command.GetLastError().rfind("Password failed:  ", 0), 0u) << command.GetLastError();
}

}  // namespace
}  // namespace kv::cmdtest
