// Single steps on the simulated chip, one instruction format after another:
// each step stops after one instruction and adds that instruction's cycles
// from the table to the cycle counter.
#include <gtest/gtest.h>

#include "kelvane/asm/msp430_asm.h"
#include "sim_target_fixture.h"

namespace {

using namespace kv::asm430;

struct Step {
    uint32_t address;  // of the instruction
    uint32_t cycles;   // it adds to the counter
    const char* text;
};

struct Program {
    std::vector<uint16_t> words;
    std::vector<Step> steps;
};

// Builds a program step by step: each `add` assembles one instruction.
class StepProgram {
  public:
    explicit StepProgram(uint32_t origin) : a_(origin) {}
    template <typename F>
    StepProgram& add(const char* text, uint32_t cycles, F&& emit) {
        steps_.push_back({a_.here(), cycles, text});
        emit(a_);
        return *this;
    }
    // A step at an address assembled elsewhere (the order of execution).
    StepProgram& mark(uint32_t address, uint32_t cycles, const char* text) {
        steps_.push_back({address, cycles, text});
        return *this;
    }
    Assembler& assembler() { return a_; }
    Program build() const { return {a_.words(), steps_}; }

  private:
    Assembler a_;
    std::vector<Step> steps_;
};

// Every format of the MSP430 instruction set; data lies at origin + 0x80, the
// stack below origin + 0x100.
Program classicProgram(uint32_t origin) {
    const int32_t data = static_cast<int32_t>(origin + 0x80);
    StepProgram p(origin);
    Label sub = p.assembler().newLabel();
    Label after = p.assembler().newLabel();
    p.add("mov #5a80,&0120", 5, [](Assembler& a) { a.mov(imm(0x5A80), absolute(0x0120)); })
        .add("mov #data,r5", 2, [&](Assembler& a) { a.mov(imm(data), reg(R5)); })
        .add("mov #data+16,r6", 2, [&](Assembler& a) { a.mov(imm(data + 16), reg(R6)); })
        .add("mov r5,r7", 1, [](Assembler& a) { a.mov(reg(R5), reg(R7)); })
        .add("mov @r5,r8", 2, [](Assembler& a) { a.mov(ind(R5), reg(R8)); })
        .add("mov @r5+,r9", 2, [](Assembler& a) { a.mov(postinc(R5), reg(R9)); })
        .add("mov 2(r5),r10", 3, [](Assembler& a) { a.mov(idx(2, R5), reg(R10)); })
        .add("mov r7,4(r6)", 4, [](Assembler& a) { a.mov(reg(R7), idx(4, R6)); })
        .add("mov 2(r5),4(r6)", 6, [](Assembler& a) { a.mov(idx(2, R5), idx(4, R6)); })
        .add("mov @r5,0(r6)", 5, [](Assembler& a) { a.mov(ind(R5), idx(0, R6)); })
        .add("add #1,r7", 1, [](Assembler& a) { a.add(imm(1), reg(R7)); })
        .add("mov #4,r11", 1, [](Assembler& a) { a.mov(imm(4), reg(R11)); })
        .add("mov &data,r11", 3, [&](Assembler& a) { a.mov(absolute(data), reg(R11)); })
        .add("push r7", 3, [](Assembler& a) { a.push(reg(R7)); })
        .add("push 2(r5)", 5, [](Assembler& a) { a.push(idx(2, R5)); })
        .add("push @r5", 4, [](Assembler& a) { a.push(ind(R5)); })
        .add("rra r7", 1, [](Assembler& a) { a.rra(reg(R7)); })
        .add("swpb @r6", 3, [](Assembler& a) { a.swpb(ind(R6)); })
        .add("rrc 2(r6)", 4, [](Assembler& a) { a.rrc(idx(2, R6)); })
        .add("sxt r7", 1, [](Assembler& a) { a.sxt(reg(R7)); })
        .add("call #sub", 5, [&](Assembler& a) { a.call(imm(sub)); });
    // The subroutine runs next, then the jump behind the call.
    Assembler& a = p.assembler();
    const uint32_t jumpAt = a.here();
    a.jmp(after);
    a.bind(sub);
    p.mark(a.here(), 3, "ret").mark(jumpAt, 2, "jmp after");
    a.ret();
    a.bind(after);
    Label end = a.newLabel();
    p.add("br #end", 3, [&](Assembler& b) { b.br(imm(end)); });
    a.bind(end);
    p.add("jmp $", 2, [](Assembler& b) { b.jmp(b.label()); });
    return p.build();
}

// The MSP430X forms: extension words (repeats, 20-bit operands), address
// instructions and the extended group of the single-operand instructions.
Program extendedProgram(uint32_t origin) {
    const int32_t data = static_cast<int32_t>(origin + 0x80);
    StepProgram p(origin);
    Label sub = p.assembler().newLabel();
    p.add("mov #5a80,&0120", 4, [](Assembler& a) { a.mov(imm(0x5A80), absolute(0x0120)); })
        .add("movx.a #12345,r5", 3, [](Assembler& a) { a.movx_a(imm(0x12345), reg(R5)); })
        .add("mova r5,r6", 1, [](Assembler& a) { a.mova(reg(R5), reg(R6)); })
        .add("rpt #4 rrax.w r7", 4, [](Assembler& a) { a.rpt(4).rrax(reg(R7)); })
        .add("mov #data,r8", 2, [&](Assembler& a) { a.mov(imm(data), reg(R8)); })
        .add("movx.a @r8,r9", 3, [](Assembler& a) { a.movx_a(ind(R8), reg(R9)); })
        .add("movx.w r9,2(r8)", 3, [](Assembler& a) { a.movx(reg(R9), idx(2, R8)); })
        // Bits 4 to 7 of PUSHM and POPM hold the register count less one.
        .add("pushm.w #2,r10", 4, [](Assembler& a) { a.pushm_w(2, R10); })
        .add("popm.w #2,r10", 4, [](Assembler& a) { a.popm_w(2, R10); })
        .add("pushm.a #2,r10", 6, [](Assembler& a) { a.pushm_a(2, R10); })
        .add("popm.a #2,r10", 6, [](Assembler& a) { a.popm_a(2, R10); })
        .add("rrcm.a #2,r9", 2, [](Assembler& a) { a.rrcm_a(2, R9); })
        .add("adda #10000,r5", 2, [](Assembler& a) { a.adda(imm(0x10000), reg(R5)); })
        .add("push r7", 3, [](Assembler& a) { a.push(reg(R7)); })
        .add("push 2(sp)", 5, [](Assembler& a) { a.push(idx(2, SP)); })
        .add("mov r7,2(r8)", 3, [](Assembler& a) { a.mov(reg(R7), idx(2, R8)); })
        .add("calla #sub", 4, [&](Assembler& a) { a.calla(imm(sub)); });
    Assembler& a = p.assembler();
    const uint32_t back = a.here();
    a.mov(reg(R7), reg(R8));
    const uint32_t idle = a.here();
    a.jmp(a.label());
    // RETA is a word of the 0x13xx group that the table counts as handled.
    a.bind(sub);
    p.add("reta", 0, [](Assembler& b) { b.reta(); });
    p.mark(back, 1, "mov r7,r8").mark(idle, 2, "jmp $");
    return p.build();
}

class SimStep : public SimTargetTest {
  protected:
    void stepThrough(const Program& program, uint32_t origin) {
        load(origin, program.words);
        ASSERT_EQ(Nandrel_WriteRegister(target, 0, origin), 1);
        ASSERT_EQ(Nandrel_WriteRegister(target, 1, origin + 0x100), 1);
        uint32_t before = 0;
        for (size_t i = 0; i < program.steps.size(); ++i) {
            const Step& s = program.steps[i];
            SCOPED_TRACE(s.text);
            ASSERT_EQ(reg(0), s.address);
            ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_SINGLE_STEP, 0), 1) << Nandrel_GetLastTargetError(target);
            uint32_t cycles = 0;
            ASSERT_EQ(state(false, &cycles), nandrel::kStepDone);
            // The first step starts the count with its own instruction's cycles.
            EXPECT_EQ(cycles - before, s.cycles);
            before = cycles;
            if (i + 1 < program.steps.size()) {
                EXPECT_EQ(reg(0), program.steps[i + 1].address);
            }
        }
        EXPECT_EQ(state(false), nandrel::kStopped);
    }
};

TEST_F(SimStep, EemStepsCountEveryFormat) {
    startHeld("MSP430F149", 7, testclasses::f149());
    stepThrough(classicProgram(0x0200), 0x0200);
    EXPECT_EQ(reg(1), 0x0100u + 0x0200u - 6u) << "three pushes stayed on the stack";
}

TEST_F(SimStep, ExtendedInstructionsAndExtensionWords) {
    startHeld("MSP430FG4619", 38, testclasses::fg4619());
    stepThrough(extendedProgram(0x0200), 0x0200);
}

TEST_F(SimStep, StepsAboveTheFirst64K) {
    startHeld("MSP430FG4619", 38, testclasses::fg4619());
    Assembler a(0x10000);
    a.mov(imm(7), kv::asm430::reg(R5));
    a.add(kv::asm430::reg(R5), kv::asm430::reg(R5));
    a.jmp(a.label());
    const std::vector<uint16_t> words = a.words();
    for (size_t i = 0; i < words.size(); ++i)
        chip().poke16(0x10000 + 2 * static_cast<uint32_t>(i), words[i]);
    ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x10000), 1);
    for (uint32_t next : {0x10004u, 0x10006u, 0x10006u}) {
        ASSERT_EQ(Nandrel_Run(target, NANDREL_RUN_SINGLE_STEP, 0), 1) << Nandrel_GetLastTargetError(target);
        EXPECT_EQ(state(false), nandrel::kStepDone);
        EXPECT_EQ(reg(0), next);
    }
    EXPECT_EQ(reg(5), 14u);
}

TEST_F(SimStep, StepsWithoutAnEemUseTheClock) {
    startHeld("MSP430F11x1-prototype", 1, testclasses::noEem());
    stepThrough(classicProgram(0x0200), 0x0200);
}

TEST_F(SimStep, StepsOnAChipWithoutBreakpoints) {
    startHeld("TMS430FCAS003", 41, testclasses::noBreakpoints());
    stepThrough(classicProgram(0x0500), 0x0500);
}

}  // namespace
