// Saving a chip to a file and loading it back: memory contents, peripheral
// registers, CPU registers, fuses, erase counts, stuck bits and the flash
// rules broken.
//
// File layout (little-endian): "KVCHIP" and a 16-bit version, then the fields
// below in order, then a 32-bit sum of every byte before it.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "kelvane/platform/write_all.h"
#include "kelvane/sim/chip.h"

namespace kv::sim {

namespace {

constexpr char kMagic[6] = {'K', 'V', 'C', 'H', 'I', 'P'};
constexpr uint16_t kVersion = 1;

class Writer {
  public:
    void bytes(const void* data, size_t size) {
        const auto* p = static_cast<const uint8_t*>(data);
        out.insert(out.end(), p, p + size);
    }
    template <typename T>
    void value(T v) {
        bytes(&v, sizeof v);
    }
    void text(const std::string& s) {
        value(static_cast<uint16_t>(s.size()));
        bytes(s.data(), s.size());
    }
    std::vector<uint8_t> out;
};

class Reader {
  public:
    Reader(const std::vector<uint8_t>& data, size_t end) : data_(data), end_(end) {}
    bool bytes(void* out, size_t size) {
        if (size > end_ - pos_) return false;
        std::memcpy(out, data_.data() + pos_, size);
        pos_ += size;
        return true;
    }
    template <typename T>
    bool value(T* v) {
        return bytes(v, sizeof *v);
    }
    bool text(std::string* s) {
        uint16_t size = 0;
        if (!value(&size) || size > end_ - pos_) return false;
        s->assign(reinterpret_cast<const char*>(data_.data() + pos_), size);
        pos_ += size;
        return true;
    }
    bool atEnd() const { return pos_ == end_; }

  private:
    const std::vector<uint8_t>& data_;
    size_t end_;
    size_t pos_ = 0;
};

uint32_t byteSum(const std::vector<uint8_t>& data, size_t size) {
    uint32_t sum = 0;
    for (size_t i = 0; i < size; ++i)
        sum += data[i];
    return sum;
}

// Writes the file as a whole or not at all: into a temporary file beside it,
// flushed to the disk, then renamed over it, so that a run killed while
// saving leaves the previous file.
bool writeWhole(const std::string& path, const std::vector<uint8_t>& data, std::string* error) {
    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        if (error) *error = "Cannot create chip file " + path;
        return false;
    }
    const bool written = kv::WriteAll(fd, data.data(), data.size()) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        if (error) *error = "Cannot write chip file " + path;
        return false;
    }
    return true;
}

}  // namespace

bool Chip::save(const std::string& path, std::string* error) const {
    Writer w;
    w.bytes(kMagic, sizeof kMagic);
    w.value(kVersion);
    w.text(profile_.name);
    w.value(static_cast<uint8_t>(powered_));
    w.value(supply_);
    w.value(static_cast<uint8_t>(fuseBlown_));
    w.value(configFuses_);
    w.value(ie1_);
    w.value(ifg1_);
    w.value(flash_.fctl1());
    w.value(flash_.fctl2());
    w.value(flash_.fctl3());
    w.bytes(clocks_.registers().data(), clocks_.registers().size());
    // What makes this part itself: DCO spread and faults, crystals, flash timing checks.
    w.value(clocks_.scale());
    w.value(clocks_.dcoMinHz());
    w.value(clocks_.dcoMaxHz());
    w.value(clocks_.lfxt1Hz());
    w.value(clocks_.xt2Hz());
    w.value(static_cast<uint8_t>(flash_.strict()));
    // Counters as they stand now, not as of their last update.
    Watchdog watchdog = watchdog_;
    watchdog.sync(seconds(), watchdogSourceHz());
    TimerA timer = timer_;
    timer.sync(seconds(), timerSourceHz());
    w.value(watchdog.control());
    w.value(watchdog.counter());
    for (uint16_t v : timer.state())
        w.value(v);
    w.value(cycles_);
    w.value(instructions_);
    w.value(seconds());
    for (int n = 0; n < 16; ++n)
        w.value(cpu_->reg(n));
    w.value(static_cast<uint32_t>(flash_.eraseCounts().size()));
    for (auto [segment, count] : flash_.eraseCounts()) {
        w.value(segment);
        w.value(count);
    }
    w.value(static_cast<uint32_t>(flash_.stuckBits().size()));
    for (const StuckBit& s : flash_.stuckBits()) {
        w.value(s.address);
        w.value(s.bit);
        w.value(static_cast<uint8_t>(s.value));
    }
    // Mapped memory as runs of consecutive mapped pages.
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    for (uint32_t page = 0; page < pages_.size(); ++page) {
        if (pages_[page] == kUnmapped) continue;
        uint32_t start = page << kPageShift;
        if (!runs.empty() && runs.back().first + runs.back().second == start) {
            runs.back().second += 1u << kPageShift;
        } else {
            runs.emplace_back(start, 1u << kPageShift);
        }
    }
    w.value(static_cast<uint32_t>(runs.size()));
    for (auto [start, size] : runs) {
        w.value(start);
        w.value(size);
        w.bytes(mem_ + start, size);
    }
    // The program time of the rows since their erase (a trailing section that
    // older files do not have).
    w.value(static_cast<uint32_t>(flash_.rowProgramTimes().size()));
    for (auto [row, time] : flash_.rowProgramTimes()) {
        w.value(row);
        w.value(time);
    }
    // The flash rules broken so far and the erase history that decides the
    // next break (a second trailing section).
    const FlashRuleBreaks& counts = flash_.ruleBreaks();
    const FlashRuleBreaks& addresses = flash_.lastBreakAddresses();
    for (const FlashRuleBreaks* b : {&counts, &addresses}) {
        w.value(b->clock);
        w.value(b->programTime);
        w.value(b->massErase);
        w.value(b->blockRow);
        w.value(b->eraseTime);
    }
    w.value(static_cast<uint8_t>(flash_.eraseRunOpen()));
    w.value(static_cast<uint32_t>(flash_.eraseTimes().size()));
    for (auto [segment, time] : flash_.eraseTimes()) {
        w.value(segment);
        w.value(time);
    }
    w.value(static_cast<uint32_t>(flash_.fullyErasedSegments().size()));
    for (uint32_t segment : flash_.fullyErasedSegments())
        w.value(segment);
    // The supply and access rules broken (a third trailing section).
    for (const FlashRuleBreaks* b : {&counts, &addresses}) {
        w.value(b->supply);
        w.value(b->access);
    }
    w.value(byteSum(w.out, w.out.size()));
    return writeWhole(path, w.out, error);
}

bool Chip::load(const std::string& path, std::string* error) {
    auto fail = [&](const std::string& text) {
        if (error) *error = text;
        return false;
    };
    std::vector<uint8_t> data;
    {
        std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
        if (!file) return fail("Cannot open chip file " + path);
        uint8_t buffer[65536];
        size_t got = 0;
        while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
            data.insert(data.end(), buffer, buffer + got);
    }
    if (data.size() < sizeof kMagic + 2 + 4 || std::memcmp(data.data(), kMagic, sizeof kMagic) != 0)
        return fail("Not a chip file: " + path);
    uint32_t storedSum = 0;
    std::memcpy(&storedSum, data.data() + data.size() - 4, 4);
    if (storedSum != byteSum(data, data.size() - 4)) return fail("Chip file is damaged: " + path);

    Reader r(data, data.size() - 4);
    char magic[6];
    uint16_t version = 0;
    r.bytes(magic, sizeof magic);
    r.value(&version);
    if (version != kVersion)
        return fail("Unsupported chip file version " + std::to_string(version));
    std::string name;
    if (!r.text(&name)) return fail("Chip file is damaged: " + path);
    if (name != profile_.name)
        return fail("Chip file is for " + name + ", not for " + profile_.name);

    uint32_t supply = 0;
    uint8_t powered = 0, blown = 0, fuses = 0, ie1 = 0, ifg1 = 0, f1 = 0, f2 = 0, f3 = 0, wdt = 0;
    std::array<uint8_t, 8> clockRegs{};
    double wdtCount = 0, secs = 0;
    uint64_t cycles = 0, instructions = 0;
    uint32_t regs[16] = {};
    bool ok = r.value(&powered) && r.value(&supply) && r.value(&blown) && r.value(&fuses) &&
              r.value(&ie1) && r.value(&ifg1) && r.value(&f1) && r.value(&f2) && r.value(&f3) &&
              r.bytes(clockRegs.data(), clockRegs.size());
    double scale = 1, dcoMin = 0, dcoMax = 0, lfxt1 = 0, xt2 = 0;
    uint8_t strict = 0;
    ok = ok && r.value(&scale) && r.value(&dcoMin) && r.value(&dcoMax) && r.value(&lfxt1) &&
         r.value(&xt2) && r.value(&strict) && scale > 0;
    ok = ok && r.value(&wdt) && r.value(&wdtCount);
    std::array<uint16_t, 8> timer{};
    for (uint16_t& v : timer)
        ok = ok && r.value(&v);
    ok = ok && r.value(&cycles) && r.value(&instructions) && r.value(&secs);
    for (uint32_t& reg : regs)
        ok = ok && r.value(&reg);
    std::map<uint32_t, uint32_t> counts;
    uint32_t n = 0;
    ok = ok && r.value(&n);
    for (uint32_t i = 0; ok && i < n; ++i) {
        uint32_t segment = 0, count = 0;
        ok = r.value(&segment) && r.value(&count);
        counts[segment] = count;
    }
    std::vector<StuckBit> stuck;
    ok = ok && r.value(&n);
    for (uint32_t i = 0; ok && i < n; ++i) {
        StuckBit s;
        uint8_t value = 0;
        ok = r.value(&s.address) && r.value(&s.bit) && r.value(&value);
        s.value = value != 0;
        stuck.push_back(s);
    }
    // Memory runs are checked against this chip's map before anything is changed.
    struct Run {
        uint32_t start;
        uint32_t size;
        std::vector<uint8_t> bytes;
    };
    std::vector<Run> runs;
    ok = ok && r.value(&n);
    for (uint32_t i = 0; ok && i < n; ++i) {
        Run run{};
        ok = r.value(&run.start) && r.value(&run.size) && run.size <= kMemorySize &&
             run.start <= kMemorySize - run.size;
        if (!ok) break;
        run.bytes.resize(run.size);
        ok = r.bytes(run.bytes.data(), run.size);
        for (uint32_t a = run.start; ok && a < run.start + run.size; a += 1u << kPageShift)
            ok = pages_[a >> kPageShift] != kUnmapped;
        runs.push_back(std::move(run));
    }
    std::map<uint32_t, double> rowTimes;
    if (ok && !r.atEnd()) {
        ok = r.value(&n);
        for (uint32_t i = 0; ok && i < n; ++i) {
            uint32_t row = 0;
            double time = 0;
            ok = r.value(&row) && r.value(&time);
            rowTimes[row] = time;
        }
    }
    FlashRuleBreaks breakCounts;
    FlashRuleBreaks addresses;
    uint8_t runOpen = 0;
    std::map<uint32_t, double> eraseTimes;
    std::set<uint32_t> fullyErased;
    if (ok && !r.atEnd()) {
        for (FlashRuleBreaks* b : {&breakCounts, &addresses})
            ok = ok && r.value(&b->clock) && r.value(&b->programTime) && r.value(&b->massErase) &&
                 r.value(&b->blockRow) && r.value(&b->eraseTime);
        ok = ok && r.value(&runOpen) && r.value(&n);
        for (uint32_t i = 0; ok && i < n; ++i) {
            uint32_t segment = 0;
            double time = 0;
            ok = r.value(&segment) && r.value(&time);
            eraseTimes[segment] = time;
        }
        ok = ok && r.value(&n);
        for (uint32_t i = 0; ok && i < n; ++i) {
            uint32_t segment = 0;
            ok = r.value(&segment);
            fullyErased.insert(segment);
        }
    }
    if (ok && !r.atEnd()) {
        for (FlashRuleBreaks* b : {&breakCounts, &addresses})
            ok = ok && r.value(&b->supply) && r.value(&b->access);
    }
    if (!ok || !r.atEnd()) return fail("Chip file is damaged: " + path);

    for (const Run& run : runs)
        std::memcpy(mem_ + run.start, run.bytes.data(), run.size);
    powered_ = powered != 0;
    supply_ = supply;
    flash_.setSupply(supply);
    kinds_ = powered_ ? pages_.data() : unpoweredPages_.data();
    cpu_->invalidateDirectPages();
    fuseBlown_ = blown != 0;
    configFuses_ = fuses;
    ie1_ = ie1;
    ifg1_ = ifg1;
    cycles_ = cycles;
    instructions_ = instructions;
    syncCycles_ = cycles;
    syncSeconds_ = secs;
    clocks_.setScale(scale);
    clocks_.setDcoLimits(dcoMin, dcoMax);
    clocks_.setCrystals(lfxt1, xt2);
    clocks_.setRegisters(clockRegs);
    flash_.setStrict(strict != 0);
    mclk_ = clocks_.mclkHz() > 0 ? clocks_.mclkHz() : 1.0;
    flash_.setRegisters(f1, f2, f3);
    flash_.setEraseCounts(std::move(counts));
    flash_.setRowProgramTimes(std::move(rowTimes));
    flash_.setRuleBreaks(breakCounts, addresses);
    flash_.setEraseHistory(std::move(eraseTimes), std::move(fullyErased), runOpen != 0);
    reportedBreaks_ = breakCounts.total();
    flash_.clearStuckBits();
    for (const StuckBit& s : stuck)
        flash_.addStuckBit(s);
    watchdog_.restore(wdt, wdtCount, secs);
    timer_.restore(timer, secs);
    for (int i = 0; i < 16; ++i)
        cpu_->setReg(i, regs[i]);
    pucPending_ = false;
    watchdogFaultAt_ = kNoEvent;
    lastFllWrite_ = secs;
    nextHousekeeping_ = secs;
    updateInterrupts();
    scheduleEvents();
    return true;
}

}  // namespace kv::sim
