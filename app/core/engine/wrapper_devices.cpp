#include "engine/wrapper_devices.h"

#include <map>
#include <memory>

#include "kelvane/core/dravik.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/emulation_pod.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/tovrin.h"

namespace kv {

namespace {

// The pod as the emulation module drives it.
class DravikEmulationPod : public CEmulationPod {
  public:
    explicit DravikEmulationPod(CDravik* pod) : pod_(pod) {}

    int InitEEM(NandrelEemCallback callback, std::uint32_t clientValue,
                const EemMessageNumbers* messages) override {
        return pod_->InitEEM(callback, clientValue, messages);
    }
    int CloseEEM() override { return pod_->CloseEEM(); }
    int SetBreakpoint(std::uint16_t* handle, const BreakpointRecord* definition) override {
        return pod_->SetBreakpoint(handle, definition);
    }
    int Run(std::int32_t mode, std::int32_t releaseJTAG) override {
        return pod_->Run(mode, releaseJTAG);
    }
    int State(std::int32_t* state, std::int32_t stop, std::uint32_t* cycles) override {
        std::int32_t stateValue = 0;
        std::uint32_t cycleCount = 0;
        int ok = pod_->State(stateValue, stop, cycleCount);
        if (state != nullptr) *state = stateValue;
        if (cycles != nullptr) *cycles = cycleCount;
        return ok;
    }
    std::string TakeLastError() override { return pod_->TakeLastError(); }

  private:
    CDravik* pod_;
};

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
        std::unique_ptr<DravikEmulationPod>& bound = pods_[module];
        bound = pod != nullptr ? std::make_unique<DravikEmulationPod>(pod) : nullptr;
        if (!module->Open(bound.get())) {
            module->GetLastError(error);
            pods_.erase(module);
            return 0;
        }
        return 1;
    }

    void CloseEmulationModule(CEmulationModule* module) override {
        module->Close();
        pods_.erase(module);
    }

  private:
    // The emulation modules are shared; each bound one drives its run's pod.
    std::map<CEmulationModule*, std::unique_ptr<DravikEmulationPod>> pods_;
};

}  // namespace

ExecuteDevices& WrapperDevices() {
    static Wrappers devices;
    return devices;
}

}  // namespace kv
