#include "kelvane/core/dravik.h"

#include <cstring>

#include "wrapper_format.h"

namespace kv {

using wrappers::Format;

std::string g_strDefaultReadFile = "MyFile.txt";

namespace {

// Information flash ends at 0x10FF; main flash of the classic parts starts at
// 0x1100 at the lowest.
constexpr uint32_t kInfoFlashEnd = 0x10FF;
constexpr uint32_t kLowestMainFlash = 0x1100;

std::string TextOrEmpty(const char* text) {
    return text ? std::string(text) : std::string();
}

}  // namespace

CDravik::CDravik() = default;

const DeviceRecord& CDravik::GetDeviceRecord() const {
    return *reinterpret_cast<const DeviceRecord*>(deviceRecord_);
}

int CDravik::IsOpen() {
    return target_ != nullptr ? 1 : 0;
}

void CDravik::CloseHandles() {
    if (target_) {
        Nandrel_CloseTarget(target_);
        target_ = nullptr;
    }
    if (port_) {
        Nandrel_ClosePort(port_);
        port_ = nullptr;
    }
    if (interface_) {
        Nandrel_CloseInterface(interface_);
        interface_ = nullptr;
    }
    Nandrel_CloseModule();
}

int CDravik::Close() {
    CloseHandles();
    return 1;
}

int CDravik::Open() {
    lastErrorNumber_ = 0;
    if (!Nandrel_OpenModule()) {
        SetError("Unable to open the Nandrel.DLL");
        return 0;
    }
    const char* failure = nullptr;
    if (Nandrel_GetInterfaceCount() == 0) {
        failure = "No interfaces found";
    } else if ((interface_ = Nandrel_OpenInterface(0)) == nullptr) {
        failure = "Could not open interface 0";
    } else if (Nandrel_GetPortCount(interface_) == 0) {
        failure = "No ports found";
    } else if ((port_ = Nandrel_OpenPort(interface_, 0)) == nullptr) {
        failure = "Could not open port 0";
    } else if (Nandrel_GetTargetCount(port_) == 0) {
        failure = "No target indices found";
    } else if ((target_ = Nandrel_OpenTarget(port_, 0)) == nullptr) {
        failure = "Could not open target 0";
    }
    if (failure) {
        SetError(failure);
        CloseHandles();
        return 0;
    }
    return 1;
}

int CDravik::NoTarget(const char* text) {
    SetError(text);
    return 0;
}

int CDravik::FailTarget(const std::string& prefix) {
    // The text first: reading the number clears the target's error.
    const std::string library = TextOrEmpty(Nandrel_GetLastTargetError(target_));
    lastErrorNumber_ = Nandrel_GetLastTargetErrorNumber(target_);
    const std::string table = TextOrEmpty(Nandrel_ErrorString(lastErrorNumber_));
    std::string text = Format("%s (%d)\n%s", prefix.c_str(), lastErrorNumber_, table.c_str());
    // The library's text is the table text and the failing step's detail;
    // the detail says what went wrong and follows.
    std::string detail = library;
    if (detail.compare(0, table.size(), table) == 0) {
        detail.erase(0, table.size());
        if (detail.compare(0, 1, ":") == 0) detail.erase(0, 1);
        while (!detail.empty() && (detail[0] == '\n' || detail[0] == ' '))
            detail.erase(0, 1);
    }
    if (!detail.empty() && detail != "No error") text += "\n" + detail;
    SetError(text);
    return 0;
}

int CDravik::FailTargetText(const std::string& prefix) {
    // The text first: reading the number clears the target's error.
    const std::string text = TextOrEmpty(Nandrel_GetLastTargetError(target_));
    lastErrorNumber_ = Nandrel_GetLastTargetErrorNumber(target_);
    SetError(prefix + text);
    return 0;
}

int CDravik::OpenJTAG() {
    if (!target_) return NoTarget("NULL Dravik target encountered during OpenJTAG");
    if (Nandrel_OpenJTAG(target_)) return 1;
    return FailTarget("Unable to open target device JTAG");
}

int CDravik::CloseJTAG(int32_t mode) {
    if (!target_) return NoTarget("NULL Dravik target encountered during CloseJTAG");
    if (Nandrel_CloseJTAG(target_, mode)) return 1;
    return FailTarget("Unable to close target device JTAG");
}

int CDravik::RegisterHWND(void* window, uint32_t message, uint32_t userValue) {
    if (!target_) return NoTarget("Unable to Register HWND with closed Dravik");
    if (Nandrel_RegisterHWND(target_, window, message, userValue)) return 1;
    return FailTarget("Unable to Register HWND");
}

namespace {

int CopyVersionText(const char* text, std::string& out, const char* failure, std::string& error) {
    if (text && *text) {
        out = text;
        return 1;
    }
    out = "Unknown";
    error = failure;
    return 0;
}

}  // namespace

int CDravik::GetSerialNumber(std::string& text) {
    text = "Unknown";
    if (!port_) return NoTarget("NULL Dravik port");
    std::string error;
    if (CopyVersionText(Nandrel_GetPortSerialNumber(port_), text, "Unable to obtain serial number",
                        error))
        return 1;
    SetError(error);
    return 0;
}

int CDravik::GetFirmwareVersion(std::string& text) {
    text = "Unknown";
    if (!port_) return NoTarget("NULL Dravik port");
    std::string error;
    if (CopyVersionText(Nandrel_GetPortFirmwareVersion(port_), text,
                        "Unable to obtain firmware version", error))
        return 1;
    SetError(error);
    return 0;
}

int CDravik::GetInterfaceVersion(std::string& text) {
    text = "Unknown";
    if (!interface_) return NoTarget("NULL Dravik interface");
    std::string error;
    if (CopyVersionText(Nandrel_GetInterfaceVersion(interface_), text,
                        "Unable to retrieve interface version", error))
        return 1;
    SetError(error);
    return 0;
}

int CDravik::Identify(std::string& name) {
    if (!target_) return NoTarget();
    auto* record = reinterpret_cast<DeviceRecord*>(deviceRecord_);
    if (!Nandrel_Identify(target_, record, kDeviceRecordSize, 0))
        return FailTarget("Unable to identify device");
    name.assign(record->name, strnlen(record->name, sizeof(record->name)));
    return 1;
}

int CDravik::Configure(int32_t item, int32_t value) {
    if (!target_) return NoTarget();
    if (Nandrel_Configure(target_, item, value)) return 1;
    return FailTarget("Unable to configure target device");
}

int CDravik::SetVCC(uint32_t millivolts) {
    if (!target_) return NoTarget();
    if (Nandrel_VCC(target_, static_cast<int32_t>(millivolts))) return 1;
    return FailTarget(Format("Unable to set device VCC to %0.1f", millivolts * 0.001));
}

int CDravik::EraseAll() {
    if (!target_) return NoTarget();
    const uint32_t start = GetDeviceRecord().mainStart;
    if (Nandrel_Erase(target_, NANDREL_ERASE_ALL, start, 0x10000 - start)) return 1;
    return FailTarget("Unable to perform EraseAll");
}

int CDravik::EraseMain(uint32_t address, uint32_t length) {
    if (!target_) return NoTarget();
    if (Nandrel_Erase(target_, NANDREL_ERASE_MAIN, address, length)) return 1;
    return FailTarget("Unable to perform EraseMain");
}

int CDravik::EraseSegment(uint32_t address, uint32_t length) {
    if (!target_) return NoTarget();
    uint32_t aligned;
    if (address > kInfoFlashEnd) {
        aligned = address & ~0x1FFu;
        // The 512-byte step must not reach down into information flash.
        if (aligned < kLowestMainFlash) aligned = kLowestMainFlash;
    } else {
        aligned = address & ~0x7Fu;
    }
    // Keep the end of the requested range covered.
    const uint32_t widened = length + (address - aligned);
    if (Nandrel_Erase(target_, NANDREL_ERASE_SEGMENT, aligned, widened < length ? length : widened))
        return 1;
    return FailTarget("Unable to perform EraseSegment");
}

int CDravik::ProgramFile(const std::string& path, int32_t eraseType, int32_t verify) {
    if (!target_) return NoTarget();
    if (Nandrel_ProgramFile(target_, path.c_str(), eraseType, verify)) return 1;
    return FailTarget("Unable to perform ProgramFile");
}

int CDravik::VerifyFile(const std::string& path) {
    if (!target_) return NoTarget();
    if (Nandrel_VerifyFile(target_, path.c_str())) return 1;
    return FailTarget("Unable to perform VerifyFile");
}

int CDravik::WriteMemory(const uint8_t* buffer, uint32_t address, uint32_t count) {
    if (!target_) return NoTarget();
    if (!Nandrel_WriteMemory(target_, address, buffer, count))
        return FailTarget("Unable to perform WriteMemory");
    if (!Nandrel_VerifyMem(target_, address, count, buffer))
        return FailTarget("Unable to verify WriteMemory");
    return 1;
}

int CDravik::VerifyMemory(const uint8_t* buffer, uint32_t address, uint32_t count) {
    if (!target_) return NoTarget();
    if (Nandrel_VerifyMem(target_, address, count, buffer)) return 1;
    return FailTarget("Unable to VerifyMemory");
}

int CDravik::ReadMemory(uint8_t* buffer, uint32_t address, uint32_t count) {
    if (!target_) return NoTarget();
    if (Nandrel_ReadMemory(target_, address, buffer, count)) return 1;
    return FailTarget("Unable to perform ReadMemory");
}

int CDravik::WriteRegister(int32_t number, uint32_t value) {
    if (!target_) return NoTarget();
    if (Nandrel_WriteRegister(target_, number, value)) return 1;
    return FailTarget("Unable to perform WriteRegister");
}

int CDravik::ReadRegister(int32_t number, uint32_t& value) {
    if (!target_) return NoTarget();
    if (Nandrel_ReadRegister(target_, number, &value)) return 1;
    return FailTarget("Unable to perform ReadRegister");
}

int CDravik::Reset(int32_t method, int32_t execute, int32_t releaseJtag) {
    if (!target_) return NoTarget();
    if (Nandrel_Reset(target_, method, execute, releaseJtag)) return 1;
    return FailTarget("Unable to perform Reset");
}

int CDravik::Run(int32_t mode, int32_t releaseJtag) {
    if (!target_) return NoTarget();
    if (Nandrel_Run(target_, mode, releaseJtag)) return 1;
    return FailTarget("Unable to perform Run");
}

int CDravik::State(int32_t& state, int32_t stop, uint32_t& cycles) {
    if (!target_) return NoTarget();
    if (Nandrel_State(target_, &state, stop, &cycles)) return 1;
    return FailTarget("Unable to perform State");
}

int CDravik::BlowFuse() {
    if (!target_) return NoTarget();
    if (Nandrel_Secure(target_)) return 1;
    return FailTarget("Unable to perform BlowFuse");
}

int CDravik::QueryPortFeature(uint32_t feature, void* buffer, uint32_t size, uint32_t& returned) {
    if (!port_) return NoTarget("NULL Dravik port");
    return Nandrel_QueryPortFeature(port_, feature, buffer, size, &returned) ? 1 : 0;
}

int CDravik::QueryVoltageFeature(uint32_t feature, const char* name, int32_t& adjustable,
                                 int32_t& minimum, int32_t& maximum, int32_t& step) {
    adjustable = minimum = maximum = step = 0;
    if (!target_) return NoTarget();
    VoltageFeatureRecord record{};
    uint32_t returned = 0;
    if (!QueryPortFeature(feature, &record, sizeof(record), returned)) {
        SetError(Format("Unable to query port %s features", name));
        return 0;
    }
    if (returned == 0) {
        SetError(Format("No port %s feature data returned", name));
        return 0;
    }
    adjustable = record.adjustable;
    minimum = record.minimum;
    maximum = record.maximum;
    step = record.step;
    return 1;
}

int CDravik::QueryVccFeatures(int32_t& adjustable, int32_t& minimum, int32_t& maximum,
                              int32_t& step) {
    return QueryVoltageFeature(NANDREL_FEATURE_VCC, "VCC", adjustable, minimum, maximum, step);
}

int CDravik::QueryVppFeatures(int32_t& adjustable, int32_t& minimum, int32_t& maximum,
                              int32_t& step) {
    return QueryVoltageFeature(NANDREL_FEATURE_VPP, "VPP", adjustable, minimum, maximum, step);
}

int CDravik::HasVpp(int& flag) {
    flag = 0;
    if (!target_) return NoTarget();
    int32_t adjustable = 0, minimum = 0, maximum = 0, step = 0;
    if (!QueryVppFeatures(adjustable, minimum, maximum, step)) return 0;
    flag = (minimum != 0 && maximum != 0) ? 1 : 0;
    return 1;
}

int CDravik::GetVccRange(int& adjustable, uint32_t& maximumVcc) {
    adjustable = 0;
    maximumVcc = 3000;
    if (!target_) return NoTarget();
    int32_t flag = 0, minimum = 0, maximum = 0, step = 0;
    // A failed query keeps the defaults: a maximum of 0 mV would leave no
    // usable supply voltage to offer.
    if (!QueryVccFeatures(flag, minimum, maximum, step)) return 0;
    adjustable = flag;
    maximumVcc = static_cast<uint32_t>(maximum);
    return 1;
}

int CDravik::QueryTargetFeature(uint32_t feature, void* buffer, uint32_t size, uint32_t* length) {
    if (!target_) return NoTarget();
    if (Nandrel_QueryTargetFeature(target_, feature, buffer, size, length)) return 1;
    return FailTargetText(
        Format("Unable to query target feature 0x%08lX\n", static_cast<unsigned long>(feature)));
}

int CDravik::InitEEM(NandrelEemCallback callback, uint32_t clientValue,
                     const EemMessageNumbers* messages) {
    if (!target_) return NoTarget();
    if (Nandrel_EEM_Init(target_, callback, clientValue, messages)) return 1;
    return FailTargetText("Unable to initialize EEM\n");
}

int CDravik::CloseEEM() {
    if (!target_) return NoTarget();
    if (Nandrel_CloseEEM(target_)) return 1;
    return FailTargetText("Unable to close EEM\n");
}

int CDravik::SetBreakpoint(uint16_t* handle, const BreakpointRecord* definition) {
    if (!target_) return NoTarget();
    if (Nandrel_EEM_SetBreakpoint(target_, handle, definition)) return 1;
    return FailTargetText("Unable to set breakpoint\n");
}

}  // namespace kv
