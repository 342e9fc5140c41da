// The New Project Wizard: the project's name, target processor and supply,
// and the check boxes from which the default command list is built. The box
// states and the file path are the program-wide "NewProject" settings; they
// are taken back from the controls on every end of the dialog, OK or not.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

#include "kelvane/core/prg_operation.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {
class CArrayPrgProcessor;
}

namespace kv::ui {

class CDlgNewProject : public QDialog {
    Q_OBJECT

  public:
    explicit CDlgNewProject(QWidget* parent = nullptr);

    void SetProjectName(const std::string& name) { projectName_ = name; }
    const std::string& GetProjectName() const { return projectName_; }
    void SetProcessorName(const std::string& name) { processorName_ = name; }
    const std::string& GetProcessorName() const { return processorName_; }
    void SetVcc(std::uint32_t vcc) { vcc_ = vcc; }
    std::uint32_t GetVcc() const { return vcc_; }
    bool GetOpenExisting() const { return openExisting_; }
    bool GetProcessorHasLOCKA() const { return hasLOCKA_; }

    // Runs the dialog over the processor list (nullptr: the program's table).
    int DoModal(CArrayPrgProcessor* processors = nullptr);
    // The options for the default command list, from the "NewProject"
    // settings and the chosen processor.
    NewProjectOptions GetOptions() const;

    // Takes the outcome of the file browser: the chosen file and the filter
    // (0 TI-TXT, 1 Intel HEX, anything else ignored).
    void ApplyBrowseResult(const std::string& path, int filterIndex);
    void OnProcessorChosen(int row);
    void OnVccChosen(int row);
    void OnBlowFuseClicked();
    void OnOpenExisting();
    void accept() override;
    void done(int result) override;

    // The controls, for the program's tests.
    QLineEdit* GetNameEdit() const { return nameEdit_; }
    QComboBox* GetProcessorList() const { return processorList_; }
    QComboBox* GetVccList() const { return vccList_; }
    QLabel* GetNote() const { return note_; }
    QCheckBox* GetUnlockFlashABox() const { return unlockBox_; }
    QCheckBox* GetEraseTargetBox() const { return eraseBox_; }
    QCheckBox* GetWriteFileBox() const { return writeBox_; }
    QCheckBox* GetWithVerifyBox() const { return verifyBox_; }
    QCheckBox* GetBlowFuseBox() const { return blowBox_; }
    QCheckBox* GetVccOffBox() const { return vccOffBox_; }
    QCheckBox* GetResetTargetBox() const { return resetBox_; }
    QCheckBox* GetReleaseJTAGBox() const { return releaseBox_; }
    QLineEdit* GetPathEdit() const { return pathEdit_; }
    QPushButton* GetBrowseButton() const { return browseButton_; }
    QPushButton* GetPreviewButton() const { return previewButton_; }
    QPushButton* GetOpenExistingButton() const { return openButton_; }

    // Replaces the modal loop (tests drive the open dialog through it).
    using Runner = std::function<int(CDlgNewProject& dialog)>;
    static Runner SetRunner(Runner runner);

  private:
    bool Initialise();
    void ApplyBlowFuse();
    void ApplyVccOff();
    void ApplyWriteFile();
    void UpdatePreview();
    void OnBrowse();
    void OnPreview();
    void StoreOptions();

    std::string projectName_ = "Project Name";
    std::string processorName_;
    std::uint32_t vcc_ = 3300;
    bool hasLOCKA_ = false;
    bool openExisting_ = false;
    bool stored_ = false;
    CArrayPrgProcessor* processors_ = nullptr;

    QLineEdit* nameEdit_;
    QComboBox* processorList_;
    QComboBox* vccList_;
    QLabel* note_;
    QCheckBox* unlockBox_;
    QCheckBox* eraseBox_;
    QCheckBox* writeBox_;
    QCheckBox* verifyBox_;
    QCheckBox* blowBox_;
    QCheckBox* vccOffBox_;
    QCheckBox* resetBox_;
    QCheckBox* releaseBox_;
    QLineEdit* pathEdit_;
    QPushButton* browseButton_;
    QPushButton* previewButton_;
    QPushButton* openButton_;
};

}  // namespace kv::ui
