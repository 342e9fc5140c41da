#include "hesmark_fixture.h"

#include <fstream>
#include <sstream>

#include <unistd.h>

#include "kelvane/platform/usb_backend.h"

namespace hesmarktest {

namespace {

kv::sim::DeviceProfile WithLoaderVersion(const char* name, uint8_t major, uint8_t minor) {
    kv::sim::DeviceProfile device = *kv::sim::findProfile(name);
    device.idBlock[10] = major;
    device.idBlock[11] = minor;
    return device;
}

void Record(void* user, uint32_t, uint32_t kind, const void* record) {
    auto* notices = static_cast<std::vector<Notice>*>(user);
    if (kind == HESMARK_NOTIFY_PROGRESS) {
        const auto* p = static_cast<const HesmarkProgressNotice*>(record);
        EXPECT_EQ(p->scale, 100);
        notices->push_back({kind, 0, "", p->operation, p->value});
    } else {
        const auto* t = static_cast<const HesmarkTextNotice*>(record);
        notices->push_back({kind, t->flag, t->text, 0, 0});
    }
}

}  // namespace

kv::sim::DeviceProfile OldLoaderChip() {
    return *kv::sim::findProfile("MSP430F149");
}
kv::sim::DeviceProfile NewLoaderChip() {
    return WithLoaderVersion("MSP430F149", 0x01, 0x61);
}
kv::sim::DeviceProfile LockAChip() {
    return *kv::sim::findProfile("MSP430F2274");
}
kv::sim::DeviceProfile BigChip() {
    return WithLoaderVersion("MSP430FG4619", 0x02, 0x12);
}

ChipBench::ChipBench(const kv::sim::DeviceProfile& device, bool testPin)
    : chip(device),
      loader(chip, kv::sim::LoaderProfile::forChip(device, testPin)),
      adapter(std::make_shared<kv::sim::TovrinAdapter>()) {
    adapter->attachTarget(&loader);
    kv::usb::setBackend(std::make_shared<kv::sim::testing::SingleDeviceBackend>(adapter));
    previousHandler_ = kv::setMessageBoxHandler(
        [this](const std::string& text, const std::string& caption, unsigned type) {
            boxes.push_back({text, caption, type});
            return kv::defaultAnswer(type);
        });
}

ChipBench::~ChipBench() {
    kv::setMessageBoxHandler(previousHandler_);
    kv::usb::setBackend(nullptr);
    adapter->attachTarget(nullptr);
}

HesmarkTest::HesmarkTest(const kv::sim::DeviceProfile& device, bool testPin)
    : bench(device, testPin) {}

void HesmarkTest::SetUp() {
    uint32_t on = 1;
    for (uint32_t option : {1u, 2u, 3u})
        ASSERT_EQ(SetOption_Hesmark(option, &on), 1);
    ASSERT_EQ(
        RegisterHWND_Hesmark(Record, &notices, HESMARK_DEFAULT_MESSAGE,
                             HESMARK_NOTIFY_LOG | HESMARK_NOTIFY_APPEND | HESMARK_NOTIFY_PROGRESS),
        1);
    dir = std::filesystem::temp_directory_path() /
          ("hesmark_" + std::to_string(::getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
}

void HesmarkTest::TearDown() {
    Close_Hesmark();
    RegisterHWND_Hesmark(nullptr, nullptr, HESMARK_DEFAULT_MESSAGE, 0);
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

void HesmarkTest::Start() {
    ASSERT_EQ(Open_Hesmark(0, 9600), 1) << LastError();
    ASSERT_EQ(InitializeAdapter_Hesmark(), 1) << LastError();
    ASSERT_EQ(InitializeTarget_Hesmark(0), 1) << LastError();
    ASSERT_TRUE(bench.loader.running());
    ClearLogs();
}

void HesmarkTest::StartUnlocked() {
    Start();
    ASSERT_EQ(SetPasswordData_Hesmark(blank.data()), 1) << LastError();
    ClearLogs();
}

std::string HesmarkTest::LastError() {
    char buffer[1024];
    GetLastError_Hesmark(buffer, sizeof buffer);
    return buffer;
}

std::vector<Frame> HesmarkTest::Frames() const {
    const std::vector<uint8_t> bytes =
        bench.adapter->wireBytes(kv::sim::TovrinAdapter::Direction::ToTarget);
    std::vector<Frame> frames;
    // Every frame follows its own sync byte.
    for (size_t i = 0; i + 9 < bytes.size();) {
        const size_t at = i + 1;
        const size_t n = bytes[at + 2] - 4u;
        if (at + 10 + n > bytes.size()) break;
        Frame f{bytes[at + 1], static_cast<uint16_t>(bytes[at + 4] | (bytes[at + 5] << 8)),
                static_cast<uint16_t>(bytes[at + 6] | (bytes[at + 7] << 8)),
                std::vector<uint8_t>(bytes.begin() + static_cast<long>(at + 8),
                                     bytes.begin() + static_cast<long>(at + 8 + n))};
        frames.push_back(std::move(f));
        i = at + 10 + n;
    }
    return frames;
}

std::vector<Frame> HesmarkTest::Frames(uint8_t command) const {
    std::vector<Frame> out;
    for (Frame& f : Frames())
        if (f.command == command) out.push_back(std::move(f));
    return out;
}

std::vector<std::string> HesmarkTest::Logs() const {
    std::vector<std::string> out;
    for (const Notice& n : notices)
        if (n.kind == HESMARK_NOTIFY_LOG) out.push_back(n.text);
    return out;
}

std::vector<int32_t> HesmarkTest::Progress(int32_t operation) const {
    std::vector<int32_t> out;
    for (const Notice& n : notices)
        if (n.kind == HESMARK_NOTIFY_PROGRESS && n.operation == operation) out.push_back(n.value);
    return out;
}

void HesmarkTest::ClearLogs() {
    notices.clear();
    bench.adapter->clearLogs();
}

std::string HesmarkTest::TempPath(const std::string& name) const {
    return (dir / name).string();
}

void HesmarkTest::WriteText(const std::string& path, const std::string& text) const {
    std::ofstream(path, std::ios::binary) << text;
}

std::string HesmarkTest::ReadText(const std::string& path) const {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<uint8_t> HesmarkTest::Peek(uint32_t address, size_t count) const {
    std::vector<uint8_t> out(count);
    for (size_t i = 0; i < count; ++i)
        out[i] = bench.chip.peek8(address + static_cast<uint32_t>(i));
    return out;
}

}  // namespace hesmarktest
