// Stand-ins for the engine tests: a tree control, small command classes
// registered under the program's command names, devices without hardware and
// recording outlets.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "kelvane/core/command_factory.h"
#include "kelvane/core/command_roles.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/project_access.h"
#include "kelvane/core/project_tree_item.h"

namespace kv::testing {

// A tree control kept in memory.
class FakeTree : public TreeCtrl {
  public:
    struct Node {
        std::string text;
        int image = 0;
        CProjectTreeItem* data = nullptr;
        TreeItemHandle parent = kTreeNone;
        std::vector<TreeItemHandle> children;
        bool bold = false;
    };

    bool IsWindow() const override { return true; }
    TreeItemHandle InsertItem(const std::string& text, int image, int selectedImage,
                              CProjectTreeItem* data, TreeItemHandle parent,
                              TreeItemHandle after) override;
    bool DeleteItem(TreeItemHandle item) override;
    void DeleteAllItems() override;
    void SetItemText(TreeItemHandle item, const std::string& text) override;
    void SetItemImage(TreeItemHandle item, int image, int selectedImage) override;
    void SetItemBold(TreeItemHandle item, bool bold) override;
    TreeItemHandle GetParentItem(TreeItemHandle item) const override;
    TreeItemHandle GetPrevSiblingItem(TreeItemHandle item) const override;
    TreeItemHandle GetNextSiblingItem(TreeItemHandle item) const override;
    TreeItemHandle GetChildItem(TreeItemHandle item) const override;
    CProjectTreeItem* GetItemData(TreeItemHandle item) const override;
    void Expand(TreeItemHandle /*item*/) override {}
    void Redraw() override { ++redraws; }

    // The texts of the entries below the parent, in order.
    std::vector<std::string> Texts(TreeItemHandle parent) const;
    const Node* Find(TreeItemHandle item) const;

    // The next this many insertions succeed, then one fails (-1: never fails).
    int failAfter = -1;
    int redraws = 0;

  private:
    std::vector<TreeItemHandle>& Siblings(TreeItemHandle parent);
    const std::vector<TreeItemHandle>* SiblingsOf(TreeItemHandle item) const;

    std::map<TreeItemHandle, Node> nodes_;
    std::vector<TreeItemHandle> roots_;
    TreeItemHandle next_ = 100;
};

// What the test commands did, in order: "Element(value)".
std::vector<std::string>& Trace();
// Commands whose element name is listed here fail with "<name> failed".
std::set<std::string>& FailingCommands();

// A small command: its value is one decimal attribute, its run is recorded.
class TestCommand : public CProjectTreeItem, public ReadToFileCommand, public VccCommand {
  public:
    explicit TestCommand(const std::string& element, std::uint32_t value = 0);

    int GetRequiredInterfaces(int* podNeeded, int* adapterNeeded) override;
    int AttachDialog(UiWindow* /*parent*/, const UiRect& /*rect*/) override { return 1; }
    void ResetContents() override { ++resets; }
    CProjectTreeItem* CreateNew() override { return new TestCommand(elementName_); }
    int CopyTo(CProjectTreeItem* item) override;
    void LoadDialog() override {}
    void ClearDialog() override {}
    void ShowDialog() override {}
    void HideDialog() override {}
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;
    int PropagateVCC(std::uint32_t vcc) override;

    int SetReadFile(const std::string& fileName, int fileType) override;
    int SetReadRange(std::uint32_t address, std::uint32_t length) override;
    int GetProcessorReadUnits(CPrgProcessor* processor) override;
    int SetVccParameter(std::uint32_t vcc) override;

    void SetUnits(int units) { progressUnits_ = units; }
    void SetLabel(const std::string& label) { treeLabel_ = label; }
    void SetPrintFlags(int label, int result) {
        printLabel_ = label;
        printResult_ = result;
    }

    std::uint32_t value;
    std::string fileName;
    int fileType = 0;
    std::uint32_t address = 0;
    std::uint32_t length = 0;
    int readUnits = 5;
    int resets = 0;
    // Runs inside OnExecute, after the progress advanced.
    std::function<void(CExecuteParams*)> onRun;
};

// Registers a test class for each of the names.
void RegisterTestCommands(const std::vector<std::string>& names);
// The command names the built-in operations use.
const std::vector<std::string>& BuiltInCommandNames();

// Devices that open without hardware; each open is recorded.
class FakeDevices : public ExecuteDevices {
  public:
    FakeDevices();
    ~FakeDevices() override;

    CDravik* OpenDravik(std::string& error) override;
    void CloseDravik(CDravik* pod) override;
    int GetPodErrorNumber(CDravik* pod) override;
    CTovrin* OpenTovrin(std::string& error) override;
    void CloseTovrin(CTovrin* adapter) override;
    CEmulationModule* GetEmulationModule(CPrgProcessor* processor) override;
    int OpenEmulationModule(CEmulationModule* module, CDravik* pod, std::string& error) override;
    void CloseEmulationModule(CEmulationModule* module) override;

    static CPrgProcessor* Processor();

    bool podFails = false;
    bool adapterFails = false;
    bool moduleMissing = false;
    bool moduleFails = false;
    int podErrorNumber = 0;
    std::vector<std::string> events;

  private:
    ExecuteDevices* previous_;
};

class RecordingLog : public LogWindow {
  public:
    void Append(const std::string& text) override { text_ += text; }
    void NewLine() override { text_ += "\n"; }
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

class RecordingBar : public ProgressBar {
  public:
    void SetRange(int rangeLow, int rangeHigh) override {
        low = rangeLow;
        high = rangeHigh;
    }
    void SetPos(int position) override { positions.push_back(position); }
    int low = -1;
    int high = -1;
    std::vector<int> positions;
};

class RecordingStatus : public StatusBar {
  public:
    void SetText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

class TestProject : public ProjectAccess {
  public:
    std::string GetName() const override { return name; }
    void SetName(const std::string& value) override { name = value; }
    std::string GetTargetProcessorName() const override { return processor; }
    void SetTargetProcessorName(const std::string& value) override { processor = value; }
    std::uint32_t GetVcc() const override { return vcc; }
    void SetVcc(std::uint32_t value) override { vcc = value; }
    CPrgOperation* GetCommandList() override { return commandList; }

    std::string name = "Board";
    std::string processor = "MSP430F169";
    std::uint32_t vcc = 3300;
    CPrgOperation* commandList = nullptr;
};

}  // namespace kv::testing
