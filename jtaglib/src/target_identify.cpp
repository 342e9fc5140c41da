// Identification: reading the chip's identification block and configuration
// fuses, finding its row in the device table, and taking the device over with
// the settings of its class.
#include <cstring>

#include "config_fuse_dravik.h"
#include "error_table.h"
#include "nandrel/device/clock_control_names.h"
#include "nandrel/device/device_record.h"
#include "nandrel/device/device_table.h"
#include "nandrel/nandrel.h"
#include "target_jtag.h"
#include "text_format.h"

namespace nandrel {

namespace {

// The exported record and the tables' record are the same 70 bytes.
static_assert(sizeof(DeviceRecord) == sizeof(device::DeviceRecordLayout));
static_assert(offsetof(DeviceRecord, mark) == offsetof(device::DeviceRecordLayout, mark));
static_assert(offsetof(DeviceRecord, deviceIndex) ==
              offsetof(device::DeviceRecordLayout, deviceIndex));
static_assert(offsetof(DeviceRecord, name) == offsetof(device::DeviceRecordLayout, name));
static_assert(sizeof(DeviceRecord::name) == sizeof(device::DeviceRecordLayout::name));
static_assert(offsetof(DeviceRecord, mainStart) == offsetof(device::DeviceRecordLayout, mainStart));
static_assert(offsetof(DeviceRecord, infoStart) == offsetof(device::DeviceRecordLayout, infoStart));
static_assert(offsetof(DeviceRecord, ramEnd) == offsetof(device::DeviceRecordLayout, ramEnd));
static_assert(offsetof(DeviceRecord, breakpoints) ==
              offsetof(device::DeviceRecordLayout, breakpoints));
static_assert(offsetof(DeviceRecord, emulationLevel) ==
              offsetof(device::DeviceRecordLayout, emulationLevel));
static_assert(offsetof(DeviceRecord, clockControlLevel) ==
              offsetof(device::DeviceRecordLayout, clockControl));
static_assert(offsetof(DeviceRecord, lcdStart) == offsetof(device::DeviceRecordLayout, lcdStart));
static_assert(offsetof(DeviceRecord, lcdEnd) == offsetof(device::DeviceRecordLayout, lcdEnd));
static_assert(offsetof(DeviceRecord, vccMin) == offsetof(device::DeviceRecordLayout, vccMin));
static_assert(offsetof(DeviceRecord, vccMax) == offsetof(device::DeviceRecordLayout, vccMax));
static_assert(offsetof(DeviceRecord, hasTestPin) == offsetof(device::DeviceRecordLayout, testPin));
static_assert(offsetof(DeviceRecord, ramStart) == offsetof(device::DeviceRecordLayout, ramStart));
static_assert(offsetof(DeviceRecord, ram2Start) == offsetof(device::DeviceRecordLayout, ram2Start));
static_assert(offsetof(DeviceRecord, ram2End) == offsetof(device::DeviceRecordLayout, ram2End));
static_assert(offsetof(DeviceRecord, infoEnd) == offsetof(device::DeviceRecordLayout, infoEnd));
static_assert(offsetof(DeviceRecord, mainEnd) == offsetof(device::DeviceRecordLayout, mainEnd));

constexpr uint8_t kConfigFusesInstruction = 0x29;
constexpr int32_t kResetAll = kResetPuc | kResetPin | kResetSupply;
constexpr uint32_t kClassWithItem1 = 13;
constexpr int32_t kClockControlAfterIdentify = 38;

bool ValidIndex(int32_t index) {
    return index >= 0 && static_cast<uint32_t>(index) < device::kDeviceCount;
}

}  // namespace

int32_t CTargetJTAG::SelectDeviceRow(uint32_t index, bool connect) {
    const device::DeviceRow* row = device::GetDeviceRow(index);
    if (!row) return kErrParameter;
    if (!SelectDevice(index, row->deviceClass, TargetClassValuesOf(row->deviceClass)))
        return kErrInitialize;
    if (connect && index != 0) return ConnectSelectedDevice();
    return 0;
}

int32_t CTargetJTAG::ReadDeviceRow(uint32_t* row) {
    std::array<uint8_t, device::kIdBlockWithFuseSize> block{};
    if (!protocol_->ReadBytes(device::kIdBlockAddress, device::kIdBlockSize, block.data()))
        return PodDetail(kErrReadMemory);
    uint16_t fuses = 0;
    if (!protocol_->IrShift(kConfigFusesInstruction, nullptr) || !protocol_->DrShift16(0, &fuses))
        return PodDetail(kErrReadFuses);
    block[device::kIdBlockSize] = static_cast<uint8_t>(fuses);
    *row = device::IdentifyDeviceById(block.data());
    if (*row == device::kUnknownDevice) {
        Fail(format("Identification bytes %02X %02X, configuration fuses %02X", block[0], block[1],
                    block[device::kIdBlockSize]));
        return kErrUnknownDevice;
    }
    return 0;
}

int32_t CTargetJTAG::ConfigureIdentified(bool automatic) {
    if (!Configure(3, class_.mainClockDefault) || !Configure(2, kClockControlAfterIdentify) ||
        !Configure(5, 0))
        return kErrConfigureDevice;
    if (deviceClass_ == kClassWithItem1) {
        if (!Configure(1, 0)) return kErrConfigureDevice;
        if (automatic && !Reset(kResetPuc, false, false)) {
            Fail(errorText_);
            return kErrReset;
        }
    }
    if (class_.b5) {
        if (!Configure(6, 2)) return kErrConfigureDevice;
        if (!protocol_->SetLine40(0) || !protocol_->SetLine40(2))
            return PodDetail(kErrConfigureDevice);
    }
    if (automatic) {
        // The reset's own error stands.
        return Reset(kResetAll, false, false) ? 0 : -1;
    }
    // A forced device reads the EEM control value; a class without an EEM
    // has none to read.
    if (HasEem()) {
        uint16_t control = 0;
        if (!protocol_->EEM_ReadControl(&control)) return PodDetail(kErrConfigureDevice);
        savedEemControl_ = control;
    }
    return 0;
}

int32_t CTargetJTAG::Identify(void* record, uint32_t size, int32_t index) {
    PausePolling(kPollingPauseMs);
    const bool automatic = index == 0;
    {
        auto lock = LockPort();
        if (!protocol_) {
            Fail("NULL interface");
            return SetError(kErrInitialize);
        }
        if (!ValidIndex(index) || !record || size < device::kDeviceRecordSize)
            return SetError(kErrParameter);

        ClearDeviceState();
        if (const int32_t e = SelectDeviceRow(0, false)) return SetError(e);
        cycleCounter_ = kCyclesNotCounted;
        if (const int32_t e = ConnectOrFuseBlown()) return SetError(e);
        if (!SendClassSettings()) return SetError(kErrInitialize);

        uint32_t row = static_cast<uint32_t>(index);
        if (automatic) {
            if (const int32_t e = SelectDeviceRow(0, false)) return SetError(e);
            if (!Reset(kResetAll, false, false)) return 0;
            if (const int32_t e = ReadDeviceRow(&row)) return SetError(e);
        }
        device::FillDeviceRecord(&deviceRecord_, row);
        if (const int32_t e = SelectDeviceRow(row, true)) return SetError(e);
        if (const int32_t e = ConfigureIdentified(automatic)) return e < 0 ? 0 : SetError(e);
        ClearError();
    }
    std::memcpy(record, &deviceRecord_, sizeof deviceRecord_);
    if (!automatic) return 1;
    int32_t state = kStopped;
    return State(&state, true, nullptr);
}

int32_t CTargetJTAG::Device(int32_t index, void* record, uint32_t size) {
    // Row 0 stands for no device and is no answer to a lookup.
    if (index < 1 || !ValidIndex(index) || !record || size < device::kDeviceRecordSize)
        return SetError(kErrParameter);
    device::FillDeviceRecord(record, size, static_cast<uint32_t>(index));
    return ClearError();
}

int32_t CTargetJTAG::GetClockControlModuleNames(int32_t index, void** names) {
    const char* const* list = names ? static_cast<const char* const*>(*names) : nullptr;
    if (!names || !device::GetClockControlModuleNames(index, &list)) return SetError(kErrParameter);
    // The caller reads the list through an untyped pointer; it is never written.
    *names = const_cast<char**>(list);
    return ClearError();
}

int32_t CTargetJTAG::QueryTargetFeature(uint32_t featureId, uint32_t* length) {
    if (length) *length = 0;
    if (featureId < kFuseFeatureFirst || featureId > kFuseFeatureLast) {
        Fail(format("Unrecognized target feature 0x%08lX", static_cast<unsigned long>(featureId)));
        return 0;
    }
    auto lock = LockPort();
    if (!protocol_) {
        Fail("NULL interface");
        return SetError(kErrInitialize);
    }
    CConfigFuseDravik fuses(protocol_.get());
    if (!fuses.ConfigureFuses(featureId, selectedDevice_)) return Fail(fuses.errorText());
    return 1;
}

}  // namespace nandrel
