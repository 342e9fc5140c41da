// What the pod wrapper hands to the flash exports: segment alignment, the mass
// erase range and the verify after a write. The test program provides its own
// Nandrel_Erase, Nandrel_Identify, Nandrel_WriteMemory and Nandrel_VerifyMem,
// which take precedence over the library's and record their arguments; the
// rest of the chain is the real library on the simulated pod.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "kelvane/core/dravik.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_backend.h"

namespace {

struct EraseCall {
    int32_t type;
    uint32_t address, length;
    bool operator==(const EraseCall&) const = default;
};

struct Recorder {
    std::vector<EraseCall> erases;
    std::vector<uint32_t> writes, verifies;
    uint16_t mainStart = 0x1100;
    bool writeFails = false, verifyFails = false;
};

Recorder recorder;

int32_t FailWith(NANDREL_HANDLE target, int32_t number) {
    Nandrel_SetLastTargetErrorNumber(target, number);
    return 0;
}

}  // namespace

extern "C" {

int32_t Nandrel_Erase(NANDREL_HANDLE, int32_t type, uint32_t address, uint32_t length) {
    recorder.erases.push_back({type, address, length});
    return 1;
}

int32_t Nandrel_Identify(NANDREL_HANDLE, DeviceRecord* record, uint32_t recordSize, int32_t) {
    EXPECT_EQ(recordSize, 80u);
    std::memset(record, 0, sizeof *record);
    record->mark = 0xAA55;
    std::strcpy(record->name, "MSP430F149");
    record->mainStart = recorder.mainStart;
    return 1;
}

int32_t Nandrel_WriteMemory(NANDREL_HANDLE target, uint32_t address, const uint8_t*, uint32_t) {
    recorder.writes.push_back(address);
    return recorder.writeFails ? FailWith(target, 7) : 1;
}

int32_t Nandrel_VerifyMem(NANDREL_HANDLE target, uint32_t address, uint32_t, const uint8_t*) {
    recorder.verifies.push_back(address);
    return recorder.verifyFails ? FailWith(target, 28) : 1;
}

}  // extern "C"

namespace {

class DravikArguments : public ::testing::Test {
  protected:
    void SetUp() override {
        recorder = Recorder{};
        kv::usb::setBackend(backend);
        backend->plug(std::make_shared<kv::sim::DravikPod>());
        ASSERT_EQ(pod.Reopen(), 1) << pod.GetErrorText();
    }
    void TearDown() override {
        pod.Close();
        kv::usb::setBackend(nullptr);
    }

    EraseCall EraseSegmentAt(uint32_t address, uint32_t length = 2) {
        recorder.erases.clear();
        EXPECT_EQ(pod.EraseSegment(address, length), 1);
        return recorder.erases.empty() ? EraseCall{-1, 0, 0} : recorder.erases.back();
    }

    kv::ManualClock manual{1000};
    kv::ScopedClock scope{manual};
    std::shared_ptr<kv::sim::SimBackend> backend = std::make_shared<kv::sim::SimBackend>();
    kv::CDravik pod;
};

TEST_F(DravikArguments, SegmentEraseStartsAtTheSegmentOfTheAddress) {
    EXPECT_EQ(EraseSegmentAt(0x1080), (EraseCall{NANDREL_ERASE_SEGMENT, 0x1080, 2}));
    EXPECT_EQ(EraseSegmentAt(0x10FF), (EraseCall{NANDREL_ERASE_SEGMENT, 0x1080, 2 + 0x7F}));
    EXPECT_EQ(EraseSegmentAt(0x1000), (EraseCall{NANDREL_ERASE_SEGMENT, 0x1000, 2}));
    EXPECT_EQ(EraseSegmentAt(0xFFFF), (EraseCall{NANDREL_ERASE_SEGMENT, 0xFE00, 2 + 0x1FF}));
    EXPECT_EQ(EraseSegmentAt(0xF000, 0x400), (EraseCall{NANDREL_ERASE_SEGMENT, 0xF000, 0x400}));
    EXPECT_EQ(EraseSegmentAt(0x1300), (EraseCall{NANDREL_ERASE_SEGMENT, 0x1200, 2 + 0x100}));
}

TEST_F(DravikArguments, SegmentEraseInMainFlashNeverReachesInformationFlash) {
    EXPECT_EQ(EraseSegmentAt(0x1100), (EraseCall{NANDREL_ERASE_SEGMENT, 0x1100, 2}));
    EXPECT_EQ(EraseSegmentAt(0x11F0, 0x10), (EraseCall{NANDREL_ERASE_SEGMENT, 0x1100, 0x100}));
}

TEST_F(DravikArguments, MassEraseRunsFromTheIdentifiedMainFlashStart) {
    std::string name;
    ASSERT_EQ(pod.Identify(name), 1);
    EXPECT_EQ(name, "MSP430F149");
    EXPECT_EQ(pod.GetDeviceRecord().mainStart, 0x1100);
    ASSERT_EQ(pod.EraseAll(), 1);
    EXPECT_EQ(recorder.erases.back(), (EraseCall{NANDREL_ERASE_ALL, 0x1100, 0xEF00}));

    recorder.mainStart = 0x8000;
    ASSERT_EQ(pod.Identify(name), 1);
    ASSERT_EQ(pod.EraseAll(), 1);
    EXPECT_EQ(recorder.erases.back(), (EraseCall{NANDREL_ERASE_ALL, 0x8000, 0x8000}));

    ASSERT_EQ(pod.EraseMain(0x1100, 0xEF00), 1);
    EXPECT_EQ(recorder.erases.back(), (EraseCall{NANDREL_ERASE_MAIN, 0x1100, 0xEF00}));
}

TEST_F(DravikArguments, WriteIsAlwaysVerified) {
    const uint8_t data[4] = {1, 2, 3, 4};
    ASSERT_EQ(pod.WriteMemory(data, 0x0200, 4), 1);
    EXPECT_EQ(recorder.writes, (std::vector<uint32_t>{0x0200}));
    EXPECT_EQ(recorder.verifies, (std::vector<uint32_t>{0x0200}));

    recorder.verifyFails = true;
    EXPECT_EQ(pod.WriteMemory(data, 0x0300, 4), 0);
    EXPECT_EQ(pod.GetErrorText(), "Unable to verify WriteMemory (28)\nVerification error");
    EXPECT_EQ(pod.GetLastErrorNumber(), 28);

    recorder.writeFails = true;
    recorder.verifies.clear();
    EXPECT_EQ(pod.WriteMemory(data, 0x0400, 4), 0);
    EXPECT_EQ(pod.GetErrorText(),
              "Unable to perform WriteMemory (7)\nCould not write device memory");
    EXPECT_TRUE(recorder.verifies.empty()) << "a failed write is not verified";
}

}  // namespace
