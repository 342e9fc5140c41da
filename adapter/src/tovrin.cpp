// The exported interface: one adapter object per process, the last-error text
// and the options.
#include "tovrin/tovrin.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "kelvane/platform/format.h"
#include "library_state.h"
#include "port_tovrin.h"

namespace tovrin {

using kv::text::Format;

namespace {

std::unique_ptr<CPortTovrin>& current() {
    static std::unique_ptr<CPortTovrin> port;
    return port;
}

std::string& lastError() {
    static std::string text = "No error";
    return text;
}

int Fail(const std::string& text) {
    lastError() = text;
    return 0;
}

// Runs `body` on the open adapter; without one fails with "<name> called while
// Tovrin closed"; a failure inside takes the object's text.
template <typename Body>
int WithPort(const char* name, Body&& body) {
    CPortTovrin* port = current().get();
    if (!port) return Fail(Format("%s called while Tovrin closed", name));
    if (body(*port)) return 1;
    return Fail(port->ErrorText());
}

template <typename Body>
int Guarded(Body&& body) {
    try {
        return body();
    } catch (const std::exception& e) {
        return Fail(e.what());
    } catch (...) {
        return Fail("Unexpected failure in Tovrin");
    }
}

int EnableLine(const char* name, uint32_t bits, bool on) {
    return WithPort(name, [&](CPortTovrin& p) {
        p.SetEnableBits(bits, on);
        return true;
    });
}

int DataLine(const char* name, uint32_t bits, bool on) {
    return WithPort(name, [&](CPortTovrin& p) {
        p.SetDataBits(bits, on);
        return true;
    });
}

}  // namespace
}  // namespace tovrin

using tovrin::CPortTovrin;
using tovrin::Guarded;
using tovrin::WithPort;

extern "C" {

int Tovrin_Open(int32_t) {
    return Guarded([] {
        auto& port = tovrin::current();
        port.reset();
        port = std::make_unique<CPortTovrin>();
        if (port->Open()) return 1;
        return tovrin::Fail(port->ErrorText());
    });
}

int Tovrin_Close(void) {
    tovrin::current().reset();
    return 1;
}

int Tovrin_IsOpen(void) {
    return tovrin::current() ? 1 : 0;
}

int Tovrin_GetLastError(char* buffer, int32_t size) {
    const std::string& text = tovrin::lastError();
    if (!buffer) return static_cast<int>(text.size());
    // A buffer of no room gets nothing, not even the terminator.
    if (size <= 0) return 0;
    const size_t copied = std::min(text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
    return static_cast<int>(copied);
}

int Tovrin_GetVersion(uint32_t* version) {
    return Guarded([&] {
        return WithPort("Tovrin_GetVersion", [&](CPortTovrin& p) {
            if (!version) return p.Refuse("CPortTovrin::GetVersion() called with NULL pdwVersion");
            return p.GetVersion(version);
        });
    });
}

int Tovrin_GetSerialNumber(uint32_t* serialNumber) {
    return Guarded([&] {
        return WithPort("Tovrin_GetSerialNumber", [&](CPortTovrin& p) {
            if (!serialNumber)
                return p.Refuse("CPortTovrin::GetSerialNumber() called with NULL pdwSerialNumber");
            return p.GetSerialNumber(serialNumber);
        });
    });
}

int Tovrin_GetQueueStatus(uint32_t* count) {
    return Guarded([&] {
        return WithPort("Tovrin_GetQueueStatus", [&](CPortTovrin& p) {
            if (!count) return p.Refuse("CPortTovrin::GetQueueStatus() called with NULL pdwCount");
            return p.GetQueueStatus(count);
        });
    });
}

int Tovrin_WritePort(const uint8_t* data, uint32_t count) {
    return Guarded([&] {
        return WithPort("Tovrin_WritePort", [&](CPortTovrin& p) {
            if (count == 0) return true;
            if (!data) return p.Refuse("CPortTovrin::WritePort() called with NULL data");
            return p.WritePort(data, count);
        });
    });
}

int Tovrin_ReadPort(uint8_t* buffer, uint32_t count, uint32_t* countRead) {
    return Guarded([&] {
        return WithPort("Tovrin_ReadPort", [&](CPortTovrin& p) {
            uint32_t scratch = 0;
            uint32_t* out = countRead ? countRead : &scratch;
            *out = 0;
            if (count == 0) return true;
            if (!buffer) return p.Refuse("CPortTovrin::ReadPort() called with NULL buffer");
            return p.ReadPort(buffer, count, out);
        });
    });
}

int Tovrin_Purge(int32_t first, int32_t second) {
    const uint32_t mask =
        (first == 1 ? kv::usb::kPurgeTx : 0u) | (second == 1 ? kv::usb::kPurgeRx : 0u);
    return Guarded(
        [&] { return WithPort("Tovrin_Purge", [&](CPortTovrin& p) { return p.Purge(mask); }); });
}

int Tovrin_SetBaudRate(uint32_t baud) {
    return Guarded([&] {
        return WithPort("Tovrin_SetBaudRate", [&](CPortTovrin& p) { return p.SetBaudRate(baud); });
    });
}

int Tovrin_UpdateEnable(void) {
    return Guarded([] {
        return WithPort("Tovrin_UpdateEnable", [](CPortTovrin& p) { return p.UpdateEnable(); });
    });
}

int Tovrin_UpdateData(void) {
    return Guarded([] {
        return WithPort("Tovrin_UpdateData", [](CPortTovrin& p) { return p.UpdateData(); });
    });
}

#define TOVRIN_ENABLE_LINE(Name, Bit, On)          \
    int Name(void) {                               \
        return tovrin::EnableLine(#Name, Bit, On); \
    }
#define TOVRIN_DATA_LINE(Name, Bit, On)          \
    int Name(void) {                             \
        return tovrin::DataLine(#Name, Bit, On); \
    }

TOVRIN_ENABLE_LINE(Tovrin_EnableRx, tovrin::kEnableRx, true)
TOVRIN_ENABLE_LINE(Tovrin_DisableRx, tovrin::kEnableRx, false)
TOVRIN_ENABLE_LINE(Tovrin_EnableTx, tovrin::kEnableTx, true)
TOVRIN_ENABLE_LINE(Tovrin_DisableTx, tovrin::kEnableTx, false)
TOVRIN_ENABLE_LINE(Tovrin_EnableBSL, tovrin::kEnableBsl, true)
TOVRIN_ENABLE_LINE(Tovrin_DisableBSL, tovrin::kEnableBsl, false)
TOVRIN_ENABLE_LINE(Tovrin_EnableF12, tovrin::kEnableF12, true)
TOVRIN_ENABLE_LINE(Tovrin_DisableF12, tovrin::kEnableF12, false)
TOVRIN_ENABLE_LINE(Tovrin_EnableXRS, tovrin::kEnableXrs, true)
TOVRIN_ENABLE_LINE(Tovrin_DisableXRS, tovrin::kEnableXrs, false)
TOVRIN_DATA_LINE(Tovrin_SetF2, tovrin::kDataF2, true)
TOVRIN_DATA_LINE(Tovrin_ClearF2, tovrin::kDataF2, false)
TOVRIN_DATA_LINE(Tovrin_SetF3, tovrin::kDataF3, true)
TOVRIN_DATA_LINE(Tovrin_ClearF3, tovrin::kDataF3, false)
TOVRIN_DATA_LINE(Tovrin_SetF4PD, tovrin::kDataF4PD, true)
TOVRIN_DATA_LINE(Tovrin_ClearF4PD, tovrin::kDataF4PD, false)
TOVRIN_DATA_LINE(Tovrin_SetF12, tovrin::kDataF12, true)
TOVRIN_DATA_LINE(Tovrin_ClearF12, tovrin::kDataF12, false)
TOVRIN_DATA_LINE(Tovrin_SetVTGT, tovrin::kDataVtgt, true)
TOVRIN_DATA_LINE(Tovrin_ClearVTGT, tovrin::kDataVtgt, false)

int Tovrin_GetBLSIG(int32_t* flag) {
    return Guarded([&] {
        return WithPort("Tovrin_GetBLSIG", [&](CPortTovrin& p) { return p.GetBLSIG(flag); });
    });
}

int Tovrin_SetOption(uint32_t option, uint32_t* value) {
    if (!value) return 1;
    tovrin::LibraryOptions& o = tovrin::options();
    switch (option) {
        case TOVRIN_OPTION_MESSAGE_BOXES:
            o.messageBoxes = *value != 0;
            break;
        case TOVRIN_OPTION_RESTORE_AT_OPEN:
            o.restoreAtOpen = *value != 0;
            break;
        case TOVRIN_OPTION_GET_SAVED_IMAGE:
            *value = o.savedImage;
            break;
        case TOVRIN_OPTION_SET_SAVED_IMAGE:
            o.savedImage = *value;
            break;
        default:
            break;
    }
    return 1;
}

}  // extern "C"
