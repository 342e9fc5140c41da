// The writer of the program's XML files: declaration, an internal DTD generated
// by the classes that write into the file, and elements with typed attributes.
//
// Output is collected in memory and put in place by Close: the file named at
// Open is replaced only when everything was written, so a save that fails part
// way leaves the previous file as it was. Lines end with "\n".
//
// The reader of these files knows no entity references: an attribute value
// ends at the next double quote and element text at the next "<". Values and
// text are therefore written unchanged, and ones holding those characters are
// refused instead of being written into a file that would not load again.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>

#include "kelvane/platform/file_stamp.h"

namespace kv {

class CMapParameterXML;

// What the save of a file in use checks just before it replaces the file.
struct ReplaceGuard {
    // The file as it was read: a name that now names another file (one
    // renamed over it, or none), or the same file changed since, is not
    // written over.
    std::optional<FileStamp> asRead;
    // A file with more than one name (hard links) is not replaced: the other
    // names would keep the old contents.
    bool oneNameOnly = false;
};

class CStdioXMLFile {
  public:
    CStdioXMLFile() = default;
    CStdioXMLFile(const CStdioXMLFile&) = delete;
    CStdioXMLFile& operator=(const CStdioXMLFile&) = delete;
    // Abandons a file that was not closed.
    virtual ~CStdioXMLFile();

    // Prepares to write the file: creates a temporary file beside it. A file
    // still open is abandoned first.
    int Open(const std::string& path);
    // Writes everything into the file. Fails, and leaves any previous file
    // untouched, when a write operation failed since Open, or when the file
    // fails what the guard asks just before it would be replaced.
    int Close(const ReplaceGuard& guard = {});
    // Discards what was written; any previous file stays as it was.
    void Abort();
    bool IsOpen() const { return tempFd_ >= 0; }
    const std::string& GetPath() const { return path_; }
    // Everything written since Open.
    const std::string& GetText() const { return text_; }

    const std::string& GetLastError() const { return error_; }
    std::string TakeError();

    // DTD.
    int WriteHeader(const std::string& root);
    void ClearDeclarations();
    bool IsElementDeclared(const std::string& name) const;
    bool IsAttlistDeclared(const std::string& name) const;
    int BeginElementDecl(const std::string& name);
    // Multiplicity 1 marks the child "*", 2 "+", anything else nothing.
    int AddElementChild(const std::string& name, int multiplicity);
    int EndElementDecl();
    int DeclareEmptyElement(const std::string& name);
    int BeginAttlist(const std::string& name);
    int EndAttlist();
    int DeclareCdataAttribute(const std::string& name, bool required);
    int DeclareBoolAttribute(const std::string& name, bool required);
    // The decimal numbers first to last as the choices.
    int DeclareEnumAttribute(const std::string& name, int first, int last, bool required);
    // Choices already joined by "|".
    int DeclareChoiceAttribute(const std::string& name, const std::string& choices, bool required);
    // The map's keywords as the choices; CDATA when the map has none.
    int DeclareMapAttribute(const std::string& name, CMapParameterXML& map, bool required);

    // Elements. With newLine set, "\n" follows the output.
    int OpenElement(const std::string& name, bool newLine);
    int EndStartTag(bool newLine);
    int CloseElement(const std::string& name, bool newLine);
    int WriteAttribute(const std::string& name, const std::string& value, bool newLine);
    int WriteBoolAttribute(const std::string& name, int value, bool newLine);
    int WriteIntAttribute(const std::string& name, int value, bool newLine);
    int WriteLongAttribute(const std::string& name, std::int32_t value, bool newLine);
    int WriteWordDecimalAttribute(const std::string& name, std::uint32_t value, bool newLine);
    int WriteWordAttribute(const std::string& name, std::uint32_t value, bool newLine);
    int WriteDwordDecimalAttribute(const std::string& name, std::uint32_t value, bool newLine);
    int WriteDwordAttribute(const std::string& name, std::uint32_t value, bool newLine);
    // The keyword of the map's entry for the value; a value without an entry
    // writes nothing and fails.
    int WriteLongMapAttribute(const std::string& name, std::int32_t value,
                              const CMapParameterXML& map, bool newLine);
    int WriteWordMapAttribute(const std::string& name, std::uint32_t value,
                              const CMapParameterXML& map, bool newLine);
    int WriteDwordMapAttribute(const std::string& name, std::uint32_t value,
                               const CMapParameterXML& map, bool newLine);
    int WriteNewLine();
    int WriteText(const std::string& text);

  private:
    int Put(const std::string& text, bool newLine = false);
    int Fail(std::string text);
    int DeclareChoices(const std::string& name, const std::string& choices, bool required);
    int WriteMapKeyword(const std::string& name, std::uint32_t value, const CMapParameterXML& map,
                        const char* typeName, bool newLine);
    void DiscardTemp();

    std::string error_ = "No error";
    std::set<std::string> elementDecls_;
    std::set<std::string> attlistDecls_;
    bool childrenStarted_ = false;

    std::string path_;
    std::string tempPath_;
    int tempFd_ = -1;
    std::string text_;
    bool failed_ = false;
};

}  // namespace kv
