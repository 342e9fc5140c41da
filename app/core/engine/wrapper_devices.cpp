#include "engine/wrapper_devices.h"

#include <memory>

#include "kelvane/core/dravik.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/tovrin.h"

namespace kv {

namespace {

class Wrappers : public ExecuteDevices {
  public:
    CDravik* OpenDravik(std::string& error) override {
        auto pod = std::make_unique<CDravik>();
        if (!pod->Reopen()) {
            error = pod->TakeLastError();
            return nullptr;
        }
        return pod.release();
    }

    void CloseDravik(CDravik* pod) override {
        if (pod == nullptr) return;
        pod->Close();
        delete pod;
    }

    int GetPodErrorNumber(CDravik* pod) override {
        return pod != nullptr ? pod->GetLastErrorNumber() : 1;
    }

    CTovrin* OpenTovrin(std::string& error) override {
        auto adapter = std::make_unique<CTovrin>();
        if (!adapter->Reopen()) {
            error = adapter->TakeLastError();
            return nullptr;
        }
        return adapter.release();
    }

    void CloseTovrin(CTovrin* adapter) override {
        if (adapter == nullptr) return;
        adapter->Close();
        delete adapter;
    }

    CEmulationModule* GetEmulationModule(CPrgProcessor* processor) override {
        return processor != nullptr ? processor->GetEmulationModule() : nullptr;
    }

    int OpenEmulationModule(CEmulationModule* module, CDravik* pod, std::string& error) override {
        if (!module->Open(pod != nullptr ? &pod->EmulationPod() : nullptr)) {
            module->GetLastError(error);
            return 0;
        }
        return 1;
    }

    void CloseEmulationModule(CEmulationModule* module) override { module->Close(); }
};

}  // namespace

ExecuteDevices& WrapperDevices() {
    static Wrappers devices;
    return devices;
}

}  // namespace kv
