// The loader entry sequence played through the Tovrin line functions, as the
// connection does it when it initialises the target.
#pragma once

#include <cstdint>

#include "kelvane/platform/clock.h"
#include "tovrin/tovrin.h"

namespace bsltest {

inline void Pulse(bool a) {
    if (a) {
        Tovrin_ClearF2();
        Tovrin_SetF12();
    } else {
        Tovrin_SetF2();
        Tovrin_ClearF12();
    }
    Tovrin_UpdateData();
}

// Powers the target and plays the loader entry sequence on RST, TEST and TCK;
// with `pulses` < 3 the sequence is cut short and the user program runs.
inline void EnterLoader(int pulses = 3) {
    auto wait = [](uint32_t ms) { kv::clock().sleep(ms); };
    Tovrin_ClearF4PD(), Tovrin_ClearF2(), Tovrin_ClearF3(), Tovrin_ClearF12(), Tovrin_UpdateData();
    Tovrin_DisableXRS(), Tovrin_DisableRx(), Tovrin_DisableTx(), Tovrin_DisableBSL();
    Tovrin_DisableF12(), Tovrin_UpdateEnable();
    Tovrin_SetF2(), Tovrin_UpdateData(), Tovrin_EnableXRS(), Tovrin_UpdateEnable();
    wait(100);
    Tovrin_SetVTGT(), Tovrin_UpdateData();
    wait(100);
    Tovrin_EnableBSL(), Tovrin_EnableF12(), Tovrin_UpdateEnable();
    wait(100);
    for (int i = 0; i < pulses; ++i) {
        Pulse(true);
        if (i + 1 < pulses) Pulse(false);
    }
    Tovrin_EnableTx(), Tovrin_UpdateEnable();
    Tovrin_DisableXRS(), Tovrin_UpdateEnable();
    wait(20);
    Pulse(false);
    wait(50);
    Tovrin_ClearF4PD(), Tovrin_UpdateData(), Tovrin_EnableRx(), Tovrin_UpdateEnable();
    Tovrin_DisableBSL(), Tovrin_DisableF12(), Tovrin_UpdateEnable();
    Tovrin_ClearF2(), Tovrin_UpdateData();
    wait(10);
    Tovrin_Purge(1, 1);
}

}  // namespace bsltest
