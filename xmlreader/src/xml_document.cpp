#include "xml_document.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>
#include <vector>

#include "kelvane/platform/format.h"
#include "kelvane/platform/input_file.h"
#include "kelvane/platform/terminal_text.h"
#include "xml_parse_char.h"

namespace caprel {

namespace {

constexpr const char* kOutsideRoot =
    "Invalid character outside of a DTD, comment, or the root element";
constexpr const char* kMisplacedProlog = "Improper location for an XML prolog";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The largest file the reader takes: far beyond any project, processor or plug-in list, and it
// bounds what a hostile file can make the reader hold.
constexpr size_t kMaxFileSize = size_t{64} << 20;
// The most lines a document may have: every text line is kept in the tree, so this bounds
// what a file of many short lines costs.
constexpr int kMaxLines = 1000000;
// The most attributes the validated elements of a document may hold, those supplied with their
// declared defaults included: a project holds a few thousand.
constexpr size_t kMaxAttributes = 4000000;
// Reads the whole file; false with the platform's description of the failure, or why the path
// cannot be read as a document (a folder, a FIFO, a device, a file too large).
bool ReadFile(const char* path, std::string& content, std::string& error) {
    std::FILE* file = kv::OpenInputStream(path, "rb", &error);
    if (!file) return false;
    // The size is known before a byte is read; the reading stops at the limit as well, for a
    // file that grows meanwhile.
    struct stat info {};
    bool tooLarge =
        ::fstat(::fileno(file), &info) == 0 && static_cast<uint64_t>(info.st_size) > kMaxFileSize;
    char chunk[65536];
    size_t got = 0;
    while (!tooLarge && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        tooLarge = content.size() + got > kMaxFileSize;
        if (!tooLarge) content.append(chunk, got);
    }
    const bool failed = std::ferror(file) != 0;
    const int readError = errno;
    std::fclose(file);
    if (tooLarge) {
        content.clear();
        content.shrink_to_fit();
        error = kv::text::Format("%s is larger than %zu MB, more than a document may be", path,
                                 kMaxFileSize >> 20);
        return false;
    }
    if (failed) {
        error = std::generic_category().message(readError);
        return false;
    }
    return true;
}

// A line as a parse error shows it: cut, and without raw control bytes.
std::string QuotedLine(std::string_view line) {
    return kv::EscapeControlBytes(kv::Quoted(line));
}

}  // namespace

int CXML_Document::Open(const char* path, intptr_t callerValue) {
    std::string content;
    std::string error;
    if (!ReadFile(path, content, error)) return Fail(std::move(error));
    comment_ = std::make_unique<CXML_Comment>();
    header_ = std::make_unique<CXML_Header>();
    docType_ = std::make_unique<CXML_DocType>();
    root_ = std::make_unique<CXML_Element>();
    root_->ReserveFor(content.size());
    state_ = kNotStarted;
    if (!Read(content, callerValue)) return 0;
    return Validate(callerValue);
}

int CXML_Document::Read(const std::string& content, intptr_t callerValue) {
    CXML_ParseChar reader(callerValue);
    // A UTF-8 byte-order mark before the first line is not part of the document.
    size_t begin = content.rfind(kByteOrderMark, 0) == 0 ? kByteOrderMark.size() : 0;
    // A file of blank lines only is as empty as an empty file.
    if (content.find_first_not_of(" \t\r\n", begin) == std::string::npos) return 1;
    int number = 0;
    std::string_view line;
    while (begin < content.size()) {
        size_t end = content.find('\n', begin);
        if (end == std::string::npos) end = content.size();
        // Text lines end with LF or CR LF; neither is part of the line.
        size_t stop = end;
        if (stop > begin && content[stop - 1] == '\r') --stop;
        if (number == kMaxLines)
            return Fail(kv::text::Format("More than %d lines in the document", kMaxLines));
        reader.SetLine(std::string_view(content).substr(begin, stop - begin), ++number);
        begin = end + 1;

        line = reader.GetLine();
        int column = 0;
        bool ok = true;
        for (const char c : line) {
            reader.SetColumn(++column);
            if (c == '\0') {
                // Not a character of XML: a value holding one would be cut short unseen.
                Fail(kv::text::Format("NUL byte at column %d: not allowed in XML", column));
                ok = false;
                break;
            }
            reader.SetChar(c);
            if (!Parse(reader)) {
                ok = false;
                break;
            }
        }
        if (ok) {
            reader.SetColumn(++column);
            reader.SetChar('\n');
            ok = Parse(reader) != 0;
        }
        if (!ok) {
            const std::string inner = TakeError();
            return Fail(kv::text::Format("Error parsing line %d\n%s\n%s", number,
                                         QuotedLine(line).c_str(), inner.c_str()));
        }
    }
    // A file cut short (a project whose copy or save was interrupted) must not pass for a
    // smaller document.
    const std::string unfinished = UnfinishedConstruct();
    if (!unfinished.empty()) {
        return Fail(kv::text::Format("Error parsing line %d\n%s\n%s", number,
                                     QuotedLine(line).c_str(), unfinished.c_str()));
    }
    return 1;
}

std::string CXML_Document::UnfinishedConstruct() const {
    switch (state_) {
        case kNotStarted:  // an empty file: an empty document
        case 113:          // after the root element
            return {};
        case 103:  // after the header
        case 108:  // after the DOCTYPE
            return "End of file before the root element";
        case 112: {
            const std::string& name = root_->GetOpenElementName();
            if (name.empty()) return "End of file inside the start tag of the root element";
            return "End of file before the end tag of element " + name;
        }
        case 102:
            return "End of file inside the XML header";
        case 107:
            return "End of file inside the DOCTYPE";
        case 106:
        case 111:
        case 116:
            return "End of file inside a comment";
        default:
            return "End of file inside a tag";
    }
}

int CXML_Document::Begin(CXML_Object& construct, std::string_view prefix, CXML_ParseChar& reader,
                         int next) {
    state_ = next;
    return Start(construct, prefix, reader);
}

int CXML_Document::FeedUntilComplete(CXML_Object& construct, CXML_ParseChar& reader, int next) {
    if (!Feed(construct, reader)) return 0;
    if (construct.IsComplete()) state_ = next;
    return 1;
}

int CXML_Document::Parse(CXML_ParseChar& reader) {
    if (IsIdle()) return 1;
    const char c = reader.GetChar();
    const bool blank = reader.IsWhiteSpace();
    switch (state_) {
        case kNotStarted:
            if (c != '<')
                return Fail("XML documents must begin with a header, a DTD, or an element");
            state_ = 101;
            return 1;
        case 101:
            if (c == '?') return Begin(*header_, "<", reader, 102);
            if (c == '!') {
                header_->SetState(kAbsent);
                state_ = 105;
                return 1;
            }
            header_->SetState(kAbsent);
            docType_->SetState(kAbsent);
            return Begin(*root_, "<", reader, 112);
        case 102:
            return FeedUntilComplete(*header_, reader, 103);
        case 103:
        case 108:
        case 113:
            if (blank) return 1;
            if (c != '<') return Fail(kOutsideRoot);
            state_ = state_ + 1;
            return 1;
        case 104:
            if (c == '?') return Fail(kMisplacedProlog);
            if (c == '!') {
                state_ = 105;
                return 1;
            }
            docType_->SetState(kAbsent);
            return Begin(*root_, "<", reader, 112);
        case 105:
            if (c == '-') return Begin(*comment_, "<!", reader, 106);
            if (c == 'D') return Begin(*docType_, "<!", reader, 107);
            return Fail(kOutsideRoot);
        case 106:
        case 111:
        case 116:
            if (!Feed(*comment_, reader)) return 0;
            if (comment_->IsComplete()) {
                comment_->Reset();
                state_ = state_ == 106 ? 103 : state_ == 111 ? 108 : 113;
            }
            return 1;
        case 107:
            return FeedUntilComplete(*docType_, reader, 108);
        case 109:
            if (c == '?') return Fail(kMisplacedProlog);
            if (c == '!') {
                state_ = 110;
                return 1;
            }
            return Begin(*root_, "<", reader, 112);
        case 110:
        case 115:
            if (c != '-') return Fail(kOutsideRoot);
            return Begin(*comment_, "<!", reader, state_ + 1);
        case 112:
            return FeedUntilComplete(*root_, reader, 113);
        case 114:
            if (c != '!') return Fail("Improper character");
            state_ = 115;
            return 1;
        default:
            return Fail("Unknown document parsing state");
    }
}

int CXML_Document::Validate(intptr_t /*callerValue*/) {
    if (!docType_ || !root_) return 1;
    ElementStore& elements = root_->GetElements();
    size_t attributes = 0;
    // Records are in document order: the first failure is the first in the file.
    uint32_t element = 0;
    while (element < elements.GetSize()) {
        const std::string_view name = elements.GetName(element);
        const CXML_AttributeListDeclaration* list = docType_->FindAttributeList(name);
        // An element without an attribute list is accepted with its whole subtree.
        if (!list) {
            element = elements.SubtreeEnd(element);
            continue;
        }
        for (const CXML_AttributeDeclaration* declaration : list->GetCheckedDeclarations()) {
            if (elements.FindAttribute(element, declaration->GetName())) continue;
            if (declaration->GetDefaultKind() == CXML_AttributeDeclaration::kDefaultRequired) {
                const std::string missing =
                    "missing required attribute value " + declaration->GetName();
                return Fail(kv::text::Format("Element %s %s", std::string(name).c_str(),
                                             missing.c_str()));
            }
            elements.AddDefaulted(element, *declaration);
        }
        // Defaults are counted with the attributes of the file: a default declared once must
        // not multiply without end.
        attributes += elements.GetAttributeCount(element);
        if (attributes > kMaxAttributes)
            return Fail(
                kv::text::Format("More than %zu attributes in the document", kMaxAttributes));
        ++element;
    }
    return 1;
}

}  // namespace caprel
