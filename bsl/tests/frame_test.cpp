// Bytes on the wire: frames, sequence numbers, checksums, acknowledgements,
// read replies and every time-out on the manual clock.
#include <gtest/gtest.h>

#include "session_support.h"

namespace {

using bsltest::Session;
using Reply = kv::sim::LoaderFaults::Reply;

using Frames = Session;

TEST(Checksum, InvertedXorOfWords) {
    const uint8_t bytes[] = {0x80, 0x18, 0x04, 0x04, 0x00, 0xFF, 0x06, 0xA5};
    EXPECT_EQ(hesmark::ChecksumWord(bytes, sizeof bytes), 0x4682);
}

TEST_F(Frames, MassEraseFrameByteForByte) {
    Start();
    ASSERT_TRUE(port.MassErase()) << port.ErrorText();
    EXPECT_EQ(Sent(), (std::vector<uint8_t>{0x80, 0x80, 0x18, 0x04, 0x04, 0x00, 0xFF, 0x06, 0xA5,
                                            0x7D, 0xB9}));
    EXPECT_EQ(port.dots, 2);  // the sync byte and the frame
}

TEST_F(Frames, PasswordFrameCarriesThirtyTwoBytes) {
    Start();
    std::vector<uint8_t> password(32);
    for (int i = 0; i < 32; ++i)
        password[i] = static_cast<uint8_t>(i);
    bench.bus.poke(0xFFE0, password);
    ASSERT_TRUE(port.SendPassword(password.data())) << port.ErrorText();
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u + 42u);
    EXPECT_EQ(std::vector<uint8_t>(sent.begin(), sent.begin() + 9),
              (std::vector<uint8_t>{0x80, 0x80, 0x10, 36, 36, 0xE0, 0xFF, 0x20, 0x00}));
    EXPECT_EQ(std::vector<uint8_t>(sent.begin() + 9, sent.end() - 2), password);
    const uint16_t word = hesmark::ChecksumWord(sent.data() + 1, 40);
    EXPECT_EQ(sent[41], static_cast<uint8_t>(~word));
    EXPECT_EQ(sent[42], static_cast<uint8_t>(~word >> 8));
}

TEST_F(Frames, SequenceNumberWrapsAfterSixteenFrames) {
    Start();
    for (int i = 0; i < 17; ++i) {
        bench.adapter->clearLogs();
        ASSERT_TRUE(port.SendPassword(blank.data())) << port.ErrorText();
        const auto sent = Sent();
        EXPECT_EQ(sent[0], 0x80);  // sync
        EXPECT_EQ(sent[1], 0x80 | (i % 16)) << "frame " << i;
    }
    EXPECT_EQ(port.SequenceNumber(), 1);
}

TEST_F(Frames, OversizedOrOddBlocksAreRefusedBeforeSending) {
    Start();
    std::vector<uint8_t> data(251, 0);
    EXPECT_FALSE(port.TxDataBlock(0xF000, data.data(), 251, false));
    EXPECT_EQ(port.ErrorText(), "Data buffer must 250 bytes or less, tried 00FB");
    EXPECT_FALSE(port.TxDataBlock(0xF000, data.data(), 3, false));
    EXPECT_EQ(port.ErrorText(), "Data buffer must contain an even number of bytes, tried 0003");
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(port.SequenceNumber(), 0);
}

TEST_F(Frames, RefusalByteNamedInText) {
    Start();
    std::vector<uint8_t> wrong(32, 0x00);
    bool frameSent = false;
    EXPECT_FALSE(port.SendPassword(wrong.data(), &frameSent));
    EXPECT_TRUE(frameSent);
    EXPECT_EQ(port.ErrorText(), "Ack failed, returned A0");
}

TEST_F(Frames, SilentSyncTimesOutAfterTwoAndAHalfSeconds) {
    Start();
    bench.loader.faults().noSync = true;
    const uint32_t start = Now();
    EXPECT_FALSE(port.MassErase());
    EXPECT_EQ(Now() - start, 2500u);
    EXPECT_EQ(port.ErrorText().rfind(
                  "Unable to read ack\nComm receive timed-out, 0 bytes available (", 0),
              0u)
        << port.ErrorText();
    EXPECT_EQ(port.SequenceNumber(), 0);  // no frame built
}

TEST_F(Frames, MassEraseAcknowledgementGetsExtraSecond) {
    Start();
    bench.loader.faults().silentFrame = 1;
    const uint32_t start = Now();
    EXPECT_FALSE(port.MassErase());
    const uint32_t elapsed = Now() - start;
    EXPECT_GE(elapsed, 3500u);
    EXPECT_LE(elapsed, 3505u);  // plus the sync exchange
    EXPECT_EQ(port.SequenceNumber(), 1);
}

TEST_F(Frames, OtherAcknowledgementsWaitTwoAndAHalfSeconds) {
    Start();
    bench.loader.faults().silentFrame = 1;
    const uint32_t start = Now();
    EXPECT_FALSE(port.SendPassword(blank.data()));
    EXPECT_GE(Now() - start, 2500u);
    EXPECT_LE(Now() - start, 2505u);
}

TEST_F(Frames, ReadOf250BytesWaits5220Milliseconds) {
    Start();
    ASSERT_TRUE(port.SendPassword(blank.data()));
    bench.loader.faults().silentFrame = bench.loader.frames() + 1;
    std::vector<uint8_t> buffer(250);
    const uint32_t start = Now();
    EXPECT_FALSE(port.RxDataBlock(0xF000, buffer.data(), 250));
    EXPECT_GE(Now() - start, 5220u);
    EXPECT_LE(Now() - start, 5225u);
}

TEST_F(Frames, ReadFrameAndReply) {
    Start();
    ASSERT_TRUE(port.SendPassword(blank.data()));
    bench.bus.poke(0xF000, {0xDE, 0xAD, 0xBE, 0xEF});
    bench.adapter->clearLogs();
    uint8_t buffer[4] = {};
    ASSERT_TRUE(port.RxDataBlock(0xF000, buffer, 4)) << port.ErrorText();
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 4),
              (std::vector<uint8_t>{0xDE, 0xAD, 0xBE, 0xEF}));
    const auto sent = Sent();
    EXPECT_EQ(std::vector<uint8_t>(sent.begin() + 2, sent.begin() + 9),
              (std::vector<uint8_t>{0x14, 4, 4, 0x00, 0xF0, 4, 0}));
}

struct CorruptCase {
    Reply fault;
    const char* text;
    const char* name;
};

class CorruptReply : public Session, public ::testing::WithParamInterface<CorruptCase> {};

TEST_P(CorruptReply, IsNotTakenAsData) {
    Start();
    ASSERT_TRUE(port.SendPassword(blank.data()));
    bench.loader.faults().reply = GetParam().fault;
    uint8_t buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), 0x55);
    EXPECT_FALSE(port.RxDataBlock(0xF000, buffer, 16));
    EXPECT_EQ(port.ErrorText(), GetParam().text);
    EXPECT_EQ(buffer[0], 0x55);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CorruptReply,
    ::testing::Values(
        CorruptCase{Reply::Header, "Read request failed, returned header 81", "Header"},
        CorruptCase{Reply::L1, "Read request failed, returned size parameter L1 12", "L1"},
        CorruptCase{Reply::L2, "Read request failed, returned size parameter L2 12", "L2"},
        CorruptCase{Reply::Checksum, "Read request failed, returned checksum 106F, expected EF6F",
                    "Checksum"},
        CorruptCase{Reply::Data, "Read request failed, returned checksum EF6F, expected EF6E",
                    "Data"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(Frames, DroppedReplyByteTimesOutWithCount) {
    Start();
    ASSERT_TRUE(port.SendPassword(blank.data()));
    // The next sync answer, then the fifth reply byte.
    bench.adapter->dropToHost(bench.adapter->toHostCount() + 1 + 5);
    uint8_t buffer[16];
    EXPECT_FALSE(port.RxDataBlock(0xF000, buffer, 16));
    EXPECT_EQ(port.ErrorText().rfind("Comm receive timed-out, 21 bytes available (", 0), 0u)
        << port.ErrorText();
}

class WrappingClock : public Session {
  protected:
    WrappingClock()
        : Session(kv::sim::LoaderProfile::f413(), kv::sim::testing::FlashTestBus::layout1xx(),
                  0xFFFFFF00u) {}
};

TEST_F(WrappingClock, TimeOutAcrossTickWrapIsNeitherShortNorEndless) {
    Start();
    bench.clock.set(0xFFFFFF00u);
    bench.loader.faults().noSync = true;
    EXPECT_FALSE(port.MassErase());
    EXPECT_EQ(Now(), 0xFFFFFF00u + 2500u);  // wrapped
}

TEST_F(WrappingClock, AnswerAcrossTickWrapArrives) {
    Start();
    bench.clock.set(0xFFFFFFF0u);
    EXPECT_TRUE(port.MassErase()) << port.ErrorText();
    EXPECT_LT(Now(), 0x1000u);
}

}  // namespace
