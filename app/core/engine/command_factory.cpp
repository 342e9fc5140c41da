#include "kelvane/core/command_factory.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "engine/element_name.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/platform/terminal_text.h"

namespace kv {

namespace {

// The registered classes in the order of the CommandList declaration, which
// is the order they are registered in.
std::vector<CommandClass>& Classes() {
    static std::vector<CommandClass> classes;
    return classes;
}

std::unique_ptr<CArrayProjectTreeItem>& Prototypes() {
    static std::unique_ptr<CArrayProjectTreeItem> prototypes;
    return prototypes;
}

// The declaration order: the list's, with each class that is declared before
// another (the program-file command before the pod read-to-file commands)
// moved there. The Add New Command list offers the classes with a prototype
// in this order too.
std::vector<const CommandClass*> DeclarationOrder() {
    std::vector<const CommandClass*> order;
    for (const CommandClass& commandClass : Classes())
        if (commandClass.declaredBefore.empty()) order.push_back(&commandClass);
    for (const CommandClass& commandClass : Classes()) {
        if (commandClass.declaredBefore.empty()) continue;
        auto at = std::find_if(order.begin(), order.end(), [&](const CommandClass* other) {
            return other->elementName == commandClass.declaredBefore;
        });
        order.insert(at, &commandClass);
    }
    return order;
}

// Visits the classes in list order until the first that fails.
template <class Visit>
int ForEachClass(Visit visit) {
    for (const CommandClass& commandClass : Classes())
        if (!visit(commandClass)) return 0;
    return 1;
}

template <class Visit>
int ForEachDeclaredClass(Visit visit) {
    for (const CommandClass* commandClass : DeclarationOrder())
        if (!visit(*commandClass)) return 0;
    return 1;
}

}  // namespace

std::vector<std::string> CommandElementNames() {
    std::vector<std::string> names;
    for (const CommandClass& commandClass : Classes())
        names.push_back(commandClass.elementName);
    return names;
}

void RegisterCommandClass(CommandClass commandClass) {
    std::vector<CommandClass>& classes = Classes();
    for (CommandClass& existing : classes) {
        if (existing.elementName == commandClass.elementName) {
            existing = std::move(commandClass);
            return;
        }
    }
    classes.push_back(std::move(commandClass));
}

void UnregisterCommandClasses() {
    Classes().clear();
}

const CommandClass* FindCommandClass(const std::string& elementName) {
    for (const CommandClass& commandClass : Classes())
        if (commandClass.elementName == elementName) return &commandClass;
    return nullptr;
}

int InitCommandTypes(std::string& error) {
    return ForEachClass([&](const CommandClass& commandClass) {
        return !commandClass.initEnumTable || commandClass.initEnumTable(error);
    });
}

int DeclareCommandListChildren(CStdioXMLFile& file) {
    return ForEachClass([&](const CommandClass& commandClass) {
        return file.AddElementChild(commandClass.elementName, commandClass.requiredInList ? 2 : 1);
    });
}

int DeclareCommandElements(CStdioXMLFile& file) {
    return ForEachDeclaredClass([&](const CommandClass& commandClass) {
        return !commandClass.declareElement || commandClass.declareElement(file);
    });
}

int DeclareCommandAttlists(CStdioXMLFile& file) {
    return ForEachDeclaredClass([&](const CommandClass& commandClass) {
        return !commandClass.declareAttlist || commandClass.declareAttlist(file);
    });
}

CProjectTreeItem* CreateCommandByName(const std::string& elementName) {
    const CommandClass* commandClass = FindCommandClass(elementName);
    if (commandClass == nullptr || !commandClass->createNew) return nullptr;
    return commandClass->createNew();
}

int LoadCommandFromXML(std::string& error, CArrayProjectTreeItem* array, std::int32_t element) {
    if (array == nullptr) {
        error = "Unable to load commands to NULL array";
        return 0;
    }
    std::string name;
    if (!ReadElementName(element, name, error)) return 0;
    std::unique_ptr<CProjectTreeItem> command(CreateCommandByName(name));
    if (command == nullptr) {
        error = "Unable to open command '" + Quoted(name) + "'";
        return 0;
    }
    if (!command->ReadXML(element)) {
        error = command->TakeError();
        command->Reset();
        return 0;
    }
    array->Add(command.release());
    return 1;
}

int CreateCommandPrototypes(std::string& error) {
    auto prototypes = std::make_unique<CArrayProjectTreeItem>();
    int ok = ForEachDeclaredClass([&](const CommandClass& commandClass) {
        // A class without a prototype loads from files but is not offered.
        if (!commandClass.createDefault) return 1;
        CProjectTreeItem* prototype = commandClass.createDefault(error);
        if (prototype == nullptr) return 0;
        prototypes->Add(prototype);
        return 1;
    });
    if (!ok) return 0;
    Prototypes() = std::move(prototypes);
    return 1;
}

void DestroyCommandPrototypes() {
    Prototypes().reset();
}

CArrayProjectTreeItem* GetCommandPrototypes() {
    return Prototypes().get();
}

int AppendCommand(std::string& error, CArrayProjectTreeItem* array, const std::string& elementName,
                  const CommandArguments& args) {
    if (array == nullptr) {
        error = "Unable to add command to NULL array";
        return 0;
    }
    const CommandClass* commandClass = FindCommandClass(elementName);
    if (commandClass == nullptr || !commandClass->create) {
        error = "Unable to create command '" + elementName + "'";
        return 0;
    }
    CProjectTreeItem* command = commandClass->create(error, args);
    if (command == nullptr) return 0;
    array->Add(command);
    return 1;
}

int AppendDefaultCommand(std::string& error, CArrayProjectTreeItem* array,
                         const std::string& elementName) {
    if (array == nullptr) {
        error = "Unable to add command to NULL array";
        return 0;
    }
    const CommandClass* commandClass = FindCommandClass(elementName);
    if (commandClass == nullptr || !commandClass->createDefault) {
        error = "Unable to create command '" + elementName + "'";
        return 0;
    }
    CProjectTreeItem* command = commandClass->createDefault(error);
    if (command == nullptr) return 0;
    array->Add(command);
    return 1;
}

namespace {

std::uint32_t Flag(int value) {
    return value != 0 ? 1u : 0u;
}

}  // namespace

int AppendOpenCommand(std::string& error, CArrayProjectTreeItem* array, std::uint32_t vcc) {
    return AppendCommand(error, array, "Dravik_Open", {vcc});
}

int AppendIdentifyCommand(std::string& error, CArrayProjectTreeItem* array, int forceMatch) {
    return AppendCommand(error, array, "Dravik_Identify", {Flag(forceMatch)});
}

int AppendLockACommand(std::string& error, CArrayProjectTreeItem* array, int lock) {
    return AppendCommand(error, array, "Dravik_LockA", {Flag(lock)});
}

int AppendCloseCommand(std::string& error, CArrayProjectTreeItem* array, int vccOff) {
    return AppendCommand(error, array, "Dravik_Close", {Flag(vccOff)});
}

int AppendVccCommand(std::string& error, CArrayProjectTreeItem* array, std::uint32_t vcc) {
    return AppendCommand(error, array, "Dravik_VCC", {vcc});
}

int AppendEraseCommand(std::string& error, CArrayProjectTreeItem* array,
                       const std::string& eraseType, std::uint32_t address, std::uint32_t length) {
    return AppendCommand(error, array, "Dravik_Erase", {eraseType, address, length});
}

int AppendProgramFileCommand(std::string& error, CArrayProjectTreeItem* array,
                             const std::string& fileName, const std::string& fileType, int verify) {
    return AppendCommand(error, array, "Dravik_ProgramFile", {fileName, fileType, Flag(verify)});
}

int AppendOverlayCommand(std::string& error, CArrayProjectTreeItem* array, const std::string& name,
                         const std::string& module, const std::string& algorithm,
                         const std::string& nextValue, std::uint32_t address) {
    return AppendCommand(error, array, "Overlay", {name, module, algorithm, nextValue, address});
}

int AppendSerializeCommand(std::string& error, CArrayProjectTreeItem* array,
                           const std::string& module, const std::string& algorithm,
                           const std::string& nextValue, std::uint32_t address, std::uint32_t count,
                           int countUp, int eraseSegment) {
    // The serial number's segment is erased first: a word at an odd address
    // needs one byte of it, any other two.
    if (eraseSegment &&
        !AppendEraseCommand(error, array, "ERASE_SEGMENT", address, (address & 1) ? 1 : 2))
        return 0;
    // The command is named after its algorithm.
    return AppendCommand(error, array, "Serialize",
                         {algorithm, module, algorithm, nextValue, address, count, Flag(countUp)});
}

int AppendBlowFuseCommand(std::string& error, CArrayProjectTreeItem* array) {
    return AppendCommand(error, array, "Dravik_BlowFuse", {});
}

int AppendResetCommand(std::string& error, CArrayProjectTreeItem* array, const std::string& method,
                       int execute, int releaseJTAG) {
    return AppendCommand(error, array, "Dravik_Reset", {method, Flag(execute), Flag(releaseJTAG)});
}

int CreateCommandPropertyPages(UiWindow* parent, const UiRect& rect, std::string& error) {
    std::vector<const CommandClass*> made;
    int ok = ForEachClass([&](const CommandClass& commandClass) {
        if (!commandClass.createPropertyPage) return 1;
        if (!commandClass.createPropertyPage(parent, rect)) {
            error = "Unable to create the property page of " + commandClass.elementName;
            return 0;
        }
        made.push_back(&commandClass);
        return 1;
    });
    if (!ok) {
        for (auto it = made.rbegin(); it != made.rend(); ++it)
            if ((*it)->destroyPropertyPage) (*it)->destroyPropertyPage();
    }
    return ok;
}

void DestroyCommandPropertyPages() {
    ForEachClass([](const CommandClass& commandClass) {
        if (commandClass.destroyPropertyPage) commandClass.destroyPropertyPage();
        return 1;
    });
}

}  // namespace kv
