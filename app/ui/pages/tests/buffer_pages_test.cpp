#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <memory>
#include <vector>

#include "kelvane/commands/dravik_memory_commands.h"
#include "kelvane/commands/tovrin_memory_commands.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/ui/buffer_pages.h"
#include "kelvane/ui/dlg_buffer_parameters.h"
#include "kelvane/ui/hex_edit_ctrl.h"
#include "page_test_support.h"

namespace kv::ui::testing {
namespace {

using BufferPages = PageTest;

template <class T>
std::unique_ptr<T> Make(const char* elementName) {
    CProjectTreeItem* item = CreateCommandByName(elementName);
    auto* typed = dynamic_cast<T*>(item);
    if (typed == nullptr) delete item;
    return std::unique_ptr<T>(typed);
}

// Records message boxes and answers OK.
struct Boxes {
    Boxes() {
        previous =
            setMessageBoxHandler([this](const std::string& text, const std::string&, unsigned) {
                texts.push_back(text);
                return kIdOk;
            });
    }
    ~Boxes() { setMessageBoxHandler(previous); }
    MessageBoxHandler previous;
    std::vector<std::string> texts;
};

// Runs the body on the modal dialog once it is open.
void OnDialog(std::function<void(CDlgBufferParameters*)> body) {
    QTimer::singleShot(0, [body] {
        auto* dialog = qobject_cast<CDlgBufferParameters*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        body(dialog);
    });
}

void SetText(QLineEdit* edit, const char* text) {
    edit->setText(QString::fromLatin1(text));
}

TEST_F(BufferPages, WritePageShowsSummaryAndWordCells) {
    auto write = Make<CCommandDravik_WriteMemory>("Dravik_WriteMemory");
    ASSERT_NE(write, nullptr);
    ASSERT_EQ(write->SetSize(0x10, kValueWord), 1);
    ASSERT_EQ(write->SetAddress(0x200), 1);
    CDlgCmdDravik_WriteMemory page;
    page.SetItem(write.get());
    EXPECT_EQ(page.SummaryEdit()->text(), "0x00010 symbols @0x00200 as WORD");
    EXPECT_EQ(page.HexEdit()->Cell().GetWidth(), 4);
    EXPECT_EQ(page.HexEdit()->Cell().GetCount(), 0x10);
    EXPECT_FALSE(page.HexEdit()->IsReadOnly());
    EXPECT_EQ(page.GetHelpText(),
              "Writes the indicated number of symbols to the target at the indicated address.");
    page.SetItem(nullptr);
    EXPECT_EQ(page.HexEdit()->Cell().GetCount(), 0);
}

TEST_F(BufferPages, FillPageShowsThePattern) {
    auto fill = Make<CCommandTovrin_FillMemory>("Tovrin_FillMemory");
    ASSERT_NE(fill, nullptr);
    ASSERT_EQ(fill->SetSize(0x100, kValueByte), 1);
    ASSERT_EQ(fill->SetPatternCount(2), 1);
    CDlgCmdTovrin_FillMemory page;
    page.SetItem(fill.get());
    EXPECT_TRUE(page.SummaryEdit()->text().startsWith("0x00002 over 0x00100 @"));
    EXPECT_EQ(page.HexEdit()->Cell().GetCount(), 2);
    CDlgCmdDravik_FillMemory other;
    other.SetItem(fill.get());
    EXPECT_EQ(other.GetItem(), nullptr) << "a page shows only its own family";
}

TEST_F(BufferPages, ReadPageIsReadOnlyAndUnknownTypeShowsBytes) {
    auto read = Make<CCommandDravik_ReadMemory>("Dravik_ReadMemory");
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->SetSize(8, kValueByteAscii), 1);
    CDlgCmdDravik_ReadMemory page;
    page.SetItem(read.get());
    EXPECT_TRUE(page.HexEdit()->IsReadOnly());
    EXPECT_TRUE(page.HexEdit()->IsAsciiColumnShown());
    EXPECT_EQ(CValueBuffer::TypeDescription(9), "Unknown");
}

TEST_F(BufferPages, DialogChangesGoThroughTheSetters) {
    auto write = Make<CCommandDravik_WriteMemory>("Dravik_WriteMemory");
    ASSERT_NE(write, nullptr);
    ASSERT_EQ(write->SetSize(0x10, kValueByte), 1);
    InsertIntoTree(write.get());
    CDlgCmdDravik_WriteMemory page;
    page.SetItem(write.get());
    modifiedCount = 0;
    OnDialog([](CDlgBufferParameters* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Edit Buffer Parameters");
        EXPECT_FALSE(dialog->PatternEdit()->isEnabled());
        SetText(dialog->AddressEdit(), "1C00");
        SetText(dialog->CountEdit(), "20");
        dialog->TypeList()->setCurrentIndex(dialog->TypeList()->findText("WORD"));
        dialog->accept();
    });
    page.EditButton()->click();
    EXPECT_EQ(write->GetAddress(), 0x1C00u);
    EXPECT_EQ(write->GetCount(), 0x20u);
    EXPECT_EQ(write->GetValueType(), kValueWord);
    EXPECT_EQ(TreeLabel(write.get()), "Write Memory @0x01C00");
    EXPECT_GT(modifiedCount, 0);
    EXPECT_EQ(page.SummaryEdit()->text(), "0x00020 symbols @0x01C00 as WORD");
    EXPECT_EQ(page.HexEdit()->Cell().GetWidth(), 4);
}

TEST_F(BufferPages, CancelLeavesTheCommandUntouched) {
    auto write = Make<CCommandDravik_VerifyMemory>("Dravik_VerifyMemory");
    ASSERT_NE(write, nullptr);
    CDlgCmdDravik_VerifyMemory page;
    page.SetItem(write.get());
    const std::uint32_t address = write->GetAddress();
    modifiedCount = 0;
    OnDialog([](CDlgBufferParameters* dialog) {
        SetText(dialog->AddressEdit(), "1C00");
        dialog->reject();
    });
    page.EditButton()->click();
    EXPECT_EQ(write->GetAddress(), address);
    EXPECT_EQ(modifiedCount, 0);
}

TEST_F(BufferPages, DialogRefusesAPatternLongerThanTheBuffer) {
    Boxes boxes;
    CDlgBufferParameters dialog;
    dialog.m_dwAddress = 0x200;
    dialog.m_dwCount = 0x10;
    dialog.m_dwPatternCount = 2;
    dialog.m_bFill = true;
    dialog.OnInitDialog();
    EXPECT_TRUE(dialog.PatternEdit()->isEnabled());
    EXPECT_TRUE(dialog.HelpEdit()->toPlainText().contains("The pattern count cannot be larger"));
    dialog.CountEdit()->clear();
    EXPECT_EQ(dialog.m_dwCount, 1u);
    dialog.accept();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "The pattern count must be less than or equal to the symbol count");
    EXPECT_EQ(dialog.result(), 0);
    SetText(dialog.AddressEdit(), "xyz");
    EXPECT_EQ(dialog.m_dwAddress, 0x1000u);
    SetText(dialog.PatternEdit(), "");
    EXPECT_EQ(dialog.m_dwPatternCount, 1u);
    dialog.accept();
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(BufferPages, DialogShowsValuesWithoutChangingThem) {
    CDlgBufferParameters dialog;
    dialog.m_dwAddress = 0x123456;
    dialog.m_dwCount = 0x10;
    dialog.m_wType = kValueDword;
    dialog.OnInitDialog();
    EXPECT_EQ(dialog.AddressEdit()->text(), "123456");
    EXPECT_EQ(dialog.CountEdit()->text(), "0010");
    EXPECT_EQ(dialog.m_dwAddress, 0x123456u);
    EXPECT_EQ(dialog.TypeList()->currentText(), "DWORD");
    EXPECT_FALSE(dialog.HelpEdit()->toPlainText().contains("pattern"));
}

}  // namespace
}  // namespace kv::ui::testing
