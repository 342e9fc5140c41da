#include "kelvane/ui/plugin_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <climits>
#include <cstdlib>

#include "kelvane/commands/command_text.h"
#include "kelvane/commands/overlay.h"
#include "kelvane/core/plugin_lists.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/ui/hex_number_edit.h"

namespace kv::ui {

namespace {

template <class Array>
std::vector<CPluginAlgorithm*> ListOf(Array* list) {
    std::vector<CPluginAlgorithm*> algorithms;
    if (list == nullptr) return algorithms;
    for (std::size_t i = 0; i < list->GetSize(); ++i)
        algorithms.push_back(list->GetAt(i));
    return algorithms;
}

std::vector<CPluginAlgorithm*> SerializerAlgorithms() {
    return ListOf(CSerializerPlugins::GetSerializerAlgorithms());
}

std::vector<CPluginAlgorithm*> OverlayAlgorithms() {
    return ListOf(COverlayPlugins::GetOverlayAlgorithms());
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

QLineEdit* AddTextField(QWidget* page, QFormLayout* form, const char* label, const char* id) {
    auto* edit = new QLineEdit(page);
    edit->setObjectName(QString::fromLatin1(id));
    form->addRow(QString::fromLatin1(label), edit);
    return edit;
}

// The count as "%d" reads it: a signed number at the start of the text; 0
// when there is none.
std::int32_t ParseCount(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    char* end = nullptr;
    const long value = std::strtol(bytes.constData(), &end, 10);
    if (end == bytes.constData()) return 0;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<std::int32_t>(value);
}

}  // namespace

CDlgCmdPluginPage::CDlgCmdPluginPage(const Texts& texts, QWidget* parent)
    : CPropertyPageBase(parent), texts_(texts) {
    name_ = AddTextField(this, Form(), "Name:", texts_.nameId);
    method_ = new QComboBox(this);
    method_->setObjectName(QString::fromLatin1(texts_.methodId));
    Form()->addRow(QString::fromLatin1(texts_.methodLabel), method_);
    value_ = AddTextField(this, Form(), texts_.valueLabel, texts_.valueId);
    address_ =
        AddHexField(QStringLiteral("Addr (h)"), HexFieldRule{0u, false, 0},
                    [this](std::uint32_t value) { Object<CCommandOverlay>()->SetAddress(value); });
    address_->setObjectName(QString::fromLatin1(texts_.addressId));
    FillMethodList();
    connect(name_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (CanWrite()) Object<CCommandOverlay>()->SetName(text.toStdString());
    });
    connect(value_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (CanWrite()) Object<CCommandOverlay>()->SetNextValue(text.toStdString());
    });
    connect(method_, &QComboBox::currentIndexChanged, this, &CDlgCmdPluginPage::OnMethodChanged);
}

void CDlgCmdPluginPage::FillMethodList() {
    Quietly([this] {
        method_->clear();
        const std::vector<CPluginAlgorithm*> algorithms = texts_.algorithms();
        for (std::size_t i = 0; i < algorithms.size(); ++i) {
            if (algorithms[i] == nullptr) continue;
            method_->addItem(QString::fromStdString(algorithms[i]->GetLabel()),
                             static_cast<qulonglong>(i));
        }
        if (method_->count() == 0) method_->addItem(QStringLiteral("None"));
        method_->setCurrentIndex(0);
    });
}

CPluginAlgorithm* CDlgCmdPluginPage::AlgorithmOfRow(int row) const {
    if (row < 0 || row >= method_->count()) return nullptr;
    const QVariant entry = method_->itemData(row);
    if (!entry.isValid()) return nullptr;
    const std::vector<CPluginAlgorithm*> algorithms = texts_.algorithms();
    const qulonglong index = entry.toULongLong();
    return index < algorithms.size() ? algorithms[index] : nullptr;
}

void CDlgCmdPluginPage::LoadControls() {
    auto* command = Object<CCommandOverlay>();
    name_->setText(QString::fromStdString(command->GetName()));
    SelectMethod(command);
    value_->setText(QString::fromStdString(command->GetNextValue()));
    ShowHexField(address_, command->GetAddress());
}

void CDlgCmdPluginPage::SelectMethod(CCommandOverlay* command) {
    for (int row = 0; row < method_->count(); ++row) {
        const CPluginAlgorithm* algorithm = AlgorithmOfRow(row);
        if (algorithm != nullptr &&
            SameIgnoringCase(algorithm->GetModuleName(), command->GetModule()) &&
            algorithm->GetName() == command->GetAlgorithm()) {
            method_->setCurrentIndex(row);
            return;
        }
    }
    method_->setCurrentIndex(0);
    messageBox(Format("Could not find %s module '%s' with algorithm '%s'\n", texts_.kind,
                      command->GetModule().c_str(), command->GetAlgorithm().c_str()) +
                   "Setting selection to first available option",
               "Kelvane", kMbOk);
    // Without any algorithm loaded there is nothing to switch to: the command
    // keeps what it names.
    if (const CPluginAlgorithm* first = AlgorithmOfRow(0)) {
        command->SetModule(first->GetModuleName());
        command->SetAlgorithm(first->GetName());
    }
}

void CDlgCmdPluginPage::OnMethodChanged(int row) {
    if (!CanWrite()) return;
    const CPluginAlgorithm* algorithm = AlgorithmOfRow(row);
    if (algorithm == nullptr) {
        messageBox(texts_.missingMethod, "Kelvane", kMbOk);
        return;
    }
    auto* command = Object<CCommandOverlay>();
    command->SetModule(algorithm->GetModuleName());
    command->SetAlgorithm(algorithm->GetName());
}

CDlgCmdSerialize::CDlgCmdSerialize(QWidget* parent)
    : CDlgCmdPluginPage(
          Texts{"serializer",
                "Missing serializer in CDlgCmdSerialize::OnSelChangeListSerializerMethod()", "1073",
                "Serialization Method:", "1039", "Next Serial Number", "1042", "1043",
                &SerializerAlgorithms},
          parent) {
    count_ = AddTextField(this, Form(), "Count", "1044");
    countUp_ = new QCheckBox(QStringLiteral("Count Up"), this);
    countUp_->setObjectName(QStringLiteral("1045"));
    Form()->addRow(countUp_);
    connect(count_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (CanWrite()) Object<CCommandSerialize>()->SetCount(ParseCount(text));
    });
    connect(countUp_, &QCheckBox::toggled, this, [this](bool on) {
        if (CanWrite()) Object<CCommandSerialize>()->SetCountUp(on ? 1 : 0);
    });
}

bool CDlgCmdSerialize::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandSerialize*>(item) != nullptr;
}

void CDlgCmdSerialize::LoadControls() {
    CDlgCmdPluginPage::LoadControls();
    const auto* command = Object<CCommandSerialize>();
    count_->setText(QString::number(command->GetCount()));
    countUp_->setChecked(command->GetCountUp() != 0);
}

void CDlgCmdSerialize::RefreshSerialNumber() {
    const auto* command = Object<CCommandSerialize>();
    if (command == nullptr) return;
    Quietly([&] {
        ValueEdit()->setText(QString::fromStdString(command->GetNextValue()));
        count_->setText(QString::number(command->GetCount()));
    });
}

CDlgCmdOverlay::CDlgCmdOverlay(QWidget* parent)
    : CDlgCmdPluginPage(
          Texts{"overlay", "Missing Overlay in CDlgCmdOverlay::OnSelChangeListOverlayMethod()",
                "1049", "Overlay Method:", "1046", "Overlay Value", "1047", "1048",
                &OverlayAlgorithms},
          parent) {}

bool CDlgCmdOverlay::Accepts(CProjectTreeItem* item) const {
    // A Serialize command is an overlay too, but has its own page.
    return dynamic_cast<CCommandOverlay*>(item) != nullptr &&
           dynamic_cast<CCommandSerialize*>(item) == nullptr;
}

}  // namespace kv::ui
