#include <gtest/gtest.h>

#include "kelvane/sim/cpu.h"
#include "test_bus.h"

namespace kv::sim {
namespace {

TEST(CpuSmoke, ResetLoadsVectorAndMovImmediateToAbsolute) {
    test::FlatBus bus;
    bus.setWord(0xFFFE, 0xF000);
    // MOV #0x5A80,&0x0120
    bus.load(0xF000, {0x40B2, 0x5A80, 0x0120});
    Cpu cpu(bus, false);
    cpu.reset();
    EXPECT_EQ(cpu.pc(), 0xF000u);
    EXPECT_EQ(cpu.step(), 5);
    EXPECT_EQ(bus.word(0x0120), 0x5A80);
    EXPECT_EQ(cpu.pc(), 0xF006u);
}

}  // namespace
}  // namespace kv::sim
