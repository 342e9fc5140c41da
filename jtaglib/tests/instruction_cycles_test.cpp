// The cycles a single step counts for an MSP430X instruction behind its
// extension word: the repeat count and the 20-bit operand accesses on top of
// the table's cycles.
#include <gtest/gtest.h>

#include <vector>

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
