// The command factory: the one place every command class is reached through.
// Each class registers its class-level functions (keyword-map set-up, DTD
// declarations, creation with parameters, default creation, property page),
// in the file format's order; the factory calls them in that order.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "kelvane/core/tree_ui.h"

namespace kv {

class CArrayProjectTreeItem;
class CProjectTreeItem;
class CStdioXMLFile;

// A parameter of a class's Create, in the class's attribute order: numbers
// and flags as numbers, texts and enumeration keywords as texts.
using CommandArgument = std::variant<std::uint32_t, std::string>;
using CommandArguments = std::vector<CommandArgument>;

struct CommandClass {
    // The XML element name: the class name without "CCommand".
    std::string elementName;
    // Declared "+" in the CommandList (at least one in every list) rather
    // than "*".
    bool requiredInList = false;
    // The element name of the class this one is declared before in the DTD
    // and offered before in the Add New Command list; empty: its own place.
    std::string declaredBefore;
    // Fills the class's keyword maps; may be empty.
    std::function<int(std::string& error)> initEnumTable;
    // Write the class's DTD declarations once per file.
    std::function<int(CStdioXMLFile& file)> declareElement;
    std::function<int(CStdioXMLFile& file)> declareAttlist;
    // A new object with the given parameters, or nullptr with the text.
    std::function<CProjectTreeItem*(std::string& error, const CommandArguments& args)> create;
    // The prototype with default parameters; empty for a class that cannot be
    // added from the Add New Command list.
    std::function<CProjectTreeItem*(std::string& error)> createDefault;
    // A new object with the constructor's values (for loading).
    std::function<CProjectTreeItem*()> createNew;
    std::function<int(UiWindow* parent, const UiRect& rect)> createPropertyPage;
    std::function<int()> destroyPropertyPage;
};

// Registers a class after those registered before it; a class of the same
// element name is replaced in its place. The order of registration is the
// order of the CommandList declaration, of the initialisers and of the pages.
void RegisterCommandClass(CommandClass commandClass);
void UnregisterCommandClasses();
const CommandClass* FindCommandClass(const std::string& elementName);

// The registered element names in the order of the CommandList declaration.
std::vector<std::string> CommandElementNames();

int InitCommandTypes(std::string& error);
// The children of the CommandList element declaration: every registered
// class, those required in every list with "+", the others with "*".
int DeclareCommandListChildren(CStdioXMLFile& file);
int DeclareCommandElements(CStdioXMLFile& file);
int DeclareCommandAttlists(CStdioXMLFile& file);
// A new default object of the class named exactly so, or nullptr.
CProjectTreeItem* CreateCommandByName(const std::string& elementName);
// Creates the command of the element, loads it and appends it to the array.
int LoadCommandFromXML(std::string& error, CArrayProjectTreeItem* array, std::int32_t element);

// The prototype list: one default command of every class that has one, in
// the declaration order.
int CreateCommandPrototypes(std::string& error);
void DestroyCommandPrototypes();
CArrayProjectTreeItem* GetCommandPrototypes();

// Create of a class with parameters, appended to the array.
int AppendCommand(std::string& error, CArrayProjectTreeItem* array, const std::string& elementName,
                  const CommandArguments& args);
// CreateDefault of a class, appended to the array.
int AppendDefaultCommand(std::string& error, CArrayProjectTreeItem* array,
                         const std::string& elementName);
int AppendOpenCommand(std::string& error, CArrayProjectTreeItem* array, std::uint32_t vcc);
int AppendIdentifyCommand(std::string& error, CArrayProjectTreeItem* array, int forceMatch);
int AppendLockACommand(std::string& error, CArrayProjectTreeItem* array, int lock);
int AppendCloseCommand(std::string& error, CArrayProjectTreeItem* array, int vccOff);
int AppendVccCommand(std::string& error, CArrayProjectTreeItem* array, std::uint32_t vcc);
int AppendEraseCommand(std::string& error, CArrayProjectTreeItem* array,
                       const std::string& eraseType, std::uint32_t address, std::uint32_t length);
int AppendProgramFileCommand(std::string& error, CArrayProjectTreeItem* array,
                             const std::string& fileName, const std::string& fileType, int verify);
int AppendOverlayCommand(std::string& error, CArrayProjectTreeItem* array, const std::string& name,
                         const std::string& module, const std::string& algorithm,
                         const std::string& nextValue, std::uint32_t address);
int AppendSerializeCommand(std::string& error, CArrayProjectTreeItem* array,
                           const std::string& module, const std::string& algorithm,
                           const std::string& nextValue, std::uint32_t address, std::uint32_t count,
                           int countUp, int eraseSegment);
int AppendBlowFuseCommand(std::string& error, CArrayProjectTreeItem* array);
int AppendResetCommand(std::string& error, CArrayProjectTreeItem* array, const std::string& method,
                       int execute, int releaseJTAG);

// The property page of every class, in a parent window and rectangle; when
// one fails, those made are destroyed again.
int CreateCommandPropertyPages(UiWindow* parent, const UiRect& rect, std::string& error);
void DestroyCommandPropertyPages();

}  // namespace kv
