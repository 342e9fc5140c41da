#include "engine/wrapper_devices.h"

namespace kv {

namespace {

// Stands in until the wrappers are linked into the core.
class UnavailableDevices : public ExecuteDevices {
  public:
    CDravik* OpenDravik(std::string& error) override {
        error = "Dravik wrapper not available";
        return nullptr;
    }
    void CloseDravik(CDravik* /*pod*/) override {}
    int GetPodErrorNumber(CDravik* /*pod*/) override { return 1; }
    CTovrin* OpenTovrin(std::string& error) override {
        error = "Tovrin wrapper not available";
        return nullptr;
    }
    void CloseTovrin(CTovrin* /*adapter*/) override {}
    CEmulationModule* GetEmulationModule(CPrgProcessor* /*processor*/) override { return nullptr; }
    int OpenEmulationModule(CEmulationModule* /*module*/, CDravik* /*pod*/,
                            std::string& error) override {
        error = "Emulation module not available";
        return 0;
    }
    void CloseEmulationModule(CEmulationModule* /*module*/) override {}
};

}  // namespace

ExecuteDevices& WrapperDevices() {
    static UnavailableDevices devices;
    return devices;
}

}  // namespace kv
