// The adapter's file commands: the project file form, pieces of 768 bytes
// and their progress, and images written and read against the loader.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "adapter_test_support.h"
#include "kelvane/commands/current_project.h"
#include "kelvane/commands/tovrin_file_commands.h"
#include "kelvane/core/text_hex_file.h"
#include "kelvane/core/tovrin.h"

namespace kv::cmdtest {
namespace {

using wrapperstest::kReadBlock;
using wrapperstest::kWriteBlock;

// A TI-TXT file of the bytes at the addresses.
std::string TiText(const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& blocks) {
    std::ostringstream out;
    for (const auto& [address, bytes] : blocks) {
        char line[16];
        std::snprintf(line, sizeof line, "@%04X\n", address);
        out << line;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            std::snprintf(line, sizeof line, "%02X%c", bytes[i],
                          (i % 16 == 15 || i + 1 == bytes.size()) ? '\n' : ' ');
            out << line;
        }
    }
    out << "q\n";
    return out.str();
}

std::vector<uint8_t> Pattern(std::size_t size, uint8_t seed) {
    std::vector<uint8_t> out(size);
    for (std::size_t i = 0; i < size; ++i)
        out[i] = static_cast<uint8_t>(seed + i * 7);
    return out;
}

TEST(TovrinFileCommands, WriteFileDefaultsAndProjectFileForm) {
    std::string error;
    // The default name lies beside the project it is saved with.
    Project project;
    ProjectFileScope scope(&project, TestPath("write.kvnset"));
    std::unique_ptr<CProjectTreeItem> item(CCommandTovrin_WriteFile::CreateDefault(error));
    auto* command = static_cast<CCommandTovrin_WriteFile*>(item.get());
    EXPECT_EQ(command->GetTreeLabel(), "Write File 'NoFile' (BSL)");
    EXPECT_EQ(command->GetVerifyMem(), 1);
    std::string path = TestPath("write.kvnset");
    std::string text = SaveText(*command, path);
    EXPECT_EQ(
        ElementText(text, "Tovrin_WriteFile"),
        "<Tovrin_WriteFile \n\tstrFileName=\"./NoFile.txt\"\n\tnFileType=\"FILETYPE_TI_TXT\"\n"
        "\tbVerifyMem=\"TRUE\"\n></Tovrin_WriteFile >");
    EXPECT_EQ(Declarations(text, "Tovrin_WriteFile"),
              "\t<!ELEMENT Tovrin_WriteFile EMPTY >\n\t<!ATTLIST Tovrin_WriteFile\n"
              "\t\tstrFileName CDATA #REQUIRED\n"
              "\t\tnFileType (FILETYPE_TI_TXT|FILETYPE_INTEL_HEX) #REQUIRED\n"
              "\t\tbVerifyMem (FALSE|TRUE) #REQUIRED\n\t>\n");
    auto loaded = LoadBack(path, error);
    ASSERT_NE(loaded, nullptr) << error;
    EXPECT_EQ(static_cast<CCommandTovrin_WriteFile*>(loaded.get())->GetVerifyMem(), 1);

    EXPECT_EQ(LoadElement("<Tovrin_VerifyFile strFileName=\"a.txt\" nFileType=\"FILETYPE_BIN\">"
                          "</Tovrin_VerifyFile >",
                          error),
              nullptr);
    EXPECT_FALSE(error.empty());
}

TEST(TovrinFileCommands, ReadRangeIsDecimalAndTheDefaultsReadTheVectors) {
    std::string error;
    // The default name lies beside the project it is saved with.
    Project project;
    ProjectFileScope scope(&project, TestPath("range.kvnset"));
    std::unique_ptr<CProjectTreeItem> item(CCommandTovrin_ReadRangeToFile::CreateDefault(error));
    auto* range = static_cast<CCommandTovrin_ReadRangeToFile*>(item.get());
    EXPECT_EQ(range->GetTreeLabel(), "Read Range to 'NoReadFile' (BSL)");
    EXPECT_EQ(range->GetProgressAggregate(), 2);
    std::string text = SaveText(*range, TestPath("range.kvnset"));
    EXPECT_EQ(ElementText(text, "Tovrin_ReadRangeToFile"),
              "<Tovrin_ReadRangeToFile \n\tstrFileName=\"./NoReadFile.txt\"\n"
              "\tnFileType=\"FILETYPE_TI_TXT\"\n\tdwAddress=\"65504\"\n\tdwLength=\"32\"\n"
              "></Tovrin_ReadRangeToFile >");
    auto hex = LoadElement(
        "<Tovrin_ReadRangeToFile strFileName=\"a.txt\" "
        "nFileType=\"FILETYPE_TI_TXT\" dwAddress=\"0xFFE0\" dwLength=\"2000\">"
        "</Tovrin_ReadRangeToFile >",
        error);
    // Decimal fields refuse a hexadecimal value instead of reading it as 0.
    EXPECT_EQ(hex, nullptr);
    EXPECT_NE(error.find("Unable to convert dwAddress value 0xFFE0 to DWORD: characters follow "
                         "the number (element Tovrin_ReadRangeToFile on line "),
              std::string::npos)
        << error;
    auto decimal = LoadElement(
        "<Tovrin_ReadRangeToFile strFileName=\"a.txt\" "
        "nFileType=\"FILETYPE_TI_TXT\" dwAddress=\"65504\" dwLength=\"2000\">"
        "</Tovrin_ReadRangeToFile >",
        error);
    ASSERT_NE(decimal, nullptr) << error;
    auto* loaded = static_cast<CCommandTovrin_ReadRangeToFile*>(decimal.get());
    EXPECT_EQ(loaded->GetAddress(), 0xFFE0u);
    EXPECT_EQ(loaded->GetProgressAggregate(), 2000 / 768 + 2);
}

TEST(TovrinFileCommands, NamesAreStoredRelativeToTheProjectFile) {
    Project project;
    std::string projectFile = TestPath("dir/project.kvnset");
    SetCommandProject(&project, projectFile);
    std::string error;
    std::unique_ptr<CProjectTreeItem> item(CCommandTovrin_VerifyFile::CreateFromArguments(
        error, {std::string("images/app.txt"), std::string("FILETYPE_INTEL_HEX")}));
    auto* command = static_cast<CCommandTovrin_VerifyFile*>(item.get());
    EXPECT_EQ(command->GetFileName(), TestPath("dir/images/app.txt"));
    EXPECT_EQ(command->GetFileType(), 2);
    EXPECT_EQ(command->GetTreeLabel(), "Verify File 'app' (BSL)");
    std::string text = SaveText(*command, TestPath("other/project.kvnset"));
    EXPECT_NE(text.find("strFileName=\"../dir/images/app.txt\""), std::string::npos) << text;
    SetCommandProject(nullptr, "");
}

TEST(TovrinFileCommands, TwoBlocksGoInPiecesWithOneDotPerFullPieceAndBlock) {
    AdapterRun run;
    run.Seize();
    std::vector<uint8_t> first = Pattern(1000, 1);
    std::vector<uint8_t> second = Pattern(100, 9);
    std::string path = TestPath("two_blocks.txt");
    std::ofstream(path) << TiText({{0x2000, first}, {0x3000, second}});
    std::string error;
    std::unique_ptr<CProjectTreeItem> item(CCommandTovrin_WriteFile::CreateFromArguments(
        error, {path, std::string("FILETYPE_TI_TXT"), std::uint32_t{0}}));
    auto* write = static_cast<CCommandTovrin_WriteFile*>(item.get());
    EXPECT_EQ(write->GetProgressAggregate(), 5);
    run.bar.positions.clear();
    ASSERT_EQ(run.Run(*write), 1) << write->GetLastError();
    EXPECT_EQ(run.log.Text(), "Write File 'two_blocks' (BSL): " + path + " \n...OK\n");
    EXPECT_EQ(run.bench.Peek(0x2000, 1000), first);
    EXPECT_EQ(run.bench.Peek(0x3000, 100), second);
    // Five steps of a hundred-unit run.
    EXPECT_EQ(run.bar.positions.back(), 50);

    // Frames of at most 192 bytes: 768 = 4 x 192, then 232 = 192 + 40, then 100.
    std::vector<uint32_t> lengths;
    for (const auto& frame : run.bench.Frames(kWriteBlock))
        lengths.push_back(frame.length);
    EXPECT_EQ(lengths, (std::vector<uint32_t>{192, 192, 192, 192, 192, 40, 100}));

    run.log.Clear();
    CCommandTovrin_VerifyFile verify;
    ASSERT_EQ(verify.SetParameters(path, "FILETYPE_TI_TXT"), 1);
    ASSERT_EQ(run.Run(verify), 1) << verify.GetLastError();
    uint8_t wrong = 0x00;
    ASSERT_EQ(run.params.GetTovrin()->WriteMemory(&wrong, 0x3010, 1), 1);
    EXPECT_EQ(run.Run(verify), 0);
    EXPECT_EQ(verify.GetLastError(), "Verify error at address 0x3010, read 0x00, expected 0x" +
                                         std::string(1, "0123456789ABCDEF"[second[16] >> 4]) +
                                         std::string(1, "0123456789ABCDEF"[second[16] & 15]));
}

TEST(TovrinFileCommands, AMissingImageFailsWithTheImageText) {
    AdapterRun run;
    run.Seize();
    CCommandTovrin_WriteFile write;
    ASSERT_EQ(write.SetParameters(TestPath("absent.txt"), "FILETYPE_TI_TXT", 1), 1);
    EXPECT_EQ(write.GetProgressAggregate(), 0);
    EXPECT_EQ(run.Run(write), 0);
    EXPECT_FALSE(write.GetLastError().empty());
    EXPECT_TRUE(run.bench.Frames(kWriteBlock).empty());
}

TEST(TovrinFileCommands, ReadRangeWritesTheImageFile) {
    AdapterRun run;
    run.Seize();
    std::vector<uint8_t> bytes = Pattern(1600, 3);
    ASSERT_EQ(run.params.GetTovrin()->WriteMemory(bytes.data(), 0x4000, 1600), 1);
    std::string path = TestPath("range.txt");
    CCommandTovrin_ReadRangeToFile range;
    ASSERT_EQ(range.SetParameters(path, "FILETYPE_TI_TXT", 0x4000, 1600), 1);
    EXPECT_EQ(range.GetProgressAggregate(), 4);
    run.log.Clear();
    ASSERT_EQ(run.Run(range), 1) << range.GetLastError();
    EXPECT_EQ(run.log.Text(),
              "Read Range to 'range' (BSL): Reading at 0x00004000, length "
              "0x00000640\n..\nWriting file " +
                  path + " OK\n");
    CTextHexFile image;
    ASSERT_EQ(image.Open(path, CHexImageFile::kModeRead), 1) << image.GetLastError();
    std::vector<uint8_t> back(1600, 0);
    ASSERT_EQ(image.ExtractBlock(back.data(), 0x4000, 1600), 1);
    EXPECT_EQ(back, bytes);
}

TEST(TovrinFileCommands, ReadProcessorReadsInfoAndMainBelow64K) {
    AdapterRun run;
    run.Seize();
    EXPECT_EQ(CCommandTovrin_ReadProcessorToFile::ProcessorReadUnits(&run.processor), 83);
    std::string path = TestPath("chip.hex");
    CCommandTovrin_ReadProcessorToFile read;
    ASSERT_EQ(read.SetParameters(path, "FILETYPE_INTEL_HEX"), 1);
    run.log.Clear();
    ASSERT_EQ(run.Run(read), 1) << read.GetLastError();
    EXPECT_EQ(run.log.Text(),
              "Read Chip to 'chip' (BSL): \nReading info memory\nReading main "
              "memory\n" +
                  std::string(79, '.') + "\nWriting file " + path + " OK\n");
    std::uint32_t total = 0;
    for (const auto& frame : run.bench.Frames(kReadBlock))
        total += frame.length;
    EXPECT_EQ(total, 0x100u + 61184u);
}

}  // namespace
}  // namespace kv::cmdtest
