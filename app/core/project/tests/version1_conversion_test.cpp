// Version-1 files: the backup copy, the converted command lists and the
// files of further operations.
#include <gtest/gtest.h>

#include "kelvane/app/app_message_box.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/project/prg_project.h"
#include "project_test_support.h"

namespace kv::testing {
namespace {

const std::vector<std::string> kLegacyCommands = {
    "Dravik_Open", "Dravik_Identify", "Dravik_Erase", "Dravik_ProgramFile", "Overlay",
    "Serialize",   "Dravik_BlowFuse", "Dravik_VCC",   "Dravik_Reset",       "Dravik_Close"};

std::string Operation(const std::string& name, const std::string& flags,
                      const std::string& children = "") {
    return "<PrgOperation Name=\"" + name + "\" Description=\"d " + name + "\" " + flags + ">\n" +
           children + "</PrgOperation >\n";
}

std::string Flags(int erase, int write, int overlay, int serialize, int fuse, int vccOff, int reset,
                  int release) {
    auto f = [](const char* name, int v) {
        return std::string(name) + "=\"" + std::to_string(v) + "\" ";
    };
    return f("EnableErase", erase) + f("EnableWriteFile", write) + f("EnableOverlay", overlay) +
           f("EnableSerialize", serialize) + f("EnableBlowFuse", fuse) +
           f("EnableVCC_Off", vccOff) + f("EnableReset", reset) + f("EnableReleaseJTAG", release);
}

std::string Legacy(const std::string& operations) {
    return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
           "<Project Name=\"Meter\" TargetProcessor=\"MSP430F149\" VCC=\"3000\">\n" +
           operations + "</Project >\n";
}

class Version1Test : public ::testing::Test {
  protected:
    void SetUp() override {
        GetCurrentDirectoryString(startDir_);
        UnregisterCommandClasses();
        RegisterArgsCommands(kLegacyCommands);
        ASSERT_TRUE(LoadProcessorTable(std::string(KELVANE_BIN_DIR) + "/ProcessorList.xml"));
    }
    void TearDown() override {
        UnregisterCommandClasses();
        DestroyProcessorTable();
        SetConsoleModeFlag(false);
        std::string error;
        SetCurrentDirectoryChecked(startDir_, error);
    }
    std::string startDir_;
    TempFolder folder;
};

TEST_F(Version1Test, ThreeOperationsGiveTheProjectAndTwoFurtherFilesAndKeepABackup) {
    const std::string original =
        Legacy(Operation("Production", Flags(1, 1, 0, 0, 0, 1, 0, 0),
                         "<TargetFile Name=\"app.hex\" FileType=\"2\" />\n") +
               Operation(" Field update ", Flags(1, 0, 0, 0, 0, 0, 1, 1),
                         "<EraseSegment EraseType=\"SEG\" EraseSeg=\"4096\" />\n"
                         "<ResetInfo ResetType=\"RST\" />\n") +
               Operation("Lock it", Flags(0, 0, 0, 0, 1, 0, 0, 0)));
    const std::string path = folder.File("meter.kvnset");
    WriteText(path, original);
    ScriptedBoxes boxes({kIdYes, kIdOk});
    CPrgProject project;
    ASSERT_TRUE(project.Open(path)) << project.GetLastError();

    EXPECT_EQ(ReadText(folder.File("Backup_meter.kvnset")), original);
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[0],
              "This file containing project 'Meter' is a legacy v1 file.\n\n"
              "Upgrading to the v2 format will provide many additional features.\n\n"
              "Do you wish to convert this file to the v2 format?");
    EXPECT_EQ(boxes.texts[1], "A backup copy of your original file has been saved as:\n\n" +
                                  folder.File("Backup_meter.kvnset") +
                                  "\n\nYour original project contained multiple operations.  "
                                  "These additional operations are saved as:\n\n" +
                                  folder.File("meter_Field_update.kvnset") + ", etc.");

    EXPECT_EQ(project.GetName(), "Meter Production");
    EXPECT_EQ(project.GetVcc(), 3000u);
    EXPECT_EQ(Describe(project.GetCommandList()),
              (std::vector<std::string>{"Dravik_Open(0xBB8)", "Dravik_Identify(0x1)",
                                        "Dravik_Erase(ERASE_ALL|0x1000|0x1)",
                                        "Dravik_ProgramFile(app.hex|FILETYPE_INTEL_HEX|0x1)",
                                        "Dravik_VCC(0x0)", "Dravik_Close(0x1)"}));

    // The source now holds the converted project.
    CPrgProject reread;
    ASSERT_TRUE(reread.Open(path)) << reread.GetLastError();
    EXPECT_EQ(Describe(reread.GetCommandList()), Describe(project.GetCommandList()));

    CPrgProject second;
    ASSERT_TRUE(second.Open(folder.File("meter_Field_update.kvnset"))) << second.GetLastError();
    EXPECT_EQ(second.GetName(), "Meter  Field update ");
    EXPECT_EQ(Describe(second.GetCommandList()),
              (std::vector<std::string>{"Dravik_Open(0xBB8)", "Dravik_Identify(0x1)",
                                        "Dravik_Erase(ERASE_SEGMENT|0x1000|0x1)",
                                        "Dravik_Reset(RST_RESET|0x1|0x1)", "Dravik_Close(0x0)"}));
    CPrgProject third;
    ASSERT_TRUE(third.Open(folder.File("meter_Lock_it.kvnset"))) << third.GetLastError();
    EXPECT_EQ(
        Describe(third.GetCommandList()),
        (std::vector<std::string>{"Dravik_Open(0xBB8)", "Dravik_Identify(0x1)", "Dravik_BlowFuse()",
                                  "Dravik_VCC(0x0)", "Dravik_Close(0x0)"}));
}

TEST_F(Version1Test, AFailedConversionLeavesTheOriginalFileAndItsBackup) {
    const std::string original =
        Legacy(Operation("Run", Flags(0, 0, 1, 0, 0, 0, 0, 0) + "MaxOverlays=\"2\" ",
                         "<PrgOverlay Name=\"cal\" Module=\"m\" Algorithm=\"a\" NextValue=\"1\" "
                         "Address=\"0x1000\" />\n"));
    const std::string path = folder.File("meter.kvnset");
    WriteText(path, original);
    ScriptedBoxes boxes({kIdYes});
    CPrgProject project;
    EXPECT_FALSE(project.Open(path));
    EXPECT_EQ(project.GetLastError(), "Expected 2 overlays, loaded 1");
    EXPECT_EQ(ReadText(path), original);
    EXPECT_EQ(ReadText(folder.File("Backup_meter.kvnset")), original);
}

TEST_F(Version1Test, MainEraseStartsAtTheProcessorsMainFlashAndSerialErasesFitTheAddress) {
    for (const char* address : {"0x1001", "0x1000"}) {
        const std::string path = folder.File("serial.kvnset");
        WriteText(path,
                  Legacy(Operation("Run", Flags(1, 0, 0, 1, 0, 0, 0, 0),
                                   "<EraseSegment EraseType=\"MAIN\" EraseSeg=\"0\" />\n"
                                   "<PrgSerializer Module=\"Vossil\" Algorithm=\"SERIAL_WORD\" "
                                   "NextValue=\"7\" Address=\"" +
                                       std::string(address) +
                                       "\" Count=\"2\" CountUp=\"1\" EraseSegment=\"1\" />\n")));
        ScriptedBoxes boxes({kIdYes, kIdOk});
        CPrgProject project;
        ASSERT_TRUE(project.Open(path)) << project.GetLastError();
        const std::string a = address;
        const std::string length = a == "0x1001" ? "0x1" : "0x2";
        const std::string hex = a == "0x1001" ? "0x1001" : "0x1000";
        EXPECT_EQ(
            Describe(project.GetCommandList()),
            (std::vector<std::string>{
                "Dravik_Open(0xBB8)", "Dravik_Identify(0x1)", "Dravik_Erase(ERASE_MAIN|0x1100|0x1)",
                "Dravik_Erase(ERASE_SEGMENT|" + hex + "|" + length + ")",
                "Serialize(SERIAL_WORD|Vossil|SERIAL_WORD|7|" + hex + "|0x2|0x1)",
                "Dravik_Close(0x0)"}));
    }
}

TEST_F(Version1Test, BadKeywordsAndMissingOperationsAreReported) {
    struct Case {
        std::string body;
        std::string error;
    } cases[] = {
        {Operation("Run", Flags(1, 0, 0, 0, 0, 0, 0, 0),
                   "<EraseSegment EraseType=\"HALF\" EraseSeg=\"0\" />\n"),
         "Unrecognized EraseType attribute 'HALF'"},
        {Operation("Run", Flags(0, 0, 0, 0, 0, 0, 1, 0), "<ResetInfo ResetType=\"JTAG\" />\n"),
         "Unrecognized ResetType attribute 'JTAG'"},
        {"<Other />\n", "Did not find any PrgOperation elements"},
    };
    for (const Case& c : cases) {
        WriteText(folder.File("bad.kvnset"), Legacy(c.body));
        ScriptedBoxes boxes({kIdYes});
        CPrgProject project;
        EXPECT_FALSE(project.Open(folder.File("bad.kvnset")));
        EXPECT_EQ(project.GetLastError(), c.error);
    }
}

TEST_F(Version1Test, ConsoleModeAnswersNoAndTheFileStaysAsItWas) {
    const std::string original = Legacy(Operation("Run", Flags(0, 0, 0, 0, 0, 0, 0, 0)));
    WriteText(folder.File("meter.kvnset"), original);
    SetConsoleModeFlag(true);
    setMessageBoxHandler([](const std::string& text, const std::string&, unsigned type) {
        return ConsoleMessageBox(text, type);
    });
    ::testing::internal::CaptureStdout();
    CPrgProject project;
    EXPECT_FALSE(project.Open(folder.File("meter.kvnset")));
    const std::string out = ::testing::internal::GetCapturedStdout();
    setMessageBoxHandler({});
    EXPECT_EQ(project.GetLastError(), "File open cancelled by user");
    EXPECT_NE(out.find("Do you wish to convert this file to the v2 format?\nYes, no? <Auto No>\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(ReadText(folder.File("meter.kvnset")), original);
    EXPECT_FALSE(FileExists(folder.File("Backup_meter.kvnset")));
}

}  // namespace
}  // namespace kv::testing
