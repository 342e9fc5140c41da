#include "kelvane/ui/password_page.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "kelvane/commands/tovrin_set_password.h"
#include "kelvane/ui/file_pages.h"
#include "kelvane/ui/hex_number_edit.h"
#include "kelvane/ui/page_environment.h"

namespace kv::ui {

CDlgCmdTovrin_SetPassword::CDlgCmdTovrin_SetPassword(QWidget* parent) : CPropertyPageBase(parent) {
    auto* grid = new QGridLayout;
    const char* rows[] = {"FFE0:", "FFE8:", "FFF0:", "FFF8:"};
    for (int r = 0; r < 4; ++r) {
        grid->addWidget(new QLabel(QString::fromLatin1(rows[r]), this), r, 0);
        for (int c = 0; c < 4; ++c) {
            const int index = r * 4 + c;
            auto* edit = new CHexNumberEdit(this);
            edit->setObjectName(QString::number(1129 + index));
            edit->SetDigits(4);
            edit->SetValue(0xFFFF);
            grid->addWidget(edit, r, c + 1);
            words_[static_cast<std::size_t>(index)] = edit;
            connect(edit, &QLineEdit::textChanged, this, [this, edit, index](const QString&) {
                if (!CanWrite()) return;
                std::uint32_t value = 0;
                if (!edit->GetValue(&value)) value = 0xFFFF;
                Object<CCommandTovrin_SetPassword>()->SetPasswordWord(
                    index, static_cast<std::uint16_t>(value));
            });
            connect(edit, &CHexNumberEdit::focusLost, this, [this, edit, index] {
                if (!edit->IsEdited()) return;
                std::uint32_t value = 0;
                if (!edit->GetValue(&value)) return;
                const bool write = CanWrite();
                Quietly([&] { edit->SetValue(value); });
                if (write)
                    Object<CCommandTovrin_SetPassword>()->SetPasswordWord(
                        index, static_cast<std::uint16_t>(value));
            });
        }
    }
    Form()->addRow(grid);
    source_ = new QComboBox(this);
    source_->setObjectName(QStringLiteral("1145"));
    source_->addItem(QStringLiteral("Raw values"), int{kRawValues});
    source_->addItem(QStringLiteral("Set to 0xFFFF"), int{kSetToFFFF});
    source_->addItem(QStringLiteral("Set from file"), int{kSetFromFile});
    source_->addItem(QStringLiteral("Sync to file"), int{kSyncToFile});
    source_->setCurrentIndex(0);
    Form()->addRow(QStringLiteral("Password Source:"), source_);
    fileLabel_ = new QLabel(QStringLiteral("Password File:"), this);
    fileLabel_->setObjectName(QStringLiteral("1146"));
    path_ = new QLineEdit(this);
    path_->setObjectName(QStringLiteral("1013"));
    path_->setReadOnly(true);
    browse_ = new QPushButton(QStringLiteral("..."), this);
    browse_->setObjectName(QStringLiteral("1014"));
    preview_ = new QPushButton(QStringLiteral("Preview File"), this);
    preview_->setObjectName(QStringLiteral("1084"));
    preview_->setEnabled(false);
    // The file's buttons share its row, so the whole help text shows below
    // the sixteen words.
    browse_->setFixedWidth(browse_->fontMetrics().horizontalAdvance(QStringLiteral("...")) +
                           2 * browse_->fontMetrics().averageCharWidth());
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    row->addWidget(path_, 1);
    row->addWidget(browse_);
    row->addWidget(preview_);
    Form()->addRow(fileLabel_, row);

    connect(source_, &QComboBox::currentIndexChanged, this, [this](int) { OnSourceChanged(); });
    connect(browse_, &QPushButton::clicked, this, [this] {
        if (!CanWrite()) return;
        if (BrowseTovrinFile(Object<CCommandTovrin_SetPassword>(), this, true)) RefreshPassword();
    });
    connect(preview_, &QPushButton::clicked, this, [this] {
        if (GetItem() != nullptr) ViewFile(Object<CCommandTovrin_SetPassword>()->GetFileName());
    });
    SetHelpText(std::string("This command unlocks a target device using the s"
                            "pecified password.  Passwords can be s"
                            "pecified as raw values, set to 0xFFFF, read from a "
                            "file, or synced to a file.") +
                kHelpParagraph +
                "A file read is a one-time-only snapshot, while syncing to a file refreshes the "
                "password from the file during each execution of the command.");
}

bool CDlgCmdTovrin_SetPassword::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandTovrin_SetPassword*>(item) != nullptr;
}

void CDlgCmdTovrin_SetPassword::RefreshPassword() {
    const CCommandTovrin_SetPassword* command = Object<CCommandTovrin_SetPassword>();
    if (command == nullptr) return;
    Quietly([&] {
        path_->setText(QString::fromStdString(command->GetRelativeFileName()));
        for (int i = 0; i < 16; ++i) {
            words_[static_cast<std::size_t>(i)]->SetDigits(4);
            words_[static_cast<std::size_t>(i)]->SetValue(command->GetPasswordWord(i));
        }
        const bool fromFile = command->GetPasswordSourceIsFile() != 0;
        source_->setCurrentIndex(source_->findData(int{fromFile ? kSyncToFile : kRawValues}));
        for (CHexNumberEdit* edit : words_)
            edit->setReadOnly(fromFile);
        path_->setEnabled(fromFile);
        fileLabel_->setEnabled(fromFile);
        browse_->setEnabled(fromFile);
        preview_->setEnabled(fromFile && FileExists(command->GetFileName()));
    });
}

void CDlgCmdTovrin_SetPassword::OnSourceChanged() {
    if (!CanWrite()) return;
    CCommandTovrin_SetPassword* command = Object<CCommandTovrin_SetPassword>();
    const int row = source_->currentIndex();
    const int source = row >= 0 ? source_->itemData(row).toInt() : kRawValues;
    switch (source) {
        case kSetToFFFF:
            command->ClearPassword(1);
            command->SetPasswordSourceIsFile(0);
            break;
        case kSetFromFile:
        case kSyncToFile:
            if (BrowseTovrinFile(command, this, true))
                command->SetPasswordSourceIsFile(source == kSyncToFile ? 1 : 0);
            break;
        default:
            command->SetPasswordSourceIsFile(0);
            break;
    }
    RefreshPassword();
}

}  // namespace kv::ui
