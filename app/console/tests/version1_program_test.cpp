// A version-1 project holding every element of that format, converted when
// the user agrees, saved in the current format and run on the simulated pod.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/project/prg_project.h"
#include "program_fixture.h"

namespace kv::testing {
namespace {

// A jump-to-itself at 0xF000 and the reset vector pointing at it.
const char kTiTxtImage[] = "@F000\nFF 3F\n@FFFE\n00 F0\nq\n";
const char kIntelImage[] = ":02F00000FF3FD0\n:02FFFE0000F011\n:00000001FF\n";

std::string Flags(int erase, int write, int overlay, int serialize, int fuse, int vccOff, int reset,
                  int release) {
    auto f = [](const char* name, int v) {
        return std::string(name) + "=\"" + std::to_string(v) + "\" ";
    };
    return f("EnableErase", erase) + f("EnableWriteFile", write) + f("EnableOverlay", overlay) +
           f("EnableSerialize", serialize) + f("EnableBlowFuse", fuse) +
           f("EnableVCC_Off", vccOff) + f("EnableReset", reset) + f("EnableReleaseJTAG", release);
}

std::string Operation(const std::string& name, const std::string& flags,
                      const std::string& children) {
    return "<PrgOperation Name=\"" + name + "\" Description=\"" + name + " step\" " + flags +
           ">\n" + children + "</PrgOperation>\n";
}

const std::string kLegacy =
    "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
    "<Project Name=\"Meter\" TargetProcessor=\"MSP430F149\" VCC=\"3000\">\n" +
    Operation("Production", Flags(1, 1, 1, 1, 0, 0, 1, 1) + "MaxOverlays=\"2\"",
              "<EraseSegment EraseType=\"ALL\" EraseSeg=\"0\" />\n"
              "<TargetFile Name=\"app.txt\" FileType=\"1\" />\n"
              "<PrgOverlay Name=\"Cal\" Module=\"libgantrel.so\" Algorithm=\"Hex WORD\" "
              "NextValue=\"BEEF\" Address=\"0x1080\" />\n"
              "<PrgOverlay Name=\"Rev\" Module=\"libgantrel.so\" Algorithm=\"Hex BYTE\" "
              "NextValue=\"5A\" Address=\"0x1084\" />\n"
              "<PrgSerializer Module=\"libvossil.so\" Algorithm=\"WORD\" NextValue=\"100\" "
              "Address=\"0x1000\" Count=\"5\" CountUp=\"1\" EraseSegment=\"1\" />\n"
              "<ResetInfo ResetType=\"RST\" />\n") +
    Operation("Field update", Flags(1, 1, 0, 1, 0, 0, 1, 0),
              "<EraseSegment EraseType=\"MAIN\" EraseSeg=\"0\" />\n"
              "<TargetFile Name=\"app.hex\" FileType=\"2\" />\n"
              "<PrgSerializer Module=\"libvossil.so\" Algorithm=\"WORD\" NextValue=\"7\" "
              "Address=\"0x1040\" Count=\"3\" CountUp=\"0\" EraseSegment=\"0\" />\n"
              "<ResetInfo ResetType=\"VCC\" />\n") +
    Operation("Segment", Flags(1, 0, 0, 0, 0, 0, 1, 0),
              "<EraseSegment EraseType=\"SEG\" EraseSeg=\"4224\" />\n") +
    Operation("Lock", Flags(0, 0, 0, 0, 1, 0, 0, 0), "") + "</Project>\n";

class Version1Program : public ProgramTest {
  protected:
    void SetUp() override {
        ProgramTest::SetUp();
        // What start-up loads before a project can be read.
        CProjectTreeItem::InitBooleanMap();
        std::string error;
        ASSERT_EQ(InitCommandTypes(error), 1) << error;
        ASSERT_EQ(LoadProcessorTable(KELVANE_BIN_DIR "/ProcessorList.xml"), 1);
        previous_ = setMessageBoxHandler(
            [this](const std::string& text, const std::string&, unsigned type) {
                boxes.push_back(text);
                return defaultAnswer(type);
            });
    }
    void TearDown() override {
        setMessageBoxHandler(previous_);
        DestroyProcessorTable();
        ProgramTest::TearDown();
    }
    // Opens the file as the document does, answering Yes to the conversion.
    void Convert(const std::string& path) {
        std::string error;
        CPrgProject* project = OpenProject(path, error);
        ASSERT_NE(project, nullptr) << error;
        project->Clear();
        delete project;
    }
    std::vector<std::string> boxes;

  private:
    MessageBoxHandler previous_;
};

TEST_F(Version1Program, EveryOldElementConvertsToCommandsThatSaveAndRun) {
    Write("app.txt", kTiTxtImage);
    Write("app.hex", kIntelImage);
    const std::string path = Write("meter.kvnset", kLegacy);
    Convert(path);
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(Read(Path("Backup_meter.kvnset")), kLegacy);

    const std::string main = Read(path);
    EXPECT_NE(main.find("strName=\"Meter Production\""), std::string::npos) << main;
    EXPECT_EQ(Element(main, "Dravik_Open"), "<Dravik_Open \n\tdwVCC=\"3000\"\n></Dravik_Open >");
    EXPECT_NE(main.find("<Dravik_Erase \n\tdwEraseType=\"ERASE_ALL\"\n\tdwSegment=\"0x00001000\"\n"
                        "\tdwLength=\"0x00000001\"\n></Dravik_Erase >"),
              std::string::npos)
        << main;
    EXPECT_NE(main.find("<Dravik_Erase \n\tdwEraseType=\"ERASE_SEGMENT\"\n"
                        "\tdwSegment=\"0x00001000\"\n\tdwLength=\"0x00000002\"\n></Dravik_Erase >"),
              std::string::npos)
        << main;
    EXPECT_EQ(Element(main, "Dravik_ProgramFile"),
              "<Dravik_ProgramFile \n\tstrFileName=\"./app.txt\"\n\tnFileType=\"FILETYPE_TI_TXT\"\n"
              "\tbVerifyMem=\"TRUE\"\n></Dravik_ProgramFile >");
    EXPECT_NE(main.find("<Overlay \n\tstrName=\"Cal\"\n\tdwAddress=\"0x00001080\"\n"
                        "\tstrAlgorithm=\"Hex WORD\"\n\tstrModule=\"libgantrel.so\"\n"
                        "\tstrNextValue=\"BEEF\"\n></Overlay >"),
              std::string::npos)
        << main;
    EXPECT_NE(main.find("<Overlay \n\tstrName=\"Rev\"\n\tdwAddress=\"0x00001084\"\n"
                        "\tstrAlgorithm=\"Hex BYTE\"\n\tstrModule=\"libgantrel.so\"\n"
                        "\tstrNextValue=\"5A\"\n></Overlay >"),
              std::string::npos)
        << main;
    EXPECT_EQ(Element(main, "Serialize"),
              "<Serialize \n\tstrName=\"WORD\"\n\tdwAddress=\"0x00001000\"\n"
              "\tstrAlgorithm=\"WORD\"\n\tstrModule=\"libvossil.so\"\n\tstrNextValue=\"100\"\n"
              "\tnCount=\"5\"\n\tbCountUp=\"TRUE\"\n></Serialize >");
    EXPECT_NE(Element(main, "Dravik_Reset").find("\"RST_RESET\""), std::string::npos) << main;
    EXPECT_EQ(Element(main, "Dravik_Close"),
              "<Dravik_Close \n\tbVccOff=\"FALSE\"\n></Dravik_Close >");

    // The further operations became files of their own.
    const std::string field = Read(Path("meter_Field_update.kvnset"));
    EXPECT_NE(field.find("strName=\"Meter Field update\""), std::string::npos) << field;
    EXPECT_NE(field.find("dwEraseType=\"ERASE_MAIN\"\n\tdwSegment=\"0x00001100\""),
              std::string::npos)
        << field;
    EXPECT_NE(field.find("strFileName=\"./app.hex\"\n\tnFileType=\"FILETYPE_INTEL_HEX\""),
              std::string::npos)
        << field;
    EXPECT_EQ(field.find("dwEraseType=\"ERASE_SEGMENT\""), std::string::npos)
        << "no serial erase asked for";
    EXPECT_NE(field.find("\tstrNextValue=\"7\"\n\tnCount=\"3\"\n\tbCountUp=\"FALSE\""),
              std::string::npos)
        << field;
    EXPECT_NE(Element(field, "Dravik_Reset").find("\"VCC_RESET\""), std::string::npos) << field;
    const std::string segment = Read(Path("meter_Segment.kvnset"));
    EXPECT_NE(segment.find("dwEraseType=\"ERASE_SEGMENT\"\n\tdwSegment=\"0x00001080\""),
              std::string::npos)
        << segment;
    EXPECT_NE(Element(segment, "Dravik_Reset").find("\"PUC_RESET\""), std::string::npos) << segment;
    const std::string lock = Read(Path("meter_Lock.kvnset"));
    EXPECT_NE(lock.find("<Dravik_BlowFuse"), std::string::npos) << lock;
    EXPECT_EQ(Element(lock, "Dravik_VCC"), "<Dravik_VCC \n\tdwVCC=\"0\"\n></Dravik_VCC >");

    // The converted project runs: image, overlays and serial number in the
    // chip, and the next serial number kept in the project.
    Plug();
    ASSERT_EQ(Run(path), 0) << out;
    EXPECT_NE(out.find("Program File 'app': " + Path("app.txt") + " OK\n"), std::string::npos)
        << out;
    EXPECT_TRUE(out.ends_with("Operation succeeded\nResult = 0\n")) << out;
    sim::Chip& chip = PodChip();
    EXPECT_EQ(Word(chip, 0xF000), 0x3FFFu);
    EXPECT_EQ(Word(chip, 0xFFFE), 0xF000u);
    EXPECT_EQ(Word(chip, 0x1080), 0xBEEFu);
    EXPECT_EQ(chip.peek8(0x1084), 0x5Au);
    EXPECT_EQ(Word(chip, 0x1000), 100u);
    const std::string after = Read(path);
    EXPECT_NE(Element(after, "Serialize").find("\tstrNextValue=\"101\"\n\tnCount=\"6\""),
              std::string::npos)
        << after;

    // So does a further operation's file, with its Intel HEX image.
    ASSERT_EQ(Run(Path("meter_Field_update.kvnset")), 0) << out;
    EXPECT_EQ(Word(chip, 0x1040), 7u);
    EXPECT_EQ(Word(chip, 0xF000), 0x3FFFu);
}

TEST_F(Version1Program, AHexSupplyIsRefusedAndTheFileIsNotConverted) {
    std::string legacy = kLegacy;
    legacy.replace(legacy.find("VCC=\"3000\""), 10, "VCC=\"0xBB8\"");
    const std::string path = Write("meter.kvnset", legacy);
    std::string error;
    EXPECT_EQ(OpenProject(path, error), nullptr);
    EXPECT_NE(error.find("Unable to convert VCC value 0xBB8 to DWORD: characters follow the "
                         "number (element Project on line 2)"),
              std::string::npos)
        << error;
    EXPECT_EQ(Read(path), legacy) << "the source is kept, not saved with a supply of 0";
}

}  // namespace
}  // namespace kv::testing
