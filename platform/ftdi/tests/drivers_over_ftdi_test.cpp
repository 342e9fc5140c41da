// The pod and adapter drivers over the FTDI backend, with libftdi1 replaced by
// the scripted double: each D2XX-style call of the libraries becomes the
// libftdi1 call it stands for. The pod's far end is the simulated pod.
#include <gtest/gtest.h>

#include <memory>

#include "fake_ftdi.h"
#include "ftdi_backend.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/dravik_pod.h"
#include "nandrel/nandrel.h"
#include "tovrin/tovrin.h"

namespace kv::usb {
namespace {

using testing::FakeChip;
using testing::FakeFtdi;
using Calls = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;

class DriversOverFtdi : public ::testing::Test {
protected:
    DriversOverFtdi() : scope(manual) { setBackend(std::make_shared<FtdiBackend>(bus.api())); }
    ~DriversOverFtdi() override { setBackend(nullptr); }

    static std::string TovrinError() {
        char text[256] = {};
        Tovrin_GetLastError(text, sizeof text);
        return text;
    }
    // The first `n` calls the chip saw.
    static Calls First(const FakeChip& chip, size_t n) {
        return Calls(chip.calls.begin(),
                     chip.calls.begin() + static_cast<long>(std::min(n, chip.calls.size())));
    }

    FakeFtdi bus;
    ManualClock manual{1000};
    ScopedClock scope;
};

TEST_F(DriversOverFtdi, PodOpensThroughLibftdi) {
    kv::sim::DravikPod pod;
    pod.open();
    FakeChip& chip = bus.plug(kv::sim::kDravikDescription);
    // The chip hands every write to the simulated pod and its reply back.
    chip.onWrite = [&pod, &chip](const Bytes& bytes) {
        size_t taken = 0;
        pod.write(bytes.data(), bytes.size(), &taken);
        Bytes reply(pod.rxAvailable());
        reply.resize(pod.read(reply.data(), reply.size()));
        if (!reply.empty()) chip.reads.push_back({reply});
    };
    ASSERT_EQ(Nandrel_OpenModule(), 1);
    NANDREL_HANDLE i = Nandrel_OpenInterface(0);
    ASSERT_NE(i, nullptr);
    NANDREL_HANDLE port = Nandrel_OpenPort(i, 0);
    ASSERT_NE(port, nullptr) << Nandrel_GetLastInterfaceError(i);
    EXPECT_STREQ(Nandrel_GetPortFirmwareVersion(port), "DRV-1P-A02.03.03");
    // Opened by its description, reset, time-outs set (read 5000 ms, write 0:
    // no limit of the driver's), both buffers purged (the read in flight
    // given up first).
    EXPECT_EQ(First(chip, 12),
              (Calls{"open", "timeouts 500 10000", "bitmode reset", "flow off", "latency 2",
                     "event char 0", "drop read", "reset", "timeouts 500 10000", "drop read", "flush received",
                     "flush transmit"}));
    EXPECT_EQ(pod.commands(), (Bytes{18, 20, 12, 20, 30, 30, 20, 20, 22}));
    Nandrel_ClosePort(port);
    EXPECT_FALSE(chip.open);
    Nandrel_CloseInterface(i);
    Nandrel_CloseModule();
    EXPECT_EQ(bus.liveContexts, 0);
}

TEST_F(DriversOverFtdi, PodNotAttachedGivesTheOpenFailure) {
    bus.plug("Some other FTDI device");
    ASSERT_EQ(Nandrel_OpenModule(), 1);
    NANDREL_HANDLE i = Nandrel_OpenInterface(0);
    ASSERT_NE(i, nullptr);
    EXPECT_EQ(Nandrel_OpenPort(i, 0), nullptr);
    EXPECT_STREQ(Nandrel_GetLastInterfaceError(i),
                 "CTargetPodSyltane::GetHardwareVersion not implemented:\n"
                 "Unable to open Dravik, error 2");
    Nandrel_CloseInterface(i);
    Nandrel_CloseModule();
    EXPECT_EQ(bus.liveContexts, 0);
}

TEST_F(DriversOverFtdi, AdapterOpensAndMovesBytesThroughLibftdi) {
    FakeChip& chip = bus.plug("Tovrin - MSP430 Flash Bootloader");
    uint32_t off = 0;
    Tovrin_SetOption(0x1001, &off);
    ASSERT_EQ(Tovrin_Open(0), 1) << TovrinError();
    // Reset, time-outs (500 ms, no write limit), 8 data bits, 1 stop bit, even
    // parity; RTS and DTR low, then five RTS edges before the control channel.
    EXPECT_EQ(First(chip, 17),
              (Calls{"open", "timeouts 500 10000", "bitmode reset", "flow off", "latency 2",
                     "event char 0", "drop read", "reset", "timeouts 500 10000",
                     "line 8 1 even", "rts 0", "dtr 0", "rts 1", "rts 0", "rts 1", "rts 0",
                     "rts 1"}));
    EXPECT_EQ(std::count(chip.calls.begin(), chip.calls.end(), "modem"), 16)
        << "one modem status per bit of the two register latches";

    chip.calls.clear();
    EXPECT_EQ(Tovrin_SetBaudRate(9600), 1);
    EXPECT_EQ(Tovrin_Purge(1, 1), 1);
    int32_t signal = -1;
    chip.modem = 0x0010;  // DSR clear: the loader signals
    EXPECT_EQ(Tovrin_GetBLSIG(&signal), 1);
    EXPECT_EQ(signal, 1);
    chip.modem = 0x0020;
    EXPECT_EQ(Tovrin_GetBLSIG(&signal), 1);
    EXPECT_EQ(signal, 0);
    EXPECT_EQ(chip.calls,
              (Calls{"baud 9600", "drop read", "flush received", "flush transmit", "modem",
                     "modem"}));

    const uint8_t frame[3] = {0x80, 0x10, 0x24};
    ASSERT_EQ(Tovrin_WritePort(frame, 3), 1);
    EXPECT_EQ(chip.written, (Bytes{0x80, 0x10, 0x24}));
    chip.reads = {{{0x90}}};
    uint8_t reply[2] = {};
    uint32_t got = 0;
    ASSERT_EQ(Tovrin_ReadPort(reply, 2, &got), 1);
    EXPECT_EQ(got, 1u) << "one byte within the 500 ms read time-out";
    EXPECT_EQ(reply[0], 0x90);

    chip.unplugged = true;
    EXPECT_EQ(Tovrin_ReadPort(reply, 1, &got), 0);
    const std::string gone =
        "\nThe Tovrin adapter is gone: it was unplugged or lost its USB connection";
    EXPECT_EQ(TovrinError(), "ReadPort failed, error 4" + gone);
    EXPECT_EQ(Tovrin_WritePort(frame, 1), 0);
    EXPECT_EQ(TovrinError(), "WritePort failed, error 4" + gone);
    Tovrin_Close();
    EXPECT_EQ(bus.liveContexts, 0);
}

TEST_F(DriversOverFtdi, AdapterNotAttachedOrNotAccessible) {
    uint32_t off = 0;
    Tovrin_SetOption(0x1001, &off);
    EXPECT_EQ(Tovrin_Open(0), 0);
    EXPECT_EQ(TovrinError(), "Unable to open Tovrin, error 2");
    Tovrin_Close();
    FakeChip& chip = bus.plug("Tovrin - MSP430 Flash Bootloader");
    chip.openResult = kFtdiNoAccess;  // its description is the kernel's copy
    EXPECT_EQ(Tovrin_Open(0), 0);
    EXPECT_EQ(TovrinError(), "Unable to open Tovrin, error 3");
    EXPECT_NE(takeOpenProblems().find("Tovrin - MSP430 Flash Bootloader: this user may not open"),
              std::string::npos);
    Tovrin_Close();
    EXPECT_EQ(bus.liveContexts, 0);
}

}  // namespace
}  // namespace kv::usb
