// Simulated instructions per second of the CPU on tight loops, with and
// without the bus fast path.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "kelvane/asm/msp430_asm.h"
#include "kelvane/sim/cpu.h"

namespace {

using namespace kv::asm430;  // NOLINT

class FlatBus : public kv::sim::Bus {
public:
    explicit FlatBus(bool direct) : direct_(direct), mem_(0x100000, 0) {}
    uint8_t read8(uint32_t a) override { return mem_[a & 0xFFFFF]; }
    uint16_t read16(uint32_t a) override {
        uint16_t v;
        std::memcpy(&v, &mem_[a & 0xFFFFE], 2);
        return v;
    }
    void write8(uint32_t a, uint8_t v) override { mem_[a & 0xFFFFF] = v; }
    void write16(uint32_t a, uint16_t v) override { std::memcpy(&mem_[a & 0xFFFFE], &v, 2); }
    uint8_t* directPage(uint32_t page, bool) override {
        return direct_ ? mem_.data() + page : nullptr;
    }
    void load(uint32_t a, const std::vector<uint16_t>& w) {
        std::memcpy(&mem_[a], w.data(), w.size() * 2);
    }

private:
    bool direct_;
    std::vector<uint8_t> mem_;
};

// A checksum-and-copy loop over a RAM buffer: memory reads and writes,
// register arithmetic, a compare and jumps.
std::vector<uint16_t> copyLoop() {
    Assembler a(0xF000);
    a.mov(imm(0x0A00), reg(SP));
    const Label outer = a.label();
    a.mov(imm(0x0200), reg(R4));
    a.mov(imm(0x0600), reg(R5));
    a.clr(reg(R6));
    const Label loop = a.label();
    a.mov(postinc(R4), reg(R7));
    a.add(reg(R7), reg(R6));
    a.xor_(imm(0x5A5A), reg(R7));
    a.mov(reg(R7), idx(0, R5));
    a.incd(reg(R5));
    a.cmp(imm(0x0600), reg(R4));
    a.jne(loop);
    a.jmp(outer);
    return a.words();
}

// The classic delay loop.
std::vector<uint16_t> delayLoop() {
    Assembler a(0xF000);
    const Label outer = a.label();
    a.mov(imm(50000), reg(R15));
    const Label loop = a.label();
    a.dec(reg(R15));
    a.jnz(loop);
    a.jmp(outer);
    return a.words();
}

void measure(const char* name, const std::vector<uint16_t>& program, bool extended, bool direct,
             bool stepwise = false) {
    FlatBus bus(direct);
    bus.load(0xF000, program);
    kv::sim::Cpu cpu(bus, extended);
    cpu.setPc(0xF000);
    cpu.run(1000000);  // warm up
    const uint64_t i0 = cpu.instructions();
    const uint64_t c0 = cpu.cycles();
    const auto t0 = std::chrono::steady_clock::now();
    double seconds = 0;
    do {
        if (stepwise) {
            for (int i = 0; i < 10000000; ++i)
                cpu.step();
        } else {
            cpu.run(20000000);
        }
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    } while (seconds < 1.0);
    const double instructions = static_cast<double>(cpu.instructions() - i0);
    const double cycles = static_cast<double>(cpu.cycles() - c0);
    std::printf("%-32s %-8s %-6s %-5s %8.1f M instructions/s  %8.1f M cycles/s\n", name,
                extended ? "MSP430X" : "MSP430", direct ? "direct" : "bus",
                stepwise ? "step" : "run", instructions / seconds / 1e6, cycles / seconds / 1e6);
}

}  // namespace

int main() {
    std::printf("cpu_bench: simulated instructions per second on one core\n");
    for (bool extended : {false, true}) {
        measure("delay loop (DEC/JNZ)", delayLoop(), extended, true);
        measure("copy and checksum loop", copyLoop(), extended, true);
        measure("copy and checksum loop", copyLoop(), extended, true, true);
        measure("copy and checksum loop", copyLoop(), extended, false);
    }
    return 0;
}
