#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <memory>

#include "kelvane/commands/analyze_results.h"
#include "kelvane/commands/comment.h"
#include "kelvane/commands/delay.h"
#include "kelvane/commands/user_wait.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/parameter_xml.h"
#include "kelvane/ui/general_command_pages.h"
#include "kelvane/ui/hex_number_edit.h"
#include "kelvane/ui/parameter_pages.h"
#include "page_test_support.h"

namespace kv::ui::testing {
namespace {

using GeneralCommandPages = PageTest;

template <class T>
std::unique_ptr<T> Make(const char* elementName) {
    CProjectTreeItem* item = CreateCommandByName(elementName);
    auto* typed = dynamic_cast<T*>(item);
    if (typed == nullptr) delete item;
    return std::unique_ptr<T>(typed);
}

TEST_F(GeneralCommandPages, CommentTextGoesToTheCommandAndItsLabel) {
    auto comment = Make<CCommandComment>("Comment");
    ASSERT_NE(comment, nullptr);
    InsertIntoTree(comment.get());
    CDlgCmdComment page;
    page.SetItem(comment.get());
    modifiedCount = 0;
    page.CommentEdit()->setPlainText("Hello");
    EXPECT_EQ(comment->GetText(), "Hello");
    EXPECT_EQ(TreeLabel(comment.get()), "Comment 'Hello'");
    EXPECT_GT(modifiedCount, 0);
    EXPECT_EQ(page.GetHelpText(),
              "Defines a comment to be presented to the user during execution.");
    auto delay = Make<CCommandDelay>("Delay");
    page.SetItem(delay.get());
    EXPECT_EQ(page.GetItem(), nullptr) << "a delay has its own page";
}

TEST_F(GeneralCommandPages, DelayShowsTheDelayItKeeps) {
    auto delay = Make<CCommandDelay>("Delay");
    ASSERT_NE(delay, nullptr);
    InsertIntoTree(delay.get());
    CDlgCmdDelay page;
    page.SetItem(delay.get());
    QLineEdit* edit = page.DelayEdit();
    EXPECT_EQ(edit->text(), QString::number(delay->GetDelay()));
    const std::string before = TreeLabel(delay.get());
    // What the user types over the whole field and ends with Return: a
    // keystroke that would pass one hour is refused, and an emptied field is
    // no delay. (The field's validator is the timing fields' one, whose table
    // has the other cases.)
    const struct {
        const char* typed;
        const char* shown;
        std::uint32_t kept;
    } rows[] = {{"250", "250", 250}, {"3600001", "360000", 360000}, {"", "0", 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        edit->selectAll();
        if (row.typed[0] == '\0') QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, row.typed);
        QTest::keyClick(edit, Qt::Key_Return);
        EXPECT_EQ(edit->text().toStdString(), row.shown);
        EXPECT_EQ(delay->GetDelay(), row.kept);
    }
    // A pasted delay past one hour is refused whole.
    edit->selectAll();
    QTest::keyClicks(edit, "25");
    EXPECT_NE(TreeLabel(delay.get()), before);
    QApplication::clipboard()->setText(QStringLiteral("4000000"));
    edit->selectAll();
    edit->paste();
    EXPECT_EQ(edit->text(), "25");
    EXPECT_EQ(delay->GetDelay(), 25u);
    page.CommentEdit()->setPlainText("Wait");
    EXPECT_EQ(delay->GetText(), "Wait");
}

TEST_F(GeneralCommandPages, UserWaitOptions) {
    auto wait = Make<CCommandUserWait>("UserWait");
    ASSERT_NE(wait, nullptr);
    InsertIntoTree(wait.get());
    CDlgCmdUserWait page;
    page.SetItem(wait.get());
    ASSERT_EQ(page.OptionsList()->count(), 3);
    EXPECT_EQ(page.OptionsList()->itemText(0), "OK only");
    EXPECT_EQ(page.OptionsList()->itemText(1), "OK, Cancel");
    EXPECT_EQ(page.OptionsList()->itemText(2), "Yes, No");
    modifiedCount = 0;
    page.OptionsList()->setCurrentIndex(page.OptionsList()->findText("Yes, No"));
    EXPECT_EQ(wait->GetType(), 4);
    EXPECT_GT(modifiedCount, 0);
    page.CommentEdit()->setPlainText("Go?");
    EXPECT_EQ(wait->GetText(), "Go?");
    EXPECT_NE(TreeLabel(wait.get()).find("Go?"), std::string::npos);
}

TEST_F(GeneralCommandPages, AnalyzeResultsAddressesFallBackTo200) {
    auto analyze = Make<CCommandAnalyzeResults>("AnalyzeResults");
    ASSERT_NE(analyze, nullptr);
    CDlgCmdAnalyzeResults page;
    page.SetItem(analyze.get());
    modifiedCount = 0;
    page.HeaderEdit()->setText("1C00");
    EXPECT_EQ(analyze->GetHeaderAddress(), 0x1C00u);
    EXPECT_GT(modifiedCount, 0);
    page.HeaderEdit()->setText("");
    EXPECT_EQ(analyze->GetHeaderAddress(), 0x200u);
    page.ResultEdit()->setText("2400");
    EXPECT_EQ(analyze->GetResultAddress(), 0x2400u);
    page.ResultEdit()->setText("");
    EXPECT_EQ(analyze->GetResultAddress(), 0x200u);
}

int RowOfValue(QComboBox* combo, std::uint32_t value) {
    QtComboBox adapter(combo);
    for (int row = 0; row < combo->count(); ++row)
        if (adapter.GetItemData(row) != nullptr && adapter.GetItemData(row)->GetValue() == value)
            return row;
    return -1;
}

TEST_F(GeneralCommandPages, AnalysisItemTypeRuleAndSamples) {
    CAnalysisItem item;
    CDlgAnalysisItem page;
    page.show();
    page.SetItem(&item);
    EXPECT_EQ(page.TypeList()->count(), 17);
    EXPECT_EQ(page.RangeMaxEdit()->text(), "3300");
    EXPECT_EQ(page.MemoryMaxEdit()->text(), "0FFF");
    EXPECT_TRUE(page.UnitsLabel()->text().startsWith("(d) "));
    EXPECT_TRUE(page.SampleMaxLabel()->isVisible());
    modifiedCount = 0;
    page.TypeList()->setCurrentIndex(RowOfValue(page.TypeList(), 14));
    EXPECT_EQ(item.GetType(), 14);
    EXPECT_GT(modifiedCount, 0);
    EXPECT_FALSE(page.MemoryMinEdit()->isEnabled());
    EXPECT_FALSE(page.RangeMaxEdit()->isEnabled());
    EXPECT_FALSE(page.SampleMaxLabel()->isVisible());
    page.TypeList()->setCurrentIndex(RowOfValue(page.TypeList(), 4));
    EXPECT_TRUE(page.MemoryMinEdit()->isEnabled());
    EXPECT_TRUE(page.SampleMinLabel()->isVisible());
    EXPECT_EQ(page.RangeMaxEdit()->text(), "3300");
    page.RangeMaxEdit()->setText("abc");
    EXPECT_EQ(item.GetScaleMax(), 0u);
    page.RangeMinEdit()->setText("-5");
    EXPECT_EQ(item.GetScaleMin(), 0xFFFFFFFBu);
    page.KeyEdit()->setText("zz");
    EXPECT_EQ(item.GetKey(), 0);
    page.KeyEdit()->setText("1A");
    EXPECT_EQ(item.GetKey(), 0x1A);
    page.MemoryMaxEdit()->setText("800");
    EXPECT_EQ(item.GetMemoryMax(), 0x800);
    page.CommentEdit()->setPlainText("Supply");
    EXPECT_EQ(item.GetText(), "Supply");
}

}  // namespace
}  // namespace kv::ui::testing
