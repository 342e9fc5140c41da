// A level-3 or smaller target with the EEM's callback recorded: the messages
// the polling thread sends arrive here, and tests wait for them.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "eem_jtag.h"
#include "port_jtag.h"
#include "sim_target_fixture.h"

struct EemMessageRecord {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

class EemTest : public SimTargetTest {
  protected:
    static constexpr uint32_t kStep = 1, kBreak = 2, kStorage = 3, kSequencer = 4, kWarning = 5,
                              kCpuStopped = 6;
    static constexpr uint32_t kClient = 0x1234;

    static void record(uint32_t message, uintptr_t wParam, intptr_t lParam, uint32_t client) {
        auto* self = current;
        if (!self || client != kClient) return;
        std::unique_lock lock(self->mutex);
        self->received.push_back({message, wParam, lParam});
        self->arrived.notify_all();
        if (self->hold && message == kBreak) {
            // A client that does not return: its time passes meanwhile.
            lock.unlock();
            while (self->hold)
                self->manual.advance(10);
        }
    }

    void SetUp() override {
        SimTargetTest::SetUp();
        current = this;
    }
    void TearDown() override {
        hold = false;
        SimTargetTest::TearDown();
        current = nullptr;
    }

    // Selects the part, resets it and starts the EEM with the recording callback.
    void startEem(const std::string& chip, uint32_t deviceClass,
                  const nandrel::TargetClassValues& v) {
        startHeld(chip, deviceClass, v);
        EemMessageNumbers numbers{kStep, kBreak, kStorage, kSequencer, kWarning, kCpuStopped};
        ASSERT_EQ(Nandrel_EEM_Init(target, &EemTest::record, kClient, &numbers), 1)
            << Nandrel_GetLastTargetError(target);
    }

    // Waits (at most ten real seconds, a safety net) for a message.
    EemMessageRecord waitFor(uint32_t message) {
        std::unique_lock lock(mutex);
        EemMessageRecord found{0, 0, 0};
        arrived.wait_for(lock, std::chrono::seconds(10), [&] {
            for (const EemMessageRecord& r : received)
                if (r.message == message) {
                    found = r;
                    return true;
                }
            return false;
        });
        return found;
    }
    size_t count(uint32_t message) {
        std::lock_guard lock(mutex);
        size_t n = 0;
        for (const EemMessageRecord& r : received)
            n += r.message == message;
        return n;
    }
    // Whether the thread is (or, within a short real time, gets) asleep.
    bool threadAsleep() {
        for (int i = 0; i < 100000; ++i) {
            int32_t result = -1;
            t->port()->WaitAsleepEvent(0, &result);
            if (result == 0) return true;
            std::this_thread::yield();
        }
        return false;
    }

    uint16_t setBreakpoint(const BreakpointRecord& r) {
        uint16_t handle = 0;
        EXPECT_EQ(Nandrel_EEM_SetBreakpoint(target, &handle, &r), 1)
            << Nandrel_GetLastTargetError(target);
        return handle;
    }
    static BreakpointRecord code(uint32_t address) {
        BreakpointRecord r{};
        r.mode = 1;
        r.address = address;
        r.action = 1;
        return r;
    }
    int32_t lastError() { return Nandrel_GetLastTargetErrorNumber(target); }

    // 0200 mov #5,r6; 0204 add #1,r6; 0206 mov r6,&0300; 020A add #1,r6; 020C jmp $
    void loadProgram() {
        load(0x0200, {0x4036, 0x0005, 0x5316, 0x4682, 0x0300, 0x5316, 0x3FFF});
        ASSERT_EQ(Nandrel_WriteRegister(target, 0, 0x0200), 1);
    }

    static inline EemTest* current = nullptr;
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<EemMessageRecord> received;
    std::atomic<bool> hold{false};
};
