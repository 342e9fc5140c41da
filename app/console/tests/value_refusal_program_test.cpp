// Values the console programmer refuses before anything runs: a number with
// text after it, a hexadecimal value in a decimal field, and times and
// supplies no run could mean. Each stops the project at load with Result 3
// and a text that names the attribute, the element and its line.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "program_fixture.h"

namespace kv::testing {
namespace {

using ValueRefusal = ProgramTest;

std::string Follows(const std::string& attribute, const std::string& value,
                    const std::string& element, int line) {
    return "Unable to convert " + attribute + " value " + value +
           " to DWORD: characters follow the number (element " + element + " on line " +
           std::to_string(line) + "); expected a decimal number";
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
         "Unable to convert dwSegment value 0x-1 to DWORD (element Dravik_Erase on line 4); "
         "expected a hexadecimal number starting with 0x"},
        {"an attribute given twice", "3000", twice + "\n",
         "Error parsing line 4\n" + twice +
             "\nAttribute 'dwSegment' appears twice in element 'Dravik_Erase'"},
        {"a version that is no number", "3000", "nFileVersion=\"2x\"",
         "Unable to convert nFileVersion value 2x to int: characters follow the number "
         "(element ProjectKelvane on line 2); expected a decimal number from -2147483648 to "
         "2147483647",
         true},
        {"an empty file", "", "", "The file is empty: it holds no project", true},
        {"a file of blank lines", "", "\n  \r\n\t\n", "The file is empty: it holds no project",
         true},
        {"project supply above the pod's", "5000", "",
         "Unable to use dwVCC value 5000: it must lie between 0 and 3600 mV (element "
         "ProjectKelvane on line 2)"},
        {"an erase kind no keyword names", "3000",
         "<Dravik_Erase dwEraseType=\"7\" dwSegment=\"0x00001000\" "
         "dwLength=\"0x00000002\"></Dravik_Erase>\n",
         "Unable to convert 7 to DWORD (dwEraseType): no keyword has this value (element "
         "Dravik_Erase on line 4); expected one of ERASE_ALL, ERASE_MAIN, ERASE_SEGMENT"},
        {"a hexadecimal configuration value of one digit", "3000",
         "<Dravik_Configure nMode=\"FLASH_SWOP\" nValue=\"0x1\"></Dravik_Configure>\n",
         "Unable to convert nValue value 0x1 to DWORD (element Dravik_Configure on line 4); "
         "expected a decimal number, or a hexadecimal number of at least two digits after 0x "
         "(0x01, not 0x1)"},
        {"a password word wider than 16 bits", "3000",
         "<Tovrin_SetPassword strFileName=\"pw.txt\" nFileType=\"FILETYPE_TI_TXT\" "
         "bPasswordSourceIsFile=\"FALSE\">\n0xFFFF 0xFFFF 0xFFFF 0xFFFF 0xFFFF 0xFFFF 0xFFFF "
         "0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF 0xFFFF 0xFFFF 0xFFFF 0xC0001\n"
         "</Tovrin_SetPassword>\n",
         "Unable to parse '0xC0001' for value: it does not fit in a WORD value (element "
         "Tovrin_SetPassword on line 4)"},
        {"a repeat count beyond 16 bits", "3000",
         "<Dravik_WaitForBreak dwDwellMilliseconds=\"1\" dwRepeatMilliseconds=\"1\" "
         "wRepeatCount=\"70000\"></Dravik_WaitForBreak>\n",
         "Unable to convert wRepeatCount value 70000 to WORD: the number does not fit in 16 bits "
         "(element Dravik_WaitForBreak on line 4); expected a decimal number from 0 to 65535"},
    };
    for (const Case& c : cases) {
        std::string text = c.whole ? c.command : Project(c.vcc, c.command);
        if (c.whole && c.command.find("nFileVersion") != std::string::npos) {
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

bool AllDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// The values a user could mistype for the attribute, by the form its golden
// value shows: too wide for its size, negative, empty, a bare 0x, decimal in
// a hexadecimal field, hexadecimal in a decimal one, a keyword with a blank,
// a number no keyword names. Each is one the program cannot use or write back.
std::vector<std::string> Mistyped(const AttributeLine& a) {
    const std::string& n = a.name;
    const bool word = n[0] == 'w';
    if (n.rfind("str", 0) == 0 || n == "nFileVersion" || n == "nFileSubVersion") return {};
    if (a.element == "Dravik_Configure" && n == "nValue")
        return {"", "0x", "0x1", "0x100000000", "1x"};
    if (a.value == "TRUE" || a.value == "FALSE") return {"", "TRUE ", "2", "-1"};
    if (a.value.rfind("0x", 0) == 0)
        return {word ? "0x10000" : "0x100000000", "-1", "", "0x", "4096"};
    if (AllDigits(a.value) && word) return {"65536", "-1", "", "0x", "0x10"};
    if (AllDigits(a.value) && n[0] == 'd') {
        std::vector<std::string> values{"4294967296", "", "0x", "0x10"};
        if (n.find("VCC") != std::string::npos) values.insert(values.end(), {"-1", "3601"});
        if (n.find("Milliseconds") != std::string::npos || n == "dwDelay")
            values.insert(values.end(), {"-1", "3600001"});
        return values;
    }
    if (AllDigits(a.value)) {
        std::vector<std::string> values{"2147483648", "", "0x", "0x10"};
        if (n != "nCount") values.insert(values.end(), {"-1", "99"});  // a choice of numbers
        return values;
    }
    return {"", a.value + " ", "99", "-1", "0x"};
}

// What a user could mistype in a memory value or a password word, by the
// width the writer gives it: a letter, no "0x", too wide for its size, past
// 32 bits, or left out (one value fewer than the element needs).
std::vector<std::string> MistypedToken(const TextToken& t) {
    const std::size_t digits = t.token.size() - 2;
    const std::string wide = digits <= 2 ? "0x1FF" : digits <= 4 ? "0x1FFFF" : "0x1FFFFFFFF";
    return {"0xZZ", t.token.substr(2), wide, "0x123456789", ""};
}

// Counts that do not agree with the element's text or the target: more values
// than the text holds, a buffer past the address space, a pattern longer than
// the buffer or longer than its text; and file versions the program does not
// know.
std::vector<std::string> MistypedCount(const AttributeLine& a, const std::string& golden) {
    const bool memory = a.element.find("Memory") != std::string::npos;
    const bool fill = a.element.find("FillMemory") != std::string::npos;
    const auto number = [](const std::string& text) {
        return static_cast<unsigned>(std::stoul(text.substr(2), nullptr, 16));
    };
    const auto hex = [](unsigned value) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%08X", value);
        return std::string(text);
    };
    if (a.name == "nFileVersion") return {"7", "-1", "256", "0"};
    if (memory && a.name == "dwCount") {
        std::vector<std::string> values{"0x00100001"};
        const bool hasText = golden.compare(golden.find(">", a.at) + 1, 1, "\n") == 0;
        if (hasText && !fill) values.push_back(hex(number(a.value) + 0x10000));
        if (fill) values.push_back("0x00000001");  // below the pattern count
        return values;
    }
    if (fill && a.name == "dwPatternCount")
        return {"0x00010000", hex(number(a.value) + 1)};  // past the buffer, past its text
    return {};
}

TEST_F(ValueRefusal, EveryMistypedNumberOrKeywordOfTheGoldenProjectStopsItAtLoad) {
    Plug("chip=MSP430F149,adapter=MSP430F2274");
    std::filesystem::copy(KELVANE_GOLDEN_DIR, Folder(), std::filesystem::copy_options::recursive);
    const std::string path = Path("board/every_command.kvnset");
    const std::string golden = Read(path);
    int rows = 0;
    // The golden project with `length` characters at `at` replaced by the
    // value: refused at load, naming the element and its line, the file kept.
    const auto refused = [&](std::size_t at, std::size_t length, const std::string& value,
                             const std::string& element, int line, const std::string& row) {
        std::string text = golden;
        text.replace(at, length, value);
        Write("board/every_command.kvnset", text);
        ++rows;
        EXPECT_EQ(Run(path), 3) << row << "\n" << out;
        EXPECT_NE(out.find("Unable to open project " + path + "\n"), std::string::npos)
            << row << "\n"
            << out;
        EXPECT_NE(out.find("(element " + element + " on line " + std::to_string(line) + ")"),
                  std::string::npos)
            << row << "\n"
            << out;
        EXPECT_EQ(out.find("Open JTAG"), std::string::npos) << row << "\n" << out;
        EXPECT_EQ(Read(path), text) << row << ": the file is kept as it was";
    };
    for (const AttributeLine& a : AttributeLines(golden)) {
        const std::string where = a.element + " line " + std::to_string(a.line) + " " + a.name;
        for (const std::string& value : Mistyped(a)) {
            const std::string row = where + "=\"" + value + "\"";
            refused(a.at, a.value.size(), value, a.element, a.line, row);
            EXPECT_NE(out.find(a.name), std::string::npos) << row << "\n" << out;
            EXPECT_TRUE(out.find("; expected ") != std::string::npos ||
                        out.find(": it must lie between ") != std::string::npos)
                << row << ": the text says what the attribute takes\n"
                << out;
        }
        for (const std::string& value : MistypedCount(a, golden))
            refused(a.at, a.value.size(), value, a.element, a.line, where + "=\"" + value + "\"");
    }
    EXPECT_GT(rows, 400) << "every attribute of the golden project is tried";
    const int attributeRows = rows;
    for (const TextToken& t : TextTokens(golden)) {
        for (const std::string& value : MistypedToken(t))
            refused(t.at, t.token.size(), value, t.element, t.line,
                    t.element + " line " + std::to_string(t.line) + " " + t.token + " as \"" +
                        value + "\"");
    }
    EXPECT_GT(rows - attributeRows, 150) << "every memory value and password word is tried";
}

// Values a value plug-in cannot write, typed into the golden project's
// Overlay and Serialize: the run stops before the pod is opened, with the
// plug-in's reason, and the project keeps the user's text. (The plug-ins'
// own tests hold every form they refuse; here one of each kind.)
TEST_F(ValueRefusal, PlugInValuesTheAlgorithmRefusesStopTheRunBeforeTheChip) {
    Plug("chip=MSP430F149,adapter=MSP430F2274");
    std::filesystem::copy(KELVANE_GOLDEN_DIR, Folder(), std::filesystem::copy_options::recursive);
    const std::string path = Path("board/every_command.kvnset");
    const std::string golden = Read(path);
    const std::string overlay = "strNextValue=\"0x0007\"";
    const std::string serial = "strNextValue=\"41\"";
    const std::string count = "nCount=\"3\"\n\tbCountUp=\"FALSE\"";
    const std::string module = "\n\tstrModule=\"libvossil.so\"\n\tstrNextValue=";
    const std::string dword = "strAlgorithm=\"WORD\"" + module + "\"41\"";
    const std::string next1 = module + "\"-1\"";
    struct Case {
        const char* what;
        std::string from, to, text;
    } cases[] = {
        {"hex digits and letters", overlay, "strNextValue=\"12zz\"",
         "Overlay parse failed\nValue '12zz' is not a hexadecimal number for WORD algorithm"},
        {"too many digits for a word", overlay, "strNextValue=\"123456789\"",
         "Overlay parse failed\nValue '123456789' out of range for WORD algorithm"},
        {"a serial number with letters", serial, "strNextValue=\"41xyz\"",
         "Serializer parse failed\nValue '41xyz' is not a decimal number for WORD algorithm"},
        {"a negative serial number of a double word", dword, "strAlgorithm=\"DWORD\"" + next1,
         "Serializer parse failed\nValue '-1' out of range for DWORD algorithm"},
        {"a count at the bottom of an int", count, "nCount=\"-2147483648\"\n\tbCountUp=\"FALSE\"",
         "Unable to count nCount down from -2147483648: it would leave the range of an int"},
        {"a count at the top of an int", count, "nCount=\"2147483647\"\n\tbCountUp=\"TRUE\"",
         "Unable to count nCount up from 2147483647: it would leave the range of an int"},
    };
    for (const Case& c : cases) {
        std::string text = golden;
        ASSERT_NE(text.find(c.from), std::string::npos) << c.what;
        text.replace(text.find(c.from), c.from.size(), c.to);
        Write("board/every_command.kvnset", text);
        EXPECT_EQ(Run(path), 1) << c.what << "\n" << out;
        EXPECT_NE(out.find("Unable to launch operation.\n" + c.text + "\n"), std::string::npos)
            << c.what << "\n"
            << out;
        EXPECT_EQ(out.find("Open JTAG"), std::string::npos) << c.what << ": nothing ran\n" << out;
        EXPECT_EQ(Read(path), text) << c.what << ": the project keeps the user's text";
    }
}

}  // namespace
}  // namespace kv::testing
