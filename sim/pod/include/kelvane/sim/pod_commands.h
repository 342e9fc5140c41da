// The Dravik pod's command table: names, request and reply lengths and the
// handler that carries each command out on the target side. The
// semantics of every command are described in sim/pod/POD_COMMANDS.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "kelvane/platform/bit_reverse.h"

namespace kv::sim {

class PodTarget;
// What the pod's target side does with a command: it reads the request and
// fills the reply, whose id is already in place.
using PodTargetHandler = void (PodTarget::*)(const uint8_t* request, std::vector<uint8_t>& reply);

struct PodCommandInfo {
    uint8_t command = 0;
    const char* name = "";
    // Fixed part of the request, the command byte included.
    uint8_t requestLength = 1;
    // Fixed part of the reply, the id included; 0: the command has no reply.
    uint8_t replyLength = 0;
    // The reply's second byte is a status byte.
    bool status = false;
    // Null for the pod-level commands, which the pod answers itself.
    PodTargetHandler handler = nullptr;
    // TCK periods the command clocks on the JTAG lines, and those of each
    // item it transfers (bytes, words or clocks, see podJtagPeriods).
    uint16_t jtagPeriods = 0;
    uint16_t jtagPeriodsPerItem = 0;
};

// The pod clocks TCK at 1 MHz.
inline constexpr double kPodTckHz = 1e6;

// The entry of a command byte, or nullptr when the pod knows no such command.
const PodCommandInfo* findPodCommand(uint8_t command);

// Whole length of the request that starts `bytes` (of which `available` have
// arrived): 0 for an unknown command, or the length once enough is known to
// tell it (never less than what the fixed part needs).
size_t podRequestLength(const uint8_t* bytes, size_t available);

// Whole length of the reply to a complete request, the id included; 0 for none.
size_t podReplyLength(const uint8_t* request);

// TCK periods a complete request clocks on the JTAG lines (0 for the
// commands that only set lines or talk to the pod itself).
uint32_t podJtagPeriods(const uint8_t* request);

// Big-endian field helpers of the wire format.
inline uint16_t wireWord(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
inline uint32_t wireLong(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

}  // namespace kv::sim
