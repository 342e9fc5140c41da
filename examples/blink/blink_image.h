// The blink example's program for an MSP430F149: stop the watchdog, make
// P1.0 an output and toggle it after a count-down, for ever. The reset
// vector points at the start of main flash, where the program sits.
// examples/blink/blink.txt is this image as a TI-TXT file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kelvane/asm/msp430_asm.h"

namespace kv::examples {

inline constexpr std::uint32_t kBlinkStart = 0x1100;  // main flash of the F149
inline constexpr std::uint32_t kResetVector = 0xFFFE;

inline std::vector<std::uint16_t> blinkProgram() {
    using namespace kv::asm430;
    constexpr std::uint16_t kWdtCtl = 0x0120;
    constexpr std::uint16_t kP1Out = 0x0021;
    constexpr std::uint16_t kP1Dir = 0x0022;
    Assembler a(kBlinkStart);
    a.mov(imm(0x0A00), reg(SP));            // MOV #0x0A00,SP      top of RAM
    a.mov(imm(0x5A80), absolute(kWdtCtl));  // MOV #WDTPW|WDTHOLD,&WDTCTL
    a.bis_b(imm(0x01), absolute(kP1Dir));   // BIS.B #BIT0,&P1DIR
    const Label loop = a.label();
    a.xor_b(imm(0x01), absolute(kP1Out));  // XOR.B #BIT0,&P1OUT
    a.mov(imm(50000), reg(R15));           // MOV #50000,R15
    const Label wait = a.label();
    a.dec(reg(R15));  // DEC R15
    a.jnz(wait);      // JNZ wait
    a.jmp(loop);      // JMP loop
    return a.words();
}

// Address lines, 16 bytes a line, "q" at the end.
inline std::string blinkImageText() {
    static const char* const kDigits = "0123456789ABCDEF";
    auto address = [](std::uint32_t value) {
        std::string text = "@";
        for (int shift = 12; shift >= 0; shift -= 4)
            text += kDigits[(value >> shift) & 0xF];
        return text + "\n";
    };
    auto bytes = [](const std::vector<std::uint8_t>& data) {
        std::string text;
        for (std::size_t i = 0; i < data.size(); ++i) {
            text += kDigits[data[i] >> 4];
            text += kDigits[data[i] & 0xF];
            text += (i % 16 == 15 || i + 1 == data.size()) ? "\n" : " ";
        }
        return text;
    };
    std::vector<std::uint8_t> code;
    for (std::uint16_t word : blinkProgram()) {
        code.push_back(static_cast<std::uint8_t>(word));
        code.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    const std::vector<std::uint8_t> vector = {static_cast<std::uint8_t>(kBlinkStart),
                                              static_cast<std::uint8_t>(kBlinkStart >> 8)};
    return address(kBlinkStart) + bytes(code) + address(kResetVector) + bytes(vector) + "q\n";
}

}  // namespace kv::examples
