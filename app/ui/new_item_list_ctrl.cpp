#include "new_item_list_ctrl.h"

#include <QHeaderView>
#include <QScrollBar>

#include "status_bitmaps.h"

namespace kv::ui {

namespace {

constexpr int kItemRole = Qt::UserRole + 1;

}  // namespace

CNewItemListCtrl::CNewItemListCtrl(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    SetUp();
}

void CNewItemListCtrl::SetUp() {
    clear();
    setIconSize(QSize(16, 16));
    setColumnCount(3);
    setHeaderLabels(
        {QStringLiteral("Item"), QStringLiteral("Source"), QStringLiteral("Description")});
    SizeColumns();
}

void CNewItemListCtrl::SizeColumns() {
    setColumnWidth(0, 150);
    setColumnWidth(1, 80);
    int rest = viewport()->width() - 230;
    setColumnWidth(2, rest > 50 ? rest : 50);
}

void CNewItemListCtrl::resizeEvent(QResizeEvent* event) {
    QTreeWidget::resizeEvent(event);
    SizeColumns();
}

int CNewItemListCtrl::InsertCommand(const std::string& displayName, int image,
                                    const std::string& source, const std::string& description,
                                    CProjectTreeItem* item, std::string& error) {
    if (item == nullptr) {
        error = "Could not insert new command " + displayName;
        return -1;
    }
    auto* row = new QTreeWidgetItem(this);
    // The fixed columns may cut a name or a description; the tooltip shows it whole.
    row->setText(0, QString::fromStdString(displayName));
    row->setToolTip(0, QString::fromStdString(displayName));
    row->setIcon(0, ItemImage(image));
    row->setText(1, QString::fromStdString(source));
    row->setText(2, QString::fromStdString(description));
    row->setToolTip(2, QString::fromStdString(description));
    row->setData(0, kItemRole, QVariant::fromValue(reinterpret_cast<quintptr>(item)));
    return indexOfTopLevelItem(row);
}

bool CNewItemListCtrl::AddRow(const std::string& displayName, int image, const std::string& group,
                              const std::string& description, CProjectTreeItem* item) {
    std::string error;
    return InsertCommand(displayName, image, group, description, item, error) >= 0;
}

CProjectTreeItem* CNewItemListCtrl::GetRowItem(int row) const {
    QTreeWidgetItem* entry = topLevelItem(row);
    if (entry == nullptr) return nullptr;
    return reinterpret_cast<CProjectTreeItem*>(entry->data(0, kItemRole).value<quintptr>());
}

CProjectTreeItem* CNewItemListCtrl::GetSelectedItem() const {
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (topLevelItem(row)->isSelected()) return GetRowItem(row);
    }
    return nullptr;
}

void CNewItemListCtrl::SelectRow(int row) {
    if (row < 0 || row >= topLevelItemCount()) return;
    clearSelection();
    setCurrentItem(topLevelItem(row));
    topLevelItem(row)->setSelected(true);
}

}  // namespace kv::ui
