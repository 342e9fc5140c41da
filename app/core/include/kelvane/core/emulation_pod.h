// The pod operations the emulation module runs on. The JTAG pod wrapper
// (CDravik) implements them over the JTAG library; tests use a scripted pod.
#pragma once

#include <nandrel/nandrel.h>

#include <cstdint>
#include <string>

namespace kv {

class CEmulationPod {
  public:
    virtual ~CEmulationPod() = default;

    // Each returns 1 on success and 0 on failure with the pod's error text set.
    virtual int InitEEM(NandrelEemCallback callback, std::uint32_t clientValue,
                        const EemMessageNumbers* messages) = 0;
    virtual int CloseEEM() = 0;
    // The library fills in the handle of a new breakpoint and reuses an existing one.
    virtual int SetBreakpoint(std::uint16_t* handle, const BreakpointRecord* definition) = 0;
    virtual int Run(std::int32_t mode, std::int32_t releaseJTAG) = 0;
    virtual int State(std::int32_t* state, std::int32_t stop, std::uint32_t* cycles) = 0;

    // Moves the pod's error text out and leaves it empty.
    virtual std::string TakeLastError() = 0;
};

}  // namespace kv
