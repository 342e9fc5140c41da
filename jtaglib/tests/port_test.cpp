// The port object: identity reads, events and re-opening.
#include "interface_jtag.h"
#include "module430.h"
#include "port_jtag.h"
#include "sim_pod_fixture.h"

namespace {

using namespace kv::sim;
using Port = SimPodTest;

TEST_F(Port, UnreadableSerialNumberLeavesZeros) {
    PodConfig config;
    config.faults = {{kPodReportSerial, PodFaultKind::NoReply, 0, 0}};
    plug(config);
    nandrel::CPortJTAG port;
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.serialNumber(), "000000");
    EXPECT_EQ(port.errorText(),
              "ReadPort failed, expected 5 bytes, read 0\nThe Dravik pod stopped answering: no "
              "reply came within 5000 ms");
    EXPECT_EQ(port.targetCount(), 0);
    int32_t result = 0;
    EXPECT_FALSE(port.WaitWakeupEvent(0, &result)) << "the events were closed";
    EXPECT_EQ(result, -1);
}

TEST_F(Port, EventsOfAnOpenPort) {
    plug(PodConfig{});
    nandrel::CPortJTAG port;
    ASSERT_TRUE(port.Open()) << port.errorText();
    int32_t result = -5;
    EXPECT_TRUE(port.WaitWakeupEvent(0, &result));
    EXPECT_EQ(result, 258);
    port.SetWakeupEvent();
    EXPECT_TRUE(port.WaitWakeupEvent(0, &result));
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(port.WaitWakeupEvent(0, &result));
    EXPECT_EQ(result, 258) << "the wakeup event resets itself";
    port.SetAsleepEvent();
    EXPECT_TRUE(port.WaitAsleepEvent(0, &result));
    EXPECT_TRUE(port.WaitAsleepEvent(0, &result));
    EXPECT_EQ(result, 0) << "the asleep event stays set";
    port.ResetAsleepEvent();
    EXPECT_TRUE(port.WaitAsleepEvent(0, &result));
    EXPECT_EQ(result, 258);

    nandrel::CTargetJTAG* first = port.GetTargetByIndex(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(port.GetTargetByIndex(-1), nullptr);
    EXPECT_EQ(port.errorText(), "Invalid port index -1");
    port.Close();
    EXPECT_EQ(port.GetTargetByIndex(0), nullptr);
    EXPECT_EQ(port.errorText(), "NULL port array");
    EXPECT_EQ(port.hardwareVersion(), "");
    EXPECT_EQ(port.serialNumber(), "");
}

TEST(Module, InterfaceIndexOneIsRefused) {
    nandrel::CModule430 module;
    EXPECT_EQ(module.GetInterfaceByIndex(0), nullptr);
    EXPECT_EQ(module.errorText(), "No error");
    ASSERT_TRUE(module.Open());
    EXPECT_EQ(module.GetInterfaceByIndex(1), nullptr);
    EXPECT_EQ(module.errorText(),
              "Index provided to GetInterfaceByIndex() exceeds available interfaces");
    nandrel::CInterfaceJTAG* i = module.GetInterfaceByIndex(0);
    ASSERT_NE(i, nullptr);
    EXPECT_EQ(i->GetPortByIndex(0), nullptr);
    EXPECT_EQ(i->errorText(), "NULL port array");
}

}  // namespace
