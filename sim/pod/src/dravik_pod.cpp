#include "kelvane/sim/dravik_pod.h"

#include <algorithm>
#include <cstdio>

#include "kelvane/platform/clock.h"
#include "kelvane/sim/pod_commands.h"
#include "kelvane/sim/pod_firmware.h"

namespace kv::sim {

using kv::usb::Status;

void PodConfig::setHardwareLetter(char letter) {
    if (hardware.size() < 6) hardware.resize(6, ' ');
    hardware[5] = letter;
}

DravikPod::DravikPod(PodConfig config) : config_(std::move(config)) {
    flash_ = podfw::buildImage(config_.firmware);
    if (config_.corruptFlash) flash_[podfw::kCheckAt] ^= 0x5A5A;
    if (const DeviceProfile* profile = findProfile(config_.chip)) {
        chip_ = std::make_shared<Chip>(*profile);
        if (config_.configFuses >= 0)
            chip_->setConfigFuses(static_cast<uint8_t>(config_.configFuses));
        if (!config_.statePath.empty()) {
            if (FILE* f = std::fopen(config_.statePath.c_str(), "rb")) {
                std::fclose(f);
                if (!chip_->load(config_.statePath, &stateError_) && stateError_.empty())
                    stateError_ = "Cannot load chip file " + config_.statePath;
            }
        }
        // What this run asks for stands before what the state file holds.
        chip_->setStrictFlashTiming(!config_.lenient);
        if (config_.dcoScale > 0) chip_->setDcoScale(config_.dcoScale);
        for (uint32_t cell : config_.leakyCells)
            chip_->addLeakyCell(cell);
    }
    target_ = std::make_unique<PodTarget>(chip_);
    target_->setFaults(config_.target);
    target_->setBudget(config_.budget);
    target_->setRoutineLimit(config_.routineLimit);
}

DravikPod::~DravikPod() {
    std::lock_guard lock(mutex_);
    if (chip_) chip_->reportRuleBreaks();
    saveStateLocked(nullptr);
}

std::string DravikPod::stateError() const {
    std::lock_guard lock(mutex_);
    return stateError_;
}

bool DravikPod::saveState(std::string* error) {
    std::lock_guard lock(mutex_);
    return saveStateLocked(error);
}

bool DravikPod::saveStateLocked(std::string* error) {
    // A file that did not load is left alone rather than overwritten.
    if (!chip_ || config_.statePath.empty() || !stateError_.empty()) return true;
    return chip_->save(config_.statePath, error);
}

std::string DravikPod::description() const {
    std::lock_guard lock(mutex_);
    return config_.description;
}

Status DravikPod::open() {
    std::lock_guard lock(mutex_);
    ++opens_;
    open_ = true;
    target_->hostOpened();
    return kv::usb::kOk;
}

void DravikPod::close() {
    std::lock_guard lock(mutex_);
    open_ = false;
    pending_.clear();
    if (chip_) chip_->reportRuleBreaks();
    saveStateLocked(nullptr);
}

Status DravikPod::reset() {
    std::lock_guard lock(mutex_);
    ++resets_;
    if (config_.resetStatus != kv::usb::kOk) return config_.resetStatus;
    pending_.clear();
    rx_.clear();
    return kv::usb::kOk;
}

Status DravikPod::write(const uint8_t* data, size_t count, size_t* written) {
    std::lock_guard lock(mutex_);
    *written = 0;
    if (count == 0) return kv::usb::kOk;
    if (pending_.empty()) {
        const uint8_t command = data[0];
        const uint32_t n = ++writeStarts_[command];
        for (const PodFault& f : config_.faults) {
            if (f.kind == PodFaultKind::WriteFails && f.command == command &&
                (f.occurrence == 0 || f.occurrence == n)) {
                return f.value ? f.value : kv::usb::kIoError;
            }
        }
    }
    wire_.push_back({true, std::vector<uint8_t>(data, data + count)});
    pending_.insert(pending_.end(), data, data + count);
    *written = count;
    parse();
    if (!config_.statePath.empty() && target_->takeChanged()) saveStateLocked(nullptr);
    return kv::usb::kOk;
}

size_t DravikPod::rxAvailable() {
    std::lock_guard lock(mutex_);
    return rx_.size();
}

size_t DravikPod::read(uint8_t* buffer, size_t count) {
    std::lock_guard lock(mutex_);
    const size_t n = std::min(count, rx_.size());
    std::copy_n(rx_.begin(), n, buffer);
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

void DravikPod::waitForData(size_t wanted, uint32_t timeoutMs) {
    // The pod answers while the host writes, so nothing more arrives by waiting:
    // let the whole time-out pass at once.
    if (rxAvailable() < wanted) kv::clock().sleep(timeoutMs);
}

Status DravikPod::purge(uint32_t mask) {
    std::lock_guard lock(mutex_);
    if (mask & kv::usb::kPurgeRx) rx_.clear();
    if (mask & kv::usb::kPurgeTx) pending_.clear();
    return kv::usb::kOk;
}

PodConfig DravikPod::config() const {
    std::lock_guard lock(mutex_);
    return config_;
}

void DravikPod::addFault(PodFault fault) {
    std::lock_guard lock(mutex_);
    config_.faults.push_back(fault);
}

void DravikPod::clearFaults() {
    std::lock_guard lock(mutex_);
    config_.faults.clear();
    stopped_ = false;
}

void DravikPod::setSilent(bool silent) {
    std::lock_guard lock(mutex_);
    config_.silent = silent;
}

void DravikPod::queueStray(const std::vector<uint8_t>& bytes) {
    std::lock_guard lock(mutex_);
    rx_.insert(rx_.end(), bytes.begin(), bytes.end());
    wire_.push_back({false, bytes});
}

std::vector<uint16_t> DravikPod::flash() const {
    std::lock_guard lock(mutex_);
    return flash_;
}

std::string DravikPod::versionText() const {
    std::lock_guard lock(mutex_);
    return versionTextLocked();
}

std::string DravikPod::firmwareVersion() const {
    return versionText().substr(8);
}

uint8_t DravikPod::verifyStatus() const {
    std::lock_guard lock(mutex_);
    return config_.verifyFails ? config_.verifyFailStatus : podfw::verifyImage(flash_);
}

std::vector<WireEntry> DravikPod::wire() const {
    std::lock_guard lock(mutex_);
    return wire_;
}

std::vector<uint8_t> DravikPod::hostBytes() const {
    std::lock_guard lock(mutex_);
    std::vector<uint8_t> out;
    for (const WireEntry& e : wire_)
        if (e.fromHost) out.insert(out.end(), e.bytes.begin(), e.bytes.end());
    return out;
}

std::vector<uint8_t> DravikPod::podBytes() const {
    std::lock_guard lock(mutex_);
    std::vector<uint8_t> out;
    for (const WireEntry& e : wire_)
        if (!e.fromHost) out.insert(out.end(), e.bytes.begin(), e.bytes.end());
    return out;
}

std::vector<uint8_t> DravikPod::commands() const {
    std::lock_guard lock(mutex_);
    return commands_;
}

uint32_t DravikPod::count(uint8_t command) const {
    std::lock_guard lock(mutex_);
    auto it = counts_.find(command);
    return it == counts_.end() ? 0 : it->second;
}

std::vector<size_t> DravikPod::flashWriteSizes() const {
    std::lock_guard lock(mutex_);
    return flashWrites_;
}

std::vector<uint8_t> DravikPod::unknownBytes() const {
    std::lock_guard lock(mutex_);
    return unknown_;
}

uint32_t DravikPod::openCount() const {
    std::lock_guard lock(mutex_);
    return opens_;
}

uint32_t DravikPod::resetCount() const {
    std::lock_guard lock(mutex_);
    return resets_;
}

bool DravikPod::isOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

void DravikPod::clearLog() {
    std::lock_guard lock(mutex_);
    wire_.clear();
    commands_.clear();
    counts_.clear();
    writeStarts_.clear();
    flashWrites_.clear();
    unknown_.clear();
    records_.clear();
}

std::vector<CommandRecord> DravikPod::records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

std::string DravikPod::wireText() const {
    std::lock_guard lock(mutex_);
    std::string text;
    char hex[4];
    for (const CommandRecord& r : records_) {
        std::snprintf(hex, sizeof hex, "%u", r.command);
        text += "> ";
        text += hex;
        text += ' ';
        text += r.name;
        for (size_t i = 1; i < r.request.size(); ++i) {
            std::snprintf(hex, sizeof hex, " %02x", r.request[i]);
            text += hex;
        }
        text += " |";
        if (r.reply.empty()) text += " -";
        for (uint8_t b : r.reply) {
            std::snprintf(hex, sizeof hex, " %02x", b);
            text += hex;
        }
        text += '\n';
    }
    return text;
}

void DravikPod::parse() {
    while (!pending_.empty()) {
        const size_t length = podRequestLength(pending_.data(), pending_.size());
        if (length == 0) {
            // Not a command this pod knows: log it and drop the byte.
            unknown_.push_back(pending_[0]);
            pending_.erase(pending_.begin());
            continue;
        }
        // A command with data is complete once its count and all its data are in.
        if (pending_.size() < length) return;
        std::vector<uint8_t> command(pending_.begin(),
                                     pending_.begin() + static_cast<std::ptrdiff_t>(length));
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(length));
        execute(command);
    }
}

void DravikPod::execute(const std::vector<uint8_t>& command) {
    const uint8_t id = command[0];
    commands_.push_back(id);
    const uint32_t n = ++counts_[id];
    std::vector<uint8_t> bytes = answer(command);
    bool answerIt = !config_.silent && !stopped_;
    std::vector<uint8_t> stray;
    for (const PodFault& f : config_.faults) {
        if (f.command != id || (f.occurrence != 0 && f.occurrence != n)) continue;
        switch (f.kind) {
            case PodFaultKind::ShortReply:
                bytes.resize(bytes.size() - std::min<size_t>(bytes.size(), std::max(1u, f.value)));
                break;
            case PodFaultKind::WrongReplyId:
                if (!bytes.empty()) bytes[0] = static_cast<uint8_t>(f.value);
                break;
            case PodFaultKind::StrayBytes:
                stray.assign(f.value, 0xEE);
                break;
            case PodFaultKind::NoReply:
                answerIt = false;
                break;
            case PodFaultKind::StopAnswering:
                stopped_ = true;
                answerIt = false;
                break;
            case PodFaultKind::Status:
                // The fuse command's result byte stands where a status would.
                if (bytes.size() > 1 && (findPodCommand(id)->status || id == kPodFuseCommand))
                    bytes[1] = static_cast<uint8_t>(f.value);
                break;
            case PodFaultKind::WriteFails:
                break;
        }
    }
    target_->afterCommand();
    CommandRecord record{id, findPodCommand(id)->name, command, {}};
    record.jtagPeriods = podJtagPeriods(command.data());
    if (chip_) {
        record.chipSeconds = chip_->seconds();
        record.programSeconds = chip_->flash().programSeconds();
        record.eraseSeconds = chip_->flash().eraseSeconds();
    }
    if (answerIt) {
        bytes.insert(bytes.end(), stray.begin(), stray.end());
        record.reply = bytes;
        reply(std::move(bytes));
    }
    records_.push_back(std::move(record));
}

std::vector<uint8_t> DravikPod::answer(const std::vector<uint8_t>& command) {
    const uint8_t id = command[0];
    std::vector<uint8_t> out{static_cast<uint8_t>(id + 1)};
    switch (id) {
        case kPodPing:
            break;
        case kPodReportVersion: {
            const std::string text = versionTextLocked();
            out.insert(out.end(), text.begin(), text.end());
            break;
        }
        case kPodReportSerial:
            for (int shift = 24; shift >= 0; shift -= 8)
                out.push_back(static_cast<uint8_t>(config_.serial >> shift));
            break;
        case kPodDebug:
            out.push_back(static_cast<uint8_t>(config_.debugValue >> 8));
            out.push_back(static_cast<uint8_t>(config_.debugValue));
            out.push_back(0);
            out.push_back(0);
            break;
        case kPodEraseFlash: {
            const size_t end = config_.eraseFailAddress ? config_.eraseFailAddress : flash_.size();
            std::fill(flash_.begin(),
                      flash_.begin() + static_cast<std::ptrdiff_t>(std::min(end, flash_.size())),
                      0xFFFF);
            writePointer_ = 0;
            out.push_back(static_cast<uint8_t>(config_.eraseFailAddress >> 8));
            out.push_back(static_cast<uint8_t>(config_.eraseFailAddress));
            break;
        }
        case kPodWriteFlashBuffer: {
            const size_t words = command[1];
            flashWrites_.push_back(2 * words);
            const size_t taken = std::min(words, flash_.size() - writePointer_);
            for (size_t i = 0; i < taken; ++i) {
                // Flash bits only go from 1 to 0 until the next erase.
                const auto w = static_cast<uint16_t>(command[2 + 2 * i] << 8 | command[3 + 2 * i]);
                flash_[writePointer_++] &= w;
            }
            out.push_back(static_cast<uint8_t>(taken));
            break;
        }
        case kPodVerifyFlash:
            out.push_back(config_.verifyFails ? config_.verifyFailStatus
                                              : podfw::verifyImage(flash_));
            break;
        default:
            return target_->execute(command.data(), command.size());
    }
    return out;
}

std::string DravikPod::versionTextLocked() const {
    std::string text = config_.hardware.substr(0, 8);
    text.resize(8, ' ');
    // Without an intact image only the boot loader answers, with version 00.00.00.
    std::string version = podfw::imageVersion(flash_);
    text += version.empty() ? "00.00.00" : version;
    return text;
}

void DravikPod::reply(std::vector<uint8_t> bytes) {
    if (bytes.empty()) return;
    rx_.insert(rx_.end(), bytes.begin(), bytes.end());
    wire_.push_back({false, std::move(bytes)});
}

}  // namespace kv::sim
