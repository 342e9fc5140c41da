// The USB backend of the simulated devices: holds the devices plugged into it
// and opens them by their description. Tests install one with
// kv::usb::setBackend(std::make_shared<kv::sim::SimBackend>()); programs get
// one from libkelvane_simusb.so when KELVANE_USB=sim:<config> is set.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kelvane/platform/usb_backend.h"

namespace kv::sim {

class SimBackend : public kv::usb::Backend {
  public:
    SimBackend() = default;

    // Plugs a device in; a device with the same description is replaced.
    void plug(std::shared_ptr<kv::usb::Device> device);
    // Pulls out the device with this description; false when there is none.
    bool unplug(const std::string& description);
    std::shared_ptr<kv::usb::Device> find(const std::string& description) const;
    template <typename T>
    std::shared_ptr<T> findAs(const std::string& description) const {
        return std::dynamic_pointer_cast<T>(find(description));
    }

    // Makes every open by this description fail with `status` (kOk: no longer).
    void failOpen(const std::string& description, kv::usb::Status status);
    // Descriptions asked for, in order, since construction.
    std::vector<std::string> openAttempts() const;

    kv::usb::Status open(const std::string& description,
                         std::shared_ptr<kv::usb::Device>* device) override;

  private:
    mutable std::mutex mutex_;
    std::vector<std::shared_ptr<kv::usb::Device>> devices_;
    std::map<std::string, kv::usb::Status> openFailures_;
    std::vector<std::string> attempts_;
};

// Builds the simulated devices a configuration text names into `backend`.
// The text is a comma-separated list of items (see sim_config.cpp); returns
// false with `error` set when an item is not understood.
bool configureSimBackend(const std::string& config, SimBackend& backend, std::string* error);

}  // namespace kv::sim

// The factory that the USB stand-in looks up in libkelvane_simusb.so; returns
// null (and prints why on standard error) for a configuration it cannot read.
extern "C" kv::usb::Backend* kelvane_simusb_create(const char* config);
