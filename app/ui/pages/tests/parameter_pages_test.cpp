#include <QCheckBox>
#include <QComboBox>
#include <QTest>
#include <memory>

#include "kelvane/commands/dravik_erase.h"
#include "kelvane/commands/dravik_identify.h"
#include "kelvane/commands/dravik_register_commands.h"
#include "kelvane/commands/tovrin_simple_commands.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/parameter_xml.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/ui/hex_number_edit.h"
#include "kelvane/ui/parameter_pages.h"
#include "page_test_support.h"

namespace kv::ui::testing {
namespace {

using ParameterPages = PageTest;

template <class T>
std::unique_ptr<T> Make(const char* elementName) {
    CProjectTreeItem* item = CreateCommandByName(elementName);
    auto* typed = dynamic_cast<T*>(item);
    if (typed == nullptr) delete item;
    return std::unique_ptr<T>(typed);
}

TEST_F(ParameterPages, EraseSegmentsFollowTheProcessor) {
    std::string error;
    std::unique_ptr<CCommandDravik_Erase> erase(
        CCommandDravik_Erase::Create(error, "ERASE_ALL", 0, 0x200));
    ASSERT_NE(erase, nullptr) << error;
    CDlgCmdDravik_Erase page;
    EXPECT_EQ(page.GetHelpText(), "The segment information will be ignored for this erase type.");
    page.SetItem(erase.get());
    QComboBox* segments = page.SegmentList();
    ASSERT_GE(segments->count(), 4);
    EXPECT_EQ(segments->itemText(0), "1000h");
    EXPECT_EQ(segments->itemText(1), "1080h");
    EXPECT_EQ(segments->itemText(2), "1100h");
    EXPECT_EQ(segments->itemText(3), "1200h");
    EXPECT_EQ(segments->itemText(segments->count() - 1), "FE00h");
    EXPECT_FALSE(segments->isEnabled());
    // Choosing segment erase enables the segment fields.
    page.TypeList()->setCurrentIndex(page.TypeList()->findText(QString::fromStdString(
        CCommandDravik_Erase::GetEraseTypeMap().FindByValue(0)->GetDisplayText())));
    EXPECT_EQ(erase->GetEraseType(), 0u);
    EXPECT_TRUE(segments->isEnabled());
    EXPECT_EQ(page.GetHelpText().left(40), "The indicated segment(s) will be erased.");
    const int modified = modifiedCount;
    segments->setCurrentIndex(3);
    EXPECT_EQ(erase->GetSegment(), 0x1200u);
    EXPECT_GT(modifiedCount, modified);
    page.LengthEdit()->selectAll();
    QTest::keyClick(page.LengthEdit(), Qt::Key_Backspace);
    EXPECT_EQ(erase->GetLength(), 1u) << "an emptied length stores 1";
}

TEST(SegmentList, SelectsTheNextEntryAtOrAbove) {
    QComboBox combo;
    CPrgProcessor processor;
    processor.InfoStart = 0x1000;
    processor.InfoSize = 0x100;
    processor.InfoSeg = 0x80;
    processor.MainStart = 0xF000;
    processor.MainSize = 0x1000;
    processor.MainSeg = 0x200;
    FillSegmentList(&combo, &processor);
    SelectSegment(&combo, 0x1010);
    EXPECT_EQ(combo.currentText(), "1080h");
    SelectSegment(&combo, 0xFFFF0);
    EXPECT_EQ(combo.currentIndex(), 0);
    FillSegmentList(&combo, nullptr);
    EXPECT_GT(combo.count(), 0) << "without a processor the list stays as it was";
    CPrgProcessor empty;
    FillSegmentList(&combo, &empty);
    ASSERT_EQ(combo.count(), 1);
    EXPECT_EQ(combo.itemText(0), "None");
}

TEST_F(ParameterPages, IdentifyHelpFollowsTheProcessorsLockA) {
    std::string error;
    std::unique_ptr<CCommandDravik_Identify> identify(CCommandDravik_Identify::Create(error, 0));
    ASSERT_NE(identify, nullptr) << error;
    CDlgCmdDravik_Identify page;
    page.SetItem(identify.get());
    EXPECT_FALSE(page.GetHelpText().contains("F2xx"));
    project.processor = "MSP430F2619";
    page.SetItem(identify.get());
    EXPECT_TRUE(page.GetHelpText().endsWith(
        "\n\nThe Identify command locks F2xx info flash A access by default, so an unlock "
        "command must appear after any preceding Identify."));
    page.Check()->click();
    EXPECT_EQ(identify->GetForceMatch(), 1);
}

TEST_F(ParameterPages, RegisterValueAndSelection) {
    auto write = Make<CCommandDravik_WriteRegister>("Dravik_WriteRegister");
    ASSERT_NE(write, nullptr);
    CDlgCmdDravik_WriteRegister page;
    ASSERT_GE(page.RegisterList()->count(), 15);
    page.SetItem(write.get());
    page.RegisterList()->setCurrentIndex(page.RegisterList()->count() - 1);
    EXPECT_EQ(write->GetRegister(), 15);
    page.ValueEdit()->selectAll();
    QTest::keyClicks(page.ValueEdit(), "beef");
    EXPECT_EQ(write->GetValue(), 0xBEEFu);
    page.ValueEdit()->selectAll();
    QTest::keyClick(page.ValueEdit(), Qt::Key_Backspace);
    EXPECT_EQ(write->GetValue(), 0u) << "an emptied value stores 0";
    EXPECT_EQ(page.GetHelpText(), "Writes a register with the indicated value.");
}

TEST_F(ParameterPages, LoadPcUsesFiveDigitsOnExtendedProcessors) {
    auto load = Make<CCommandTovrin_LoadPC>("Tovrin_LoadPC");
    ASSERT_NE(load, nullptr);
    project.processor = "MSP430FG4619";
    CDlgCmdTovrin_LoadPC page;
    page.SetItem(load.get());
    EXPECT_EQ(page.ValueEdit()->text().size(), 5);
    page.ValueEdit()->selectAll();
    QTest::keyClicks(page.ValueEdit(), "1fffe");
    EXPECT_EQ(load->GetValue(), 0x1FFFEu);
}

}  // namespace
}  // namespace kv::ui::testing
