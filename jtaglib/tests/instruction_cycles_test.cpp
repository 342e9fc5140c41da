// The cycle table of single steps, instruction format by format.
#include <gtest/gtest.h>

#include "instruction_cycles.h"

namespace {

using nandrel::InstructionCycles;

struct Case {
    const char* text;
    uint16_t word;
    uint16_t next;
    uint32_t msp430;
    uint32_t msp430x;
};

constexpr uint32_t kSame = 0xFFFFFFFF;

void check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(InstructionCycles(c.word, c.next, false), c.msp430);
        EXPECT_EQ(InstructionCycles(c.word, c.next, true),
                  c.msp430x == kSame ? c.msp430 : c.msp430x);
    }
}

TEST(InstructionCycles, DoubleOperand) {
    check({
        {"mov r5,r6", 0x4506, 0, 1, kSame},
        {"mov r5,pc", 0x4500, 0, 2, kSame},
        {"mov 2(r5),r6", 0x4516, 0, 3, kSame},
        {"mov 2(r5),pc", 0x4510, 0, 3, kSame},
        {"mov @r5,r6", 0x4526, 0, 2, kSame},
        {"mov @r5,pc", 0x4520, 0, 3, kSame},
        {"mov @r5+,r6", 0x4536, 0, 2, kSame},
        {"mov #1234,r6", 0x4036, 0, 2, kSame},
        {"br #1234", 0x4030, 0, 3, kSame},
        {"mov r5,2(r6)", 0x4586, 0, 4, 3},
        {"mov 2(r5),4(r6)", 0x4596, 0, 6, 5},
        {"mov @r5,0(r6)", 0x45A6, 0, 5, 4},
        {"mov @r5+,0(r6)", 0x45B6, 0, 5, 4},
        {"cmp r5,2(r6)", 0x9586, 0, 4, 3},
        {"bit r5,2(r6)", 0xB586, 0, 4, 3},
        {"add r5,2(r6)", 0x5586, 0, 4, kSame},
        {"and.b @r4,r5", 0xF465, 0, 2, kSame},
        {"mov &0200,r6", 0x4216, 0, 3, kSame},
        // The constant generator counts as a register.
        {"mov #0,r6", 0x4306, 0, 1, kSame},
        {"mov #-1,r6", 0x4336, 0, 1, kSame},
        {"mov #4,r6", 0x4226, 0, 1, kSame},
        {"mov #8,r6", 0x4236, 0, 1, kSame},
        {"mov #1,0(r6)", 0x4396, 0, 4, 3},
        {"mov #2,pc", 0x4320, 0, 2, kSame},
    });
}

TEST(InstructionCycles, Jumps) {
    check({{"jmp $", 0x3FFF, 0, 2, kSame},
           {"jnz", 0x2000, 0, 2, kSame},
           {"jl", 0x3800, 0, 2, kSame}});
}

TEST(InstructionCycles, SingleOperand) {
    check({
        {"rrc r5", 0x1005, 0, 1, kSame},    {"rrc 2(r5)", 0x1015, 0, 4, kSame},
        {"rrc @r5", 0x1025, 0, 3, kSame},   {"rrc @r5+", 0x1035, 0, 3, kSame},
        {"swpb r7", 0x1087, 0, 1, kSame},   {"rra.b @r6", 0x1166, 0, 3, kSame},
        {"sxt 2(r8)", 0x1198, 0, 4, kSame}, {"push r10", 0x120A, 0, 3, 3},
        {"push 2(r4)", 0x1214, 0, 5, 4},    {"push 2(sp)", 0x1211, 0, 5, 5},
        {"push @r4", 0x1224, 0, 4, 3},      {"push @r4+", 0x1234, 0, 4, 3},
        {"push #1234", 0x1230, 0, 4, 3},    {"push #4", 0x1222, 0, 3, 3},
        {"call r5", 0x1285, 0, 4, 3},       {"call 2(r5)", 0x1295, 0, 5, 4},
        {"call 2(sp)", 0x1291, 0, 5, 5},    {"call @r5", 0x12A5, 0, 4, 4},
        {"call @r5+", 0x12B5, 0, 5, 4},     {"call #f800", 0x12B0, 0, 5, 4},
        {"reti", 0x1300, 0, 5, 3},          {"other word of the group", 0x1380, 0, 5, 6},
    });
}

TEST(InstructionCycles, ExtendedGroupOfMsp430x) {
    const std::vector<std::pair<uint16_t, uint32_t>> cases = {
        {0x1345, 4}, {0x13B5, 4}, {0x1355, 6}, {0x1351, 7}, {0x1365, 5}, {0x1375, 5},
        {0x1385, 6}, {0x1395, 6}, {0x1305, 0}, {0x13A5, 0}, {0x13C5, 0}, {0x1435, 10},
        {0x1400, 4}, {0x1625, 8}, {0x1535, 6}, {0x1705, 3}, {0x17F5, 18}};
    for (const auto& [word, cycles] : cases) {
        SCOPED_TRACE(word);
        EXPECT_EQ(InstructionCycles(word, 0, true), cycles);
    }
}

TEST(InstructionCycles, AddressInstructionsOfMsp430x) {
    check({
        {"rrcm.a #1,r5", 0x0045, 0, 0, 1},
        {"rram.a #4,r5", 0x0C55, 0, 0, 4},
        {"mova @r5,r6", 0x0506, 0, 0, 3},
        {"mova @r5+,r6", 0x0516, 0, 0, 3},
        {"mova &abs,r6", 0x0026, 0, 0, 4},
        {"mova x(r5),r6", 0x0536, 0, 0, 4},
        {"mova r5,&abs", 0x0065, 0, 0, 4},
        {"mova r5,x(r6)", 0x0576, 0, 0, 4},
        {"mova #imm,r6", 0x0086, 0, 0, 2},
        {"mova #imm,pc", 0x0080, 0, 0, 3},
        {"cmpa #imm,r6", 0x0096, 0, 0, 2},
        {"suba #imm,r6", 0x00B6, 0, 0, 2},
        {"mova r5,r6", 0x05C6, 0, 0, 1},
        {"mova r5,pc", 0x05C0, 0, 0, 2},
        {"suba r5,r6", 0x05F6, 0, 0, 1},
        {"suba r5,pc", 0x05F0, 0, 0, 2},
    });
}

TEST(InstructionCycles, ExtensionWords) {
    check({
        // Without the MSP430X the word is just another word of the single-operand group.
        {"rpt #1 rrcx r5", 0x1800, 0x1005, 1, 1},
        {"rpt #4 rrax r5", 0x1803, 0x1105, 1, 4},
        {"rpt r3 (count from a register)", 0x1883, 0x1005, 1, 1},
        {"movx.a 2(r5),4(r6)", 0x1800, 0x4596, 1, 7},
        {"movx.w 2(r5),4(r6)", 0x1840, 0x4596, 1, 5},
        {"pushx.a 2(r5)", 0x1800, 0x1215, 1, 5},
        {"movx.a r5,r6", 0x1800, 0x4506, 1, 1},
        {"movx.a #0,0(r6)", 0x1800, 0x4396, 1, 4},
    });
}

}  // namespace
