// The seam behind the USB stand-in: a backend opens devices by description,
// and a device moves bytes and modem lines. The simulated devices of sim/ and
// the FTDI backend over libftdi1 (platform/ftdi) both plug in here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "kelvane/platform/usb.h"

namespace kv::usb {

// One device as the host sees it. Calls come from one host thread at a time
// (the stand-in serialises them per device).
class Device {
public:
    virtual ~Device() = default;

    virtual std::string description() const = 0;
    // The host opened or closed its handle.
    virtual Status open() { return kOk; }
    virtual void close() {}
    virtual Status reset() { return kOk; }

    // Takes bytes from the host; a device may answer at once into its queue.
    virtual Status write(const uint8_t* data, size_t count, size_t* written) = 0;
    // Bytes waiting for the host.
    virtual size_t rxAvailable() = 0;
    // Hands over up to `count` waiting bytes without waiting; returns how many.
    virtual size_t read(uint8_t* buffer, size_t count) = 0;
    // Lets the device work for up to `timeoutMs` or until `wanted` bytes wait.
    // The default sleeps on the injectable clock a millisecond at a time.
    virtual void waitForData(size_t wanted, uint32_t timeoutMs);

    virtual Status purge(uint32_t mask);
    virtual Status setBaudRate(uint32_t baud);
    virtual Status setDataCharacteristics(uint8_t wordLength, uint8_t stopBits, uint8_t parity);
    virtual Status setRts(bool level);
    virtual Status setDtr(bool level);
    virtual Status modemStatus(uint32_t* status);
    // The host's read and write time-outs. Reads are timed by the stand-in;
    // a device over a real bus also bounds its transfers with them.
    virtual Status setTimeouts(uint32_t readMs, uint32_t writeMs);
    // kOk while the link works; once a transfer failed (the device was
    // unplugged), the status that reads and queue queries end with.
    virtual Status linkStatus() const { return kOk; }
    // A pause the host keeps between operations: a device on modelled time
    // lets `ms` pass on its own time and returns true (0 only asks whether it
    // can); a real device returns false and the host waits on its clock.
    virtual bool pause(uint32_t /*ms*/) { return false; }
};

class Backend {
public:
    virtual ~Backend() = default;
    // Opens the device whose description is `description` exactly.
    virtual Status open(const std::string& description, std::shared_ptr<Device>* device) = 0;
};

// A backend without devices: every open fails with kDeviceNotFound.
class NullBackend final : public Backend {
public:
    Status open(const std::string&, std::shared_ptr<Device>*) override { return kDeviceNotFound; }
};

// The backend in force. Unless one is installed, the first use picks it from
// the environment variable KELVANE_USB: unset, empty or "ftdi" loads the real
// devices' backend from libkelvane_ftdiusb.so (built when libftdi1 is found;
// without it no devices are found); "sim:<config>" loads the simulated
// devices from libkelvane_simusb.so; "none" gives a backend without devices.
// Any other value gives no devices. When the backend of the real devices
// cannot be loaded, or the value is unknown, the reason (the module's path
// and the loader's text) is kept for backendProblem().
std::shared_ptr<Backend> backend();
// That reason, for a user interface to show once where it tells of a device
// that did not open (nothing is printed here); empty when the backend loaded
// or "none" was chosen.
std::string backendProblem();
// Said by a backend while opening, of a device it found but could not open:
// kept (each text once) until takeOpenProblems() collects it.
void reportOpenProblem(const std::string& text);
// What the opens since the last call said, one text a line; empty when
// nothing was said. The texts are dropped.
std::string takeOpenProblems();
// Installs a backend (nullptr: choose again from the environment). Handles of
// the previous backend stay valid until closed.
void setBackend(std::shared_ptr<Backend> b);

// Name of the factory that libkelvane_simusb.so exports:
//   extern "C" kv::usb::Backend* kelvane_simusb_create(const char* config);
// The returned backend is owned by the caller.
inline constexpr const char* kSimBackendLibrary = "libkelvane_simusb.so";
inline constexpr const char* kSimBackendFactory = "kelvane_simusb_create";
using SimBackendFactory = Backend* (*)(const char* config);

// The factory that libkelvane_ftdiusb.so exports, same shape (the config is
// empty):
//   extern "C" kv::usb::Backend* kelvane_ftdiusb_create(const char* config);
inline constexpr const char* kFtdiBackendLibrary = "libkelvane_ftdiusb.so";
inline constexpr const char* kFtdiBackendFactory = "kelvane_ftdiusb_create";

}  // namespace kv::usb
