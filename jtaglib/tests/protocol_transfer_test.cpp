// Memory transfers split into pod blocks, and the edges of the command and
// reply buffers.
#include <gmock/gmock.h>

#include "scripted_pod.h"

namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

uint32_t addressField(const Bytes& command) {
    return uint32_t{command[1]} << 24 | uint32_t{command[2]} << 16 | uint32_t{command[3]} << 8 |
           command[4];
}

uint32_t countField(const Bytes& command) {
    return uint32_t{command[5]} << 8 | command[6];
}

// The reply to a byte read: status 0, the count and the bytes.
Bytes byteReadReply(uint16_t count, uint8_t seed) {
    Bytes r{97, 0, static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)};
    for (uint16_t i = 0; i < count; ++i)
        r.push_back(static_cast<uint8_t>(seed + i));
    return r;
}

Bytes wordReadReply(uint16_t count, uint16_t seed) {
    Bytes r{103, 0, static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)};
    for (uint16_t i = 0; i < count; ++i) {
        const uint16_t v = static_cast<uint16_t>(seed + i);
        r.push_back(static_cast<uint8_t>(v >> 8));
        r.push_back(static_cast<uint8_t>(v));
    }
    return r;
}

class ProtocolTransfers : public ScriptedPodTest {};

TEST_F(ProtocolTransfers, ZeroUnitsSendNothing) {
    uint8_t bytes[1] = {};
    uint16_t words[1] = {};
    EXPECT_TRUE(protocol.ReadBytes(0x0200, 0, bytes));
    EXPECT_TRUE(protocol.WriteBytes(0x0200, 0, bytes));
    EXPECT_TRUE(protocol.ReadWords(0x0200, 0, words));
    EXPECT_TRUE(protocol.WriteWords(0x0200, 0, words));
    EXPECT_TRUE(pod->writes.empty());
}

TEST_F(ProtocolTransfers, ExactlyOneBlockCarriesBothFlags) {
    std::vector<uint8_t> buffer(1024);
    pod->reply(96, byteReadReply(1024, 7));
    ASSERT_TRUE(protocol.ReadBytes(0x1100, 1024, buffer.data())) << protocol.errorText();
    ASSERT_EQ(pod->writes.size(), 1u);
    EXPECT_EQ(pod->writes[0].size(), 7u);
    EXPECT_EQ(addressField(pod->writes[0]), 0x03001100u);
    EXPECT_EQ(countField(pod->writes[0]), 1024u);
    EXPECT_EQ(buffer[0], 7);
    EXPECT_EQ(buffer[1023], static_cast<uint8_t>(7 + 1023));
}

TEST_F(ProtocolTransfers, OneByteMoreSplitsIntoAFirstAndALastBlock) {
    std::vector<uint8_t> buffer(1025);
    pod->reply(96, byteReadReply(1024, 0));
    pod->reply(96, byteReadReply(1, 0xAB));
    ASSERT_TRUE(protocol.ReadBytes(0x1100, 1025, buffer.data())) << protocol.errorText();
    ASSERT_EQ(pod->writes.size(), 2u);
    EXPECT_EQ(addressField(pod->writes[0]), 0x01001100u);
    EXPECT_EQ(countField(pod->writes[0]), 1024u);
    EXPECT_EQ(addressField(pod->writes[1]), 0x02001500u);
    EXPECT_EQ(countField(pod->writes[1]), 1u);
    EXPECT_EQ(buffer[1024], 0xAB);
}

TEST_F(ProtocolTransfers, MiddleBlocksCarryNoFlagAndWritesCarryTheirData) {
    std::vector<uint8_t> data(2100);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7);
    for (int i = 0; i < 3; ++i)
        pod->reply(98, {99, 0});
    ASSERT_TRUE(protocol.WriteBytes(0x0200, 2100, data.data())) << protocol.errorText();
    ASSERT_EQ(pod->writes.size(), 3u);
    EXPECT_EQ(addressField(pod->writes[0]), 0x01000200u);
    EXPECT_EQ(addressField(pod->writes[1]), 0x00000600u);
    EXPECT_EQ(addressField(pod->writes[2]), 0x02000A00u);
    EXPECT_EQ(countField(pod->writes[2]), 52u);
    Bytes sent;
    for (const Bytes& w : pod->writes) {
        ASSERT_EQ(w[0], 98);
        sent.insert(sent.end(), w.begin() + 7, w.end());
    }
    EXPECT_EQ(sent, data);
}

TEST_F(ProtocolTransfers, WordReadsSplitAt512Words) {
    std::vector<uint16_t> buffer(513);
    pod->reply(102, wordReadReply(512, 0x1000));
    pod->reply(102, wordReadReply(1, 0xBEEF));
    ASSERT_TRUE(protocol.ReadWords(0xF000, 513, buffer.data())) << protocol.errorText();
    ASSERT_EQ(pod->writes.size(), 2u);
    EXPECT_EQ(addressField(pod->writes[0]), 0x0100F000u);
    EXPECT_EQ(countField(pod->writes[0]), 512u);
    EXPECT_EQ(addressField(pod->writes[1]), 0x0200F400u);
    EXPECT_EQ(countField(pod->writes[1]), 1u);
    EXPECT_EQ(buffer[511], 0x1000 + 511);
    EXPECT_EQ(buffer[512], 0xBEEF);
}

TEST_F(ProtocolTransfers, WordWritesGoHighByteFirst) {
    const uint16_t data[2] = {0x5A80, 0x1234};
    pod->reply(106, {107, 0});
    ASSERT_TRUE(protocol.WriteWords(0x0120, 2, data));
    EXPECT_EQ(pod->writes.back(),
              (Bytes{106, 0x03, 0x00, 0x01, 0x20, 0x00, 0x02, 0x5A, 0x80, 0x12, 0x34}));
}

TEST_F(ProtocolTransfers, OddWordAddressFailsWithoutTrafficOrText) {
    uint16_t words[2] = {};
    ASSERT_FALSE(protocol.ReadWords(0x0201, 2, words));
    ASSERT_FALSE(protocol.WriteWords(0x0201, 2, words));
    EXPECT_TRUE(pod->writes.empty());
    EXPECT_EQ(protocol.errorText(), "No error");
}

TEST_F(ProtocolTransfers, TheFirstFailingBlockEndsTheTransfer) {
    std::vector<uint8_t> buffer(3000);
    pod->reply(96, byteReadReply(1024, 0));
    Bytes failing(1 + 3 + 1024, 0);
    failing[0] = 97;
    failing[1] = 2;
    pod->reply(96, failing);
    EXPECT_FALSE(protocol.ReadBytes(0, 3000, buffer.data()));
    EXPECT_EQ(pod->writes.size(), 2u);
    EXPECT_EQ(protocol.errorText(), "ReadByte failed (2)");
}

TEST_F(ProtocolTransfers, MismatchedReadCountsFail) {
    uint8_t bytes[2];
    pod->reply(96, {97, 0, 0x00, 0x03, 1, 2});
    EXPECT_FALSE(protocol.ReadBytes(0x0200, 2, bytes));
    EXPECT_EQ(protocol.errorText(), "ReadByte failed, mismatched counts");
    uint16_t words[1];
    pod->reply(102, {103, 0, 0x00, 0x02, 1, 2});
    EXPECT_FALSE(protocol.ReadWords(0x0200, 1, words));
    EXPECT_EQ(protocol.errorText(), "ReadPeripheralWord failed, mismatched counts");
    pod->reply(102, {103, 4, 0x00, 0x01, 1, 2});
    EXPECT_FALSE(protocol.ReadWords(0x0200, 1, words));
    EXPECT_EQ(protocol.errorText(), "ReadWord failed (4)");
}

TEST_F(ProtocolTransfers, AWrongReplyIdNamesBothIdsInLowerCaseHex) {
    uint8_t bytes[1];
    pod->reply(96, {0x5A, 0, 0x00, 0x01, 0xFF});
    EXPECT_FALSE(protocol.ReadBytes(0x0200, 1, bytes));
    EXPECT_EQ(protocol.errorText(), "Incorrect response ID (5a) read, expected (61)");
}

TEST_F(ProtocolTransfers, AShortReplyFailsWithTheDriverCounts) {
    uint8_t id = 0;
    pod->reply(56, {57});
    EXPECT_FALSE(protocol.IrShift(0xFF, &id));
    EXPECT_EQ(
        protocol.errorText(),
        "ReadPort failed, expected 2 bytes, read 1"
        "\nThe Dravik pod stopped answering: the rest of its reply did not come within 5000 ms");
}

TEST_F(ProtocolTransfers, UnreadReplyBytesFailTheNextCommandOnce) {
    pod->reply(166, {0xEE, 0xEE});  // two bytes nobody asked for
    EXPECT_TRUE(protocol.ResetTap());
    EXPECT_FALSE(protocol.CheckFuse());
    EXPECT_EQ(protocol.errorText(), "Debug_CheckPendingReads failed, 2 bytes pending read");
    EXPECT_TRUE(protocol.CheckFuse());
}

TEST_F(ProtocolTransfers, CommandBufferLimit) {
    std::vector<uint8_t> fill(nandrel::kProtocolBufferSize - 1, 0x11);
    protocol.BeginCommand(98);
    ASSERT_TRUE(protocol.AddBytes(fill.data(), static_cast<uint32_t>(fill.size())));
    EXPECT_EQ(protocol.commandLength(), 16384u);
    const uint8_t one = 1;
    const uint16_t word = 1;
    const uint32_t dword = 1;
    EXPECT_FALSE(protocol.AddBytes(&one, 1));
    EXPECT_EQ(protocol.errorText(), "Command too large");
    protocol.BeginCommand(98);
    ASSERT_TRUE(protocol.AddBytes(fill.data(), 16382));
    EXPECT_FALSE(protocol.AddWords(&word, 2));
    EXPECT_FALSE(protocol.AddDWords(&dword, 1));
    EXPECT_EQ(protocol.commandLength(), 16383u) << "nothing is appended by a failing add";
    EXPECT_TRUE(pod->writes.empty());
}

TEST_F(ProtocolTransfers, ReplyBufferLimitsAndOverReads) {
    EXPECT_FALSE(protocol.ReadResponse(61, 16384));
    EXPECT_EQ(protocol.errorText(), "Attempted read too large");
    pod->reply(60, {61, 0x12, 0x34});
    protocol.BeginCommand(60);
    const uint16_t value = 0;
    ASSERT_TRUE(protocol.AddWords(&value, 1));
    ASSERT_TRUE(protocol.SendCommand());
    ASSERT_TRUE(protocol.ReadResponse(61, 2));
    uint32_t d = 0;
    EXPECT_FALSE(protocol.GetResponseDWORDs(&d, 1));
    EXPECT_EQ(protocol.errorText(), "GetResponseWORDs requested more data than exists in buffer");
    uint8_t b[3];
    EXPECT_FALSE(protocol.GetResponseBYTEs(b, 3));
    EXPECT_EQ(protocol.errorText(), "GetResponseBYTEs requested more data than exists in buffer");
    uint16_t w[2];
    EXPECT_FALSE(protocol.GetResponseWORDs(w, 2));
    ASSERT_TRUE(protocol.GetResponseWORDs(w, 1));
    EXPECT_EQ(w[0], 0x1234);
}

TEST(ProtocolWithoutPod, CommandsFailWithTheClosedTexts) {
    nandrel::CTargetProtocolJTAG protocol;
    EXPECT_FALSE(protocol.ResetTap());
    EXPECT_EQ(protocol.errorText(),
              "Called CTargetProtocolJTAG::WritePort() with driver port closed");
    uint32_t n = 7;
    uint8_t buffer[1];
    EXPECT_FALSE(protocol.ReadPort(buffer, 1, &n));
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(protocol.errorText(),
              "Called CTargetProtocolJTAG::ReadPort() with driver port closed");
    EXPECT_TRUE(protocol.ReadPort(buffer, 0, &n));
}

}  // namespace
