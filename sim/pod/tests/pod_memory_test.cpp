// Memory transfers of the simulated pod: byte and word commands, block flags,
// flash through the flash controller and the signature.
#include "pod_fixture.h"

namespace kv::sim::test {
namespace {

constexpr uint32_t kFirst = 0x01000000;
constexpr uint32_t kLast = 0x02000000;

class PodMemoryTest : public PodTest {
  protected:
    uint8_t writeBytes(uint32_t field, const Bytes& data) {
        return status(Bytes{98} + dword(field) + word(static_cast<uint16_t>(data.size())) + data);
    }
    Bytes readBytes(uint32_t field, uint16_t count, uint8_t expectStatus = 0) {
        const Bytes r = exact(Bytes{96} + dword(field) + word(count), 4u + count);
        EXPECT_EQ(r[1], expectStatus);
        EXPECT_EQ(wordAt(r, 2), count);
        return Bytes(r.begin() + 4, r.end());
    }
    uint8_t writeWords(uint32_t field, const std::vector<uint16_t>& words) {
        Bytes c = Bytes{106} + dword(field) + word(static_cast<uint16_t>(words.size()));
        for (uint16_t w : words)
            c = c + word(w);
        return status(c);
    }
    std::vector<uint16_t> readWords(uint32_t field, uint16_t count) {
        const Bytes r = exact(Bytes{102} + dword(field) + word(count), 4u + 2u * count);
        EXPECT_EQ(r[1], 0);
        std::vector<uint16_t> out;
        for (size_t i = 0; i < count; ++i)
            out.push_back(wordAt(r, 4 + 2 * i));
        return out;
    }
};

TEST_F(PodMemoryTest, ByteTransfersInBlocksOfAtMost1024) {
    attach();
    Bytes data(2048);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7 + 3);
    EXPECT_EQ(writeBytes(0x0200 | kFirst, Bytes(data.begin(), data.begin() + 1024)), 0);
    EXPECT_TRUE(pod_->target().held());
    EXPECT_EQ(writeBytes(0x0600 | kLast, Bytes(data.begin() + 1024, data.end())), 0);
    for (size_t i = 0; i < data.size(); ++i)
        ASSERT_EQ(chip().peek8(0x0200 + static_cast<uint32_t>(i)), data[i]) << i;

    // 1025 bytes: 1024 flagged first, then 1 flagged last behind it.
    Bytes back = readBytes(0x0300 | kFirst, 1024);
    const Bytes tail = readBytes(0x0700 | kLast, 1);
    back.insert(back.end(), tail.begin(), tail.end());
    EXPECT_EQ(back, Bytes(data.begin() + 0x100, data.begin() + 0x100 + 1025));
    // Exactly 1024 bytes: one command with both flags.
    EXPECT_EQ(readBytes(0x0200 | kFirst | kLast, 1024), Bytes(data.begin(), data.begin() + 1024));
}

TEST_F(PodMemoryTest, WordTransfersAndTheirChecks) {
    attach();
    std::vector<uint16_t> words(513);
    for (size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<uint16_t>(0x1000 + i);
    EXPECT_EQ(writeWords(0x0200 | kFirst, std::vector<uint16_t>(words.begin(), words.end() - 1)),
              0);
    EXPECT_EQ(writeWords(0x0600 | kLast, {words.back()}), 0);
    EXPECT_EQ(chip().peek16(0x0200), 0x1000);
    EXPECT_EQ(chip().peek16(0x0600), 0x1200);
    std::vector<uint16_t> back = readWords(0x0200 | kFirst, 512);
    back.push_back(readWords(0x0600 | kLast, 1).at(0));
    EXPECT_EQ(back, words);

    EXPECT_EQ(writeWords(0x0201 | kFirst | kLast, {1}), kPodBadArgument);  // odd address
    EXPECT_EQ(exact(Bytes{102} + dword(0x0201 | kFirst | kLast) + word(0), 4)[1], kPodBadArgument);
    EXPECT_EQ(readBytes(0x0200 | kFirst | kLast, 1025, kPodBadArgument), Bytes(1025, 0));
    // Unmapped memory reads as 0x3FFF.
    EXPECT_EQ(readWords(0x0A00 | kFirst | kLast, 1), std::vector<uint16_t>{0x3FFF});
}

TEST_F(PodMemoryTest, BlocksOutOfSequenceAreRefused) {
    attach();
    EXPECT_EQ(writeBytes(0x0200 | kLast, {1}), kPodOutOfSequence);  // nothing open
    EXPECT_EQ(writeBytes(0x0200 | kFirst, {1, 2}), 0);
    EXPECT_EQ(writeBytes(0x0204 | kLast, {3}), kPodOutOfSequence);  // a gap
    EXPECT_EQ(writeBytes(0x0200 | kFirst, {1, 2}), 0);
    EXPECT_EQ(writeBytes(0x0202, {3, 4}), 0);  // neither first nor last: goes on
    EXPECT_EQ(writeBytes(0x0204 | kLast, {5}), 0);
    EXPECT_EQ(chip().peek8(0x0204), 5);
    EXPECT_EQ(writeBytes(0x0205 | kLast, {6}), kPodOutOfSequence);  // closed by the last block
}

TEST_F(PodMemoryTest, MemoryNeedsAHeldCpuAndAPoweredChip) {
    EXPECT_EQ(writeBytes(0x0200 | kFirst | kLast, {1}), kPodNoLink);
    attach();
    status({114});
    EXPECT_EQ(writeBytes(0x0200 | kFirst | kLast, {1}), kPodCpuRunning);
    EXPECT_EQ(readBytes(0x0200 | kFirst | kLast, 2, kPodCpuRunning), Bytes(2, 0));
}

TEST_F(PodMemoryTest, FlashChangesOnlyThroughTheFlashController) {
    attach();
    EXPECT_EQ(chip().peek16(0xF000), 0xFFFF);
    EXPECT_EQ(writeWords(0xF000 | kFirst | kLast, {0x1234}), 0);
    EXPECT_EQ(chip().peek16(0xF000), 0xFFFF);                     // controller not set up
    EXPECT_EQ(writeWords(0x0120 | kFirst | kLast, {0x5A80}), 0);  // watchdog held
    EXPECT_EQ(writeWords(0x012A | kFirst | kLast, {0xA542}), 0);  // MCLK / 3
    EXPECT_EQ(writeWords(0x012C | kFirst | kLast, {0xA500}), 0);  // unlocked
    EXPECT_EQ(writeWords(0x0128 | kFirst | kLast, {0xA540}), 0);  // write
    EXPECT_EQ(writeWords(0xF000 | kFirst | kLast, {0x1234, 0x5678}), 0);
    EXPECT_EQ(chip().peek16(0xF000), 0x1234);
    EXPECT_EQ(chip().peek16(0xF002), 0x5678);
    EXPECT_EQ(readWords(0xF000 | kFirst | kLast, 2), (std::vector<uint16_t>{0x1234, 0x5678}));
}

TEST_F(PodMemoryTest, SignatureOverMemory) {
    attach();
    const std::vector<uint16_t> words{0x1111, 0x8000, 0xFFFF, 0x0001};
    EXPECT_EQ(writeWords(0x0400 | kFirst | kLast, words), 0);
    uint16_t expected = 0x0400 - 2;
    for (uint16_t w : words) {
        expected = (expected & 0x8000) ? static_cast<uint16_t>(((expected ^ 0x0805) << 1) | 1)
                                       : static_cast<uint16_t>(expected << 1);
        expected ^= w;
    }
    const Bytes r = exact(Bytes{92} + word(0) + word(0x0400) + word(4), 4);
    EXPECT_EQ(r[1], 0);
    EXPECT_EQ(wordAt(r, 2), expected);
    EXPECT_EQ(exact(Bytes{92} + word(0) + word(0x0401) + word(4), 4)[1], kPodBadArgument);
}

}  // namespace
}  // namespace kv::sim::test
