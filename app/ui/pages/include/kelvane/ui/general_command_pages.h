// Pages of the commands that are not tied to a device: Comment, Delay,
// UserWait and AnalyzeResults.
#pragma once

#include "kelvane/ui/property_page_base.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace kv::ui {

// The "Execution comment:" edit shared by the comment-carrying pages: a
// multi-line edit where Enter starts a new line.
class CDlgCmdCommentPageBase : public CPropertyPageBase {
    Q_OBJECT
  public:
    QPlainTextEdit* CommentEdit() const { return comment_; }

  protected:
    explicit CDlgCmdCommentPageBase(QWidget* parent);
    // Adds the edit beside its label, or below it.
    void AddCommentEdit(const QString& label = QStringLiteral("Execution comment:"),
                        bool labelAbove = false);
    void LoadControls() override;

  private:
    QPlainTextEdit* comment_ = nullptr;
};

class CDlgCmdComment : public CDlgCmdCommentPageBase {
    Q_OBJECT
  public:
    explicit CDlgCmdComment(QWidget* parent = nullptr);

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
};

class CDlgCmdDelay : public CDlgCmdCommentPageBase {
    Q_OBJECT
  public:
    explicit CDlgCmdDelay(QWidget* parent = nullptr);
    QLineEdit* DelayEdit() const { return delay_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    QLineEdit* delay_;
};

class CDlgCmdUserWait : public CDlgCmdCommentPageBase {
    Q_OBJECT
  public:
    explicit CDlgCmdUserWait(QWidget* parent = nullptr);
    QComboBox* OptionsList() const { return options_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    QComboBox* options_;
};

class CDlgCmdAnalyzeResults : public CPropertyPageBase {
    Q_OBJECT
  public:
    explicit CDlgCmdAnalyzeResults(QWidget* parent = nullptr);
    CHexNumberEdit* HeaderEdit() const { return header_; }
    CHexNumberEdit* ResultEdit() const { return result_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    CHexNumberEdit* header_;
    CHexNumberEdit* result_;
};

}  // namespace kv::ui

namespace kv::ui {

// An analysis item: the key it matches, how its value is shown and the range
// the memory limits are scaled to.
class CDlgAnalysisItem : public CDlgCmdCommentPageBase {
    Q_OBJECT
  public:
    explicit CDlgAnalysisItem(QWidget* parent = nullptr);
    CHexNumberEdit* KeyEdit() const { return key_; }
    QComboBox* TypeList() const { return type_; }
    CHexNumberEdit* MemoryMinEdit() const { return memoryMin_; }
    CHexNumberEdit* MemoryMaxEdit() const { return memoryMax_; }
    QLineEdit* RangeMinEdit() const { return rangeMin_; }
    QLineEdit* RangeMaxEdit() const { return rangeMax_; }
    QLabel* UnitsLabel() const { return units_; }
    QLabel* SampleMinLabel() const { return sampleMin_; }
    QLabel* SampleMaxLabel() const { return sampleMax_; }

  protected:
    bool Accepts(CProjectTreeItem* item) const override;
    void LoadControls() override;

  private:
    void ApplyTypeRule();
    void RefreshSamples();

    CHexNumberEdit* key_;
    QComboBox* type_;
    CHexNumberEdit* memoryMin_;
    CHexNumberEdit* memoryMax_;
    QLineEdit* rangeMin_;
    QLineEdit* rangeMax_;
    QLabel* units_;
    QLabel* sampleMin_;
    QLabel* sampleMax_;
};

}  // namespace kv::ui
