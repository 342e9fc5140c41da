// Shared by the exported functions: handle resolution with the NULL texts, and
// a guard that keeps exceptions inside the library.
#pragma once

#include <exception>

#include "error_table.h"
#include "interface_jtag.h"
#include "module430.h"
#include "nandrel/nandrel.h"
#include "port_jtag.h"
#include "target_jtag.h"

namespace nandrel {

inline CInterfaceJTAG* interfaceOf(NANDREL_HANDLE h) {
    auto* o = static_cast<CInterfaceJTAG*>(resolveHandle(h, NANDREL_KIND_INTERFACE));
    if (!o) setLibraryText("NULL interface");
    return o;
}

inline CPortJTAG* portOf(NANDREL_HANDLE h) {
    auto* o = static_cast<CPortJTAG*>(resolveHandle(h, NANDREL_KIND_PORT));
    if (!o) setLibraryText("NULL port");
    return o;
}

inline CTargetJTAG* targetOf(NANDREL_HANDLE h) {
    auto* o = static_cast<CTargetJTAG*>(resolveHandle(h, NANDREL_KIND_TARGET));
    if (!o)
        setLibraryText("NULL Target");
    else
        o->BeginCall();
    return o;
}

// Whether a call may reach the target's chip: once its security fuse is
// blown the chip answers over JTAG no more, and the call fails at once with
// the error that says so.
inline bool chipReachable(CTargetJTAG& t) {
    if (!t.fuseBlown()) return true;
    t.SetError(kErrFuseBlown);
    return false;
}

// Runs `body`; an exception becomes the `failed` result with its text in the
// library-wide text.
template <typename R, typename F>
R guarded(R failed, F&& body) noexcept {
    try {
        return body();
    } catch (const std::exception& e) {
        setLibraryText(e.what());
    } catch (...) {
        setLibraryText("Unexpected failure");
    }
    return failed;
}

}  // namespace nandrel
