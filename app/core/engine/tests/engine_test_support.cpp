#include "engine_test_support.h"

#include <algorithm>
#include <functional>

#include "kelvane/core/prg_processor.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"

namespace kv::testing {

TreeItemHandle FakeTree::InsertItem(const std::string& text, int image, int /*selectedImage*/,
                                    CProjectTreeItem* data, TreeItemHandle parent,
                                    TreeItemHandle after) {
    if (failAfter == 0) {
        failAfter = -1;
        return kTreeNone;
    }
    if (failAfter > 0) --failAfter;
    if (parent != kTreeRoot && nodes_.count(parent) == 0) return kTreeNone;
    std::vector<TreeItemHandle>& siblings = Siblings(parent);
    auto position = siblings.end();
    if (after == kTreeFirst) {
        position = siblings.begin();
    } else if (after != kTreeLast) {
        auto it = std::find(siblings.begin(), siblings.end(), after);
        if (it == siblings.end()) return kTreeNone;
        position = it + 1;
    }
    TreeItemHandle handle = next_++;
    siblings.insert(position, handle);
    nodes_[handle] = Node{text, image, data, parent, {}, false};
    return handle;
}

bool FakeTree::DeleteItem(TreeItemHandle item) {
    auto it = nodes_.find(item);
    if (it == nodes_.end()) return false;
    std::vector<TreeItemHandle> children = it->second.children;
    for (TreeItemHandle child : children)
        DeleteItem(child);
    std::vector<TreeItemHandle>& siblings = Siblings(it->second.parent);
    siblings.erase(std::find(siblings.begin(), siblings.end(), item));
    nodes_.erase(item);
    return true;
}

void FakeTree::DeleteAllItems() {
    nodes_.clear();
    roots_.clear();
}

void FakeTree::SetItemText(TreeItemHandle item, const std::string& text) {
    if (nodes_.count(item)) nodes_[item].text = text;
}

void FakeTree::SetItemImage(TreeItemHandle item, int image, int /*selectedImage*/) {
    if (nodes_.count(item)) nodes_[item].image = image;
}

void FakeTree::SetItemBold(TreeItemHandle item, bool bold) {
    if (nodes_.count(item)) nodes_[item].bold = bold;
}

TreeItemHandle FakeTree::GetParentItem(TreeItemHandle item) const {
    const Node* node = Find(item);
    return node != nullptr && node->parent != kTreeRoot ? node->parent : kTreeNone;
}

TreeItemHandle FakeTree::GetPrevSiblingItem(TreeItemHandle item) const {
    const std::vector<TreeItemHandle>* siblings = SiblingsOf(item);
    if (siblings == nullptr) return kTreeNone;
    auto it = std::find(siblings->begin(), siblings->end(), item);
    return it == siblings->begin() ? kTreeNone : *(it - 1);
}

TreeItemHandle FakeTree::GetNextSiblingItem(TreeItemHandle item) const {
    const std::vector<TreeItemHandle>* siblings = SiblingsOf(item);
    if (siblings == nullptr) return kTreeNone;
    auto it = std::find(siblings->begin(), siblings->end(), item);
    return it + 1 == siblings->end() ? kTreeNone : *(it + 1);
}

TreeItemHandle FakeTree::GetChildItem(TreeItemHandle item) const {
    const Node* node = Find(item);
    return node != nullptr && !node->children.empty() ? node->children.front() : kTreeNone;
}

CProjectTreeItem* FakeTree::GetItemData(TreeItemHandle item) const {
    const Node* node = Find(item);
    return node != nullptr ? node->data : nullptr;
}

std::vector<std::string> FakeTree::Texts(TreeItemHandle parent) const {
    std::vector<std::string> texts;
    const std::vector<TreeItemHandle>& siblings =
        parent == kTreeRoot ? roots_ : nodes_.at(parent).children;
    for (TreeItemHandle handle : siblings)
        texts.push_back(nodes_.at(handle).text);
    return texts;
}

const FakeTree::Node* FakeTree::Find(TreeItemHandle item) const {
    auto it = nodes_.find(item);
    return it == nodes_.end() ? nullptr : &it->second;
}

std::vector<TreeItemHandle>& FakeTree::Siblings(TreeItemHandle parent) {
    return parent == kTreeRoot ? roots_ : nodes_.at(parent).children;
}

const std::vector<TreeItemHandle>* FakeTree::SiblingsOf(TreeItemHandle item) const {
    const Node* node = Find(item);
    if (node == nullptr) return nullptr;
    return node->parent == kTreeRoot ? &roots_ : &nodes_.at(node->parent).children;
}

std::vector<std::string>& Trace() {
    static std::vector<std::string> trace;
    return trace;
}

std::set<std::string>& FailingCommands() {
    static std::set<std::string> failing;
    return failing;
}

namespace {

bool IsPodCommand(const std::string& name) {
    return name.rfind("Dravik_", 0) == 0;
}
bool IsAdapterCommand(const std::string& name) {
    return name.rfind("Tovrin_", 0) == 0;
}

}  // namespace

TestCommand::TestCommand(const std::string& element, std::uint32_t initial) : value(initial) {
    elementName_ = element;
    displayName_ = element;
    description_ = "Test command " + element;
    treeLabel_ = element;
    if (IsPodCommand(element)) group_ = "Dravik";
    if (IsAdapterCommand(element)) group_ = "Tovrin";
}

int TestCommand::GetRequiredInterfaces(int* podNeeded, int* adapterNeeded) {
    if (IsPodCommand(elementName_)) *podNeeded = 1;
    if (IsAdapterCommand(elementName_)) *adapterNeeded = 1;
    return 1;
}

int TestCommand::CopyTo(CProjectTreeItem* item) {
    if (!CProjectTreeItem::CopyTo(item)) return 0;
    auto* copy = static_cast<TestCommand*>(item);
    copy->value = value;
    copy->progressUnits_ = progressUnits_;
    return 1;
}

int TestCommand::OnExecute(CExecuteParams* params) {
    params->SetStatusText("Running " + elementName_);
    params->AdvanceProgress(progressUnits_);
    Trace().push_back(elementName_ + "(" + std::to_string(value) + ")");
    if (onRun) onRun(params);
    if (IsPodCommand(elementName_) && params->GetDravik() == nullptr)
        return Fail("NULL Dravik during CCommand" + elementName_ + "::OnExecute");
    if (IsAdapterCommand(elementName_) && params->GetTovrin() == nullptr)
        return Fail("NULL Tovrin during CCommand" + elementName_ + "::OnExecute");
    if (FailingCommands().count(elementName_)) return Fail(elementName_ + " failed");
    return 1;
}

int TestCommand::WriteXMLAttributes(CStdioXMLFile& file) {
    return file.WriteDwordDecimalAttribute("dwValue", value, true);
}

int TestCommand::ReadXMLParameters(std::int32_t element) {
    return ReadXmlDword(element, "dwValue", value, error_);
}

int TestCommand::PropagateVCC(std::uint32_t vcc) {
    if (elementName_ == "Dravik_Open" || (elementName_ == "Dravik_VCC" && value != 0)) value = vcc;
    return 1;
}

int TestCommand::SetReadFile(const std::string& name, int type) {
    if (type != 1 && type != 2) return Fail("Invalid file type " + std::to_string(type));
    fileName = name;
    fileType = type;
    return 1;
}

int TestCommand::SetReadRange(std::uint32_t start, std::uint32_t count) {
    address = start;
    length = count;
    return 1;
}

int TestCommand::GetProcessorReadUnits(CPrgProcessor* /*processor*/) {
    if (readUnits == 0) Fail("Unable to size the read");
    return readUnits;
}

int TestCommand::SetVccParameter(std::uint32_t vcc) {
    value = vcc;
    return 1;
}

void RegisterTestCommands(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        CommandClass commandClass;
        commandClass.elementName = name;
        // As the command library registers them.
        commandClass.requiredInList = name == "Dravik_Open" || name == "Dravik_Close";
        if (name == "Dravik_ProgramFile") commandClass.declaredBefore = "Dravik_ReadRangeToFile";
        commandClass.declareElement = [name](CStdioXMLFile& file) {
            return file.IsElementDeclared(name) ? 1 : file.DeclareEmptyElement(name);
        };
        commandClass.declareAttlist = [name](CStdioXMLFile& file) -> int {
            if (file.IsAttlistDeclared(name)) return 1;
            return file.BeginAttlist(name) && file.DeclareCdataAttribute("dwValue", true) &&
                   file.EndAttlist();
        };
        commandClass.create = [name](std::string& error,
                                     const CommandArguments& args) -> CProjectTreeItem* {
            if (FailingCommands().count("create " + name)) {
                error = "Cannot create " + name;
                return nullptr;
            }
            auto* command = new TestCommand(name);
            for (const CommandArgument& arg : args) {
                if (const auto* number = std::get_if<std::uint32_t>(&arg)) {
                    command->value = *number;
                    break;
                }
            }
            return command;
        };
        commandClass.createDefault = [name](std::string& error) -> CProjectTreeItem* {
            if (FailingCommands().count("create " + name)) {
                error = "Cannot create " + name;
                return nullptr;
            }
            return new TestCommand(name, 1);
        };
        commandClass.createNew = [name]() { return new TestCommand(name); };
        RegisterCommandClass(std::move(commandClass));
    }
}

const std::vector<std::string>& BuiltInCommandNames() {
    // In the order of the CommandList declaration.
    static const std::vector<std::string> names = {"Comment",
                                                   "Dravik_BlowFuse",
                                                   "Dravik_Close",
                                                   "Dravik_Erase",
                                                   "Dravik_Identify",
                                                   "Dravik_LockA",
                                                   "Dravik_Open",
                                                   "Dravik_ReadRangeToFile",
                                                   "Dravik_ReadProcessorToFile",
                                                   "Dravik_ProgramFile",
                                                   "Dravik_Reset",
                                                   "Dravik_VCC",
                                                   "Tovrin_PowerOff",
                                                   "Tovrin_ReadRangeToFile",
                                                   "Tovrin_ReadProcessorToFile",
                                                   "Tovrin_ResendPassword",
                                                   "Tovrin_ResetTarget",
                                                   "Tovrin_SeizeTarget"};
    return names;
}

namespace {

// Stand-in objects: the engine only passes these pointers around. The
// processor is a real one without a memory layout, since a range read asks it
// for its last address.
alignas(16) unsigned char gPod[16];
alignas(16) unsigned char gAdapter[16];
alignas(16) unsigned char gModule[16];
CPrgProcessor gProcessor;

}  // namespace

FakeDevices::FakeDevices() : previous_(SetExecuteDevices(this)) {}

FakeDevices::~FakeDevices() {
    SetExecuteDevices(previous_);
}

CDravik* FakeDevices::OpenDravik(std::string& error) {
    events.push_back("open pod");
    if (podFails) {
        error = "No pod attached";
        return nullptr;
    }
    return reinterpret_cast<CDravik*>(gPod);
}

void FakeDevices::CloseDravik(CDravik* /*pod*/) {
    events.push_back("close pod");
}

int FakeDevices::GetPodErrorNumber(CDravik* /*pod*/) {
    return podErrorNumber;
}

CTovrin* FakeDevices::OpenTovrin(std::string& error) {
    events.push_back("open adapter");
    if (adapterFails) {
        error = "No adapter attached";
        return nullptr;
    }
    return reinterpret_cast<CTovrin*>(gAdapter);
}

void FakeDevices::CloseTovrin(CTovrin* /*adapter*/) {
    events.push_back("close adapter");
}

CEmulationModule* FakeDevices::GetEmulationModule(CPrgProcessor* /*processor*/) {
    return moduleMissing ? nullptr : reinterpret_cast<CEmulationModule*>(gModule);
}

int FakeDevices::OpenEmulationModule(CEmulationModule* /*module*/, CDravik* pod,
                                     std::string& error) {
    events.push_back(pod != nullptr ? "bind module" : "bind module without pod");
    if (moduleFails) {
        error = "Cannot open Emulation Module with NULL Dravik";
        return 0;
    }
    return 1;
}

void FakeDevices::CloseEmulationModule(CEmulationModule* /*module*/) {
    events.push_back("close module");
}

CPrgProcessor* FakeDevices::Processor() {
    return &gProcessor;
}

}  // namespace kv::testing
