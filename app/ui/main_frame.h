// The main window: menu, toolbar and the status bar with its progress pane,
// around the form view. It has no sizing border and fits itself to the form.
#pragma once

#include <QMainWindow>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QToolBar;

namespace kv::ui {

class CDocKelvane;
class CStatusProgressBar;
class CViewKelvane;

class CMainFrame : public QMainWindow {
    Q_OBJECT

  public:
    explicit CMainFrame(CDocKelvane* document, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CStatusProgressBar* GetStatusBar() const { return statusBar_; }
    CViewKelvane* GetView() const { return view_; }
    QToolBar* GetToolBar() const { return toolBar_; }
    QAction* GetAction(int commandId) const;
    const std::string& GetLastError() const { return error_; }

    // The File menu's recent files, newest first, above Exit.
    void SetRecentFiles(const std::vector<std::string>& files);
    const std::vector<QAction*>& GetRecentFileActions() const { return recentActions_; }
    // Opens a file chosen from the recent files.
    std::function<void(const std::string& path)> onOpenRecentFile;

    // Runs a menu or toolbar command as if it was chosen.
    void OnCommand(int commandId);
    // Enables every action as the view says.
    void UpdateCommandUi();
    void UpdateTitle();
    // Fits the window to the form.
    void RecalcLayout();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void BuildMenus();
    void BuildToolBar();
    void OnAbout();
    void ForwardEdit(int commandId);

    CDocKelvane* document_;
    CViewKelvane* view_;
    CStatusProgressBar* statusBar_;
    QToolBar* toolBar_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    std::vector<QAction*> recentActions_;
    std::map<int, QAction*> actions_;
    std::string error_ = "No error";
};

}  // namespace kv::ui
