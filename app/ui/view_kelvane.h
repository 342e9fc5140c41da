// The form view: the project tree, the properties pane, the execution log,
// the status picture and the immediate-command buttons. It runs operations
// through the execution context on the user-interface thread.
#pragma once

#include <QWidget>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "status_bitmaps.h"

class QLabel;
class QPushButton;

namespace kv {
class CPrgOperation;
class CPrgProcessor;
class CProjectFileLock;
}  // namespace kv

namespace kv::ui {

class CDocKelvane;
class CLogEdit;
class CProjectTreeCtrl;
class CPropertiesPane;
class CStatusProgressBar;
class DocumentProject;

class CViewKelvane : public QWidget {
    Q_OBJECT

  public:
    // Control identifiers of the form.
    enum ControlId {
        IDC_TREE = 1087,
        IDC_PROPERTIES = 1069,
        IDC_LOG = 1060,
        IDC_EXECUTE = 1012,
        IDC_STATUS_PICTURE = 1033,
        IDC_MASS_ERASE = 1003,
        IDC_RESET = 1017,
        IDC_POWER_OFF = 1018,
        IDC_READ_DEVICE = 1019,
        IDC_READ_RANGE = 1020,
    };

    explicit CViewKelvane(CDocKelvane* document, QWidget* parent = nullptr);
    ~CViewKelvane() override;

    // Once per view the set-up; every time the tree refill and busy picture.
    void OnInitialUpdate();
    void PrintBanner();
    void RefillTree();

    int RunOperation(CPrgOperation* operation, const std::string& name);
    // Takes the lock of a project file as a console run does: while another
    // run holds it the wait is told in the log and the window goes on
    // drawing, with its commands turned away. False, and said, when the lock
    // cannot be taken.
    bool LockProjectFile(CProjectFileLock& lock, const std::string& path);
    void OnExecute();
    void OnMassEraseNow();
    void OnBlowFuseNow();
    void OnResetNow();
    void OnPowerOffNow();
    void OnReadDevice();
    void OnReadRange();
    void OnClearLog();
    void OnDeleteCommand();
    void OnInsertCommand();
    void OnAddCommand();
    void OnCommandUp();
    void OnCommandDown();
    // A progress message of a device library: kind 1 progress, 2 status, 4 end.
    int OnLibraryMessage(int kind, int code, int value);
    void OnDestroy();
    // The processor, project name and project VCC pages of the root entries.
    void CreateRootItemPages();
    void DestroyRootItemPages();

    // Moves the focus to the next (or previous) of tree, page and log.
    void FocusNextPane(bool previous);
    // Whether the menu or toolbar command may run now.
    bool IsCommandEnabled(int commandId) const;
    // Enables the buttons and tells the frame to refresh its commands.
    void UpdateCommandUi();

    void SetStatusBar(CStatusProgressBar* statusBar) { statusBar_ = statusBar; }
    CStatusProgressBar* GetStatusBar() const { return statusBar_; }
    StatusPicture GetStatusPicture() const { return picture_; }
    CProjectTreeCtrl* GetTree() const { return tree_; }
    CLogEdit* GetLog() const { return log_; }
    CPropertiesPane* GetPane() const { return pane_; }
    QPushButton* GetButton(int controlId) const;
    CDocKelvane* GetDocument() const { return document_; }

  signals:
    void commandStateChanged();

  private:
    // Busy for its life; then as before.
    class BusyScope {
      public:
        explicit BusyScope(CViewKelvane* view);
        ~BusyScope();
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

      private:
        CViewKelvane* view_;
        bool previous_;
    };

    void SetStatusPicture(StatusPicture picture);
    void SetBusy(bool busy);
    // Locks the document's file, if it has one, for a run. With `readAfresh`
    // a file changed on disk since the window read it is read again (a
    // modified document only when the user says so).
    bool HoldProjectFile(CProjectFileLock& lock, bool readAfresh);
    // After a run during which a signal came: the program ends without a
    // question, with the stopped run's result unless the run had completed.
    void EndAfterSignal(bool completed);
    DocumentProject* Project() const;
    // The common part of Read Device and Read Range after the dialog.
    void RunRead(CPrgProcessor* processor, bool range);
    void RunImmediate(CPrgOperation* operation, const char* missing);
    void Message(const std::string& text);

    CDocKelvane* document_;
    CStatusProgressBar* statusBar_ = nullptr;
    CProjectTreeCtrl* tree_;
    CPropertiesPane* pane_;
    CLogEdit* log_;
    QLabel* statusPicture_;
    std::map<int, QPushButton*> buttons_;
    std::map<StatusPicture, QPixmap> bitmaps_;
    StatusPicture picture_ = StatusPicture::None;
    bool firstUpdateDone_ = false;
    bool pagesCreated_ = false;
    // The pages of the processor, project name and project VCC entries.
    std::vector<QWidget*> rootPages_;
};

}  // namespace kv::ui
