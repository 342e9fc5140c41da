#include "dlg_read_to_file.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <utility>

#include "hex_number_edit.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/platform/message_box.h"

namespace kv::ui {

namespace {

const QString kTiFilter = QStringLiteral("TI Text Files (*.txt)");
const QString kIntelFilter = QStringLiteral("Intel Hex Files (*.hex)");

CDlgReadToFile::Runner& RunnerSlot() {
    static CDlgReadToFile::Runner runner;
    return runner;
}

}  // namespace

CDlgReadToFile::CDlgReadToFile(QWidget* parent)
    : QDialog(parent),
      pathEdit_(new QLineEdit(this)),
      processorList_(new QComboBox(this)),
      processorLabel_(new QLabel(QStringLiteral("Target Processor"), this)),
      addressEdit_(new CHexNumberEdit(this)),
      sizeEdit_(new CHexNumberEdit(this)),
      addressLabel_(new QLabel(QStringLiteral("Addr (h)"), this)),
      sizeLabel_(new QLabel(QStringLiteral("Size (h)"), this)),
      openBox_(new QCheckBox(QStringLiteral("Open After Read"), this)) {
    pathEdit_->setReadOnly(true);
    auto* browse = new QPushButton(QStringLiteral("..."), this);
    browse->setFixedWidth(30);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Target File:"), this), 0, 0);
    grid->addWidget(pathEdit_, 0, 1, 1, 3);
    grid->addWidget(browse, 0, 4);
    grid->addWidget(processorLabel_, 1, 0);
    grid->addWidget(processorList_, 1, 1, 1, 4);
    grid->addWidget(addressLabel_, 2, 0);
    grid->addWidget(addressEdit_, 2, 1);
    grid->addWidget(sizeLabel_, 2, 2);
    grid->addWidget(sizeEdit_, 2, 3);
    grid->addWidget(openBox_, 3, 0, 1, 5);
    grid->addWidget(buttons, 4, 0, 1, 5);
    pathEdit_->setMinimumWidth(260);
    connect(browse, &QPushButton::clicked, this, &CDlgReadToFile::OnBrowse);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDlgReadToFile::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(openBox_, &QCheckBox::clicked, this,
            [this](bool checked) { openAfterRead_ = checked ? 1 : 0; });
    connect(processorList_, qOverload<int>(&QComboBox::activated), this,
            &CDlgReadToFile::OnProcessorChosen);
}

CDlgReadToFile::Runner CDlgReadToFile::SetRunner(Runner runner) {
    return std::exchange(RunnerSlot(), std::move(runner));
}

int CDlgReadToFile::DoModalReadDevice(const std::string& path, int fileType,
                                      const std::string& processorName,
                                      CArrayPrgProcessor* processors) {
    filePath_ = path;
    fileType_ = fileType;
    processorName_ = processorName;
    processors_ = processors;
    address_ = 0;
    size_ = 0;
    int result = Run();
    processors_ = nullptr;
    return result;
}

int CDlgReadToFile::DoModalReadRange(const std::string& path, int fileType, std::uint32_t address,
                                     std::uint32_t size) {
    filePath_ = path;
    fileType_ = fileType;
    address_ = address;
    size_ = size;
    processors_ = nullptr;
    processorName_.clear();
    return Run();
}

int CDlgReadToFile::Run() {
    Initialise();
    return RunnerSlot() ? RunnerSlot()(*this) : exec();
}

void CDlgReadToFile::Initialise() {
    addressEdit_->SetValue(address_);
    sizeEdit_->SetValue(size_);
    if (filePath_.empty()) filePath_ = "MyFile.txt";
    pathEdit_->setText(QString::fromStdString(filePath_));
    openBox_->setChecked(openAfterRead_ == 1);
    bool device = processors_ != nullptr;
    setWindowTitle(device ? QStringLiteral("Read Device") : QStringLiteral("Read Range"));
    addressEdit_->setVisible(!device);
    sizeEdit_->setVisible(!device);
    addressLabel_->setVisible(!device);
    sizeLabel_->setVisible(!device);
    processorLabel_->setVisible(device);
    processorList_->setVisible(device);
    processorList_->clear();
    if (device) {
        int selected = 0;
        for (std::size_t i = 0; i < processors_->GetSize(); ++i) {
            CPrgProcessor* processor = processors_->GetAt(i);
            processorList_->addItem(QString::fromStdString(processor->GetName()),
                                    QVariant::fromValue(reinterpret_cast<quintptr>(processor)));
            if (processor->GetName() == processorName_) selected = static_cast<int>(i);
        }
        if (processorList_->count() > 0) {
            processorList_->setCurrentIndex(selected);
            // The preset name may be unknown; the shown entry is the choice.
            processorName_ = processorList_->currentText().toStdString();
        }
    }
    addressEdit_->SetDigits(addressDigits_);
    sizeEdit_->SetDigits(addressDigits_);
    addressEdit_->SetValue(address_);
    sizeEdit_->SetValue(size_);
    shownAddress_ = addressEdit_->text();
    shownSize_ = sizeEdit_->text();
}

void CDlgReadToFile::OnBrowse() {
    QString filter;
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Browse Target File"),
                                                QString::fromStdString(filePath_),
                                                kTiFilter + QStringLiteral(";;") + kIntelFilter,
                                                &filter, QFileDialog::DontConfirmOverwrite);
    if (path.isEmpty()) return;
    ApplyBrowseResult(path.toStdString(), filter == kIntelFilter ? 1 : 0);
}

void CDlgReadToFile::ApplyBrowseResult(const std::string& path, int filterIndex) {
    filePath_ = path;
    fileType_ = filterIndex == 1 ? 2 : 1;
    pathEdit_->setText(QString::fromStdString(filePath_));
}

void CDlgReadToFile::OnProcessorChosen(int row) {
    auto* processor =
        reinterpret_cast<CPrgProcessor*>(processorList_->itemData(row).value<quintptr>());
    if (processor == nullptr) return;
    processorName_ = processor->GetName();
    addressDigits_ = processor->GetAddressDigits();
    addressEdit_->SetDigits(addressDigits_);
    sizeEdit_->SetDigits(addressDigits_);
}

void CDlgReadToFile::accept() {
    if (pathEdit_->text().isEmpty()) {
        messageBox("Cannot write to an empty file path", "Kelvane", kMbOk);
        return;
    }
    filePath_ = pathEdit_->text().toStdString();
    QDialog::accept();
}

void CDlgReadToFile::done(int result) {
    // A field the user did not type into keeps the value it was shown with,
    // so a 20-bit address shown in a narrower field is not cut to its first
    // digits.
    std::uint32_t value = 0;
    if (addressEdit_->text() != shownAddress_)
        address_ = addressEdit_->GetValue(&value) ? value : 0;
    value = 0;
    if (sizeEdit_->text() != shownSize_) size_ = sizeEdit_->GetValue(&value) ? value : 0;
    QDialog::done(result);
}

}  // namespace kv::ui
