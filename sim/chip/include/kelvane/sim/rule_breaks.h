// The flash rule breaks the simulated chips of this process have reported
// (Chip::reportRuleBreaks), for tests that reach their chips only through
// KELVANE_USB.
#pragma once

#include <cstdint>

namespace kv::sim {

uint64_t ruleBreaksReported();

}  // namespace kv::sim
