// Every flash path through the exported functions on a 1xx, a 2xx, a 4xx, a
// 20-bit and a newer-flash chip, each run on a fresh pod, with the flash rules
// the chip enforces. Each path's pod wire log is compared with its golden file
// in tests/wire_logs: the commands in full, and the raw bytes in each
// direction as a count and a digest. A change on the wire is a deliberate
// update of the goldens: KELVANE_WIRE_LOG_UPDATE=1 rewrites them. With
// KELVANE_WIRE_LOG_DIR set, each run's full log, raw bytes included, also goes
// to a file of that folder named after the chip and the path, so that two
// builds can be compared byte for byte.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "sim_identify_fixture.h"

namespace {

struct WireChip {
    const char* name;
    const char* profile;
};

constexpr WireChip kWireChips[] = {
    {"F149", "MSP430F149"},     {"F2274", "MSP430F2274"},     {"F44x", "MSP430F44x"},
    {"FG4619", "MSP430FG4619"}, {"FCAS003", "TMS430FCAS003"},
};

class FlashWireLog : public SimIdentifyTest {
  protected:
    void run(const WireChip& chip, const char* flow,
             const std::function<void(const DeviceRecord&)>& steps) {
        SCOPED_TRACE(std::string(chip.name) + " " + flow);
        start(chip.profile);
        if (HasFatalFailure()) return;
        const DeviceRecord record = identify();
        layout = {Value(record.infoStart), Value(record.infoEnd), Value(record.mainStart),
                  Value(record.mainEnd), Value(record.ramStart)};
        pod->clearLog();
        steps(record);
        EXPECT_EQ(pod->chip()->reportRuleBreaks(), 0u) << "flash rules broken";
        dump(chip, flow);
        compare(chip, flow);
        Nandrel_CloseModule();
        backend->unplug(pod->description());
    }

    void dump(const WireChip& chip, const char* flow) {
        const char* dir = std::getenv("KELVANE_WIRE_LOG_DIR");
        if (!dir || !*dir) return;
        std::filesystem::create_directories(dir);
        std::ofstream out(std::filesystem::path(dir) /
                          (std::string(chip.name) + "-" + flow + ".log"));
        out << pod->wireText();
        char hex[4];
        for (const kv::sim::WireEntry& e : pod->wire()) {
            out << (e.fromHost ? "H" : "P");
            for (uint8_t b : e.bytes) {
                std::snprintf(hex, sizeof hex, " %02x", b);
                out << hex;
            }
            out << '\n';
        }
    }

    // The golden text: the command log, then a line for the raw bytes each
    // way, their count and FNV-1a digest.
    std::string golden() {
        std::string text = pod->wireText();
        uint64_t count[2] = {0, 0};
        uint64_t digest[2] = {0xcbf29ce484222325ull, 0xcbf29ce484222325ull};
        for (const kv::sim::WireEntry& e : pod->wire()) {
            const int way = e.fromHost ? 0 : 1;
            for (uint8_t b : e.bytes) {
                digest[way] = (digest[way] ^ b) * 0x100000001b3ull;
                ++count[way];
            }
        }
        char line[96];
        for (int way = 0; way < 2; ++way) {
            std::snprintf(line, sizeof line, "raw %s: %llu bytes, digest %016llx\n",
                          way == 0 ? "host to pod" : "pod to host",
                          static_cast<unsigned long long>(count[way]),
                          static_cast<unsigned long long>(digest[way]));
            text += line;
        }
        return text;
    }

    void compare(const WireChip& chip, const char* flow) {
        const std::filesystem::path file = std::filesystem::path(KELVANE_WIRE_LOG_GOLDEN_DIR) /
                                           (std::string(chip.name) + "-" + flow + ".log");
        const std::string now = golden();
        const char* update = std::getenv("KELVANE_WIRE_LOG_UPDATE");
        if (update && *update && std::string(update) != "0") {
            std::ofstream(file, std::ios::binary) << now;
            return;
        }
        std::ifstream in(file, std::ios::binary);
        ASSERT_TRUE(in) << file << " is missing: KELVANE_WIRE_LOG_UPDATE=1 writes it";
        std::stringstream kept;
        kept << in.rdbuf();
        if (kept.str() == now) return;
        // The first line that differs, numbered from 1.
        std::istringstream a(kept.str());
        std::istringstream b(now);
        std::string was;
        std::string is;
        int line = 0;
        while (true) {
            ++line;
            const bool more = static_cast<bool>(std::getline(a, was));
            const bool moreNow = static_cast<bool>(std::getline(b, is));
            if (!more) was = "(end of file)";
            if (!moreNow) is = "(end of log)";
            if (was != is || (!more && !moreNow)) break;
        }
        ADD_FAILURE() << "the wire changed from " << file << " at line " << line
                      << ":\n  was: " << was << "\n  now: " << is
                      << "\n(KELVANE_WIRE_LOG_UPDATE=1 takes the new wire as golden; "
                         "KELVANE_WIRE_LOG_DIR=<folder> writes the full logs)";
    }

    std::string image() {
        const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                           ("nandrel_wire_" + std::to_string(::getpid()) + ".txt");
        std::ofstream out(file);
        auto segment = [&](uint32_t address, uint32_t count) {
            char line[16];
            std::snprintf(line, sizeof line, "@%04X\n", address);
            out << line;
            for (uint32_t i = 0; i < count; ++i) {
                std::snprintf(line, sizeof line, "%02X%c", (address + i) * 7 & 0xFF,
                              i % 16 == 15 || i + 1 == count ? '\n' : ' ');
                out << line;
            }
        };
        segment(layout.infoStart, 0x40);
        segment(layout.mainStart, 0x333);
        segment(layout.mainEnd > 0xFFFF ? 0xFF00 : layout.mainEnd - 0x3FF, 0x400);
        segment(layout.ramStart + 0x100u, 0x20);
        out << "q\n";
        imageFile = file.string();
        return imageFile;
    }
    void TearDown() override {
        if (!imageFile.empty()) std::filesystem::remove(imageFile);
        SimIdentifyTest::TearDown();
    }

    struct Layout {
        uint32_t infoStart, infoEnd, mainStart, mainEnd, ramStart;
        uint32_t infoLength() const { return infoEnd - infoStart + 1; }
        uint32_t mainLength() const { return mainEnd - mainStart + 1; }
    } layout{};
    std::string imageFile;
};

TEST_F(FlashWireLog, EveryFlashPathOnEveryFamily) {
    auto ok = [this](int32_t result) { EXPECT_EQ(result, 1) << errorText(); };
    for (const WireChip& chip : kWireChips) {
        run(chip, "mass-erase", [&](const DeviceRecord&) {
            ok(Nandrel_Erase(target, NANDREL_ERASE_ALL, layout.infoStart, layout.infoLength()));
        });
        run(chip, "mass-erase-segment-a-unlocked-then-write-and-read", [&](const DeviceRecord&) {
            ok(Nandrel_Configure(target, 5, 1));
            ok(Nandrel_Erase(target, NANDREL_ERASE_ALL, layout.infoStart, layout.infoLength()));
            const uint8_t data[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
            ok(Nandrel_WriteMemory(target, layout.mainStart, data, sizeof data));
            uint8_t back[16] = {};
            ok(Nandrel_ReadMemory(target, layout.mainStart, back, sizeof back));
            ok(Nandrel_ReadMemory(target, layout.infoStart, back, sizeof back));
        });
        run(chip, "main-erase", [&](const DeviceRecord&) {
            ok(Nandrel_Erase(target, NANDREL_ERASE_MAIN, layout.mainStart, layout.mainLength()));
        });
        run(chip, "segment-erase", [&](const DeviceRecord&) {
            ok(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, layout.infoStart, layout.infoLength()));
            ok(Nandrel_Erase(target, NANDREL_ERASE_SEGMENT, layout.mainStart, 0x400));
        });
        for (const auto& [flow, erase] :
             {std::pair{"program-erase-none", NANDREL_PROGRAM_ERASE_NONE},
              std::pair{"program-erase-main", NANDREL_PROGRAM_ERASE_MAIN},
              std::pair{"program-erase-all", NANDREL_PROGRAM_ERASE_ALL}}) {
            // The image reaches into segment A. The identified chip holds its
            // reset loop: programming without an erase starts from a
            // main-erased chip.
            run(chip, flow, [&](const DeviceRecord&) {
                ok(Nandrel_Configure(target, 5, 1));
                if (erase == NANDREL_PROGRAM_ERASE_NONE)
                    ok(Nandrel_Erase(target, NANDREL_ERASE_MAIN, layout.mainStart,
                                     layout.mainLength()));
                ok(Nandrel_ProgramFile(target, image().c_str(), erase, 1));
            });
        }
        run(chip, "verify-file", [&](const DeviceRecord&) {
            ok(Nandrel_Configure(target, 5, 1));
            ok(Nandrel_ProgramFile(target, image().c_str(), NANDREL_PROGRAM_ERASE_ALL, 0));
            ok(Nandrel_VerifyFile(target, imageFile.c_str()));
        });
        run(chip, "read-out-and-erase-check", [&](const DeviceRecord&) {
            const std::string out = imageFile.empty() ? image() + ".out" : imageFile + ".out";
            ok(Nandrel_ReadOutFile(target, out.c_str(), 1, layout.mainStart, 0x400));
            ok(Nandrel_ReadOutFile(target, out.c_str(), 2, layout.infoStart, layout.infoLength()));
            std::filesystem::remove(out);
            ok(Nandrel_Erase(target, NANDREL_ERASE_MAIN, layout.mainStart, layout.mainLength()));
            ok(Nandrel_EraseCheck(target, layout.mainStart, layout.mainLength()));
        });
    }
}

}  // namespace
