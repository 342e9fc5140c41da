#include "kelvane/core/stdio_xml_file.h"

#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <utility>

#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/platform/replaced_file.h"
#include "kelvane/platform/write_all.h"

namespace kv {

namespace {

// "0x%04X" and "0x%08lX" of a 32-bit value.
std::string Hex(std::uint32_t value, bool dword) {
    char buffer[16];
    if (dword)
        std::snprintf(buffer, sizeof buffer, "0x%08" PRIX32, value);
    else
        std::snprintf(buffer, sizeof buffer, "0x%04" PRIX32, value & 0xFFFFu);
    return buffer;
}

std::string SystemText(int error) {
    return std::strerror(error);
}

// What a run that saves its changes loses when the save is refused.
constexpr const char* kNotRecorded =
    "so it was not saved and what this run changed (a serial number it issued) is not recorded "
    "in it.";

// Why the file now at the name may not be replaced; empty when it may.
std::string RefusedReplacement(const ReplaceGuard& guard, const std::optional<FileStamp>& now) {
    if (guard.asRead) {
        if (!now)
            return std::string("it was removed or renamed during the run, ") + kNotRecorded +
                   " Find where it went, then set it right by hand";
        if (!now->SameFile(*guard.asRead))
            return std::string("it was replaced during the run (another program saved it, or "
                               "a file was renamed over it), ") +
                   kNotRecorded + " Look at the file as it is now, then set it right by hand";
        if (!now->Unchanged(*guard.asRead))
            return std::string("it was changed during the run by another program, ") +
                   kNotRecorded + " Look at the file as it is now, then set it right by hand";
    }
    if (guard.oneNameOnly && now && now->names > 1)
        return "it has " + std::to_string(now->names) +
               " names (hard links) now, one made while the file was in use. Replacing it "
               "would leave the other names with the old contents, and a run by one of "
               "them would issue the same serial numbers again, " +
               kNotRecorded + " Remove the other names, then set the file right by hand";
    return {};
}

}  // namespace

CStdioXMLFile::~CStdioXMLFile() {
    Abort();
}

int CStdioXMLFile::Open(const std::string& path) {
    Abort();
    path_ = path;
    failed_ = false;
    text_.clear();
    const std::string destination = ReplacedPath(path);
    // A file the user may not write stays as it is, although its folder would
    // let it be replaced.
    if (::access(destination.c_str(), F_OK) == 0 && ::access(destination.c_str(), W_OK) != 0) {
        error_ = "Unable to create " + path + ": " + SystemText(errno);
        return 0;
    }
    RemoveStaleTemps(destination);
    tempFd_ = CreateTempBeside(destination, &tempPath_);
    if (tempFd_ >= 0) return 1;
    error_ = "Unable to create " + path + ": " + SystemText(errno);
    return 0;
}

int CStdioXMLFile::Close(const ReplaceGuard& guard) {
    if (!IsOpen()) {
        error_ = "No XML file is open";
        return 0;
    }
    if (failed_) {
        DiscardTemp();
        return 0;
    }
    const int fd = std::exchange(tempFd_, -1);
    bool ok = kv::WriteAll(fd, text_.data(), text_.size()) && ::fsync(fd) == 0;
    int error = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        error = errno;
    }
    const std::string destination = ReplacedPath(path_);
    if (ok) {
        const std::string refused = RefusedReplacement(guard, StampOfPath(destination));
        if (!refused.empty()) {
            ::unlink(tempPath_.c_str());
            tempPath_.clear();
            error_ = "Unable to write " + path_ + ": " + refused;
            return 0;
        }
    }
    if (ok && std::rename(tempPath_.c_str(), destination.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    // Until the folder is on disk the rename may be lost, and with it the
    // new contents: the save counts only when that succeeded too.
    const bool renamed = ok;
    if (ok) ok = SyncFolder(destination, error);
    if (!ok) {
        if (!renamed) ::unlink(tempPath_.c_str());
        error_ = "Unable to write " + path_ + ": " + SystemText(error);
    }
    tempPath_.clear();
    return ok ? 1 : 0;
}

void CStdioXMLFile::Abort() {
    if (IsOpen()) DiscardTemp();
}

void CStdioXMLFile::DiscardTemp() {
    ::close(std::exchange(tempFd_, -1));
    ::unlink(tempPath_.c_str());
    tempPath_.clear();
}

std::string CStdioXMLFile::TakeError() {
    return std::exchange(error_, std::string());
}

int CStdioXMLFile::Put(const std::string& text, bool newLine) {
    text_ += text;
    if (newLine) text_ += '\n';
    return 1;
}

int CStdioXMLFile::Fail(std::string text) {
    error_ = std::move(text);
    failed_ = true;
    return 0;
}

// DTD.

int CStdioXMLFile::WriteHeader(const std::string& root) {
    return Put("<?xml version=\"1.0\" standalone=\"yes\" ?>\n<!DOCTYPE " + root + "\n[\n");
}

void CStdioXMLFile::ClearDeclarations() {
    elementDecls_.clear();
    attlistDecls_.clear();
}

bool CStdioXMLFile::IsElementDeclared(const std::string& name) const {
    return elementDecls_.contains(name);
}

bool CStdioXMLFile::IsAttlistDeclared(const std::string& name) const {
    return attlistDecls_.contains(name);
}

int CStdioXMLFile::BeginElementDecl(const std::string& name) {
    elementDecls_.insert(name);
    childrenStarted_ = false;
    return Put("\t<!ELEMENT " + name + " ");
}

int CStdioXMLFile::AddElementChild(const std::string& name, int multiplicity) {
    std::string text = childrenStarted_ ? ",\n\t\t" : "(\n\t\t";
    text += name;
    if (multiplicity == 1) text += '*';
    if (multiplicity == 2) text += '+';
    childrenStarted_ = true;
    return Put(text);
}

int CStdioXMLFile::EndElementDecl() {
    return Put(childrenStarted_ ? ")>\n" : ">\n");
}

int CStdioXMLFile::DeclareEmptyElement(const std::string& name) {
    BeginElementDecl(name);
    Put("EMPTY ");
    return EndElementDecl();
}

int CStdioXMLFile::BeginAttlist(const std::string& name) {
    attlistDecls_.insert(name);
    return Put("\t<!ATTLIST " + name + "\n");
}

int CStdioXMLFile::EndAttlist() {
    return Put("\t>\n");
}

// An attribute that need not be present is declared #IMPLIED: a declaration
// without a default is not one the reader accepts.
int CStdioXMLFile::DeclareCdataAttribute(const std::string& name, bool required) {
    return Put("\t\t" + name + (required ? " CDATA #REQUIRED\n" : " CDATA #IMPLIED\n"));
}

int CStdioXMLFile::DeclareBoolAttribute(const std::string& name, bool required) {
    return DeclareChoices(name, "FALSE|TRUE", required);
}

int CStdioXMLFile::DeclareEnumAttribute(const std::string& name, int first, int last,
                                        bool required) {
    std::string choices;
    for (int value = first; value <= last; ++value) {
        if (value != first) choices += '|';
        choices += std::to_string(value);
        if (value == last) break;  // last may be INT_MAX
    }
    return DeclareChoices(name, choices, required);
}

int CStdioXMLFile::DeclareChoiceAttribute(const std::string& name, const std::string& choices,
                                          bool required) {
    return DeclareChoices(name, choices, required);
}

int CStdioXMLFile::DeclareMapAttribute(const std::string& name, CMapParameterXML& map,
                                       bool required) {
    std::string choices;
    if (!map.BuildAttList(&choices) || choices.empty())
        return DeclareCdataAttribute(name, required);
    return DeclareChoices(name, choices, required);
}

int CStdioXMLFile::DeclareChoices(const std::string& name, const std::string& choices,
                                  bool required) {
    return Put("\t\t" + name + " (" + choices + (required ? ") #REQUIRED\n" : ") #IMPLIED\n"));
}

// Elements.

int CStdioXMLFile::OpenElement(const std::string& name, bool newLine) {
    return Put("<" + name + " ", newLine);
}

int CStdioXMLFile::EndStartTag(bool newLine) {
    return Put(">", newLine);
}

int CStdioXMLFile::CloseElement(const std::string& name, bool newLine) {
    return Put("</" + name + " >", newLine);
}

int CStdioXMLFile::WriteAttribute(const std::string& name, const std::string& value, bool newLine) {
    if (value.find('"') != std::string::npos)
        return Fail("Unable to store XML attribute " + name + ": its value contains '\"'");
    return Put("\t" + name + "=\"" + value + "\"", newLine);
}

int CStdioXMLFile::WriteBoolAttribute(const std::string& name, int value, bool newLine) {
    return WriteAttribute(name, value ? "TRUE" : "FALSE", newLine);
}

int CStdioXMLFile::WriteIntAttribute(const std::string& name, int value, bool newLine) {
    return WriteAttribute(name, std::to_string(value), newLine);
}

int CStdioXMLFile::WriteLongAttribute(const std::string& name, std::int32_t value, bool newLine) {
    return WriteAttribute(name, std::to_string(value), newLine);
}

int CStdioXMLFile::WriteWordDecimalAttribute(const std::string& name, std::uint32_t value,
                                             bool newLine) {
    return WriteAttribute(name, std::to_string(value & 0xFFFFu), newLine);
}

int CStdioXMLFile::WriteWordAttribute(const std::string& name, std::uint32_t value, bool newLine) {
    return WriteAttribute(name, Hex(value, false), newLine);
}

int CStdioXMLFile::WriteDwordDecimalAttribute(const std::string& name, std::uint32_t value,
                                              bool newLine) {
    return WriteLongAttribute(name, static_cast<std::int32_t>(value), newLine);
}

int CStdioXMLFile::WriteDwordAttribute(const std::string& name, std::uint32_t value, bool newLine) {
    return WriteAttribute(name, Hex(value, true), newLine);
}

int CStdioXMLFile::WriteMapKeyword(const std::string& name, std::uint32_t value,
                                   const CMapParameterXML& map, const char* typeName,
                                   bool newLine) {
    const CParameterXML* entry = map.FindByValue(value);
    if (!entry)
        return Fail(std::string("Unable to store NULL XML ") + typeName + " parameter for " + name);
    return WriteAttribute(name, entry->GetKeyword(), newLine);
}

int CStdioXMLFile::WriteLongMapAttribute(const std::string& name, std::int32_t value,
                                         const CMapParameterXML& map, bool newLine) {
    return WriteMapKeyword(name, static_cast<std::uint32_t>(value), map, "LONG", newLine);
}

int CStdioXMLFile::WriteWordMapAttribute(const std::string& name, std::uint32_t value,
                                         const CMapParameterXML& map, bool newLine) {
    return WriteMapKeyword(name, value & 0xFFFFu, map, "WORD", newLine);
}

int CStdioXMLFile::WriteDwordMapAttribute(const std::string& name, std::uint32_t value,
                                          const CMapParameterXML& map, bool newLine) {
    return WriteMapKeyword(name, value, map, "DWORD", newLine);
}

int CStdioXMLFile::WriteNewLine() {
    return Put("\n");
}

int CStdioXMLFile::WriteText(const std::string& text) {
    if (text.find('<') != std::string::npos) return Fail("Unable to store XML text containing '<'");
    return Put(text);
}

}  // namespace kv
