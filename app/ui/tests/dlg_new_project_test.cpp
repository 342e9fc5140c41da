// The New Project Wizard: its lists, the rules between its boxes, the
// "NewProject" settings it starts from and stores, and the default command
// list its result builds.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "dlg_new_project.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/core/array_prg_processor.h"
#include "ui_test_support.h"

namespace kv::ui::testing {
namespace {

class DlgNewProjectTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        savedSettings_ = GetNewProjectSettings();
        savedGlobals_ = GetAppGlobals();
        GetNewProjectSettings() = NewProjectSettings();
    }
    void TearDown() override {
        CDlgNewProject::SetRunner(nullptr);
        GetNewProjectSettings() = savedSettings_;
        GetAppGlobals() = savedGlobals_;
        UiTest::TearDown();
    }

    // Runs the dialog; the check sees it open and ends it.
    int Run(CDlgNewProject& dialog, const std::function<void(CDlgNewProject&)>& check) {
        CDlgNewProject::SetRunner([&](CDlgNewProject& d) {
            check(d);
            return d.result();
        });
        return dialog.DoModal();
    }

    static std::vector<std::string> Items(QComboBox* list) {
        std::vector<std::string> items;
        for (int i = 0; i < list->count(); ++i)
            items.push_back(list->itemText(i).toStdString());
        return items;
    }

  private:
    NewProjectSettings savedSettings_;
    AppGlobals savedGlobals_;
};

TEST_F(DlgNewProjectTest, ListsAndPresets) {
    CDlgNewProject dialog;
    dialog.SetProcessorName("MSP430F2013");
    dialog.SetVcc(2500);
    Run(dialog, [&](CDlgNewProject& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Kelvane New Project Wizard");
        EXPECT_EQ(d.GetNameEdit()->text().toStdString(), "Project Name");
        EXPECT_EQ(d.GetProcessorList()->count(), static_cast<int>(GetProcessorTable()->GetSize()));
        EXPECT_EQ(d.GetProcessorList()->currentText().toStdString(), "MSP430F2013");
        std::vector<std::string> vcc = Items(d.GetVccList());
        ASSERT_EQ(vcc.size(), 23u);
        EXPECT_EQ(vcc.front(), "Off");
        EXPECT_EQ(vcc[1], "1.5v");
        EXPECT_EQ(vcc.back(), "3.6v");
        EXPECT_EQ(d.GetVccList()->currentText().toStdString(), "2.5v");
        EXPECT_EQ(d.GetNote()->text().toStdString(),
                  "Your adapter may not support all displayed VCC options.");
        d.GetVccList()->setCurrentIndex(0);
        d.OnVccChosen(0);
        d.accept();
    });
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetVcc(), 0u);
    EXPECT_EQ(dialog.GetProcessorName(), "MSP430F2013");
    EXPECT_TRUE(dialog.GetProcessorHasLOCKA());

    GetAppGlobals().PodVccAdjustable = true;
    CDlgNewProject other;
    other.SetProcessorName("NoSuchChip");
    other.SetVcc(1000);
    Run(other, [&](CDlgNewProject& d) {
        EXPECT_EQ(d.GetProcessorList()->currentIndex(), 0);
        EXPECT_EQ(d.GetVccList()->currentText().toStdString(), "3.6v");
        EXPECT_EQ(d.GetNote()->text().toStdString(),
                  "Other adapters may not support all displayed VCC options.");
        d.GetNameEdit()->setText("Blinky");
        d.accept();
    });
    EXPECT_EQ(other.GetProcessorName(), GetProcessorTable()->GetAt(0)->GetName());
    EXPECT_EQ(other.GetVcc(), 3600u);
    EXPECT_EQ(other.GetProjectName(), "Blinky");
}

TEST_F(DlgNewProjectTest, OkNeedsAProcessor) {
    CDlgNewProject dialog;
    Run(dialog, [&](CDlgNewProject& d) {
        EXPECT_EQ(d.GetProcessorList()->currentIndex(), -1);
        d.accept();
        EXPECT_EQ(messages.texts, (std::vector<std::string>{"Select a target processor"}));
        EXPECT_EQ(d.result(), 0);
        d.OnProcessorChosen(1);
        d.accept();
    });
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetProcessorName(), GetProcessorTable()->GetAt(1)->GetName());
}

TEST_F(DlgNewProjectTest, WithoutAProcessorListTheDialogEnds) {
    NewProjectSettings& s = GetNewProjectSettings();
    s.EraseTarget = 0;
    DestroyProcessorTable();
    CDlgNewProject dialog;
    bool shown = false;
    CDlgNewProject::SetRunner([&](CDlgNewProject& d) {
        shown = true;
        return d.result();
    });
    EXPECT_EQ(dialog.DoModal(), QDialog::Rejected);
    EXPECT_FALSE(shown);
    EXPECT_FALSE(dialog.GetOpenExisting());
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Unable to use NULL processor table"}));
    EXPECT_EQ(GetNewProjectSettings().EraseTarget, 0);
}

TEST_F(DlgNewProjectTest, BoxesStartFromAndReturnToTheSettings) {
    NewProjectSettings& s = GetNewProjectSettings();
    s.UnLockFlashA = 1;
    s.EraseTarget = 0;
    s.WithVerify = 0;
    s.WriteFile = 1;
    s.WriteFilePath = "/images/app.txt";
    s.BlowFuse = 1;
    s.VccOff = 0;
    s.ResetTarget = 1;
    s.ReleaseJTAG = 1;
    CDlgNewProject dialog;
    dialog.SetProcessorName("MSP430F2013");
    Run(dialog, [&](CDlgNewProject& d) {
        EXPECT_TRUE(d.GetUnlockFlashABox()->isChecked());
        EXPECT_TRUE(d.GetUnlockFlashABox()->isEnabled());
        EXPECT_FALSE(d.GetEraseTargetBox()->isChecked());
        EXPECT_FALSE(d.GetWithVerifyBox()->isChecked());
        EXPECT_EQ(d.GetPathEdit()->text().toStdString(), "/images/app.txt");
        // The standard pod cannot blow the fuse.
        EXPECT_FALSE(d.GetBlowFuseBox()->isEnabled());
        EXPECT_FALSE(d.GetBlowFuseBox()->isChecked());
        EXPECT_FALSE(d.GetVccOffBox()->isChecked());
        EXPECT_TRUE(d.GetVccOffBox()->isEnabled());
        EXPECT_TRUE(d.GetResetTargetBox()->isChecked());
        EXPECT_TRUE(d.GetReleaseJTAGBox()->isChecked());
        EXPECT_FALSE(d.GetPreviewButton()->isEnabled());
        d.GetEraseTargetBox()->setChecked(true);
        d.GetPathEdit()->setText("other.hex");
        d.reject();
    });
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    // Cancelling keeps the changes; the fuse option follows the disabled box.
    EXPECT_EQ(s.EraseTarget, 1);
    EXPECT_EQ(s.WriteFilePath, "other.hex");
    EXPECT_EQ(s.BlowFuse, 0);
    EXPECT_EQ(s.UnLockFlashA, 1);
    EXPECT_EQ(s.ResetTarget, 1);
    EXPECT_EQ(s.ReleaseJTAG, 1);
}

TEST_F(DlgNewProjectTest, FuseForcesSupplyOffWhichClearsResetAndRelease) {
    GetAppGlobals().podVppCapable = 1;
    NewProjectSettings& s = GetNewProjectSettings();
    s.VccOff = 0;
    s.ResetTarget = 1;
    s.ReleaseJTAG = 1;
    CDlgNewProject dialog;
    dialog.SetProcessorName("MSP430F1121A");
    Run(dialog, [&](CDlgNewProject& d) {
        EXPECT_TRUE(d.GetBlowFuseBox()->isEnabled());
        EXPECT_FALSE(d.GetUnlockFlashABox()->isEnabled());
        EXPECT_FALSE(d.GetUnlockFlashABox()->isChecked());
        d.GetBlowFuseBox()->click();
        EXPECT_TRUE(d.GetVccOffBox()->isChecked());
        EXPECT_FALSE(d.GetVccOffBox()->isEnabled());
        EXPECT_FALSE(d.GetResetTargetBox()->isChecked());
        EXPECT_FALSE(d.GetResetTargetBox()->isEnabled());
        EXPECT_FALSE(d.GetReleaseJTAGBox()->isChecked());
        EXPECT_FALSE(d.GetReleaseJTAGBox()->isEnabled());
        d.GetBlowFuseBox()->click();
        EXPECT_TRUE(d.GetVccOffBox()->isEnabled());
        d.GetVccOffBox()->click();
        EXPECT_TRUE(d.GetReleaseJTAGBox()->isEnabled());
        d.GetBlowFuseBox()->click();
        d.accept();
    });
    EXPECT_EQ(s.BlowFuse, 1);
    EXPECT_EQ(s.VccOff, 1);
    EXPECT_EQ(s.ReleaseJTAG, 0);
    EXPECT_FALSE(dialog.GetOptions().ProcessorHasLOCKA);
}

TEST_F(DlgNewProjectTest, WriteFileBrowseAndPreview) {
    QTemporaryDir dir;
    const QString image = dir.filePath("app.txt");
    QFile file(image);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("q\n");
    file.close();
    CDlgNewProject dialog;
    dialog.SetProcessorName("MSP430F2013");
    Run(dialog, [&](CDlgNewProject& d) {
        EXPECT_TRUE(d.GetWriteFileBox()->isChecked());
        EXPECT_FALSE(d.GetPreviewButton()->isEnabled());  // "NoFile.txt" is not there
        d.ApplyBrowseResult(image.toStdString(), 2);
        EXPECT_EQ(d.GetPathEdit()->text().toStdString(), "NoFile.txt");
        d.ApplyBrowseResult(image.toStdString(), 1);
        EXPECT_EQ(d.GetPathEdit()->text(), image);
        EXPECT_TRUE(d.GetPreviewButton()->isEnabled());
        d.GetWriteFileBox()->click();
        EXPECT_FALSE(d.GetWithVerifyBox()->isEnabled());
        EXPECT_FALSE(d.GetBrowseButton()->isEnabled());
        EXPECT_FALSE(d.GetPathEdit()->isEnabled());
        EXPECT_FALSE(d.GetPreviewButton()->isEnabled());
        d.GetWriteFileBox()->click();
        EXPECT_TRUE(d.GetPreviewButton()->isEnabled());
        d.GetOpenExistingButton()->click();
    });
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(dialog.GetOpenExisting());
    EXPECT_EQ(GetNewProjectSettings().WriteFilePath, image.toStdString());
}

TEST_F(DlgNewProjectTest, TheResultBuildsTheDefaultCommandList) {
    NewProjectSettings& s = GetNewProjectSettings();
    s.UnLockFlashA = 1;
    s.WriteFilePath = "/images/app.txt";
    CDlgNewProject dialog;
    dialog.SetProcessorName("MSP430F2013");
    dialog.SetVcc(3000);
    Run(dialog, [&](CDlgNewProject& d) {
        d.GetVccOffBox()->click();
        d.GetReleaseJTAGBox()->click();
        d.accept();
    });
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    TestDocumentProject project;
    project.vcc = dialog.GetVcc();
    project.processor = dialog.GetProcessorName();
    NewProjectOptions options = dialog.GetOptions();
    EXPECT_TRUE(options.ProcessorHasLOCKA);
    EXPECT_EQ(options.WriteFilePath, "/images/app.txt");
    ASSERT_EQ(project.list->BuildDefaultCommands(options), 1) << project.list->GetLastError();
    std::vector<std::string> labels;
    for (int i = 0; i < project.list->GetCommands().GetSize(); ++i)
        labels.push_back(project.list->GetCommands().GetAt(i)->GetTreeLabel());
    EXPECT_EQ(labels, (std::vector<std::string>{"Dravik_Open", "Dravik_Identify", "Dravik_LockA",
                                                "Dravik_Erase", "Dravik_ProgramFile",
                                                "Dravik_Reset", "Dravik_Close"}));
    EXPECT_EQ(static_cast<kv::testing::TestCommand*>(project.list->GetCommands().GetAt(0))->value,
              3000u);
}

}  // namespace
}  // namespace kv::ui::testing
