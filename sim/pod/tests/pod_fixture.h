// Drives a simulated pod through the USB stand-in with raw command bytes, as
// the JTAG library does, and looks at the chip behind it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/pod_commands.h"
#include "kelvane/sim/sim_backend.h"

namespace kv::sim::test {

using Bytes = std::vector<uint8_t>;

inline Bytes word(uint16_t v) {
    return {static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}
inline Bytes dword(uint32_t v) {
    return {static_cast<uint8_t>(v >> 24), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}
inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
inline uint16_t wordAt(const Bytes& b, size_t at) {
    return static_cast<uint16_t>(b.at(at) << 8 | b.at(at + 1));
}
inline uint32_t dwordAt(const Bytes& b, size_t at) {
    return static_cast<uint32_t>(wordAt(b, at)) << 16 | wordAt(b, at + 2);
}

class PodTest : public ::testing::Test {
  protected:
    void SetUp() override { start(PodConfig{}); }
    void TearDown() override {
        if (handle_) kv::usb::close(handle_);
        kv::usb::setBackend(nullptr);
    }

    void start(PodConfig config) {
        if (handle_) kv::usb::close(handle_);
        handle_ = 0;
        backend_ = std::make_shared<SimBackend>();
        pod_ = std::make_shared<DravikPod>(std::move(config));
        backend_->plug(pod_);
        kv::usb::setBackend(backend_);
        ASSERT_EQ(kv::usb::open(kDravikDescription, kv::usb::kOpenByDescription, &handle_),
                  kv::usb::kOk);
        kv::usb::setTimeouts(handle_, 100, 0);
    }

    // Sends one command and reads `replyLength` bytes (what the library expects).
    Bytes send(const Bytes& command, size_t replyLength) {
        uint32_t n = 0;
        EXPECT_EQ(
            kv::usb::write(handle_, command.data(), static_cast<uint32_t>(command.size()), &n),
            kv::usb::kOk);
        Bytes reply(replyLength);
        n = 0;
        if (replyLength)
            kv::usb::read(handle_, reply.data(), static_cast<uint32_t>(replyLength), &n);
        reply.resize(n);
        return reply;
    }
    // Sends a command and checks that nothing more than its reply came back.
    Bytes exact(const Bytes& command, size_t replyLength) {
        Bytes reply = send(command, replyLength);
        EXPECT_EQ(reply.size(), replyLength) << "command " << int(command[0]);
        uint32_t waiting = 0;
        kv::usb::getQueueStatus(handle_, &waiting);
        EXPECT_EQ(waiting, 0u) << "command " << int(command[0]);
        return reply;
    }
    void none(const Bytes& command) { exact(command, 0); }
    uint8_t status(const Bytes& command) { return exact(command, 2).at(1); }

    // The library's building blocks.
    void vcc(uint16_t mv) { none(mv ? Bytes{52} + word(mv) : Bytes{53}); }
    uint8_t ir(uint8_t instruction) {
        return exact({56, kv::BitReverseByte[instruction]}, 2).at(1);
    }
    uint16_t dr16(uint16_t v) { return wordAt(exact(Bytes{60} + word(v), 3), 1); }
    uint16_t irdr(uint8_t instruction, uint16_t v) {
        return wordAt(exact(Bytes{64, kv::BitReverseByte[instruction]} + word(v), 3), 1);
    }
    // Restart, TAP reset, fuse check, TAP reset, instruction 0xFF: the id.
    uint8_t connect() {
        none({33});
        none({55});
        none({32});
        none({166});
        none({168});
        none({166});
        return ir(0xFF);
    }
    // Powers the chip, connects and takes the CPU under JTAG control.
    void attach(uint16_t mv = 3000) {
        vcc(mv);
        ASSERT_NE(connect(), 0xFF);
        irdr(0x13, 0x2401);
        ASSERT_TRUE(pod_->target().held());
    }
    uint32_t readRegister(uint8_t n) {
        const Bytes r = exact({176, n}, 6);
        EXPECT_EQ(r[1], 0);
        return dwordAt(r, 2);
    }
    uint8_t writeRegister(uint8_t n, uint32_t v) { return status(Bytes{178, n} + dword(v)); }

    Chip& chip() { return *pod_->chip(); }

    kv::ManualClock clock_;
    kv::ScopedClock scoped_{clock_};
    std::shared_ptr<SimBackend> backend_;
    std::shared_ptr<DravikPod> pod_;
    kv::usb::Handle handle_ = 0;
};

}  // namespace kv::sim::test
