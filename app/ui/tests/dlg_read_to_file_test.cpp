// The read-to-file dialog: modes, browsing, digits and its one check.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "dlg_read_to_file.h"
#include "hex_number_edit.h"
#include "kelvane/core/array_prg_processor.h"
#include "ui_test_support.h"

namespace kv::ui::testing {
namespace {

class DlgReadToFileTest : public UiTest {
  protected:
    void TearDown() override {
        CDlgReadToFile::SetRunner(nullptr);
        UiTest::TearDown();
    }
};

TEST_F(DlgReadToFileTest, DeviceModeListsProcessorsAndFallsBackToTheFirst) {
    CDlgReadToFile dialog;
    std::string shown;
    CDlgReadToFile::SetRunner([&](CDlgReadToFile& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Read Device");
        EXPECT_FALSE(d.GetAddressEdit()->isVisibleTo(&d));
        EXPECT_TRUE(d.GetProcessorList()->isVisibleTo(&d));
        EXPECT_EQ(d.GetProcessorList()->count(), static_cast<int>(GetProcessorTable()->GetSize()));
        shown = d.GetProcessorList()->currentText().toStdString();
        d.accept();
        return d.result();
    });
    EXPECT_EQ(dialog.DoModalReadDevice("out.txt", 1, "NoSuchChip", GetProcessorTable()),
              QDialog::Accepted);
    EXPECT_EQ(shown, GetProcessorTable()->GetAt(0)->GetName());
    EXPECT_EQ(dialog.GetProcessorName(), shown);

    CDlgReadToFile::SetRunner([&](CDlgReadToFile& d) {
        shown = d.GetProcessorList()->currentText().toStdString();
        d.reject();
        return d.result();
    });
    EXPECT_EQ(dialog.DoModalReadDevice("out.txt", 1, "MSP430F2274", GetProcessorTable()),
              QDialog::Rejected);
    EXPECT_EQ(shown, "MSP430F2274");
}

TEST_F(DlgReadToFileTest, RangeModeShowsAndParsesTheHexFields) {
    CDlgReadToFile dialog;
    dialog.SetOpenAfterRead(0);
    CDlgReadToFile::SetRunner([&](CDlgReadToFile& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Read Range");
        EXPECT_FALSE(d.GetProcessorList()->isVisibleTo(&d));
        EXPECT_EQ(d.GetAddressEdit()->text().toStdString(), "F000");
        EXPECT_EQ(d.GetSizeEdit()->text().toStdString(), "0010");
        EXPECT_FALSE(d.GetOpenAfterReadBox()->isChecked());
        EXPECT_EQ(d.GetPathEdit()->text().toStdString(), "MyFile.txt");
        d.GetAddressEdit()->setText("1100");
        d.GetSizeEdit()->setText("zz");
        d.GetOpenAfterReadBox()->click();
        d.accept();
        return d.result();
    });
    EXPECT_EQ(dialog.DoModalReadRange("", 1, 0xF000, 0x10), QDialog::Accepted);
    EXPECT_EQ(dialog.GetAddress(), 0x1100u);
    EXPECT_EQ(dialog.GetSize(), 0u);
    EXPECT_EQ(dialog.GetOpenAfterRead(), 1);
    EXPECT_EQ(dialog.GetFilePath(), "MyFile.txt");
}

TEST_F(DlgReadToFileTest, FiveDigitFieldsForExtendedProcessors) {
    CDlgReadToFile dialog;
    dialog.SetAddressDigits(5);
    CDlgReadToFile::SetRunner([&](CDlgReadToFile& d) {
        EXPECT_EQ(d.GetAddressEdit()->text().toStdString(), "02100");
        d.GetAddressEdit()->setText("1FF00");
        d.accept();
        return d.result();
    });
    dialog.DoModalReadRange("a.txt", 1, 0x2100, 0x100);
    EXPECT_EQ(dialog.GetAddress(), 0x1FF00u);
}

TEST_F(DlgReadToFileTest, ChoosingAProcessorSetsItsDigitCount) {
    CDlgReadToFile dialog;
    CDlgReadToFile::SetRunner([&](CDlgReadToFile& d) {
        int row = d.GetProcessorList()->findText("MSP430FG4619");
        d.GetProcessorList()->setCurrentIndex(row);
        d.OnProcessorChosen(row);
        d.accept();
        return d.result();
    });
    dialog.DoModalReadDevice("a.txt", 1, "MSP430F169", GetProcessorTable());
    EXPECT_EQ(dialog.GetProcessorName(), "MSP430FG4619");
    EXPECT_EQ(dialog.GetAddressDigits(), 5);
    EXPECT_EQ(dialog.GetAddressEdit()->GetDigits(), 5);
}

TEST_F(DlgReadToFileTest, BrowsingChoosesTheFileType) {
    CDlgReadToFile dialog;
    dialog.ApplyBrowseResult("/tmp/image.hex", 1);
    EXPECT_EQ(dialog.GetFileType(), 2);
    EXPECT_EQ(dialog.GetPathEdit()->text().toStdString(), "/tmp/image.hex");
    dialog.ApplyBrowseResult("/tmp/image.txt", 0);
    EXPECT_EQ(dialog.GetFileType(), 1);
    EXPECT_EQ(dialog.GetFilePath(), "/tmp/image.txt");
}

TEST_F(DlgReadToFileTest, AnEmptyPathKeepsTheDialogOpen) {
    CDlgReadToFile dialog;
    CDlgReadToFile::SetRunner([&](CDlgReadToFile& d) {
        d.show();
        d.GetPathEdit()->clear();
        d.accept();
        EXPECT_TRUE(d.isVisible());
        d.reject();
        return d.result();
    });
    EXPECT_EQ(dialog.DoModalReadRange("x.txt", 1, 0, 0), QDialog::Rejected);
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Cannot write to an empty file path"}));
}

}  // namespace
}  // namespace kv::ui::testing
