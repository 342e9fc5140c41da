#include "main_frame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QToolBar>

#include "app_state.h"
#include "command_icons.h"
#include "command_ids.h"
#include "doc_kelvane.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/ui/hex_edit_ctrl.h"
#include "recent_file_list.h"
#include "status_bitmaps.h"
#include "status_progress_bar.h"
#include "view_kelvane.h"

namespace kv::ui {

CMainFrame::CMainFrame(CDocKelvane* document, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      document_(document),
      view_(new CViewKelvane(document, this)),
      statusBar_(new CStatusProgressBar(this)) {
    setCentralWidget(view_);
    setStatusBar(statusBar_);
    view_->SetStatusBar(statusBar_);
    BuildMenus();
    BuildToolBar();
    connect(view_, &CViewKelvane::commandStateChanged, this, &CMainFrame::UpdateCommandUi);
    if (document_ != nullptr) document_->onChanged = [this] { UpdateTitle(); };
    UpdateTitle();
}

CMainFrame::~CMainFrame() {
    // The view outlives this part of the window while Qt deletes children.
    disconnect(view_, nullptr, this, nullptr);
    if (document_ != nullptr) document_->onChanged = nullptr;
}

void CMainFrame::BuildMenus() {
    for (const MenuInfo& menuInfo : MainMenu()) {
        QMenu* menu = menuBar()->addMenu(QString::fromLatin1(menuInfo.title));
        if (fileMenu_ == nullptr) fileMenu_ = menu;
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
        for (const CommandInfo& info : menuInfo.commands) {
            if (info.id == 0) {
                menu->addSeparator();
                continue;
            }
            QString text = QString::fromLatin1(info.menuText);
            QAction* action = new QAction(this);
            // The Project menu's keys belong to the tree; the menu only names them.
            if (const char* treeKey = TreeKeyOf(info.id)) {
                text += QStringLiteral("\t") + QString::fromLatin1(treeKey);
            } else if (info.shortcut[0] != '\0') {
                QList<QKeySequence> keys{QKeySequence(QString::fromLatin1(info.shortcut))};
                for (const char* other : AlternateShortcuts(info.id))
                    keys << QKeySequence(QString::fromLatin1(other));
                action->setShortcuts(keys);
            }
            action->setText(text);
            action->setStatusTip(QString::fromStdString(PromptText(info)));
            action->setToolTip(QString::fromStdString(TooltipText(info)));
            action->setData(info.id);
            const int id = info.id;
            connect(action, &QAction::triggered, this, [this, id] { OnCommand(id); });
            if (id == ID_VIEW_TOOLBAR || id == ID_VIEW_STATUS_BAR) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            menu->addAction(action);
            actions_[id] = action;
        }
    }
    // F6 and Shift+F6 move the focus between the tree, the page and the log.
    for (bool previous : {false, true}) {
        auto* pane = new QAction(this);
        pane->setShortcut(QKeySequence(previous ? Qt::SHIFT | Qt::Key_F6 : Qt::Key_F6));
        connect(pane, &QAction::triggered, this, [this, previous] { view_->FocusNextPane(previous); });
        addAction(pane);
    }
}

void CMainFrame::BuildToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Standard"));
    toolBar_->setMovable(true);
    toolBar_->setFloatable(true);
    toolBar_->setIconSize(QSize(16, 16));
    for (int id : ToolbarCommands()) {
        if (id == 0) {
            toolBar_->addSeparator();
            continue;
        }
        QAction* action = GetAction(id);
        if (action == nullptr) continue;
        action->setIcon(CommandIcon(id));
        toolBar_->addAction(action);
    }
}

void CMainFrame::SetRecentFiles(const std::vector<std::string>& files) {
    for (QAction* action : recentActions_)
        delete action;
    recentActions_.clear();
    QAction* exit = GetAction(ID_APP_EXIT);
    if (fileMenu_ == nullptr || exit == nullptr) return;
    // Like the framework: a disabled "Recent File" stands in for an empty list.
    if (files.empty()) {
        auto* none = new QAction(QStringLiteral("Recent File"), this);
        none->setEnabled(false);
        recentActions_.push_back(none);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        auto* action =
            new QAction(QString::fromStdString(CRecentFileList::MenuText(i, files[i])), this);
        action->setStatusTip(QStringLiteral("Open this document"));
        action->setData(QString::fromStdString(files[i]));
        action->setEnabled(IsBusy() == 0);
        const std::string path = files[i];
        connect(action, &QAction::triggered, this, [this, path] {
            if (onOpenRecentFile) onOpenRecentFile(path);
        });
        recentActions_.push_back(action);
    }
    recentActions_.push_back(new QAction(this));
    recentActions_.back()->setSeparator(true);
    for (QAction* action : recentActions_)
        fileMenu_->insertAction(exit, action);
}

QAction* CMainFrame::GetAction(int commandId) const {
    auto found = actions_.find(commandId);
    return found != actions_.end() ? found->second : nullptr;
}

void CMainFrame::OnCommand(int commandId) {
    // While a run lasts nothing the user chooses acts: a command could change
    // the project or the log the run is writing, and a window opened here
    // would hold the run inside its message pump.
    if (IsBusy()) return;
    switch (commandId) {
        case ID_FILE_NEW:
            if (document_ != nullptr && document_->onFileNew) document_->onFileNew();
            break;
        case ID_FILE_OPEN:
            if (document_ != nullptr && document_->onFileOpen) document_->onFileOpen();
            break;
        case ID_FILE_SAVE:
            if (document_ != nullptr && document_->onFileSave) document_->onFileSave();
            break;
        case ID_FILE_SAVE_AS:
            if (document_ != nullptr && document_->onFileSaveAs) document_->onFileSaveAs();
            break;
        case ID_FILE_CLEAR_LOG:
            view_->OnClearLog();
            break;
        case ID_APP_EXIT:
            close();
            break;
        case ID_EDIT_UNDO:
        case ID_EDIT_CUT:
        case ID_EDIT_COPY:
        case ID_EDIT_PASTE:
            ForwardEdit(commandId);
            break;
        case ID_VIEW_TOOLBAR:
            toolBar_->setVisible(toolBar_->isHidden());
            GetAction(commandId)->setChecked(!toolBar_->isHidden());
            RecalcLayout();
            break;
        case ID_VIEW_STATUS_BAR:
            statusBar_->setVisible(statusBar_->isHidden());
            GetAction(commandId)->setChecked(!statusBar_->isHidden());
            RecalcLayout();
            break;
        case ID_IMMEDIATE_EXECUTE:
            view_->OnExecute();
            break;
        case ID_IMMEDIATE_MASS_ERASE:
            view_->OnMassEraseNow();
            break;
        case ID_IMMEDIATE_RESET:
            view_->OnResetNow();
            break;
        case ID_IMMEDIATE_POWER_OFF:
            view_->OnPowerOffNow();
            break;
        case ID_IMMEDIATE_BLOW_FUSE:
            view_->OnBlowFuseNow();
            break;
        case ID_IMMEDIATE_READ_DEVICE:
            view_->OnReadDevice();
            break;
        case ID_IMMEDIATE_READ_RANGE:
            view_->OnReadRange();
            break;
        case ID_PROJECT_DELETE_COMMAND:
            view_->OnDeleteCommand();
            break;
        case ID_PROJECT_INSERT_COMMAND:
            view_->OnInsertCommand();
            break;
        case ID_PROJECT_ADD_COMMAND:
            view_->OnAddCommand();
            break;
        case ID_PROJECT_COMMAND_UP:
            view_->OnCommandUp();
            break;
        case ID_PROJECT_COMMAND_DOWN:
            view_->OnCommandDown();
            break;
        case ID_APP_ABOUT:
            OnAbout();
            break;
        default:
            break;
    }
}

void CMainFrame::ForwardEdit(int commandId) {
    QWidget* focus = QApplication::focusWidget();
    if (auto* hex = qobject_cast<CHexEditCtrl*>(focus)) {
        // Undo does nothing in the hex editor.
        if (commandId == ID_EDIT_CUT && hex->Cell().HasSelection()) hex->Cut();
        if (commandId == ID_EDIT_COPY && hex->Cell().HasSelection()) hex->Copy();
        if (commandId == ID_EDIT_PASTE) hex->Paste();
    } else if (auto* line = qobject_cast<QLineEdit*>(focus)) {
        if (commandId == ID_EDIT_UNDO) line->undo();
        if (commandId == ID_EDIT_CUT) line->cut();
        if (commandId == ID_EDIT_COPY) line->copy();
        if (commandId == ID_EDIT_PASTE) line->paste();
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(focus)) {
        if (commandId == ID_EDIT_UNDO) text->undo();
        if (commandId == ID_EDIT_CUT) text->cut();
        if (commandId == ID_EDIT_COPY) text->copy();
        if (commandId == ID_EDIT_PASTE) text->paste();
    }
}

void CMainFrame::OnAbout() {
    QMessageBox::about(this, QStringLiteral("About Kelvane"),
                       QStringLiteral("Kelvane Version %1\nOrvanti")
                           .arg(QString::fromStdString(GetAppGlobals().programVersion)));
}

void CMainFrame::UpdateCommandUi() {
    // Every command is greyed while a run lasts (OnCommand refuses them too).
    for (auto& [id, action] : actions_)
        action->setEnabled(view_->IsCommandEnabled(id));
    for (QAction* action : recentActions_)
        if (!action->data().toString().isEmpty()) action->setEnabled(IsBusy() == 0);
}

void CMainFrame::UpdateTitle() {
    std::string title = document_ != nullptr ? document_->GetTitle() : std::string("Untitled");
    setWindowTitle(QString::fromStdString(title + " - " + CDocKelvane::kAppTitle));
}

void CMainFrame::RecalcLayout() {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    adjustSize();
    setFixedSize(sizeHint());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // A run cannot be cancelled; the window stays until it ends.
    if (IsBusy() || (document_ != nullptr && !document_->SaveModified())) {
        event->ignore();
        return;
    }
    view_->OnDestroy();
    event->accept();
}

}  // namespace kv::ui
