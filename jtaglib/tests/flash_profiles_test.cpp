// Erase, program, verify and read out through the exported functions on every
// chip profile: a 1xx part, a 2xx part with LOCKA, a 20-bit part and a part
// with the newer flash.
#include "flash_fixture.h"
#include "nandrel/image/hex_readers.h"

namespace {

class FlashProfiles : public FlashTest, public ::testing::WithParamInterface<ChipProfile> {
  protected:
    void SetUp() override {
        FlashTest::SetUp();
        open(GetParam());
    }
    uint32_t mainStart() const { return layout.mainStart; }
    uint32_t mainEnd() const { return layout.mainEnd; }
    uint32_t mainLength() const { return layout.mainEnd - layout.mainStart + 1; }
    uint32_t infoLength() const { return layout.infoEnd - layout.infoStart + 1u; }
    bool segmentALocks() const {
        return GetParam().deviceClass == 49 || GetParam().deviceClass == 41;
    }

    // Segments in information memory, at the start and end of main flash
    // (across 0x10000 on the 20-bit part) and in RAM; file order.
    std::vector<ImageSegment> image(uint8_t seed) {
        std::vector<ImageSegment> s;
        s.push_back({layout.infoStart, pattern(layout.infoStart, 0x40, seed)});
        s.push_back({mainStart(), pattern(mainStart(), 0x333, seed)});
        const uint32_t high = mainEnd() > 0xFFFF ? 0xFF00 : mainEnd() - 0x3FF;
        s.push_back({high, pattern(high, 0x400, seed)});
        s.push_back({layout.ramStart + 0x100u, pattern(layout.ramStart + 0x100u, 0x20, seed)});
        return s;
    }
    void expectOnChip(const std::vector<ImageSegment>& segments) {
        for (const ImageSegment& s : segments)
            EXPECT_EQ(chipBytes(s.address, static_cast<uint32_t>(s.bytes.size())), s.bytes)
                << std::hex << s.address;
    }
};

TEST_P(FlashProfiles, EveryEraseType) {
    pokeBytes(mainStart(), pattern(mainStart(), 0x600));
    pokeBytes(layout.infoStart, pattern(layout.infoStart, infoLength()));
    // Segment erase of one 512-byte main segment only.
    const uint32_t segment = (mainStart() | 0x1FF) + 1;
    const uint32_t before = segment - mainStart();
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, segment, 0x200), 1) << error();
    EXPECT_TRUE(allErased(segment, 0x200));
    EXPECT_EQ(chipBytes(mainStart(), before), pattern(mainStart(), before));
    EXPECT_EQ(chipBytes(segment + 0x200, 0x100), pattern(segment + 0x200, 0x100));
    // Main memory erase leaves information memory alone.
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_MAIN, mainStart(), mainLength()), 1) << error();
    EXPECT_TRUE(allErased(mainStart(), mainLength()));
    EXPECT_EQ(chipBytes(layout.infoStart, infoLength()), pattern(layout.infoStart, infoLength()));
    // Erase all with segment A unlocked takes information memory too.
    pokeBytes(mainStart(), pattern(mainStart(), 0x600));
    ASSERT_EQ(Nandrel_Configure(target, 5, 1), 1);
    ASSERT_EQ(Nandrel_Erase(target, NANDREL_ERASE_ALL, layout.infoStart, infoLength()), 1) << error();
    EXPECT_TRUE(allErased(layout.infoStart, infoLength()));
    EXPECT_TRUE(allErased(mainStart(), 0x600));
    // Segment A stays as locked as it was, and the flash is left locked.
    EXPECT_NE(chip().flash().fctl3() & 0x10, 0);
    if (segmentALocks()) {
        EXPECT_NE(chip().flash().fctl3() & 0x40, 0);
    }
}

TEST_P(FlashProfiles, ProgramVerifyAndReadOutBothFormats) {
    const auto segments = image(1);
    const std::string text = path("image.txt");
    writeFile(text, textImage(segments));
    ASSERT_EQ(Nandrel_Configure(target, 5, 1), 1);
    ASSERT_EQ(Nandrel_ProgramFile(target, text.c_str(), NANDREL_PROGRAM_ERASE_ALL, 1), 1) << error();
    expectOnChip(segments);
    EXPECT_EQ(Nandrel_VerifyFile(target, text.c_str()), 1) << error();
    EXPECT_EQ(Nandrel_EraseCheck(target, mainStart() + 0x400, 0x400), 1) << error();

    // The notifications of both phases.
    uint32_t total = 0;
    for (const ImageSegment& s : segments)
        if (s.address >= layout.infoStart) total += static_cast<uint32_t>(s.bytes.size());
    ASSERT_EQ(notes.size(), 4u);
    const uint32_t expected[4][4] = {
        {2, 202, 0, total}, {4, 202, total, total}, {2, 203, 0, total}, {4, 203, total, total}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(notes[i].message, 0x1234u);
        EXPECT_EQ(notes[i].wParam, expected[i][0]);
        EXPECT_EQ(notes[i].record.operation, expected[i][1]);
        EXPECT_EQ(notes[i].record.done, expected[i][2]);
        EXPECT_EQ(notes[i].record.total, expected[i][3]);
        EXPECT_EQ(notes[i].record.userValue, 77u);
        EXPECT_EQ(notes[i].record.sourceKind, 3u);
        EXPECT_EQ(notes[i].record.target, target);
    }

    // Both read-out formats give the chip's memory back.
    const uint32_t from = mainEnd() > 0xFFFF ? 0xFF00 : mainStart();
    const uint32_t length = 0x800;
    for (int type : {1, 2}) {
        SCOPED_TRACE(type);
        const std::string out = path(type == 1 ? "out.txt" : "out.hex");
        ASSERT_EQ(Nandrel_ReadOutFile(target, out.c_str(), type, from, length), 1) << error();
        nandrel::ImageMemoryLayout all{0, 0, 0, 0x40000};
        ASSERT_EQ(nandrel::ReadHexFileSegments(out.c_str(), type, all), 0);
        std::vector<uint8_t> read;
        uint32_t at = 0;
        for (nandrel::HexSegment* s = nandrel::FlashSegments().head(); s; s = s->next) {
            read.insert(read.begin(), s->data.begin(), s->data.end());
            at = s->address;
        }
        nandrel::FreeHexBlockLists();
        EXPECT_EQ(at, from);
        EXPECT_EQ(read, chipBytes(from, length));
    }

    // The same image as Intel HEX over an erased chip.
    const std::string hex = path("image.hex");
    writeFile(hex, intelImage(image(2)));
    notes.clear();
    ASSERT_EQ(Nandrel_ProgramFile(target, hex.c_str(), NANDREL_PROGRAM_ERASE_ALL, 1), 1) << error();
    expectOnChip(image(2));
    EXPECT_EQ(Nandrel_VerifyFile(target, text.c_str()), 0);
    EXPECT_EQ(errorNumber(), 28);
}

TEST_P(FlashProfiles, ProgrammingOverOldDataFails) {
    const std::string a = path("a.txt");
    const std::string b = path("b.txt");
    writeFile(a, textImage({{mainStart(), pattern(mainStart(), 0x100, 1)}}));
    writeFile(b, textImage({{mainStart(), pattern(mainStart(), 0x100, 2)}}));
    ASSERT_EQ(Nandrel_ProgramFile(target, a.c_str(), NANDREL_PROGRAM_ERASE_MAIN, 1), 1) << error();
    EXPECT_EQ(Nandrel_ProgramFile(target, b.c_str(), NANDREL_PROGRAM_ERASE_NONE, 1), 0);
    EXPECT_EQ(errorNumber(), 7) << error();
    EXPECT_EQ(Nandrel_VerifyFile(target, b.c_str()), 0);
    EXPECT_EQ(errorNumber(), 28);
}

TEST_P(FlashProfiles, RamSegmentsAndRamWrites) {
    const uint32_t at = layout.ramEnd - 0x3F;
    const std::string file = path("ram.txt");
    writeFile(file, textImage({{at, pattern(at, 0x40)}}));
    ASSERT_EQ(Nandrel_ProgramFile(target, file.c_str(), NANDREL_PROGRAM_ERASE_NONE, 1), 1) << error();
    EXPECT_EQ(chipBytes(at, 0x40), pattern(at, 0x40));
    // A RAM segment that runs out of RAM is refused.
    writeFile(file, textImage({{at, pattern(at, 0x41)}}));
    EXPECT_EQ(Nandrel_ProgramFile(target, file.c_str(), NANDREL_PROGRAM_ERASE_NONE, 1), 0);
    EXPECT_EQ(errorNumber(), 27);
}

INSTANTIATE_TEST_SUITE_P(Chips, FlashProfiles, ::testing::Values(kF1xx, kF2xx, kWide, kNewer),
                         [](const auto& p) {
                             return std::string(p.param.deviceClass == 7    ? "F1xx"
                                                : p.param.deviceClass == 49 ? "F2xx"
                                                : p.param.deviceClass == 38 ? "Wide"
                                                                            : "NewerFlash");
                         });

}  // namespace
