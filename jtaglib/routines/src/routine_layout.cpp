#include "nandrel/routines/routine_layout.h"

namespace nandrel::routines {

namespace {

constexpr RoutineLayout kLayouts[kRoutineCount] = {
    {RoutineId::Erase, "erase", EraseWords::kSize, kTemplateRamStart, 0, 10, -1, {0, 1, 2}, 3},
    {RoutineId::EraseNewerFlash,
     "erase, newer flash",
     EraseNewerFlashWords::kSize,
     kTemplateRamStart,
     0,
     10,
     -1,
     {0, 1, 2},
     3},
    {RoutineId::EraseWide,
     "erase, wide address",
     EraseWideWords::kSize,
     kTemplateRamStart,
     0,
     10,
     -1,
     {0, 1, 2},
     3},
    {RoutineId::Write,
     "write",
     WriteWords::kSize,
     kTemplateRamStart,
     WriteWords::kData,
     8,
     -1,
     {0, 1, 2, WriteWords::kDataAddress},
     4},
    {RoutineId::WriteWide,
     "write, wide address",
     WriteWideWords::kSize,
     kTemplateRamStart,
     WriteWideWords::kData,
     8,
     -1,
     {0, 1, 2},
     3},
    {RoutineId::ClockMeasureLoop,
     "clock measurement, loop clock",
     ClockMeasureLoopWords::kSize,
     kTemplateRamStart,
     0,
     9,
     10,
     {0, 1, 2},
     3},
    {RoutineId::ClockMeasureBasic,
     "clock measurement, basic clock",
     ClockMeasureBasicWords::kSize,
     kTemplateRamStart,
     0,
     9,
     10,
     {0, 1, 2},
     3},
    {RoutineId::ClockSetNewerFlash,
     "clock setting, newer flash",
     ClockSetNewerFlashWords::kSize,
     kNewerFlashClockLoad,
     0,
     -1,
     -1,
     {0, 1, 2},
     3},
};

}  // namespace

const RoutineLayout& GetRoutineLayout(RoutineId id) {
    const auto index = static_cast<std::size_t>(id);
    return kLayouts[index < kRoutineCount ? index : 0];
}

}  // namespace nandrel::routines
