#include "tovrin_bench.h"

#include "kelvane/platform/message_box.h"
#include "kelvane/platform/usb_backend.h"

namespace wrapperstest {

kv::sim::DeviceProfile ChipWithLoader(const char* name, uint8_t major, uint8_t minor) {
    kv::sim::DeviceProfile device = *kv::sim::findProfile(name);
    device.idBlock[10] = major;
    device.idBlock[11] = minor;
    return device;
}

TovrinBench::TovrinBench(const kv::sim::DeviceProfile& device, bool testPin,
                         kv::sim::TovrinAdapter::Config config)
    : chip(device),
      loader(chip, kv::sim::LoaderProfile::forChip(device, testPin)),
      adapter(std::make_shared<kv::sim::TovrinAdapter>(config)) {
    adapter->attachTarget(&loader);
    kv::usb::setBackend(std::make_shared<kv::sim::testing::SingleDeviceBackend>(adapter));
    previousHandler_ = kv::setMessageBoxHandler(
        [this](const std::string& text, const std::string&, unsigned type) {
            boxes.push_back(text);
            return kv::defaultAnswer(type);
        });
}

TovrinBench::~TovrinBench() {
    kv::setMessageBoxHandler(previousHandler_);
    kv::usb::setBackend(nullptr);
    adapter->attachTarget(nullptr);
}

std::vector<Frame> TovrinBench::Frames() const {
    const std::vector<uint8_t> bytes =
        adapter->wireBytes(kv::sim::TovrinAdapter::Direction::ToTarget);
    std::vector<Frame> frames;
    // Every frame follows its own sync byte: 80 cmd L1 L2 AL AH LL LH data CKL CKH.
    for (size_t i = 0; i + 9 < bytes.size();) {
        const size_t at = i + 1;
        const size_t n = bytes[at + 2] - 4u;
        if (at + 10 + n > bytes.size()) break;
        frames.push_back({bytes[at + 1],
                          static_cast<uint32_t>(bytes[at + 4] | (bytes[at + 5] << 8)),
                          static_cast<uint32_t>(bytes[at + 6] | (bytes[at + 7] << 8)),
                          std::vector<uint8_t>(bytes.begin() + static_cast<long>(at + 8),
                                               bytes.begin() + static_cast<long>(at + 8 + n))});
        i = at + 10 + n;
    }
    return frames;
}

std::vector<Frame> TovrinBench::Frames(uint8_t command) const {
    std::vector<Frame> out;
    for (Frame& f : Frames())
        if (f.command == command) out.push_back(std::move(f));
    return out;
}

std::vector<uint8_t> TovrinBench::Peek(uint32_t address, size_t count) const {
    std::vector<uint8_t> out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = chip.peek8(address + static_cast<uint32_t>(i));
    return out;
}

}  // namespace wrapperstest
