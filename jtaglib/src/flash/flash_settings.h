// The flash settings of a target: Configure fills them, and the flasher works
// on a copy for the length of one operation. The one setting an operation
// leaves changed is the flash timing after a newer flash's mass erase with
// segment A unlocked (item 6 at 0).
#pragma once

#include <cstdint>

namespace nandrel {

struct FlashSettings {
    // Configure item 0: routines are read back after their download.
    uint32_t flashOption = 0;
    // Item 5: segment A may be erased and written.
    bool lockedSegmentAccess = false;
    // Item 6: values 0 and 1 choose the flash clock divider 32 or 16 with the
    // standard timing, 2 the chip's own timing bits (the start).
    uint32_t flashClockDivider = 32;
    bool alternativeFlashTiming = true;
    // Item 10: RAM is saved and put back around every flash operation.
    uint32_t ramPreserve = 0;

    // The flash timing bits of the standard timing.
    uint16_t standardTimingBits() const { return flashClockDivider == 16 ? 0x10 : 0x20; }
    // Item 6 set to `value`; values above 2 change nothing.
    void SetFlashTiming(uint32_t value) {
        if (value == 0 || value == 1) {
            flashClockDivider = value == 0 ? 32 : 16;
            alternativeFlashTiming = false;
        } else if (value == 2) {
            alternativeFlashTiming = true;
        }
    }
};

}  // namespace nandrel
