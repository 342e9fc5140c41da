// A simulated chip of a named profile behind the pod, its device selected
// with the class values of the device tables and its CPU held, for the
// memory, flash and file tests. Progress notifications are captured.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "nandrel/device/device_class.h"
#include "nandrel/device/device_table.h"
#include "nandrel/device/memory_layout.h"
#include "sim_target_fixture.h"

struct ChipProfile {
    const char* chip;
    uint32_t deviceClass;
};

inline constexpr ChipProfile kF1xx{"MSP430F149", 7};
inline constexpr ChipProfile kF2xx{"MSP430F2274", 49};
inline constexpr ChipProfile kWide{"MSP430FG4619", 38};
inline constexpr ChipProfile kNewer{"TMS430FCAS003", 41};

struct Notification {
    uint32_t message;
    uintptr_t wParam;
    PodProgressRecord record;
};

// The class values of a device class as the device tables give them.
inline nandrel::TargetClassValues classValues(uint32_t deviceClass) {
    const nandrel::device::DeviceClass& c = nandrel::device::GetDeviceClass(deviceClass);
    const nandrel::device::MemoryLayout& m = nandrel::device::GetMemoryLayout(deviceClass);
    nandrel::TargetClassValues v;
    v.breakpoints = c.breakpoints;
    v.emulationLevel = c.emulationLevel;
    v.clockControl = c.clockControl;
    v.mainClockDefault = c.mainClockDefault;
    v.securityValue = c.securityValue;
    v.testPin = c.testPin;
    v.b5 = c.b5;
    v.flashTest = c.flashTest;
    v.msp430x = c.msp430x;
    v.b8 = c.b8;
    v.b9 = c.b9;
    v.e0 = c.e0;
    v.e1 = c.e1;
    v.e2 = c.e2;
    v.e3 = c.e3;
    v.e4 = c.e4;
    v.ramStart = m.ramStart;
    v.ramEnd = m.ramEnd;
    return v;
}

inline uint32_t deviceRowOf(uint32_t deviceClass) {
    for (uint32_t i = 1; i < nandrel::device::kDeviceCount; ++i) {
        const nandrel::device::DeviceRow* row = nandrel::device::GetDeviceRow(i);
        if (row && row->deviceClass == deviceClass) return i;
    }
    return 0;
}

class FlashTest : public SimTargetTest {
  protected:
    // Set by a test that breaks a flash rule on purpose.
    bool allowRuleBreaks = false;
    void open(const ChipProfile& profile, uint32_t deviceClass = 0) {
        profile_ = profile;
        const uint32_t cls = deviceClass != 0 ? deviceClass : profile.deviceClass;
        start(profile.chip);
        if (HasFatalFailure()) return;
        select(deviceRowOf(cls), cls, classValues(cls));
        ASSERT_EQ(Nandrel_Reset(target, 1, 0, 0), 1) << Nandrel_GetLastTargetError(target);
        layout = nandrel::device::GetMemoryLayout(cls);
        Nandrel_RegisterHWND(target, reinterpret_cast<void*>(&FlashTest::onNotify), 0x1234, 77);
        current = this;
    }
    void TearDown() override {
        // A flash rule the chip saw broken fails the test that broke it.
        if (pod && pod->chip() && !allowRuleBreaks) {
            EXPECT_EQ(chip().reportRuleBreaks(), 0u) << "flash rules broken";
        }
        current = nullptr;
        if (!dir.empty()) std::filesystem::remove_all(dir);
        SimTargetTest::TearDown();
    }

    static void onNotify(uint32_t message, uintptr_t wParam, const PodProgressRecord* record) {
        if (current) current->notes.push_back({message, wParam, *record});
    }

    std::string error() { return Nandrel_GetLastTargetError(target); }
    int32_t errorNumber() { return Nandrel_GetLastTargetErrorNumber(target); }

    std::vector<uint8_t> chipBytes(uint32_t address, uint32_t count) {
        std::vector<uint8_t> out(count);
        for (uint32_t i = 0; i < count; ++i)
            out[i] = chip().peek8(address + i);
        return out;
    }
    void pokeBytes(uint32_t address, const std::vector<uint8_t>& bytes) {
        chip().poke(address, bytes.data(), bytes.size());
    }
    bool allErased(uint32_t address, uint32_t count) {
        for (uint32_t i = 0; i < count; ++i)
            if (chip().peek8(address + i) != 0xFF) return false;
        return true;
    }
    // A file in the test's own temporary folder.
    std::string path(const std::string& name) {
        if (dir.empty()) {
            dir = std::filesystem::temp_directory_path() /
                  ("nandrel_flash_" + std::to_string(::getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
            std::filesystem::create_directories(dir);
        }
        return (dir / name).string();
    }
    void writeFile(const std::string& file, const std::string& text) {
        std::ofstream(file) << text;
    }
    std::string readFile(const std::string& file) {
        std::ifstream in(file);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Requests of the pod commands with this byte since the log was cleared.
    std::vector<std::vector<uint8_t>> requests(uint8_t command) {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& r : pod->records())
            if (r.command == command) out.push_back(r.request);
        return out;
    }
    // Routine runs that stop at their exit address (erase and write routines).
    size_t routineRuns() {
        size_t n = 0;
        for (const auto& r : requests(194))
            if (r.size() >= 9 && (r[5] | r[6] | r[7] | r[8]) != 0) ++n;
        return n;
    }

    static inline FlashTest* current = nullptr;
    ChipProfile profile_{};
    nandrel::device::MemoryLayout layout{};
    std::vector<Notification> notes;
    std::filesystem::path dir;
};

// A pattern of `count` bytes that differs with the address.
inline std::vector<uint8_t> pattern(uint32_t address, uint32_t count, uint8_t seed = 0) {
    std::vector<uint8_t> out(count);
    for (uint32_t i = 0; i < count; ++i)
        out[i] = static_cast<uint8_t>(((address + i) * 7 + (address + i) / 256 + seed) & 0xFF);
    return out;
}

struct ImageSegment {
    uint32_t address;
    std::vector<uint8_t> bytes;
};

inline std::string textImage(const std::vector<ImageSegment>& segments) {
    std::string out;
    char line[16];
    for (const ImageSegment& s : segments) {
        std::snprintf(line, sizeof line, "@%04X\n", s.address);
        out += line;
        for (size_t i = 0; i < s.bytes.size(); ++i) {
            std::snprintf(line, sizeof line, "%02X%c", s.bytes[i],
                          (i % 16 == 15 || i + 1 == s.bytes.size()) ? '\n' : ' ');
            out += line;
        }
    }
    return out + "q\n";
}

inline std::string intelImage(const std::vector<ImageSegment>& segments) {
    std::string out;
    char text[80];
    uint32_t upper = 0;
    for (const ImageSegment& s : segments) {
        for (size_t i = 0; i < s.bytes.size(); i += 16) {
            const uint32_t a = s.address + static_cast<uint32_t>(i);
            if ((a >> 16) != upper) {
                upper = a >> 16;
                const unsigned sum = 2 + 4 + (upper >> 8) + (upper & 0xFF);
                std::snprintf(text, sizeof text, ":02000004%04X%02X\n", upper,
                              (0x100 - (sum & 0xFF)) & 0xFF);
                out += text;
            }
            const size_t n = std::min<size_t>(16, s.bytes.size() - i);
            unsigned sum = static_cast<unsigned>(n) + ((a >> 8) & 0xFF) + (a & 0xFF);
            std::snprintf(text, sizeof text, ":%02X%04X00", static_cast<unsigned>(n), a & 0xFFFF);
            out += text;
            for (size_t k = 0; k < n; ++k) {
                sum += s.bytes[i + k];
                std::snprintf(text, sizeof text, "%02X", s.bytes[i + k]);
                out += text;
            }
            std::snprintf(text, sizeof text, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
            out += text;
        }
    }
    return out + ":00000001FF\n";
}
