// The Add New Command dialog: the target parent's command prototypes in a
// list, and the selected prototype's own property page beside it. A page edits
// the prototype itself, so parameters chosen here become the defaults of the
// next new command of that kind.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "kelvane/core/tree_ui.h"

namespace kv {
class CArrayProjectTreeItem;
class CProjectTreeItem;
class UiWindow;
}  // namespace kv

namespace kv::ui {

class CNewItemListCtrl;
class CPropertiesPane;

class CDlgNewCommand : public QDialog {
    Q_OBJECT

  public:
    explicit CDlgNewCommand(QWidget* parent = nullptr);
    ~CDlgNewCommand() override;

    // Every prototype of a present array resolves its file path.
    void SetPrototypes(CArrayProjectTreeItem* prototypes);
    void SetTitle(const std::string& title);
    // Where property pages normally live; set once by the main view.
    static void SetPageHost(UiWindow* window, const UiRect& rect);
    static void ClearPageHost();

    // Opens, runs and closes the dialog; QDialog::Accepted or Rejected.
    int DoModal();
    // A copy of the selected prototype, or nullptr without a selection.
    CProjectTreeItem* CreateSelectedCommand();
    CProjectTreeItem* GetSelectedPrototype() const { return selected_; }
    CNewItemListCtrl* GetList() const { return list_; }
    CPropertiesPane* GetPane() const { return pane_; }

    // Replaces the modal loop (tests drive the open dialog through it).
    using Runner = std::function<int(CDlgNewCommand& dialog)>;
    static Runner SetRunner(Runner runner);

  private:
    bool Open();
    void Close();
    void OnSelectionChanged();

    std::string title_;
    CArrayProjectTreeItem* prototypes_ = nullptr;
    CProjectTreeItem* selected_ = nullptr;
    PropertiesPane* previousPane_ = nullptr;
    bool paneTaken_ = false;
    CNewItemListCtrl* list_;
    CPropertiesPane* pane_;
};

}  // namespace kv::ui
