// The chip's ROM bootstrap loader, seen from its pins.
//
// Power, RST/NMI, TEST and TCK come from the adapter. The loader starts only
// by its entry sequence: while powered with RST low, at least two rising
// edges on TEST (chips with a TEST pin) or two falling edges on TCK (chips
// without one), then RST released while TEST is high (TCK low). Any other
// release of RST, or power-up with RST released, runs the user program and
// the loader stays silent.
//
// Serial protocol: 0x80 is answered 0x90 (sync), then one frame: header
// 0x80-0x8F, command, L1, L2 (equal), address, length, data, CKL, CKH (the
// inverted XOR of all 16-bit words before them). A bad frame (header, L1/L2,
// checksum, a character with a line error) is answered 0xA0, as is a refused
// command. Until the password (the 32 bytes at 0xFFE0) is received only the
// password and mass-erase commands are accepted; mass erase also erases the
// vectors, so the password becomes 32 bytes of 0xFF. A wrong password is
// answered 0xA0; a loader of version 2.00 or later then mass-erases the main
// flash and, with LOCKA cleared first, the information memory too, unless the
// loader key word (just below the interrupt vectors) is 0x0000. Loaders 1.x
// keep the chip.
//
// Memory goes through kv::sim::Bus; flash is written and erased the way the
// ROM code does it, through FCTL1/FCTL2/FCTL3 with their keys. Loaders from
// version 1.40 on verify a written block from 0x0200 to 0xFFFF themselves and
// answer a byte that did not take with 0xA0; older ones acknowledge it. Reads of the
// identification block at 0x0FF0 come from the loader's own ROM.
//
// Bound to a simulated chip (kv::sim::Chip), the loader is that chip's boot
// ROM: the supply switches the chip's power, a release of RST resets it, the
// loader's writes go through the chip's flash controller (and wait while it
// is busy), the identification block and version bytes are the chip's own,
// and a user program - after a load PC or a plain reset - runs on the chip's
// CPU for a budget of cycles.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "kelvane/sim/bsl_target_lines.h"
#include "kelvane/sim/bus.h"

namespace kv::sim {

class Chip;
struct DeviceProfile;

struct LoaderProfile {
    std::string name;
    // The 16 bytes at 0x0FF0: device id in bytes 0-2, loader version in 10 (major) and 11 (minor).
    std::array<uint8_t, 16> identification{};
    bool testPin = true;        // entry sequence on TEST, else on TCK
    bool memoryOffset = false;  // knows command 0x21
    // Data-block writes and reads at 0x1000 and above are refused unless the
    // RAM patch handles them (a load PC onto the patch code arms it for the
    // next data-block command).
    bool needsPatch = false;
    std::vector<uint8_t> patchCode;  // what the patch in RAM starts with
    uint32_t restartEntry = 0x0C22;  // load PC here restarts the loader (locked again)
    // The loader key word: 0x0000 there keeps the chip on a wrong password
    // (loaders 2.x). It lies below the interrupt vectors: 0xFFDE where they
    // start at 0xFFE0, 0xFFBE on the parts whose 32 vectors start at 0xFFC0.
    uint32_t keyAddress = 0xFFDE;
    uint32_t ramStart = 0x0200, ramEnd = 0x0A00;
    SerialFormat uart{};           // 9600 baud, 8 data bits, even parity, 1 stop bit
    uint32_t syncAnswerUs = 200;   // time from the sync byte to its answer
    uint32_t commandUs = 500;      // time from a frame to its answer
    uint32_t byteWriteUs = 80;     // extra per byte written
    uint32_t segmentEraseMs = 20;  // extra for an erase-segment command
    uint32_t massEraseMs = 250;    // extra for a mass-erase command
    uint32_t frameGapMs = 100;     // a pause this long between a frame's bytes abandons it
    // CPU cycles a started user program runs for (on a chip; it stops early when it sleeps).
    uint64_t userProgramCycles = 200000;

    uint8_t major() const { return identification[10]; }
    uint8_t minor() const { return identification[11]; }
    bool erasesOnWrongPassword() const { return major() >= 2; }
    // Online verification of written blocks (0x0200-0xFFFF): from version 1.40 on.
    bool verifiesWrites() const { return (major() << 8 | minor()) >= 0x0140; }

    // Loader 1.10 of a chip without TEST pin (id F1 49): needs the patch.
    static LoaderProfile f149();
    // Loader 1.60 of a chip with TEST pin (id F4 13): no patch.
    static LoaderProfile f413();
    // Loader 2.12 of a chip with TEST pin and memory above 64K (id 26 19): memory offset.
    static LoaderProfile f2619();
    // The loader of a simulated chip: identification and version from the
    // chip's identification block; the patch needed up to version 1.10; the
    // memory-offset command from 2.12 on; RAM from the chip's map.
    static LoaderProfile forChip(const DeviceProfile& device, bool testPin);
};

// Faults the loader can be told to make.
struct LoaderFaults {
    enum class Reply { Intact, Header, L1, L2, Checksum, Data };
    bool noSync = false;          // never answers the sync byte
    uint32_t refuseFrame = 0;     // answers the n-th frame (from 1) with 0xA0 without doing it
    uint32_t silentFrame = 0;     // does not answer the n-th frame at all
    Reply reply = Reply::Intact;  // how read replies come out
};

class RomBootLoader : public BslTargetLines {
  public:
    enum class State { Off, InReset, UserProgram, WaitSync, InFrame };

    RomBootLoader(Bus& bus, LoaderProfile profile);
    // The boot ROM of `chip`.
    RomBootLoader(Chip& chip, LoaderProfile profile);

    LoaderFaults& faults() { return faults_; }
    const LoaderProfile& profile() const { return profile_; }
    State state() const { return state_; }
    bool running() const { return state_ == State::WaitSync || state_ == State::InFrame; }
    bool locked() const { return locked_; }
    uint32_t memoryOffset() const { return offset_; }
    // Where the user program was started by a load PC (0 when none).
    uint32_t programCounter() const { return pc_; }
    // Complete frames received since the loader started.
    uint32_t frames() const { return frames_; }

    // BslTargetLines
    void setSupply(bool on, uint64_t atUs) override;
    void setReset(bool high, uint64_t atUs) override;
    void setTest(bool high, uint64_t atUs) override;
    void setTck(bool high, uint64_t atUs) override;
    bool bootloaderSignal() const override { return powered_; }
    SerialFormat serialFormat() const override { return profile_.uart; }
    void receive(uint8_t value, bool ok, uint64_t atUs) override;
    void attachTransmitter(SerialSink* sink) override { sink_ = sink; }

  private:
    void entryEdge();
    void send(const std::vector<uint8_t>& bytes, uint64_t atUs);
    void answer(uint8_t value, uint64_t atUs) { send({value}, atUs); }
    void frameComplete(uint64_t atUs);
    void execute(uint64_t atUs);
    uint32_t effective(uint16_t address) const;
    uint8_t readByte(uint32_t address);
    bool writeBlock(uint32_t address, const std::vector<uint8_t>& data);
    void erase(uint32_t address, uint16_t control);
    // A wrong password on a 2.x loader: everything goes unless the key word
    // keeps it; true when the chip was erased.
    bool eraseAfterWrongPassword();
    bool patchAt(uint32_t address);
    void restart();
    // Chip bound: the flash controller finishes its operation.
    void settleFlash();
    // Chip bound: the CPU runs the user program, from `pc` or from the reset vector.
    void runUserProgram(const uint32_t* pc);

    Bus& bus_;
    Chip* chip_ = nullptr;
    LoaderProfile profile_;
    LoaderFaults faults_;
    SerialSink* sink_ = nullptr;

    bool powered_ = false;
    bool reset_ = false;  // RST/NMI level
    bool test_ = false;
    bool tck_ = true;
    int entryEdges_ = 0;

    State state_ = State::Off;
    bool locked_ = true;
    bool patchArmed_ = false;
    uint32_t offset_ = 0;
    uint32_t pc_ = 0;
    uint32_t frames_ = 0;
    bool frameError_ = false;
    uint64_t lastByteUs_ = 0;
    std::vector<uint8_t> frame_;
};

}  // namespace kv::sim
