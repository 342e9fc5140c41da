// The adapter line sequences: the target's supply, reset and loader entry,
// and the adapter's own identification.
#include <tovrin/tovrin.h>

#include "hesmark_bootload_port.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/format.h"

namespace hesmark {

using kv::text::Format;

namespace {

constexpr uint32_t kPowerSettle = 100;
constexpr uint32_t kAdapterSettle = 20;
constexpr uint32_t kSignalSettle = 50;

}  // namespace

// Runs the adapter calls in order; the first failure takes the adapter's text.
bool CHesmarkBootloadPort::Lines(std::initializer_list<int (*)()> calls) {
    for (auto call : calls)
        if (!call()) return FailWithAdapterError();
    return true;
}

bool CHesmarkBootloadPort::Wait(uint32_t ms) {
    kv::clock().sleep(ms);
    return true;
}

bool CHesmarkBootloadPort::DisableAll() {
    if (!AdapterOpen()) return Fail("CHesmarkBootloadPort::DisableAll called while Tovrin closed");
    return Lines({Tovrin_DisableRx, Tovrin_UpdateEnable, Tovrin_DisableTx, Tovrin_UpdateEnable,
                  Tovrin_DisableBSL, Tovrin_UpdateEnable, Tovrin_DisableF12, Tovrin_UpdateEnable});
}

bool CHesmarkBootloadPort::ClearAll() {
    if (!AdapterOpen()) return Fail("CHesmarkBootloadPort::ClearAll called while Tovrin closed");
    return Lines(
        {Tovrin_ClearF3, Tovrin_ClearF2, Tovrin_ClearF4PD, Tovrin_ClearF12, Tovrin_UpdateData});
}

bool CHesmarkBootloadPort::TargetPowerOff() {
    if (!AdapterOpen())
        return Fail("CHesmarkBootloadPort::TargetPowerOff called while Tovrin closed");
    m_dwOffset = 0;
    const bool ok =
        Lines({Tovrin_DisableRx, Tovrin_UpdateEnable, Tovrin_EnableXRS, Tovrin_UpdateEnable,
               Tovrin_DisableTx, Tovrin_UpdateEnable, Tovrin_ClearVTGT, Tovrin_UpdateData}) &&
        Wait(kPowerSettle) && Lines({Tovrin_DisableXRS, Tovrin_UpdateEnable});
    if (!ok)
        return Fail(Format("TargetPowerOff Failed:%s\nLost Comm with Tovrin", m_strError.c_str()));
    return true;
}

bool CHesmarkBootloadPort::TargetPowerOn() {
    m_dwOffset = 0;
    if (!ClearAll() || !DisableAll() || !Lines({Tovrin_SetVTGT, Tovrin_UpdateData}))
        return Fail(Format("TargetPowerOn Failed:%s\nLost Comm with Tovrin", m_strError.c_str()));
    return true;
}

bool CHesmarkBootloadPort::PowerOn() {
    if (!AdapterOpen()) return Fail("PowerOn() called while Tovrin closed");
    Log("Powering up target");
    if (!TargetPowerOn()) {
        Log("Failed to power up target");
        return false;
    }
    Log("Target powered up");
    return true;
}

bool CHesmarkBootloadPort::PowerOff() {
    if (!AdapterOpen()) return Fail("PowerOff() called while Tovrin closed");
    Log("Powering down target");
    if (!TargetPowerOff()) {
        Log("Failed to Power Off Target");
        return false;
    }
    Log("Target powered down");
    return true;
}

bool CHesmarkBootloadPort::InitializeAdapter(bool powerOff) {
    if (!AdapterOpen()) return Fail("InitializeAdapter() called while Tovrin closed");
    Log("Accessing adapter");
    ClearLoaderInfo();
    if (!FlushComm()) return false;
    Wait(kAdapterSettle);
    if (powerOff) {
        {
            QuietScope quiet(*this);
            PowerOff();
        }
        if (!TargetPowerOff())
            return Fail(Format("Failed to initialize adapter:\n%s", m_strError.c_str()));
        Wait(kAdapterSettle);
        if (!FlushComm()) return false;
    }
    uint32_t version = 0;
    if (!Tovrin_GetVersion(&version)) {
        return Fail(Format(
            "Failed to initialize adapter:\n%s",
            Format("Could not get adapter version:\n%s", AdapterErrorText().c_str()).c_str()));
    }
    m_wAdapterVersion = static_cast<uint16_t>(version);
    uint32_t serial = 0;
    if (!Tovrin_GetSerialNumber(&serial)) {
        return Fail(
            Format("Failed to initialize adapter:\n%s",
                   Format("Could not get adapter serial number:\n%s", AdapterErrorText().c_str())
                       .c_str()));
    }
    m_dwAdapterSerial = serial;
    Wait(kAdapterSettle);
    Log("Adapter ready");
    return true;
}

bool CHesmarkBootloadPort::InitializeTarget() {
    if (!AdapterOpen()) return Fail("InitializeTarget() called while Tovrin closed");
    Log("Initializing target");
    OnProgress(HESMARK_PROGRESS_INIT_TARGET, 0);
    m_bPatchActive = false;
    m_bPatchMissing = false;
    m_dwOffset = 0;
    ResetPassword();
    OnProgress(HESMARK_PROGRESS_INIT_TARGET, 10);
    auto progress = [this](int32_t value) {
        OnProgress(HESMARK_PROGRESS_INIT_TARGET, value);
        return true;
    };
    auto pulseA = [this] { return Lines({Tovrin_ClearF2, Tovrin_SetF12, Tovrin_UpdateData}); };
    auto pulseB = [this] { return Lines({Tovrin_SetF2, Tovrin_ClearF12, Tovrin_UpdateData}); };
    const bool ok =
        Lines({Tovrin_ClearF4PD, Tovrin_ClearF2, Tovrin_ClearF3, Tovrin_ClearF12,
               Tovrin_UpdateData}) &&
        progress(10) &&
        Lines({Tovrin_DisableXRS, Tovrin_DisableRx, Tovrin_DisableTx, Tovrin_DisableBSL,
               Tovrin_DisableF12, Tovrin_UpdateEnable, Tovrin_SetF2, Tovrin_UpdateData,
               Tovrin_EnableXRS, Tovrin_UpdateEnable}) &&
        Wait(kPowerSettle) && progress(20) && Lines({Tovrin_SetVTGT, Tovrin_UpdateData}) &&
        Wait(kPowerSettle) && progress(30) &&
        Lines({Tovrin_EnableBSL, Tovrin_EnableF12, Tovrin_UpdateEnable}) && Wait(kPowerSettle) &&
        progress(40) && pulseA() && pulseB() && pulseA() && pulseB() && pulseA() &&
        Lines({Tovrin_EnableTx, Tovrin_UpdateEnable}) && progress(50) &&
        Lines({Tovrin_DisableXRS, Tovrin_UpdateEnable}) && Wait(20) && progress(60) && pulseB() &&
        Wait(50) && progress(70) &&
        Lines({Tovrin_ClearF4PD, Tovrin_UpdateData, Tovrin_EnableRx, Tovrin_UpdateEnable,
               Tovrin_DisableBSL, Tovrin_DisableF12, Tovrin_UpdateEnable}) &&
        progress(80) && Lines({Tovrin_ClearF2, Tovrin_UpdateData}) && progress(90) && Wait(10) &&
        progress(100);
    if (!ok) {
        return Fail(
            Format("Failed to initialize target: Lost Comm with Tovrin\n%s", m_strError.c_str()));
    }
    if (!FlushComm()) return false;
    Log("Target initialized");
    return true;
}

bool CHesmarkBootloadPort::ResetTarget() {
    if (!AdapterOpen()) return Fail("ResetTarget() called while Tovrin closed");
    Log("Resetting target");
    OnProgress(HESMARK_PROGRESS_RESET_TARGET, 0);
    m_dwOffset = 0;
    if (!FlushComm()) return false;
    auto progress = [this](int32_t value) {
        OnProgress(HESMARK_PROGRESS_RESET_TARGET, value);
        return true;
    };
    const bool ok = progress(10) && DisableAll() && ClearAll() && Lines({Tovrin_EnableXRS}) &&
                    progress(20) && Lines({Tovrin_UpdateEnable}) && Wait(kPowerSettle) &&
                    Lines({Tovrin_SetVTGT, Tovrin_UpdateData}) && progress(30) &&
                    Wait(kPowerSettle) && progress(40) && Wait(kPowerSettle) && progress(50) &&
                    Lines({Tovrin_DisableXRS}) && progress(90) && Lines({Tovrin_UpdateEnable}) &&
                    progress(100);
    if (!ok) return Fail(Format("Reset Failed:%s\nLost Comm with Tovrin", m_strError.c_str()));
    Log("Target reset");
    return true;
}

bool CHesmarkBootloadPort::PollTargetSignal(int32_t* flag) {
    if (!AdapterOpen()) return Fail("Error: PollBLTGTSIG Called while Tovrin closed.");
    const bool ok = Lines({Tovrin_EnableBSL, Tovrin_UpdateEnable}) && Wait(kSignalSettle) &&
                    Tovrin_GetBLSIG(flag) && Lines({Tovrin_DisableBSL, Tovrin_UpdateEnable});
    if (!ok) {
        const std::string detail = AdapterErrorText();
        Lines({Tovrin_DisableBSL, Tovrin_UpdateEnable});
        return Fail(Format("Could not get bootloader signal.\n%s", detail.c_str()));
    }
    return true;
}

}  // namespace hesmark
