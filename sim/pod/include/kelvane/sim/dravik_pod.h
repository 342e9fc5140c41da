// The simulated Dravik JTAG pod as a USB device: it parses the host's byte
// stream into pod commands by their known lengths and answers at once into its
// receive queue. It keeps its own program flash with a firmware image (see
// pod_firmware.h), drives a simulated chip through PodTarget (the command set
// is described in sim/pod/POD_COMMANDS.md), logs every byte each way and every
// command by name, counts commands and injects faults.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kelvane/platform/usb.h"
#include "kelvane/platform/usb_backend.h"
#include "kelvane/sim/chip.h"
#include "kelvane/sim/pod_target.h"

namespace kv::sim {

inline constexpr const char* kDravikDescription = "Dravik - MSP430 Flash Programmer";
inline constexpr const char* kDravikShortDescription = "Dravik";

// Pod-level command bytes; the reply id is the command plus one.
enum PodCommand : uint8_t {
    kPodEraseFlash = 8,
    kPodWriteFlashBuffer = 10,
    kPodVerifyFlash = 12,
    kPodPing = 18,
    kPodReportVersion = 20,
    kPodReportSerial = 22,
    kPodDebug = 30,
};

// The configuration fuse command: its reply carries a result byte (a status
// of 0 to 5) and the fuse byte read.
inline constexpr uint8_t kPodFuseCommand = 26;

enum class PodFaultKind {
    ShortReply,     // the reply loses its last `value` bytes (at least one)
    WrongReplyId,   // the reply id is replaced by `value`
    StrayBytes,     // `value` extra bytes (0xEE) follow the reply
    WriteFails,     // the host write that starts the command fails with status `value`
    NoReply,        // the command is taken but not answered
    StopAnswering,  // from this command on the pod answers nothing
    Status,         // the reply's status byte is `value` (commands with a status byte, and
                    // the result byte of the fuse command)
};

struct PodFault {
    uint8_t command = 0;
    PodFaultKind kind = PodFaultKind::NoReply;
    uint32_t value = 0;
    // 0: every time the command comes; n: only its n-th arrival (counted from 1).
    uint32_t occurrence = 0;
};

struct PodConfig {
    std::string description = kDravikDescription;
    // First eight characters of the version text; character 5 is the hardware letter.
    std::string hardware = "DRV-1P-A";
    // Version of the firmware image in program flash at power-up.
    std::string firmware = "02.03.03";
    bool corruptFlash = false;  // the image's check value is wrong (an interrupted update)
    bool verifyFails = false;   // the verify command always fails (broken flash)
    uint8_t verifyFailStatus = 0x80;
    uint16_t eraseFailAddress = 0;  // non-zero: the erase stops there and reports it
    uint32_t serial = 123456;
    uint16_t debugValue = 0x0102;
    kv::usb::Status resetStatus = kv::usb::kOk;
    bool silent = false;  // takes every byte, answers nothing
    std::vector<PodFault> faults;

    // The chip at the end of the cable: a profile name of the chip model
    // ("" or "none": nothing attached), its state file ("" none) and the cycles
    // a released CPU runs per command.
    std::string chip = "MSP430F149";
    // The chip's configuration fuse byte at start (-1: the profile's); a state
    // file that loads replaces it.
    int32_t configFuses = -1;
    std::string statePath;
    uint64_t budget = 10000;
    // The flash rules are enforced unless `lenient`; `dcoScale` (0: as the
    // chip or its state file has it) scales the chip's oscillators.
    bool lenient = false;
    double dcoScale = 0;
    // Flash bytes of the chip that hold no charge (Chip::addLeakyCell).
    std::vector<uint32_t> leakyCells;
    uint64_t routineLimit = PodTarget::kRoutineCycleLimit;
    TargetFaults target;

    void setHardwareLetter(char letter);
};

struct WireEntry {
    bool fromHost = false;
    std::vector<uint8_t> bytes;
};

// One command as the pod took it and answered it.
struct CommandRecord {
    uint8_t command = 0;
    std::string name;
    std::vector<uint8_t> request;
    std::vector<uint8_t> reply;  // as sent, after faults; empty: no reply
    // The chip's simulated time, and the time its flash spent programming and
    // erasing, once the command was done (0 without a chip).
    double chipSeconds = 0;
    double programSeconds = 0;
    double eraseSeconds = 0;
    // TCK periods the command clocked on the JTAG lines (at kPodTckHz).
    uint32_t jtagPeriods = 0;
};

class DravikPod : public kv::usb::Device {
  public:
    explicit DravikPod(PodConfig config = {});
    ~DravikPod() override;

    // kv::usb::Device
    std::string description() const override;
    kv::usb::Status open() override;
    void close() override;
    kv::usb::Status reset() override;
    kv::usb::Status write(const uint8_t* data, size_t count, size_t* written) override;
    size_t rxAvailable() override;
    size_t read(uint8_t* buffer, size_t count) override;
    void waitForData(size_t wanted, uint32_t timeoutMs) override;
    kv::usb::Status purge(uint32_t mask) override;
    // The pod runs its chip only on commands: a host's pause passes at once
    // on modelled time, so a loader pause beside it needs no wall time.
    bool pause(uint32_t /*ms*/) override { return true; }

    // Configuration, also while in use.
    PodConfig config() const;
    void addFault(PodFault fault);
    void clearFaults();
    void setSilent(bool silent);
    // Puts bytes into the receive queue as if a reply had been left unread.
    void queueStray(const std::vector<uint8_t>& bytes);

    // Program flash and what the pod reports from it.
    std::vector<uint16_t> flash() const;
    std::string versionText() const;      // the 16 characters of command 20
    std::string firmwareVersion() const;  // characters 8-15
    uint8_t verifyStatus() const;

    // The chip and the pod's side of it (null chip: nothing attached). Not
    // locked: for tests between host calls.
    std::shared_ptr<Chip> chip() const { return chip_; }
    const PodTarget& target() const { return *target_; }
    // Why the state file could not be loaded ("" when it was, or there was none).
    std::string stateError() const;
    // Saves the chip to the state file now; false with `error` set on failure.
    bool saveState(std::string* error = nullptr);

    // Observation.
    std::vector<WireEntry> wire() const;
    std::vector<CommandRecord> records() const;
    // One line per command: "> 56 IrShift 7f | 57 89" (request bytes after the
    // command byte, then the reply; "| -" for none).
    std::string wireText() const;
    std::vector<uint8_t> hostBytes() const;
    std::vector<uint8_t> podBytes() const;
    std::vector<uint8_t> commands() const;  // command bytes in the order they were taken
    uint32_t count(uint8_t command) const;
    std::vector<size_t> flashWriteSizes() const;  // data bytes of every write-buffer command
    std::vector<uint8_t> unknownBytes() const;
    uint32_t openCount() const;
    uint32_t resetCount() const;
    bool isOpen() const;
    void clearLog();

  private:
    void parse();
    bool saveStateLocked(std::string* error);
    void execute(const std::vector<uint8_t>& command);
    std::vector<uint8_t> answer(const std::vector<uint8_t>& command);
    std::string versionTextLocked() const;
    void reply(std::vector<uint8_t> bytes);

    mutable std::mutex mutex_;
    PodConfig config_;
    std::vector<uint16_t> flash_;
    size_t writePointer_ = 0;
    std::vector<uint8_t> pending_;  // host bytes of a command not yet complete
    std::deque<uint8_t> rx_;        // reply bytes waiting for the host
    bool stopped_ = false;
    bool open_ = false;
    uint32_t opens_ = 0;
    uint32_t resets_ = 0;
    std::vector<WireEntry> wire_;
    std::vector<uint8_t> commands_;
    std::map<uint8_t, uint32_t> counts_;
    std::map<uint8_t, uint32_t> writeStarts_;
    std::vector<size_t> flashWrites_;
    std::vector<uint8_t> unknown_;
    std::vector<CommandRecord> records_;
    std::shared_ptr<Chip> chip_;
    std::unique_ptr<PodTarget> target_;
    std::string stateError_;
};

}  // namespace kv::sim
