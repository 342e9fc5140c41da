// Files a station may be handed that must be refused at once: the console
// programmer runs as its own process on the simulated devices, with no ulimit,
// and must end within the time-out with a clear text, its result code and a
// bounded peak memory. Large inputs are made here, never kept in the tree.
#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kTimeoutSeconds = 60;
// A row that must also end quickly (a file whose reading could grow faster than
// its size) gets its own limit; the sanitizers slow every run down.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kSlowdown = 5;
#else
constexpr int kSlowdown = 1;
#endif

// The largest input is 100 MB; the station's peak stays below it. Under the
// address sanitizer, whose quarantine and shadow memory take their own share,
// it stays below 1 GB.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kPeakLimitKb = 1024 * 1024;
#else
constexpr long kPeakLimitKb = 96 * 1024;
#endif

// A tighter bound for a row whose file may cost only a few times its size; it holds
// without the sanitizers only.
constexpr long PlainPeakKb([[maybe_unused]] long kb) {
#if defined(__SANITIZE_ADDRESS__)
    return kPeakLimitKb;
#else
    return kb;
#endif
}

std::string Project(const std::string& processor, const std::string& commands) {
    return "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
           "<ProjectKelvane nFileVersion=\"2\" nFileSubVersion=\"0\" strName=\"Hostile\" "
           "strTargetProcessor=\"" +
           processor + "\" dwVCC=\"3000\">\n<CommandList>\n" + commands +
           "</CommandList>\n</ProjectKelvane>\n";
}

std::string PodProgram(const std::string& image, const char* type) {
    return Project("MSP430F149",
                   "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"
                   "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n"
                   "<Dravik_ProgramFile strFileName=\"" + image + "\" nFileType=\"" + type +
                       "\" bVerifyMem=\"TRUE\"></Dravik_ProgramFile>\n"
                       "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n");
}

// A read of `length` bytes from `address` into ./out.txt through the pod.
std::string PodReadRange(const char* address, const char* length) {
    return Project("MSP430F149",
                   "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"
                   "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n"
                   "<Dravik_ReadRangeToFile strFileName=\"./out.txt\" "
                   "nFileType=\"FILETYPE_TI_TXT\" dwAddress=\"" + std::string(address) +
                       "\" dwLength=\"" + length + "\"></Dravik_ReadRangeToFile>\n"
                       "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n");
}

std::string AdapterWrite(const std::string& image) {
    return Project("MSP430F2274",
                   "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n"
                   "<Tovrin_SetPassword strFileName=\"NoFile.txt\" nFileType=\"FILETYPE_TI_TXT\" "
                   "bPasswordSourceIsFile=\"FALSE\">\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
                   "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
                   "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n</Tovrin_SetPassword>\n"
                   "<Tovrin_WriteFile strFileName=\"" + image +
                       "\" nFileType=\"FILETYPE_TI_TXT\" bVerifyMem=\"TRUE\"></Tovrin_WriteFile>\n"
                       "<Tovrin_PowerOff></Tovrin_PowerOff>\n");
}

// The password taken from the file before anything else is sent.
std::string AdapterPasswordFile(const std::string& image) {
    return Project("MSP430F2274",
                   "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n"
                   "<Tovrin_SetPassword strFileName=\"" + image +
                       "\" nFileType=\"FILETYPE_TI_TXT\" bPasswordSourceIsFile=\"TRUE\">\n"
                       "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
                       "0xFFFF 0xFFFF 0xFFFF 0xFFFF\n0xFFFF 0xFFFF 0xFFFF 0xFFFF\n"
                       "</Tovrin_SetPassword>\n"
                       "<Tovrin_PowerOff></Tovrin_PowerOff>\n");
}

// `count` one-byte records, one every other address from `address` on, as TI-TXT.
void WriteScatteredBytes(const fs::path& path, std::uint32_t address, std::size_t count) {
    std::ofstream out(path, std::ios::binary);
    char line[32];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(line, sizeof line, "@%X\n01\n", static_cast<unsigned>(address + 2 * i));
        out << line;
    }
    out << "q\n";
}

// What the program itself takes (a trivial project peaks near 7.6 MB) and the
// bound of an image: 16 times its size beyond that.
constexpr long kProgramOwnKb = 8 * 1024;
constexpr long ImagePeakKb(long fileBytes) {
    return PlainPeakKb(kProgramOwnKb + 16 * fileBytes / 1024);
}

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

const std::string kRow = "01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10\n";

// `count` empty attributes with distinct names: " a0=\"\"", " a1=\"\"", ...
std::string Attributes(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += " a" + std::to_string(i) + "=\"\"";
    return text;
}

struct Hostile {
    const char* name;
    const char* devices;
    // Makes the files in the folder; the project's path.
    std::function<std::string(const fs::path&)> make;
    int result;
    std::vector<std::string> texts;
    int seconds = kTimeoutSeconds;
    long peakKb = kPeakLimitKb;
    // What the station may print: a name or value of megabytes is quoted cut.
    std::size_t outputBytes = std::string::npos;
};

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The text with `times` copies of `piece` before `at`, written without holding
// it in memory (the test's own memory counts in the program's peak).
void WriteLarge(const fs::path& path, const std::string& text, const std::string& at,
                const std::string& piece, std::size_t times) {
    std::ofstream out(path, std::ios::binary);
    const std::size_t split = text.find(at);
    out << text.substr(0, split);
    for (std::size_t i = 0; i < times; ++i)
        out << piece;
    out << text.substr(split);
}

std::string ProjectWith(const fs::path& dir, const std::string& text) {
    Write(dir / "run.kvnset", text);
    return (dir / "run.kvnset").string();
}

// The project with `bytes` more of the character before `at`: a name or value
// of megabytes.
std::string ProjectWithLarge(const fs::path& dir, const std::string& text, const std::string& at,
                             char character, std::size_t bytes) {
    WriteLarge(dir / "run.kvnset", text, at, std::string(1024, character), bytes / 1024);
    return (dir / "run.kvnset").string();
}

// The text with its first `from` replaced.
std::string With(std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
}

constexpr std::size_t kFourMegabytes = std::size_t{4} << 20;
// The most a refused name or value may make the station print.
constexpr std::size_t kQuotedOutput = 4096;

const Hostile kHostile[] = {
    {"PodImageRepeatsOneRowAThousandTimes", "chip=MSP430F149",
     [](const fs::path& d) {
         Write(d / "image.txt", Repeat("@1100\n" + kRow, 1000) + "q\n");
         return ProjectWith(d, PodProgram("./image.txt", "FILETYPE_TI_TXT"));
     },
     27, {"File data error\nLine 4: data at 01100 overlaps data of an earlier line\n"}},
    {"PodIntelImageGivesOneAddressTwoValues", "chip=MSP430F149",
     [](const fs::path& d) {
         Write(d / "image.hex", ":02110000AA55EE\n:021100001234A7\n:00000001FF\n");
         return ProjectWith(d, PodProgram("./image.hex", "FILETYPE_INTEL_HEX"));
     },
     27, {"Line 2: data at 01100 overlaps data of an earlier line\n"}},
    {"AdapterImageRecordsOverlap", "pod=none,adapter=MSP430F2274",
     [](const fs::path& d) {
         Write(d / "image.txt", "@E000\n" + kRow + "@E008\n" + kRow + "q\n");
         return ProjectWith(d, AdapterWrite("./image.txt"));
     },
     1, {"Error parsing line 4\n", "Data at 0000E008 overlaps data of an earlier line\n"}},
    // Out of address order: the earlier line's range is found all the same.
    {"AdapterImageRecordsOverlapOutOfOrder", "pod=none,adapter=MSP430F2274",
     [](const fs::path& d) {
         Write(d / "image.txt", "@E100\n01\n@E000\n" + kRow + "@E008\n01\nq\n");
         return ProjectWith(d, AdapterWrite("./image.txt"));
     },
     1, {"Error parsing line 6\n", "Data at 0000E008 overlaps data of an earlier line\n"}},
    {"AdapterImageAboveTheChip", "pod=none,adapter=MSP430F2274",
     [](const fs::path& d) {
         Write(d / "image.txt", "@FFF8\n" + kRow + "q\n");
         return ProjectWith(d, AdapterWrite("./image.txt"));
     },
     1, {"does not fit the MSP430F2274: it holds data at 10000, above the chip's top "
         "address 0FFFF\n"}},
    {"AdapterImageOfAHundredMegabytes", "pod=none,adapter=MSP430F2274",
     [](const fs::path& d) {
         WriteLarge(d / "image.txt", "@0000\nq\n", "q", kRow, 100'000'000 / kRow.size());
         return ProjectWith(d, AdapterWrite("./image.txt"));
     },
     1, {"does not fit the MSP430F2274: it holds data at 00000, outside the chip's flash and "
         "RAM\n"}},
    // 100,000 scattered bytes (1.1 MB): each costs the image a few dozen bytes, not a
    // block of 4 KB; none lies in the vector table, so no password is sent.
    {"AdapterPasswordFileOfAHundredThousandScatteredBytes", "pod=none,adapter=MSP430F2274",
     [](const fs::path& d) {
         WriteScatteredBytes(d / "pw.txt", 0x100000, 100'000);
         return ProjectWith(d, AdapterPasswordFile("./pw.txt"));
     },
     1, {"pw.txt holds no password: no byte at FFE0-FFFF\n", "Power Off (BSL): OK\n"}, 10,
     ImagePeakKb(1'100'002)},
    // The same bytes to write: the first one above the chip ends the read at its line.
    {"AdapterImageOfAHundredThousandBytesAboveTheChip", "pod=none,adapter=MSP430F2274",
     [](const fs::path& d) {
         WriteScatteredBytes(d / "image.txt", 0x100000, 100'000);
         return ProjectWith(d, AdapterWrite("./image.txt"));
     },
     1, {"Error parsing line 2\n01\n", "image.txt does not fit the MSP430F2274: it holds data at "
         "100000, above the chip's top address 0FFFF\n", "Power Off (BSL): OK\n"}, 5,
     PlainPeakKb(kProgramOwnKb + 2 * 1024)},
    {"PodImageIsDevZero", "chip=MSP430F149",
     [](const fs::path& d) { return ProjectWith(d, PodProgram("/dev/zero", "FILETYPE_TI_TXT")); },
     23, {"File open error\n/dev/zero is a device, not a file\n"}},
    {"PodImageIsAFolder", "chip=MSP430F149",
     [](const fs::path& d) {
         fs::create_directory(d / "image.txt");
         return ProjectWith(d, PodProgram("./image.txt", "FILETYPE_TI_TXT"));
     },
     23, {"image.txt is a folder, not a file\n"}},
    {"AdapterImageIsAFifo", "pod=none,adapter=MSP430F2274",
     [](const fs::path& d) {
         ::mkfifo((d / "image.txt").c_str(), 0600);
         return ProjectWith(d, AdapterWrite("./image.txt"));
     },
     1, {"image.txt is a FIFO, not a file\n"}},
    {"PodReadOutToAFifo", "chip=MSP430F149",
     [](const fs::path& d) {
         ::mkfifo((d / "out.txt").c_str(), 0600);
         return ProjectWith(d, PodReadRange("61440", "16"));
     },
     1, {"out.txt is a FIFO, not a file\n", "VCC Off: OK\n"}},
    {"PodReadRangePastTheLastAddress", "chip=MSP430F149",
     [](const fs::path& d) { return ProjectWith(d, PodReadRange("65280", "512")); },
     1, {"The range FF00-100FF ends past FFFF, the last address of the MSP430F149\n",
         "VCC Off: OK\n"}},
    {"AdapterReadRangePastTheLastAddress", "pod=none,adapter=MSP430F2274",
     [](const fs::path& d) {
         return ProjectWith(
             d, Project("MSP430F2274",
                        "<Tovrin_SeizeTarget></Tovrin_SeizeTarget>\n"
                        "<Tovrin_ReadRangeToFile strFileName=\"./out.txt\" "
                        "nFileType=\"FILETYPE_TI_TXT\" dwAddress=\"65024\" dwLength=\"1024\">"
                        "</Tovrin_ReadRangeToFile>\n"));
     },
     1, {"The range FE00-101FF ends past FFFF, the last address of the MSP430F2274\n",
         "Power Off (BSL): OK\n"}},
    {"PodImageWithoutData", "chip=MSP430F149",
     [](const fs::path& d) {
         Write(d / "image.txt", "@1100\nq\n");
         return ProjectWith(d, PodProgram("./image.txt", "FILETYPE_TI_TXT"));
     },
     27, {"File data error\n", "image.txt holds no data\n"}},
    {"AdapterImageWithoutData", "pod=none,adapter=MSP430F2274",
     [](const fs::path& d) {
         Write(d / "image.txt", "@E000\nq\n");
         return ProjectWith(d, AdapterWrite("./image.txt"));
     },
     1, {"image.txt holds no data\n", "Power Off (BSL): OK\n"}},
    {"ProjectIsAFifo", "chip=MSP430F149",
     [](const fs::path& d) {
         ::mkfifo((d / "run.kvnset").c_str(), 0600);
         return (d / "run.kvnset").string();
     },
     3, {"run.kvnset is a FIFO, not a file\n"}},
    {"PodImageOfTenMegabytesWithoutALineFeed", "chip=MSP430F149",
     [](const fs::path& d) {
         Write(d / "image.txt", "@1100\n" + std::string(10 << 20, 'F'));
         return ProjectWith(d, PodProgram("./image.txt", "FILETYPE_TI_TXT"));
     },
     27, {"Line 2: line longer than 1024 characters\n"}},
    {"ProjectOfAHundredMegabytes", "chip=MSP430F149",
     [](const fs::path& d) {
         WriteLarge(d / "run.kvnset", Project("MSP430F149", ""), "</CommandList>",
                    "<Comment></Comment>\n", 5'300'000);
         return (d / "run.kvnset").string();
     },
     3, {"run.kvnset is larger than 64 MB, more than a document may be\n"}},
    {"ProjectOfTwoHundredThousandCommands", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWith(d, Project("MSP430F149", Repeat("<Comment></Comment>\n", 200'000)));
     },
     3, {"More than 100000 elements in the document\n"}},
    {"ProjectNestedAMillionDeep", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWith(d, "<ProjectKelvane>\n" + Repeat("<a>", 1'000'000) + "\n");
     },
     3, {"Error parsing line 2\n<a><a>", "...\nElements nested deeper than 1000 levels\n"}},
    {"NulInsideAFileName", "chip=MSP430F149",
     [](const fs::path& d) {
         Write(d / "blink.txt", "@1100\n" + kRow + "q\n");
         return ProjectWith(d, PodProgram(std::string("./blink.txt\0evil", 16), "FILETYPE_TI_TXT"));
     },
     3, {"blink.txt\\x00evil", "NUL byte at column"}},
    {"EscapeBytesInAFileName", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWith(d, PodProgram("./\x1B[2Jgone.txt", "FILETYPE_TI_TXT"));
     },
     23, {"\\x1B[2Jgone.txt"}},
    {"OneElementWithAHundredThousandAttributesAndTheFirstAgain", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWith(d, Project("MSP430F149", "<Comment" + Attributes(100'000) +
                                                         " a0=\"\"></Comment>\n"));
     },
     3, {"Attribute 'a0' appears twice in element 'Comment'\n"}, 5},
    {"FourMegabytesOfElementsWithFiftyAttributes", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWith(
             d, Project("MSP430F149", Repeat("<Comment" + Attributes(50) + "></Comment>\n",
                                             10'000)));
     },
     0, {"Operation succeeded\n"}, 5},
    // 2 MB of empty commands: the largest number of elements a project may hold, each costing
    // the reader and the program a few dozen and under two hundred bytes: below 16 times
    // the file.
    {"TwoMegabytesOfEmptyCommands", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWith(d, Project("MSP430F149", Repeat("<Comment></Comment>\n", 99'990)));
     },
     0, {"Operation succeeded\n"}, 5, PlainPeakKb(16 * 2'000'000 / 1024)},
    // The reader's own share: 100,000 elements the program refuses after the parse cost the
    // reader a few megabytes in all.
    {"HalfAMegabyteOfUnknownElements", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWith(d, Project("MSP430F149", Repeat("<a/>\n", 99'990)));
     },
     3, {"Unable to open command 'a'\n"}, 5, PlainPeakKb(14 * 1024)},
    // A DTD of 2 MB: one list of 100,000 attribute declarations stays below 16 times the file.
    {"DtdOfOneListOfAHundredThousandDeclarations", "chip=MSP430F149",
     [](const fs::path& d) {
         std::string list = "<!ATTLIST Comment\n";
         for (int i = 0; i < 99'990; ++i)
             list += " a" + std::to_string(i) + " CDATA #IMPLIED\n";
         const std::string project = Project("MSP430F149", "<Comment></Comment>\n");
         return ProjectWith(d, "<!DOCTYPE ProjectKelvane [\n" + list + ">\n]>\n" +
                                   project.substr(project.find("<ProjectKelvane")));
     },
     0, {"Operation succeeded\n"}, 5, PlainPeakKb(16 * 2'000'000 / 1024)},
    {"DtdOfAHundredThousandAndOneAttributeLists", "chip=MSP430F149",
     [](const fs::path& d) {
         std::string lists;
         for (int i = 0; i <= 100'000; ++i)
             lists += "<!ATTLIST e" + std::to_string(i) + " >" + (i % 50 == 49 ? "\n" : "");
         return ProjectWith(d, "<!DOCTYPE ProjectKelvane [\n" + lists + "]>\n<ProjectKelvane/>\n");
     },
     3, {"\nMore than 100000 declarations in the DTD\n"}, 5},
    {"FileNameWithTheOneCharacterCsiInUtf8", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWith(d, PodProgram("./\xC2\x9B" "2Jgone.txt", "FILETYPE_TI_TXT"));
     },
     23, {"\\xC2\\x9B2Jgone.txt"}, 5},
    {"FileNameWithARawCsiByte", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWith(d, PodProgram("./\x9B" "2Jraw.txt\xC3\xA9", "FILETYPE_TI_TXT"));
     },
     23, {"\\x9B2Jraw.txt\xC3\xA9"}, 5},
    // Names and values of megabytes are quoted cut, with a mark.
    {"AnElementNameOfEightMegabytes", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWithLarge(d, Project("MSP430F149", "<N/>\n"), "/>\n</CommandList>", 'N',
                                 std::size_t{8} << 20);
     },
     3, {"Unable to open command '" + std::string(256, 'N') + "...'\n"}, 10, kPeakLimitKb,
     kQuotedOutput},
    {"AFileTypeOfFourMegabytes", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWithLarge(d, PodProgram("./image.txt", ""), "\" bVerifyMem", 'A',
                                 kFourMegabytes);
     },
     3, {"Unable to convert " + std::string(256, 'A') + "... to LONG (nFileType)"}, 10,
     kPeakLimitKb, kQuotedOutput},
    {"AProjectSupplyOfFourMegabytes", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWithLarge(d, With(Project("MSP430F149", ""), "dwVCC=\"3000", "dwVCC=\"1"),
                                 "\">\n<CommandList>", '0', kFourMegabytes);
     },
     3, {"Unable to convert dwVCC value 1" + std::string(255, '0') + "... to DWORD"}, 10,
     kPeakLimitKb, kQuotedOutput},
    {"AForceMatchOfFourMegabytes", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWithLarge(
             d, Project("MSP430F149", "<Dravik_Identify bForceMatch=\"\"></Dravik_Identify>\n"),
             "\"></Dravik_Identify>", 'T', kFourMegabytes);
     },
     3, {"Unable to convert " + std::string(256, 'T') + "... to LONG (bForceMatch)"}, 10,
     kPeakLimitKb, kQuotedOutput},
    {"AFileVersionOfFourMegabytes", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWithLarge(
             d, With(Project("MSP430F149", ""), "nFileVersion=\"2", "nFileVersion=\""),
             "\" nFileSubVersion", '7', kFourMegabytes);
     },
     3, {"Unable to convert nFileVersion value " + std::string(256, '7') + "... to int"}, 10,
     kPeakLimitKb, kQuotedOutput},
    {"ATargetProcessorOfFourMegabytes", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWithLarge(d, Project("", "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"),
                                 "\" dwVCC", 'P', kFourMegabytes);
     },
     1, {"Unable to find processor '" + std::string(256, 'P') + "...'"}, 10, kPeakLimitKb,
     kQuotedOutput},
    {"AFileNameOfFourMegabytes", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWithLarge(d, PodProgram("./", "FILETYPE_TI_TXT"), "\" nFileType", 'F',
                                 kFourMegabytes);
     },
     23, {"Program File '" + std::string(242, 'F') + "...: ", "FFFF... failed\n",
          "FFFF...\nFile name too long\n", "VCC Off: OK\n"}, 10, kPeakLimitKb,
     kQuotedOutput},
    {"AMemoryValueOfFourMegabytes", "chip=MSP430F149",
     [](const fs::path& d) {
         return ProjectWithLarge(d,
                                 Project("MSP430F149",
                                         "<Dravik_WriteMemory dwAddress=\"0x00000200\" "
                                         "dwCount=\"0x00000001\" wValueType=\"BYTE\">\n0x"
                                         "</Dravik_WriteMemory>\n"),
                                 "</Dravik_WriteMemory>", '1', kFourMegabytes);
     },
     3, {"Unable to parse '0x" + std::string(254, '1') + "...' for value (element "
         "Dravik_WriteMemory on line 4)\n"}, 10, kPeakLimitKb, kQuotedOutput},
    {"ImageIsASymbolicLinkLoop", "chip=MSP430F149",
     [](const fs::path& d) {
         fs::create_symlink("loop2", d / "loop1");
         fs::create_symlink("loop1", d / "loop2");
         return ProjectWith(d, PodProgram("./loop1", "FILETYPE_TI_TXT"));
     },
     23, {"File open error\nCannot open ", "loop1\nToo many levels of symbolic links\n"}, 5},
};

// The program's exit code, its output and peak memory; fails the test when it
// runs past the time-out.
struct ConsoleRun {
    int code = -1;
    std::string out;
    long peakKb = 0;
};

ConsoleRun RunConsole(const fs::path& dir, const std::string& devices, const std::string& project,
                      int seconds) {
    ConsoleRun run;
    const fs::path output = dir / "output.txt";
    const pid_t child = ::fork();
    if (child == 0) {
        const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        ::chdir(dir.c_str());
        ::setenv("KELVANE_USB", ("sim:" + devices).c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        ::execl(KELVANE_CMDLINE, KELVANE_CMDLINE, project.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    int status = 0;
    rusage usage{};
    while (::wait4(child, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(child, SIGKILL);
            ::wait4(child, &status, 0, &usage);
            ADD_FAILURE() << "no end within " << seconds << " s";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream in(output, std::ios::binary);
    run.out.assign(std::istreambuf_iterator<char>(in), {});
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakKb = usage.ru_maxrss;
    return run;
}

class HostileInputs : public ::testing::TestWithParam<Hostile> {};

TEST_P(HostileInputs, EndAtOnceWithAClearTextAndBoundedMemory) {
    const Hostile& row = GetParam();
    const fs::path dir = fs::temp_directory_path() /
                         ("kelvane_hostile_" + std::to_string(::getpid()) + "_" + row.name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    const ConsoleRun run = RunConsole(dir, row.devices, row.make(dir), row.seconds * kSlowdown);
    fs::remove_all(dir);
    EXPECT_EQ(run.code, row.result) << run.out.substr(0, 2000);
    EXPECT_TRUE(run.out.ends_with("Result = " + std::to_string(row.result) + "\n"))
        << run.out.substr(0, 2000);
    for (const std::string& text : row.texts)
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out.substr(0, 2000);
    // What a file brings never reaches the terminal raw: no C0 control, no DEL,
    // no C1 control in UTF-8 (C2 80 to C2 9F) nor as a byte after plain text.
    unsigned char before = '\n';
    for (const char c : run.out) {
        const auto byte = static_cast<unsigned char>(c);
        ASSERT_FALSE((byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7F)
            << "raw control byte " << static_cast<int>(byte);
        ASSERT_FALSE(byte >= 0x80 && byte <= 0x9F && (before < 0x80 || before == 0xC2))
            << "raw C1 control " << static_cast<int>(byte);
        before = byte;
    }
    if (row.outputBytes != std::string::npos) {
        EXPECT_LT(run.out.size(), row.outputBytes) << run.out.substr(0, 2000);
    }
    RecordProperty("peak_rss_kb", std::to_string(run.peakKb));
    EXPECT_LT(run.peakKb, row.peakKb) << "peak RSS " << run.peakKb << " kB";
}

INSTANTIATE_TEST_SUITE_P(Station, HostileInputs, ::testing::ValuesIn(kHostile),
                         [](const ::testing::TestParamInfo<Hostile>& row) {
                             return std::string(row.param.name);
                         });

}  // namespace
