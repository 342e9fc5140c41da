// The Set Breakpoint page: number, mode and address of the breakpoint, each
// written straight into the command.
#include <QComboBox>
#include <QTest>
#include <memory>

#include "kelvane/commands/dravik_breakpoint_commands.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/ui/breakpoint_pages.h"
#include "kelvane/ui/hex_number_edit.h"
#include "kelvane/ui/property_page_factory.h"
#include "page_test_support.h"

namespace kv::ui::testing {
namespace {

class BreakpointPages : public PageTest {
  protected:
    void SetUp() override {
        PageTest::SetUp();
        std::string error;
        command.reset(CCommandDravik_SetBreakpoint::CreateDefault(error));
        ASSERT_NE(command, nullptr) << error;
        InsertIntoTree(command.get());
    }
    std::unique_ptr<CCommandDravik_SetBreakpoint> command;
};

TEST_F(BreakpointPages, ShowsTheBreakpointAndWritesEachField) {
    CDlgCmdDravik_SetBreakpoint page;
    ASSERT_EQ(page.BreakpointList()->count(), 8);
    EXPECT_EQ(page.BreakpointList()->itemText(0), "Bkpt 0");
    EXPECT_EQ(page.BreakpointList()->itemText(7), "Bkpt 7");
    ASSERT_EQ(page.ModeList()->count(), 1);
    EXPECT_EQ(page.ModeList()->itemText(0), "Code");
    EXPECT_EQ(page.GetHelpText().toStdString(),
              "Sets the indicated breakpoint.  The selected processor may not support all "
              "displayed breakpoints.");

    page.SetItem(command.get());
    EXPECT_EQ(page.BreakpointList()->currentIndex(), 0);
    EXPECT_EQ(page.ModeList()->currentText(), "Code");
    EXPECT_EQ(page.AddressEdit()->text(), "FC00");
    EXPECT_EQ(modifiedCount, 0) << "loading the page only displays";

    page.BreakpointList()->setCurrentIndex(3);
    EXPECT_EQ(command->GetBreakpointIndex(), 3);
    EXPECT_EQ(TreeLabel(command.get()), "Set Bkpt 3, Code @0x0FC00");

    page.AddressEdit()->selectAll();
    QTest::keyClicks(page.AddressEdit(), "E012");
    EXPECT_EQ(command->GetAddress(), 0xE012u);
    EXPECT_EQ(TreeLabel(command.get()), "Set Bkpt 3, Code @0x0E012");
    // A text that does not parse stores nothing and stays as typed.
    page.AddressEdit()->clear();
    EXPECT_EQ(command->GetAddress(), 0xE012u);
    EXPECT_EQ(page.AddressEdit()->text(), "");
    EXPECT_GT(modifiedCount, 0);
}

TEST_F(BreakpointPages, AWideAddressIsShownWholeAndKeptOnANarrowProcessor) {
    std::string error;
    ASSERT_EQ(command->SetParameters(9, "BP_CODE", 0x1FF00, "BP_MAB", 4, "BP_FETCH", "BP_BRK",
                                     "BP_EQUAL", 0, 0xFC02, "BP_INSIDE", "BP_NO_COND", 0x1000,
                                     "BP_FETCH", 0, "BP_EQUAL", 0),
              1);
    CDlgCmdDravik_SetBreakpoint page;
    page.SetItem(command.get());
    EXPECT_EQ(page.AddressEdit()->GetDigits(), 4);
    EXPECT_EQ(page.AddressEdit()->text(), "1FF00");
    // A number outside the list selects the first entry without storing it.
    EXPECT_EQ(page.BreakpointList()->currentIndex(), 0);
    EXPECT_EQ(command->GetAddress(), 0x1FF00u);
    EXPECT_EQ(command->GetBreakpointIndex(), 9);
    EXPECT_EQ(modifiedCount, 0);

    project.processor = "MSP430F2619";
    page.SetItem(command.get());
    EXPECT_EQ(page.AddressEdit()->GetDigits(), 5);
    EXPECT_EQ(page.AddressEdit()->text(), "1FF00");
}

TEST_F(BreakpointPages, ADetachedPageChangesNothing) {
    CDlgCmdDravik_SetBreakpoint page;
    page.SetItem(command.get());
    page.SetItem(nullptr);
    page.BreakpointList()->setCurrentIndex(5);
    page.AddressEdit()->setText(QStringLiteral("1234"));
    EXPECT_EQ(command->GetBreakpointIndex(), 0);
    EXPECT_EQ(command->GetAddress(), 0xFC00u);
    EXPECT_EQ(modifiedCount, 0);
}

TEST_F(BreakpointPages, TheFactoryMakesThePageOfBothBreakpointCommands) {
    auto set = CreatePropertyPageFor("Dravik_SetBreakpoint");
    ASSERT_NE(set, nullptr);
    set->SetItem(command.get());
    EXPECT_EQ(set->GetItem(), command.get());
    auto clear = CreatePropertyPageFor("Dravik_ClearBreakpoint");
    ASSERT_NE(clear, nullptr);
    clear->SetItem(command.get());
    EXPECT_EQ(clear->GetItem(), nullptr) << "a page shows only its own class";
}

}  // namespace
}  // namespace kv::ui::testing
