#include "view_kelvane.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

#include "app_state.h"
#include "command_ids.h"
#include "dlg_new_command.h"
#include "dlg_read_to_file.h"
#include "doc_kelvane.h"
#include "kelvane/app/console_runner.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/app/project_file_lock.h"
#include "kelvane/app/run_signals.h"
#include "kelvane/commands/file_paths.h"
#include "kelvane/commands/tovrin_simple_commands.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_operation.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/core/root_tree_item.h"
#include "kelvane/core/run_stop.h"
#include "kelvane/core/tovrin.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/project/prg_project.h"
#include "kelvane/ui/page_environment.h"
#include "kelvane/ui/property_page_factory.h"
#include "kelvane/ui/tree_item_pages.h"
#include "log_edit.h"
#include "project_tree_ctrl.h"
#include "properties_pane.h"
#include "status_progress_bar.h"

namespace kv::ui {

namespace {

constexpr const char* kCaption = "Kelvane";

// Keeps the document's modified flag across a run that must not change it.
class KeepModified {
  public:
    explicit KeepModified(CDocKelvane* document)
        : document_(document), modified_(document != nullptr ? document->IsModified() : 0) {}
    ~KeepModified() {
        if (document_ != nullptr) document_->SetModifiedFlag(modified_);
    }
    KeepModified(const KeepModified&) = delete;
    KeepModified& operator=(const KeepModified&) = delete;

  private:
    CDocKelvane* document_;
    int modified_;
};

}  // namespace

CViewKelvane::CViewKelvane(CDocKelvane* document, QWidget* parent)
    : QWidget(parent),
      document_(document),
      tree_(new CProjectTreeCtrl(this)),
      pane_(new CPropertiesPane(QString(), this)),
      log_(new CLogEdit(this)),
      statusPicture_(new QLabel(this)) {
    struct Button {
        int id;
        const char* text;
        void (CViewKelvane::*handler)();
    };
    const Button buttons[] = {
        {IDC_EXECUTE, "Execute", &CViewKelvane::OnExecute},
        {IDC_MASS_ERASE, "Mass Erase", &CViewKelvane::OnMassEraseNow},
        {IDC_RESET, "Reset", &CViewKelvane::OnResetNow},
        {IDC_POWER_OFF, "Power Off", &CViewKelvane::OnPowerOffNow},
        {IDC_READ_DEVICE, "Read Device ...", &CViewKelvane::OnReadDevice},
        {IDC_READ_RANGE, "Read Range ...", &CViewKelvane::OnReadRange},
    };
    auto* column = new QVBoxLayout;
    for (const Button& b : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(b.text), this);
        button->setMinimumWidth(110);
        connect(button, &QPushButton::clicked, this, b.handler);
        buttons_[b.id] = button;
        column->addWidget(button);
        if (b.id == IDC_EXECUTE) {
            statusPicture_->setFixedSize(48, 48);
            column->addWidget(statusPicture_, 0, Qt::AlignHCenter);
            column->addSpacing(8);
        }
    }
    column->addStretch(1);

    tree_->setMinimumSize(260, 300);
    log_->setMinimumHeight(160);
    auto* grid = new QGridLayout(this);
    grid->addWidget(tree_, 0, 0);
    grid->addWidget(pane_, 0, 1);
    grid->addLayout(column, 0, 2);
    grid->addWidget(log_, 1, 0, 1, 3);
    connect(tree_, &CProjectTreeCtrl::currentItemShown, this, &CViewKelvane::UpdateCommandUi);
}

CViewKelvane::~CViewKelvane() {
    disconnect(tree_, nullptr, this, nullptr);
    OnDestroy();
}

QPushButton* CViewKelvane::GetButton(int controlId) const {
    auto found = buttons_.find(controlId);
    return found != buttons_.end() ? found->second : nullptr;
}

DocumentProject* CViewKelvane::Project() const {
    return document_ != nullptr ? document_->GetProject() : nullptr;
}

void CViewKelvane::Message(const std::string& text) {
    messageBox(text, kCaption, kMbOk);
}

void CViewKelvane::OnInitialUpdate() {
    if (!firstUpdateDone_) {
        firstUpdateDone_ = true;
        tree_->CreateImageList();
        PrintBanner();
        log_->CreateLogFont();
        bitmaps_[StatusPicture::Busy] = LoadStatusBitmap(StatusPicture::Busy);
        bitmaps_[StatusPicture::Success] = LoadStatusBitmap(StatusPicture::Success);
        bitmaps_[StatusPicture::Failure] = LoadStatusBitmap(StatusPicture::Failure);
        if (bitmaps_[StatusPicture::Busy].isNull()) Message("Could not load bitmaps");
        SetPropertiesWindow(pane_);
        CDlgNewCommand::SetPageHost(pane_->GetPageWindow(), pane_->GetPageRect());
        InstallPropertyPageFactory();
        CreateRootItemPages();
        std::string error;
        if (CreateItemDialogs(pane_->GetPageWindow(), pane_->GetPageRect(), error)) {
            pagesCreated_ = true;
        } else {
            Message(error);
        }
    }
    RefillTree();
    SetStatusPicture(StatusPicture::Busy);
    SetBusy(false);
}

void CViewKelvane::PrintBanner() {
    const AppGlobals& found = GetAppGlobals();
    const int podPresent = IsPodPresent();
    log_->Print("Kelvane.exe " + found.programVersion, 1);
    log_->Print("MSP430 programmer and debugger for the Dravik pod and the Tovrin adapter", 1);
    log_->Print("Orvanti", 1);
    if (podPresent) {
        log_->Print("\nDravik firmware version " + found.podFirmwareVersion, 1);
        log_->Print("Dravik serial " + found.podSerialNumber, 1);
        log_->Print("Nandrel.DLL version " + found.podLibraryVersion, 1);
    }
    if (found.adapterPresent) {
        log_->Print("\nTovrin firmware version " + found.adapterFirmwareVersion, 1);
        log_->Print("Tovrin serial " + found.adapterSerialNumber, 1);
        log_->Print("Jorrick.DLL version " + found.adapterLibraryVersion, 1);
    }
    if (!podPresent && !found.adapterPresent) {
        log_->Print("\nFound no JTAG or BSL adapter, opened for edit mode only", 1);
    }
}

void CViewKelvane::RefillTree() {
    DocumentProject* project = Project();
    if (project == nullptr) {
        tree_->ClearTree();
        return;
    }
    KeepModified keep(document_);
    tree_->ClearTree();
    std::string error;
    if (!project->PopulateTree(tree_, error)) Message(error);
    QTreeWidgetItem* first = tree_->topLevelItem(0);
    tree_->SelectTreeItem(first != nullptr ? tree_->GetTreeItem(tree_->HandleOf(first)) : nullptr);
}

void CViewKelvane::SetStatusPicture(StatusPicture picture) {
    picture_ = picture;
    auto found = bitmaps_.find(picture);
    if (found != bitmaps_.end()) {
        statusPicture_->setPixmap(found->second);
    } else {
        statusPicture_->clear();
    }
    statusPicture_->repaint();
}

void CViewKelvane::SetBusy(bool busy) {
    // While a run owns the project the tree's editing commands refuse (the
    // busy flag) and the pages show their values without taking input.
    SetBusyFlag(busy ? 1 : 0);
    pane_->setEnabled(!busy);
    if (busy) SetStatusPicture(StatusPicture::Busy);
    UpdateCommandUi();
}

CViewKelvane::BusyScope::BusyScope(CViewKelvane* view) : view_(view), previous_(IsBusy() != 0) {
    view_->SetBusy(true);
}

CViewKelvane::BusyScope::~BusyScope() {
    view_->SetBusy(previous_);
}

bool CViewKelvane::LockProjectFile(CProjectFileLock& lock, const std::string& path) {
    auto notice = [this](const std::string& text) {
        log_->Print(text, 1);
        if (statusBar_ != nullptr) statusBar_->SetText(text);
    };
    const StatusPicture shown = picture_;
    bool locked = false;
    {
        BusyScope busy(this);
        locked = lock.Acquire(path, CProjectFileLock::WaitLimitFromEnvironment(notice), notice);
    }
    // A save goes on showing what the last run left.
    SetStatusPicture(shown);
    if (locked) return true;
    Message("Unable to lock project " + path + "\n" + lock.GetError());
    return false;
}

bool CViewKelvane::HoldProjectFile(CProjectFileLock& lock, bool readAfresh) {
    const std::string path = document_ != nullptr ? document_->GetPathName() : std::string();
    if (path.empty()) return true;
    if (!LockProjectFile(lock, path)) return false;
    if (!readAfresh || !document_->ChangedOnDisk()) return true;
    // A station's run or an editor wrote the file since the window read it:
    // what the window holds (a serial number) may be what the file had then.
    if (document_->IsModified() && !document_->AskReload()) return true;
    if (!document_->onReload || !document_->onReload()) return false;
    log_->Print(path + " had changed on disk; the run uses it as it is now", 1);
    return true;
}

void CViewKelvane::EndAfterSignal(bool completed) {
    const int code = completed ? kResultSuccess : kResultStopped;
    GetAppGlobals().resultCode = code;
    if (document_ != nullptr && document_->IsModified())
        std::fprintf(stderr, "Kelvane: %s ends the program; the changes to %s were not saved\n",
                     SignalName(GetRunStopSignal()).c_str(), document_->GetTitle().c_str());
    QCoreApplication::exit(code);
}

int CViewKelvane::RunOperation(CPrgOperation* operation, const std::string& name) {
    if (operation == nullptr) {
        Message("Unable to execute NULL command list");
        return 0;
    }
    SetBusy(true);
    struct ClearBusy {
        CViewKelvane* view;
        ~ClearBusy() { view->SetBusy(false); }
    } clearBusy{this};

    DocumentProject* project = Project();
    if (project == nullptr) {
        Message("Unable to execute NULL project");
        SetStatusPicture(StatusPicture::Failure);
        return 0;
    }
    std::string error;
    CPrgProcessor* processor = project->FindProcessor(error);
    if (processor == nullptr) {
        Message("Unable to execute NULL processor\n" + error);
        SetStatusPicture(StatusPicture::Failure);
        return 0;
    }
    if (project->GetVcc() == 0) {
        Message("Unable to execute with zero VCC");
        SetStatusPicture(StatusPicture::Failure);
        return 0;
    }
    ProgressBar* progress = statusBar_ != nullptr ? statusBar_->GetStatusProgressCtrl() : nullptr;
    int totalUnits = operation->GetProgressAggregate();
    int podNeeded = 0;
    int adapterNeeded = 0;
    CExecuteParams params;
    if (!operation->GetRequiredInterfaces(&podNeeded, &adapterNeeded)) {
        Message("Unable to launch operation.\n" + operation->TakeError());
        if (statusBar_ != nullptr) statusBar_->SetText("Operation cancelled");
        log_->Print("Operation cancelled", 1);
        SetStatusPicture(StatusPicture::Failure);
        return 0;
    }
    // From before the devices open until they are closed, a signal stops the
    // run (and then ends the program) instead of ending it at once.
    CRunSignalGuard stopOnSignal;
    if (!params.Open(processor, project->GetVcc(), progress, statusBar_, log_, name, totalUnits,
                     podNeeded, adapterNeeded)) {
        if (GetRunStopSignal() != 0) {
            EndAfterSignal(false);
            return 0;
        }
        Message(params.TakeError());
        SetStatusPicture(StatusPicture::Failure);
        params.Close();
        return 0;
    }
    int result = operation->Execute(&params);
    if (result) {
        params.SetStatusText("Operation succeeded");
        log_->Print("Operation succeeded", 1);
        SetStatusPicture(StatusPicture::Success);
    } else {
        const std::string text = "Unable to complete operation.\n" + operation->TakeError();
        // Nobody may be there to answer a program told to end.
        if (GetRunStopSignal() != 0) {
            log_->Print(text, 1);
        } else {
            Message(text);
        }
        params.SetStatusText("Operation failed");
        log_->Print("Operation failed", 1);
        SetStatusPicture(StatusPicture::Failure);
    }
    params.Close();
    if (GetRunStopSignal() != 0) EndAfterSignal(result != 0);
    return result;
}

void CViewKelvane::OnExecute() {
    if (IsBusy()) return;
    BusyScope busy(this);
    CProjectFileLock lock;
    if (!HoldProjectFile(lock, true)) {
        SetStatusPicture(StatusPicture::Failure);
        return;
    }
    DocumentProject* project = Project();
    if (project == nullptr) {
        Message("Unable to execute NULL project\nUnable to get NULL current project");
        SetStatusPicture(StatusPicture::Failure);
        return;
    }
    CPrgOperation* commands = project->GetCommandList();
    if (commands == nullptr) {
        Message("Unable to execute NULL command list\nUnable to get NULL current project");
        SetStatusPicture(StatusPicture::Failure);
        return;
    }
    RunOperation(commands, project->GetName());
}

void CViewKelvane::RunImmediate(CPrgOperation* operation, const char* missing) {
    if (operation == nullptr) {
        Message(missing);
        SetStatusPicture(StatusPicture::Failure);
        return;
    }
    BusyScope busy(this);
    CProjectFileLock lock;
    if (!HoldProjectFile(lock, false)) {
        SetStatusPicture(StatusPicture::Failure);
        return;
    }
    KeepModified keep(document_);
    RunOperation(operation, operation->GetName());
}

void CViewKelvane::OnMassEraseNow() {
    if (IsBusy()) return;
    RunImmediate(GetMassEraseNowOperation(), "Unable to execute NULL mass erase operation");
}

void CViewKelvane::OnBlowFuseNow() {
    if (IsBusy()) return;
    if (!IsProfessionalPod()) {
        Message("A Morrend is required to blow the JTAG fuse");
        return;
    }
    if (messageBox("Do you really want to blow the JTAG fuse?", kCaption,
                   kMbYesNo | kMbIconQuestion | kMbDefButton2) != kIdYes) {
        return;
    }
    RunImmediate(GetBlowFuseNowOperation(), "Unable to execute NULL blow fuse operation");
}

void CViewKelvane::OnResetNow() {
    if (IsBusy()) return;
    RunImmediate(GetResetNowOperation(), "Unable to execute NULL reset operation");
}

void CViewKelvane::OnPowerOffNow() {
    if (IsBusy()) return;
    RunImmediate(GetPowerOffNowOperation(), "Unable to execute NULL power off operation");
}

void CViewKelvane::OnReadDevice() {
    if (IsBusy()) return;
    DocumentProject* project = Project();
    std::string error = "Unable to get NULL current project";
    CPrgProcessor* processor = project != nullptr ? project->FindProcessor(error) : nullptr;
    if (processor == nullptr) {
        Message("Unable to read undefined processor");
        return;
    }
    CArrayPrgProcessor* table = GetProcessorTable();
    if (table == nullptr) {
        Message("Unable to read NULL processor table");
        return;
    }
    ReadSettings& settings = GetReadSettings();
    CDlgReadToFile dialog(window());
    dialog.SetOpenAfterRead(settings.OpenAfterRead);
    if (dialog.DoModalReadDevice(settings.ReadFilePath, settings.ReadFileType,
                                 project->GetTargetProcessorName(), table) != QDialog::Accepted) {
        return;
    }
    settings.OpenAfterRead = dialog.GetOpenAfterRead();
    settings.ReadFilePath = dialog.GetFilePath();
    settings.ReadFileType = dialog.GetFileType();
    CPrgProcessor* chosen = FindProcessorByName(dialog.GetProcessorName());
    if (chosen == nullptr) {
        Message("Unable to find selected processor");
        return;
    }
    RunRead(chosen, false);
}

void CViewKelvane::OnReadRange() {
    if (IsBusy()) return;
    DocumentProject* project = Project();
    std::string error;
    CPrgProcessor* processor = project != nullptr ? project->FindProcessor(error) : nullptr;
    if (processor == nullptr) {
        Message("Unable to read undefined processor");
        return;
    }
    ReadSettings& settings = GetReadSettings();
    CDlgReadToFile dialog(window());
    dialog.SetOpenAfterRead(settings.OpenAfterRead);
    dialog.SetAddressDigits(processor->GetAddressDigits());
    if (dialog.DoModalReadRange(settings.ReadFilePath, settings.ReadFileType, settings.ReadAddress,
                                settings.ReadSize) != QDialog::Accepted) {
        return;
    }
    settings.OpenAfterRead = dialog.GetOpenAfterRead();
    settings.ReadFilePath = dialog.GetFilePath();
    settings.ReadFileType = dialog.GetFileType();
    settings.ReadAddress = static_cast<int>(dialog.GetAddress());
    settings.ReadSize = static_cast<int>(dialog.GetSize());
    RunRead(processor, true);
}

void CViewKelvane::RunRead(CPrgProcessor* processor, bool range) {
    SetBusy(true);
    struct ClearBusy {
        CViewKelvane* view;
        ~ClearBusy() { view->SetBusy(false); }
    } clearBusy{this};
    CProjectFileLock lock;
    if (!HoldProjectFile(lock, false)) {
        SetStatusPicture(StatusPicture::Failure);
        return;
    }
    CPrgOperation* operation = range ? GetReadRangeNowOperation() : GetReadProcessorNowOperation();
    if (operation == nullptr) {
        Message("Unable to execute NULL operation");
        SetStatusPicture(StatusPicture::Failure);
        return;
    }
    DocumentProject* project = Project();
    if (project == nullptr) {
        Message("Unable to execute NULL project");
        SetStatusPicture(StatusPicture::Failure);
        return;
    }
    if (project->GetVcc() == 0) {
        Message("Unable to execute with zero VCC");
        SetStatusPicture(StatusPicture::Failure);
        return;
    }
    int podNeeded = 0;
    int adapterNeeded = 0;
    if (!operation->GetRequiredInterfaces(&podNeeded, &adapterNeeded)) {
        Message("Unable to launch operation.\n" + operation->TakeError());
        if (statusBar_ != nullptr) statusBar_->SetText("Operation cancelled");
        log_->Print("Operation cancelled", 1);
        SetStatusPicture(StatusPicture::Failure);
        return;
    }
    // Through the adapter the read first sends the kept password: one the
    // program does not know is sent only when the user agrees, before anything
    // starts.
    const bool askForPassword = adapterNeeded && !CTovrin::IsPasswordKnown();
    if (askForPassword && !CCommandTovrin_ResendPassword::AskToSendUnknownPassword()) return;
    ProgressBar* progress = statusBar_ != nullptr ? statusBar_->GetStatusProgressCtrl() : nullptr;
    CRunSignalGuard stopOnSignal;
    CExecuteParams params;
    if (askForPassword) params.AllowUnknownPassword();
    if (!params.Open(processor, project->GetVcc(), progress, statusBar_, log_, operation->GetName(),
                     operation->GetProgressAggregate(), podNeeded, adapterNeeded)) {
        if (GetRunStopSignal() != 0) {
            EndAfterSignal(false);
            return;
        }
        Message(params.TakeError());
        SetStatusPicture(StatusPicture::Failure);
        params.Close();
        return;
    }
    const ReadSettings& settings = GetReadSettings();
    // The read commands resolve a relative name against the current folder
    // (the project's); the editor gets the file they write.
    const std::string writtenPath = MakeAbsoluteFilePath("", settings.ReadFilePath);
    std::string error;
    int result = 0;
    {
        KeepModified keep(document_);
        result = range ? CPrgOperation::ExecuteReadRange(
                             &params, settings.ReadFilePath, settings.ReadFileType,
                             settings.ReadAddress, settings.ReadSize, error)
                       : CPrgOperation::ExecuteReadProcessor(&params, settings.ReadFilePath,
                                                             settings.ReadFileType, error);
    }
    if (result) {
        params.SetStatusText("Operation succeeded");
        SetStatusPicture(StatusPicture::Success);
    } else {
        if (GetRunStopSignal() != 0) {
            log_->Print("Unable to complete operation.\n" + error, 1);
        } else {
            Message("Unable to complete operation.\n" + error);
        }
        params.SetStatusText("Operation failed");
        SetStatusPicture(StatusPicture::Failure);
    }
    params.Close();
    if (GetRunStopSignal() != 0) {
        EndAfterSignal(result != 0);
        return;
    }
    // Opened as the pages' Preview and View buttons open their files.
    if (result && settings.OpenAfterRead == 1) ViewFile(writtenPath);
}

void CViewKelvane::OnClearLog() {
    // The log of a run is the record of what it did to the chip.
    if (IsBusy()) return;
    log_->ClearLog();
}

void CViewKelvane::OnDeleteCommand() {
    tree_->DeleteCurrentItem();
    UpdateCommandUi();
}

void CViewKelvane::OnInsertCommand() {
    std::string error;
    if (!tree_->NewCommand(1, true, error) && !error.empty()) Message(error);
    UpdateCommandUi();
}

void CViewKelvane::OnAddCommand() {
    std::string error;
    if (!tree_->NewCommand(0, true, error) && !error.empty()) Message(error);
    UpdateCommandUi();
}

void CViewKelvane::OnCommandUp() {
    tree_->MoveCurrentItemUp();
    UpdateCommandUi();
}

void CViewKelvane::OnCommandDown() {
    tree_->MoveCurrentItemDown();
    UpdateCommandUi();
}

int CViewKelvane::OnLibraryMessage(int kind, int code, int value) {
    DocumentProject* project = Project();
    CPrgOperation* commands = project != nullptr ? project->GetCommandList() : nullptr;
    if (commands == nullptr || (kind != 1 && kind != 2 && kind != 4)) return 0;
    return commands->OnLibraryMessage(kind, code, value);
}

void CViewKelvane::OnDestroy() {
    if (!firstUpdateDone_) return;
    firstUpdateDone_ = false;
    SetPropertiesItem(nullptr);
    if (GetPropertiesWindow() == pane_) SetPropertiesWindow(nullptr);
    CDlgNewCommand::ClearPageHost();
    tree_->ClearTree();
    if (pagesCreated_) DestroyItemDialogs();
    pagesCreated_ = false;
    DestroyRootItemPages();
    SetStatusPicture(StatusPicture::None);
    SetBusyFlag(0);
    bitmaps_.clear();
}

void CViewKelvane::FocusNextPane(bool previous) {
    // The page's first control that takes the focus stands for the page.
    QWidget* page = nullptr;
    for (QWidget* child : pane_->findChildren<QWidget*>()) {
        if (child->isVisible() && child->isEnabled() && (child->focusPolicy() & Qt::TabFocus)) {
            page = child;
            break;
        }
    }
    std::vector<QWidget*> panes{tree_};
    if (page != nullptr) panes.push_back(page);
    panes.push_back(log_);
    QWidget* focus = QApplication::focusWidget();
    std::size_t at = 0;
    for (std::size_t i = 0; i < panes.size(); ++i) {
        QWidget* pane = panes[i] == page ? pane_ : panes[i];
        if (focus != nullptr && (focus == pane || pane->isAncestorOf(focus))) at = i;
    }
    const std::size_t next = previous ? (at + panes.size() - 1) % panes.size() : (at + 1) % panes.size();
    panes[next]->setFocus(Qt::ShortcutFocusReason);
}

bool CViewKelvane::IsCommandEnabled(int commandId) const {
    const bool busy = IsBusy() != 0;
    DocumentProject* project = Project();
    CProjectTreeItem* item = GetPropertiesItem();
    CProjectTreeItem* parent = nullptr;
    CProjectTreeItem* other = nullptr;
    CProjectTreeItem* third = nullptr;
    switch (commandId) {
        case ID_IMMEDIATE_EXECUTE:
            return !busy && project != nullptr && project->GetCommandList() != nullptr;
        case ID_IMMEDIATE_READ_DEVICE:
        case ID_IMMEDIATE_READ_RANGE:
        case ID_IMMEDIATE_RESET:
        case ID_IMMEDIATE_POWER_OFF:
            return !busy;
        case ID_IMMEDIATE_MASS_ERASE:
            return !busy && IsPodPresent() != 0;
        case ID_IMMEDIATE_BLOW_FUSE:
            return !busy && IsProfessionalPod() != 0;
        case ID_PROJECT_DELETE_COMMAND:
            return !busy && item != nullptr && item->GetDeleteTarget(false, &parent, &other) &&
                   parent != nullptr;
        case ID_PROJECT_INSERT_COMMAND:
            return !busy && item != nullptr && item->GetInsertTarget(false, &parent, &other) &&
                   parent != nullptr;
        case ID_PROJECT_ADD_COMMAND:
            return !busy && item != nullptr && item->GetAddTarget(false, &parent, &other) &&
                   parent != nullptr;
        case ID_PROJECT_COMMAND_UP:
            return !busy && item != nullptr &&
                   item->GetMoveUpTarget(false, &parent, &other, &third) && parent != nullptr;
        case ID_PROJECT_COMMAND_DOWN:
            return !busy && item != nullptr &&
                   item->GetMoveDownTarget(false, &parent, &other, &third) && parent != nullptr;
        default:
            // The rest neither needs a project nor a device, only a window
            // that no run holds.
            return !busy;
    }
}

void CViewKelvane::UpdateCommandUi() {
    const std::pair<int, int> controls[] = {{IDC_EXECUTE, ID_IMMEDIATE_EXECUTE},
                                            {IDC_MASS_ERASE, ID_IMMEDIATE_MASS_ERASE},
                                            {IDC_RESET, ID_IMMEDIATE_RESET},
                                            {IDC_POWER_OFF, ID_IMMEDIATE_POWER_OFF},
                                            {IDC_READ_DEVICE, ID_IMMEDIATE_READ_DEVICE},
                                            {IDC_READ_RANGE, ID_IMMEDIATE_READ_RANGE}};
    for (const auto& [control, command] : controls) {
        if (QPushButton* button = GetButton(control)) button->setEnabled(IsCommandEnabled(command));
    }
    emit commandStateChanged();
}

void CViewKelvane::CreateRootItemPages() {
    auto* processor = new CDlgProcessor;
    auto* name = new CDlgProjectName;
    auto* vcc = new CDlgProjectVcc;
    for (CPropertyPageBase* page :
         {static_cast<CPropertyPageBase*>(processor), static_cast<CPropertyPageBase*>(name),
          static_cast<CPropertyPageBase*>(vcc)}) {
        page->Attach(pane_->GetPageWindow(), pane_->GetPageRect());
        page->Show(false);
        rootPages_.push_back(page);
    }
    CProcessorTreeItem::SetPropertyPage(processor);
    CProjectNameTreeItem::SetPropertyPage(name);
    CProjectVccTreeItem::SetPropertyPage(vcc);
}

void CViewKelvane::DestroyRootItemPages() {
    CProcessorTreeItem::SetPropertyPage(nullptr);
    CProjectNameTreeItem::SetPropertyPage(nullptr);
    CProjectVccTreeItem::SetPropertyPage(nullptr);
    for (QWidget* page : rootPages_)
        delete page;
    rootPages_.clear();
}

}  // namespace kv::ui
