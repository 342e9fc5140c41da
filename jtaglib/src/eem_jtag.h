// The target's enhanced emulation module: the breakpoint table and the trigger
// blocks it occupies, combinations, trace, variable watch, clock control, the
// sequencer, and the polling thread that watches a running CPU and reports
// stops and storage events to the client's callback.
//
// Operations return 1 on success or 0 with the target's error number set.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "nandrel/nandrel.h"

namespace nandrel {

class CTargetJTAG;

inline constexpr int kEemTableSize = 20;
inline constexpr int kEemMaxBlocks = 10;
// Combination handles follow the breakpoint handles (1 to 20).
inline constexpr uint16_t kCombinationHandleBase = 0x100;

struct EemBreakpoint {
    bool used = false;
    BreakpointRecord record{};
    uint32_t blocks = 0;       // trigger blocks it occupies (bit b)
    int combination = -1;      // combination register it fires through (its first block)
    uint32_t combineWord = 0;  // that register's value: members, and "any" for outside ranges
    uint16_t combinedIn = 0;   // the combination it is part of, 0 none
};

struct EemCombination {
    bool used = false;
    int index = -1;  // combination register
    std::vector<uint16_t> members;
};

struct EemVariable {
    uint16_t handle = 0;  // the storage trigger of the low word
    uint16_t upper = 0;   // the trigger of the high word of a 32-bit variable
    uint32_t address = 0;
    uint32_t size = 0;  // 0 byte, 1 word, 2 32-bit
    uint32_t value = 0;
    uint32_t halves = 0;  // bit 0 low word seen, bit 1 high word seen
    uint32_t reported = 0;
};

// A trigger block as the library last wrote it: compare value, control word,
// mask and its combination register.
struct EemBlockShadow {
    uint32_t value = 0;
    uint32_t control = 0;
    uint32_t mask = 0;
    uint32_t combine = 0;
};

// One message for the client, sent outside the port lock.
struct EemMessage {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

class CEemJTAG : public std::enable_shared_from_this<CEemJTAG> {
  public:
    explicit CEemJTAG(CTargetJTAG& target) : t_(target) {}
    ~CEemJTAG();
    CEemJTAG(const CEemJTAG&) = delete;
    CEemJTAG& operator=(const CEemJTAG&) = delete;

    // --- Exported operations.
    int32_t Init(NandrelEemCallback callback, uint32_t clientValue,
                 const EemMessageNumbers* messages);
    int32_t Open();
    int32_t Close() { return StopPolling(); }
    int32_t ReadRegister(uint32_t number, uint32_t* value);
    int32_t WriteRegister(uint32_t number, uint32_t value);
    int32_t SimpleBreakpoint(int32_t number, uint32_t address);
    int32_t Test();
    int32_t SetBreakpoint(uint16_t* handle, const BreakpointRecord* record);
    int32_t GetBreakpoint(uint16_t handle, BreakpointRecord* record);
    int32_t SetCombination(int32_t mode, uint16_t count, uint16_t* handle, const uint16_t* list);
    int32_t GetCombination(uint16_t handle, uint16_t* count, uint16_t* list);
    int32_t SetTrace(const EemTraceSettings* settings);
    int32_t GetTrace(EemTraceSettings* settings);
    int32_t ReadTraceBuffer(EemTraceEntry* entries);
    int32_t RefreshTraceBuffer();
    int32_t SetVariableWatch(bool enable);
    int32_t SetVariable(uint16_t* handle, const EemVariableSettings* settings);
    // `entries` has one slot per address trigger block (the part's breakpoint count).
    int32_t GetVariableWatch(uint32_t* state, EemVariableEntry* entries);
    int32_t SetClockControl(const EemClockControl* settings);
    int32_t GetClockControl(EemClockControl* settings);
    int32_t SetSequencer(const EemSequencer* settings);
    int32_t GetSequencer(EemSequencer* settings);
    int32_t ReadSequencerState(uint32_t* state);

    // --- The polling thread.
    // Starts it (InitEem first); 1, or 0 with error 43, 42 or 59.
    int32_t StartPolling();
    // Pauses, stops and ends it; 1, or 0 with error 60 or 42.
    int32_t StopPolling();
    // Ends the thread whatever it takes: the target is closing or going away.
    // Called from the client's callback it only asks the thread to leave.
    void Shutdown();
    bool Pause(uint32_t timeoutMs);
    bool Wake(int32_t runMode, bool jtagReleased);
    bool polling() const { return polling_; }
    bool threadRunning() const { return thread_.joinable() && !ended_; }
    // Called before a run: the stop of the new run is not reported yet.
    void PrepareRun() { breakpointReported_ = false; }
    // The break reaction follows the run: the breakpoints stop a CPU that
    // runs to them (and are in force while it is held), none stops a free
    // run. Writes register 128 when what it holds changes; false with the
    // pod's text.
    bool SetFreeRun(bool free);
    // Whether an opcode fetch at `address` would stop the CPU: a trigger with
    // a break reaction, or an armed simple breakpoint on a part without EEM.
    bool BreaksAtFetch(uint32_t address, uint16_t opcode) const;

    // --- Notifications (nothing without a callback).
    void Notify(const EemMessage& m) const;
    void NotifyWarning(uint32_t wParam) const;
    void NotifyCpuStopped(uint32_t cycles) const;

  private:
    // Runs `body` as an EEM operation: pauses the thread, holds the port
    // lock, and wakes the thread again for the current run.
    template <typename F>
    int32_t Operation(F&& body);
    bool WriteReg(uint16_t reg, uint32_t value);
    // Keeps what a register write armed (trigger blocks and the break reaction).
    void NoteWrite(uint16_t reg, uint32_t value);
    bool FetchMatches(int block, uint32_t address, uint16_t opcode) const;
    void NoteSimpleBreakpoint(int number, uint32_t address);
    bool ReadReg(uint16_t reg, uint32_t* value);
    int32_t InitEem();
    // Writes the clock-control and module clock-control values the target
    // keeps into the EEM, and keeps what the pod reports back.
    bool WriteClockControl();
    uint32_t AllBlocks() const;
    int BusBlocks() const;
    int RegisterBlocks() const;
    bool CheckRecord(const BreakpointRecord& r) const;
    // Whether an instruction can be fetched at a code breakpoint's address;
    // false with the reason as the target's detail.
    bool FetchAddressFits(uint32_t address) const;
    // Chooses blocks for `r` among those free; false when none are left.
    bool Allocate(const BreakpointRecord& r, uint32_t busy, EemBreakpoint* bp) const;
    bool ProgramBreakpoint(const EemBreakpoint& bp);
    bool ClearBlocks(uint32_t blocks, int combination);
    bool UpdateReactions();
    bool SequencerUses(uint16_t handle) const;
    EemBreakpoint* Find(uint16_t handle);
    EemCombination* FindCombination(uint16_t handle);
    int CombinationOf(uint16_t handle);  // combination register of a breakpoint or combination
    bool ReleaseCombination(uint16_t handle);
    // Writes the combination registers of a combination's members.
    bool ProgramCombination(const EemCombination& c);
    // The table and the combinations as a set found them.
    struct BreakpointState {
        std::array<EemBreakpoint, kEemTableSize> table;
        std::array<EemCombination, kEemMaxBlocks> combinations;
    };
    // Puts them back after a failed set and rewrites the trigger blocks it touched.
    void RestoreBreakpoints(const BreakpointState& before, uint32_t touched);
    bool ClearBreakpoint(uint16_t handle);
    bool ReadStorageEntry(int slot, EemTraceEntry* entry, bool withControl);
    bool ReadTrace();
    void HandleTrace(int32_t state, std::vector<EemMessage>* out);
    void HandleWatch(std::vector<EemMessage>* out);
    uint16_t TraceControl() const;
    int32_t SetVariableLocked(uint16_t* handle, const EemVariableSettings* settings);
    int32_t GetVariableWatchLocked(uint32_t* state, EemVariableEntry* entries);

    void ThreadMain();
    void Sleep();
    bool OnPollingThread() const;
    // One poll under the port lock; false when the thread should sleep.
    bool Poll(std::vector<EemMessage>* out);

    CTargetJTAG& t_;
    NandrelEemCallback callback_ = nullptr;
    uint32_t clientValue_ = 0;
    EemMessageNumbers messages_{};

    std::thread thread_;
    std::atomic<std::thread::id> pollingId_{};
    std::atomic<bool> polling_{false};
    std::atomic<bool> stopRequest_{false};
    std::atomic<bool> pauseRequest_{false};
    std::atomic<bool> ended_{false};
    std::atomic<bool> abandoned_{false};
    std::atomic<uint32_t> wakeCount_{0};
    bool breakpointReported_ = false;
    int depth_ = 0;  // operations under way on the caller's thread

    std::array<EemBreakpoint, kEemTableSize> table_{};
    std::array<EemCombination, kEemMaxBlocks> combinations_{};
    uint32_t breakMask_ = 0;
    // A free run holds 0 in register 128 instead of breakMask_.
    bool freeRun_ = false;
    uint32_t storageMask_ = 0;
    uint32_t simpleBreaks_ = 0;  // blocks armed by the simple breakpoints
    std::array<EemBlockShadow, kEemMaxBlocks> shadow_{};
    // Simple breakpoints of a part without EEM: their addresses, and which are armed.
    std::array<uint32_t, 2> simpleAddress_{};
    uint32_t simpleArmed_ = 0;

    std::array<uint16_t, 4> sequencerTriggers_{};
    uint16_t resetTrigger_ = 0;
    EemSequencer sequencer_{};
    bool sequencerOn_ = false;
    int lastSequencerState_ = 0;

    EemTraceSettings trace_{1, 3, 0};
    std::array<EemTraceEntry, 8> traceBuffer_{};
    int storageUse_ = 0;  // 0 none, 1 trace, 2 variable watch
    bool traceReported_ = false;
    uint32_t lastIndex_ = 0;
    int sameIndexPolls_ = 0;
    uint32_t lastReportedIndex_ = 0;
    std::vector<EemVariable> variables_;

    EemClockControl clock_{0, 0x60D7, 46};
};

}  // namespace nandrel
