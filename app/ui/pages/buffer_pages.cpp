#include "kelvane/ui/buffer_pages.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <functional>
#include <string>

#include "kelvane/commands/dravik_memory_commands.h"
#include "kelvane/commands/tovrin_memory_commands.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/ui/dlg_buffer_parameters.h"
#include "kelvane/ui/hex_edit_ctrl.h"
#include "kelvane/ui/page_environment.h"

namespace kv::ui {

namespace {

constexpr const char* kReadHelp =
    "Reads the indicated number of symbols from the target at the indicated address.  The data "
    "window shows the most recently read values, if any. ";
constexpr const char* kWriteHelp =
    "Writes the indicated number of symbols to the target at the indicated address.";
constexpr const char* kVerifyHelp =
    "Verifies the indicated number of symbols against the target at the indicated address.";
constexpr const char* kFillHelp =
    "Fills the indicated number of symbols to the target at the indicated address, using the "
    "provided fill pattern.";

struct Layout {
    int digits;
    bool hex;
    bool ascii;
};

Layout LayoutOf(std::uint16_t type) {
    switch (type) {
        case kValueByteAscii:
            return {2, true, true};
        case kValueAscii:
            return {2, false, true};
        case kValueWord:
            return {4, true, false};
        case kValueDword:
            return {8, true, false};
        default:
            return {2, true, false};
    }
}

// The command keeps the editor's place in its own terms; a selection is kept
// one above its index so that 0 stands for none.
CEditHexBufferState ToEditor(const kv::CEditHexBufferState& saved) {
    CEditHexBufferState state;
    state.cursor = static_cast<int>(saved.cursor);
    state.firstRow = static_cast<int>(saved.topLine);
    state.selectionFirst = static_cast<int>(saved.selectionStart) - 1;
    state.selectionLast = static_cast<int>(saved.selectionEnd) - 1;
    return state;
}

kv::CEditHexBufferState ToCommand(const CEditHexBufferState& state) {
    kv::CEditHexBufferState saved;
    saved.cursor = static_cast<std::uint32_t>(state.cursor < 0 ? 0 : state.cursor);
    saved.topLine = static_cast<std::uint32_t>(state.firstRow < 0 ? 0 : state.firstRow);
    saved.selectionStart =
        static_cast<std::uint32_t>(state.selectionFirst < 0 ? 0 : state.selectionFirst + 1);
    saved.selectionEnd =
        static_cast<std::uint32_t>(state.selectionLast < 0 ? 0 : state.selectionLast + 1);
    return saved;
}

}  // namespace

struct CDlgCmdBufferPage::Access {
    CProjectTreeItem* item = nullptr;
    CValueBuffer* buffer = nullptr;
    kv::CEditHexBufferState* state = nullptr;
    std::uint32_t address = 0;
    std::uint32_t count = 0;
    std::uint16_t type = 0;
    std::uint32_t patternCount = 0;
    std::string description;
    std::function<int(std::uint32_t)> setAddress;
    std::function<int(std::uint32_t, std::uint16_t)> setSize;
    std::function<int(std::uint32_t)> setPatternCount;
    std::function<void()> onEdited;
};

namespace {

template <class Command, class Fill>
void Describe(Command* command, CProjectTreeItem* item, auto& access) {
    access.item = item;
    access.buffer = &command->Buffer();
    access.state = &command->EditorState();
    access.address = command->GetAddress();
    access.count = command->GetCount();
    access.type = command->GetValueType();
    access.description = command->GetValueTypeDescription();
    access.setAddress = [command](std::uint32_t a) { return command->SetAddress(a); };
    access.setSize = [command](std::uint32_t c, std::uint16_t t) { return command->SetSize(c, t); };
    access.onEdited = [command] { command->OnValuesEdited(); };
    if (auto* fill = dynamic_cast<Fill*>(command)) {
        access.patternCount = fill->GetPatternCount();
        access.setPatternCount = [fill](std::uint32_t p) { return fill->SetPatternCount(p); };
    }
}

}  // namespace

CDlgCmdBufferPage::CDlgCmdBufferPage(Kind kind, bool tovrin, QWidget* parent)
    : CPropertyPageBase(parent), kind_(kind), tovrin_(tovrin) {
    auto* row = new QHBoxLayout;
    summary_ = new QLineEdit(this);
    summary_->setObjectName(QStringLiteral("1116"));
    summary_->setReadOnly(true);
    edit_ = new QPushButton(QStringLiteral("..."), this);
    edit_->setObjectName(QStringLiteral("1115"));
    // The button is only as wide as its text, so the summary shows whole.
    edit_->setFixedWidth(edit_->fontMetrics().horizontalAdvance(QStringLiteral("...")) +
                         2 * edit_->fontMetrics().averageCharWidth());
    row->setSpacing(2);
    row->addWidget(summary_, 1);
    row->addWidget(edit_);
    Form()->addRow(row);
    hex_ = new CHexEditCtrl(this);
    hex_->setObjectName(QStringLiteral("1111"));
    hex_->setMinimumHeight(120);
    hex_->SetReadOnly(kind == Kind::kRead);
    Form()->addRow(hex_);
    connect(edit_, &QPushButton::clicked, this, [this] { OnEditParameters(); });
    switch (kind) {
        case Kind::kRead:
            SetHelpText(kReadHelp);
            break;
        case Kind::kWrite:
            SetHelpText(kWriteHelp);
            break;
        case Kind::kVerify:
            SetHelpText(kVerifyHelp);
            break;
        case Kind::kFill:
            SetHelpText(kFillHelp);
            break;
    }
    hex_->SetOwnerListener(nullptr);
    hex_->SetBuffer(nullptr, 0, 2);
}

bool CDlgCmdBufferPage::Accepts(CProjectTreeItem* item) const {
    if (tovrin_) {
        switch (kind_) {
            case Kind::kRead:
                return dynamic_cast<CCommandTovrin_ReadMemory*>(item) != nullptr;
            case Kind::kWrite:
                return dynamic_cast<CCommandTovrin_WriteMemory*>(item) != nullptr;
            case Kind::kVerify:
                return dynamic_cast<CCommandTovrin_VerifyMemory*>(item) != nullptr;
            case Kind::kFill:
                return dynamic_cast<CCommandTovrin_FillMemory*>(item) != nullptr;
        }
    }
    switch (kind_) {
        case Kind::kRead:
            return dynamic_cast<CCommandDravik_ReadMemory*>(item) != nullptr;
        case Kind::kWrite:
            return dynamic_cast<CCommandDravik_WriteMemory*>(item) != nullptr;
        case Kind::kVerify:
            return dynamic_cast<CCommandDravik_VerifyMemory*>(item) != nullptr;
        case Kind::kFill:
            return dynamic_cast<CCommandDravik_FillMemory*>(item) != nullptr;
    }
    return false;
}

CDlgCmdBufferPage::Access CDlgCmdBufferPage::Buffer() const {
    Access access;
    CProjectTreeItem* item = GetItem();
    if (auto* dravik = dynamic_cast<CCommandDravik_Buffer*>(item))
        Describe<CCommandDravik_Buffer, CCommandDravik_FillMemory>(dravik, item, access);
    else if (auto* tovrin = dynamic_cast<CCommandTovrin_Buffer*>(item))
        Describe<CCommandTovrin_Buffer, CCommandTovrin_FillMemory>(tovrin, item, access);
    return access;
}

void CDlgCmdBufferPage::SaveEditorState(CProjectTreeItem* item) {
    if (auto* dravik = dynamic_cast<CCommandDravik_Buffer*>(item))
        dravik->EditorState() = ToCommand(hex_->GetState());
    else if (auto* tovrin = dynamic_cast<CCommandTovrin_Buffer*>(item))
        tovrin->EditorState() = ToCommand(hex_->GetState());
}

void CDlgCmdBufferPage::SetItem(CProjectTreeItem* item) {
    if (GetItem() != nullptr) SaveEditorState(GetItem());
    CPropertyPageBase::SetItem(item);
    if (GetItem() == nullptr) {
        summary_->clear();
        hex_->SetOwnerListener(nullptr);
        hex_->SetBuffer(nullptr, 0, 2);
    }
}

void CDlgCmdBufferPage::LoadControls() {
    ShowBuffer();
}

void CDlgCmdBufferPage::RefreshData() {
    if (GetItem() == nullptr) return;
    ShowBuffer();
    hex_->viewport()->repaint();
}

void CDlgCmdBufferPage::ShowBuffer() {
    Access access = Buffer();
    if (access.buffer == nullptr) return;
    char text[160];
    if (kind_ == Kind::kFill)
        std::snprintf(text, sizeof text, "0x%05lX over 0x%05lX @0x%05lX as %s",
                      static_cast<unsigned long>(access.patternCount),
                      static_cast<unsigned long>(access.count),
                      static_cast<unsigned long>(access.address), access.description.c_str());
    else
        std::snprintf(text, sizeof text, "0x%05lX symbols @0x%05lX as %s",
                      static_cast<unsigned long>(access.count),
                      static_cast<unsigned long>(access.address), access.description.c_str());
    summary_->setText(QString::fromLatin1(text));

    // A prototype in Add New Command holds no values yet: it gets the erased
    // values a new command starts with, so they are shown and edited there
    // and the new command takes them.
    if (!access.buffer->HasBuffer()) {
        bool changed = false;
        std::string ignored;
        access.buffer->SetSize(access.count, access.type, changed, ignored);
    }
    const Layout layout = LayoutOf(access.type);
    std::uint32_t symbols = kind_ == Kind::kFill ? access.patternCount : access.count;
    // Never show more values than the buffer holds.
    const std::uint32_t held =
        access.buffer->HasBuffer() ? access.buffer->GetLength() / (layout.digits / 2) : 0;
    if (symbols > held) symbols = held;
    hex_->SetOwnerListener(nullptr);
    hex_->SetBuffer(symbols == 0 ? nullptr : access.buffer->Data(), static_cast<int>(symbols),
                    layout.digits);
    hex_->ShowHexColumn(layout.hex);
    hex_->ShowAsciiColumn(layout.ascii);
    auto onEdited = access.onEdited;
    hex_->SetOwnerListener([onEdited](int, int) { onEdited(); });
    hex_->ShowAddressColumn(true);
    hex_->SetBaseAddress(access.address);
    hex_->SetAddressDigits(GetCurrentAddressDigits());
    hex_->SetState(ToEditor(*access.state));
}

void CDlgCmdBufferPage::OnEditParameters() {
    CDlgBufferParameters dialog(this);
    Access access = Buffer();
    if (access.buffer == nullptr) return;
    dialog.m_dwAddress = access.address;
    dialog.m_dwCount = access.count;
    dialog.m_wType = access.type;
    if (kind_ == Kind::kFill) {
        dialog.m_dwPatternCount = access.patternCount;
        dialog.m_bFill = true;
    }
    if (dialog.exec() != QDialog::Accepted) return;
    access.setAddress(dialog.m_dwAddress);
    if (!access.setSize(dialog.m_dwCount, dialog.m_wType)) {
        messageBox(access.item->TakeError(), "Kelvane", kMbOk);
    } else if (kind_ == Kind::kFill && access.setPatternCount) {
        if (!access.setPatternCount(dialog.m_dwPatternCount))
            messageBox(access.item->TakeError(), "Kelvane", kMbOk);
    }
    Quietly([this] { ShowBuffer(); });
    hex_->viewport()->repaint();
}

}  // namespace kv::ui
