// Erase plans from the device data alone, without a pod: the routine runs an
// erase makes on each flash family.
#include <gtest/gtest.h>

#include <vector>

#include "flash/erase_plan.h"
#include "nandrel/nandrel.h"
#include "nandrel/routines/routine_layout.h"

namespace {

using nandrel::EraseStep;
using nandrel::FlashDeviceOf;
using nandrel::routines::kEraseMain;
using nandrel::routines::kEraseMass;
using nandrel::routines::kEraseSegment;
using nandrel::routines::kEraseWideMain;
using nandrel::routines::RoutineId;

constexpr uint32_t kF11x1Prototype = 1, kF149 = 7, kF2274 = 49, kFG4619 = 38, kFCAS003 = 41;
constexpr RoutineId kPlain = RoutineId::Erase;

struct PlanRow {
    const char* name;
    uint32_t deviceClass;
    int32_t type;
    uint32_t address;
    uint32_t length;
    bool segmentAUnlocked;
    std::vector<EraseStep> steps;
};

class ErasePlan : public ::testing::TestWithParam<PlanRow> {};

TEST_P(ErasePlan, RunsTheRoutinesTheFlashNeeds) {
    const PlanRow& row = GetParam();
    EXPECT_EQ(nandrel::PlanErase(FlashDeviceOf(row.deviceClass), row.type, row.address, row.length,
                                 row.segmentAUnlocked),
              row.steps);
}

// clang-format off
const PlanRow kRows[] = {
    {"OneMainSegmentOfAnF149", kF149, NANDREL_ERASE_SEGMENT, 0x4000, 0x200, false,
     {{kPlain, kEraseSegment, 0x4000, 0x200},
      {kPlain, kEraseSegment, 0x4000, 0x200}}},
    {"FromTheInformationMemoryIntoMainFlashOfAnF149", kF149, NANDREL_ERASE_SEGMENT, 0x10C0, 0x140, false,
     {{kPlain, kEraseSegment, 0x10C0, 0x40},
      {kPlain, kEraseSegment, 0x1100, 0x100},
      {kPlain, kEraseSegment, 0x10C0, 0x140}}},
    {"TheWholeInformationMemoryOfAnF2274", kF2274, NANDREL_ERASE_SEGMENT, 0x1000, 0x100, true,
     {{kPlain, kEraseSegment, 0x1000, 0x40},
      {kPlain, kEraseSegment, 0x1040, 0x40},
      {kPlain, kEraseSegment, 0x1080, 0x40},
      {kPlain, kEraseSegment, 0x10C0, 0x40},
      {kPlain, kEraseSegment, 0x1000, 0x100}}},
    // Its information memory lies below main flash at 0xEF00, in 128-byte segments.
    {"TheInformationMemoryOfAnF11x1Prototype", kF11x1Prototype, NANDREL_ERASE_SEGMENT, 0xEF00, 0x100, false,
     {{kPlain, kEraseSegment, 0xEF00, 0x80},
      {kPlain, kEraseSegment, 0xEF80, 0x80},
      {kPlain, kEraseSegment, 0xEF00, 0x100}}},
    {"NoBytes", kF149, NANDREL_ERASE_SEGMENT, 0x4000, 0, false, {}},
    {"MassEraseOfAnF149", kF149, NANDREL_ERASE_ALL, 0x1000, 0x100, false,
     {{kPlain, kEraseMass, 0x1000, 0x100, true}}},
    {"MassEraseOfAnF2274KeepsSegmentA", kF2274, NANDREL_ERASE_ALL, 0x1000, 0xF000, false,
     {{kPlain, kEraseMass, 0x1100, 0xEF00, true},
      {kPlain, kEraseSegment, 0x1000, 0x40},
      {kPlain, kEraseSegment, 0x1040, 0x40},
      {kPlain, kEraseSegment, 0x1080, 0x40}}},
    {"MassEraseOfAnF2274WithSegmentAUnlocked", kF2274, NANDREL_ERASE_ALL, 0x1000, 0x100, true,
     {{kPlain, kEraseMass, 0x1000, 0x100, true}}},
    {"MassEraseOfTheNewerFlashChecksBehindTheInformationMemory", kFCAS003, NANDREL_ERASE_ALL, 0x1000, 0xF000, false,
     {{RoutineId::EraseNewerFlash, kEraseMass, 0x1080, 0xEF80, true}}},
    {"MainEraseOfAnFG4619", kFG4619, NANDREL_ERASE_MAIN, 0x3100, 0x1CF00, false,
     {{RoutineId::EraseWide, kEraseWideMain, 0x3100, 0x1CF00, true}}},
    {"MainEraseOfAnF149", kF149, NANDREL_ERASE_MAIN, 0x1100, 0xEF00, false,
     {{kPlain, kEraseMain, 0x1100, 0xEF00, true}}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Families, ErasePlan, ::testing::ValuesIn(kRows),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(FlashSegmentAt, InformationAndMainSegmentsFromTheDeviceData) {
    const auto f2274 = FlashDeviceOf(kF2274);
    EXPECT_EQ(nandrel::FlashSegmentAt(f2274, 0x10C5), (nandrel::FlashSegment{0x10C0, 0x40}));
    EXPECT_EQ(nandrel::FlashSegmentAt(f2274, 0x8123), (nandrel::FlashSegment{0x8000, 0x200}));
    EXPECT_EQ(nandrel::FlashSegmentAt(FlashDeviceOf(kF149), 0x10FF),
              (nandrel::FlashSegment{0x1080, 0x80}));
}

}  // namespace
