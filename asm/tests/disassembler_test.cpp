// The disassembler against hand-written instruction words, and round trips
// through the encoder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelvane/asm/msp430_asm.h"
#include "kelvane/asm/msp430_disasm.h"

namespace kv::asm430 {
namespace {

std::string text(std::vector<uint16_t> w, uint32_t at = 0xF000, Isa isa = Isa::Msp430X) {
    const Decoded d = decode(w, at, isa);
    EXPECT_EQ(d.length, w.size()) << d.text;
    return d.text;
}

TEST(Disassembler, Msp430Instructions) {
    EXPECT_EQ(text({0x40B2, 0x5A80, 0x0120}), "MOV #0x5A80,&0x0120");
    EXPECT_EQ(text({0x4FFE, 0x0000}), "MOV.B @R15+,0(R14)");
    EXPECT_EQ(text({0xE499, 0xFFFE, 0x0006}), "XOR -2(R4),6(R9)");
    EXPECT_EQ(text({0x4016, 0x00FE}), "MOV 0xF100,R6");
    EXPECT_EQ(text({0x4305}), "MOV #0,R5");
    EXPECT_EQ(text({0x4335}), "MOV #-1,R5");
    EXPECT_EQ(text({0x4235}), "MOV #8,R5");
    EXPECT_EQ(text({0x5225}), "ADD #4,R5");
    EXPECT_EQ(text({0x831F}), "SUB #1,R15");
    EXPECT_EQ(text({0x4303}), "NOP");
    EXPECT_EQ(text({0x4130}), "RET");
    EXPECT_EQ(text({0x413A}), "POP R10");
    EXPECT_EQ(text({0x4030, 0xF800}), "BR #0xF800");
    EXPECT_EQ(text({0x1166}), "RRA.B @R6");
    EXPECT_EQ(text({0x12B0, 0xF800}), "CALL #0xF800");
    EXPECT_EQ(text({0x1300}), "RETI");
    EXPECT_EQ(text({0x23FE}, 0xF002), "JNZ 0xF000");
    EXPECT_EQ(text({0x3FFF}), "JMP 0xF000");
    EXPECT_EQ(text({0xD032, 0x0018}), "BIS #0x0018,SR");
}

TEST(Disassembler, Msp430XInstructions) {
    EXPECT_EQ(text({0x143B}), "PUSHM.A #4,R11");
    EXPECT_EQ(text({0x1638}), "POPM.A #4,R11");
    EXPECT_EQ(text({0x1843, 0x1105}), "RPT #4 RRAX.W R5");
    EXPECT_EQ(text({0x1885, 0x5747}), "RPT R5 ADDX.A R7,R7");
    EXPECT_EQ(text({0x1940, 0x1005}), "RRUX.W R5");
    EXPECT_EQ(text({0x1885, 0x40F2, 0x2345, 0x4321}), "MOVX.A #0x12345,&0x54321");
    EXPECT_EQ(text({0x1F80, 0x5556, 0xFFFE}), "ADDX.A -2(R5),R6");
    EXPECT_EQ(text({0x018A, 0x2345}), "MOVA #0x12345,R10");
    EXPECT_EQ(text({0x0576, 0x0004}), "MOVA R5,4(R6)");
    EXPECT_EQ(text({0x0165, 0x2345}), "MOVA R5,&0x12345");
    EXPECT_EQ(text({0x0445}), "RRCM.A #2,R5");
    EXPECT_EQ(text({0x0E5C}), "RLAM.W #4,R12");
    EXPECT_EQ(text({0x13B1, 0x2345}), "CALLA #0x12345");
    EXPECT_EQ(text({0x1310}), "RETA");
    EXPECT_EQ(text({0x1800, 0x1085}), "SWPBX.A R5");
}

TEST(Disassembler, NoInstruction) {
    EXPECT_EQ(text({0x0000}, 0xF000, Isa::Msp430), ".word 0x0000");
    EXPECT_EQ(text({0x1400}, 0xF000, Isa::Msp430), ".word 0x1400");
    // An instruction cut short shows its first word.
    const Decoded d = decode(std::vector<uint16_t>{0x40B2, 0x5A80}, 0xF000);
    EXPECT_EQ(d.length, 1u);
    EXPECT_EQ(d.text, ".word 0x40B2");
}

TEST(Disassembler, ListingOfAnAssembledProgram) {
    Assembler a(0xF000);
    a.mov(imm(0x5A80), absolute(0x0120));
    const Label loop = a.label();
    a.dec(reg(R15));
    a.jnz(loop);
    a.pushm_a(2, R11);
    const std::vector<uint16_t> w = a.words();
    const std::vector<std::string> lines = disassemble(w, 0xF000);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "F000: 40B2 5A80 0120       MOV #0x5A80,&0x0120");
    EXPECT_EQ(lines[1], "F006: 831F                 SUB #1,R15");
    EXPECT_EQ(lines[2], "F008: 23FE                 JNZ 0xF006");
    EXPECT_EQ(lines[3], "F00A: 141B                 PUSHM.A #2,R11");
}

}  // namespace
}  // namespace kv::asm430
