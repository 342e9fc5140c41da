#include "kelvane/sim/rom_bootloader.h"

#include <algorithm>
#include <cmath>

#include "kelvane/sim/chip.h"
#include "kelvane/sim/loader_patch.h"

namespace kv::sim {

namespace {

constexpr uint32_t kFctl1 = 0x0128, kFctl2 = 0x012A, kFctl3 = 0x012C;
constexpr uint32_t kPeripheralEnd = 0x0200;
constexpr uint16_t kFwKey = 0xA500;
constexpr uint16_t kWrt = 0x0040, kLock = 0x0010, kFsselMclk = 0x0040, kMeras = 0x0004;
constexpr uint16_t kErase = 0x0002, kGmeras = 0x0008, kLockA = 0x0040;
constexpr uint32_t kMassEraseAddress = 0xFFFE;
constexpr uint32_t kHighVectorsKey = 0xFFBE;
constexpr uint32_t kRomStart = 0x0C00, kIdentification = 0x0FF0, kRomEnd = 0x1000;
constexpr uint8_t kAck = 0x90, kNak = 0xA0;
constexpr uint32_t kWdtctl = 0x0120;
constexpr uint16_t kWdtPasswordHold = 0x5A80;

uint16_t checksumWord(const std::vector<uint8_t>& bytes, size_t count) {
    uint16_t word = 0;
    for (size_t i = 0; i + 1 < count; i += 2)
        word ^= static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8));
    return word;
}

}  // namespace

LoaderProfile LoaderProfile::f149() {
    LoaderProfile p;
    p.name = "F149 loader 1.10";
    p.identification = {0xF1, 0x49, 0x00, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x10, 0, 0, 0, 0};
    p.testPin = false;
    p.needsPatch = true;
    p.patchCode = loaderPatchCode();
    p.ramStart = 0x0200;
    p.ramEnd = 0x0A00;
    return p;
}

LoaderProfile LoaderProfile::f413() {
    LoaderProfile p;
    p.name = "F413 loader 1.60";
    p.identification = {0xF4, 0x13, 0x00, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x60, 0, 0, 0, 0};
    p.ramStart = 0x0200;
    p.ramEnd = 0x0400;
    return p;
}

LoaderProfile LoaderProfile::f2619() {
    LoaderProfile p;
    p.name = "F2619 loader 2.12";
    p.identification = {0x26, 0x19, 0x00, 0, 0, 0, 0, 0, 0, 0, 0x02, 0x12, 0, 0, 0, 0};
    p.memoryOffset = true;
    p.ramStart = 0x1100;
    p.ramEnd = 0x3100;
    p.keyAddress = kHighVectorsKey;
    return p;
}

LoaderProfile LoaderProfile::forChip(const DeviceProfile& device, bool testPin) {
    LoaderProfile p;
    p.name = device.name + " boot ROM";
    p.identification = device.idBlock;
    p.testPin = testPin;
    const uint8_t major = p.major(), minor = p.minor();
    p.needsPatch = major < 2 && minor <= 0x10;
    if (p.needsPatch) p.patchCode = loaderPatchCode();
    p.memoryOffset = major >= 3 || (major == 2 && minor > 0x11);
    p.ramStart = device.ramStart;
    p.ramEnd = device.ramEnd + 1u;
    // The MSP430X parts (FG461x, F241x, F261x) have 32 interrupt vectors.
    if (device.extended) p.keyAddress = kHighVectorsKey;
    return p;
}

RomBootLoader::RomBootLoader(Bus& bus, LoaderProfile profile)
    : bus_(bus), profile_(std::move(profile)) {}

RomBootLoader::RomBootLoader(Chip& chip, LoaderProfile profile)
    : bus_(chip), chip_(&chip), profile_(std::move(profile)) {}

void RomBootLoader::settleFlash() {
    if (chip_ && chip_->flash().busy()) chip_->idleUntilFlashReady();
}

void RomBootLoader::runUserProgram(const uint32_t* pc) {
    if (!chip_) return;
    if (pc) {
        chip_->setReg(0, *pc);
    } else {
        chip_->por(ResetCause::ResetPin);
    }
    RunLimits limits;
    limits.maxCycles = profile_.userProgramCycles;
    chip_->run(limits);
}

void RomBootLoader::setSupply(bool on, uint64_t) {
    if (on == powered_) return;
    powered_ = on;
    if (chip_) {
        if (on) {
            chip_->powerOn();
        } else {
            chip_->powerOff();
        }
    }
    restart();
    frames_ = 0;
    pc_ = 0;
    entryEdges_ = 0;
    if (!on) {
        state_ = State::Off;
    } else {
        // Power-up with RST released starts the user program.
        state_ = reset_ ? State::UserProgram : State::InReset;
        if (state_ == State::UserProgram) runUserProgram(nullptr);
    }
}

void RomBootLoader::setReset(bool high, uint64_t) {
    const bool rising = high && !reset_;
    reset_ = high;
    if (!powered_) return;
    if (!high) {
        state_ = State::InReset;
        entryEdges_ = 0;
        return;
    }
    if (!rising) return;
    const bool entryLevel = profile_.testPin ? test_ : !tck_;
    if (state_ == State::InReset && entryEdges_ >= 2 && entryLevel) {
        if (chip_) {
            chip_->por(ResetCause::ResetPin);
            // The ROM code holds the watchdog before anything else.
            bus_.write16(kWdtctl, kWdtPasswordHold);
        }
        restart();
        frames_ = 0;
        pc_ = 0;
    } else {
        state_ = State::UserProgram;
        runUserProgram(nullptr);
    }
}

void RomBootLoader::setTest(bool high, uint64_t) {
    const bool rising = high && !test_;
    test_ = high;
    if (powered_ && profile_.testPin && state_ == State::InReset && rising) ++entryEdges_;
}

void RomBootLoader::setTck(bool high, uint64_t) {
    const bool falling = !high && tck_;
    tck_ = high;
    if (powered_ && !profile_.testPin && state_ == State::InReset && falling) ++entryEdges_;
}

void RomBootLoader::restart() {
    locked_ = true;
    offset_ = 0;
    patchArmed_ = false;
    frame_.clear();
    state_ = State::WaitSync;
}

void RomBootLoader::send(const std::vector<uint8_t>& bytes, uint64_t atUs) {
    if (!sink_) return;
    for (uint8_t b : bytes)
        sink_->transmit(b, atUs);
}

void RomBootLoader::receive(uint8_t value, bool ok, uint64_t atUs) {
    if (!powered_ || !running()) return;
    // The sync is answered before the frame is sent, so the host's wait for
    // that answer is no pause inside the frame: only gaps between its bytes are.
    if (state_ == State::InFrame && !frame_.empty() &&
        atUs - lastByteUs_ > uint64_t{profile_.frameGapMs} * 1000) {
        state_ = State::WaitSync;
        frame_.clear();
    }
    if (state_ == State::WaitSync) {
        if (ok && value == 0x80 && !faults_.noSync) {
            answer(kAck, atUs + profile_.syncAnswerUs);
            state_ = State::InFrame;
            frame_.clear();
            frameError_ = false;
        }
        return;
    }
    lastByteUs_ = atUs;
    frame_.push_back(value);
    if (!ok) frameError_ = true;
    if (frame_.size() == 1 && (value & 0xF0) != 0x80) {
        answer(kNak, atUs + profile_.commandUs);
        state_ = State::WaitSync;
        return;
    }
    if (frame_.size() >= 4 && frame_.size() == size_t{4} + frame_[2] + 2) frameComplete(atUs);
}

void RomBootLoader::frameComplete(uint64_t atUs) {
    ++frames_;
    state_ = State::WaitSync;
    if (faults_.silentFrame == frames_) return;
    const uint8_t l1 = frame_[2], l2 = frame_[3];
    const bool bad = frameError_ || l1 != l2 || l1 < 4 || (l1 & 1) ||
                     checksumWord(frame_, frame_.size()) != 0xFFFF;
    if (bad || faults_.refuseFrame == frames_) {
        answer(kNak, atUs + profile_.commandUs);
        return;
    }
    execute(atUs);
}

uint32_t RomBootLoader::effective(uint16_t address) const {
    return ((offset_ << 16) + address) & 0xFFFFF;
}

uint8_t RomBootLoader::readByte(uint32_t address) {
    if (!chip_ && address >= kIdentification && address < kRomEnd)
        return profile_.identification[address - kIdentification];
    return bus_.read8(address);
}

bool RomBootLoader::writeBlock(uint32_t address, const std::vector<uint8_t>& data) {
    bus_.write16(kFctl2, kFwKey | kFsselMclk | 0x02);
    bus_.write16(kFctl3, kFwKey);
    bus_.write16(kFctl1, kFwKey | kWrt);
    bool ok = true;
    // Loaders from 1.40 on compare what they wrote from 0x0200 to 0xFFFF (online
    // verification) and answer a difference with 0xA0; older ones answer every
    // block they received with 0x90, whether it took or not. Peripheral
    // registers (below 0x0200) read back other values than written (keys,
    // status bits) and are never checked.
    auto verified = [this](uint32_t a) {
        return profile_.verifiesWrites() && a >= kPeripheralEnd && a <= 0xFFFF;
    };
    for (size_t i = 0; i < data.size();) {
        const uint32_t a = (address + i) & 0xFFFFF;
        if (a >= kRomStart && a < kRomEnd) {
            // The boot ROM takes no write.
            if (verified(a) && readByte(a) != data[i]) ok = false;
            ++i;
            continue;
        }
        // Whole words where the block allows, as the ROM code writes them.
        if (!(a & 1) && i + 1 < data.size()) {
            bus_.write16(a, static_cast<uint16_t>(data[i] | (data[i + 1] << 8)));
            settleFlash();
            if (verified(a) && (bus_.read8(a) != data[i] || bus_.read8(a + 1) != data[i + 1]))
                ok = false;
            i += 2;
            continue;
        }
        bus_.write8(a, data[i]);
        settleFlash();
        if (verified(a) && bus_.read8(a) != data[i]) ok = false;
        ++i;
    }
    bus_.write16(kFctl1, kFwKey);
    bus_.write16(kFctl3, kFwKey | kLock);
    return ok;
}

void RomBootLoader::erase(uint32_t address, uint16_t control) {
    bus_.write16(kFctl2, kFwKey | kFsselMclk | 0x02);
    bus_.write16(kFctl3, kFwKey);
    // A mass or main erase is repeated until the erase time adds up to what
    // the part's flash needs (200 ms on the older flash, one run on the newer).
    int runs = 1;
    if (chip_ && (control & kMeras) && chip_->flash().timingFrequency() > 0) {
        const double each = chip_->profile().timing.massErase / chip_->flash().timingFrequency();
        runs = std::max(1, static_cast<int>(std::ceil(
                               chip_->profile().cumulativeMassEraseSeconds / each - 1e-9)));
    }
    for (int run = 0; run < runs; ++run) {
        bus_.write16(kFctl1, control);
        bus_.write8(address, 0);
        settleFlash();
    }
    bus_.write16(kFctl1, kFwKey);
    bus_.write16(kFctl3, kFwKey | kLock);
}

bool RomBootLoader::eraseAfterWrongPassword() {
    if (!profile_.erasesOnWrongPassword() || bus_.read16(profile_.keyAddress) == 0x0000)
        return false;
    // LOCKA toggles on a written 1: cleared, the information memory goes too.
    if (bus_.read16(kFctl3) & kLockA) bus_.write16(kFctl3, kFwKey | kLockA);
    uint16_t control = kFwKey | kMeras | kErase;
    if (chip_ && chip_->profile().globalMassErase) control |= kGmeras;
    erase(kMassEraseAddress, control);
    return true;
}

bool RomBootLoader::patchAt(uint32_t address) {
    if (profile_.patchCode.empty() || address < profile_.ramStart ||
        address + profile_.patchCode.size() > profile_.ramEnd)
        return false;
    for (size_t i = 0; i < profile_.patchCode.size(); ++i)
        if (bus_.read8(address + i) != profile_.patchCode[i]) return false;
    return true;
}

void RomBootLoader::execute(uint64_t atUs) {
    const uint8_t command = frame_[1];
    const auto address = static_cast<uint16_t>(frame_[4] | (frame_[5] << 8));
    const auto length = static_cast<uint16_t>(frame_[6] | (frame_[7] << 8));
    const std::vector<uint8_t> data(frame_.begin() + 8, frame_.end() - 2);
    uint64_t at = atUs + profile_.commandUs;

    if (command == 0x10) {
        bool match = data.size() == 32;
        for (size_t i = 0; match && i < 32; ++i)
            match = bus_.read8(0xFFE0 + i) == data[i];
        if (match) {
            locked_ = false;
            answer(kAck, at);
            return;
        }
        const bool erased = eraseAfterWrongPassword();
        answer(kNak, erased ? at + uint64_t{profile_.massEraseMs} * 1000 : at);
        return;
    }
    if (command == 0x18) {
        erase(address, length);
        answer(kAck, at + uint64_t{profile_.massEraseMs} * 1000);
        return;
    }
    if (locked_) {
        answer(kNak, at);
        return;
    }
    const uint32_t target = effective(address);
    const bool flawed = profile_.needsPatch && !patchArmed_ && target >= kRomEnd;
    switch (command) {
        case 0x12: {
            patchArmed_ = false;
            if (flawed || length != data.size()) {
                answer(kNak, at);
                return;
            }
            const bool ok = writeBlock(target, data);
            answer(ok ? kAck : kNak, at + uint64_t{profile_.byteWriteUs} * data.size());
            return;
        }
        case 0x14: {
            patchArmed_ = false;
            if (flawed || length > 254 || (length & 1)) {
                answer(kNak, at);
                return;
            }
            const auto n = static_cast<uint8_t>(length);
            std::vector<uint8_t> reply{0x80, 0x00, n, n};
            for (uint32_t i = 0; i < n; ++i)
                reply.push_back(readByte((target + i) & 0xFFFFF));
            const uint16_t word = checksumWord(reply, reply.size());
            reply.push_back(static_cast<uint8_t>(~word & 0xFF));
            reply.push_back(static_cast<uint8_t>(~word >> 8));
            using R = LoaderFaults::Reply;
            switch (faults_.reply) {
                case R::Header:
                    reply[0] = 0x81;
                    break;
                case R::L1:
                    reply[2] ^= 0x02;
                    break;
                case R::L2:
                    reply[3] ^= 0x02;
                    break;
                case R::Checksum:
                    reply[reply.size() - 1] ^= 0xFF;
                    break;
                case R::Data:
                    if (n) reply[4] ^= 0x01;
                    break;
                case R::Intact:
                    break;
            }
            send(reply, at);
            return;
        }
        case 0x16:
            erase(target, length);
            answer(kAck, at + uint64_t{profile_.segmentEraseMs} * 1000);
            return;
        case 0x1A:
            answer(kAck, at);
            if (target == profile_.restartEntry) {
                restart();
            } else if (patchAt(target)) {
                patchArmed_ = true;
            } else {
                state_ = State::UserProgram;
                pc_ = target;
                runUserProgram(&target);
            }
            return;
        case 0x21:
            if (!profile_.memoryOffset) break;
            offset_ = address;
            answer(kAck, at);
            return;
        default:
            break;
    }
    answer(kNak, at);
}

}  // namespace kv::sim
