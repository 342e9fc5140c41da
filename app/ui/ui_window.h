// What the core calls a window: a widget that property pages are children of.
#pragma once

class QWidget;

namespace kv {

class UiWindow {
  public:
    explicit UiWindow(QWidget* widget) : widget_(widget) {}
    QWidget* GetWidget() const { return widget_; }

  private:
    QWidget* widget_;
};

}  // namespace kv
