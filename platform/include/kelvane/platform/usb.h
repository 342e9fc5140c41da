// The USB stand-in: the calls the pod and adapter drivers make to reach their
// devices, with a status result each (0 = success). Devices are opened by
// their description text. Behind these calls sits a backend (see
// usb_backend.h): the simulated devices, or real hardware.
#pragma once

#include <cstdint>

namespace kv::usb {

using Status = uint32_t;

// Status results.
enum : Status {
    kOk = 0,
    kInvalidHandle = 1,
    kDeviceNotFound = 2,
    kDeviceNotOpened = 3,
    kIoError = 4,
    kInsufficientResources = 5,
    kInvalidParameter = 6,
    kInvalidBaudRate = 7,
    kOtherError = 18,
};

// Handle of an open device; 0 is never one.
using Handle = uintptr_t;

// How `open` reads its text argument.
enum : uint32_t { kOpenBySerialNumber = 1, kOpenByDescription = 2 };

// Purge mask bits.
enum : uint32_t { kPurgeRx = 1, kPurgeTx = 2 };

// Data characteristics.
enum : uint8_t {
    kBits7 = 7,
    kBits8 = 8,
    kStopBits1 = 0,
    kStopBits2 = 2,
    kParityNone = 0,
    kParityOdd = 1,
    kParityEven = 2,
    kParityMark = 3,
    kParitySpace = 4,
};

// Modem status bits.
enum : uint32_t { kModemCts = 0x10, kModemDsr = 0x20, kModemRi = 0x40, kModemDcd = 0x80 };

Status open(const char* text, uint32_t flags, Handle* handle);
Status close(Handle handle);
// Reads `count` bytes, waiting up to the read time-out; fewer is not a failure.
Status read(Handle handle, void* buffer, uint32_t count, uint32_t* countRead);
Status write(Handle handle, const void* data, uint32_t count, uint32_t* countWritten);
Status resetDevice(Handle handle);
// Read and write time-outs in milliseconds; a read time-out of 0 does not wait.
Status setTimeouts(Handle handle, uint32_t readMs, uint32_t writeMs);
Status purge(Handle handle, uint32_t mask);
Status getQueueStatus(Handle handle, uint32_t* rxBytes);
// A pause the host keeps for its devices (the loader's time after a load
// PC): when devices are open and every one runs on modelled time, their time
// moves on by `ms` at once; otherwise the host sleeps on kv::clock().
void pause(uint32_t ms);
Status setBaudRate(Handle handle, uint32_t baud);
Status setDataCharacteristics(Handle handle, uint8_t wordLength, uint8_t stopBits,
                              uint8_t parity);
Status setRts(Handle handle);
Status clrRts(Handle handle);
Status setDtr(Handle handle);
Status clrDtr(Handle handle);
Status getModemStatus(Handle handle, uint32_t* status);

}  // namespace kv::usb
