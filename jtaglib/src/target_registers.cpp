// The register copy: reads come from the copy; writes go into it and, except
// for PC, SR and the constant generator (applied when the CPU next runs),
// to the CPU at once. PC and SP keep bit 0 clear, as the CPU's own do. The
// copy is the CPU's only while the CPU is held: while it runs (a run, or a
// reset that let it execute) reads and writes fail, since the copy is taken
// afresh when State sees the CPU stop; so do the memory operations.
#include "error_table.h"
#include "target_jtag.h"

namespace nandrel {

namespace {

constexpr uint32_t kRegisterCount = 16;

// The register a number names, or kRegisterCount when it names none.
uint32_t registerIndex(int32_t number) {
    const uint32_t n = static_cast<uint32_t>(number) & 0xFFFF;
    return n < kRegisterCount ? n : kRegisterCount;
}

bool appliedAtRun(uint32_t n) {
    return n == 0 || n == 2 || n == 3;
}

// The word-aligned registers: the program counter and the stack pointer.
bool wordAligned(uint32_t n) {
    return n == 0 || n == 1;
}

}  // namespace

int32_t CTargetJTAG::RefuseWhileRunning(int32_t number) {
    Fail("CPU is running");
    return SetError(number);
}

int32_t CTargetJTAG::ReadRegister(int32_t number, uint32_t* value) {
    auto lock = LockPort();
    const uint32_t n = registerIndex(number);
    if (!value || n == kRegisterCount) return SetError(kErrParameter);
    if (runMode_ != kNotRunning) return RefuseWhileRunning(kErrReadRegister);
    *value = registers_[n];
    return ClearError();
}

int32_t CTargetJTAG::WriteRegister(int32_t number, uint32_t value) {
    auto lock = LockPort();
    const uint32_t n = registerIndex(number);
    if (n == kRegisterCount) return SetError(kErrParameter);
    if (runMode_ != kNotRunning) return RefuseWhileRunning(kErrWriteRegister);
    registers_[n] = wordAligned(n) ? value & ~1u : value;
    if (appliedAtRun(n)) return ClearError();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    if (!protocol_->WriteRegister(static_cast<uint8_t>(n), registers_[n]))
        return PodError(kErrWriteRegister);
    return ClearError();
}

int32_t CTargetJTAG::ReadRegisters(uint32_t* registers, int32_t mask) {
    auto lock = LockPort();
    const uint32_t bits = static_cast<uint32_t>(mask);
    if (!registers || bits == 0 || bits >> kRegisterCount) return SetError(kErrParameter);
    if (runMode_ != kNotRunning) return RefuseWhileRunning(kErrReadRegister);
    for (uint32_t n = 0; n < kRegisterCount; ++n)
        if (bits & (1u << n)) registers[n] = registers_[n];
    return ClearError();
}

int32_t CTargetJTAG::WriteRegisters(const uint32_t* registers, int32_t mask) {
    auto lock = LockPort();
    const uint32_t bits = static_cast<uint32_t>(mask);
    if (!registers || bits == 0 || bits >> kRegisterCount) return SetError(kErrParameter);
    for (uint32_t n = 0; n < kRegisterCount; ++n)
        if ((bits & (1u << n)) && !WriteRegister(static_cast<int32_t>(n), registers[n])) return 0;
    return ClearError();
}

}  // namespace nandrel
