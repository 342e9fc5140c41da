// Erase, fill and result analysis at their edges, and the adapter's file
// commands finding their files by the same rule as the pod's.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/project/prg_project.h"
#include "kelvane/sim/sim_adapter_target.h"
#include "program_fixture.h"

namespace kv::testing {
namespace {

const std::string kOpenIdentify =
    "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"
    "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n";
const std::string kClose = "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n";

std::string EraseSegment(const std::string& address) {
    return "<Dravik_Erase dwEraseType=\"ERASE_SEGMENT\" dwSegment=\"" + address +
           "\" dwLength=\"0x00000002\"></Dravik_Erase>\n";
}

std::string WriteBytes(const std::string& address, const std::string& count,
                       const std::string& values) {
    return "<Dravik_WriteMemory dwAddress=\"" + address + "\" dwCount=\"" + count +
           "\" wValueType=\"BYTE\">\n" + values + "\n</Dravik_WriteMemory>\n";
}

const std::string kItem =
    "<AnalysisItem wType=\"MESSAGE\" wKey=\"0x0001\" wMemoryMax=\"0xFFFF\" wMemoryMin=\"0x0000\" "
    "dwScaleMax=\"100\" dwScaleMin=\"0\">Supply too low</AnalysisItem>\n";

using Edges = ProgramTest;

TEST_F(Edges, SegmentEraseOutsideTheFlashIsRefused) {
    Plug();
    for (const std::string address : {"0x00000C00", "0x00000E80", "0x00000200"}) {
        const std::string path =
            Write("erase.kvnset", Project("3000", kOpenIdentify + EraseSegment(address) + kClose));
        EXPECT_EQ(Run(path), 1) << out;
        EXPECT_NE(out.find("Erase Segment: failed\n"), std::string::npos) << out;
        EXPECT_NE(out.find("Unable to erase 0x2 bytes at 0x" + address.substr(5) +
                           ": outside the flash memory of MSP430F149\n"),
                  std::string::npos)
            << out;
    }
    // Information and main flash erase as before.
    const std::string path =
        Write("erase.kvnset", Project("3000", kOpenIdentify + EraseSegment("0x00001000") +
                                                  EraseSegment("0x0000FE00") + kClose));
    EXPECT_EQ(Run(path), 0) << out;
    EXPECT_NE(out.find("Erase Segment: OK\nErase Segment: OK\n"), std::string::npos) << out;
}

TEST_F(Edges, AnEmptyFillPatternLoadsAndIsRefusedWhenItRuns) {
    Plug();
    const std::string fill =
        "<Dravik_FillMemory dwAddress=\"0x00000200\" dwCount=\"0x00000008\" wValueType=\"WORD\" "
        "dwPatternCount=\"0x00000000\">\n</Dravik_FillMemory>\n";
    const std::string path = Write("fill.kvnset", Project("3000", kOpenIdentify + fill + kClose));
    EXPECT_EQ(Run(path), 1) << out;
    EXPECT_NE(out.find("Fill Memory @0x00200: failed\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Unable to complete operation.\nUnable to fill memory with an empty "
                       "pattern\n"),
              std::string::npos)
        << out;

    const std::string pattern =
        "<Dravik_FillMemory dwAddress=\"0x00000200\" dwCount=\"0x00000004\" wValueType=\"WORD\" "
        "dwPatternCount=\"0x00000002\">\n0x1234 0x5678\n</Dravik_FillMemory>\n";
    // RAM is lost when the program switches the supply off at its end: the
    // project reads it back itself.
    const std::string read =
        "<Dravik_ReadMemory dwAddress=\"0x00000200\" dwCount=\"0x00000004\" "
        "wValueType=\"WORD\"></Dravik_ReadMemory>\n";
    Write("fill.kvnset", Project("3000", kOpenIdentify + pattern + read + kClose));
    ASSERT_EQ(Run(path), 0) << out;
    EXPECT_NE(out.find("Read Memory @0x00200: \n00200: 1234 5678 1234 5678 \nOK\n"),
              std::string::npos)
        << out;
}

TEST_F(Edges, AGarbageResultsHeaderIsRefusedAndAnalysisWithoutItemsShowsRawValues) {
    Plug();
    // One record with 65535 extra words: far more than the chip holds.
    const std::string analyze =
        "<AnalyzeResults dwHeaderAddress=\"0x00000200\" dwResultAddress=\"0x00000204\">\n" + kItem +
        "</AnalyzeResults>\n";
    const std::string path =
        Write("analyze.kvnset",
              Project("3000", kOpenIdentify +
                                  WriteBytes("0x00000200", "0x00000004", "0x01 0x00 0xFF 0xFF") +
                                  analyze + kClose));
    EXPECT_EQ(Run(path), 1) << out;
    EXPECT_NE(out.find("Unable to complete operation.\nResults header at 0x00200 is not valid: 1 "
                       "records of 65539 words from 0x00204 run past the end of the target's "
                       "memory\n"),
              std::string::npos)
        << out;

    // A sound header with one record of the item's key.
    Write("analyze.kvnset",
          Project("3000", kOpenIdentify +
                              WriteBytes("0x00000200", "0x0000000C",
                                         "0x01 0x00 0x00 0x00 0x01 0x00 0x00 0x00 0x00 0x00 "
                                         "0x00 0x00") +
                              analyze + kClose));
    EXPECT_EQ(Run(path), 1) << out;
    EXPECT_NE(out.find("[0x0001] Supply too low\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Target failures recorded"), std::string::npos) << out;

    // Without items the command loads and reports the record's raw values.
    const std::string empty =
        Write("empty.kvnset",
              Project("3000", kOpenIdentify +
                                  WriteBytes("0x00000200", "0x0000000C",
                                             "0x01 0x00 0x00 0x00 0x01 0x00 0x00 0x00 0x00 0x00 "
                                             "0x00 0x00") +
                                  "<AnalyzeResults dwHeaderAddress=\"0x00000200\" "
                                  "dwResultAddress=\"0x00000204\"></AnalyzeResults>\n" +
                                  kClose));
    EXPECT_EQ(Run(empty), 1) << out;
    EXPECT_NE(out.find("Unrecognized error, raw values: 0x0001 0x0000 0x0000 0x0000\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Target failures recorded"), std::string::npos) << out;
}

TEST_F(Edges, AdapterMemoryCommandsRefuseMissingRunParameters) {
    CProjectTreeItem::InitBooleanMap();
    std::string error;
    ASSERT_EQ(InitCommandTypes(error), 1) << error;
    for (const char* name :
         {"Tovrin_ReadMemory", "Tovrin_WriteMemory", "Tovrin_VerifyMemory", "Tovrin_FillMemory"}) {
        std::unique_ptr<CProjectTreeItem> command(CreateCommandByName(name));
        ASSERT_NE(command, nullptr) << name;
        EXPECT_EQ(command->OnExecute(nullptr), 0) << name;
        EXPECT_EQ(command->GetLastError(), "Unable to execute NULL parameters") << name;
    }
}

// The password file and the image named Windows-style, relative to the
// project, in a folder below it. (An F2274: its loader needs no patch file.)
TEST_F(Edges, AdapterFilesResolveAgainstTheProjectLikePodFiles) {
    Plug("pod=none,adapter=MSP430F2274");
    std::string erased;
    for (int i = 0; i < 32; ++i)
        erased += "FF ";
    Write("keys/pw.txt", "@FFE0\n" + erased + "\nq\n");
    Write("img/app.txt", "@F000\nFF 3F 34 12\nq\n");
    std::string words;
    for (int i = 0; i < 16; ++i)
        words += "0xFFFF ";
    const std::string commands =
        "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n"
        "<Tovrin_MassErase></Tovrin_MassErase>\n"
        "<Tovrin_SetPassword strFileName=\".\\keys\\pw.txt\" nFileType=\"FILETYPE_TI_TXT\" "
        "bPasswordSourceIsFile=\"TRUE\">\n" +
        words +
        "\n</Tovrin_SetPassword>\n"
        "<Tovrin_WriteFile strFileName=\".\\img\\app.txt\" nFileType=\"FILETYPE_TI_TXT\" "
        "bVerifyMem=\"TRUE\"></Tovrin_WriteFile>\n"
        "<Tovrin_PowerOff></Tovrin_PowerOff>\n";
    const std::string path = Write("board.kvnset", Project("3000", commands, "MSP430F2274"));
    ASSERT_EQ(Run(path), 0) << out;
    EXPECT_NE(out.find("\n" + Path("keys/pw.txt") + " Read "), std::string::npos) << out;
    EXPECT_NE(out.find("Write File 'app' (BSL): " + Path("img/app.txt") + " \n"), std::string::npos)
        << out;
    EXPECT_EQ(Word(AdapterChip(), 0xF000), 0x3FFFu);
    EXPECT_EQ(Word(AdapterChip(), 0xF002), 0x1234u);

    // Saved into another folder, the names lead to the same files.
    CProjectTreeItem::InitBooleanMap();
    std::string error;
    ASSERT_EQ(InitCommandTypes(error), 1) << error;
    ASSERT_EQ(LoadProcessorTable(KELVANE_BIN_DIR "/ProcessorList.xml"), 1);
    CPrgProject* project = OpenProject(path, error);
    ASSERT_NE(project, nullptr) << error;
    const std::string moved = Folder() + "/../elsewhere/moved.kvnset";
    std::filesystem::create_directories(Folder() + "/../elsewhere");
    EXPECT_TRUE(project->Save(moved)) << project->GetLastError();
    project->Clear();
    delete project;
    DestroyProcessorTable();
    const std::string text = Read(moved);
    EXPECT_NE(text.find("strFileName=\"../project/keys/pw.txt\""), std::string::npos) << text;
    EXPECT_NE(text.find("strFileName=\"../project/img/app.txt\""), std::string::npos) << text;
}

// An adapter image with a byte outside the chip's flash and RAM is refused by
// that address before the write sends a frame: the run sends the target as
// many characters as one that only unlocks the loader. An image that ends on
// the last RAM byte is written.
TEST_F(Edges, AdapterImagesOutsideTheChipAreRefusedBeforeTheFirstFrame) {
    struct Row {
        const char* chip;
        const char* image;
        const char* refusedAt;  // nullptr: written
    };
    const Row rows[] = {
        {"MSP430F2274", "@7000\n01 02\nq\n", "07000"},        // below the flash
        {"MSP430F2274", "@05FC\n01 02 03 04\nq\n", nullptr},  // the last RAM bytes
        {"MSP430F2274", "@05FE\n01 02 03 04\nq\n", "00600"},  // on past the RAM
        {"MSP430F149", "@0A00\n01 02\nq\n", "00A00"},         // past the RAM
        {"MSP430F149", "@0C00\n01 02\nq\n", "00C00"},         // the boot ROM
    };
    std::string words;
    for (int i = 0; i < 16; ++i)
        words += "0xFFFF ";
    const std::string unlock =
        "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n"
        "<Tovrin_SetPassword strFileName=\"NoFile.txt\" nFileType=\"FILETYPE_TI_TXT\" "
        "bPasswordSourceIsFile=\"FALSE\">\n" +
        words + "\n</Tovrin_SetPassword>\n";
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.chip) + " " + row.image);
        backend = std::make_shared<sim::SimBackend>();
        usb::setBackend(backend);
        Plug(std::string("pod=none,adapter=") + row.chip);
        auto adapter = backend->findAs<sim::AdapterWithChip>(sim::TovrinAdapter::kDescription);
        ASSERT_EQ(Run(Write("unlock.kvnset", Project("3000", unlock, row.chip))), 0) << out;
        const uint64_t unlockSent = adapter->toTargetCount();
        Write("image.txt", row.image);
        const std::string write =
            unlock +
            "<Tovrin_WriteFile strFileName=\"./image.txt\" nFileType=\"FILETYPE_TI_TXT\" "
            "bVerifyMem=\"TRUE\"></Tovrin_WriteFile>\n";
        const int code = Run(Write("write.kvnset", Project("3000", write, row.chip)));
        const uint64_t writeSent = adapter->toTargetCount() - unlockSent;
        if (row.refusedAt == nullptr) {
            EXPECT_EQ(code, 0) << out;
            EXPECT_GT(writeSent, unlockSent);
            continue;
        }
        EXPECT_NE(code, 0) << out;
        EXPECT_NE(
            out.find("image.txt does not fit the " + std::string(row.chip) + ": it holds data at " +
                     row.refusedAt + ", outside the chip's flash and RAM\n"),
            std::string::npos)
            << out;
        EXPECT_EQ(writeSent, unlockSent) << out;
    }
}

// A serial number or overlay written into a flash cell that does not hold it:
// the write itself reads back right, the verify after it does not. The run
// fails with the target switched off, and the project keeps the number it had.
TEST_F(Edges, AValueWriteThatDoesNotHoldFailsAndKeepsTheNumber) {
    struct Row {
        std::string element;
        std::string kept;  // the next value the project still holds
    };
    const Row rows[] = {
        {"<Serialize strName=\"Unit\" dwAddress=\"0x00001000\" strAlgorithm=\"WORD\" "
         "strModule=\"libvossil.so\" strNextValue=\"41\" nCount=\"0\" "
         "bCountUp=\"TRUE\"></Serialize>\n",
         "strNextValue=\"41\""},
        {"<Overlay strName=\"Cal\" dwAddress=\"0x00001000\" strAlgorithm=\"Hex WORD\" "
         "strModule=\"libgantrel.so\" strNextValue=\"1A2B\"></Overlay>\n",
         "strNextValue=\"1A2B\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.element);
        backend = std::make_shared<sim::SimBackend>();
        usb::setBackend(backend);
        Plug("chip=MSP430F149,leaky=0x1001");
        const std::string path = Write(
            "values.kvnset",
            Project("3000", kOpenIdentify + EraseSegment("0x00001000") + row.element + kClose));
        EXPECT_NE(Run(path), 0) << out;
        EXPECT_NE(out.find("Unable to verify WriteMemory"), std::string::npos) << out;
        EXPECT_NE(out.find("VCC Off: OK\n"), std::string::npos) << out;
        EXPECT_EQ(PodChip().peek8(0x1001), 0xFF);
        const std::string saved = Read(path);
        EXPECT_NE(saved.find(row.kept), std::string::npos) << saved;
        EXPECT_EQ(saved.find("strNextValue=\"42\""), std::string::npos) << saved;
    }
}

}  // namespace
}  // namespace kv::testing
