#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <string>

#include "kelvane/commands/dravik_breakpoint_commands.h"
#include "kelvane/commands/dravik_run_control_commands.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/ui/breakpoint_pages.h"
#include "kelvane/ui/run_control_pages.h"
#include "page_test_support.h"

namespace kv::ui::testing {
namespace {

using RunControlPages = PageTest;

template <class T>
std::unique_ptr<T> Make(const char* elementName) {
    CProjectTreeItem* item = CreateCommandByName(elementName);
    auto* typed = dynamic_cast<T*>(item);
    if (typed == nullptr) delete item;
    return std::unique_ptr<T>(typed);
}

TEST_F(RunControlPages, RunPageHidesTheTimingWithoutClearingIt) {
    auto run = Make<CCommandDravik_Run>("Dravik_Run");
    ASSERT_NE(run, nullptr);
    CDlgCmdDravik_Run page;
    page.show();
    page.SetItem(run.get());
    if (!page.RunToBreakpointBox()->isChecked()) page.RunToBreakpointBox()->click();
    if (!page.WaitForBreakBox()->isChecked()) page.WaitForBreakBox()->click();
    EXPECT_EQ(run->GetWaitForBreak(), 1);
    EXPECT_TRUE(page.DwellEdit()->isVisible());
    page.RunToBreakpointBox()->click();
    EXPECT_EQ(run->GetRunToBreakpoint(), 0);
    EXPECT_FALSE(page.WaitForBreakBox()->isVisible());
    EXPECT_FALSE(page.DwellEdit()->isVisible());
    EXPECT_EQ(run->GetWaitForBreak(), 1) << "hiding keeps the flag";
}

TEST_F(RunControlPages, TimingFieldsShowTheValueTheyKeep) {
    auto wait = Make<CCommandDravik_WaitForBreak>("Dravik_WaitForBreak");
    ASSERT_NE(wait, nullptr);
    CDlgCmdDravik_WaitForBreak page;
    page.SetItem(wait.get());
    // What the user types over the whole field and ends with Return: a
    // keystroke that would pass what the field's attribute holds (one hour,
    // a 16-bit count), or is no digit, is refused; an emptied field is 0.
    const struct {
        QLineEdit* edit;
        const char* typed;
        const char* shown;
    } rows[] = {
        {page.DwellEdit(), "1x2", "12"},           {page.DwellEdit(), "3600001", "360000"},
        {page.DwellEdit(), "", "0"},               {page.RepeatEdit(), "3600000", "3600000"},
        {page.RepeatEdit(), "99999999999", "999999"}, {page.CountEdit(), "65535", "65535"},
        {page.CountEdit(), "70000", "7000"},       {page.CountEdit(), "", "0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.edit->objectName().toStdString()) + " " + row.typed);
        row.edit->selectAll();
        if (row.typed[0] == '\0') QTest::keyClick(row.edit, Qt::Key_Backspace);
        QTest::keyClicks(row.edit, row.typed);
        QTest::keyClick(row.edit, Qt::Key_Return);
        EXPECT_EQ(row.edit->text().toStdString(), row.shown);
        EXPECT_EQ(page.DwellEdit()->text().toULongLong(), wait->GetDwell());
        EXPECT_EQ(page.RepeatEdit()->text().toULongLong(), wait->GetRepeat());
        EXPECT_EQ(page.CountEdit()->text().toULongLong(), wait->GetRepeatCount());
    }
}

TEST_F(RunControlPages, ResetAndClearBreakpoint) {
    auto reset = Make<CCommandDravik_Reset>("Dravik_Reset");
    ASSERT_NE(reset, nullptr);
    CDlgCmdDravik_Reset page;
    ASSERT_GT(page.TypeList()->count(), 1);
    page.SetItem(reset.get());
    page.ReleaseBox()->setChecked(!page.ReleaseBox()->isChecked());
    EXPECT_EQ(reset->GetReleaseJTAG(), page.ReleaseBox()->isChecked() ? 1 : 0);
    EXPECT_GT(modifiedCount, 0);

    auto clear = Make<CCommandDravik_ClearBreakpoint>("Dravik_ClearBreakpoint");
    ASSERT_NE(clear, nullptr);
    CDlgCmdDravik_ClearBreakpoint bkpt;
    ASSERT_EQ(bkpt.BreakpointList()->count(), 8);
    EXPECT_EQ(bkpt.BreakpointList()->itemText(7), "Bkpt 7");
    bkpt.SetItem(clear.get());
    bkpt.BreakpointList()->setCurrentIndex(5);
    EXPECT_EQ(clear->GetBreakpoint(), 5);
}

}  // namespace
}  // namespace kv::ui::testing
