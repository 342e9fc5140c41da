// Helpers every command class uses for its class-level functions: the record
// the command factory registers, the arguments of Create and the DTD
// declarations.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <utility>

#include "kelvane/core/command_factory.h"
#include "kelvane/core/stdio_xml_file.h"

namespace kv {

// Argument `index` of a Create call as a number; 0 with a text naming the
// class when it is missing or a text.
int CommandNumberArgument(const CommandArguments& args, std::size_t index, const char* className,
                          std::uint32_t& out, std::string& error);
// Argument `index` as a text; a number is taken as its decimal text.
int CommandTextArgument(const CommandArguments& args, std::size_t index, const char* className,
                        std::string& out, std::string& error);

// "\t<!ELEMENT name EMPTY >" once per file.
int DeclareEmptyCommandElement(CStdioXMLFile& file, const std::string& name);
// "\t<!ATTLIST name" with the attribute lines the callable writes, then
// "\t>", once per file.
template <class Lines>
int DeclareCommandAttlist(CStdioXMLFile& file, const std::string& name, Lines lines) {
    if (file.IsAttlistDeclared(name)) return 1;
    return file.BeginAttlist(name) && lines() && file.EndAttlist();
}

// A new T with the parameters applied through its SetParameters; nullptr
// with the command's error text when they do not apply.
template <class T, class... Parameters>
T* CreateCommand(std::string& error, const Parameters&... parameters) {
    auto* command = new T;
    if (!command->SetParameters(parameters...)) {
        error = command->TakeError();
        delete command;
        return nullptr;
    }
    return command;
}

// Where a class stands in the file format beyond its place in the list.
struct CommandListRole {
    // At least one in every command list.
    bool required = false;
    // Declared before the class of this element name.
    const char* declaredBefore = nullptr;
};

// The factory record of a command class T from its static functions:
// kElementName, DeclareElement, DeclareAttlist, and where the class has them
// InitEnumTable, CreateFromArguments, CreateDefault, CreatePropertyPage and
// DestroyPropertyPage. createNew makes `new T`. A class without CreateDefault
// loads from files but is not offered in the Add New Command list.
template <class T>
CommandClass MakeCommandClass(CommandListRole role = {}) {
    CommandClass record;
    record.elementName = T::kElementName;
    record.requiredInList = role.required;
    if (role.declaredBefore != nullptr) record.declaredBefore = role.declaredBefore;
    if constexpr (requires(std::string & e) { T::InitEnumTable(e); })
        record.initEnumTable = [](std::string& error) { return T::InitEnumTable(error); };
    record.declareElement = [](CStdioXMLFile& file) { return T::DeclareElement(file); };
    record.declareAttlist = [](CStdioXMLFile& file) { return T::DeclareAttlist(file); };
    if constexpr (requires(std::string & e, const CommandArguments& a) {
                      T::CreateFromArguments(e, a);
                  })
        record.create = [](std::string& error, const CommandArguments& args) -> CProjectTreeItem* {
            return T::CreateFromArguments(error, args);
        };
    if constexpr (requires(std::string & e) { T::CreateDefault(e); })
        record.createDefault = [](std::string& error) -> CProjectTreeItem* {
            return T::CreateDefault(error);
        };
    record.createNew = []() -> CProjectTreeItem* { return new T; };
    if constexpr (requires(UiWindow * w, const UiRect& r) { T::CreatePropertyPage(w, r); }) {
        record.createPropertyPage = [](UiWindow* parent, const UiRect& rect) {
            return T::CreatePropertyPage(parent, rect);
        };
        record.destroyPropertyPage = [] { return T::DestroyPropertyPage(); };
    }
    return record;
}

}  // namespace kv
