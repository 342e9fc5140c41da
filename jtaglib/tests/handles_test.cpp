// Handles: records, null, wrong-kind, closed and stale handles.
#include "sim_pod_fixture.h"

namespace {

class Handles : public SimPodTest {
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

TEST_F(Handles, RecordsNameTheirObjectAndKind) {
    EXPECT_NE(interfaceHandle->words[0], 0u);
    EXPECT_EQ(interfaceHandle->words[1], 0u);
    EXPECT_EQ(interfaceHandle->words[2], interfaceHandle->words[0]);
    EXPECT_EQ(interfaceHandle->words[3], 1u);
    EXPECT_NE(port->words[0], 0u);
    EXPECT_EQ(port->words[2], 0u);
    EXPECT_EQ(port->words[3], 2u);
    EXPECT_NE(target->words[0], 0u);
    EXPECT_EQ(target->words[3], 3u);
}

TEST_F(Handles, NullHandlesFailWithTheirFamilyText) {
    EXPECT_STREQ(Nandrel_GetLastTargetError(nullptr), "Invalid target object");
    Nandrel_CloseModule();
    EXPECT_STREQ(Nandrel_GetLastModuleError(), "NULL Target");
    EXPECT_EQ(Nandrel_GetPortCount(nullptr), 0);
    EXPECT_STREQ(Nandrel_GetLastModuleError(), "NULL interface");
    EXPECT_EQ(Nandrel_GetTargetCount(nullptr), 0);
    EXPECT_STREQ(Nandrel_GetLastModuleError(), "NULL port");
    EXPECT_STREQ(Nandrel_GetLastInterfaceError(nullptr), "NULL interface");
    EXPECT_STREQ(Nandrel_GetLastPortError(nullptr), "NULL port");
    EXPECT_EQ(Nandrel_GetInterfaceVersion(nullptr), nullptr);
    EXPECT_EQ(Nandrel_GetPortSerialNumber(nullptr), nullptr);
    uint32_t length = 9;
    EXPECT_EQ(Nandrel_QueryInterfaceFeature(nullptr, 1, nullptr, 0, &length), 0);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(Nandrel_OpenJTAG(nullptr), 0);
    EXPECT_EQ(Nandrel_EEM_ReadSequencerState(nullptr, nullptr), 0);
    EXPECT_EQ(Nandrel_GetLastTargetErrorNumber(nullptr), 0);
    EXPECT_EQ(Nandrel_GetInterfaceName(0), nullptr);
    EXPECT_EQ(Nandrel_OpenInterface(0), nullptr);
}

TEST_F(Handles, WrongKindIsNotUsedAsAnotherObject) {
    EXPECT_STREQ(Nandrel_GetLastTargetError(port), "Invalid target object");
    EXPECT_EQ(Nandrel_OpenJTAG(interfaceHandle), 0);
    Nandrel_CloseModule();
    Nandrel_OpenModule();
    EXPECT_EQ(Nandrel_OpenJTAG(port), 0);
    EXPECT_STREQ(Nandrel_GetLastModuleError(), "No error");
}

TEST_F(Handles, ForeignRecordsAreNotFollowed) {
    NandrelHandleRecord fake{};
    fake.words[0] = 0x1234;  // no object lives there
    fake.words[3] = NANDREL_KIND_TARGET;
    EXPECT_STREQ(Nandrel_GetLastTargetError(&fake), "Invalid target object");
    fake.words[3] = NANDREL_KIND_PORT;
    EXPECT_EQ(Nandrel_GetTargetCount(&fake), 0);
}

TEST_F(Handles, ClosedTargetFailsWithItsNullText) {
    Nandrel_CloseTarget(target);
    EXPECT_EQ(target->words[0], 0u);
    EXPECT_STREQ(Nandrel_GetLastTargetError(target), "Invalid target object");
    EXPECT_EQ(Nandrel_Erase(target, NANDREL_ERASE_ALL, 0, 0), 0);
    Nandrel_CloseModule();
    EXPECT_STREQ(Nandrel_GetLastModuleError(), "NULL Target");
    Nandrel_OpenModule();
    EXPECT_EQ(Nandrel_GetTargetCount(port), 0) << "the port handle died with its module";
}

TEST_F(Handles, HandlesOfAClosedChainAreRefused) {
    Nandrel_ClosePort(port);
    EXPECT_EQ(Nandrel_GetTargetCount(port), 0);
    EXPECT_EQ(Nandrel_OpenJTAG(target), 0) << "the target went with its port";
    Nandrel_CloseInterface(interfaceHandle);
    EXPECT_EQ(Nandrel_GetPortCount(interfaceHandle), 0);
    Nandrel_CloseModule();
    EXPECT_EQ(Nandrel_OpenPort(interfaceHandle, 0), nullptr);
    Nandrel_CloseInterface(interfaceHandle);
    Nandrel_ClosePort(port);
    Nandrel_CloseTarget(target);
}

}  // namespace
