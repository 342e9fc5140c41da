#include "properties_pane.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kv::ui {

CPropertiesPane::CPropertiesPane(const QString& title, QWidget* parent)
    : QGroupBox(title, parent),
      pageArea_(new QWidget(this)),
      none_(new QLabel(QStringLiteral("None"), pageArea_)),
      window_(pageArea_) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pageArea_);
    none_->hide();
    pageArea_->setMinimumSize(270, 280);
}

void CPropertiesPane::SetTitle(const std::string& title) {
    setTitle(QString::fromStdString(title));
}

void CPropertiesPane::Show(bool show) {
    shown_ = show;
    pageArea_->setVisible(show);
}

UiRect CPropertiesPane::GetPageRect() const {
    QRect area = pageArea_->rect();
    return UiRect{area.left(), area.top(), area.right(), area.bottom()};
}

}  // namespace kv::ui
