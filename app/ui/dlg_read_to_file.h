// The dialog before Read Device and Read Range: the target file, and either
// the processor to read in full (device mode) or a start address and byte
// count (range mode); and whether to open the file afterwards.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace kv {
class CArrayPrgProcessor;
}

namespace kv::ui {

class CHexNumberEdit;

class CDlgReadToFile : public QDialog {
    Q_OBJECT

  public:
    explicit CDlgReadToFile(QWidget* parent = nullptr);

    int DoModalReadDevice(const std::string& path, int fileType, const std::string& processorName,
                          CArrayPrgProcessor* processors);
    int DoModalReadRange(const std::string& path, int fileType, std::uint32_t address,
                         std::uint32_t size);

    std::uint32_t GetAddress() const { return address_; }
    std::uint32_t GetSize() const { return size_; }
    const std::string& GetProcessorName() const { return processorName_; }
    const std::string& GetFilePath() const { return filePath_; }
    int GetFileType() const { return fileType_; }
    int GetOpenAfterRead() const { return openAfterRead_; }
    void SetOpenAfterRead(int open) { openAfterRead_ = open ? 1 : 0; }
    // Digit count of the address and size fields for a range-mode run.
    void SetAddressDigits(int digits) { addressDigits_ = digits; }
    int GetAddressDigits() const { return addressDigits_; }

    // Takes the outcome of the file browser: the chosen file and the filter
    // (0 TI-TXT, 1 Intel HEX).
    void ApplyBrowseResult(const std::string& path, int filterIndex);
    void OnProcessorChosen(int row);
    void accept() override;
    void done(int result) override;

    // The controls, for the program's tests.
    QLineEdit* GetPathEdit() const { return pathEdit_; }
    QComboBox* GetProcessorList() const { return processorList_; }
    CHexNumberEdit* GetAddressEdit() const { return addressEdit_; }
    CHexNumberEdit* GetSizeEdit() const { return sizeEdit_; }
    QCheckBox* GetOpenAfterReadBox() const { return openBox_; }

    // Replaces the modal loop (tests drive the open dialog through it).
    using Runner = std::function<int(CDlgReadToFile& dialog)>;
    static Runner SetRunner(Runner runner);

  private:
    int Run();
    void Initialise();
    void OnBrowse();

    std::string filePath_ = "MyFile.txt";
    int fileType_ = 1;
    std::string processorName_;
    CArrayPrgProcessor* processors_ = nullptr;
    std::uint32_t address_ = 0;
    std::uint32_t size_ = 0;
    int openAfterRead_ = 1;
    int addressDigits_ = 4;
    // The field texts as the dialog showed them; unchanged fields keep their values.
    QString shownAddress_;
    QString shownSize_;

    QLineEdit* pathEdit_;
    QComboBox* processorList_;
    QLabel* processorLabel_;
    CHexNumberEdit* addressEdit_;
    CHexNumberEdit* sizeEdit_;
    QLabel* addressLabel_;
    QLabel* sizeLabel_;
    QCheckBox* openBox_;
};

}  // namespace kv::ui
