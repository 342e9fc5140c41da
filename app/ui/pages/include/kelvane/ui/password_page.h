// The page of the adapter's SetPassword command: sixteen password words, the
// source of the password (raw values or a file kept in sync) and the file.
#pragma once

#include <array>

#include "kelvane/ui/property_page_base.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kv::ui {

class CDlgCmdTovrin_SetPassword : public CPropertyPageBase {
    Q_OBJECT

  public:
    // Item data of the source list.
    enum Source { kRawValues = 0, kSetToFFFF = 1, kSetFromFile = 2, kSyncToFile = 3 };

    explicit CDlgCmdTovrin_SetPassword(QWidget* parent = nullptr);

    // Shows the stored name and every word and applies the source state.
    void RefreshPassword();
    void Refresh() override { RefreshPassword(); }

    CHexNumberEdit* WordEdit(int index) const { return words_[static_cast<std::size_t>(index)]; }
    QComboBox* SourceList() const { return source_; }
    QLineEdit* PathEdit() const { return path_; }
    QPushButton* BrowseButton() const { return browse_; }
    QPushButton* PreviewButton() const { return preview_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override { RefreshPassword(); }

  private:
    void OnSourceChanged();

    std::array<CHexNumberEdit*, 16> words_{};
    QComboBox* source_;
    QLabel* fileLabel_;
    QLineEdit* path_;
    QPushButton* browse_;
    QPushButton* preview_;
};

}  // namespace kv::ui
