// Values of a project file as the program takes them: the Open command's
// default VCC, register and memory widths, numbers beyond 32 bits.
#include <gtest/gtest.h>

#include "kelvane/sim/dravik_pod.h"
#include "program_fixture.h"

namespace kv::testing {
namespace {

const std::string kOpenIdentify =
    "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"
    "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n";
const std::string kClose = "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n";

std::string WriteRegister(const std::string& reg, const std::string& value) {
    return "<Dravik_WriteRegister wRegister=\"" + reg + "\" dwValue=\"" + value +
           "\"></Dravik_WriteRegister>\n";
}

// The millivolts of every supply switch-on the pod took.
std::vector<unsigned> SupplyRequests(sim::DravikPod& pod) {
    std::vector<unsigned> volts;
    for (const sim::CommandRecord& record : pod.records())
        if (record.command == 52 && record.request.size() >= 3)
            volts.push_back(static_cast<unsigned>(record.request[1] << 8 | record.request[2]));
    return volts;
}

using ProjectValues = ProgramTest;

TEST_F(ProjectValues, OpenWithZeroRunsAtTheProjectsVccAndKeepsZeroInTheFile) {
    Plug();
    const std::string path =
        Write("board.kvnset",
              Project("2700",
                      "<Dravik_Open dwVCC=\"0\"></Dravik_Open>\n"
                      "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n"
                      "<Dravik_Erase dwEraseType=\"ERASE_SEGMENT\" dwSegment=\"0x00001000\" "
                      "dwLength=\"0x00000002\"></Dravik_Erase>\n"
                      "<Serialize strName=\"Unit\" dwAddress=\"0x00001000\" strAlgorithm=\"WORD\" "
                      "strModule=\"libvossil.so\" strNextValue=\"41\" nCount=\"0\" "
                      "bCountUp=\"TRUE\"></Serialize>\n" +
                          kClose));
    ASSERT_EQ(Run(path), 0) << out;
    EXPECT_NE(out.find("Open JTAG: 2.7v OK\n"), std::string::npos) << out;
    auto pod = backend->findAs<sim::DravikPod>(sim::kDravikDescription);
    ASSERT_FALSE(SupplyRequests(*pod).empty());
    EXPECT_EQ(SupplyRequests(*pod).front(), 2700u);
    EXPECT_EQ(Word(PodChip(), 0x1000), 41u);
    // The serial number changed the project, so it was saved: the Open still
    // follows the project's default.
    const std::string saved = Read(path);
    EXPECT_EQ(Element(saved, "Dravik_Open"), "<Dravik_Open \n\tdwVCC=\"0\"\n></Dravik_Open >");
    EXPECT_NE(saved.find("\tdwVCC=\"2700\"\n>"), std::string::npos) << saved;
    EXPECT_NE(Element(saved, "Serialize").find("strNextValue=\"42\""), std::string::npos) << saved;
}

TEST_F(ProjectValues, RegisterValuesWiderThanTheCpuAreRefused) {
    Plug();
    struct Case {
        std::string reg, value, text;
    } cases[] = {
        {"R6", "0x00012345", "Value 0x12345 does not fit in the 16-bit register R6"},
        {"R5", "0xFFFF0001", "Value 0xFFFF0001 does not fit in the 16-bit register R5"},
        {"PC", "0x0001C000", "Value 0x1C000 does not fit in the 16-bit register PC"},
    };
    for (const Case& c : cases) {
        const std::string path =
            Write("reg.kvnset", Project("3000", kOpenIdentify + WriteRegister(c.reg, c.value) +
                                                    WriteRegister("R7", "0x00001234") + kClose));
        EXPECT_EQ(Run(path), 1) << out;
        EXPECT_NE(out.find("Write Register (" + c.reg + "): failed\n"), std::string::npos) << out;
        EXPECT_NE(out.find("Unable to complete operation.\n" + c.text + "\n"), std::string::npos)
            << out;
        EXPECT_EQ(out.find(" = 0x"), std::string::npos) << "nothing reported as written\n" << out;
    }
    // A value that fits is written and reads back as written.
    const std::string path =
        Write("reg.kvnset",
              Project("3000", kOpenIdentify + WriteRegister("R6", "0x00002345") +
                                  "<Dravik_ReadRegister wRegister=\"R6\"></Dravik_ReadRegister>\n" +
                                  kClose));
    ASSERT_EQ(Run(path), 0) << out;
    EXPECT_NE(out.find("Write Register (R6): R6 = 0x2345 OK\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Read Register (R6): R6 = 0x2345 OK\n"), std::string::npos) << out;
}

TEST_F(ProjectValues, ExtendedCpusTakeTwentyBitRegisterValues) {
    Plug("chip=MSP430FG4619");
    const std::string path =
        Write("reg.kvnset",
              Project("3000",
                      kOpenIdentify + WriteRegister("R5", "0x00012345") +
                          "<Dravik_ReadRegister wRegister=\"R5\"></Dravik_ReadRegister>\n" + kClose,
                      "MSP430FG4619"));
    ASSERT_EQ(Run(path), 0) << out;
    EXPECT_NE(out.find("Write Register (R5): R5 = 0x12345 OK\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Read Register (R5): R5 = 0x12345 OK\n"), std::string::npos) << out;

    Write("reg.kvnset", Project("3000", kOpenIdentify + WriteRegister("R5", "0x00123456") + kClose,
                                "MSP430FG4619"));
    EXPECT_EQ(Run(path), 1) << out;
    EXPECT_NE(out.find("Value 0x123456 does not fit in the 20-bit register R5\n"),
              std::string::npos)
        << out;
}

TEST_F(ProjectValues, MemoryValuesThatDoNotFitTheirTypeStopTheProjectFromOpening) {
    Plug();
    struct Case {
        std::string type, values, text;
    } cases[] = {
        {"BYTE", "0x01 0x1FF",
         "Unable to parse '0x1FF' for value: it does not fit in a BYTE value (element "
         "Dravik_WriteMemory on line 6)"},
        {"WORD", "0x0001 0x12345",
         "Unable to parse '0x12345' for value: it does not fit in a "
         "WORD value (element Dravik_WriteMemory on line 6)"},
        {"BYTE", "0x01 0x12zz",
         "Unable to parse '0x12zz' for value (element Dravik_WriteMemory on line 6)"},
        {"DWORD", "0x1 0x123456789",
         "Unable to parse '0x123456789' for value (element Dravik_WriteMemory on line 6)"},
    };
    for (const Case& c : cases) {
        const std::string path =
            Write("mem.kvnset", Project("3000", kOpenIdentify +
                                                    "<Dravik_WriteMemory dwAddress=\"0x00000200\" "
                                                    "dwCount=\"0x00000002\" wValueType=\"" +
                                                    c.type + "\">\n" + c.values +
                                                    "\n</Dravik_WriteMemory>\n" + kClose));
        EXPECT_EQ(Run(path), 3) << out;
        EXPECT_NE(out.find("Unable to open project " + path + "\n" + c.text + "\n"),
                  std::string::npos)
            << out;
        EXPECT_EQ(out.find("Open JTAG"), std::string::npos) << "nothing ran\n" << out;
    }
}

TEST_F(ProjectValues, NumbersBeyondThirtyTwoBitsAreRefusedWithAttributeAndElement) {
    Plug();
    const std::string path = Write("vcc.kvnset", Project("99999999999", kOpenIdentify + kClose));
    EXPECT_EQ(Run(path), 3) << out;
    EXPECT_NE(out.find("Unable to convert dwVCC value 99999999999 to DWORD: the number does not "
                       "fit in 32 bits (element ProjectKelvane on line 2)"),
              std::string::npos)
        << out;
    EXPECT_EQ(Read(path), Project("99999999999", kOpenIdentify + kClose)) << "file kept as it was";

    const std::string erase = Write(
        "erase.kvnset",
        Project("3000", kOpenIdentify +
                            "<Dravik_Erase dwEraseType=\"ERASE_SEGMENT\" "
                            "dwSegment=\"0x100001000\" dwLength=\"0x00000002\"></Dravik_Erase>\n" +
                            kClose));
    EXPECT_EQ(Run(erase), 3) << out;
    EXPECT_NE(out.find("Unable to convert dwSegment value 0x100001000 to DWORD: the number does "
                       "not fit in 32 bits (element Dravik_Erase on line 6)"),
              std::string::npos)
        << out;
}

TEST_F(ProjectValues, SerialNumbersFromTwoToTheThirtyFirstAreLoggedAndSavedUnsigned) {
    Plug();
    struct Case {
        std::string stored, logged, next;
        unsigned chipHigh, chipLow;
    } cases[] = {
        {"2147483647", "2147483647", "2147483648", 0x7FFF, 0xFFFF},
        {"2147483648", "2147483648", "2147483649", 0x8000, 0x0000},
        {"4294967294", "4294967294", "4294967295", 0xFFFF, 0xFFFE},
        // Blanks, a plus sign and leading zeros are logged as the number written.
        {"  7", "7", "8", 0x0000, 0x0007},
        {"+8 ", "8", "9", 0x0000, 0x0008},
        {"0009", "9", "10", 0x0000, 0x0009},
    };
    for (const Case& c : cases) {
        const std::string path =
            Write("serial.kvnset",
                  Project("3000", kOpenIdentify +
                                      "<Dravik_Erase dwEraseType=\"ERASE_SEGMENT\" "
                                      "dwSegment=\"0x00001000\" dwLength=\"0x00000004\">"
                                      "</Dravik_Erase>\n"
                                      "<Serialize strName=\"Unit\" dwAddress=\"0x00001000\" "
                                      "strAlgorithm=\"DWORD\" strModule=\"libvossil.so\" "
                                      "strNextValue=\"" +
                                      c.stored +
                                      "\" nCount=\"0\" bCountUp=\"TRUE\"></Serialize>\n" + kClose));
        ASSERT_EQ(Run(path), 0) << out;
        EXPECT_NE(out.find("Serialize Unit: " + c.logged + " to 0x1000 (libvossil.so::DWORD) OK\n"),
                  std::string::npos)
            << out;
        EXPECT_EQ(Word(PodChip(), 0x1000), c.chipLow) << c.stored;
        EXPECT_EQ(Word(PodChip(), 0x1002), c.chipHigh) << c.stored;
        EXPECT_NE(Element(Read(path), "Serialize").find("strNextValue=\"" + c.next + "\""),
                  std::string::npos)
            << Read(path);
    }
}

// An overlay's line shows the value it writes, as a serial number's does:
// the number the plug-in read from the text, in the form the project keeps
// after the run.
TEST_F(ProjectValues, OverlayValuesAreLoggedAsWritten) {
    Plug();
    struct Case {
        std::string algorithm, stored, logged;
        unsigned chipWord;
    } cases[] = {
        {"Hex WORD", "  0x00Ab ", "AB", 0x00AB},
        {"Hex WORD", "1a2b", "1A2B", 0x1A2B},
        {"Hex BYTE", "0007", "7", 0xFF07},
        {"String", "K", "K", 0x004B},
    };
    for (const Case& c : cases) {
        const std::string path =
            Write("overlay.kvnset",
                  Project("3000",
                          kOpenIdentify +
                              "<Dravik_Erase dwEraseType=\"ERASE_SEGMENT\" "
                              "dwSegment=\"0x00001000\" dwLength=\"0x00000002\"></Dravik_Erase>\n"
                              "<Overlay strName=\"Cal\" dwAddress=\"0x00001000\" strAlgorithm=\"" +
                              c.algorithm + "\" strModule=\"libgantrel.so\" strNextValue=\"" +
                              c.stored + "\"></Overlay>\n" + kClose));
        ASSERT_EQ(Run(path), 0) << out;
        EXPECT_NE(out.find("Overlay Cal: " + c.logged +
                           " to 0x00001000 (libgantrel.so::" + c.algorithm + ") OK\n"),
                  std::string::npos)
            << out;
        EXPECT_EQ(Word(PodChip(), 0x1000), c.chipWord) << c.stored;
    }
}

}  // namespace
}  // namespace kv::testing
