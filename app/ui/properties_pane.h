// The group box in which the selected item's property page is shown, with its
// hidden "None" placeholder. The pages are children of its page area.
#pragma once

#include <QFontMetrics>
#include <QGroupBox>
#include <QSize>
#include <string>

#include "kelvane/core/tree_ui.h"
#include "ui_window.h"

class QLabel;

namespace kv::ui {

class CPropertiesPane : public QGroupBox, public PropertiesPane {
    Q_OBJECT

  public:
    explicit CPropertiesPane(const QString& title, QWidget* parent = nullptr);

    void SetTitle(const std::string& title) override;
    void Show(bool show) override;

    // Every page is 180 x 173 dialog units of the window's font.
    static constexpr int kPageWidthUnits = 180;
    static constexpr int kPageHeightUnits = 173;
    static QSize PageSizeInPixels(const QFontMetrics& metrics);

    bool IsShown() const { return shown_; }
    // Where pages live, and their rectangle in it.
    UiWindow* GetPageWindow() { return &window_; }
    QWidget* GetPageArea() const { return pageArea_; }
    UiRect GetPageRect() const;

  private:
    QWidget* pageArea_;
    QLabel* none_;
    UiWindow window_;
    bool shown_ = true;
};

}  // namespace kv::ui
