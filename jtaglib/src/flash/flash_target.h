// What the flasher reaches of its target: the pod protocol, the selected
// device's flash facts, error reporting, and the few target operations a
// flash operation needs around it.
#pragma once

#include <cstdint>
#include <string>

#include "flash/flash_device.h"
#include "target_protocol_jtag.h"

namespace nandrel {

class FlashTarget {
  public:
    virtual CTargetProtocolJTAG& Protocol() = 0;
    // The selected device, or the default memory map while none is selected.
    virtual FlashDevice Device() const = 0;
    virtual bool HasSelectedDevice() const = 0;

    // Error reporting: a detail text, the error number with its table text
    // (returns 0), success (returns 1).
    virtual bool Fail(std::string text) = 0;
    virtual int32_t SetError(int32_t number) = 0;
    virtual int32_t ClearError() = 0;

    // The EEM clock control a flash frame clears and puts back to the
    // target's general control, clock-control and main-clock-control values.
    virtual bool WriteEemRegister(uint16_t reg, uint32_t value) = 0;
    virtual uint16_t savedEemControl() const = 0;
    virtual uint16_t clockControl() const = 0;
    virtual uint16_t mainClockControl() const = 0;

    // A power-up clear and a watchdog hold, around every signature check.
    virtual bool PowerUpClear() = 0;
    virtual bool HoldWatchdogShadow() = 0;
    // Memory writes of an image's segments, RAM and flash alike.
    virtual int32_t WriteMemory(uint32_t address, const uint8_t* data, uint32_t count) = 0;
    // Configure item 6 (flash timing) of the target, set by an operation.
    virtual void SetFlashTiming(uint32_t value) = 0;
    // A progress notification to the registered window.
    virtual void Notify(uint32_t wParam, uint32_t operation, uint32_t done, uint32_t total) = 0;

  protected:
    virtual ~FlashTarget() = default;
};

}  // namespace nandrel
