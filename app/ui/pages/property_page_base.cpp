#include "kelvane/ui/property_page_base.h"

#include <QComboBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <utility>

#include "kelvane/core/project_access.h"
#include "kelvane/ui/hex_number_edit.h"
#include "kelvane/ui/page_environment.h"

namespace kv::ui {

CPropertyPageBase::CPropertyPageBase(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    form_ = new QFormLayout;
    layout->addLayout(form_);
    help_ = new QPlainTextEdit(this);
    help_->setObjectName(QStringLiteral("1060"));
    help_->setReadOnly(true);
    help_->setFrameShape(QFrame::NoFrame);
    help_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(help_, 1);
    hide();
}

void CPropertyPageBase::SetItem(CProjectTreeItem* item) {
    item_ = item != nullptr && Accepts(item) ? item : nullptr;
    if (item_ == nullptr) return;
    Quietly([this] { LoadControls(); });
}

void CPropertyPageBase::Refresh() {
    if (item_ != nullptr) Quietly([this] { LoadControls(); });
}

void CPropertyPageBase::Show(bool show) {
    setVisible(show);
}

bool CPropertyPageBase::Attach(UiWindow* parent, const UiRect& rect) {
    const bool visible = isVisible();
    setParent(WidgetOfUiWindow(parent));
    setGeometry(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    setVisible(visible && parentWidget() != nullptr);
    return true;
}

QString CPropertyPageBase::GetHelpText() const {
    return help_->toPlainText();
}

void CPropertyPageBase::SetHelpText(const std::string& text) {
    // The edit keeps line feeds; a paragraph break shows as an empty line.
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    help_->setPlainText(shown);
}

void CPropertyPageBase::Quietly(const std::function<void()>& body) {
    const bool was = loading_;
    loading_ = true;
    body();
    loading_ = was;
}

CHexNumberEdit* CPropertyPageBase::AddHexField(const QString& label, HexFieldRule rule,
                                               std::function<void(std::uint32_t)> setter) {
    CHexNumberEdit* edit = MakeHexField(rule, std::move(setter));
    form_->addRow(label, edit);
    return edit;
}

CHexNumberEdit* CPropertyPageBase::MakeHexField(HexFieldRule rule,
                                                std::function<void(std::uint32_t)> setter) {
    auto* edit = new CHexNumberEdit(this);
    edit->setProperty("fixedDigits", rule.fixedDigits);
    Quietly([&] {
        edit->SetDigits(rule.fixedDigits != 0 ? rule.fixedDigits : GetCurrentAddressDigits());
        edit->SetValue(0);
    });
    connect(edit, &QLineEdit::textChanged, this, [this, edit, rule, setter](const QString&) {
        if (!CanWrite()) return;
        std::uint32_t value = 0;
        if (edit->GetValue(&value))
            setter(value);
        else if (rule.fallback)
            setter(*rule.fallback);
    });
    if (rule.reformatOnFocusLoss) {
        connect(edit, &CHexNumberEdit::focusLost, this, [this, edit, setter] {
            // Only a text the user edited is rewritten: leaving a field that
            // shows a wider stored value keeps that value.
            if (!edit->IsEdited()) return;
            std::uint32_t value = 0;
            if (!edit->GetValue(&value)) return;
            const bool write = CanWrite();
            Quietly([&] { edit->SetValue(value); });
            if (write) setter(value);
        });
    }
    return edit;
}

void CPropertyPageBase::ShowHexField(CHexNumberEdit* edit, std::uint32_t value) {
    Quietly([&] {
        const int fixed = edit->property("fixedDigits").toInt();
        edit->SetDigits(fixed != 0 ? fixed : GetCurrentAddressDigits());
        edit->SetValue(value);
    });
}

void CPropertyPageBase::keyPressEvent(QKeyEvent* event) {
    // A page never closes on Enter or Escape; the window it stands in takes
    // them: Add New Command confirms or cancels, the main window ignores them.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
        event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FillVccList(QComboBox* combo, bool withOff) {
    combo->clear();
    if (withOff) combo->addItem(QStringLiteral("Off"), QVariant::fromValue<qulonglong>(0));
    const PodVccCapability pod = GetPodVccCapability();
    if (pod.adjustable) {
        for (std::uint32_t mv = 1500; mv <= 3600; mv += 100)
            combo->addItem(QString::fromStdString(FormatVcc(mv)),
                           QVariant::fromValue<qulonglong>(mv));
    } else {
        combo->addItem(QString::fromStdString(FormatVcc(pod.fixedVcc)),
                       QVariant::fromValue<qulonglong>(pod.fixedVcc));
    }
}

void SelectVccInList(QComboBox* combo, std::uint32_t vcc) {
    const int found = combo->findData(QVariant::fromValue<qulonglong>(vcc));
    combo->setCurrentIndex(found >= 0 ? found : combo->count() - 1);
}

}  // namespace kv::ui
