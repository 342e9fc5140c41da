// Error numbers and texts of the target, and the exports that are not carried
// out yet.
#include "sim_pod_fixture.h"

namespace {

using Errors = SimPodTest;

const char* const kNotSupported =
    "Not supported by selected Interface or Interface is not initialized";

TEST(ErrorTexts, TableAndOutOfRangeNumbers) {
    EXPECT_STREQ(Nandrel_ErrorString(0), "No error");
    EXPECT_STREQ(Nandrel_ErrorString(34), kNotSupported);
    EXPECT_STREQ(Nandrel_ErrorString(60), "Could not terminate EEM polling thread.");
    EXPECT_STREQ(Nandrel_ErrorString(61), "Invalid error number");
    EXPECT_STREQ(Nandrel_ErrorString(1000), "Invalid error number");
    EXPECT_STREQ(Nandrel_ErrorString(-1), "Invalid error number");
}

class TargetErrors : public SimPodTest {
  protected:
    void SetUp() override {
        SimPodTest::SetUp();
        plug(kv::sim::PodConfig{});
        port = openPort();
        ASSERT_NE(port, nullptr);
        target = Nandrel_OpenTarget(port, 0);
        ASSERT_NE(target, nullptr);
    }
    NANDREL_HANDLE port = nullptr;
    NANDREL_HANDLE target = nullptr;
};

TEST_F(TargetErrors, NumberIsClearedByReadingIt) {
    EXPECT_EQ(Nandrel_OpenEEM(target), 0);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), 34);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), 0);
    EXPECT_EQ(Nandrel_SetLastTargetErrorNumber(target, 7), 1);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), 7);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), 0);
}

TEST_F(TargetErrors, TextsCarryTheirDetailOnceAndDoNotGrow) {
    EXPECT_EQ(Nandrel_OpenEEM(target), 0);
    const std::string first = Nandrel_GetLastTargetError(target);
    EXPECT_EQ(first, std::string(kNotSupported) + ":\nNandrel_OpenEEM not implemented");
    for (int i = 0; i < 5; ++i)
        Nandrel_OpenEEM(target);
    EXPECT_EQ(Nandrel_GetLastTargetError(target), first);

    // A failure without a fresh detail gives the table text alone.
    DeviceRecord record{};
    EXPECT_EQ(Nandrel_Identify(target, &record, sizeof record - 1, 0), 0);
    EXPECT_STREQ(Nandrel_GetLastTargetError(target), "Invalid parameter(s)");
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), 3);
}

TEST_F(TargetErrors, PendingExportsCheckTheirArgumentsThenFailWith34) {
    DeviceRecord record{};
    EXPECT_EQ(Nandrel_Identify(target, nullptr, 80, 0), 0);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), 3);
    EXPECT_EQ(Nandrel_Device(target, 0, &record, sizeof record), 0);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), 3);
    EXPECT_EQ(Nandrel_Device(target, 92, &record, sizeof record), 0);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), 3);

    uint32_t value = 99;
    EXPECT_EQ(Nandrel_ReadRegisterEEM(target, 131, &value), 0);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(Nandrel_ReadRegister(target, 5, nullptr), 0);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), 3);
    EXPECT_EQ(Nandrel_ReadOutFile(target, "out.txt", 3, 0, 16), 0);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), 0) << "an unknown file type only fails";
}

TEST_F(TargetErrors, SettingsAndQueriesOfTheTarget) {
    int32_t mv = -1, state = -1;
    EXPECT_EQ(Nandrel_GetCurrentTargetVCC(target, &mv), 1);
    EXPECT_EQ(mv, 0);
    EXPECT_EQ(Nandrel_GetExternalVoltage(target, &mv, &state), 1);
    EXPECT_EQ(state, 36);
    EXPECT_EQ(Nandrel_GetCurrentTargetVCC(target, nullptr), 0);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), 3);
    EXPECT_EQ(Nandrel_GetExternalVoltage(target, &mv, nullptr), 0);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), 3);
    EXPECT_EQ(Nandrel_RegisterHWND(target, nullptr, 0x400, 5), 1);
    const uint16_t key[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(Nandrel_SetKeySPMA(target, key), 1);
    EXPECT_EQ(Nandrel_SetKeySPMA(target, nullptr), 1);
    EXPECT_EQ(Nandrel_Test(target, 1), 1);

    Nandrel_SetLastTargetErrorNumber(target, 9);
    uint32_t length = 3;
    EXPECT_EQ(Nandrel_QueryTargetFeature(target, 0x1234, nullptr, 0, &length), 0);
    EXPECT_EQ(length, 0u);
    EXPECT_STREQ(Nandrel_GetLastTargetError(target), "Unrecognized target feature 0x00001234");
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(target), 9) << "the number stays";
}

}  // namespace
