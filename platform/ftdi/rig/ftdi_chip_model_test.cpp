// The rig's FTDI chip holds a reply back as a real chip does: until the
// latency timer runs out, unless a full packet or the event character has
// come, and then only the bytes up to that character. The pod behind the chip
// is a stand-in that answers each request with a set reply.
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "ftdi_chip_model.h"

namespace {

using kv::rig::Bytes;
using kv::rig::FtdiChipModel;

class AnsweringPod final : public kv::usb::Device {
public:
    explicit AnsweringPod(Bytes reply) : reply_(std::move(reply)) {}
    std::string description() const override { return "pod"; }
    kv::usb::Status write(const uint8_t*, size_t count, size_t* written) override {
        *written = count;
        held_.insert(held_.end(), reply_.begin(), reply_.end());
        return kv::usb::kOk;
    }
    size_t rxAvailable() override { return held_.size(); }
    size_t read(uint8_t* buffer, size_t count) override {
        size_t n = 0;
        for (; n < count && !held_.empty(); ++n) {
            buffer[n] = held_.front();
            held_.pop_front();
        }
        return n;
    }

private:
    Bytes reply_;
    std::deque<uint8_t> held_;
};

void Vendor(FtdiChipModel& chip, uint8_t request, uint16_t value) {
    const uint8_t setup[8] = {0x40, request, static_cast<uint8_t>(value & 0xFF),
                              static_cast<uint8_t>(value >> 8), 0, 0, 0, 0};
    Bytes none;
    ASSERT_TRUE(chip.control(setup, &none));
}

// The data of an IN transfer asked for now, without the status bytes of its
// packets; {-1} while the chip holds back.
std::vector<int> InNow(FtdiChipModel& chip) {
    Bytes in;
    if (!chip.bulkIn(4096, FtdiChipModel::Clock::now(), &in)) return {-1};
    std::vector<int> data;
    for (size_t k = 0; k < in.size(); ++k)
        if (k % FtdiChipModel::kPacketSize >= 2) data.push_back(in[k]);
    return data;
}

TEST(FtdiChipModel, AReplyWaitsForTheTimerUnlessAFullPacketOrTheEventCharacterSendsIt) {
    const std::vector<int> held = {-1};
    const std::vector<int> full(62, 0x5A);
    const struct {
        const char* name;
        bool eventOn;
        size_t piece;
        std::vector<int> reply;
        std::vector<int> first;  // what an IN asked for at once gets
    } cases[] = {
        {"status byte last, no event character", false, 0, {0xc1, 0x00}, held},
        {"status byte last", true, 0, {0xc1, 0x00}, {0xc1, 0x00}},
        {"value after the status", true, 0, {0xb1, 0, 0, 0, 0x6d, 0x10}, {0xb1, 0, 0, 0}},
        {"no zero at all", true, 0, {0x13}, held},
        {"pieces ignore the event character", true, 5, {0xc1, 0x00}, held},
        {"a full packet", false, 0, full, full},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FtdiChipModel chip("Dravik", "",
                           std::make_shared<AnsweringPod>(Bytes(c.reply.begin(), c.reply.end())));
        chip.inSide().piece = c.piece;
        Vendor(chip, 0x0B, 0x0000);  // serial mode
        Vendor(chip, 0x09, 250);     // latency timer: far longer than the test takes
        if (c.eventOn) Vendor(chip, 0x06, 0x0100);
        // The chip's first packet restarts its timer.
        ASSERT_EQ(InNow(chip), std::vector<int>{});
        const uint8_t request = 0x42;
        chip.bulkOut(&request, 1);
        EXPECT_EQ(InNow(chip), c.first);
        // What is left waits for the timer.
        EXPECT_EQ(InNow(chip), held);
        EXPECT_EQ(chip.eventPackets(), c.eventOn && c.first != held ? 1u : 0u);
    }
}

}  // namespace
