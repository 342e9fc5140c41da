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
    pageArea_->setMinimumSize(PageSizeInPixels(pageArea_->fontMetrics()));
    // An empty pane keeps its room, title line included: the tree beside it
    // and the log below never move.
    QSizePolicy policy = pageArea_->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    pageArea_->setSizePolicy(policy);
    setTitle(QStringLiteral("None"));
    setMinimumSize(minimumSizeHint());
    setTitle(title);
}

QSize CPropertiesPane::PageSizeInPixels(const QFontMetrics& metrics) {
    // A dialog unit is a quarter of the font's average character width across
    // and an eighth of its height down, so the page holds the same text in
    // whatever font the desktop gives.
    static const QString alphabet =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const double across = metrics.horizontalAdvance(alphabet) / 52.0 / 4.0;
    const double down = metrics.height() / 8.0;
    return QSize(static_cast<int>(kPageWidthUnits * across + 0.5),
                 static_cast<int>(kPageHeightUnits * down + 0.5));
}

void CPropertiesPane::SetTitle(const std::string& title) {
    setTitle(QString::fromStdString(title));
}

void CPropertiesPane::Show(bool show) {
    shown_ = show;
    pageArea_->setVisible(show);
}

UiRect CPropertiesPane::GetPageRect() const {
    const QRect area = pageArea_->rect();
    return UiRect{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

}  // namespace kv::ui
