// The form view: command enabling, runs through the execution context, the
// log, the progress and status outlets and the read commands.
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>

#include "app_state.h"
#include "command_ids.h"
#include "dlg_read_to_file.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/ui/page_environment.h"
#include "log_edit.h"
#include "main_frame.h"
#include "project_tree_ctrl.h"
#include "status_progress_bar.h"
#include "ui_test_support.h"
#include "view_kelvane.h"

namespace kv::ui::testing {
namespace {

class ViewKelvaneTest : public UiTest {
  protected:
    void SetUp() override {
        UiTest::SetUp();
        project.AddCommand("Dravik_Open", "Open");
        project.AddCommand("Dravik_Erase", "Erase")->SetUnits(3);
        project.AddCommand("Dravik_Close", "Close");
        document.SetProject(&project);
        // The core builds the built-in operations for the current project;
        // the stand-in project here is not one, so they are built for it.
        std::string error;
        ASSERT_EQ(CreateBuiltInOperations(static_cast<DocumentProject*>(&project), error), 1)
            << error;
        frame = std::make_unique<CMainFrame>(&document);
        view = frame->GetView();
        view->OnInitialUpdate();
    }
    void TearDown() override {
        CDlgReadToFile::SetRunner(nullptr);
        SetFileViewer(nullptr);
        frame.reset();
        UiTest::TearDown();
    }

    bool Enabled(int control) { return view->GetButton(control)->isEnabled(); }
    std::string Log() { return view->GetLog()->GetLogText(); }

    CDocKelvane document;
    TestDocumentProject project;
    std::unique_ptr<CMainFrame> frame;
    CViewKelvane* view = nullptr;
};

TEST_F(ViewKelvaneTest, BannerWithoutDevicesAndAfterTheFirstUpdate) {
    EXPECT_EQ(Log(),
              "Kelvane.exe 02.03.03b\r\n"
              "MSP430 programmer and debugger for the Dravik pod and the Tovrin adapter\r\n"
              "Orvanti\r\n"
              "\r\nFound no JTAG or BSL adapter, opened for edit mode only\r\n");
    EXPECT_EQ(view->GetStatusPicture(), StatusPicture::Busy);
    EXPECT_EQ(IsBusy(), 0);
}

TEST_F(ViewKelvaneTest, BannerNamesTheDevicesFound) {
    AppGlobals& found = GetAppGlobals();
    SetPodInUse(1);
    found.podFirmwareVersion = "02.03.03";
    found.podSerialNumber = "42";
    found.podLibraryVersion = "1.0";
    found.adapterPresent = 1;
    found.adapterFirmwareVersion = "1.2";
    found.adapterSerialNumber = "7";
    found.adapterLibraryVersion = "3.4";
    view->OnClearLog();
    view->PrintBanner();
    EXPECT_NE(Log().find("\r\n\r\nDravik firmware version 02.03.03\r\nDravik serial 42\r\n"
                         "Nandrel.DLL version 1.0\r\n\r\nTovrin firmware version 1.2\r\n"
                         "Tovrin serial 7\r\nJorrick.DLL version 3.4\r\n"),
              std::string::npos);
    EXPECT_EQ(Log().find("Found no JTAG"), std::string::npos);
}

TEST_F(ViewKelvaneTest, ButtonsFollowTheBusyFlagAndThePod) {
    EXPECT_TRUE(Enabled(CViewKelvane::IDC_EXECUTE));
    EXPECT_FALSE(Enabled(CViewKelvane::IDC_MASS_ERASE));
    EXPECT_TRUE(Enabled(CViewKelvane::IDC_RESET));
    EXPECT_TRUE(Enabled(CViewKelvane::IDC_READ_DEVICE));
    EXPECT_FALSE(view->IsCommandEnabled(ID_IMMEDIATE_BLOW_FUSE));

    SetPodInUse(1);
    GetAppGlobals().podVppCapable = 1;
    view->UpdateCommandUi();
    EXPECT_TRUE(Enabled(CViewKelvane::IDC_MASS_ERASE));
    EXPECT_TRUE(frame->GetAction(ID_IMMEDIATE_BLOW_FUSE)->isEnabled());

    // While a run lasts every immediate command is off and its handler returns.
    bool duringRun[6] = {};
    static_cast<kv::testing::TestCommand*>(project.list->GetCommands().GetAt(1))->onRun =
        [&](CExecuteParams*) {
            int i = 0;
            for (int id : {CViewKelvane::IDC_EXECUTE, CViewKelvane::IDC_MASS_ERASE,
                           CViewKelvane::IDC_RESET, CViewKelvane::IDC_POWER_OFF,
                           CViewKelvane::IDC_READ_DEVICE, CViewKelvane::IDC_READ_RANGE})
                duringRun[i++] = Enabled(id);
            EXPECT_EQ(IsBusy(), 1);
            EXPECT_FALSE(frame->GetAction(ID_PROJECT_DELETE_COMMAND)->isEnabled());
            std::size_t logSize = Log().size();
            view->OnExecute();
            view->OnMassEraseNow();
            EXPECT_EQ(Log().size(), logSize);
        };
    view->OnExecute();
    for (bool enabled : duringRun)
        EXPECT_FALSE(enabled);
    EXPECT_EQ(IsBusy(), 0);
    EXPECT_TRUE(Enabled(CViewKelvane::IDC_EXECUTE));
    EXPECT_EQ(view->GetStatusPicture(), StatusPicture::Success);
}

TEST_F(ViewKelvaneTest, ProjectCommandsFollowTheSelectedItemsTargets) {
    view->GetTree()->SelectTreeItem(project.list->GetCommands().GetAt(0));
    EXPECT_FALSE(view->IsCommandEnabled(ID_PROJECT_COMMAND_UP));
    EXPECT_TRUE(view->IsCommandEnabled(ID_PROJECT_COMMAND_DOWN));
    EXPECT_TRUE(view->IsCommandEnabled(ID_PROJECT_DELETE_COMMAND));
    EXPECT_TRUE(view->IsCommandEnabled(ID_PROJECT_ADD_COMMAND));
    view->GetTree()->SelectTreeItem(project.list.get());
    EXPECT_FALSE(view->IsCommandEnabled(ID_PROJECT_DELETE_COMMAND));
    EXPECT_FALSE(view->IsCommandEnabled(ID_PROJECT_COMMAND_DOWN));
    EXPECT_TRUE(view->IsCommandEnabled(ID_PROJECT_INSERT_COMMAND));
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(ViewKelvaneTest, ExecuteLogsEveryCommandAndDrivesTheOutlets) {
    view->OnExecute();
    EXPECT_NE(Log().find("Commands: \r\nOpen: OK\r\nErase: OK\r\nClose: OK\r\n"
                         "Operation succeeded\r\n"),
              std::string::npos);
    EXPECT_EQ(frame->GetStatusBar()->GetText(), "Operation succeeded");
    QProgressBar* bar = frame->GetStatusBar()->GetStatusProgressCtrl()->GetBar();
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(devices.events.front(), "open pod");
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(ViewKelvaneTest, ProgressAdvancesThroughTheOutletDuringARun) {
    std::vector<int> positions;
    QProgressBar* bar = frame->GetStatusBar()->GetStatusProgressCtrl()->GetBar();
    for (int i = 0; i < 3; ++i) {
        static_cast<kv::testing::TestCommand*>(project.list->GetCommands().GetAt(i))->onRun =
            [&](CExecuteParams*) { positions.push_back(bar->value()); };
    }
    view->OnExecute();
    ASSERT_EQ(positions.size(), 3u);
    EXPECT_LT(positions[0], positions[1]);
    EXPECT_LT(positions[1], positions[2]);
    EXPECT_LE(positions[2], bar->maximum());
}

TEST_F(ViewKelvaneTest, ZeroVccFailsBeforeAnyDeviceOpens) {
    project.vcc = 0;
    view->OnExecute();
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Unable to execute with zero VCC"}));
    EXPECT_EQ(view->GetStatusPicture(), StatusPicture::Failure);
    EXPECT_TRUE(devices.events.empty());
    EXPECT_EQ(IsBusy(), 0);
}

TEST_F(ViewKelvaneTest, AFailedRunShowsTheTextAndTheFailurePicture) {
    kv::testing::FailingCommands().insert("Dravik_Erase");
    view->OnExecute();
    ASSERT_EQ(messages.texts.size(), 1u);
    EXPECT_EQ(messages.texts[0], "Unable to complete operation.\nDravik_Erase failed");
    EXPECT_NE(Log().find("Erase: failed\r\n"), std::string::npos);
    EXPECT_NE(Log().find("Operation failed\r\n"), std::string::npos);
    EXPECT_EQ(frame->GetStatusBar()->GetText(), "Operation failed");
    EXPECT_EQ(view->GetStatusPicture(), StatusPicture::Failure);
}

TEST_F(ViewKelvaneTest, AnUnknownProcessorStopsTheRun) {
    project.processor = "MSP430NONE";
    view->OnExecute();
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Unable to execute NULL processor\n"
                                                        "Unable to find processor 'MSP430NONE'"}));
}

TEST_F(ViewKelvaneTest, ImmediateCommandsLeaveTheModifiedFlag) {
    document.SetModifiedFlag(0);
    SetPodInUse(1);
    view->OnMassEraseNow();
    EXPECT_EQ(document.IsModified(), 0);
    EXPECT_NE(Log().find("Mass Erase Now: \r\n"), std::string::npos);
    view->OnResetNow();
    view->OnPowerOffNow();
    EXPECT_EQ(view->GetStatusPicture(), StatusPicture::Success);
    EXPECT_EQ(document.IsModified(), 0);
}

TEST_F(ViewKelvaneTest, BlowFuseNeedsTheProfessionalPodAndAYes) {
    view->OnBlowFuseNow();
    EXPECT_EQ(messages.texts,
              (std::vector<std::string>{"A Morrend is required to blow the JTAG fuse"}));
    GetAppGlobals().podVppCapable = 1;
    messages.texts.clear();
    messages.answers.push_back(kIdNo);
    view->OnBlowFuseNow();
    EXPECT_EQ(messages.texts,
              (std::vector<std::string>{"Do you really want to blow the JTAG fuse?"}));
    EXPECT_TRUE(devices.events.empty());
    messages.answers.push_back(kIdYes);
    view->OnBlowFuseNow();
    EXPECT_NE(Log().find("Blow Fuse Now: "), std::string::npos);
}

TEST_F(ViewKelvaneTest, ReadRangeStoresTheSettingsAndOpensTheFileWhenAsked) {
    std::vector<std::string> opened;
    SetFileViewer([&](const std::string& path) { return opened.push_back(path), true; });
    SetPodInUse(1);
    CDlgReadToFile::SetRunner([](CDlgReadToFile& d) {
        d.ApplyBrowseResult("range.hex", 1);
        d.SetOpenAfterRead(0);
        d.accept();
        return d.result();
    });
    view->OnReadRange();
    const ReadSettings& settings = GetReadSettings();
    EXPECT_EQ(settings.ReadFilePath, "range.hex");
    EXPECT_EQ(settings.ReadFileType, 2);
    EXPECT_EQ(settings.ReadAddress, 0xF000);
    EXPECT_EQ(settings.ReadSize, 0x1000);
    EXPECT_EQ(settings.OpenAfterRead, 0);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(view->GetStatusPicture(), StatusPicture::Success);
    CPrgOperation* range = GetReadRangeNowOperation();
    auto* read = dynamic_cast<kv::testing::TestCommand*>(range->GetReadCommand());
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->fileName, "range.hex");
    EXPECT_EQ(read->fileType, 2);
    EXPECT_EQ(read->address, 0xF000u);
    EXPECT_EQ(read->length, 0x1000u);
}

TEST_F(ViewKelvaneTest, ReadDeviceCancelledChangesNoSetting) {
    CDlgReadToFile::SetRunner([](CDlgReadToFile& d) {
        d.ApplyBrowseResult("other.hex", 1);
        d.reject();
        return d.result();
    });
    view->OnReadDevice();
    EXPECT_EQ(GetReadSettings().ReadFilePath, "MyFile.txt");
    EXPECT_EQ(GetReadSettings().ReadFileType, 1);
    EXPECT_TRUE(devices.events.empty());
}

TEST_F(ViewKelvaneTest, ReadDeviceOpensTheFileAfterASuccess) {
    std::vector<std::string> opened;
    SetFileViewer([&](const std::string& path) { return opened.push_back(path), true; });
    SetPodInUse(1);
    CDlgReadToFile::SetRunner([](CDlgReadToFile& d) {
        d.accept();
        return d.result();
    });
    view->OnReadDevice();
    // The editor gets the file where it was written, not the bare setting.
    EXPECT_EQ(opened,
              (std::vector<std::string>{(std::filesystem::current_path() / "MyFile.txt").string()}));
    EXPECT_TRUE(messages.texts.empty());
}

TEST_F(ViewKelvaneTest, LibraryMessagesGoToTheCommandList) {
    EXPECT_EQ(view->OnLibraryMessage(3, 0, 0), 0);
    EXPECT_EQ(view->OnLibraryMessage(1, 0, 10), 0);
}

}  // namespace
}  // namespace kv::ui::testing
