#include "dlg_new_project.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <utility>

#include "kelvane/app/kelvane_app.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/ui/page_environment.h"

namespace kv::ui {

namespace {

const QString kTiFilter = QStringLiteral("TI Text Files (*.txt)");
const QString kIntelFilter = QStringLiteral("Intel Hex Files (*.hex)");

CDlgNewProject::Runner& RunnerSlot() {
    static CDlgNewProject::Runner runner;
    return runner;
}

QString VccText(std::uint32_t millivolts) {
    char text[32];
    std::snprintf(text, sizeof text, "%01.1fv", millivolts / 1000.0);
    return QString::fromLatin1(text);
}

}  // namespace

CDlgNewProject::CDlgNewProject(QWidget* parent)
    : QDialog(parent),
      nameEdit_(new QLineEdit(this)),
      processorList_(new QComboBox(this)),
      vccList_(new QComboBox(this)),
      note_(new QLabel(this)),
      unlockBox_(new QCheckBox(QStringLiteral("Unlock Flash A"), this)),
      eraseBox_(new QCheckBox(QStringLiteral("Erase Target"), this)),
      writeBox_(new QCheckBox(QStringLiteral("Write File"), this)),
      verifyBox_(new QCheckBox(QStringLiteral("With Verify"), this)),
      blowBox_(
          new QCheckBox(QStringLiteral("Blow JTAG Fuse (Don't check unless you are sure!)"), this)),
      vccOffBox_(new QCheckBox(QStringLiteral("VCC Off"), this)),
      resetBox_(new QCheckBox(QStringLiteral("Reset Target"), this)),
      releaseBox_(new QCheckBox(QStringLiteral("Release JTAG"), this)),
      pathEdit_(new QLineEdit(this)),
      browseButton_(new QPushButton(QStringLiteral("..."), this)),
      previewButton_(new QPushButton(QStringLiteral("Preview File ..."), this)),
      openButton_(new QPushButton(QStringLiteral("Open Existing ..."), this)) {
    setWindowTitle(QStringLiteral("Kelvane New Project Wizard"));
    note_->setWordWrap(true);
    browseButton_->setFixedWidth(30);
    pathEdit_->setMinimumWidth(260);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* grid = new QGridLayout(this);
    // Each field is named by a label that takes its mnemonic to it.
    auto label = [this](const QString& text, QWidget* field) {
        auto* shown = new QLabel(text, this);
        shown->setBuddy(field);
        return shown;
    };
    grid->addWidget(label(QStringLiteral("Project &Name:"), nameEdit_), 0, 0);
    grid->addWidget(nameEdit_, 0, 1, 1, 3);
    grid->addWidget(openButton_, 0, 4);
    grid->addWidget(label(QStringLiteral("Target &Processor:"), processorList_), 1, 0);
    grid->addWidget(processorList_, 1, 1, 1, 2);
    grid->addWidget(label(QStringLiteral("&VCC:"), vccList_), 1, 3, Qt::AlignRight);
    grid->addWidget(vccList_, 1, 4);
    grid->addWidget(note_, 2, 0, 1, 5);
    grid->addWidget(unlockBox_, 3, 0, 1, 3);
    grid->addWidget(eraseBox_, 4, 0, 1, 3);
    grid->addWidget(writeBox_, 5, 0);
    grid->addWidget(verifyBox_, 5, 1, 1, 2);
    grid->addWidget(pathEdit_, 6, 0, 1, 3);
    grid->addWidget(browseButton_, 6, 3);
    grid->addWidget(previewButton_, 6, 4);
    grid->addWidget(resetBox_, 7, 0, 1, 3);
    grid->addWidget(blowBox_, 8, 0, 1, 5);
    grid->addWidget(vccOffBox_, 9, 0, 1, 3);
    grid->addWidget(releaseBox_, 10, 0, 1, 3);
    grid->addWidget(buttons, 11, 0, 1, 5);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgNewProject::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(processorList_, qOverload<int>(&QComboBox::activated), this,
            &CDlgNewProject::OnProcessorChosen);
    connect(vccList_, qOverload<int>(&QComboBox::activated), this, &CDlgNewProject::OnVccChosen);
    connect(blowBox_, &QCheckBox::clicked, this, [this] { OnBlowFuseClicked(); });
    connect(vccOffBox_, &QCheckBox::clicked, this, [this] { ApplyVccOff(); });
    connect(writeBox_, &QCheckBox::clicked, this, [this] {
        ApplyWriteFile();
        UpdatePreview();
    });
    connect(browseButton_, &QPushButton::clicked, this, &CDlgNewProject::OnBrowse);
    connect(previewButton_, &QPushButton::clicked, this, &CDlgNewProject::OnPreview);
    connect(openButton_, &QPushButton::clicked, this, &CDlgNewProject::OnOpenExisting);
}

CDlgNewProject::Runner CDlgNewProject::SetRunner(Runner runner) {
    return std::exchange(RunnerSlot(), std::move(runner));
}

int CDlgNewProject::DoModal(CArrayPrgProcessor* processors) {
    processors_ = processors != nullptr ? processors : GetProcessorTable();
    stored_ = false;
    if (!Initialise()) {
        stored_ = true;  // nothing was shown, so nothing is taken back
        setResult(QDialog::Rejected);
        return QDialog::Rejected;
    }
    return RunnerSlot() ? RunnerSlot()(*this) : exec();
}

bool CDlgNewProject::Initialise() {
    if (processors_ == nullptr) {
        messageBox("Unable to use NULL processor table", "Kelvane", kMbOk);
        return false;
    }
    const AppGlobals& globals = GetAppGlobals();
    const NewProjectSettings& s = GetNewProjectSettings();

    processorList_->clear();
    hasLOCKA_ = false;
    int selected = -1;
    for (std::size_t i = 0; i < processors_->GetSize(); ++i) {
        CPrgProcessor* processor = processors_->GetAt(i);
        processorList_->addItem(QString::fromStdString(processor->GetName()),
                                QVariant::fromValue(reinterpret_cast<quintptr>(processor)));
        if (selected < 0 && processor->GetName() == processorName_) selected = static_cast<int>(i);
    }
    unlockBox_->setChecked(s.UnLockFlashA != 0);
    if (!processorName_.empty() && processorList_->count() > 0) {
        OnProcessorChosen(selected < 0 ? 0 : selected);
    } else {
        processorList_->setCurrentIndex(-1);
    }

    nameEdit_->setText(QString::fromStdString(projectName_));
    note_->setText(globals.PodVccAdjustable
                       ? QStringLiteral("Other adapters may not support all displayed VCC options.")
                       : QStringLiteral("Your adapter may not support all displayed VCC options."));

    vccList_->clear();
    vccList_->addItem(QStringLiteral("Off"), 0u);
    int vccRow = -1;
    if (vcc_ == 0) vccRow = 0;
    for (std::uint32_t mv = 1500; mv <= 3600; mv += 100) {
        if (mv == vcc_) vccRow = vccList_->count();
        vccList_->addItem(VccText(mv), mv);
    }
    OnVccChosen(vccRow < 0 ? vccList_->count() - 1 : vccRow);

    eraseBox_->setChecked(s.EraseTarget != 0);
    writeBox_->setChecked(s.WriteFile != 0);
    verifyBox_->setChecked(s.WithVerify != 0);
    vccOffBox_->setChecked(s.VccOff != 0);
    resetBox_->setChecked(s.ResetTarget != 0);
    releaseBox_->setChecked(s.ReleaseJTAG != 0);
    // Only the pod with a fuse-blowing supply can blow the fuse.
    const bool vpp = globals.podVppCapable != 0;
    blowBox_->setEnabled(vpp);
    blowBox_->setChecked(vpp && s.BlowFuse != 0);
    pathEdit_->setText(QString::fromStdString(s.WriteFilePath));

    ApplyBlowFuse();
    ApplyVccOff();
    ApplyWriteFile();
    UpdatePreview();
    openExisting_ = false;
    return true;
}

void CDlgNewProject::OnProcessorChosen(int row) {
    if (row < 0 || row >= processorList_->count()) return;
    processorList_->setCurrentIndex(row);
    auto* processor =
        reinterpret_cast<CPrgProcessor*>(processorList_->itemData(row).value<quintptr>());
    processorName_ = processor->GetName();
    hasLOCKA_ = processor->bHasLOCKA != 0;
    unlockBox_->setEnabled(hasLOCKA_);
    if (!hasLOCKA_) unlockBox_->setChecked(false);
}

void CDlgNewProject::OnVccChosen(int row) {
    if (row < 0 || row >= vccList_->count()) return;
    vccList_->setCurrentIndex(row);
    vcc_ = vccList_->itemData(row).toUInt();
}

void CDlgNewProject::OnBlowFuseClicked() {
    ApplyBlowFuse();
    ApplyVccOff();
}

void CDlgNewProject::ApplyBlowFuse() {
    if (blowBox_->isChecked()) {
        vccOffBox_->setChecked(true);
        vccOffBox_->setEnabled(false);
    } else {
        vccOffBox_->setEnabled(true);
    }
}

void CDlgNewProject::ApplyVccOff() {
    const bool off = vccOffBox_->isChecked();
    if (off) {
        resetBox_->setChecked(false);
        releaseBox_->setChecked(false);
    }
    resetBox_->setEnabled(!off);
    releaseBox_->setEnabled(!off);
}

void CDlgNewProject::ApplyWriteFile() {
    const bool write = writeBox_->isChecked();
    verifyBox_->setEnabled(write);
    browseButton_->setEnabled(write);
    pathEdit_->setEnabled(write);
}

void CDlgNewProject::UpdatePreview() {
    const QFileInfo file(pathEdit_->text());
    previewButton_->setEnabled(writeBox_->isChecked() && !pathEdit_->text().isEmpty() &&
                               file.exists() && file.isFile());
}

void CDlgNewProject::OnBrowse() {
    QString filter;
    QString path =
        QFileDialog::getOpenFileName(this, QString(), pathEdit_->text(),
                                     kTiFilter + QStringLiteral(";;") + kIntelFilter, &filter);
    if (path.isEmpty()) return;
    ApplyBrowseResult(path.toStdString(),
                      filter == kTiFilter ? 0 : (filter == kIntelFilter ? 1 : -1));
}

void CDlgNewProject::ApplyBrowseResult(const std::string& path, int filterIndex) {
    if (filterIndex != 0 && filterIndex != 1) return;
    pathEdit_->setText(QString::fromStdString(path));
    UpdatePreview();
}

void CDlgNewProject::OnPreview() {
    // The editor the pages' Preview and View buttons and Open After Read use.
    ViewFile(pathEdit_->text().toStdString());
}

void CDlgNewProject::OnOpenExisting() {
    openExisting_ = true;
    reject();
}

void CDlgNewProject::accept() {
    // A project needs a target; the list starts without a choice when no
    // processor was preset.
    if (processorList_->currentIndex() < 0 || processorName_.empty()) {
        messageBox("Select a target processor", "Kelvane", kMbOk);
        return;
    }
    QDialog::accept();
}

void CDlgNewProject::done(int result) {
    StoreOptions();
    QDialog::done(result);
}

void CDlgNewProject::StoreOptions() {
    if (stored_) return;
    stored_ = true;
    projectName_ = nameEdit_->text().toStdString();
    NewProjectSettings& s = GetNewProjectSettings();
    s.UnLockFlashA = unlockBox_->isChecked() ? 1 : 0;
    s.EraseTarget = eraseBox_->isChecked() ? 1 : 0;
    s.WithVerify = verifyBox_->isChecked() ? 1 : 0;
    s.WriteFile = writeBox_->isChecked() ? 1 : 0;
    s.WriteFilePath = pathEdit_->text().toStdString();
    s.BlowFuse = blowBox_->isChecked() ? 1 : 0;
    s.VccOff = vccOffBox_->isChecked() ? 1 : 0;
    s.ResetTarget = resetBox_->isChecked() ? 1 : 0;
    s.ReleaseJTAG = releaseBox_->isChecked() ? 1 : 0;
}

NewProjectOptions CDlgNewProject::GetOptions() const {
    const NewProjectSettings& s = GetNewProjectSettings();
    NewProjectOptions options;
    options.VccOff = s.VccOff != 0;
    options.UnLockFlashA = s.UnLockFlashA != 0;
    options.EraseTarget = s.EraseTarget != 0;
    options.WriteFile = s.WriteFile != 0;
    options.WriteFilePath = s.WriteFilePath;
    options.WithVerify = s.WithVerify != 0;
    options.BlowFuse = s.BlowFuse != 0;
    options.ReleaseJTAG = s.ReleaseJTAG != 0;
    options.ResetTarget = s.ResetTarget != 0;
    options.ProcessorHasLOCKA = hasLOCKA_;
    return options;
}

}  // namespace kv::ui
