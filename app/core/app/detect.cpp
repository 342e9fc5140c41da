// Start-up detection of the pod and the adapter (window mode).
#include "kelvane/app/kelvane_app.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/tovrin.h"

namespace kv {

void DetectAdapters() {
    DetectDravik();
    DetectTovrin();
}

void DetectDravik() {
    AppGlobals& g = GetAppGlobals();
    SetPodInUse(0);
    g.podFirmwareVersion = g.podLibraryVersion = g.podSerialNumber = "Unknown";
    g.podVppCapable = 0;
    g.PodVccAdjustable = false;
    g.PodFixedVcc = 3300;
    CDravik pod;
    if (!pod.Reopen()) return;
    pod.GetFirmwareVersion(g.podFirmwareVersion);
    pod.GetInterfaceVersion(g.podLibraryVersion);
    pod.GetSerialNumber(g.podSerialNumber);
    int vpp = 0;
    if (pod.HasVpp(vpp)) g.podVppCapable = vpp;
    int adjustable = 0;
    std::uint32_t maximum = 3300;
    if (pod.GetVccRange(adjustable, maximum)) {
        g.PodVccAdjustable = adjustable != 0;
        g.PodFixedVcc = maximum;
    }
    pod.Close();
    SetPodInUse(1);
}

void DetectTovrin() {
    AppGlobals& g = GetAppGlobals();
    g.adapterPresent = 0;
    g.adapterFirmwareVersion = g.adapterLibraryVersion = g.adapterSerialNumber = "Unknown";
    CTovrin adapter;
    if (!adapter.Reopen()) return;
    adapter.GetFirmwareVersion(g.adapterFirmwareVersion);
    adapter.GetLibraryVersion(g.adapterLibraryVersion);
    adapter.GetSerialNumber(g.adapterSerialNumber);
    adapter.Close();
    g.adapterPresent = 1;
}

}  // namespace kv
