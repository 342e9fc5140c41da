// Supply, lines and the JTAG TAP of the simulated pod.
#include "pod_fixture.h"

namespace kv::sim::test {
namespace {

TEST_F(PodTest, VccPowersTheChipAndLineCommandsHaveNoReply) {
    EXPECT_FALSE(chip().powered());
    vcc(1700);
    EXPECT_FALSE(chip().powered());
    vcc(3000);
    EXPECT_TRUE(chip().powered());
    EXPECT_EQ(pod_->target().vcc(), 3000);
    for (uint8_t c : {32, 34, 35, 36, 37, 38, 39, 44, 45, 46, 47, 49, 48, 50, 51, 166, 168, 33})
        none({c});
    none({40, 2});
    none({172, 1});
    none(Bytes{54} + word(4100));
    none({55});
    none(Bytes{170, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    vcc(0);
    EXPECT_FALSE(chip().powered());
    EXPECT_EQ(pod_->target().jtagMode(), 1);
    EXPECT_EQ(pod_->wireText().substr(0, 25), "> 52 VccOn 06 a4 | -\n> 52");
}

TEST_F(PodTest, IdentificationAnswersTheJtagIdOnlyWhenTheChipCanAnswer) {
    EXPECT_EQ(connect(), 0xFF);  // unpowered
    vcc(3000);
    EXPECT_EQ(connect(), 0x89);
    none({33});
    EXPECT_EQ(ir(0xFF), 0xFF);  // link released
    EXPECT_EQ(dr16(0x1234), 0xFFFF);

    PodConfig x;
    x.chip = "MSP430FG4619";
    start(x);
    vcc(3000);
    EXPECT_EQ(connect(), 0x8D);
    EXPECT_EQ(status({174, kv::BitReverseByte[0xFF]}), 0);

    PodConfig nothing;
    nothing.chip = "";
    start(nothing);
    vcc(3000);
    EXPECT_EQ(connect(), 0xFF);
    EXPECT_EQ(status({174, kv::BitReverseByte[0xFF]}), 1);
}

TEST_F(PodTest, ControlSignalRegisterHoldsAndReleasesTheCpu) {
    vcc(3000);
    connect();
    EXPECT_FALSE(pod_->target().held());
    EXPECT_EQ(irdr(0x13, 0x2401) & 0x0400, 0);
    EXPECT_TRUE(pod_->target().held());
    EXPECT_EQ(irdr(0x14, 0xAAAA), 0x2681);  // never the bypass pattern
    EXPECT_EQ(wordAt(exact(Bytes{70} + word(0x2001), 3), 1), 0x2681);
    EXPECT_FALSE(pod_->target().held());
    EXPECT_EQ(status({116}), 0);
    EXPECT_TRUE(pod_->target().held());
    ir(0x15);
    EXPECT_FALSE(pod_->target().held());
    EXPECT_EQ(irdr(0x29, 0), chip().configFuses());
    EXPECT_EQ(irdr(0xFF, 0xAAAA), 0x5555);  // bypass
}

TEST_F(PodTest, BlownFuseAnswersAsBypass) {
    vcc(3000);
    connect();
    irdr(0x13, 0x2401);
    EXPECT_EQ(status({94}), 0);
    EXPECT_TRUE(chip().fuseBlown());
    vcc(0);
    vcc(3000);
    EXPECT_EQ(connect(), 0xFF);
    EXPECT_EQ(irdr(0x14, 0xAAAA), 0x5555);
    EXPECT_EQ(status({174, kv::BitReverseByte[20]}), 0);  // the blown-fuse check
    EXPECT_EQ(dr16(0xAAAA), 0x5555);
    EXPECT_EQ(status({116}), 1);

    PodConfig fused;
    fused.target.fused = true;
    start(fused);
    vcc(3000);
    EXPECT_EQ(connect(), 0xFF);
    EXPECT_EQ(irdr(0x14, 0xAAAA), 0x5555);

    PodConfig noFuse;
    noFuse.chip = "MSP430F11x1-prototype";
    start(noFuse);
    attach();
    EXPECT_EQ(status({94}), 5);
}

TEST_F(PodTest, ChipThatAnswersOnlyFromTheThirdConnectAttempt) {
    PodConfig config;
    config.target.jtagAfter = 3;
    start(config);
    vcc(3000);
    EXPECT_EQ(connect(), 0xFF);
    EXPECT_EQ(connect(), 0xFF);
    EXPECT_EQ(connect(), 0x89);
    EXPECT_EQ(pod_->target().connectAttempts(), 3u);
}

TEST_F(PodTest, ChipThatNeedsTheEntrySequence) {
    PodConfig config;
    config.target.needsEntry = true;
    start(config);
    vcc(3000);
    EXPECT_EQ(connect(), 0xFF);
    const uint64_t resets = chip().pucCount();
    // The connect entry sequence: reset low, TEST toggles, reset released then high.
    for (const Bytes& c : std::vector<Bytes>{{44},
                                             {39},
                                             {40, 0},
                                             {45},
                                             {38},
                                             {44},
                                             {39},
                                             {45},
                                             {38},
                                             {40, 2},
                                             {40, 1},
                                             {44},
                                             {39},
                                             {38}})
        none(c);
    EXPECT_TRUE(pod_->target().entrySeen());
    EXPECT_GT(chip().pucCount(), resets);  // the reset line went low and high again
    EXPECT_EQ(connect(), 0x89);

    PodConfig mute;
    mute.target.mute = true;
    start(mute);
    vcc(3000);
    EXPECT_EQ(connect(), 0xFF);
}

TEST_F(PodTest, ClassSettingsLayout) {
    none(Bytes{170, 33, 0x41, 0x02, 0x89} + word(0x3003) + word(0x0200) + word(0x09FF));
    const ClassSettings& s = pod_->target().classSettings();
    EXPECT_TRUE(s.received);
    EXPECT_EQ(s.deviceClass, 33);
    EXPECT_EQ(s.flags1, 0x41);
    EXPECT_EQ(s.flags2, 0x02);
    EXPECT_EQ(s.jtagId, 0x89);
    EXPECT_EQ(s.item1, 0x3000);
    EXPECT_EQ(s.emulationLevel, 3);
    EXPECT_EQ(s.ramStart, 0x0200);
    EXPECT_EQ(s.ramEnd, 0x09FF);
}

TEST_F(PodTest, ConfigurationFuses) {
    attach();
    EXPECT_EQ(exact({26, 2, 0x80}, 3), (Bytes{27, 4, 0x00}));  // no programming supply
    none(Bytes{54} + word(4100));
    EXPECT_EQ(exact({26, 2, 0x80}, 3), (Bytes{27, 0, 0x82}));
    EXPECT_EQ(exact({26, 2, 0x80}, 3), (Bytes{27, 3, 0x82}));
    EXPECT_EQ(irdr(0x29, 0), 0x82);
}

}  // namespace
}  // namespace kv::sim::test
