// Erasing, programming and verifying 60 KB of flash through the exported
// functions against the simulated pod and a chip that already holds another
// image: wall time, pod commands and bytes on the wire per KB, the time the
// same work would take on real hardware (the chip's simulated time, the USB
// time of the pod commands, see usbSeconds, and the pod's JTAG shifting at
// its TCK clock, see kPodTckHz) and where it goes, the flash timing generator
// frequency the library chose, and that modelled time against the physical
// limit: the family's generator cycles a word for every word, plus the erase
// the flash needs (its cumulative mass erase time, at least one erase), once
// at the generator frequency the library chose and once at the family's rated
// top. Any flash rule the chip sees broken fails the benchmark.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ftdi_device.h"
#include "kelvane/platform/clock.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/chip.h"
#include "kelvane/sim/dravik_pod.h"
#include "kelvane/sim/pod_commands.h"
#include "kelvane/sim/sim_backend.h"
#include "nandrel/nandrel.h"

namespace {

struct Case {
    const char* chip;
    uint32_t start;
    int32_t eraseType;  // NANDREL_PROGRAM_ERASE_ALL where the image covers information memory
};

constexpr uint32_t kFullImageBytes = 60 * 1024;
constexpr uint32_t kShortImageBytes = 4 * 1024;
uint32_t imageBytes = kFullImageBytes;
// Full-speed USB: a 64-byte bulk packet takes about 1/19 of a 1 ms frame.
constexpr double kPacketSeconds = 0.001 / 19;
constexpr size_t kPacketBytes = 64;
constexpr size_t kPacketDataBytes = kPacketBytes - 2;  // after the FTDI status bytes
constexpr uint8_t kPrepareCode = 192;
constexpr uint8_t kReleaseCode = 194;

// `imageBytes` of flash from `start` as one TI-TXT image, its bytes varied by `seed`.
std::string writeImage(const Case& c, const std::filesystem::path& file, uint32_t seed,
                       uint32_t* bytes) {
    std::ofstream out(file);
    char text[16];
    *bytes = 0;
    auto segment = [&](uint32_t from, uint32_t to) {
        std::snprintf(text, sizeof text, "@%04X\n", from);
        out << text;
        for (uint32_t a = from, n = 0; a <= to; ++a, ++n) {
            const auto v = static_cast<unsigned>((a * 31 + (a >> 8) + seed) & 0xFF);
            std::snprintf(text, sizeof text, "%02X%c", v, (n % 16 == 15 || a == to) ? '\n' : ' ');
            out << text;
            ++*bytes;
        }
    };
    segment(c.start, c.start + imageBytes - 1);
    out << "q\n";
    return file.string();
}

// The USB time of the pod commands as the FTDI backend moves them: each
// request's OUT packets, each reply's IN packets, and the wait of a reply
// that neither fills its last packet nor ends in the event character for the
// chip's latency timer (the whole timer: the reply may come just after the
// chip sent a packet). Asking whether reply bytes wait costs nothing: a read
// is kept in flight.
double usbSeconds(const std::vector<kv::sim::CommandRecord>& records, size_t* waits) {
    const double latency = kv::usb::FtdiDevice::kLatencyMs / 1000.0;
    double seconds = 0;
    *waits = 0;
    for (const kv::sim::CommandRecord& r : records) {
        const size_t out = (r.request.size() + kPacketBytes - 1) / kPacketBytes;
        const size_t in = (r.reply.size() + kPacketDataBytes - 1) / kPacketDataBytes;
        seconds += static_cast<double>(out + in) * kPacketSeconds;
        if (r.reply.size() % kPacketDataBytes != 0 &&
            r.reply.back() != kv::usb::FtdiDevice::kEventChar) {
            seconds += latency;
            ++*waits;
        }
    }
    return seconds;
}

// The pod's time on the JTAG lines: every TCK period its commands clocked.
double jtagSeconds(const std::vector<kv::sim::CommandRecord>& records, uint64_t* periods) {
    *periods = 0;
    for (const kv::sim::CommandRecord& r : records)
        *periods += r.jtagPeriods;
    return static_cast<double>(*periods) / kv::sim::kPodTckHz;
}

// The physical limit of the work at a timing generator frequency: the
// family's cycles a word for every word, and the erase the flash needs.
double physicalLimit(const kv::sim::DeviceProfile& profile, uint32_t bytes, double ftg,
                     double* eraseLimit) {
    *eraseLimit = std::max(profile.cumulativeMassEraseSeconds, profile.timing.massErase / ftg);
    return bytes / 2.0 * profile.timing.wordWrite / ftg + *eraseLimit;
}

// Where the chip's modelled time went, from the pod's log: each routine run
// lasts from its release to the next download or release; a run that
// programmed is a write (its time beside the programming is the loop between
// words), one that erased an erase, any other a clock measurement.
struct Breakdown {
    double programming = 0;
    double loop = 0;
    double clock = 0;
    double erase = 0;
    double eraseCheck = 0;  // the erase routines' time beside erasing
    double other = 0;  // chip time outside the routines (JTAG access)
};

Breakdown breakDown(const std::vector<kv::sim::CommandRecord>& records, double chipStart,
                    double programStart, double eraseStart) {
    Breakdown b;
    double chip = chipStart, program = programStart, erase = eraseStart;
    double runChip = 0, runProgram = 0, runErase = 0;
    bool inRun = false;
    auto endRun = [&] {
        if (!inRun) return;
        if (runProgram > 0) {
            b.programming += runProgram;
            b.loop += runChip - runProgram - runErase;
        } else if (runErase > 0) {
            b.erase += runErase;
            b.eraseCheck += runChip - runErase;
        } else {
            b.clock += runChip;
        }
        runChip = runProgram = runErase = 0;
        inRun = false;
    };
    for (const kv::sim::CommandRecord& r : records) {
        if (r.command == kReleaseCode || r.command == kPrepareCode) endRun();
        const double dChip = r.chipSeconds - chip;
        if (r.command == kReleaseCode || inRun) {
            inRun = true;
            runChip += dChip;
            runProgram += r.programSeconds - program;
            runErase += r.eraseSeconds - erase;
        } else {
            b.other += dChip;
        }
        chip = r.chipSeconds;
        program = r.programSeconds;
        erase = r.eraseSeconds;
    }
    endRun();
    return b;
}

// Returns false when the run failed or the chip saw a flash rule broken.
bool run(const Case& c) {
    auto backend = std::make_shared<kv::sim::SimBackend>();
    kv::usb::setBackend(backend);
    kv::sim::PodConfig config;
    config.chip = c.chip;
    auto pod = std::make_shared<kv::sim::DravikPod>(config);
    backend->plug(pod);
    const auto held = std::filesystem::temp_directory_path() / "nandrel_flash_benchmark_held.txt";
    const auto file = std::filesystem::temp_directory_path() / "nandrel_flash_benchmark.txt";
    uint32_t bytes = 0;
    const std::string heldPath = writeImage(c, held, 0x5A, &bytes);
    const std::string path = writeImage(c, file, 0, &bytes);

    Nandrel_OpenModule();
    NANDREL_HANDLE port = Nandrel_OpenPort(Nandrel_OpenInterface(0), 0);
    NANDREL_HANDLE target = port ? Nandrel_OpenTarget(port, 0) : nullptr;
    DeviceRecord record{};
    if (!target || !Nandrel_VCC(target, 3000) || !Nandrel_OpenJTAG(target) ||
        !Nandrel_Identify(target, &record, sizeof record, 0)) {
        std::printf("%s: could not open the chip\n", c.chip);
        return false;
    }
    kv::sim::Chip& chip = *pod->chip();
    if (!Nandrel_ProgramFile(target, heldPath.c_str(), c.eraseType, 1)) {
        std::printf("%s: the image to replace did not program: %s\n", c.chip,
                    Nandrel_GetLastTargetError(target));
        return false;
    }
    pod->clearLog();
    const double chipStart = chip.seconds();
    const double programStart = chip.flash().programSeconds();
    const double eraseStart = chip.flash().eraseSeconds();
    const auto start = std::chrono::steady_clock::now();
    const int32_t ok = Nandrel_ProgramFile(target, path.c_str(), c.eraseType, 1);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!ok)
        std::printf("%s: programming failed: %s\n", c.chip, Nandrel_GetLastTargetError(target));
    const double chipSeconds = chip.seconds() - chipStart;
    const std::vector<kv::sim::CommandRecord> records = pod->records();
    const double commands = static_cast<double>(records.size());
    const double kb = bytes / 1024.0;
    size_t waits = 0;
    const double usb = usbSeconds(records, &waits);
    uint64_t periods = 0;
    const double jtag = jtagSeconds(records, &periods);
    const double modelled = chipSeconds + usb + jtag;
    const double ftg = chip.flash().lastTimingFrequency();
    const kv::sim::DeviceProfile& profile = chip.profile();
    double eraseLimit = 0, topEraseLimit = 0;
    const double limit = physicalLimit(profile, bytes, ftg, &eraseLimit);
    const double topLimit = physicalLimit(profile, bytes, profile.ftgMaxHz, &topEraseLimit);
    const Breakdown b = breakDown(records, chipStart, programStart, eraseStart);
    std::printf(
        "%-13s %6.1f KB erase+program+verify: wall %.3f s; per KB: %.2f pod commands, "
        "%.0f bytes to the pod, %.0f bytes back; modelled on hardware %.2f s "
        "(chip %.2f s + USB %.2f s for %.0f commands, %zu of whose replies wait for the "
        "latency timer, + JTAG %.2f s for %llu TCK periods at %.1f MHz)\n",
        c.chip, kb, wall, commands / kb, pod->hostBytes().size() / kb, pod->podBytes().size() / kb,
        modelled, chipSeconds, usb, commands, waits, jtag, static_cast<unsigned long long>(periods),
        kv::sim::kPodTckHz / 1e6);
    std::printf(
        "%-13s modelled time: programming %.3f s, clock searches %.3f s, loop between words "
        "%.3f s, USB %.3f s, JTAG %.3f s, erase %.3f s (and %.3f s checking it), other chip "
        "time %.3f s\n",
        c.chip, b.programming, b.clock, b.loop, usb, jtag, b.erase, b.eraseCheck, b.other);
    std::printf(
        "%-13s f_FTG %.1f kHz (%.1f..%.1f kHz over all erases and writes); physical limit "
        "%.2f s at it (%.0f f_FTG cycles a word, erase %.3f s), %.2f s at the rated %.1f kHz "
        "(erase %.3f s); modelled / limit %.2f at f_FTG, %.2f at the rated top\n",
        c.chip, ftg / 1e3, chip.flash().lowestTimingFrequency() / 1e3,
        chip.flash().highestTimingFrequency() / 1e3, limit,
        static_cast<double>(profile.timing.wordWrite), eraseLimit, topLimit, profile.ftgMaxHz / 1e3,
        topEraseLimit, modelled / limit, modelled / topLimit);
    const uint64_t breaks = chip.reportRuleBreaks();
    std::printf("%-13s flash rule breaks: %llu\n", c.chip, static_cast<unsigned long long>(breaks));
    Nandrel_CloseModule();
    kv::usb::setBackend(nullptr);
    std::filesystem::remove(file);
    std::filesystem::remove(held);
    return ok && breaks == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--short") imageBytes = kShortImageBytes;
    kv::ManualClock manual;
    kv::ScopedClock scope(manual);
    bool ok = run({"MSP430F149", 0x1000, NANDREL_PROGRAM_ERASE_ALL});  // information memory and main flash: 60 KB
    ok = run({"MSP430FG4619", 0x2100, NANDREL_PROGRAM_ERASE_MAIN}) && ok;
    return ok ? 0 : 1;
}
