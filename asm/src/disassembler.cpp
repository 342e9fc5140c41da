// MSP430 / MSP430X disassembler.

// g++ 12 at -O3 warns falsely about std::string concatenation inside the
// standard library (-Wrestrict, GCC bug 105329); the pragma must come before
// the standard headers to cover the code they inline here.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ == 12
#pragma GCC diagnostic ignored "-Wrestrict"
#endif

#include <cstdio>
#include <string>

#include "kelvane/asm/msp430_disasm.h"

namespace kv::asm430 {

namespace {

constexpr const char* kFormatI[16] = {"",    "",    "",     "",    "MOV", "ADD", "ADDC", "SUBC",
                                      "SUB", "CMP", "DADD", "BIT", "BIC", "BIS", "XOR",  "AND"};
constexpr const char* kFormatII[8] = {"RRC", "SWPB", "RRA", "SXT", "PUSH", "CALL", "RETI", ""};
constexpr const char* kJumps[8] = {"JNZ", "JZ", "JNC", "JC", "JN", "JGE", "JL", "JMP"};

std::string hex(uint32_t v, int digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
    return buf;
}

std::string address(uint32_t a) {
    return hex(a, a > 0xFFFF ? 5 : 4);
}

std::string regName(unsigned r) {
    switch (r) {
        case 0:
            return "PC";
        case 1:
            return "SP";
        case 2:
            return "SR";
        default:
            return "R" + std::to_string(r);
    }
}

// A signed index: small ones in decimal.
std::string index(int32_t v) {
    if (v >= -9 && v <= 9) return std::to_string(v);
    if (v < 0) return "-" + hex(static_cast<uint32_t>(-v), 4);
    return hex(static_cast<uint32_t>(v), 4);
}

std::string immediate(uint32_t v, unsigned bits) {
    if (v <= 9) return "#" + std::to_string(v);
    return "#" + hex(v, bits == 8 ? 2 : bits == 20 && v > 0xFFFF ? 5 : 4);
}

int32_t signExtend(uint32_t v, unsigned bits) {
    const uint32_t m = 1u << (bits - 1);
    return static_cast<int32_t>((v ^ m) - m);
}

// Reads the instruction's words one by one; notes running out.
class Reader {
public:
    Reader(std::span<const uint16_t> w, uint32_t address) : w_(w), address_(address) {}
    bool more() const { return pos_ < w_.size(); }
    uint16_t next() {
        if (pos_ >= w_.size()) {
            short_ = true;
            return 0;
        }
        return w_[pos_++];
    }
    // Address of the next word.
    uint32_t here() const { return (address_ + 2 * static_cast<uint32_t>(pos_)) & 0xFFFFF; }
    size_t used() const { return pos_; }
    bool incomplete() const { return short_; }

private:
    std::span<const uint16_t> w_;
    uint32_t address_;
    size_t pos_ = 0;
    bool short_ = false;
};

// A source operand (As modes); `high` is bits 16-19 from an extension word
// (-1 without one); `bits` is the operand size.
std::string sourceText(Reader& r, unsigned as, unsigned reg, int high, unsigned bits) {
    const uint32_t hi = high >= 0 ? static_cast<uint32_t>(high) << 16 : 0;
    switch (as) {
        case 0:
            if (reg == 3) return "#0";
            return regName(reg);
        case 1: {
            if (reg == 3) return "#1";
            const uint32_t at = r.here();
            const uint32_t x = hi | r.next();
            if (reg == 2) return "&" + address(x);
            if (reg == 0) {
                const uint32_t mask = high >= 0 || at > 0xFFFF ? 0xFFFFF : 0xFFFF;
                const uint32_t off = high >= 0 ? x : static_cast<uint32_t>(signExtend(x, 16));
                return address((at + off) & mask);
            }
            return index(signExtend(x, high >= 0 ? 20 : 16)) + "(" + regName(reg) + ")";
        }
        case 2:
            if (reg == 2) return "#4";
            if (reg == 3) return "#2";
            return "@" + regName(reg);
        default:
            if (reg == 2) return "#8";
            if (reg == 3) return "#-1";
            if (reg == 0) {
                const uint32_t v = (hi | r.next()) & (bits == 8    ? 0xFF
                                                      : bits == 16 ? 0xFFFF
                                                                   : 0xFFFFF);
                return immediate(v, bits);
            }
            return "@" + regName(reg) + "+";
    }
}

std::string destinationText(Reader& r, unsigned ad, unsigned reg, int high) {
    if (ad == 0) return regName(reg);
    return sourceText(r, 1, reg, high, 16);
}

std::string sizeSuffix(unsigned bits) {
    return bits == 8 ? ".B" : bits == 20 ? ".A" : "";
}

std::string formatI(Reader& r, uint16_t op, bool x, uint16_t ext) {
    const unsigned opc = op >> 12;
    const unsigned sreg = (op >> 8) & 15;
    const unsigned ad = (op >> 7) & 1;
    const bool bw = (op & 0x40) != 0;
    const unsigned as = (op >> 4) & 3;
    const unsigned dreg = op & 15;
    unsigned bits = bw ? 8 : 16;
    std::string prefix;
    if (x) {
        if (!(ext & 0x40)) bits = bw ? 20 : 16;
        if (as == 0 && ad == 0) {
            const bool zc = (ext & 0x100) != 0;
            if (ext & 0x80)
                prefix = std::string(zc ? "RPTZ " : "RPT ") + regName(ext & 15) + " ";
            else if ((ext & 15) != 0 || zc)
                prefix =
                    std::string(zc ? "RPTZ #" : "RPT #") + std::to_string((ext & 15) + 1) + " ";
        }
    }
    const int shigh = x && !(as == 0 && ad == 0) ? (ext >> 7) & 15 : -1;
    const int dhigh = x && !(as == 0 && ad == 0) ? ext & 15 : -1;
    const std::string src = sourceText(r, as, sreg, shigh, bits);
    const std::string dst = destinationText(r, ad, dreg, dhigh);
    std::string name = kFormatI[opc];
    if (x)
        return prefix + name + "X" +
               (bits == 8    ? ".B"
                : bits == 20 ? ".A"
                             : ".W") +
               " " + src + "," + dst;
    // The emulated forms that read better in logs.
    if (op == 0x4303) return "NOP";
    if (opc == 4 && !bw && as == 3 && sreg == 1) {
        if (ad == 0 && dreg == 0) return "RET";
        return "POP " + dst;
    }
    if (opc == 4 && !bw && ad == 0 && dreg == 0) return "BR " + src;
    return name + sizeSuffix(bits) + " " + src + "," + dst;
}

std::string formatII(Reader& r, uint16_t op, bool x, uint16_t ext) {
    const unsigned opc = (op >> 7) & 7;
    const bool bw = (op & 0x40) != 0;
    const unsigned as = (op >> 4) & 3;
    const unsigned reg = op & 15;
    unsigned bits = bw ? 8 : 16;
    if (opc == 6) return "RETI";
    std::string prefix;
    std::string name = kFormatII[opc];
    if (x) {
        if (opc == 1 || opc == 3)
            bits = (ext & 0x40) ? 16 : 20;
        else if (!(ext & 0x40))
            bits = bw ? 20 : 16;
        if (as == 0) {
            const bool zc = (ext & 0x100) != 0;
            const bool rru = zc && opc == 0;
            if (rru) name = "RRU";
            const bool zcPrefix = zc && !rru;
            if (ext & 0x80)
                prefix = std::string(zcPrefix ? "RPTZ " : "RPT ") + regName(ext & 15) + " ";
            else if ((ext & 15) != 0 || zcPrefix)
                prefix = std::string(zcPrefix ? "RPTZ #" : "RPT #") +
                         std::to_string((ext & 15) + 1) + " ";
        }
        const int high = as == 0 ? -1 : ext & 15;
        const std::string o = sourceText(r, as, reg, high, bits);
        return prefix + name + "X" + (bits == 8 ? ".B" : bits == 20 ? ".A" : ".W") + " " + o;
    }
    const std::string o = sourceText(r, as, reg, -1, bits);
    if (opc == 1 || opc == 3 || opc == 5) bits = 16;
    return name + sizeSuffix(bits) + " " + o;
}

std::string group13(Reader& r, uint16_t op) {
    const unsigned reg = op & 15;
    const uint32_t hi = static_cast<uint32_t>(reg) << 16;
    switch ((op >> 4) & 15) {
        case 0x0:
            return "RETI";
        case 0x1:
            return "RETA";
        case 0x4:
            return "CALLA " + regName(reg);
        case 0x5:
            return "CALLA " + index(signExtend(r.next(), 16)) + "(" + regName(reg) + ")";
        case 0x6:
            return "CALLA @" + regName(reg);
        case 0x7:
            return "CALLA @" + regName(reg) + "+";
        case 0x8:
            return "CALLA &" + address(hi | r.next());
        case 0x9: {
            const uint32_t at = r.here();
            return "CALLA " + address((at + (hi | r.next())) & 0xFFFFF);
        }
        case 0xB:
            return "CALLA " + immediate(hi | r.next(), 20);
        default:
            return "";
    }
}

std::string pushPop(uint16_t op) {
    const unsigned n = ((op >> 4) & 15) + 1;
    const unsigned reg = op & 15;
    const char* names[4] = {"PUSHM.A", "PUSHM.W", "POPM.A", "POPM.W"};
    const unsigned kind = (op >> 8) & 3;
    const unsigned named = kind >= 2 ? (reg + n - 1) & 15 : reg;
    return std::string(names[kind]) + " #" + std::to_string(n) + "," + regName(named);
}

std::string addressInstruction(Reader& r, uint16_t op) {
    const unsigned src = (op >> 8) & 15;
    const unsigned dst = op & 15;
    if (((op >> 5) & 7) == 2) {
        const char* names[4] = {"RRCM", "RRAM", "RLAM", "RRUM"};
        return std::string(names[(op >> 8) & 3]) + ((op & 0x10) ? ".W" : ".A") + " #" +
               std::to_string(((op >> 10) & 3) + 1) + "," + regName(dst);
    }
    const uint32_t hi = static_cast<uint32_t>(src) << 16;
    switch ((op >> 4) & 15) {
        case 0x0:
            return "MOVA @" + regName(src) + "," + regName(dst);
        case 0x1:
            return "MOVA @" + regName(src) + "+," + regName(dst);
        case 0x2:
            return "MOVA &" + address(hi | r.next()) + "," + regName(dst);
        case 0x3: {
            const std::string x = index(signExtend(r.next(), 16));
            return "MOVA " + x + "(" + regName(src) + ")," + regName(dst);
        }
        case 0x6:
            return "MOVA " + regName(dst) + ",&" + address(hi | r.next());
        case 0x7: {
            const std::string x = index(signExtend(r.next(), 16));
            return "MOVA " + regName(src) + "," + x + "(" + regName(dst) + ")";
        }
        default: {
            const char* names[4] = {"MOVA", "CMPA", "ADDA", "SUBA"};
            const std::string name = names[(op >> 4) & 3];
            const std::string s = (op & 0x40) ? regName(src) : immediate(hi | r.next(), 20);
            if (name == "MOVA" && dst == 0) return "BRA " + s;
            return name + " " + s + "," + regName(dst);
        }
    }
}

std::string jump(uint16_t op, uint32_t next, bool x) {
    const int32_t off = signExtend(op & 0x3FF, 10) * 2;
    const uint32_t target = (next + static_cast<uint32_t>(off)) & (x ? 0xFFFFF : 0xFFFF);
    return std::string(kJumps[(op >> 10) & 7]) + " " + address(target);
}

std::string word(uint16_t w) {
    return ".word " + hex(w, 4);
}

}  // namespace

Decoded decode(std::span<const uint16_t> words, uint32_t at, Isa isa) {
    Decoded d;
    d.address = at;
    if (words.empty()) return d;
    const bool x = isa == Isa::Msp430X;
    Reader r(words, at);
    const uint16_t first = r.next();
    std::string text;
    uint16_t op = first;
    if (op >= 0x4000) {
        text = formatI(r, op, false, 0);
    } else if (op >= 0x2000) {
        text = jump(op, r.here(), x);
    } else if (op >= 0x1000) {
        if (op < 0x1300) {
            text = formatII(r, op, false, 0);
        } else if (!x) {
            if (op < 0x1380) text = "RETI";
        } else if (op < 0x1400) {
            text = group13(r, op);
        } else if (op < 0x1800) {
            text = pushPop(op);
        } else {
            op = r.next();
            if (op >= 0x4000)
                text = formatI(r, op, true, first);
            else if (op >= 0x1000 && op < 0x1280)
                text = formatII(r, op, true, first);
        }
    } else if (x) {
        text = addressInstruction(r, op);
    }
    if (text.empty() || r.incomplete()) {
        d.length = 1;
        d.text = word(first);
        return d;
    }
    d.length = r.used();
    d.text = text;
    return d;
}

std::vector<std::string> disassemble(std::span<const uint16_t> words, uint32_t at, Isa isa) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < words.size()) {
        const uint32_t a = (at + 2 * static_cast<uint32_t>(pos)) & 0xFFFFF;
        const Decoded d = decode(words.subspan(pos), a, isa);
        std::string line = (a > 0xFFFF ? hex(a, 5) : hex(a, 4)).substr(2) + ":";
        for (size_t i = 0; i < 4; ++i) {
            if (i < d.length)
                line += " " + hex(words[pos + i], 4).substr(2);
            else
                line += "     ";
        }
        line += "  " + d.text;
        lines.push_back(line);
        pos += d.length;
    }
    return lines;
}

}  // namespace kv::asm430
