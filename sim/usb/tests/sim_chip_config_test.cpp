// Chip items of the simulator configuration: the profile, the state file that
// keeps a programmed chip from one run to the next, and the chip faults.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "kelvane/platform/usb.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/sim_adapter_target.h"
#include "kelvane/sim/sim_backend.h"

namespace {

using namespace kv::sim;
namespace usb = kv::usb;
using Bytes = std::vector<uint8_t>;

// Sends one command to an open pod and reads `n` reply bytes.
Bytes send(usb::Handle h, const Bytes& command, uint32_t n) {
    uint32_t count = 0;
    usb::write(h, command.data(), static_cast<uint32_t>(command.size()), &count);
    Bytes reply(n);
    count = 0;
    if (n) usb::read(h, reply.data(), n, &count);
    reply.resize(count);
    return reply;
}

// Writes words with both block flags to a held CPU.
void writeWords(usb::Handle h, uint16_t address, const std::vector<uint16_t>& words) {
    Bytes c{106,
            0x03,
            0x00,
            static_cast<uint8_t>(address >> 8),
            static_cast<uint8_t>(address),
            0,
            static_cast<uint8_t>(words.size())};
    for (uint16_t w : words) {
        c.push_back(static_cast<uint8_t>(w >> 8));
        c.push_back(static_cast<uint8_t>(w));
    }
    EXPECT_EQ(send(h, c, 2), (Bytes{107, 0}));
}

// Opens the pod, powers the chip, connects and holds the CPU.
usb::Handle openAndHold(std::shared_ptr<SimBackend> backend) {
    usb::setBackend(std::move(backend));
    usb::Handle h = 0;
    EXPECT_EQ(usb::open(kDravikDescription, usb::kOpenByDescription, &h), usb::kOk);
    send(h, {52, 0x0B, 0xB8}, 0);
    send(h, {32}, 0);
    EXPECT_EQ(send(h, {56, 0xFF}, 2), (Bytes{57, 0x89}));
    send(h, {64, 0xC8, 0x24, 0x01}, 3);
    return h;
}

TEST(SimChipConfig, ProfileBudgetAndChipFaults) {
    SimBackend backend;
    std::string error;
    ASSERT_TRUE(
        configureSimBackend("chip=MSP430FG4619,budget=500,jtagafter=2,entry,fused,"
                            "fault=status:176:7:2",
                            backend, &error))
        << error;
    auto pod = backend.findAs<DravikPod>(kDravikDescription);
    ASSERT_TRUE(pod && pod->chip());
    EXPECT_EQ(pod->chip()->profile().name, "MSP430FG4619");
    const PodConfig c = pod->config();
    EXPECT_EQ(c.budget, 500u);
    EXPECT_EQ(c.target.jtagAfter, 2u);
    EXPECT_TRUE(c.target.needsEntry);
    EXPECT_TRUE(c.target.fused);
    EXPECT_FALSE(c.target.mute);
    ASSERT_EQ(c.faults.size(), 1u);
    EXPECT_EQ(c.faults[0].kind, PodFaultKind::Status);

    SimBackend none;
    ASSERT_TRUE(configureSimBackend("chip=none,nojtag", none, &error));
    EXPECT_FALSE(none.findAs<DravikPod>(kDravikDescription)->chip());
    EXPECT_FALSE(configureSimBackend("chip=MSP430F999", none, &error));
    EXPECT_EQ(error, "unknown simulator setting \"chip=MSP430F999\"");
}

TEST(SimChipConfig, DeviceTableNamesRowsAndFuses) {
    auto backend = std::make_shared<SimBackend>();
    std::string error;
    ASSERT_TRUE(
        configureSimBackend("chip=MSP430F133,fuses=0x85,fault=status:26:5:1", *backend, &error))
        << error;
    auto pod = backend->findAs<DravikPod>(kDravikDescription);
    ASSERT_TRUE(pod && pod->chip());
    const DeviceProfile& p = pod->chip()->profile();
    EXPECT_EQ(p.name, "MSP430F133");
    EXPECT_EQ(p.deviceClass, 3);
    EXPECT_EQ(p.mainStart, 0xE000u);
    EXPECT_EQ(p.idBlock[0], 0xF1);
    EXPECT_EQ(p.idBlock[1], 0x49);
    EXPECT_EQ(pod->chip()->configFuses(), 0x85);

    // The fuse command answers the injected result with the byte it read.
    usb::Handle h = openAndHold(backend);
    send(h, {54, 0x10, 0x04}, 0);
    EXPECT_EQ(send(h, {26, 0x00, 0x80}, 3), (Bytes{27, 5, 0x85}));
    EXPECT_EQ(send(h, {26, 0x00, 0x80}, 3), (Bytes{27, 3, 0x85})) << "already configured";
    usb::close(h);
    usb::setBackend(nullptr);

    SimBackend rows;
    ASSERT_TRUE(configureSimBackend("chip=row:44", rows, &error)) << error;
    const DeviceProfile& r = rows.findAs<DravikPod>(kDravikDescription)->chip()->profile();
    EXPECT_EQ(r.name, "MSP430F169");
    EXPECT_EQ(r.idBlock[1], 0x6C);
    EXPECT_FALSE(configureSimBackend("chip=row:92", rows, &error));
    EXPECT_FALSE(configureSimBackend("fuses=256", rows, &error));
}

TEST(SimChipConfig, FlashRulesAndOscillatorScale) {
    std::string error;
    SimBackend strict;
    ASSERT_TRUE(configureSimBackend("chip=MSP430F2274", strict, &error)) << error;
    const auto& chip = *strict.findAs<DravikPod>(kDravikDescription)->chip();
    EXPECT_TRUE(chip.flash().strict());
    EXPECT_EQ(chip.clocks().scale(), 1.0);

    SimBackend lenient;
    ASSERT_TRUE(configureSimBackend("chip=MSP430FG4619,lenient,dco=0.4", lenient, &error)) << error;
    const auto& slow = *lenient.findAs<DravikPod>(kDravikDescription)->chip();
    EXPECT_FALSE(slow.flash().strict());
    EXPECT_EQ(slow.clocks().scale(), 0.4);

    SimBackend behindAdapter;
    ASSERT_TRUE(
        configureSimBackend("pod=none,adapter=MSP430F2274,lenient,dco=2.5", behindAdapter, &error))
        << error;
    auto adapter = behindAdapter.findAs<AdapterWithChip>(TovrinAdapter::kDescription);
    ASSERT_TRUE(adapter);
    EXPECT_FALSE(adapter->chip().flash().strict());
    EXPECT_EQ(adapter->chip().clocks().scale(), 2.5);

    SimBackend fast;
    ASSERT_TRUE(configureSimBackend("dco=6", fast, &error)) << error;
    EXPECT_EQ(fast.findAs<DravikPod>(kDravikDescription)->chip()->clocks().scale(), 6.0);

    SimBackend bad;
    for (const char* item :
         {"dco=0.39", "dco=6.5", "dco=", "dco=fast", "lenient=1", "leaky=", "leaky=0x100000"}) {
        EXPECT_FALSE(configureSimBackend(item, bad, &error)) << item;
        EXPECT_EQ(error, std::string("unknown simulator setting \"") + item + "\"");
    }
}

TEST(SimChipConfig, StateFileKeepsAProgrammedChip) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "kelvane_sim_chip_state.kvchip").string();
    std::remove(path.c_str());
    {
        auto backend = std::make_shared<SimBackend>();
        std::string error;
        ASSERT_TRUE(configureSimBackend("state=" + path, *backend, &error)) << error;
        usb::Handle h = openAndHold(backend);
        writeWords(h, 0x0120, {0x5A80});
        writeWords(h, 0x012A, {0xA542});
        writeWords(h, 0x012C, {0xA500});
        writeWords(h, 0x0128, {0xA540});
        writeWords(h, 0xF000, {0xCAFE, 0xBEEF});
        EXPECT_TRUE(std::filesystem::exists(path));  // saved after the change already
        usb::close(h);
        usb::setBackend(nullptr);
    }
    {
        auto backend = std::make_shared<SimBackend>();
        std::string error;
        ASSERT_TRUE(configureSimBackend("state=" + path, *backend, &error)) << error;
        auto pod = backend->findAs<DravikPod>(kDravikDescription);
        EXPECT_FALSE(pod->chip()->powered());  // the pod's supply starts off
        usb::Handle h = openAndHold(backend);
        EXPECT_EQ(send(h, {102, 0x03, 0x00, 0xF0, 0x00, 0, 2}, 8),
                  (Bytes{103, 0, 0, 2, 0xCA, 0xFE, 0xBE, 0xEF}));
        usb::close(h);
        usb::setBackend(nullptr);
    }
    {
        std::ofstream(path, std::ios::binary) << "not a chip";
        SimBackend backend;
        std::string error;
        EXPECT_FALSE(configureSimBackend("state=" + path, backend, &error));
        EXPECT_FALSE(error.empty());
    }
    std::remove(path.c_str());
}

}  // namespace
