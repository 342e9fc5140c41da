// Per-word cycle tables of both CPU kinds, filled once from Cpu::instructionCycles.
#pragma once

#include <cstdint>

namespace kv::sim {

// Cycles of every instruction word for the MSP430 (extended == false) or the
// MSP430X CPU.
const uint8_t* cycleTable(bool extended);

}  // namespace kv::sim
