// A pod that answers by script: it records every host write and answers a
// command with the next reply scripted for its command byte. The pod-level
// commands of opening (ping, version, flash verify, debug) answer by
// themselves until recording starts.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/sim_backend.h"
#include "target_protocol_jtag.h"

using Bytes = std::vector<uint8_t>;

class ScriptedPod : public kv::usb::Device {
  public:
    std::string description() const override { return "Dravik - MSP430 Flash Programmer"; }

    kv::usb::Status write(const uint8_t* data, size_t count, size_t* written) override {
        *written = count;
        if (count == 0) return kv::usb::kOk;
        const Bytes bytes(data, data + count);
        if (!recording_) {
            answerOpening(bytes[0]);
            return kv::usb::kOk;
        }
        if (failWrites) return kv::usb::kIoError;
        writes.push_back(bytes);
        auto& queue = replies_[bytes[0]];
        if (!queue.empty()) {
            rx_.insert(rx_.end(), queue.front().begin(), queue.front().end());
            queue.pop_front();
        } else if (autoAnswer) {
            const Bytes answer = defaultAnswer(bytes);
            rx_.insert(rx_.end(), answer.begin(), answer.end());
        }
        return kv::usb::kOk;
    }
    size_t rxAvailable() override { return rx_.size(); }
    size_t read(uint8_t* buffer, size_t count) override {
        size_t n = 0;
        for (; n < count && !rx_.empty(); ++n) {
            buffer[n] = rx_.front();
            rx_.pop_front();
        }
        return n;
    }
    void waitForData(size_t wanted, uint32_t timeoutMs) override {
        if (rx_.size() < wanted) kv::clock().sleep(timeoutMs);
    }

    // Scripts the reply to the next command `command` (after the ones scripted before).
    void reply(uint8_t command, Bytes bytes) { replies_[command].push_back(std::move(bytes)); }
    void startRecording() {
        recording_ = true;
        writes.clear();
    }
    // Every byte the host wrote since recording started, in one run.
    Bytes allBytes() const {
        Bytes out;
        for (const Bytes& w : writes)
            out.insert(out.end(), w.begin(), w.end());
        return out;
    }

    // Commands written since recording started, and their command bytes.
    std::vector<Bytes> writes;
    Bytes commands() const {
        Bytes out;
        for (const Bytes& w : writes)
            out.push_back(w[0]);
        return out;
    }
    size_t count(uint8_t command) const {
        size_t n = 0;
        for (const Bytes& w : writes)
            n += w[0] == command;
        return n;
    }

    // Unscripted commands get a successful reply of their length: status 0,
    // zero values, the count of a memory read echoed, the JTAG id to IR shifts.
    bool autoAnswer = false;
    uint8_t jtagId = 0x89;
    bool failWrites = false;

  private:
    Bytes defaultAnswer(const Bytes& command) const {
        static const std::map<uint8_t, size_t> kLength = {
            {26, 2},  {28, 3},  {30, 4},  {56, 1},  {58, 1},  {60, 2},  {64, 2},
            {66, 1},  {68, 4},  {70, 2},  {72, 1},  {74, 1},  {76, 1},  {78, 1},
            {80, 1},  {84, 1},  {86, 2},  {92, 3},  {94, 1},  {98, 1},  {106, 1},
            {112, 7}, {114, 1}, {116, 1}, {118, 1}, {174, 1}, {176, 5}, {178, 1},
            {192, 1}, {194, 1}, {224, 3}, {226, 1}, {230, 5}, {232, 3}, {234, 5}};
        const uint8_t c = command[0];
        Bytes answer{static_cast<uint8_t>(c + 1)};
        if (c == 96 || c == 102) {
            const size_t n = size_t{command[5]} << 8 | command[6];
            answer.insert(answer.end(), {0, command[5], command[6]});
            answer.resize(answer.size() + (c == 96 ? n : 2 * n), 0);
        } else if (c == 112) {
            answer.push_back(0);
            answer.insert(answer.end(), command.begin() + 1, command.end());
        } else if (kLength.count(c)) {
            answer.resize(1 + kLength.at(c), 0);
            if (c == 56) answer[1] = jtagId;
        } else {
            return {};
        }
        return answer;
    }

    void answerOpening(uint8_t command) {
        static const std::string kVersion = "DRV-1P-A02.03.03";
        Bytes answer{static_cast<uint8_t>(command + 1)};
        if (command == 20) answer.insert(answer.end(), kVersion.begin(), kVersion.end());
        if (command == 12) answer.push_back(0);
        if (command == 30) answer.insert(answer.end(), {0, 0, 0, 0});
        rx_.insert(rx_.end(), answer.begin(), answer.end());
    }

    bool recording_ = false;
    std::map<uint8_t, std::deque<Bytes>> replies_;
    std::deque<uint8_t> rx_;
};

// A protocol object opened on a scripted pod, with a manual clock.
class ScriptedPodTest : public ::testing::Test {
  protected:
    void SetUp() override {
        backend->plug(pod);
        kv::usb::setBackend(backend);
        ASSERT_TRUE(protocol.Open()) << protocol.errorText();
        pod->startRecording();
    }
    void TearDown() override {
        protocol.Close();
        kv::usb::setBackend(nullptr);
    }

    kv::ManualClock manual{1000};
    kv::ScopedClock scope{manual};
    std::shared_ptr<kv::sim::SimBackend> backend = std::make_shared<kv::sim::SimBackend>();
    std::shared_ptr<ScriptedPod> pod = std::make_shared<ScriptedPod>();
    nandrel::CTargetProtocolJTAG protocol;
};
