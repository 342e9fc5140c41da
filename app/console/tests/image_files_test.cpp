// Image files in the shapes other tools write, programmed, verified and read
// back by the console programmer against the simulated pod and an FG4619 (a
// 20-bit part with flash on both sides of 0x10000).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "kelvane/core/hex_image_file.h"
#include "kelvane/core/text_hex_file.h"

namespace {

namespace fs = std::filesystem;
using Image = std::map<std::uint32_t, std::uint8_t>;

std::uint8_t Pattern(std::uint32_t address) {
    return static_cast<std::uint8_t>((address * 7 + (address >> 8) + 3) & 0xFF);
}

// Bytes from `start` for `count`, one image.
void Fill(Image& image, std::uint32_t start, std::uint32_t count) {
    for (std::uint32_t a = start; a < start + count; ++a)
        image[a] = Pattern(a);
}

std::string Record(unsigned type, unsigned offset, const std::vector<std::uint8_t>& data) {
    unsigned sum = static_cast<unsigned>(data.size()) + (offset >> 8) + (offset & 0xFF) + type;
    char text[16];
    std::snprintf(text, sizeof text, ":%02X%04X%02X", static_cast<unsigned>(data.size()),
                  offset & 0xFFFF, type);
    std::string line = text;
    for (std::uint8_t b : data) {
        std::snprintf(text, sizeof text, "%02X", b);
        line += text;
        sum += b;
    }
    std::snprintf(text, sizeof text, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + text;
}

// Contiguous runs of the image.
std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> Runs(const Image& image) {
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> runs;
    for (const auto& [address, value] : image) {
        if (runs.empty() || runs.back().first + runs.back().second.size() != address)
            runs.push_back({address, {}});
        runs.back().second.push_back(value);
    }
    return runs;
}

// Intel HEX as a linker or converter writes it: records of `size` bytes that
// may cross a 64 KiB boundary, and an extended linear address record (type
// 04) only where a record starts under new upper bits.
std::string IntelLinear(const Image& image, std::size_t size) {
    std::string text;
    std::uint32_t upper = 0;
    for (const auto& [start, bytes] : Runs(image)) {
        for (std::size_t i = 0; i < bytes.size(); i += size) {
            const auto address = static_cast<std::uint32_t>(start + i);
            if ((address >> 16) != upper) {
                upper = address >> 16;
                text += Record(4, 0, {static_cast<std::uint8_t>(upper >> 8),
                                      static_cast<std::uint8_t>(upper)});
            }
            const std::size_t n = std::min(size, bytes.size() - i);
            text += Record(0, address & 0xFFFF,
                           std::vector<std::uint8_t>(bytes.begin() + static_cast<long>(i),
                                                     bytes.begin() + static_cast<long>(i + n)));
        }
    }
    return text + ":00000001FF\r\n";
}

// Intel HEX with extended segment addresses (type 02): each record's offset is
// taken within 16 bits of a segment base chosen at the record's start.
std::string IntelSegment(const Image& image, std::size_t size) {
    std::string text;
    std::uint32_t base = 0xFFFFFFFF;
    for (const auto& [start, bytes] : Runs(image)) {
        for (std::size_t i = 0; i < bytes.size(); i += size) {
            const auto address = static_cast<std::uint32_t>(start + i);
            const std::size_t n = std::min(size, bytes.size() - i);
            // A base that keeps the whole record inside its 64 KiB window.
            const std::uint32_t wanted = address & ~0xFFFFu;
            const std::uint32_t fits = address + n - 1 - wanted > 0xFFFF ? address & ~0xFu : wanted;
            if (fits != base) {
                base = fits;
                text += Record(2, 0, {static_cast<std::uint8_t>(base >> 12),
                                      static_cast<std::uint8_t>(base >> 4)});
            }
            text += Record(0, address - base,
                           std::vector<std::uint8_t>(bytes.begin() + static_cast<long>(i),
                                                     bytes.begin() + static_cast<long>(i + n)));
        }
    }
    return text + ":00000001FF\r\n";
}

// TI-TXT with six-digit address lines, as tools write them for 20-bit parts.
std::string TiTxtWide(const Image& image) {
    std::string text;
    char line[16];
    for (const auto& [start, bytes] : Runs(image)) {
        std::snprintf(line, sizeof line, "@%06X\n", start);
        text += line;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            std::snprintf(line, sizeof line, "%02X%s", bytes[i],
                          (i % 16 == 15 || i + 1 == bytes.size()) ? "\n" : " ");
            text += line;
        }
    }
    return text + "q\n";
}

class ConsoleImageFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("kelvane_image_files_" + std::to_string(::getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    // Erases, programs (with verify), verifies and reads back [from, from + length)
    // as TI-TXT; the console's transcript and exit code.
    int Run(const std::string& image, bool intel, std::uint32_t from, std::uint32_t length) {
        {
            std::ofstream(dir / "image.dat", std::ios::binary) << image;
        }
        const char* type = intel ? "FILETYPE_INTEL_HEX" : "FILETYPE_TI_TXT";
        std::ostringstream project;
        project << "<?xml version=\"1.0\" standalone=\"yes\" ?>\n"
                << "<ProjectKelvane nFileVersion=\"2\" nFileSubVersion=\"0\" strName=\"Shapes\" "
                   "strTargetProcessor=\"MSP430FG4619\" dwVCC=\"3000\">\n<CommandList>\n"
                << "<Dravik_Open dwVCC=\"3000\"></Dravik_Open>\n"
                << "<Dravik_Identify bForceMatch=\"TRUE\"></Dravik_Identify>\n"
                << "<Dravik_Erase dwEraseType=\"ERASE_ALL\" dwSegment=\"0x00001000\" "
                   "dwLength=\"0x00000001\"></Dravik_Erase>\n"
                << "<Dravik_ProgramFile strFileName=\"./image.dat\" nFileType=\"" << type
                << "\" bVerifyMem=\"TRUE\"></Dravik_ProgramFile>\n"
                << "<Dravik_VerifyFile strFileName=\"./image.dat\" nFileType=\"" << type
                << "\"></Dravik_VerifyFile>\n"
                << "<Dravik_ReadRangeToFile strFileName=\"./back.txt\" "
                   "nFileType=\"FILETYPE_TI_TXT\" dwAddress=\""
                << from << "\" dwLength=\"" << length << "\"></Dravik_ReadRangeToFile>\n"
                << "<Dravik_Close bVccOff=\"TRUE\"></Dravik_Close>\n"
                << "</CommandList>\n</ProjectKelvane>\n";
        {
            std::ofstream(dir / "shapes.kvnset") << project.str();
        }
        const std::string command = "KELVANE_USB='sim:chip=MSP430FG4619' XDG_CONFIG_HOME='" +
                                    (dir / "config").string() + "' '" KELVANE_CMDLINE "' '" +
                                    (dir / "shapes.kvnset").string() + "' 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) return -1;
        out.clear();
        char buffer[4096];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            out.append(buffer, n);
        const int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // The read-back file as bytes over [from, from + length), through the
    // program's own TI-TXT reader.
    std::vector<std::uint8_t> ReadBack(std::uint32_t from, std::uint32_t length) {
        kv::CTextHexFile back;
        std::vector<std::uint8_t> flat(length, 0x00);
        EXPECT_EQ(back.Open((dir / "back.txt").string(), kv::CHexImageFile::kModeRead), 1)
            << back.GetLastError();
        EXPECT_EQ(back.ExtractBlock(flat.data(), from, length), 1);
        return flat;
    }

    // The chip as the image should leave it: erased flash with the image's bytes.
    static std::vector<std::uint8_t> Expected(const Image& image, std::uint32_t from,
                                              std::uint32_t length) {
        std::vector<std::uint8_t> flat(length, 0xFF);
        for (const auto& [address, value] : image)
            if (address >= from && address < from + length) flat[address - from] = value;
        return flat;
    }

    void ExpectRoundTrip(const std::string& name, const std::string& text, bool intel,
                         const Image& image, std::uint32_t from, std::uint32_t length) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Run(text, intel, from, length), 0) << out;
        EXPECT_NE(out.find("Verify File 'image': "), std::string::npos) << out;
        EXPECT_TRUE(out.ends_with("Operation succeeded\nResult = 0\n")) << out;
        EXPECT_EQ(ReadBack(from, length), Expected(image, from, length));
    }

    fs::path dir;
    std::string out;
};

// Unaligned starts, gaps, and runs across 0x10000 and across 0x1FFFF's
// neighbour boundary 0x18000, in the record sizes of common tools.
Image ShapesImage() {
    Image image;
    Fill(image, 0xFF13, 0x1D0);    // across 0x10000, odd start
    Fill(image, 0x10400, 0x21);    // after a gap, odd length
    Fill(image, 0xFFE0, 0x20);     // the vectors (overlapping the first run)
    Fill(image, 0x1FF00, 0xF3);    // near the top of flash
    Fill(image, 0x4001, 0x3F);     // low flash, odd start
    return image;
}

TEST_F(ConsoleImageFiles, IntelHexWithLinearAddressesInEveryRecordSize) {
    const Image image = ShapesImage();
    for (std::size_t size : {16u, 24u, 32u, 255u}) {
        ExpectRoundTrip("linear, records of " + std::to_string(size), IntelLinear(image, size),
                        true, image, 0xFE00, 0x800);
        EXPECT_EQ(ReadBack(0xFE00, 0x800), Expected(image, 0xFE00, 0x800));
    }
    ExpectRoundTrip("linear, top of flash", IntelLinear(image, 32), true, image, 0x1FE00, 0x200);
}

TEST_F(ConsoleImageFiles, IntelHexWithSegmentAddresses) {
    const Image image = ShapesImage();
    for (std::size_t size : {16u, 255u})
        ExpectRoundTrip("segment, records of " + std::to_string(size), IntelSegment(image, size),
                        true, image, 0xFE00, 0x800);
}

TEST_F(ConsoleImageFiles, TiTxtAboveTheFirst64KiB) {
    const Image image = ShapesImage();
    ExpectRoundTrip("TI-TXT, six-digit addresses", TiTxtWide(image), false, image, 0xFE00, 0x800);
    ExpectRoundTrip("TI-TXT, top of flash", TiTxtWide(image), false, image, 0x1FE00, 0x200);
}

}  // namespace
