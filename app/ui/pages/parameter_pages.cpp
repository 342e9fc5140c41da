#include "kelvane/ui/parameter_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <cstdio>

#include "kelvane/commands/current_project.h"
#include "kelvane/commands/dravik_erase.h"
#include "kelvane/commands/dravik_identify.h"
#include "kelvane/commands/dravik_lock_a.h"
#include "kelvane/commands/dravik_register_commands.h"
#include "kelvane/commands/tovrin_simple_commands.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/parameter_xml.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/project_access.h"
#include "kelvane/ui/hex_number_edit.h"
#include "kelvane/ui/page_environment.h"

namespace kv::ui {

void QtComboBox::ResetContent() {
    combo_->clear();
}

int QtComboBox::AddString(const std::string& text) {
    combo_->addItem(QString::fromStdString(text));
    return combo_->count() - 1;
}

bool QtComboBox::SetItemData(int row, const CParameterXML* entry) {
    if (row < 0 || row >= combo_->count()) return false;
    combo_->setItemData(row, QVariant::fromValue(reinterpret_cast<quintptr>(entry)));
    return true;
}

const CParameterXML* QtComboBox::GetItemData(int row) const {
    if (row < 0 || row >= combo_->count()) return nullptr;
    return reinterpret_cast<const CParameterXML*>(combo_->itemData(row).value<quintptr>());
}

int QtComboBox::GetCount() const {
    return combo_->count();
}

int QtComboBox::GetCurSel() const {
    return combo_->currentIndex();
}

void QtComboBox::SetCurSel(int row) {
    combo_->setCurrentIndex(row);
}

namespace {

void AddSegment(QComboBox* combo, std::uint32_t address) {
    char text[16];
    std::snprintf(text, sizeof text, "%4lXh", static_cast<unsigned long>(address));
    combo->addItem(QString::fromLatin1(text), QVariant::fromValue<qulonglong>(address));
}

std::uint32_t SelectedData(QComboBox* combo, std::uint32_t none) {
    const int row = combo->currentIndex();
    return row < 0 ? none : static_cast<std::uint32_t>(combo->itemData(row).toULongLong());
}

QComboBox* AddKeywordList(QWidget* page, QFormLayout* form, const QString& label, const char* id,
                          CMapParameterXML& map) {
    auto* combo = new QComboBox(page);
    combo->setObjectName(QString::fromLatin1(id));
    QtComboBox adapter(combo);
    map.FillComboBox(&adapter);
    form->addRow(label, combo);
    return combo;
}

const CParameterXML* SelectedEntry(QComboBox* combo) {
    QtComboBox adapter(combo);
    return GetComboSelection(&adapter);
}

void SelectByValue(QComboBox* combo, std::uint32_t value) {
    QtComboBox adapter(combo);
    SelectComboByValue(&adapter, value);
}

}  // namespace

void FillSegmentList(QComboBox* combo, const CPrgProcessor* processor) {
    if (processor == nullptr) return;
    combo->clear();
    const std::uint64_t infoEnd =
        static_cast<std::uint64_t>(processor->InfoStart) + processor->InfoSize;
    if (processor->InfoSeg != 0)
        for (std::uint64_t a = processor->InfoStart; a < infoEnd; a += processor->InfoSeg)
            AddSegment(combo, static_cast<std::uint32_t>(a));
    const std::uint64_t start = processor->MainStart;
    const std::uint64_t end = start + processor->MainSize;
    const std::uint64_t step = processor->MainSeg;
    if (step != 0) {
        std::uint64_t a = start;
        if (start % step != 0) {
            AddSegment(combo, static_cast<std::uint32_t>(start));
            a = (start / step + 1) * step;
        }
        for (; a < end; a += step)
            AddSegment(combo, static_cast<std::uint32_t>(a));
    }
    if (combo->count() == 0)
        combo->addItem(QStringLiteral("None"), QVariant::fromValue<qulonglong>(0));
    combo->setCurrentIndex(0);
}

void SelectSegment(QComboBox* combo, std::uint32_t segment) {
    if (combo->count() == 0) return;
    int row = 0;
    if (segment != 0) {
        for (int i = 0; i < combo->count(); ++i) {
            if (combo->itemData(i).toULongLong() >= segment) {
                row = i;
                break;
            }
        }
    }
    combo->setCurrentIndex(row);
}

CDlgCmdCheckPage::CDlgCmdCheckPage(const QString& text, const char* id, QWidget* parent)
    : CPropertyPageBase(parent) {
    check_ = new QCheckBox(text, this);
    check_->setObjectName(QString::fromLatin1(id));
    Form()->addRow(check_);
    connect(check_, &QCheckBox::toggled, this, [this](bool checked) {
        if (CanWrite()) SetFlag(checked ? 1 : 0);
    });
}

void CDlgCmdCheckPage::LoadControls() {
    check_->setChecked(GetFlag() != 0);
}

CDlgCmdDravik_Identify::CDlgCmdDravik_Identify(QWidget* parent)
    : CDlgCmdCheckPage(QStringLiteral("Force Match"), "1074", parent) {
    BuildHelp();
}

bool CDlgCmdDravik_Identify::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDravik_Identify*>(item) != nullptr;
}

int CDlgCmdDravik_Identify::GetFlag() const {
    return Object<CCommandDravik_Identify>()->GetForceMatch();
}

void CDlgCmdDravik_Identify::SetFlag(int flag) {
    Object<CCommandDravik_Identify>()->SetForceMatch(flag);
}

void CDlgCmdDravik_Identify::LoadControls() {
    CDlgCmdCheckPage::LoadControls();
    BuildHelp();
}

void CDlgCmdDravik_Identify::BuildHelp() {
    std::string help =
        "Checking Force Match requires that the identified processor match exactly the target "
        "processor defined for the project.";
    const CPrgProcessor* processor = GetCommandProjectProcessor();
    if (processor != nullptr && processor->bHasLOCKA) {
        help += kHelpParagraph;
        help +=
            "The Identify command locks F2xx info flash A access by default, so an unlock command "
            "must appear after any preceding Identify.";
    }
    SetHelpText(help);
}

namespace {

constexpr const char* kLockAHelp =
    "Locking FlashA prevents erasure or overwrite of the DCO calibration values.  The Identify "
    "command locks access by default, so an unlock command must appear after any preceding "
    "Identify.";

}  // namespace

CDlgCmdDravik_LockA::CDlgCmdDravik_LockA(QWidget* parent)
    : CDlgCmdCheckPage(QStringLiteral("Lock Flash A against erasure/programming"), "1085", parent) {
    SetHelpText(kLockAHelp);
}

bool CDlgCmdDravik_LockA::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDravik_LockA*>(item) != nullptr;
}

int CDlgCmdDravik_LockA::GetFlag() const {
    return Object<CCommandDravik_LockA>()->GetLockFlashA();
}

void CDlgCmdDravik_LockA::SetFlag(int flag) {
    Object<CCommandDravik_LockA>()->SetLockFlashA(flag);
}

CDlgCmdTovrin_LockA::CDlgCmdTovrin_LockA(QWidget* parent)
    : CDlgCmdCheckPage(QStringLiteral("Lock Flash A against erasure/programming"), "1085", parent) {
    SetHelpText(kLockAHelp);
}

bool CDlgCmdTovrin_LockA::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandTovrin_LockA*>(item) != nullptr;
}

int CDlgCmdTovrin_LockA::GetFlag() const {
    return Object<CCommandTovrin_LockA>()->GetLockFlashA();
}

void CDlgCmdTovrin_LockA::SetFlag(int flag) {
    Object<CCommandTovrin_LockA>()->SetLockFlashA(flag);
}

CDlgCmdDravik_Erase::CDlgCmdDravik_Erase(QWidget* parent) : CPropertyPageBase(parent) {
    type_ = AddKeywordList(this, Form(), QStringLiteral("Erase type:"), "1029",
                           CCommandDravik_Erase::GetEraseTypeMap());
    segment_ = new QComboBox(this);
    segment_->setObjectName(QStringLiteral("1030"));
    Form()->addRow(QStringLiteral("Erase segment:"), segment_);
    length_ = AddHexField(QStringLiteral("Length (h)"), {1u, true, 0}, [this](std::uint32_t v) {
        Object<CCommandDravik_Erase>()->SetLength(v);
    });
    length_->setObjectName(QStringLiteral("1071"));
    connect(type_, &QComboBox::currentIndexChanged, this, [this](int) {
        if (!CanWrite()) return;
        const CParameterXML* entry = SelectedEntry(type_);
        eraseType_ = entry != nullptr ? entry->GetValue() : std::uint32_t{NANDREL_ERASE_ALL};
        Object<CCommandDravik_Erase>()->SetEraseType(eraseType_);
        ApplyEraseType();
    });
    connect(segment_, &QComboBox::currentIndexChanged, this, [this](int) {
        if (!CanWrite()) return;
        Object<CCommandDravik_Erase>()->SetSegment(SelectedData(segment_, 0));
        SetDocumentModified(1);
    });
    ApplyEraseType();
}

bool CDlgCmdDravik_Erase::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDravik_Erase*>(item) != nullptr;
}

void CDlgCmdDravik_Erase::LoadControls() {
    const CCommandDravik_Erase* erase = Object<CCommandDravik_Erase>();
    FillSegmentList(segment_, GetCommandProjectProcessor());
    eraseType_ = erase->GetEraseType();
    SelectByValue(type_, eraseType_);
    SelectSegment(segment_, erase->GetSegment());
    ShowHexField(length_, erase->GetLength());
    ApplyEraseType();
}

void CDlgCmdDravik_Erase::ApplyEraseType() {
    const bool segments = eraseType_ == NANDREL_ERASE_SEGMENT;
    segment_->setEnabled(segments);
    length_->setEnabled(segments);
    SetHelpText(segments ? "The indicated segment(s) will be erased.  Any non-zero length will "
                           "erase the entire segment, or a large length value will erase all "
                           "segments in the span."
                         : "The segment information will be ignored for this erase type.");
}

CDlgCmdTovrin_EraseSegment::CDlgCmdTovrin_EraseSegment(QWidget* parent)
    : CPropertyPageBase(parent) {
    segment_ = new QComboBox(this);
    segment_->setObjectName(QStringLiteral("1030"));
    Form()->addRow(QStringLiteral("Erase segment:"), segment_);
    length_ = AddHexField(QStringLiteral("Length (h)"), {1u, true, 0}, [this](std::uint32_t v) {
        Object<CCommandTovrin_EraseSegment>()->SetLength(v);
    });
    length_->setObjectName(QStringLiteral("1071"));
    Quietly([this] { length_->SetValue(1); });
    connect(segment_, &QComboBox::currentIndexChanged, this, [this](int) {
        if (!CanWrite()) return;
        Object<CCommandTovrin_EraseSegment>()->SetSegment(SelectedData(segment_, 0));
        SetDocumentModified(1);
    });
    SetHelpText(std::string("The indicated segment(s) will be erased via the Tovrin.  Any "
                            "non-zero length will erase the entire segment, or a large length "
                            "value will erase all segments in the span.") +
                kHelpParagraph +
                "For WORD alignment, both values are required to be even. To erase a single "
                "value, s"
                "pecify a size of 2, etc. ");
}

bool CDlgCmdTovrin_EraseSegment::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandTovrin_EraseSegment*>(item) != nullptr;
}

void CDlgCmdTovrin_EraseSegment::LoadControls() {
    const CCommandTovrin_EraseSegment* erase = Object<CCommandTovrin_EraseSegment>();
    FillSegmentList(segment_, GetCommandProjectProcessor());
    SelectSegment(segment_, erase->GetSegment());
    ShowHexField(length_, erase->GetLength());
}

CDlgCmdTovrin_LoadPC::CDlgCmdTovrin_LoadPC(QWidget* parent) : CPropertyPageBase(parent) {
    value_ = AddHexField(QStringLiteral("Value (h):"), {0u, true, 0},
                         [this](std::uint32_t v) { Object<CCommandTovrin_LoadPC>()->SetValue(v); });
    value_->setObjectName(QStringLiteral("1107"));
    SetHelpText("Sets the PC to the indicated value and execute the code found there.");
}

bool CDlgCmdTovrin_LoadPC::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandTovrin_LoadPC*>(item) != nullptr;
}

void CDlgCmdTovrin_LoadPC::LoadControls() {
    ShowHexField(value_, Object<CCommandTovrin_LoadPC>()->GetValue());
}

CDlgCmdRegisterPage::CDlgCmdRegisterPage(bool withValue, const std::string& help, QWidget* parent)
    : CPropertyPageBase(parent) {
    register_ =
        AddKeywordList(this, Form(), QString(), "1106", CCommandDravik_Register::RegisterMap());
    connect(register_, &QComboBox::currentIndexChanged, this, [this](int) {
        if (!CanWrite()) return;
        const CParameterXML* entry = SelectedEntry(register_);
        if (entry == nullptr) return;
        Object<CCommandDravik_Register>()->SetRegister(
            static_cast<std::uint16_t>(entry->GetValue()));
    });
    if (withValue) {
        value_ = AddHexField(QStringLiteral("Value (h):"), {0u, true, 0}, [this](std::uint32_t v) {
            Object<CCommandDravik_RegisterValue>()->SetValue(v);
        });
        value_->setObjectName(QStringLiteral("1107"));
    }
    SetHelpText(help);
}

void CDlgCmdRegisterPage::LoadControls() {
    SelectByValue(register_, Object<CCommandDravik_Register>()->GetRegister());
    if (value_ != nullptr) ShowHexField(value_, Object<CCommandDravik_RegisterValue>()->GetValue());
}

CDlgCmdDravik_ReadRegister::CDlgCmdDravik_ReadRegister(QWidget* parent)
    : CDlgCmdRegisterPage(false, "Reads the indicated register.", parent) {}

bool CDlgCmdDravik_ReadRegister::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDravik_ReadRegister*>(item) != nullptr;
}

CDlgCmdDravik_WriteRegister::CDlgCmdDravik_WriteRegister(QWidget* parent)
    : CDlgCmdRegisterPage(true, "Writes a register with the indicated value.", parent) {}

bool CDlgCmdDravik_WriteRegister::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDravik_WriteRegister*>(item) != nullptr;
}

CDlgCmdDravik_VerifyRegister::CDlgCmdDravik_VerifyRegister(QWidget* parent)
    : CDlgCmdRegisterPage(true, "Verifies that register contains the indicated value.", parent) {}

bool CDlgCmdDravik_VerifyRegister::Accepts(CProjectTreeItem* item) const {
    return dynamic_cast<CCommandDravik_VerifyRegister*>(item) != nullptr;
}

}  // namespace kv::ui
