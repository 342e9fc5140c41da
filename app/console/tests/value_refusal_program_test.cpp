// Values the console programmer refuses before anything runs: a number with
// text after it, a hexadecimal value in a decimal field, and times and
// supplies no run could mean. Each stops the project at load with Result 3
// and a text that names the attribute, the element and its line.
#include <gtest/gtest.h>

#include "program_fixture.h"

namespace kv::testing {
namespace {

using ValueRefusal = ProgramTest;

std::string Follows(const std::string& attribute, const std::string& value,
                    const std::string& element, int line) {
    return "Unable to convert " + attribute + " value " + value +
           " to DWORD: characters follow the number (element " + element + " on line " +
           std::to_string(line) + ")";
}

std::string OutOfRange(const std::string& attribute, const std::string& value,
                       const std::string& most, const std::string& element) {
    return "Unable to use " + attribute + " value " + value + ": it must lie between 0 and " +
           most + " (element " + element + " on line 4)";
}

std::string Wait(const std::string& element, const std::string& dwell, const std::string& repeat,
                 const std::string& flags = "") {
    return "<" + element + " " + flags + "dwDwellMilliseconds=\"" + dwell +
           "\" dwRepeatMilliseconds=\"" + repeat + "\" wRepeatCount=\"1\"></" + element + ">\n";
}

std::string Range(const std::string& element, const std::string& address) {
    return "<" + element + " strFileName=\"out.txt\" nFileType=\"FILETYPE_TI_TXT\" dwAddress=\"" +
           address + "\" dwLength=\"4\"></" + element + ">\n";
}

TEST_F(ValueRefusal, BadNumbersStopTheProjectAtLoad) {
    Plug();
    const std::string run = "bRunToBreakpoint=\"FALSE\" bWaitForBreak=\"TRUE\" ";
    const std::string twice =
        "<Dravik_Erase dwEraseType=\"ERASE_SEGMENT\" dwSegment=\"0x00001000\" "
        "dwLength=\"0x00000002\" dwSegment=\"0x00001200\"></Dravik_Erase>";
    struct Case {
        const char* what;
        std::string vcc, command, text;
        bool whole = false;  // the command is the whole file
    } cases[] = {
        {"hex address in a decimal field", "3000", Range("Dravik_ReadRangeToFile", "0x00001000"),
         Follows("dwAddress", "0x00001000", "Dravik_ReadRangeToFile", 4)},
        {"adapter address with a unit", "3000", Range("Tovrin_ReadRangeToFile", "4096 bytes"),
         Follows("dwAddress", "4096 bytes", "Tovrin_ReadRangeToFile", 4)},
        {"hex delay", "3000", "<Delay dwDelay=\"0x3E8\">wait</Delay>\n",
         Follows("dwDelay", "0x3E8", "Delay", 4)},
        {"hex supply on open", "3000", "<Dravik_Open dwVCC=\"0xBB8\"></Dravik_Open>\n",
         Follows("dwVCC", "0xBB8", "Dravik_Open", 4)},
        {"supply with a slash", "3000", "<Dravik_VCC dwVCC=\"3/00\"></Dravik_VCC>\n",
         Follows("dwVCC", "3/00", "Dravik_VCC", 4)},
        {"project supply with a unit", "3000V", "", Follows("dwVCC", "3000V", "ProjectKelvane", 2)},
        {"negative delay", "3000", "<Delay dwDelay=\"-1\">wait</Delay>\n",
         OutOfRange("dwDelay", "-1", "3600000 ms", "Delay")},
        {"delay beyond an hour", "3000", "<Delay dwDelay=\"3600001\">wait</Delay>\n",
         OutOfRange("dwDelay", "3600001", "3600000 ms", "Delay")},
        {"negative dwell", "3000", Wait("Dravik_WaitForBreak", "-1", "100"),
         OutOfRange("dwDwellMilliseconds", "-1", "3600000 ms", "Dravik_WaitForBreak")},
        {"run polling every 50 days", "3000", Wait("Dravik_Run", "500", "4294967295", run),
         OutOfRange("dwRepeatMilliseconds", "4294967295", "3600000 ms", "Dravik_Run")},
        {"negative supply", "3000", "<Dravik_VCC dwVCC=\"-1\"></Dravik_VCC>\n",
         OutOfRange("dwVCC", "-1", "3600 mV", "Dravik_VCC")},
        {"supply above the pod's", "3000", "<Dravik_Open dwVCC=\"5000\"></Dravik_Open>\n",
         OutOfRange("dwVCC", "5000", "3600 mV", "Dravik_Open")},
        {"a signed hexadecimal segment", "3000",
         "<Dravik_Erase dwEraseType=\"ERASE_SEGMENT\" dwSegment=\"0x-1\" "
         "dwLength=\"0x00000002\"></Dravik_Erase>\n",
         "Unable to convert dwSegment value 0x-1 to DWORD"},
        {"an attribute given twice", "3000", twice + "\n",
         "Error parsing line 4\n" + twice +
             "\nAttribute 'dwSegment' appears twice in element 'Dravik_Erase'"},
        {"a version that is no number", "3000", "nFileVersion=\"2x\"",
         "Unable to convert nFileVersion value 2x to int: characters follow the number "
         "(element ProjectKelvane on line 2)",
         true},
        {"an empty file", "", "", "The file is empty: it holds no project", true},
    };
    for (const Case& c : cases) {
        std::string text = c.whole ? c.command : Project(c.vcc, c.command);
        if (c.whole && !c.command.empty()) {
            text = Project("3000", "");
            text.replace(text.find("nFileVersion=\"2\""), 16, c.command);
        }
        const std::string path = Write("values.kvnset", text);
        EXPECT_EQ(Run(path), 3) << c.what << "\n" << out;
        EXPECT_NE(out.find("Unable to open project " + path + "\n" + c.text + "\n"),
                  std::string::npos)
            << c.what << "\n"
            << out;
        EXPECT_EQ(out.find("Open JTAG"), std::string::npos) << c.what << ": nothing ran\n" << out;
        EXPECT_EQ(Read(path), text) << c.what << ": the file is kept as it was";
    }
}

TEST_F(ValueRefusal, BlanksAroundANumberAndTheLongestTimesAreTaken) {
    Plug();
    const std::string path =
        Write("values.kvnset", Project(" 3000 ",
                                       "<Dravik_Open dwVCC=\" 3600\"></Dravik_Open>\n"
                                       "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n"
                                       "<Delay dwDelay=\"3600000 \">an hour</Delay>\n"
                                       "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n"));
    EXPECT_EQ(Run(path), 0) << out;
    EXPECT_NE(out.find("Open JTAG: 3.6v OK\n"), std::string::npos) << out;
}

}  // namespace
}  // namespace kv::testing
