#include "status_progress_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

namespace kv::ui {

namespace {

CStatusProgressBar* gStatusBar = nullptr;

}  // namespace

void CStatusProgressCtrl::SetRange(int low, int high) {
    bar_->setRange(low, high);
    bar_->repaint();
}

void CStatusProgressCtrl::SetPos(int position) {
    bar_->setValue(position);
    bar_->repaint();
}

CStatusProgressBar::CStatusProgressBar(QWidget* parent)
    : QStatusBar(parent), textPane_(new QLabel(this)), progressPane_(new QWidget(this)) {
    setSizeGripEnabled(false);
    textPane_->setFrameShape(QFrame::NoFrame);
    addWidget(textPane_, 1);
    progressPane_->setFixedWidth(kProgressPaneWidth);
    auto* layout = new QHBoxLayout(progressPane_);
    layout->setContentsMargins(0, 0, 0, 0);
    addPermanentWidget(progressPane_);
    gStatusBar = this;
}

CStatusProgressBar::~CStatusProgressBar() {
    if (gStatusBar == this) gStatusBar = nullptr;
}

void CStatusProgressBar::SetText(const std::string& text) {
    textPane_->setText(QString::fromStdString(text));
    textPane_->repaint();
}

std::string CStatusProgressBar::GetText() const {
    return textPane_->text().toStdString();
}

CStatusProgressCtrl* CStatusProgressBar::GetStatusProgressCtrl() {
    if (!progress_) {
        auto* bar = new QProgressBar(progressPane_);
        bar->setTextVisible(false);
        bar->setRange(0, 100);
        bar->setValue(0);
        progressPane_->layout()->addWidget(bar);
        bar->show();
        progress_ = std::make_unique<CStatusProgressCtrl>(bar);
    }
    return progress_.get();
}

CStatusProgressBar* CStatusProgressBar::GetInstance() {
    return gStatusBar;
}

}  // namespace kv::ui
