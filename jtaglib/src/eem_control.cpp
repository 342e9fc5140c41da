// EEM start-up and register access: initialisation, the EEM registers, the
// simple breakpoints, the diagnostic, clock control and the sequencer.
#include "eem_operation.h"
#include "text_format.h"

namespace nandrel {

namespace {

constexpr uint32_t kWarningAccess = 7;
constexpr uint32_t kWarningClock = 3;
constexpr uint16_t kBreakReaction = 128;
constexpr uint16_t kGeneralControl = 130;
constexpr uint16_t kStatus = 131;
constexpr uint16_t kClockControl = 136;
constexpr uint16_t kModuleClockControl = 138;
constexpr uint16_t kTriggerFlags = 143;
constexpr uint16_t kStorageReaction = 152;
constexpr uint16_t kStorageControl = 158;
constexpr uint16_t kSequence01 = 160;
constexpr uint16_t kSequence23 = 162;
constexpr uint16_t kSequencerControl = 166;
constexpr uint16_t kControlledClock = 46;
constexpr uint16_t kFreeClock = 38;
constexpr uint32_t kClass13 = 13;
constexpr uint8_t kFuseCheckInstruction = 20;

}  // namespace

bool CEemJTAG::WriteReg(uint16_t reg, uint32_t value) {
    const uint32_t written = value;
    if (!t_.protocol()->EEM_DataExchange(reg, &value)) return t_.Fail(t_.protocol()->errorText());
    NoteWrite(reg, written);
    return true;
}

bool CEemJTAG::ReadReg(uint16_t reg, uint32_t* value) {
    *value = 0;
    return t_.protocol()->EEM_DataExchange(reg, value) || t_.Fail(t_.protocol()->errorText());
}

int CEemJTAG::BusBlocks() const {
    const int n = t_.classValues().breakpoints;
    return n > 8 ? 8 : n;
}

int CEemJTAG::RegisterBlocks() const {
    return t_.classValues().emulationLevel >= 3 ? 2 : 0;
}

uint32_t CEemJTAG::AllBlocks() const {
    return (1u << (BusBlocks() + RegisterBlocks())) - 1;
}

int32_t CEemJTAG::Init(NandrelEemCallback callback, uint32_t clientValue,
                       const EemMessageNumbers* messages) {
    if (t_.selectedDevice() == 0) return t_.SetError(kErrUnknownDevice);
    if (!Pause(kPollingPauseMs)) return t_.SetError(kErrThreadPause);
    callback_ = callback;
    clientValue_ = clientValue;
    if (messages) messages_ = *messages;
    if (t_.classValues().emulationLevel == 0) return t_.SetError(kErrEemInit);
    if (!t_.protocol() || !t_.port()) {
        t_.Fail("NULL interface");
        return t_.SetError(kErrInitialize);
    }
    if (!StartPolling()) return 0;
    return t_.ClearError();
}

int32_t CEemJTAG::InitEem() {
    std::lock_guard lock(t_.port()->lock());
    // The EEM answers over JTAG whether the CPU is held or runs, so it starts
    // without a reset: the CPU stays where it was, and registers written into
    // the copy are still what it runs from. A CPU left running with the link
    // released (a reset or run that let it go) is taken back and runs on.
    if (!t_.TakeBackJtag()) return kErrEemInit;
    if (!WriteReg(kBreakReaction, 0) || !WriteReg(kGeneralControl, 0)) return kErrEemInit;
    // Breakpoints set while the CPU runs free stop it only once it runs to them.
    freeRun_ = t_.runMode() == kFreeRun;
    // The controlled clock goes into force at once, not at a next reset.
    if (!t_.Configure(2, kControlledClock) || !WriteClockControl()) return kErrEemInit;
    if (t_.deviceClass() == kClass13 && !t_.Configure(1, 0)) return kErrEemInit;
    for (int b = 0; b < BusBlocks() + RegisterBlocks(); ++b)
        for (uint16_t field = 0; field < 8; field += 2)
            if (!WriteReg(static_cast<uint16_t>(b * 8 + field), 0)) return kErrEemInit;
    if (t_.classValues().emulationLevel >= 3) {
        for (uint16_t reg :
             {kStorageReaction, kStorageControl, kSequence01, kSequence23, kSequencerControl})
            if (!WriteReg(reg, 0)) return kErrEemInit;
    }
    table_.fill(EemBreakpoint{});
    combinations_.fill(EemCombination{});
    breakMask_ = storageMask_ = simpleBreaks_ = 0;
    clock_ = {0, 0x60D7, kControlledClock};
    storageUse_ = 0;
    sequencerOn_ = false;
    sequencer_ = {};
    lastSequencerState_ = 0;
    trace_ = {1, 3, 0};
    traceReported_ = false;
    variables_.clear();
    sequencerTriggers_.fill(0);
    resetTrigger_ = 0;
    return 0;
}

bool CEemJTAG::WriteClockControl() {
    uint16_t clock = t_.clockControl();
    uint16_t main = t_.mainClockControl();
    CTargetProtocolJTAG& p = *t_.protocol();
    if (!p.EEM_WriteRegister(kClockControl, clock, &clock, &main) ||
        !p.EEM_WriteRegister(kModuleClockControl, main, &clock, &main))
        return t_.Fail(p.errorText());
    t_.SetClockValues(clock, main);
    return true;
}

int32_t CEemJTAG::Open() {
    if (polling_) NotifyWarning(kWarningAccess);
    return Operation([&] {
        if (t_.selectedDevice() == 0 || t_.classValues().emulationLevel == 0)
            return t_.SetError(kErrUnknownDevice);
        // The stop bit and the trigger flags start afresh.
        if (!t_.protocol()->EEM_WriteControl(0x0002) || !t_.protocol()->EEM_WriteControl(0))
            return t_.PodError(kErrOpenEem);
        return t_.ClearError();
    });
}

int32_t CEemJTAG::ReadRegister(uint32_t number, uint32_t* value) {
    if (polling_) NotifyWarning(kWarningAccess);
    return Operation([&] {
        if (!value) return t_.SetError(kErrParameter);
        if (t_.selectedDevice() == 0 || t_.classValues().emulationLevel == 0)
            return t_.SetError(kErrUnknownDevice);
        if (!(number & 1) || number >= 256) return t_.SetError(kErrParameter);
        CTargetProtocolJTAG& p = *t_.protocol();
        bool ok;
        if (number == kStatus || number == kTriggerFlags) {
            uint16_t w = 0;
            ok = number == kStatus ? p.EEM_ReadControl(&w) : p.EEM_ReadTrigger(&w);
            *value = w;
        } else {
            *value = 0;
            ok = p.EEM_DataExchange(static_cast<uint16_t>(number), value);
        }
        if (!ok) return t_.PodError(kErrReadEemRegister);
        return t_.ClearError();
    });
}

int32_t CEemJTAG::WriteRegister(uint32_t number, uint32_t value) {
    if (polling_) NotifyWarning(kWarningAccess);
    return Operation([&] {
        if (t_.selectedDevice() == 0 || t_.classValues().emulationLevel == 0)
            return t_.SetError(kErrUnknownDevice);
        if ((number & 1) || number >= 256) return t_.SetError(kErrParameter);
        uint16_t clock = t_.clockControl();
        uint16_t main = t_.mainClockControl();
        if (!t_.protocol()->EEM_WriteRegister(static_cast<uint16_t>(number), value, &clock, &main))
            return t_.PodError(kErrWriteEemRegister);
        NoteWrite(static_cast<uint16_t>(number), value);
        t_.SetClockValues(clock, main);
        return t_.ClearError();
    });
}

int32_t CEemJTAG::SimpleBreakpoint(int32_t number, uint32_t address) {
    if (polling_) NotifyWarning(kWarningAccess);
    return Operation([&] {
        if (t_.selectedDevice() == 0) return t_.SetError(kErrUnknownDevice);
        if (number < 0 || number >= t_.classValues().breakpoints || address > 0xFFFF)
            return t_.SetError(kErrParameter);
        CTargetProtocolJTAG& p = *t_.protocol();
        const uint32_t bit = 1u << number;
        if (t_.classValues().emulationLevel != 0) {
            // A block that a breakpoint of the table holds stays that breakpoint's.
            for (const EemBreakpoint& bp : table_)
                if (bp.used && (bp.blocks & bit)) {
                    t_.Fail(format("Trigger block %d is in use by breakpoint %d", number,
                                   static_cast<int>(&bp - table_.data()) + 1));
                    return t_.SetError(kErrResources);
                }
            const auto b = static_cast<uint16_t>(number * 8);
            uint32_t previous = breakMask_;
            if (!WriteReg(b, address) || !WriteReg(b + 2, 0) || !WriteReg(b + 4, 0) ||
                !WriteReg(b + 6, bit))
                return t_.SetError(kErrBreakpoint);
            // A free run goes on past it: the next run to the breakpoints arms it.
            if (!freeRun_ && (!ReadReg(kBreakReaction + 1, &previous) ||
                              !WriteReg(kBreakReaction, previous | bit)))
                return t_.SetError(kErrBreakpoint);
            simpleBreaks_ |= bit;
            breakMask_ = previous | bit;
        } else if (!p.IrDrShift16(9, 0, nullptr) ||
                   !p.IrDrShift16(number == 0 ? 11 : 13, static_cast<uint16_t>(address), nullptr)) {
            return t_.PodError(kErrBreakpoint);
        } else {
            NoteSimpleBreakpoint(number, address);
        }
        return t_.ClearError();
    });
}

int32_t CEemJTAG::Test() {
    Operation([&] {
        CTargetProtocolJTAG& p = *t_.protocol();
        for (int round = 0; round < 2; ++round) {
            uint16_t status = 0;
            uint32_t v = 0;
            p.EEM_ReadControl(&status);
            p.EEM_DataExchange(137, &v);
            v = 0;
            p.EEM_DataExchange(139, &v);
            if (round == 0) p.IrShift(kFuseCheckInstruction, nullptr);
        }
        p.EEM_WriteControl(t_.savedEemControl());
        uint16_t clock = t_.clockControl();
        uint16_t main = t_.mainClockControl();
        p.EEM_WriteRegister(kClockControl, clock, &clock, &main);
        p.EEM_WriteRegister(kModuleClockControl, main, &clock, &main);
        return 1;
    });
    return 1;
}

int32_t CEemJTAG::SetClockControl(const EemClockControl* settings) {
    bool changed = false;
    const int32_t result = Operation([&] {
        if (!settings) return t_.SetError(kErrParameter);
        if (t_.selectedDevice() == 0) return t_.SetError(kErrUnknownDevice);
        if (t_.classValues().clockControl == 0) return t_.SetError(kErrNoClockControl);
        EemClockControl next = *settings;
        if (settings->mode != 1) next = {0, t_.classValues().mainClockDefault, kFreeClock};
        if (next.mainClockControl != clock_.mainClockControl ||
            next.generalClockControl != clock_.generalClockControl) {
            if (!t_.Configure(3, next.mainClockControl) ||
                !t_.Configure(2, next.generalClockControl) || !t_.Reset(kResetPuc, false, false))
                return 0;
            if (t_.deviceClass() == kClass13 && !t_.Configure(1, 0)) return 0;
            changed = true;
        }
        clock_ = next;
        return t_.ClearError();
    });
    if (changed) NotifyWarning(kWarningClock);
    return result;
}

int32_t CEemJTAG::GetClockControl(EemClockControl* settings) {
    if (!settings) return t_.SetError(kErrParameter);
    *settings = clock_;
    return t_.ClearError();
}

int32_t CEemJTAG::SetSequencer(const EemSequencer* settings) {
    return Operation([&] {
        if (t_.selectedDevice() == 0) return t_.SetError(kErrUnknownDevice);
        if (t_.classValues().emulationLevel < 3) return t_.SetError(kErrNoSequencer);
        if (!settings) return t_.SetError(kErrParameter);
        const uint32_t* w = settings->words;
        if (w[0] != 1) {
            if (!WriteReg(kSequencerControl, 0) || !WriteReg(kSequence01, 0) ||
                !WriteReg(kSequence23, 0))
                return t_.SetError(kErrBreakpoint);
            sequencerOn_ = false;
            sequencerTriggers_.fill(0);
            resetTrigger_ = 0;
            sequencer_ = *settings;
            return UpdateReactions() ? t_.ClearError() : t_.SetError(kErrBreakpoint);
        }
        const auto reset = static_cast<uint16_t>(w[1]);
        const auto start = static_cast<uint16_t>(w[1] >> 16);
        if (start == 0) return t_.SetError(kErrParameter);
        uint16_t x[4], y[4];
        for (int i = 0; i < 4; ++i) {
            x[i] = static_cast<uint16_t>(w[6 + i / 2] >> (16 * (i % 2)));
            y[i] = static_cast<uint16_t>(w[12 + i / 2] >> (16 * (i % 2)));
            if (w[2 + i] > 3 || w[8 + i] > 3) return t_.SetError(kErrParameter);
        }
        for (uint16_t h : {reset, start, x[0], x[1], x[2], x[3], y[0], y[1], y[2], y[3]})
            if (h != 0 && CombinationOf(h) < 0) return t_.SetError(kErrResources);
        std::array<uint16_t, 4> slots{};
        int used = 0;
        for (uint16_t h : {x[0], x[1], x[2], x[3], y[0], y[1], y[2], y[3]}) {
            if (h == 0 || h == reset) continue;
            bool known = false;
            for (int i = 0; i < used; ++i)
                known = known || slots[static_cast<size_t>(i)] == h;
            if (known) continue;
            if (used == 4) return t_.SetError(kErrResources);
            slots[static_cast<size_t>(used++)] = h;
        }
        auto trig = [&](uint16_t h) -> uint32_t {
            return h ? static_cast<uint32_t>(CombinationOf(h) + 1) : 0u;
        };
        uint32_t pair[2];
        for (int k = 0; k < 2; ++k) {
            const int even = 2 * k, odd = 2 * k + 1;
            pair[k] = w[2 + even] | w[8 + even] << 4 | w[2 + odd] << 8 | w[8 + odd] << 12 |
                      trig(x[even]) << 16 | trig(y[even]) << 20 | trig(x[odd]) << 24 |
                      trig(y[odd]) << 28;
        }
        const uint32_t control = reset ? 3u | static_cast<uint32_t>(CombinationOf(reset)) << 8 : 1u;
        if (!WriteReg(kSequence01, pair[0]) || !WriteReg(kSequence23, pair[1]) ||
            !WriteReg(kSequencerControl, control | 0x0004))
            return t_.SetError(kErrBreakpoint);
        sequencerTriggers_ = slots;
        resetTrigger_ = reset;
        sequencer_ = *settings;
        sequencerOn_ = true;
        lastSequencerState_ = 0;
        return UpdateReactions() ? t_.ClearError() : t_.SetError(kErrBreakpoint);
    });
}

int32_t CEemJTAG::GetSequencer(EemSequencer* settings) {
    if (!settings) return t_.SetError(kErrParameter);
    *settings = sequencer_;
    return t_.ClearError();
}

int32_t CEemJTAG::ReadSequencerState(uint32_t* state) {
    return Operation([&] {
        if (!state) return t_.SetError(kErrParameter);
        if (t_.selectedDevice() == 0) return t_.SetError(kErrUnknownDevice);
        if (!sequencerOn_) return t_.SetError(kErrSequencerOff);
        uint32_t v = 0;
        if (!ReadReg(kSequencerControl + 1, &v)) return t_.SetError(kErrReadEemRegister);
        *state = (v >> 8) & 3;
        return t_.ClearError();
    });
}

}  // namespace nandrel
