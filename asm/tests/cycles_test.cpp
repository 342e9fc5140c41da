// The instruction cycle table, format by format, for both CPU kinds.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "kelvane/asm/msp430_cycles.h"

namespace {

using kv::asm430::InstructionCycles;
using kv::asm430::kNoCycleEntry;

struct Case {
    const char* text;
    uint16_t word;
    int msp430;
    int msp430x;
};

constexpr int kSame = -2;

void check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(InstructionCycles(c.word, false), c.msp430);
        EXPECT_EQ(InstructionCycles(c.word, true), c.msp430x == kSame ? c.msp430 : c.msp430x);
    }
}

// The table is constant: the encoder's compile-time programs can count too.
static_assert(InstructionCycles(0x4030, false) == 3);

TEST(CycleTable, DoubleOperand) {
    check({
        {"mov r5,r6", 0x4506, 1, kSame},
        {"mov r5,pc", 0x4500, 2, kSame},
        {"mov 2(r5),r6", 0x4516, 3, kSame},
        {"mov 2(r5),pc", 0x4510, 3, kSame},
        {"mov @r5,r6", 0x4526, 2, kSame},
        {"mov @r5,pc", 0x4520, 3, kSame},
        {"mov @r5+,r6", 0x4536, 2, kSame},
        {"mov #1234,r6", 0x4036, 2, kSame},
        {"br #1234", 0x4030, 3, kSame},
        {"mov r5,2(r6)", 0x4586, 4, 3},
        {"mov 2(r5),4(r6)", 0x4596, 6, 5},
        {"mov @r5,0(r6)", 0x45A6, 5, 4},
        {"mov @r5+,0(r6)", 0x45B6, 5, 4},
        {"cmp r5,2(r6)", 0x9586, 4, 3},
        {"bit r5,2(r6)", 0xB586, 4, 3},
        {"add r5,2(r6)", 0x5586, 4, kSame},
        {"and.b @r4,r5", 0xF465, 2, kSame},
        {"mov &0200,r6", 0x4216, 3, kSame},
        // The constant generator counts as a register.
        {"mov #0,r6", 0x4306, 1, kSame},
        {"mov #-1,r6", 0x4336, 1, kSame},
        {"mov #4,r6", 0x4226, 1, kSame},
        {"mov #8,r6", 0x4236, 1, kSame},
        {"mov #1,0(r6)", 0x4396, 4, 3},
        {"mov #2,pc", 0x4320, 2, kSame},
    });
}

TEST(CycleTable, Jumps) {
    check({{"jmp $", 0x3FFF, 2, kSame}, {"jnz", 0x2000, 2, kSame}, {"jl", 0x3800, 2, kSame}});
}

TEST(CycleTable, SingleOperand) {
    check({
        {"rrc r5", 0x1005, 1, kSame},    {"rrc 2(r5)", 0x1015, 4, kSame},
        {"rrc @r5", 0x1025, 3, kSame},   {"rrc @r5+", 0x1035, 3, kSame},
        {"swpb r7", 0x1087, 1, kSame},   {"rra.b @r6", 0x1166, 3, kSame},
        {"sxt 2(r8)", 0x1198, 4, kSame}, {"push r10", 0x120A, 3, 3},
        {"push 2(r4)", 0x1214, 5, 4},    {"push 2(sp)", 0x1211, 5, 5},
        {"push @r4", 0x1224, 4, 3},      {"push @r4+", 0x1234, 4, 3},
        {"push #1234", 0x1230, 4, 3},    {"push #4", 0x1222, 3, 3},
        {"call r5", 0x1285, 4, 3},       {"call 2(r5)", 0x1295, 5, 4},
        {"call 2(sp)", 0x1291, 5, 5},    {"call @r5", 0x12A5, 4, 4},
        {"call @r5+", 0x12B5, 5, 4},     {"call #f800", 0x12B0, 5, 4},
        {"reti", 0x1300, 5, 3},          {"other word of the group", 0x1380, 5, 6},
    });
}

TEST(CycleTable, ExtendedGroupOfMsp430x) {
    const std::vector<std::pair<uint16_t, int>> cases = {{0x1345, 4},
                                                         {0x13B5, 4},
                                                         {0x1355, 6},
                                                         {0x1351, 7},
                                                         {0x1365, 5},
                                                         {0x1375, 5},
                                                         {0x1385, 6},
                                                         {0x1395, 6},
                                                         {0x1305, kNoCycleEntry},
                                                         {0x13A5, kNoCycleEntry},
                                                         {0x13C5, kNoCycleEntry},
                                                         {0x1435, 10},
                                                         {0x1400, 4},
                                                         {0x1625, 8},
                                                         {0x1535, 6},
                                                         {0x1705, 3},
                                                         {0x17F5, 18}};
    for (const auto& [word, cycles] : cases) {
        SCOPED_TRACE(word);
        EXPECT_EQ(InstructionCycles(word, true), cycles);
    }
}

TEST(CycleTable, AddressInstructionsOfMsp430x) {
    check({
        {"rrcm.a #1,r5", 0x0045, kNoCycleEntry, 1},
        {"rram.a #4,r5", 0x0C55, kNoCycleEntry, 4},
        {"mova @r5,r6", 0x0506, kNoCycleEntry, 3},
        {"mova @r5+,r6", 0x0516, kNoCycleEntry, 3},
        {"mova &abs,r6", 0x0026, kNoCycleEntry, 4},
        {"mova x(r5),r6", 0x0536, kNoCycleEntry, 4},
        {"mova r5,&abs", 0x0065, kNoCycleEntry, 4},
        {"mova r5,x(r6)", 0x0576, kNoCycleEntry, 4},
        {"mova #imm,r6", 0x0086, kNoCycleEntry, 2},
        {"mova #imm,pc", 0x0080, kNoCycleEntry, 3},
        {"cmpa #imm,r6", 0x0096, kNoCycleEntry, 2},
        {"suba #imm,r6", 0x00B6, kNoCycleEntry, 2},
        {"mova r5,r6", 0x05C6, kNoCycleEntry, 1},
        {"mova r5,pc", 0x05C0, kNoCycleEntry, 2},
        {"suba r5,r6", 0x05F6, kNoCycleEntry, 1},
        {"suba r5,pc", 0x05F0, kNoCycleEntry, 2},
    });
}

}  // namespace
