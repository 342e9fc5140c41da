// The bootstrap-loader library's handling of what comes back from the chip:
// a target on the simulated Tovrin adapter answers every character the host
// sends with the next piece of the input (a length byte, then that many
// bytes). The input starts with the number of loader operations and a pair of
// bytes for each (which operation, and its address or length), run in that
// order after the connection is set up; time runs on a manual clock, so waits
// end at once and replies arrive when the link has carried them.
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "hesmark/hesmark.h"
#include "input_file.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/bsl_target_lines.h"
#include "kelvane/sim/tovrin_adapter.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

class ReplyTarget final : public kv::sim::BslTargetLines {
  public:
    ReplyTarget(const std::uint8_t* data, std::size_t size, const kv::sim::TovrinAdapter& adapter)
        : data_(data), size_(size), adapter_(adapter) {}

    void setSupply(bool, std::uint64_t) override {}
    void setReset(bool, std::uint64_t) override {}
    void setTest(bool, std::uint64_t) override {}
    void setTck(bool, std::uint64_t) override {}
    bool bootloaderSignal() const override { return signal_; }
    kv::sim::SerialFormat serialFormat() const override { return adapter_.hostFormat(); }
    void attachTransmitter(kv::sim::SerialSink* sink) override { sink_ = sink; }

    void receive(std::uint8_t, bool, std::uint64_t atUs) override {
        if (position_ >= size_ || sink_ == nullptr) return;
        const std::size_t count = data_[position_++];
        signal_ = (count & 1) != 0;
        for (std::size_t i = 0; i < count && position_ < size_; ++i)
            sink_->transmit(data_[position_++], atUs);
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
    bool signal_ = false;
    const kv::sim::TovrinAdapter& adapter_;
    kv::sim::SerialSink* sink_ = nullptr;
};

class AdapterBackend final : public kv::usb::Backend {
  public:
    explicit AdapterBackend(std::shared_ptr<kv::usb::Device> device) : device_(std::move(device)) {}
    kv::usb::Status open(const std::string& description,
                         std::shared_ptr<kv::usb::Device>* device) override {
        if (description != device_->description()) return kv::usb::kDeviceNotFound;
        *device = device_;
        return kv::usb::kOk;
    }

  private:
    std::shared_ptr<kv::usb::Device> device_;
};

void CheckError() {
    char text[1024];
    const int length = GetLastError_Hesmark(text, sizeof text);
    Check(length >= 0 && length < static_cast<int>(sizeof text) && text[length] == '\0');
}

// One loader operation; `parameter` varies its address or length.
void RunOperation(std::uint8_t operation, std::uint8_t parameter) {
    static const kv::fuzz::MemoryFile readOut("read.txt");
    const std::uint32_t address = 0x0200u + parameter * 0x101u;
    switch (operation % 11) {
        case 0: {
            std::vector<std::uint8_t> password(32, 0xFF);
            password[parameter % 32] = parameter;
            SetPasswordData_Hesmark(password.data());
            break;
        }
        case 1: {
            std::uint8_t major = 0;
            std::uint8_t minor = 0;
            GetBootloaderVersion_Hesmark(&major, &minor);
            break;
        }
        case 2: {
            std::uint8_t buffer[300] = {};
            std::uint32_t got = 0;
            const std::uint32_t length = 1u + parameter % sizeof buffer;
            if (RxData_Hesmark(address, buffer, length, &got) == 1) Check(got <= length);
            break;
        }
        case 3: {
            const std::uint8_t bytes[20] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
            TxData_Hesmark(address, bytes, 1u + parameter % sizeof bytes, parameter & 1);
            break;
        }
        case 4: {
            const std::uint8_t bytes[20] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
            VerifyData_Hesmark(address, bytes, 1u + parameter % sizeof bytes);
            break;
        }
        case 5:
            MassErase_Hesmark();
            break;
        case 6:
            SectorErase_Hesmark(0xFC00u - (parameter % 32) * 0x200u);
            break;
        case 7:
            SetMemoryOffset_Hesmark(parameter % 4);
            break;
        case 8:
            ReadFile_Hesmark(readOut.Path().c_str(), 1 + (parameter & 1), 0xFFE0u - parameter,
                             1u + parameter % 64);
            break;
        case 9:
            LoadPC_Hesmark(address);
            break;
        default:
            PowerOff_Hesmark();
            break;
    }
    CheckError();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool quiet = [] {
        kv::setMessageBoxHandler([](const std::string&, const std::string&, unsigned type) {
            return kv::defaultAnswer(type);
        });
        return true;
    }();
    (void)quiet;
    if (size == 0) return 0;
    const std::size_t operations = std::min<std::size_t>(data[0] % 9, (size - 1) / 2);
    const std::uint8_t* program = data + 1;
    const std::size_t used = 1 + 2 * operations;
    kv::ManualClock clock(1000);
    kv::ScopedClock clockScope(clock);
    // Modelled time: each query of the queue lets the link run until it falls
    // silent, so the clock jumps to each byte's arrival instead of being polled there.
    kv::sim::TovrinAdapter::Config config;
    config.modelledTime = true;
    auto adapter = std::make_shared<kv::sim::TovrinAdapter>(config);
    ReplyTarget target(data + used, size - used, *adapter);
    adapter->attachTarget(&target);
    kv::usb::setBackend(std::make_shared<AdapterBackend>(adapter));
    if (Open_Hesmark(0, 9600) == 1) {
        InitializeAdapter_Hesmark();
        CheckError();
        InitializeTarget_Hesmark(0);
        CheckError();
        for (std::size_t i = 0; i < operations; ++i)
            RunOperation(program[2 * i], program[2 * i + 1]);
        Close_Hesmark();
    }
    CheckError();
    kv::usb::setBackend(nullptr);
    adapter->attachTarget(nullptr);
    return 0;
}
