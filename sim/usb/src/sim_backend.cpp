#include "kelvane/sim/sim_backend.h"

#include <algorithm>

namespace kv::sim {

void SimBackend::plug(std::shared_ptr<kv::usb::Device> device) {
    if (!device) return;
    const std::string description = device->description();
    std::lock_guard lock(mutex_);
    std::erase_if(devices_, [&](const auto& d) { return d->description() == description; });
    devices_.push_back(std::move(device));
}

bool SimBackend::unplug(const std::string& description) {
    std::lock_guard lock(mutex_);
    return std::erase_if(devices_, [&](const auto& d) { return d->description() == description; }) >
           0;
}

std::shared_ptr<kv::usb::Device> SimBackend::find(const std::string& description) const {
    std::lock_guard lock(mutex_);
    for (const auto& d : devices_)
        if (d->description() == description) return d;
    return nullptr;
}

void SimBackend::failOpen(const std::string& description, kv::usb::Status status) {
    std::lock_guard lock(mutex_);
    if (status == kv::usb::kOk)
        openFailures_.erase(description);
    else
        openFailures_[description] = status;
}

std::vector<std::string> SimBackend::openAttempts() const {
    std::lock_guard lock(mutex_);
    return attempts_;
}

kv::usb::Status SimBackend::open(const std::string& description,
                                 std::shared_ptr<kv::usb::Device>* device) {
    std::lock_guard lock(mutex_);
    attempts_.push_back(description);
    auto failure = openFailures_.find(description);
    if (failure != openFailures_.end()) return failure->second;
    for (const auto& d : devices_) {
        if (d->description() == description) {
            *device = d;
            return kv::usb::kOk;
        }
    }
    return kv::usb::kDeviceNotFound;
}

}  // namespace kv::sim
