// The breakpoint table: records checked against what the EEM level can
// express, trigger blocks chosen and programmed, combinations of breakpoints,
// and the break (128) and storage (152) reactions over all of them.
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

#include "eem_operation.h"
#include "text_format.h"

namespace nandrel {

namespace {

constexpr uint16_t kBreakReaction = 128;
constexpr uint16_t kStorageReaction = 152;
constexpr uint32_t kCombineAny = 0x8000;
constexpr uint32_t kSequencerTrigger = 0x8000;
enum : uint32_t { kModeClear = 0, kModeCode = 1, kModeRange = 2, kModeComplex = 3 };
enum : uint32_t { kOpEqual = 0, kOpGreater = 1, kOpLower = 2, kOpUnequal = 3 };
constexpr uint32_t kTypeRegister = 2;

bool wholeBytes(uint32_t mask) {
    const uint32_t m = mask & 0xFFFF;
    return m == 0 || m == 0x00FF || m == 0xFF00 || m == 0xFFFF;
}

// Control word of a block: access, operator, what it compares, register.
uint32_t control(uint32_t access, uint32_t op, uint32_t source, uint32_t reg) {
    return (access & 15) | (op & 3) << 4 | (source & 3) << 6 | (reg & 15) << 8;
}

struct BlockSetting {
    uint32_t value, control, mask;
};

}  // namespace

EemBreakpoint* CEemJTAG::Find(uint16_t handle) {
    if (handle == 0 || handle > kEemTableSize) return nullptr;
    EemBreakpoint& bp = table_[handle - 1u];
    return bp.used ? &bp : nullptr;
}

EemCombination* CEemJTAG::FindCombination(uint16_t handle) {
    if (handle <= kCombinationHandleBase || handle > kCombinationHandleBase + kEemMaxBlocks)
        return nullptr;
    EemCombination& c = combinations_[handle - kCombinationHandleBase - 1u];
    return c.used ? &c : nullptr;
}

int CEemJTAG::CombinationOf(uint16_t handle) {
    if (EemBreakpoint* bp = Find(handle)) return bp->combination;
    if (EemCombination* c = FindCombination(handle)) return c->index;
    return -1;
}

bool CEemJTAG::SequencerUses(uint16_t handle) const {
    if (!sequencerOn_ || handle == 0) return false;
    if (handle == resetTrigger_) return true;
    return std::find(sequencerTriggers_.begin(), sequencerTriggers_.end(), handle) !=
           sequencerTriggers_.end();
}

bool CEemJTAG::CheckRecord(const BreakpointRecord& r) const {
    // A part without EEM expresses no breakpoint record at all.
    if (t_.classValues().emulationLevel == 0) return false;
    const bool full = t_.classValues().emulationLevel >= 3;
    if (r.mode > kModeComplex || r.type > kTypeRegister || r.access > 15 || r.action > 3 ||
        r.op > kOpUnequal || r.rangeAction > 1 || r.condition > 1 || r.conditionAccess > 15 ||
        r.conditionOperator > kOpUnequal)
        return false;
    if (r.mode == kModeRange && (r.type == kTypeRegister || !full)) return false;
    if (r.mode != kModeComplex) return true;
    if (r.type == kTypeRegister && (!full || r.registerNumber > 15)) return false;
    if (full) return true;
    // The smaller levels compare whole bytes for equality or inequality only.
    auto plain = [](uint32_t op) { return op == kOpEqual || op == kOpUnequal; };
    return plain(r.op) && wholeBytes(r.mask) &&
           (!r.condition || (plain(r.conditionOperator) && wholeBytes(r.conditionMask)));
}

bool CEemJTAG::FetchAddressFits(uint32_t address) const {
    // Instructions start at even addresses of the part's memory: a trigger
    // anywhere else would never fire.
    const uint32_t last = t_.lastAddress();
    if (address > last)
        return t_.Fail(
            format("The code breakpoint at %05lX lies past %05lX, the device's last "
                   "address",
                   static_cast<unsigned long>(address), static_cast<unsigned long>(last)));
    if (address & 1)
        return t_.Fail(
            format("The code breakpoint at %05lX is odd: instructions start at even "
                   "addresses",
                   static_cast<unsigned long>(address)));
    return true;
}

bool CEemJTAG::Allocate(const BreakpointRecord& r, uint32_t busy, EemBreakpoint* bp) const {
    auto take = [&](int first, int count) -> int {
        for (int b = first; b < first + count; ++b)
            if (!(busy & (1u << b))) {
                busy |= 1u << b;
                return b;
            }
        return -1;
    };
    const int bus = BusBlocks();
    int main;
    if (r.mode == kModeComplex && r.type == kTypeRegister)
        main = take(bus, RegisterBlocks());
    else
        main = take(0, bus);
    if (main < 0) return false;
    bp->blocks = 1u << main;
    bp->combination = main;
    if (r.mode == kModeRange || (r.mode == kModeComplex && r.condition)) {
        const int second = take(0, bus);
        if (second < 0) return false;
        bp->blocks |= 1u << second;
    }
    bp->combineWord = bp->blocks;
    if (r.mode == kModeRange && r.rangeAction == 1) bp->combineWord |= kCombineAny;
    return true;
}

bool CEemJTAG::ProgramBreakpoint(const EemBreakpoint& bp) {
    const BreakpointRecord& r = bp.record;
    const uint32_t width = t_.classValues().msp430x ? 0xFFFFF : 0xFFFF;
    const int main = bp.combination;
    std::vector<std::pair<int, BlockSetting>> blocks;
    if (r.mode == kModeCode) {
        blocks.push_back({main, {r.address, 0, 0}});
    } else if (r.mode == kModeRange) {
        const uint32_t lo = std::min(r.address, r.endAddress) & width;
        const uint32_t hi = std::max(r.address, r.endAddress) & width;
        const int second = std::countr_zero(bp.blocks & ~(1u << main));
        BlockSetting a, b;
        if (r.rangeAction == 0) {
            a = {lo, control(r.access, kOpGreater, r.type, 0), 0};
            b = {hi, control(r.access, kOpLower, r.type, 0), 0};
        } else {
            // Outside: below the start or above the end (either block may fire).
            a = lo > 0 ? BlockSetting{lo - 1, control(r.access, kOpLower, r.type, 0), 0}
                       : BlockSetting{hi + 1, control(r.access, kOpGreater, r.type, 0), 0};
            b = hi < width ? BlockSetting{hi + 1, control(r.access, kOpGreater, r.type, 0), 0} : a;
        }
        blocks.push_back({main, a});
        blocks.push_back({second, b});
    } else {
        const uint32_t mask = ~r.mask & width;
        blocks.push_back(
            {main, {r.address, control(r.access, r.op, r.type, r.registerNumber), mask}});
        if (r.condition) {
            const int second = std::countr_zero(bp.blocks & ~(1u << main));
            blocks.push_back(
                {second,
                 {r.data & 0xFFFF, control(r.conditionAccess, r.conditionOperator, 1, 0),
                  ~r.conditionMask & 0xFFFF}});
        }
    }
    for (const auto& [b, s] : blocks) {
        const auto base = static_cast<uint16_t>(b * 8);
        if (!WriteReg(base, s.value) || !WriteReg(base + 2, s.control) ||
            !WriteReg(base + 4, s.mask))
            return false;
    }
    return WriteReg(static_cast<uint16_t>(main * 8 + 6), bp.combineWord);
}

bool CEemJTAG::ClearBlocks(uint32_t blocks, int combination) {
    for (int b = 0; b < kEemMaxBlocks; ++b) {
        if (!(blocks & (1u << b))) continue;
        const auto base = static_cast<uint16_t>(b * 8);
        if (!WriteReg(base, 0) || !WriteReg(base + 2, 0) || !WriteReg(base + 4, 0)) return false;
    }
    return combination < 0 || WriteReg(static_cast<uint16_t>(combination * 8 + 6), 0);
}

bool CEemJTAG::UpdateReactions() {
    uint32_t brk = simpleBreaks_, sto = 0;
    for (const EemBreakpoint& bp : table_) {
        if (!bp.used || bp.combinedIn) continue;
        if (bp.record.action & 1) brk |= 1u << bp.combination;
        if (bp.record.action & 2) sto |= 1u << bp.combination;
    }
    for (const EemCombination& c : combinations_) {
        if (!c.used) continue;
        for (uint16_t h : c.members) {
            const EemBreakpoint& bp = table_[h - 1u];
            if (bp.record.action & 1) brk |= 1u << c.index;
            if (bp.record.action & 2) sto |= 1u << c.index;
        }
    }
    // Variable-watch triggers store only while the watch is on.
    if (storageUse_ != 2)
        for (const EemVariable& v : variables_)
            for (uint16_t h : {v.handle, v.upper})
                if (const EemBreakpoint* bp = Find(h)) sto &= ~(1u << bp->combination);
    if (sequencerOn_) brk |= kSequencerTrigger;
    if (brk != breakMask_) {
        // A free run goes on past them: they stop the next run to them.
        if (!freeRun_ && !WriteReg(kBreakReaction, brk)) return false;
        breakMask_ = brk;
    }
    if (t_.classValues().emulationLevel >= 3 && sto != storageMask_) {
        if (!WriteReg(kStorageReaction, sto)) return false;
        storageMask_ = sto;
    }
    return true;
}

bool CEemJTAG::SetFreeRun(bool free) {
    const uint32_t held = freeRun_ ? 0 : breakMask_;
    const uint32_t wanted = free ? 0 : breakMask_;
    // Written past the shadow: the breakpoints stay what they are.
    uint32_t value = wanted;
    if (held != wanted && !t_.protocol()->EEM_DataExchange(kBreakReaction, &value))
        return t_.Fail(t_.protocol()->errorText());
    freeRun_ = free;
    return true;
}

bool CEemJTAG::ProgramCombination(const EemCombination& c) {
    uint32_t word = 0;
    for (uint16_t m : c.members)
        word |= table_[m - 1u].blocks;
    for (uint16_t m : c.members) {
        const EemBreakpoint& bp = table_[m - 1u];
        const uint32_t value = bp.combination == c.index ? word : 0;
        if (!WriteReg(static_cast<uint16_t>(bp.combination * 8 + 6), value)) return false;
    }
    return true;
}

bool CEemJTAG::ReleaseCombination(uint16_t handle) {
    EemCombination* c = FindCombination(handle);
    if (!c) return false;
    for (uint16_t h : c->members) {
        EemBreakpoint& bp = table_[h - 1u];
        bp.combinedIn = 0;
        if (!WriteReg(static_cast<uint16_t>(bp.combination * 8 + 6), bp.combineWord)) return false;
    }
    *c = EemCombination{};
    return true;
}

bool CEemJTAG::ClearBreakpoint(uint16_t handle) {
    EemBreakpoint* bp = Find(handle);
    if (bp->combinedIn && !ReleaseCombination(bp->combinedIn)) return false;
    if (!ClearBlocks(bp->blocks, bp->combination)) return false;
    *bp = EemBreakpoint{};
    return true;
}

void CEemJTAG::RestoreBreakpoints(const BreakpointState& before, uint32_t touched) {
    table_ = before.table;
    combinations_ = before.combinations;
    // Best effort: the pod has just failed and may fail again. The blocks the
    // failed set wrote are emptied, then what they held before is put back.
    ClearBlocks(touched, -1);
    for (int b = 0; b < kEemMaxBlocks; ++b)
        if (touched & (1u << b)) WriteReg(static_cast<uint16_t>(b * 8 + 6), 0);
    for (const EemBreakpoint& bp : table_)
        if (bp.used && (bp.blocks & touched)) ProgramBreakpoint(bp);
    for (const EemCombination& c : combinations_)
        if (c.used) ProgramCombination(c);
    UpdateReactions();
}

int32_t CEemJTAG::SetBreakpoint(uint16_t* handle, const BreakpointRecord* record) {
    return Operation([&] {
        if (t_.selectedDevice() == 0) return t_.SetError(kErrUnknownDevice);
        if (!handle || !record || (*handle == 0 && record->mode == kModeClear))
            return t_.SetError(kErrParameter);
        if (!CheckRecord(*record)) return t_.SetError(kErrParameter);
        if (record->mode == kModeCode && !FetchAddressFits(record->address))
            return t_.SetError(kErrParameter);
        EemBreakpoint* existing = nullptr;
        if (*handle != 0) {
            existing = Find(*handle);
            if (!existing) return t_.SetError(kErrParameter);
            const uint16_t trigger = existing->combinedIn ? existing->combinedIn : *handle;
            if (SequencerUses(trigger) || SequencerUses(*handle))
                return t_.SetError(kErrTriggerInSequencer);
        }
        // A set that fails on the way leaves the table and the blocks as they were.
        const BreakpointState before{table_, combinations_};
        uint32_t touched = existing ? existing->blocks : 0;
        auto failed = [&] {
            RestoreBreakpoints(before, touched);
            return t_.SetError(kErrBreakpoint);
        };
        if (record->mode == kModeClear) {
            if (!ClearBreakpoint(*handle) || !UpdateReactions()) return failed();
            return t_.ClearError();
        }
        uint32_t busy = simpleBreaks_;
        for (const EemBreakpoint& bp : table_)
            if (bp.used && &bp != existing) busy |= bp.blocks;
        EemBreakpoint next;
        next.used = true;
        next.record = *record;
        if (!Allocate(*record, busy, &next)) return t_.SetError(kErrResources);
        uint16_t h = *handle;
        if (!existing) {
            for (int i = 0; i < kEemTableSize && !h; ++i)
                if (!table_[static_cast<size_t>(i)].used) h = static_cast<uint16_t>(i + 1);
            if (!h) return t_.SetError(kErrResources);
        } else if (!ClearBreakpoint(h)) {
            return failed();
        }
        touched |= next.blocks;
        table_[h - 1u] = next;
        if (!ProgramBreakpoint(next) || !UpdateReactions()) return failed();
        *handle = h;
        return t_.ClearError();
    });
}

int32_t CEemJTAG::GetBreakpoint(uint16_t handle, BreakpointRecord* record) {
    if (!record) return t_.SetError(kErrParameter);
    const EemBreakpoint* bp = Find(handle);
    if (!bp) return t_.SetError(kErrParameter);
    // The fifteen slots the library reads; a caller's record may end there.
    static_assert(offsetof(BreakpointRecord, combination) == 15 * sizeof(uint32_t));
    std::memcpy(record, &bp->record, offsetof(BreakpointRecord, combination));
    return t_.ClearError();
}

int32_t CEemJTAG::SetCombination(int32_t mode, uint16_t count, uint16_t* handle,
                                 const uint16_t* list) {
    return Operation([&] {
        if (t_.selectedDevice() == 0) return t_.SetError(kErrUnknownDevice);
        if (!handle) return t_.SetError(kErrParameter);
        if (mode == 1) {
            if (!FindCombination(*handle)) return t_.SetError(kErrParameter);
            if (SequencerUses(*handle)) return t_.SetError(kErrTriggerInSequencer);
            if (!ReleaseCombination(*handle) || !UpdateReactions())
                return t_.SetError(kErrBreakpoint);
            *handle = 0;
            return t_.ClearError();
        }
        if (mode != 0 || count < 2 || !list) return t_.SetError(kErrParameter);
        std::vector<uint16_t> members(list, list + count);
        for (size_t i = 0; i < members.size(); ++i) {
            const EemBreakpoint* bp = Find(members[i]);
            if (!bp || bp->combinedIn || (bp->combineWord & kCombineAny) ||
                std::count(members.begin(), members.end(), members[i]) > 1)
                return t_.SetError(kErrParameter);
            if (SequencerUses(members[i])) return t_.SetError(kErrCombinationInSequencer);
        }
        int slot = -1;
        for (int i = 0; i < kEemMaxBlocks && slot < 0; ++i)
            if (!combinations_[static_cast<size_t>(i)].used) slot = i;
        if (slot < 0) return t_.SetError(kErrResources);
        EemCombination& c = combinations_[static_cast<size_t>(slot)];
        const auto h = static_cast<uint16_t>(kCombinationHandleBase + slot + 1);
        c.used = true;
        c.index = table_[members[0] - 1u].combination;
        c.members = members;
        for (uint16_t m : members)
            table_[m - 1u].combinedIn = h;
        if (!ProgramCombination(c) || !UpdateReactions()) return t_.SetError(kErrBreakpoint);
        *handle = h;
        return t_.ClearError();
    });
}

int32_t CEemJTAG::GetCombination(uint16_t handle, uint16_t* count, uint16_t* list) {
    const EemCombination* c = FindCombination(handle);
    if (!c || !count) return t_.SetError(kErrParameter);
    const auto n = static_cast<uint16_t>(c->members.size());
    if (list) {
        if (*count < n) return t_.SetError(kErrParameter);
        std::copy(c->members.begin(), c->members.end(), list);
    }
    *count = n;
    return t_.ClearError();
}

}  // namespace nandrel
