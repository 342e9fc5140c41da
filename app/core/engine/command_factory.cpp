#include "kelvane/core/command_factory.h"

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "engine/element_name.h"
#include "kelvane/core/array_project_tree_item.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/core/stdio_xml_file.h"

namespace kv {

namespace {

struct Registry {
    // Registration order, for classes the file format does not know.
    std::vector<CommandClass> classes;
};

Registry& GetRegistry() {
    static Registry registry;
    return registry;
}

std::unique_ptr<CArrayProjectTreeItem>& Prototypes() {
    static std::unique_ptr<CArrayProjectTreeItem> prototypes;
    return prototypes;
}

bool IsFileFormatName(const std::string& name);

// The classes in an order: first those named in the list that are
// registered, then registered classes the file format does not name.
template <class Visit>
int ForEachClass(const std::vector<std::string>& order, bool withUnlisted, Visit visit) {
    const Registry& registry = GetRegistry();
    for (const std::string& name : order) {
        const CommandClass* commandClass = FindCommandClass(name);
        if (commandClass != nullptr && !visit(*commandClass)) return 0;
    }
    if (!withUnlisted) return 1;
    for (const CommandClass& commandClass : registry.classes) {
        if (IsFileFormatName(commandClass.elementName)) continue;
        if (!visit(commandClass)) return 0;
    }
    return 1;
}

// The declaration order: the list's, with the program-file command before
// the two pod read-to-file commands. The Add New Command list offers the
// classes with a prototype in this order too.
const std::vector<std::string>& DeclarationOrder() {
    static const std::vector<std::string> order = [] {
        std::vector<std::string> names = CommandElementNames();
        auto program = std::find(names.begin(), names.end(), "Dravik_ProgramFile");
        auto range = std::find(names.begin(), names.end(), "Dravik_ReadRangeToFile");
        std::rotate(range, program, program + 1);
        return names;
    }();
    return order;
}

}  // namespace

namespace {

// The command element names in the order of the CommandList declaration.
struct FileFormatName {
    const char* name;
    // Declared "+" (at least one in every list) rather than "*".
    bool required = false;
    // Loaded from files but not offered in the Add New Command list.
    bool loadOnly = false;
};

constexpr FileFormatName kFileFormatNames[] = {
    {"Comment"},
    {.name = "Dravik_ConfigFuse", .loadOnly = true},
    {"Delay"},
    {"Overlay"},
    {"AnalyzeResults"},
    {"Serialize"},
    {"UserWait"},
    {"Dravik_BlowFuse"},
    {"Dravik_ClearBreakpoint"},
    {.name = "Dravik_Close", .required = true},
    {.name = "Dravik_Configure", .loadOnly = true},
    {"Dravik_Erase"},
    {"Dravik_FillMemory"},
    {"Dravik_Identify"},
    {"Dravik_LockA"},
    {.name = "Dravik_Open", .required = true},
    {"Dravik_ReadRangeToFile"},
    {"Dravik_ReadProcessorToFile"},
    {"Dravik_ProgramFile"},
    {"Dravik_ReadMemory"},
    {"Dravik_ReadRegister"},
    {"Dravik_Reset"},
    {"Dravik_Run"},
    {"Dravik_SetBreakpoint"},
    {"Dravik_SingleStep"},
    {.name = "Dravik_State", .loadOnly = true},
    {"Dravik_Stop"},
    {"Dravik_VCC"},
    {"Dravik_VerifyFile"},
    {"Dravik_VerifyMemory"},
    {"Dravik_VerifyRegister"},
    {"Dravik_WaitForBreak"},
    {"Dravik_WriteMemory"},
    {"Dravik_WriteRegister"},
    {"Tovrin_EraseSegment"},
    {"Tovrin_FillMemory"},
    {"Tovrin_LoadPC"},
    {"Tovrin_LockA"},
    {"Tovrin_MassErase"},
    {"Tovrin_PowerOff"},
    {"Tovrin_ReadMemory"},
    {"Tovrin_ReadRangeToFile"},
    {"Tovrin_ReadProcessorToFile"},
    {"Tovrin_ResendPassword"},
    {"Tovrin_ResetTarget"},
    {"Tovrin_SeizeTarget"},
    {"Tovrin_SetPassword"},
    {"Tovrin_VerifyFile"},
    {"Tovrin_VerifyMemory"},
    {"Tovrin_WriteFile"},
    {"Tovrin_WriteMemory"},
};

const FileFormatName* FindFileFormatName(const std::string& name) {
    for (const FileFormatName& entry : kFileFormatNames)
        if (name == entry.name) return &entry;
    return nullptr;
}

bool IsFileFormatName(const std::string& name) {
    return FindFileFormatName(name) != nullptr;
}

}  // namespace

const std::vector<std::string>& CommandElementNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const FileFormatName& entry : kFileFormatNames)
            list.push_back(entry.name);
        return list;
    }();
    return names;
}

void RegisterCommandClass(CommandClass commandClass) {
    std::vector<CommandClass>& classes = GetRegistry().classes;
    for (CommandClass& existing : classes) {
        if (existing.elementName == commandClass.elementName) {
            existing = std::move(commandClass);
            return;
        }
    }
    classes.push_back(std::move(commandClass));
}

void UnregisterCommandClasses() {
    GetRegistry().classes.clear();
}

const CommandClass* FindCommandClass(const std::string& elementName) {
    for (const CommandClass& commandClass : GetRegistry().classes)
        if (commandClass.elementName == elementName) return &commandClass;
    return nullptr;
}

int InitCommandTypes(std::string& error) {
    return ForEachClass(CommandElementNames(), true, [&](const CommandClass& commandClass) {
        return !commandClass.initEnumTable || commandClass.initEnumTable(error);
    });
}

int DeclareCommandListChildren(CStdioXMLFile& file) {
    for (const FileFormatName& entry : kFileFormatNames)
        if (!file.AddElementChild(entry.name, entry.required ? 2 : 1)) return 0;
    // Classes the file format does not name yet still load.
    return ForEachClass({}, true, [&](const CommandClass& commandClass) {
        return file.AddElementChild(commandClass.elementName, 1);
    });
}

int DeclareCommandElements(CStdioXMLFile& file) {
    return ForEachClass(DeclarationOrder(), true, [&](const CommandClass& commandClass) {
        return !commandClass.declareElement || commandClass.declareElement(file);
    });
}

int DeclareCommandAttlists(CStdioXMLFile& file) {
    return ForEachClass(DeclarationOrder(), true, [&](const CommandClass& commandClass) {
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
        error = "Unable to open command '" + name + "'";
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
    int ok = ForEachClass(DeclarationOrder(), true, [&](const CommandClass& commandClass) {
        // Classes outside the list offer a prototype only if they have one.
        const FileFormatName* entry = FindFileFormatName(commandClass.elementName);
        if (!commandClass.createDefault || (entry != nullptr && entry->loadOnly)) return 1;
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
    int ok = ForEachClass(CommandElementNames(), true, [&](const CommandClass& commandClass) {
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
    ForEachClass(CommandElementNames(), true, [](const CommandClass& commandClass) {
        if (commandClass.destroyPropertyPage) commandClass.destroyPropertyPage();
        return 1;
    });
}

}  // namespace kv
