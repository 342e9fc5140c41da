// A target opened through the exported functions on the simulated pod with a
// simulated chip behind it, powered and with the JTAG link open. The device
// is selected the way identification selects it.
#pragma once

#include "handles.h"
#include "kelvane/sim/chip.h"
#include "sim_pod_fixture.h"
#include "target_jtag.h"
#include "test_classes.h"

class SimTargetTest : public SimPodTest {
  protected:
    // The reset vector points at a `jmp $` at kIdleLoop.
    static constexpr uint32_t kIdleLoop = 0xF000;

    void start(const std::string& chip, kv::sim::TargetFaults faults = {}) {
        kv::sim::PodConfig config;
        config.chip = chip;
        config.target = faults;
        pod = plug(config);
        pod->chip()->poke16(0xFFFE, static_cast<uint16_t>(kIdleLoop));
        pod->chip()->poke16(kIdleLoop, 0x3FFF);
        NANDREL_HANDLE port = openPort();
        ASSERT_NE(port, nullptr) << interfaceError();
        target = Nandrel_OpenTarget(port, 0);
        t = static_cast<nandrel::CTargetJTAG*>(nandrel::resolveHandle(target, NANDREL_KIND_TARGET));
        ASSERT_NE(t, nullptr);
        ASSERT_EQ(Nandrel_VCC(target, 3000), 1) << Nandrel_GetLastTargetError(target);
        ASSERT_EQ(Nandrel_OpenJTAG(target), 1) << Nandrel_GetLastTargetError(target);
    }
    void select(uint32_t index, uint32_t deviceClass, const nandrel::TargetClassValues& v) {
        ASSERT_TRUE(t->SelectDevice(index, deviceClass, v)) << t->errorText();
    }
    // The device selected and its CPU reset and held.
    void startHeld(const std::string& chip, uint32_t deviceClass,
                   const nandrel::TargetClassValues& v) {
        start(chip);
        select(40, deviceClass, v);
        ASSERT_EQ(Nandrel_Reset(target, 1, 0, 0), 1) << Nandrel_GetLastTargetError(target);
    }
    // Puts words into the chip's memory through the pod.
    void load(uint32_t address, const std::vector<uint16_t>& words) {
        ASSERT_TRUE(
            t->protocol()->WriteWords(address, static_cast<uint32_t>(words.size()), words.data()))
            << t->protocol()->errorText();
    }
    uint32_t reg(int n) {
        uint32_t v = 0;
        EXPECT_EQ(Nandrel_ReadRegister(target, n, &v), 1);
        return v;
    }
    int32_t state(bool stop, uint32_t* cycles = nullptr) {
        int32_t s = -1;
        EXPECT_EQ(Nandrel_State(target, &s, stop ? 1 : 0, cycles), 1)
            << Nandrel_GetLastTargetError(target);
        return s;
    }
    size_t podCommands() { return pod->records().size(); }
    kv::sim::Chip& chip() { return *pod->chip(); }

    std::shared_ptr<kv::sim::DravikPod> pod;
    NANDREL_HANDLE target = nullptr;
    nandrel::CTargetJTAG* t = nullptr;
};
