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
    EXPECT_EQ(text({0x1800, 0x1185}), "SXTX.A R5");
    EXPECT_EQ(text({0x1801, 0x1252, 0x2345}), "PUSHX.A &0x12345");
    EXPECT_EQ(text({0x1840, 0x1056, 0x0004}), "RRCX.B 4(R6)");
    EXPECT_EQ(text({0x1941, 0x6405}), "RPTZ #2 ADDCX.W R4,R5");
    EXPECT_EQ(text({0x190F, 0x1049}), "RPT #16 RRUX.A R9");
    EXPECT_EQ(text({0x18C0, 0x4015, 0xFFFC}, 0x10000), "MOVX.W 0x30000,R5");
    EXPECT_EQ(text({0x171E}), "POPM.W #2,R15");
    EXPECT_EQ(text({0x0516}), "MOVA @R5+,R6");
    EXPECT_EQ(text({0x0126, 0x2345}), "MOVA &0x12345,R6");
    EXPECT_EQ(text({0x0536, 0x0004}), "MOVA 4(R5),R6");
    EXPECT_EQ(text({0x0195, 0x0000}), "CMPA #0x10000,R5");
    EXPECT_EQ(text({0x04E5}), "ADDA R4,R5");
    EXPECT_EQ(text({0x0180, 0x0000}), "BRA #0x10000");
    EXPECT_EQ(text({0x1355, 0x0002}), "CALLA 2(R5)");
    EXPECT_EQ(text({0x1381, 0x2000}), "CALLA &0x12000");
    EXPECT_EQ(text({0x1390, 0xFFFE}, 0x10000), "CALLA 0x20000");
    EXPECT_EQ(text({0x3FFF}, 0x10000), "JMP 0x10000");
    EXPECT_EQ(text({0x1254, 0x0002}), "PUSH.B 2(R4)");
    EXPECT_EQ(text({0x4075, 0x0012}), "MOV.B #0x12,R5");
}

TEST(Disassembler, ReadsBackWhatTheEncoderWrote) {
    Assembler a(0x8000);
    a.mov(idx(0x1234, R5), absolute(0x0200));
    a.bic_b(imm(0x0F), idx(-20, SP));
    a.call(imm(0x8000));
    a.jge(0x8000);
    a.rpt(R12).subcx_a(reg(R13), reg(R14));
    a.calla(postinc(R10));
    const std::vector<std::string> want = {"MOV 0x1234(R5),&0x0200",
                                           "BIC.B #0x0F,-0x0014(SP)",
                                           "CALL #0x8000",
                                           "JGE 0x8000",
                                           "RPT R12 SUBCX.A R13,R14",
                                           "CALLA @R10+"};
    const std::vector<uint16_t> w = a.words();
    size_t pos = 0;
    for (const std::string& line : want) {
        const Decoded d = decode(std::span<const uint16_t>(w).subspan(pos), 0x8000 + 2 * pos);
        EXPECT_EQ(d.text, line);
        pos += d.length;
    }
    EXPECT_EQ(pos, w.size());
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
