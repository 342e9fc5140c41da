#include "bsl_bench.h"

namespace kv::sim::testing {

kv::usb::Status SingleDeviceBackend::open(const std::string& description,
                                          std::shared_ptr<kv::usb::Device>* device) {
    if (!device_ || description != device_->description()) return kv::usb::kDeviceNotFound;
    *device = device_;
    return kv::usb::kOk;
}

BslBench::BslBench(LoaderProfile profile, FlashTestBus::Layout layout, uint32_t startTick,
                   TovrinAdapter::Config adapterConfig)
    : clock(startTick),
      clockScope(clock),
      bus(layout),
      loader(bus, std::move(profile)),
      adapter(std::make_shared<TovrinAdapter>(adapterConfig)) {
    adapter->attachTarget(&loader);
    kv::usb::setBackend(std::make_shared<SingleDeviceBackend>(adapter));
    previousHandler_ = kv::setMessageBoxHandler(
        [this](const std::string& text, const std::string& caption, unsigned type) {
            boxes.push_back({text, caption, type});
            return kv::defaultAnswer(type);
        });
}

BslBench::~BslBench() {
    kv::setMessageBoxHandler(previousHandler_);
    kv::usb::setBackend(nullptr);
    adapter->attachTarget(nullptr);
}

void BslBench::unplugAdapter() {
    kv::usb::setBackend(std::make_shared<SingleDeviceBackend>(nullptr));
}

}  // namespace kv::sim::testing
