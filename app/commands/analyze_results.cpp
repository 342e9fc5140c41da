#include "kelvane/commands/analyze_results.h"

#include <caprel/caprel.h>

#include <vector>

#include "kelvane/commands/command_text.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/message_box.h"

namespace kv {

namespace {

std::unique_ptr<CArrayProjectTreeItem>& ItemPrototypes() {
    static std::unique_ptr<CArrayProjectTreeItem> prototypes;
    return prototypes;
}

}  // namespace

CCommandAnalyzeResults::CCommandAnalyzeResults() : CCommandDravik(&Page()) {
    elementName_ = kElementName;
    displayName_ = "Analyze Results";
    description_ = "Analyze memory results";
    treeLabel_ = "Analyze Results";
    treeImage_ = 41;
}

CCommandAnalyzeResults::~CCommandAnalyzeResults() = default;

int CCommandAnalyzeResults::DeclareElement(CStdioXMLFile& file) {
    if (!file.IsElementDeclared(kElementName)) {
        if (!file.BeginElementDecl(kElementName) ||
            !file.AddElementChild(CAnalysisItem::kElementName, 2) || !file.EndElementDecl())
            return 0;
    }
    return CAnalysisItem::DeclareElement(file);
}

std::span<const CommandAttribute<CCommandAnalyzeResults>> CCommandAnalyzeResults::Attributes() {
    using T = CCommandAnalyzeResults;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwHeaderAddress", .form = AttributeForm::kHex, .dword = &T::dwHeaderAddress},
        {.name = "dwResultAddress", .form = AttributeForm::kHex, .dword = &T::dwResultAddress},
    };
    return kAttributes;
}

int CCommandAnalyzeResults::DeclareAttlist(CStdioXMLFile& file) {
    return DeclareCommandAttlist(file, kElementName,
                                 [&] { return DeclareCommandAttributes(file, Attributes()); }) &&
           CAnalysisItem::DeclareAttlist(file);
}

CProjectTreeItem* CCommandAnalyzeResults::CreateFromArguments(std::string& error,
                                                              const CommandArguments& args) {
    std::uint32_t header = 0, result = 0;
    if (!CommandNumberArgument(args, 0, "CCommandAnalyzeResults", header, error) ||
        !CommandNumberArgument(args, 1, "CCommandAnalyzeResults", result, error))
        return nullptr;
    auto* command = new CCommandAnalyzeResults;
    command->SetParameters(header, result);
    return command;
}

CProjectTreeItem* CCommandAnalyzeResults::CreateDefault(std::string& error) {
    return CreateFromArguments(error, {std::uint32_t{0x200}, std::uint32_t{0x204}});
}

CommandPage& CCommandAnalyzeResults::Page() {
    static CommandPage page(kElementName);
    return page;
}

int CCommandAnalyzeResults::CreatePropertyPage(UiWindow* parent, const UiRect& rect) {
    return Page().Create(parent, rect) && CAnalysisItem::CreatePropertyPage(parent, rect);
}

int CCommandAnalyzeResults::DestroyPropertyPage() {
    CAnalysisItem::DestroyPropertyPage();
    return Page().Destroy();
}

int CCommandAnalyzeResults::CreateItemPrototypes(std::string& error) {
    auto prototypes = std::make_unique<CArrayProjectTreeItem>();
    CAnalysisItem* item = CAnalysisItem::CreateDefault(error);
    if (item == nullptr) return 0;
    prototypes->Add(item);
    ItemPrototypes() = std::move(prototypes);
    return 1;
}

void CCommandAnalyzeResults::DestroyItemPrototypes() {
    ItemPrototypes().reset();
}

int CCommandAnalyzeResults::SetParameters(std::uint32_t headerAddress,
                                          std::uint32_t resultAddress) {
    items_ = std::make_unique<CArrayAnalysisItem>();
    dwHeaderAddress = headerAddress;
    dwResultAddress = resultAddress;
    UpdateLabel();
    return 1;
}

void CCommandAnalyzeResults::SetHeaderAddress(std::uint32_t address) {
    if (address == dwHeaderAddress) return;
    dwHeaderAddress = address;
    SetDocumentModified(1);
}

void CCommandAnalyzeResults::SetResultAddress(std::uint32_t address) {
    if (address == dwResultAddress) return;
    dwResultAddress = address;
    SetDocumentModified(1);
}

int CCommandAnalyzeResults::CopyTo(CProjectTreeItem* item) {
    if (!CCommandDravik::CopyTo(item)) return 0;
    auto* copy = static_cast<CCommandAnalyzeResults*>(item);
    copy->SetParameters(dwHeaderAddress, dwResultAddress);
    if (items_ != nullptr && !copy->items_->SpawnFrom(items_.get()))
        return Fail(copy->items_->TakeError());
    return 1;
}

void CCommandAnalyzeResults::ResetContents() {
    if (items_ != nullptr) items_->FreeAll();
}

int CCommandAnalyzeResults::OnExecute(CExecuteParams* params) {
    if (params == nullptr) return Fail("Unable to execute NULL parameters");
    params->SetStatusText("Parsing results");
    params->AdvanceProgress(1);
    CDravik* pod = TakePod(params, "CCommandAnalyzeResults::OnExecute");
    if (pod == nullptr) return 0;
    if (items_ == nullptr) return Fail("Unable to analyze results with NULL array");

    std::uint8_t header[4] = {};
    if (!pod->ReadMemory(header, dwHeaderAddress, sizeof header))
        return Fail(Format("Unable to read results header from 0x%05lX\n",
                           static_cast<unsigned long>(dwHeaderAddress)) +
                    pod->TakeLastError());
    const std::uint32_t count = header[0] | (header[1] << 8);
    const std::uint32_t extra = header[2] | (header[3] << 8);
    if (count == 0) {
        params->Log("OK", true);
        return 1;
    }
    const std::uint32_t records = std::min(count, kMaxRecords);
    const std::uint32_t words = 4 + extra;
    // The table must lie in the target's address space: a header the test
    // firmware never wrote would otherwise ask for megabytes.
    CPrgProcessor* processor = params->GetProcessor();
    const std::uint64_t space = processor != nullptr && processor->bIsMSP430X ? 0x100000 : 0x10000;
    const std::uint64_t tableEnd =
        std::uint64_t{dwResultAddress} + std::uint64_t{records} * words * 2;
    if (tableEnd > space)
        return Fail(
            Format("Results header at 0x%05lX is not valid: %lu records of %lu words "
                   "from 0x%05lX run past the end of the target's memory",
                   static_cast<unsigned long>(dwHeaderAddress), static_cast<unsigned long>(count),
                   static_cast<unsigned long>(words), static_cast<unsigned long>(dwResultAddress)));
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(records) * words * 2);
    if (!pod->ReadMemory(bytes.data(), dwResultAddress, static_cast<std::uint32_t>(bytes.size())))
        return Fail(Format("Unable to read results record(s) from 0x%05lX\n",
                           static_cast<unsigned long>(dwResultAddress)) +
                    pod->TakeLastError());
    std::vector<std::uint16_t> record(words);
    params->LogNewLine();
    for (std::uint32_t r = 0; r < records; ++r) {
        const std::uint8_t* at = bytes.data() + static_cast<std::size_t>(r) * words * 2;
        for (std::uint32_t w = 0; w < words; ++w)
            record[w] = static_cast<std::uint16_t>(at[2 * w] | (at[2 * w + 1] << 8));
        std::string line;
        if (!items_->FormatRecord(line, record.data(), extra))
            return Fail(items_->GetFormatError());
        params->Log(line, true);
    }
    if (count > kMaxRecords) params->Log("Additional failures not reported...", true);
    return Fail("Target failures recorded");
}

int CCommandAnalyzeResults::WriteXMLAttributes(CStdioXMLFile& file) {
    return WriteCommandAttributes(file, *this, Attributes(), error_);
}

int CCommandAnalyzeResults::WriteXMLContent(CStdioXMLFile& file) {
    if (items_ == nullptr) return Fail("Unable to write XML for NULL item array");
    if (!items_->SaveToXML(file)) return Fail(items_->TakeError());
    return 1;
}

int CCommandAnalyzeResults::ReadXMLParameters(std::int32_t element) {
    CCommandAnalyzeResults values;
    if (!ReadCommandAttributes(element, values, Attributes(), error_)) return 0;
    SetParameters(values.dwHeaderAddress, values.dwResultAddress);
    for (std::int32_t child =
             GetFirstNamedChildElement_Caprel(element, CAnalysisItem::kElementName);
         child != -1;
         child = GetNextNamedChildElement_Caprel(element, child, CAnalysisItem::kElementName)) {
        auto item = std::make_unique<CAnalysisItem>();
        if (!item->ReadXML(child)) {
            error_ = item->TakeError();
            items_->FreeAll();
            return 0;
        }
        items_->Add(item.release());
    }
    // A command without items loads too: every record it finds is then
    // reported with its raw values.
    return 1;
}

TreeItemHandle CCommandAnalyzeResults::InsertIntoTree(TreeCtrl* tree, TreeItemHandle parent,
                                                      TreeItemHandle after) {
    if (items_ == nullptr) {
        Fail("Unable to add default item to parse results array");
        return kTreeNone;
    }
    if (items_->GetSize() == 0) {
        std::string error;
        CAnalysisItem* item = CAnalysisItem::CreateDefault(error);
        if (item == nullptr) {
            Fail("Unable to add default item to parse results array");
            return kTreeNone;
        }
        items_->Add(item);
    }
    TreeItemHandle handle = CCommandDravik::InsertIntoTree(tree, parent, after);
    if (handle == kTreeNone) return kTreeNone;
    if (!items_->InsertIntoTree(tree, handle, kTreeFirst)) {
        Fail(items_->TakeError());
        return kTreeNone;
    }
    return handle;
}

CArrayProjectTreeItem* CCommandAnalyzeResults::GetChildPrototypes() {
    return ItemPrototypes().get();
}

int CCommandAnalyzeResults::PlaceChild(CProjectTreeItem* item, int index, TreeItemHandle after,
                                       CProjectTreeItem** select) {
    if (select != nullptr) *select = this;
    if (items_ == nullptr) return Fail("Cannot insert child item into NULL array");
    if (tree_ == nullptr) return Fail("Cannot insert child item in NULL tree");
    if (item == nullptr) return Fail("Cannot insert NULL child item");
    if (treeHandle_ == kTreeNone) return Fail("Cannot insert child item within NULL parent item");
    items_->InsertAt(index, item);
    if (item->InsertIntoTree(tree_, treeHandle_, after) == kTreeNone) {
        items_->Remove(item);
        messageBox("Could not insert new item", "Kelvane", kMbOk | kMbIconError);
        return Fail("Could not insert new item");
    }
    SetDocumentModified(1);
    if (select != nullptr) *select = item;
    return 1;
}

int CCommandAnalyzeResults::AddChild(CProjectTreeItem* item, CProjectTreeItem* anchor,
                                     CProjectTreeItem** select) {
    if (items_ == nullptr) return Fail("Cannot insert child item into NULL array");
    if (anchor == nullptr || anchor->GetTreeHandle() == kTreeNone)
        return Fail("Could not find previous item handle");
    int index = items_->Find(anchor);
    if (index < 0) return Fail("Could not find previous item in command array");
    return PlaceChild(item, index + 1, anchor->GetTreeHandle(), select);
}

int CCommandAnalyzeResults::InsertChild(CProjectTreeItem* item, CProjectTreeItem* anchor,
                                        CProjectTreeItem** select) {
    if (anchor == nullptr) return PlaceChild(item, 0, kTreeFirst, select);
    return AddChild(item, anchor, select);
}

int CCommandAnalyzeResults::MoveChild(CProjectTreeItem* child, CProjectTreeItem* other, bool up,
                                      CProjectTreeItem** select) {
    if (select != nullptr) *select = child;
    if (items_ == nullptr)
        return Fail(up ? "Cannot move child item up in NULL array"
                       : "Cannot move child item down in NULL array");
    if (tree_ == nullptr) return Fail("Cannot move child item in NULL tree");
    if (child == nullptr) return Fail("Cannot move NULL child item");
    if (other == nullptr)
        return Fail(up ? "Cannot move child item before NULL item"
                       : "Cannot move child item after NULL item");
    int index = items_->Find(child);
    if (index < 0 || items_->Find(other) < 0) return Fail("Cannot move foreign child item");
    if (treeHandle_ == kTreeNone) return Fail("Cannot move child item within NULL parent item");
    if (!(up ? items_->MoveUp(index) : items_->MoveDown(index))) return Fail(items_->TakeError());
    // The moving entry is taken out of the tree and put back on the other side.
    TreeItemHandle after = other->GetTreeHandle();
    if (up) {
        TreeItemHandle before = tree_->GetPrevSiblingItem(other->GetTreeHandle());
        after = before != kTreeNone ? before : kTreeFirst;
    }
    tree_->DeleteItem(child->GetTreeHandle());
    child->DetachFromTree();
    if (child->InsertIntoTree(tree_, treeHandle_, after) == kTreeNone) {
        messageBox("Could not reinsert moving item", "Kelvane", kMbOk | kMbIconError);
        return Fail("Could not reinsert moving item");
    }
    SetDocumentModified(1);
    return 1;
}

int CCommandAnalyzeResults::MoveChildUp(CProjectTreeItem* child, CProjectTreeItem* previous,
                                        CProjectTreeItem** select) {
    return MoveChild(child, previous, true, select);
}

int CCommandAnalyzeResults::MoveChildDown(CProjectTreeItem* child, CProjectTreeItem* next,
                                          CProjectTreeItem** select) {
    return MoveChild(child, next, false, select);
}

int CCommandAnalyzeResults::DeleteChild(CProjectTreeItem* child, CProjectTreeItem** select) {
    if (select != nullptr) *select = this;
    if (items_ == nullptr) return Fail("Cannot delete child item from NULL array");
    if (items_->GetSize() <= 1) return Fail("Cannot delete the last results item");
    if (tree_ == nullptr) return Fail("Cannot delete child item from NULL tree");
    if (child == nullptr) return Fail("Cannot delete NULL child item");
    if (items_->Find(child) < 0) return Fail("Cannot delete foreign child item");
    if (treeHandle_ == kTreeNone) return Fail("Cannot delete child item from NULL parent item");
    CProjectTreeItem* next = child->GetNextSiblingItem();
    if (next == nullptr) next = child->GetPrevSiblingItem();
    if (child->GetTreeHandle() != kTreeNone) tree_->DeleteItem(child->GetTreeHandle());
    items_->Remove(child);
    if (GetPropertiesItem() == child) SetPropertiesItem(nullptr);
    delete child;
    SetDocumentModified(1);
    if (select != nullptr) *select = next != nullptr ? next : this;
    return 1;
}

}  // namespace kv
