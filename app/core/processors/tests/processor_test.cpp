// One processor record: flash areas, segment maps, configuration pairs and the
// processor drop-down list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kelvane/core/array_prg_processor.h"

namespace kv {
namespace {

CPrgProcessor F149() {
    CPrgProcessor processor;
    processor.Name = "MSP430F149";
    processor.InfoStart = 0x1000;
    processor.InfoSize = 0x100;
    processor.InfoSeg = 0x80;
    processor.MainStart = 0x1100;
    processor.MainSize = 0xEF00;
    processor.MainSeg = 0x200;
    return processor;
}

TEST(ProcessorTest, NewRecordDefaults) {
    CPrgProcessor processor;
    EXPECT_EQ(processor.GetName(), "Unknown");
    EXPECT_EQ(processor.GetLastError(), "No error");
    EXPECT_EQ(processor.GetConfigureCount(), 0);
    EXPECT_EQ(processor.GetAddressDigits(), 4);
}

TEST(ProcessorTest, AreasIncludeBothEndsAndAnEmptyAreaHoldsNothing) {
    CPrgProcessor processor = F149();
    EXPECT_FALSE(processor.IsInInfoMemory(0x0FFF));
    EXPECT_TRUE(processor.IsInInfoMemory(0x1000));
    EXPECT_TRUE(processor.IsInInfoMemory(0x10FF));
    EXPECT_FALSE(processor.IsInInfoMemory(0x1100));
    EXPECT_TRUE(processor.IsInMainMemory(0x1100));
    EXPECT_TRUE(processor.IsInMainMemory(0xFFFF));
    EXPECT_FALSE(processor.IsInMainMemory(0x10000));

    CPrgProcessor empty;
    EXPECT_FALSE(empty.IsInInfoMemory(0));
    EXPECT_FALSE(empty.IsInMainMemory(0xFFFFFFFF));
    empty.MainStart = 0xFFFFFF00;
    empty.MainSize = 0x100;
    EXPECT_TRUE(empty.IsInMainMemory(0xFFFFFFFF));
    EXPECT_FALSE(empty.IsInMainMemory(0));
}

TEST(ProcessorTest, InfoRangeCoversWholeSegmentsWithoutPartial) {
    CPrgProcessor processor = F149();
    SegmentMap map;
    ASSERT_EQ(processor.GetSegmentMap(0x1040, 0x80, &map), 1);
    EXPECT_EQ(map.firstSegment, 0x1000u);
    EXPECT_EQ(map.segmentSize, 0x80u);
    EXPECT_EQ(map.segmentCount, 2u);
    EXPECT_EQ(map.partialStart, 0u);
    EXPECT_EQ(map.partialSize, 0u);
}

TEST(ProcessorTest, MainFlashStartsWithAShortSegment) {
    CPrgProcessor processor = F149();
    SegmentMap map;
    ASSERT_EQ(processor.GetSegmentMap(0x1100, 0x300, &map), 1);
    EXPECT_EQ(map.partialStart, 0x1100u);
    EXPECT_EQ(map.partialSize, 0x100u);
    EXPECT_EQ(map.firstSegment, 0x1200u);
    EXPECT_EQ(map.segmentSize, 0x200u);
    EXPECT_EQ(map.segmentCount, 1u);

    // Past the short segment it is not reported.
    ASSERT_EQ(processor.GetSegmentMap(0xFE01, 0x1FF, &map), 1);
    EXPECT_EQ(map.partialSize, 0u);
    EXPECT_EQ(map.firstSegment, 0xFE00u);
    EXPECT_EQ(map.segmentCount, 1u);

    // The whole of main flash.
    ASSERT_EQ(processor.GetSegmentMap(0x1100, 0xEF00, &map), 1);
    EXPECT_EQ(map.firstSegment, 0x1200u);
    EXPECT_EQ(map.segmentCount, 0x77u);
}

TEST(ProcessorTest, RangeInsideTheShortSegmentHasNoRegularSegment) {
    CPrgProcessor processor = F149();
    SegmentMap map;
    map.firstSegment = 0xDEAD;
    ASSERT_EQ(processor.GetSegmentMap(0x1110, 0x10, &map), 1);
    EXPECT_EQ(map.partialStart, 0x1100u);
    EXPECT_EQ(map.partialSize, 0x100u);
    EXPECT_EQ(map.segmentCount, 0u);
    EXPECT_EQ(map.firstSegment, 0u);
}

TEST(ProcessorTest, RangesMustStayInOneArea) {
    CPrgProcessor processor = F149();
    SegmentMap map;
    const std::string mixed = "Segments must be in info or main flash, not both";
    EXPECT_EQ(processor.GetSegmentMap(0x10C0, 0x100, &map), 0);
    EXPECT_EQ(processor.GetLastError(), mixed);
    EXPECT_EQ(processor.GetSegmentMap(0x0200, 0x10, &map), 0);
    EXPECT_EQ(processor.GetLastError(), mixed);
    EXPECT_EQ(processor.GetSegmentMap(0xFF00, 0x200, &map), 0);
    EXPECT_EQ(processor.GetLastError(), mixed);
    // A length that runs past the top of the address space.
    EXPECT_EQ(processor.GetSegmentMap(0xFF00, 0xFFFFFFFF, &map), 0);
    EXPECT_EQ(processor.GetLastError(), mixed);
}

TEST(ProcessorTest, StartInInformationFlashDecidesTheArea) {
    // Information flash inside the main flash range: a range that leaves it
    // is refused even though main flash would hold it.
    CPrgProcessor processor = F149();
    processor.MainStart = 0x1000;
    processor.MainSize = 0xF000;
    SegmentMap map;
    EXPECT_EQ(processor.GetSegmentMap(0x1000, 0x200, &map), 0);
    EXPECT_EQ(processor.GetLastError(), "Segments must be in info or main flash, not both");
}

TEST(ProcessorTest, EmptyRangeOrSegmentSizeZeroIsRefused) {
    CPrgProcessor processor = F149();
    SegmentMap map;
    EXPECT_EQ(processor.GetSegmentMap(0x1100, 0, &map), 0);
    EXPECT_EQ(processor.GetLastError(), "Unable to map segments of an empty range");
    processor.MainSeg = 0;
    EXPECT_EQ(processor.GetSegmentMap(0x1100, 0x10, &map), 0);
    EXPECT_EQ(processor.GetLastError(),
              "Unable to map segments of MSP430F149 with a segment size of 0");
    EXPECT_EQ(processor.GetSegmentMap(0x1100, 0x10, nullptr), 0);
}

TEST(ProcessorTest, ConfigurationModeAccess) {
    CPrgProcessor processor;
    std::int32_t mode = 0;
    std::int32_t value = 0;
    EXPECT_EQ(processor.GetConfigureMode(0, &mode, &value), 0);
    EXPECT_EQ(processor.GetLastError(), "Invalid configuration mode index 0");
    ASSERT_EQ(processor.AddConfigure(8, 2), 1);
    EXPECT_EQ(processor.GetConfigureMode(-1, &mode, &value), 0);
    EXPECT_EQ(processor.GetLastError(), "Invalid configuration mode index -1");
    EXPECT_EQ(processor.GetConfigureMode(0, &mode, nullptr), 0);
    EXPECT_EQ(processor.GetLastError(), "Unable to write NULL configuration value");
    EXPECT_EQ(processor.GetConfigureMode(0, nullptr, &value), 0);
    EXPECT_EQ(processor.GetLastError(), "Unable to write NULL configuration mode");
    ASSERT_EQ(processor.GetConfigureMode(0, &mode, &value), 1);
    EXPECT_EQ(mode, 8);
    EXPECT_EQ(value, 2);
    EXPECT_EQ(processor.TakeLastError(), "Unable to write NULL configuration mode");
    EXPECT_EQ(processor.GetLastError(), "");
}

class FakeProcessorCombo : public ProcessorComboBox {
  public:
    void ResetContent() override {
        rows.clear();
        selected = -1;
    }
    int AddString(const std::string& text) override {
        rows.push_back({text, nullptr});
        return static_cast<int>(rows.size()) - 1;
    }
    void SetItemData(int row, const CPrgProcessor* processor) override {
        rows[static_cast<std::size_t>(row)].second = processor;
    }
    void SetCurSel(int row) override { selected = row; }

    std::vector<std::pair<std::string, const CPrgProcessor*>> rows{{"stale", nullptr}};
    int selected = 5;
};

TEST(ProcessorTest, ComboBoxListsTheTableOrSaysNoneAreLoaded) {
    FakeProcessorCombo combo;
    FillComboBox(nullptr, &combo);
    ASSERT_EQ(combo.rows.size(), 1u);
    EXPECT_EQ(combo.rows[0].first, "No processors loaded");
    EXPECT_EQ(combo.rows[0].second, nullptr);
    EXPECT_EQ(combo.selected, 0);

    CArrayPrgProcessor table;
    for (const char* name : {"B", "A"}) {
        auto processor = std::make_unique<CPrgProcessor>();
        processor->Name = name;
        table.Add(std::move(processor));
    }
    FillComboBox(&table, &combo);
    ASSERT_EQ(combo.rows.size(), 2u);
    EXPECT_EQ(combo.rows[0].first, "B");
    EXPECT_EQ(combo.rows[1].second, table.GetAt(1));
    EXPECT_EQ(combo.selected, 0);
}

}  // namespace
}  // namespace kv
