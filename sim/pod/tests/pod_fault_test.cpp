// Faults the simulated pod injects per command, and its decoded wire log.
#include "pod_fixture.h"

namespace kv::sim::test {
namespace {

TEST_F(PodTest, InjectedStatusShortReplyAndWrongId) {
    attach();
    pod_->addFault({176, PodFaultKind::Status, 9, 1});
    EXPECT_EQ(exact({176, 5}, 6)[1], 9);
    EXPECT_EQ(exact({176, 5}, 6)[1], 0);  // only its first time
    pod_->addFault({116, PodFaultKind::Status, 0x21, 0});
    EXPECT_EQ(status({116}), 0x21);
    pod_->addFault({68, PodFaultKind::ShortReply, 2, 0});
    EXPECT_EQ(send({68}, 5).size(), 3u);
    pod_->addFault({56, PodFaultKind::WrongReplyId, 0x5A, 0});
    EXPECT_EQ(exact({56, 0xFF}, 2), (Bytes{0x5A, 0x89}));
    pod_->addFault({162, PodFaultKind::Status, 1, 0});
    none(Bytes{162} + word(0x4303) + word(0) + word(0));  // no reply, nothing to change
}

TEST_F(PodTest, WireLogNamesEveryCommand) {
    vcc(3000);
    connect();
    pod_->clearLog();
    irdr(0x13, 0x2401);
    exact({176, 5}, 6);
    none({49});
    const std::vector<CommandRecord> records = pod_->records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].name, "IrDrShift16");
    EXPECT_EQ(records[1].name, "ReadRegister");
    EXPECT_EQ(records[2].name, "TCLK0");
    EXPECT_EQ(records[1].reply.size(), 6u);
    EXPECT_TRUE(records[2].reply.empty());
    // The TCK periods each took on the JTAG lines.
    EXPECT_EQ(records[0].jtagPeriods, 14u + 21u);
    EXPECT_EQ(records[1].jtagPeriods, 168u);
    EXPECT_EQ(records[2].jtagPeriods, 1u);
    const std::string text = pod_->wireText();
    EXPECT_EQ(text.substr(0, text.find('\n')), "> 64 IrDrShift16 c8 24 01 | 41 00 00");
    EXPECT_NE(text.find("> 49 TCLK0 | -\n"), std::string::npos);
}

TEST(PodCommandTable, LengthsOfVariableCommands) {
    const uint8_t write[] = {98, 0x03, 0, 0x02, 0, 0x00, 0x05};
    EXPECT_EQ(podRequestLength(write, 3), 7u);
    EXPECT_EQ(podRequestLength(write, 7), 12u);
    const uint8_t words[] = {106, 0, 0, 0, 0, 0x01, 0x00};
    EXPECT_EQ(podRequestLength(words, 7), 7u + 512u);
    const uint8_t read[] = {102, 0, 0, 0, 0, 0x02, 0x00};
    EXPECT_EQ(podReplyLength(read), 4u + 1024u);
    const uint8_t unknown[] = {200};
    EXPECT_EQ(podRequestLength(unknown, 1), 0u);
    for (int c = 0; c < 256; ++c) {
        const PodCommandInfo* info = findPodCommand(static_cast<uint8_t>(c));
        if (info && info->status) {
            EXPECT_GE(info->replyLength, 2) << c;
        }
    }
}

// A word block sets the PC once and moves each word quickly; each byte is
// reached with its own address.
TEST(PodCommandTable, JtagPeriodsOfTransfers) {
    const uint8_t words[] = {106, 0x03, 0, 0x02, 0, 0x00, 0x04};
    EXPECT_EQ(podJtagPeriods(words), 194u + 4u * 23u);
    const uint8_t bytes[] = {98, 0x03, 0, 0x02, 0, 0x00, 0x03};
    EXPECT_EQ(podJtagPeriods(bytes), 3u * 107u);
}

}  // namespace
}  // namespace kv::sim::test
