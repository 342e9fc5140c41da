// Programming the configuration fuses through the target feature ids, against
// the simulated pod's fuse command and injected results.
#include "sim_identify_fixture.h"

namespace {

class ConfigFuses : public SimIdentifyTest {
  protected:
    // An identified F149 whose fuse byte starts at `fuses`, with the pod
    // answering the fuse command's result `injected` (-1: its own).
    void startWith(uint8_t fuses, int injected = -1,
                   kv::sim::PodFaultKind kind = kv::sim::PodFaultKind::Status) {
        kv::sim::PodConfig config;
        config.chip = "MSP430F149";
        if (injected >= 0) config.faults.push_back({26, kind, static_cast<uint32_t>(injected), 0});
        start(config);
        identify();
        pod->chip()->setConfigFuses(fuses);
        const uint8_t control = 0x3C;
        pod->chip()->poke(0x0074, &control, 1);
        pod->clearLog();
        Nandrel_SetLastTargetErrorNumber(target, 9);
    }
    int32_t query(uint32_t feature) {
        uint32_t length = 7;
        const int32_t result = Nandrel_QueryTargetFeature(target, feature, nullptr, 0, &length);
        EXPECT_EQ(length, 0u);
        return result;
    }
    // After every fuse command: the programming supply is off again, the byte
    // at 0x0074 is back and the error number was not touched.
    void expectCleanedUp() {
        EXPECT_EQ(pod->target().supply2(), 0u);
        EXPECT_EQ(pod->chip()->peek8(0x0074), 0x3C);
        EXPECT_EQ(errorNumber(), 9);
        Nandrel_SetLastTargetErrorNumber(target, 9);
    }
};

TEST_F(ConfigFuses, FeatureProgramsItsFuseValueThroughThePod) {
    startWith(0x00);
    EXPECT_EQ(query(0x4616), 1) << errorText();
    EXPECT_EQ(pod->chip()->configFuses(), 0x82);
    expectCleanedUp();

    // Line mode 1, the byte at 0x0074 saved and set to 5, the supply on at
    // 4100 mV, the fuse command, the supply off, the byte put back.
    const std::vector<uint8_t> expected = {34, 28, 28, 54, 26, 55, 28};
    EXPECT_EQ(pod->commands(), expected);
    const auto records = pod->records();
    EXPECT_EQ(records[1].request, (std::vector<uint8_t>{28, 0x42, 0x5A, 0x00, 0x74, 0x41, 0x30}));
    EXPECT_EQ(records[2].request, (std::vector<uint8_t>{28, 0x40, 0xF2, 0x00, 0x05, 0x00, 0x74}));
    EXPECT_EQ(records[3].request, (std::vector<uint8_t>{54, 0x10, 0x04}));
    EXPECT_EQ(records[4].request, (std::vector<uint8_t>{26, 0x02, 0x80}));
    EXPECT_EQ(records[6].request, (std::vector<uint8_t>{28, 0x40, 0xF2, 0x00, 0x3C, 0x00, 0x74}));
    EXPECT_EQ(pod->target().lineMode(), 1);
}

TEST_F(ConfigFuses, EachFeatureIdHasItsValue) {
    const std::pair<uint32_t, uint8_t> features[] = {
        {0x4616, 0x82}, {0x4617, 0x83}, {0x4618, 0x81}, {0x4619, 0x80}};
    for (const auto& [feature, fuses] : features) {
        startWith(0x00);
        EXPECT_EQ(query(feature), 1) << errorText();
        EXPECT_EQ(pod->chip()->configFuses(), fuses);
        Nandrel_CloseModule();
        backend->unplug(kv::sim::kDravikDescription);
    }
}

TEST_F(ConfigFuses, AlreadyConfiguredChip) {
    startWith(0x80);
    EXPECT_EQ(query(0x4619), 1) << "fuse value 0 expects 0x80 back";
    expectCleanedUp();

    EXPECT_EQ(query(0x4616), 0);
    EXPECT_EQ(errorText(), "Device fuse bits read 0x80, expected 0x00, device already configured");
    expectCleanedUp();
}

TEST_F(ConfigFuses, InjectedResultsOfThePod) {
    struct Case {
        int result;
        const char* text;  // null: success
    };
    const Case cases[] = {
        {0, nullptr},
        {1, "Unable to connect to target, JTAGID returned 0x82"},
        {2, "Unable to sync to target"},
        {3, nullptr},  // the byte read is the one expected
        {4, "Device fuse bits read 0x82, expected 0x82, configuration failed"},
        {5, "Device fuse bits read 0x82, expected 0x82, configuration failed"},
        {6, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.result);
        startWith(0x00, c.result);
        if (c.text) {
            EXPECT_EQ(query(0x4616), 0);
            EXPECT_EQ(errorText(), c.text);
        } else {
            EXPECT_EQ(query(0x4616), 1) << errorText();
        }
        expectCleanedUp();
        Nandrel_CloseModule();
        backend->unplug(kv::sim::kDravikDescription);
    }
}

TEST_F(ConfigFuses, SecondSupplyIsOffAfterAFailedFuseCommand) {
    startWith(0x00, 1, kv::sim::PodFaultKind::NoReply);
    EXPECT_EQ(query(0x4618), 0);
    EXPECT_EQ(errorText(),
              "ReadPort failed, expected 3 bytes, read 0\nThe Dravik pod stopped answering: no "
              "reply came within 5000 ms")
        << "the pod's text";
    EXPECT_EQ(pod->target().supply2(), 0u);
    const std::vector<uint8_t> commands = pod->commands();
    ASSERT_GE(commands.size(), 6u);
    EXPECT_EQ(commands[4], 26);
    EXPECT_EQ(commands[5], 55);
    EXPECT_EQ(errorNumber(), 9);
}

TEST_F(ConfigFuses, SecondSupplyIsOffWhenThePodLeftBytesBehind) {
    // Stray bytes behind the fuse command's reply fail the next write once.
    startWith(0x00, 2, kv::sim::PodFaultKind::StrayBytes);
    query(0x4618);
    EXPECT_EQ(pod->target().supply2(), 0u);
    EXPECT_EQ(pod->chip()->configFuses(), 0x81);
}

TEST_F(ConfigFuses, UnknownFeatureNeverReachesThePod) {
    startWith(0x00);
    EXPECT_EQ(query(0x461A), 0);
    EXPECT_EQ(errorText(), "Unrecognized target feature 0x0000461A");
    EXPECT_TRUE(pod->records().empty());
    EXPECT_EQ(errorNumber(), 9);
    EXPECT_EQ(query(0x4615), 0);
    EXPECT_EQ(Nandrel_QueryTargetFeature(nullptr, 0x4616, nullptr, 0, nullptr), 0);
}

TEST_F(ConfigFuses, ACpuThatRunsCannotBePrepared) {
    startWith(0x00);
    ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_FREE, 0), 1) << errorText();
    pod->clearLog();
    EXPECT_EQ(query(0x4616), 0);
    EXPECT_EQ(errorText(), "ExecuteFirmwareInstruction failed (2)");
    EXPECT_EQ(pod->count(26), 0u);
    EXPECT_EQ(pod->chip()->configFuses(), 0x00);
}

}  // namespace
