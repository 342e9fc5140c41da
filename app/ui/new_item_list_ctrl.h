// The list of the Add New Command dialog: one row per command prototype with
// its image, "Source" and "Description", the prototype as the row's data.
#pragma once

#include <QTreeWidget>
#include <string>

#include "kelvane/core/tree_ui.h"

namespace kv::ui {

class CNewItemListCtrl : public QTreeWidget, public NewItemList {
    Q_OBJECT

  public:
    explicit CNewItemListCtrl(QWidget* parent = nullptr);

    // Removes every row and (re)creates the image list and the columns.
    void SetUp();
    // Appends a row; its index, or -1 with "Could not insert new command %s".
    int InsertCommand(const std::string& displayName, int image, const std::string& source,
                      const std::string& description, CProjectTreeItem* item, std::string& error);
    bool AddRow(const std::string& displayName, int image, const std::string& group,
                const std::string& description, CProjectTreeItem* item) override;
    // The item of the first selected row, or nullptr.
    CProjectTreeItem* GetSelectedItem() const;
    CProjectTreeItem* GetRowItem(int row) const;
    // Selects and focuses the row; an index past the last row does nothing.
    void SelectRow(int row);
    int GetRowCount() const { return topLevelItemCount(); }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    void SizeColumns();
};

}  // namespace kv::ui
