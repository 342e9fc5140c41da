// Registers, labels and operands of the MSP430 / MSP430X encoder.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace kv::asm430 {

// A fault in the program being assembled (operand not allowed, jump out of
// range, label not bound). At compile time it stops the compilation.
class AsmError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

enum Reg : uint8_t {
    R0 = 0,
    R1,
    R2,
    R3,
    R4,
    R5,
    R6,
    R7,
    R8,
    R9,
    R10,
    R11,
    R12,
    R13,
    R14,
    R15,
    PC = R0,
    SP = R1,
    SR = R2,
    CG = R3,
};

// A position in the program; made by Assembler::newLabel() or Assembler::label().
struct Label {
    uint32_t id = ~0u;
};

enum class Mode : uint8_t {
    Register,   // Rn
    Indexed,    // x(Rn)
    Symbolic,   // addr, PC-relative
    Absolute,   // &addr
    Indirect,   // @Rn
    PostInc,    // @Rn+
    Immediate,  // #value
};

struct Operand {
    Mode mode = Mode::Register;
    uint8_t reg = 0;
    int32_t value = 0;      // index, address or immediate value
    uint32_t label = ~0u;   // a label standing for the address (or value), if any
    bool longForm = false;  // immediate: never from the constant generator

    constexpr bool hasLabel() const { return label != ~0u; }
};

constexpr Operand reg(Reg r) {
    return {Mode::Register, r, 0, ~0u, false};
}
// x(Rn)
constexpr Operand idx(int32_t x, Reg r) {
    return {Mode::Indexed, r, x, ~0u, false};
}
// &address
constexpr Operand absolute(uint32_t address) {
    return {Mode::Absolute, R2, static_cast<int32_t>(address), ~0u, false};
}
constexpr Operand absolute(Label l) {
    return {Mode::Absolute, R2, 0, l.id, false};
}
// address, reached PC-relative
constexpr Operand sym(uint32_t address) {
    return {Mode::Symbolic, R0, static_cast<int32_t>(address), ~0u, false};
}
constexpr Operand sym(Label l) {
    return {Mode::Symbolic, R0, 0, l.id, false};
}
// @Rn
constexpr Operand ind(Reg r) {
    return {Mode::Indirect, r, 0, ~0u, false};
}
// @Rn+
constexpr Operand postinc(Reg r) {
    return {Mode::PostInc, r, 0, ~0u, false};
}
// #value; 0, 1, 2, 4, 8 and -1 come from the constant generator.
constexpr Operand imm(int32_t v) {
    return {Mode::Immediate, R0, v, ~0u, false};
}
// #value always as a word after the instruction.
constexpr Operand immLong(int32_t v) {
    return {Mode::Immediate, R0, v, ~0u, true};
}
// #label (its address)
constexpr Operand imm(Label l) {
    return {Mode::Immediate, R0, 0, l.id, true};
}

}  // namespace kv::asm430
