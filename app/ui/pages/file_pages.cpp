#include "kelvane/ui/file_pages.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <system_error>

#include "kelvane/commands/dravik_program_file.h"
#include "kelvane/commands/dravik_read_processor_to_file.h"
#include "kelvane/commands/dravik_read_range_to_file.h"
#include "kelvane/commands/dravik_verify_file.h"
#include "kelvane/commands/file_dialog.h"
#include "kelvane/commands/file_paths.h"
#include "kelvane/commands/tovrin_file_commands.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/ui/hex_number_edit.h"
#include "kelvane/ui/page_environment.h"
#include "ui_window.h"

namespace kv::ui {

CDlgCmdFilePage::CDlgCmdFilePage(int features, const QString& viewText, QWidget* parent)
    : CPropertyPageBase(parent) {
    path_ = new QLineEdit(this);
    path_->setObjectName(QStringLiteral("1013"));
    path_->setReadOnly(true);
    browse_ = new QPushButton(QStringLiteral("..."), this);
    browse_->setObjectName(QStringLiteral("1014"));
    auto* row = new QHBoxLayout;
    row->addWidget(path_, 1);
    row->addWidget(browse_);
    Form()->addRow(QStringLiteral("Target File:"), row);
    if ((features & kWithVerify) != 0) {
        verify_ = new QCheckBox(QStringLiteral("With Verify"), this);
        verify_->setObjectName(QStringLiteral("1070"));
        Form()->addRow(verify_);
        connect(verify_, &QCheckBox::toggled, this, [this](bool checked) {
            if (CanWrite()) SetVerify(checked ? 1 : 0);
        });
    }
    if ((features & kWithRange) != 0) {
        address_ =
            AddHexField(QStringLiteral("Addr (h)"), {}, [this](std::uint32_t v) { SetAddress(v); });
        address_->setObjectName(QStringLiteral("1063"));
        size_ =
            AddHexField(QStringLiteral("Size (h)"), {}, [this](std::uint32_t v) { SetLength(v); });
        size_->setObjectName(QStringLiteral("1086"));
    }
    view_ = new QPushButton(viewText, this);
    view_->setObjectName(QStringLiteral("1084"));
    Form()->addRow(view_);
    connect(browse_, &QPushButton::clicked, this, [this] {
        if (!CanWrite()) return;
        if (Browse(false)) RefreshFilePath();
    });
    connect(view_, &QPushButton::clicked, this, [this] {
        if (GetItem() != nullptr) ViewFile(FullPath());
    });
    EvaluateViewButton();
}

void CDlgCmdFilePage::LoadControls() {
    path_->setText(QString::fromStdString(StoredName()));
    if (verify_ != nullptr) verify_->setChecked(GetVerify() != 0);
    if (address_ != nullptr) {
        ShowHexField(address_, GetAddress());
        ShowHexField(size_, GetLength());
    }
    EvaluateViewButton();
}

void CDlgCmdFilePage::Refresh() {
    RefreshFilePath();
}

void CDlgCmdFilePage::RefreshFilePath() {
    if (GetItem() == nullptr) return;
    Quietly([this] { path_->setText(QString::fromStdString(StoredName())); });
    EvaluateViewButton();
}

void CDlgCmdFilePage::EvaluateViewButton() {
    view_->setEnabled(GetItem() != nullptr && FileExists(FullPath()));
}

namespace {

// Whether the folder can be made the current directory (it is restored).
bool CanEnterFolder(const std::filesystem::path& folder) {
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    std::filesystem::current_path(folder, error);
    if (error) return false;
    std::filesystem::current_path(current, error);
    return true;
}

}  // namespace

bool BrowseTovrinFile(CCommandTovrin_File* command, QWidget* page, bool mustExist) {
    const std::string previousName = command->GetFileName();
    const int previousType = command->GetFileType();
    std::error_code error;
    const std::filesystem::path remembered = std::filesystem::current_path(error);
    if (!previousName.empty() &&
        !CanEnterFolder(std::filesystem::path(previousName).parent_path().empty()
                            ? remembered
                            : std::filesystem::path(previousName).parent_path())) {
        std::string folder = remembered.string();
        if (folder.empty() || folder.back() != '/') folder += '/';
        const std::string proposal = folder + GetFileTitleNoExtension(previousName) + "." +
                                     (previousType == 2 ? "hex" : "txt");
        if (messageBox("Invalid path for file:\n\n" + previousName + "\n\nOK to use:\n\n" +
                           proposal + "\n\n?",
                       "Kelvane", kMbYesNo) != kIdYes)
            return false;
        command->SetFileName(proposal);
        // The page shows the proposal even when no file is chosen after it.
        if (auto* shown = dynamic_cast<CPropertyPageBase*>(page)) shown->Refresh();
    }
    UiWindow self(page);
    OpenFileDialogRequest request;
    request.parent = &self;
    request.title = "Browse Target File";
    request.path = command->GetFileName();
    request.filter = "TI Text Files (*.txt)|*.txt|Intel Hex Files (*.hex)|*.hex||";
    request.filterIndex = command->GetFileType() == 2 ? 2 : 1;
    request.mustExist = mustExist;
    OpenFileDialogResult result;
    if (!ShowOpenFileDialog(request, result)) return false;
    if (result.filterIndex != 1 && result.filterIndex != 2) {
        messageBox("Unrecognized file type", "Kelvane", kMbOk);
        return false;
    }
    command->SetFileName(result.path);
    command->SetFileType(result.filterIndex);
    if (!command->ValidateFile()) {
        messageBox(command->TakeError(), "Kelvane", kMbOk);
        // The file that was there before browsing comes back.
        command->SetFileName(previousName);
        command->SetFileType(previousType);
        return false;
    }
    return true;
}

#define KELVANE_DRAVIK_FILE_ACCESS(Name, Command)                    \
    bool Name::Accepts(CProjectTreeItem* item) const {               \
        return dynamic_cast<Command*>(item) != nullptr;              \
    }                                                                \
    std::string Name::StoredName() const {                           \
        return Object<Command>()->GetFileName();                     \
    }                                                                \
    std::string Name::FullPath() const {                             \
        return Object<Command>()->GetFullPath();                     \
    }                                                                \
    bool Name::Browse(bool mustExist) {                              \
        UiWindow self(this);                                         \
        return Object<Command>()->BrowseFile(&self, mustExist) != 0; \
    }

#define KELVANE_TOVRIN_FILE_ACCESS(Name, Command)                    \
    bool Name::Accepts(CProjectTreeItem* item) const {               \
        return dynamic_cast<Command*>(item) != nullptr;              \
    }                                                                \
    std::string Name::StoredName() const {                           \
        return Object<Command>()->GetRelativeFileName();             \
    }                                                                \
    std::string Name::FullPath() const {                             \
        return Object<Command>()->GetFileName();                     \
    }                                                                \
    bool Name::Browse(bool mustExist) {                              \
        return BrowseTovrinFile(Object<Command>(), this, mustExist); \
    }

#define KELVANE_NO_VERIFY(Name)   \
    int Name::GetVerify() const { \
        return 0;                 \
    }                             \
    void Name::SetVerify(int) {}

#define KELVANE_VERIFY(Name, Command)             \
    int Name::GetVerify() const {                 \
        return Object<Command>()->GetVerifyMem(); \
    }                                             \
    void Name::SetVerify(int verify) {            \
        Object<Command>()->SetVerifyMem(verify);  \
    }

#define KELVANE_NO_RANGE(Name)               \
    std::uint32_t Name::GetAddress() const { \
        return 0;                            \
    }                                        \
    void Name::SetAddress(std::uint32_t) {}  \
    std::uint32_t Name::GetLength() const {  \
        return 0;                            \
    }                                        \
    void Name::SetLength(std::uint32_t) {}

#define KELVANE_RANGE(Name, Command)            \
    std::uint32_t Name::GetAddress() const {    \
        return Object<Command>()->GetAddress(); \
    }                                           \
    void Name::SetAddress(std::uint32_t v) {    \
        Object<Command>()->SetAddress(v);       \
    }                                           \
    std::uint32_t Name::GetLength() const {     \
        return Object<Command>()->GetLength();  \
    }                                           \
    void Name::SetLength(std::uint32_t v) {     \
        Object<Command>()->SetLength(v);        \
    }

CDlgCmdDravik_ProgramFile::CDlgCmdDravik_ProgramFile(QWidget* parent)
    : CDlgCmdFilePage(kWithVerify, QStringLiteral("Preview File"), parent) {}
KELVANE_DRAVIK_FILE_ACCESS(CDlgCmdDravik_ProgramFile, CCommandDravik_ProgramFile)
KELVANE_VERIFY(CDlgCmdDravik_ProgramFile, CCommandDravik_ProgramFile)
KELVANE_NO_RANGE(CDlgCmdDravik_ProgramFile)

CDlgCmdDravik_VerifyFile::CDlgCmdDravik_VerifyFile(QWidget* parent)
    : CDlgCmdFilePage(kPlain, QStringLiteral("Preview File"), parent) {}
KELVANE_DRAVIK_FILE_ACCESS(CDlgCmdDravik_VerifyFile, CCommandDravik_VerifyFile)
KELVANE_NO_VERIFY(CDlgCmdDravik_VerifyFile)
KELVANE_NO_RANGE(CDlgCmdDravik_VerifyFile)

CDlgCmdDravik_ReadProcessorToFile::CDlgCmdDravik_ReadProcessorToFile(QWidget* parent)
    : CDlgCmdFilePage(kPlain, QStringLiteral("View File"), parent) {}
KELVANE_DRAVIK_FILE_ACCESS(CDlgCmdDravik_ReadProcessorToFile, CCommandDravik_ReadProcessorToFile)
KELVANE_NO_VERIFY(CDlgCmdDravik_ReadProcessorToFile)
KELVANE_NO_RANGE(CDlgCmdDravik_ReadProcessorToFile)

CDlgCmdDravik_ReadRangeToFile::CDlgCmdDravik_ReadRangeToFile(QWidget* parent)
    : CDlgCmdFilePage(kWithRange, QStringLiteral("View File"), parent) {}
KELVANE_DRAVIK_FILE_ACCESS(CDlgCmdDravik_ReadRangeToFile, CCommandDravik_ReadRangeToFile)
KELVANE_NO_VERIFY(CDlgCmdDravik_ReadRangeToFile)
KELVANE_RANGE(CDlgCmdDravik_ReadRangeToFile, CCommandDravik_ReadRangeToFile)

CDlgCmdTovrin_WriteFile::CDlgCmdTovrin_WriteFile(QWidget* parent)
    : CDlgCmdFilePage(kWithVerify, QStringLiteral("Preview File"), parent) {}
KELVANE_TOVRIN_FILE_ACCESS(CDlgCmdTovrin_WriteFile, CCommandTovrin_WriteFile)
KELVANE_VERIFY(CDlgCmdTovrin_WriteFile, CCommandTovrin_WriteFile)
KELVANE_NO_RANGE(CDlgCmdTovrin_WriteFile)

CDlgCmdTovrin_VerifyFile::CDlgCmdTovrin_VerifyFile(QWidget* parent)
    : CDlgCmdFilePage(kPlain, QStringLiteral("Preview File"), parent) {}
KELVANE_TOVRIN_FILE_ACCESS(CDlgCmdTovrin_VerifyFile, CCommandTovrin_VerifyFile)
KELVANE_NO_VERIFY(CDlgCmdTovrin_VerifyFile)
KELVANE_NO_RANGE(CDlgCmdTovrin_VerifyFile)

CDlgCmdTovrin_ReadProcessorToFile::CDlgCmdTovrin_ReadProcessorToFile(QWidget* parent)
    : CDlgCmdFilePage(kPlain, QStringLiteral("View File"), parent) {}
KELVANE_TOVRIN_FILE_ACCESS(CDlgCmdTovrin_ReadProcessorToFile, CCommandTovrin_ReadProcessorToFile)
KELVANE_NO_VERIFY(CDlgCmdTovrin_ReadProcessorToFile)
KELVANE_NO_RANGE(CDlgCmdTovrin_ReadProcessorToFile)

CDlgCmdTovrin_ReadRangeToFile::CDlgCmdTovrin_ReadRangeToFile(QWidget* parent)
    : CDlgCmdFilePage(kWithRange, QStringLiteral("View File"), parent) {}
KELVANE_TOVRIN_FILE_ACCESS(CDlgCmdTovrin_ReadRangeToFile, CCommandTovrin_ReadRangeToFile)
KELVANE_NO_VERIFY(CDlgCmdTovrin_ReadRangeToFile)
KELVANE_RANGE(CDlgCmdTovrin_ReadRangeToFile, CCommandTovrin_ReadRangeToFile)

}  // namespace kv::ui
