// Declarations shared by the buffer, register, run-control, breakpoint and
// user-wait command classes.
#pragma once

#include <string>

#include "kelvane/commands/command_page.h"
#include "kelvane/core/stdio_xml_file.h"

namespace kv {

// "\t<!ELEMENT name >": an element declared without a content keyword.
inline int DeclareTextElement(CStdioXMLFile& file, const std::string& name) {
    if (file.IsElementDeclared(name)) return 1;
    return file.BeginElementDecl(name) && file.EndElementDecl();
}

}  // namespace kv

// The class-level functions every command class offers the factory beside
// its own: element name, DTD declarations and the class page.
#define KV_COMMAND_CLASS(ElementName)                                     \
    static constexpr const char* kElementName = ElementName;              \
    static int DeclareElement(CStdioXMLFile& file);                       \
    static int DeclareAttlist(CStdioXMLFile& file);                       \
    static CommandPage& Page();                                           \
    static int CreatePropertyPage(UiWindow* parent, const UiRect& rect) { \
        return Page().Create(parent, rect);                               \
    }                                                                     \
    static int DestroyPropertyPage() {                                    \
        return Page().Destroy();                                          \
    }
