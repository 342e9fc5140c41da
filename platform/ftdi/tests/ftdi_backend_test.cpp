// The FTDI backend through the USB stand-in's calls, over a scripted libftdi1:
// opening by exact description, the status codes the drivers print, reads from
// the read-ahead buffer within the read time-out, short reads and writes,
// time-outs, unplugging, and the line and modem calls.
#include <gtest/gtest.h>

#include <memory>

#include "fake_ftdi.h"
#include "ftdi_backend.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb.h"
#include "kelvane/platform/usb_backend.h"

namespace kv::usb {
namespace {

using testing::FakeChip;
using testing::FakeFtdi;
using testing::ReadReply;
using Calls = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

const char* const kPod = "Dravik - MSP430 Flash Programmer";

class FtdiBackendTest : public ::testing::Test {
protected:
    FtdiBackendTest() : scope(manual) { setBackend(std::make_shared<FtdiBackend>(bus.api())); }
    ~FtdiBackendTest() override {
        for (Handle h : opened)
            close(h);
        setBackend(nullptr);
        EXPECT_EQ(bus.foreignOpens, 0) << "a device opened outside the context that listed it";
        EXPECT_EQ(bus.freedWhileOpen, 0) << "a context freed under its open device";
        EXPECT_EQ(bus.liveLists, 0) << "a device list left unfreed";
        EXPECT_EQ(bus.liveContexts, 0);
    }
    Status Open(const char* description, Handle* h) {
        const Status s = open(description, kOpenByDescription, h);
        if (s == kOk) opened.push_back(*h);
        return s;
    }
    // Opens the chip and forgets the calls of the open.
    Handle OpenChip(FakeChip& chip) {
        Handle h = 0;
        EXPECT_EQ(Open(chip.description.c_str(), &h), kOk);
        chip.calls.clear();
        return h;
    }
    void Close(Handle h) {
        close(h);
        std::erase(opened, h);
    }

    FakeFtdi bus;
    ManualClock manual{1000};
    ScopedClock scope;
    std::vector<Handle> opened;
};

TEST_F(FtdiBackendTest, OpensTheDeviceWithExactlyTheDescription) {
    FakeChip& longer = bus.plug(std::string(kPod) + " B");
    FakeChip& shortName = bus.plug("Dravik");
    FakeChip& pod = bus.plug(kPod);
    Handle h = 0;
    ASSERT_EQ(Open(kPod, &h), kOk);
    EXPECT_NE(h, 0u);
    EXPECT_EQ(pod.calls, (Calls{"open", "timeouts 500 10000", "bitmode reset", "flow off",
                                "latency 2", "event char 0"}));
    EXPECT_EQ(longer.openCount, 0);
    EXPECT_EQ(shortName.openCount, 0);
    EXPECT_EQ(bus.liveContexts, 1) << "the open device keeps the context that listed it";
    EXPECT_EQ(bus.liveLists, 0);

    Handle second = 0;
    ASSERT_EQ(Open("Dravik", &second), kOk);
    EXPECT_EQ(shortName.openCount, 1);
    EXPECT_EQ(Open("Tovrin - MSP430 Flash Bootloader", &h), kDeviceNotFound);

    EXPECT_EQ(bus.liveContexts, 2);
    Close(second);
    EXPECT_EQ(shortName.calls.back(), "close");
    EXPECT_FALSE(shortName.open);
    EXPECT_EQ(bus.liveContexts, 1);
}

TEST_F(FtdiBackendTest, NoBusOrNoDeviceIsNotFound) {
    Handle h = 0;
    EXPECT_EQ(Open(kPod, &h), kDeviceNotFound) << "an empty bus";
    bus.noBus = true;
    EXPECT_EQ(Open(kPod, &h), kDeviceNotFound) << "libusb reaches no bus";
    bus.noBus = false;
    bus.plug(kPod);
    bus.findResult = -5;
    EXPECT_EQ(Open(kPod, &h), kDeviceNotFound) << "the device list cannot be had";
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(bus.liveContexts, 0);
}

TEST_F(FtdiBackendTest, DeviceThatCannotBeOpenedIsNotOpened) {
    FakeChip& locked = bus.plug("Some other FTDI device");
    locked.stringsResult = -4;  // no access to ask it, nor to its kernel copy
    Handle h = 0;
    EXPECT_EQ(Open(kPod, &h), kDeviceNotFound)
        << "only a device with the description decides that it cannot be opened";

    FakeChip& pod = bus.plug(kPod);
    pod.openResult = -5;  // claimed by another program
    EXPECT_EQ(Open(kPod, &h), kDeviceNotOpened);
    EXPECT_EQ(bus.liveContexts, 0);
    EXPECT_EQ(takeOpenProblems(), std::string(kPod) + ": in use by another program");

    pod.openResult = kFtdiNoAccess;  // the node is not this user's to open
    EXPECT_EQ(Open(kPod, &h), kDeviceNotOpened);
    EXPECT_EQ(takeOpenProblems(),
              std::string(kPod) +
                  ": this user may not open /dev/bus/usb/001/003 (install the "
                  "udev rule 60-kelvane.rules, join the plugdev group, then log "
                  "in again and plug the device in again)");

    // A second device of that description is taken when the first is busy.
    pod.openResult = -5;
    FakeChip& spare = bus.plug(kPod);
    EXPECT_EQ(Open(kPod, &h), kOk);
    EXPECT_TRUE(spare.open);
    EXPECT_EQ(takeOpenProblems(), std::string(kPod) + ": in use by another program")
        << "the busy one passed over is told";
    EXPECT_EQ(takeOpenProblems(), "") << "once";
}

TEST_F(FtdiBackendTest, ResetPurgeBaudAndDataCharacteristics) {
    FakeChip& chip = bus.plug("Tovrin - MSP430 Flash Bootloader");
    const Handle h = OpenChip(chip);
    EXPECT_EQ(resetDevice(h), kOk);
    EXPECT_EQ(purge(h, kPurgeRx | kPurgeTx), kOk);
    EXPECT_EQ(purge(h, kPurgeTx), kOk);
    EXPECT_EQ(setBaudRate(h, 9600), kOk);
    EXPECT_EQ(setDataCharacteristics(h, kBits8, kStopBits1, kParityEven), kOk);
    EXPECT_EQ(setDataCharacteristics(h, kBits7, kStopBits2, kParityOdd), kOk);
    EXPECT_EQ(setDataCharacteristics(h, kBits8, kStopBits1, kParitySpace), kOk);
    // The read in flight is given up first: what it brought came before.
    EXPECT_EQ(chip.calls, (Calls{"drop read", "reset", "drop read", "flush received",
                                 "flush transmit", "flush transmit", "baud 9600", "line 8 1 even",
                                 "line 7 2 odd", "line 8 1 space"}));
    chip.calls.clear();

    EXPECT_EQ(setDataCharacteristics(h, 6, kStopBits1, kParityNone), kInvalidParameter);
    EXPECT_EQ(setDataCharacteristics(h, kBits8, 1, kParityNone), kInvalidParameter);
    EXPECT_EQ(setDataCharacteristics(h, kBits8, kStopBits1, 5), kInvalidParameter);
    EXPECT_EQ(setBaudRate(h, 0), kInvalidBaudRate);
    EXPECT_TRUE(chip.calls.empty()) << "bad settings never reach the chip";

    chip.baudResult = -1;  // a rate the chip cannot make
    EXPECT_EQ(setBaudRate(h, 12345678), kInvalidBaudRate);
    chip.baudResult = -2;
    EXPECT_EQ(setBaudRate(h, 9600), kIoError);
    chip.resetResult = -1;
    EXPECT_EQ(resetDevice(h), kIoError);
    chip.flushResult = -1;
    EXPECT_EQ(purge(h, kPurgeRx), kIoError);
    chip.lineResult = -1;
    EXPECT_EQ(setDataCharacteristics(h, kBits8, kStopBits1, kParityEven), kIoError);
}

TEST_F(FtdiBackendTest, ReadsWaitUpToTheReadTimeoutAndMayComeShort) {
    FakeChip& chip = bus.plug(kPod);
    const Handle h = OpenChip(chip);
    ASSERT_EQ(setTimeouts(h, 5000, 0), kOk);
    EXPECT_EQ(chip.calls, (Calls{"timeouts 500 10000"})) << "write time-out 0: no limit of the host's";

    // The reply arrives in pieces, with empty USB reads and a libusb
    // time-out between them.
    chip.reads = {{{19, 20}}, {}, {{}, kFtdiTimedOut}, {{21}}};
    uint8_t buffer[8] = {};
    uint32_t got = 0;
    ASSERT_EQ(read(h, buffer, 3, &got), kOk);
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(Bytes(buffer, buffer + 3), (Bytes{19, 20, 21}));
    EXPECT_LT(ticksSince(1000, manual.tickCount()), 10u);
    EXPECT_EQ(chip.readWaits, (std::vector<int>{0, 5000, 4999, 4998}))
        << "what has come is taken at once; a wait hands the rest of the read time-out to "
           "the transfer in flight";

    // Fewer bytes than asked: the read ends at the read time-out with them.
    chip.reads = {{{1, 2}}};
    const uint32_t start = manual.tickCount();
    ASSERT_EQ(read(h, buffer, 4, &got), kOk);
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(ticksSince(start, manual.tickCount()), 5000u);

    // A read time-out of 0 takes what is there without waiting.
    ASSERT_EQ(setTimeouts(h, 0, 0), kOk);
    chip.reads = {{{7}}};
    const uint32_t now = manual.tickCount();
    ASSERT_EQ(read(h, buffer, 2, &got), kOk);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(manual.tickCount(), now);
}

TEST_F(FtdiBackendTest, QueueStatusCountsTheReadAheadBuffer) {
    FakeChip& chip = bus.plug(kPod);
    const Handle h = OpenChip(chip);
    chip.reads = {{{1, 2, 3}}, {{4}}};
    uint32_t waiting = 0;
    ASSERT_EQ(getQueueStatus(h, &waiting), kOk);
    EXPECT_EQ(waiting, 3u);
    EXPECT_EQ(chip.readWaits, (std::vector<int>{0}))
        << "a queue query takes what the read in flight brought, without waiting for the chip";
    uint8_t buffer[4] = {};
    uint32_t got = 0;
    ASSERT_EQ(read(h, buffer, 2, &got), kOk);
    EXPECT_EQ(Bytes(buffer, buffer + got), (Bytes{1, 2}));
    ASSERT_EQ(getQueueStatus(h, &waiting), kOk);
    EXPECT_EQ(waiting, 2u) << "the byte left over and the one that came since";

    // Purging the receive side drops what the backend holds.
    ASSERT_EQ(purge(h, kPurgeRx), kOk);
    ASSERT_EQ(getQueueStatus(h, &waiting), kOk);
    EXPECT_EQ(waiting, 0u);
}

TEST_F(FtdiBackendTest, WritesReportWhatTheChipTook) {
    FakeChip& chip = bus.plug(kPod);
    const Handle h = OpenChip(chip);
    const uint8_t data[5] = {10, 11, 12, 13, 14};
    uint32_t written = 0;
    ASSERT_EQ(write(h, data, 5, &written), kOk);
    EXPECT_EQ(written, 5u);

    // The write time-out runs out after three bytes, then before any: short
    // writes, for the driver to judge, each after one wait only.
    chip.writeResults = {3, kFtdiTimedOut};
    ASSERT_EQ(write(h, data, 5, &written), kOk);
    EXPECT_EQ(written, 3u);
    ASSERT_EQ(write(h, data, 5, &written), kOk);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(chip.written, (Bytes{10, 11, 12, 13, 14, 10, 11, 12}));
    EXPECT_EQ(chip.writeSizes, (std::vector<int>{5, 5, 5}));
    // A time-out is not a lost device: the next calls reach the chip.
    chip.calls.clear();
    EXPECT_EQ(setRts(h), kOk);
    uint32_t waiting = 0;
    EXPECT_EQ(getQueueStatus(h, &waiting), kOk);
    ASSERT_EQ(write(h, data, 5, &written), kOk);
    EXPECT_EQ(written, 5u);
    EXPECT_EQ(chip.calls, (Calls{"rts 1"}));

    chip.writeResults = {kFtdiNoDevice};
    EXPECT_EQ(write(h, data, 5, &written), kIoError);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(setRts(h), kIoError) << "a device that is gone is gone";
}

TEST_F(FtdiBackendTest, UnpluggedDeviceFailsEveryCallUntilClosed) {
    FakeChip& chip = bus.plug(kPod);
    const Handle h = OpenChip(chip);
    ASSERT_EQ(setTimeouts(h, 5000, 0), kOk);
    chip.reads = {{{19}}, {{}, kFtdiNoDevice}};
    uint8_t buffer[4] = {};
    uint32_t got = 0;
    EXPECT_EQ(read(h, buffer, 4, &got), kIoError);
    EXPECT_EQ(got, 1u) << "the byte that came before the cable was pulled";
    EXPECT_LT(ticksSince(1000, manual.tickCount()), 10u) << "no wait for the full time-out";

    chip.unplugged = true;
    chip.calls.clear();
    const int readsBefore = chip.readCalls;
    uint32_t count = 0;
    EXPECT_EQ(write(h, buffer, 1, &count), kIoError);
    EXPECT_EQ(getQueueStatus(h, &count), kIoError);
    EXPECT_EQ(setRts(h), kIoError);
    EXPECT_EQ(resetDevice(h), kIoError);
    EXPECT_EQ(read(h, buffer, 1, &got), kIoError);
    EXPECT_EQ(chip.readCalls, readsBefore) << "a lost device is not asked again";
    EXPECT_TRUE(chip.calls.empty());
    EXPECT_EQ(close(h), kOk);
    std::erase(opened, h);
    EXPECT_EQ(bus.liveContexts, 0);

    Handle again = 0;
    EXPECT_EQ(Open(kPod, &again), kDeviceNotFound) << "gone from the bus";
}

TEST_F(FtdiBackendTest, ModemLinesAndStatus) {
    FakeChip& chip = bus.plug("Tovrin - MSP430 Flash Bootloader");
    const Handle h = OpenChip(chip);
    EXPECT_EQ(setRts(h), kOk);
    EXPECT_EQ(clrDtr(h), kOk);
    EXPECT_EQ(clrRts(h), kOk);
    EXPECT_EQ(setDtr(h), kOk);
    EXPECT_EQ(chip.calls, (Calls{"rts 1", "dtr 0", "rts 0", "dtr 1"}));

    // CTS and DSR active, a framing error in the line status byte.
    chip.modem = 0x0830;
    uint32_t status = 0;
    ASSERT_EQ(getModemStatus(h, &status), kOk);
    EXPECT_EQ(status, kModemCts | kModemDsr | 0x0800u);
    chip.modem = 0x00C1;
    ASSERT_EQ(getModemStatus(h, &status), kOk);
    EXPECT_EQ(status, kModemRi | kModemDcd) << "the chip's low bits carry no line";

    chip.modemResult = -1;
    EXPECT_EQ(getModemStatus(h, &status), kIoError);
    chip.rtsResult = -1;
    EXPECT_EQ(setRts(h), kIoError);
    chip.dtrResult = -2;
    EXPECT_EQ(clrDtr(h), kIoError);
}

}  // namespace
}  // namespace kv::usb
