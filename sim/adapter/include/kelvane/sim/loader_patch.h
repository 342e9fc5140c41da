// The RAM patch of the simulated old (1.10) ROM loader, as code. Loaded into
// RAM and entered by a load PC before each data-block command, it arms the
// simulated loader's block handler for addresses above the boot ROM and
// returns into the loader's command loop. It mends the simulator's own flaw
// and nothing on a real chip. The simulated loader recognises it by these
// bytes; sim/adapter/data/PATCH.TXT holds them as a TI-TXT image, which the
// build puts at <build>/sim/PATCH.TXT (never beside the programs).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "kelvane/asm/msp430_asm.h"

namespace kv::sim {

inline constexpr uint32_t kLoaderPatchAddress = 0x0220;
// Where the patch leaves its mark for the loader's block handler.
inline constexpr uint32_t kLoaderPatchFlag = 0x021E;
// The loader's command loop, where the patch returns to.
inline constexpr uint32_t kLoaderCommandLoop = 0x0C4C;

inline std::vector<uint8_t> loaderPatchCode() {
    using namespace kv::asm430;
    Assembler a(kLoaderPatchAddress);
    a.dint();                                        // DINT
    a.mov(imm(0x5A80), absolute(0x0120));            // MOV #WDTPW|WDTHOLD,&WDTCTL
    a.mov_b(imm(0xA5), absolute(kLoaderPatchFlag));  // MOV.B #0xA5,&flag
    a.br(imm(kLoaderCommandLoop));                   // BR #command loop
    std::vector<uint8_t> bytes;
    for (uint16_t w : a.words()) {
        bytes.push_back(static_cast<uint8_t>(w));
        bytes.push_back(static_cast<uint8_t>(w >> 8));
    }
    return bytes;
}

// The patch as a TI-TXT file: its address line, 16 bytes a line, "q".
inline std::string loaderPatchText() {
    static const char* const kDigits = "0123456789ABCDEF";
    const std::vector<uint8_t> code = loaderPatchCode();
    std::string text = "@";
    for (int shift = 12; shift >= 0; shift -= 4)
        text += kDigits[(kLoaderPatchAddress >> shift) & 0xF];
    text += "\n";
    for (size_t i = 0; i < code.size(); ++i) {
        text += kDigits[code[i] >> 4];
        text += kDigits[code[i] & 0xF];
        text += (i % 16 == 15 || i + 1 == code.size()) ? "\n" : " ";
    }
    text += "q\n";
    return text;
}

}  // namespace kv::sim
