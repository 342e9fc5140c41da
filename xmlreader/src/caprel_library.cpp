#include "caprel_library.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "kelvane/platform/format.h"

namespace caprel {

void CopyText(std::string_view text, char* buffer, uint32_t size, uint32_t* count) {
    *count = 0;
    if (!buffer) {
        *count = static_cast<uint32_t>(text.size() + 1);
        return;
    }
    // A buffer of size 0 has no room even for the terminator.
    if (size == 0) return;
    const size_t copied = std::min<size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
    *count = static_cast<uint32_t>(copied);
}

CaprelLibrary& CaprelLibrary::Instance() {
    static CaprelLibrary library;
    return library;
}

void CaprelLibrary::SetLastError(std::string_view text) {
    const size_t length = std::min(text.size(), kErrorSize - 1);
    std::memcpy(lastError_, text.data(), length);
    lastError_[length] = '\0';
}

int32_t CaprelLibrary::GetLastError(char* buffer, uint32_t size) const {
    const std::string_view text(lastError_);
    uint32_t count = 0;
    CopyText(text, buffer, size, &count);
    return static_cast<int32_t>(count);
}

void CaprelLibrary::RegisterWindow(void* window, uint32_t message, intptr_t value) {
    window_ = window;
    message_ = message;
    windowValue_ = value;
}

void CaprelLibrary::TakeDocumentError() {
    SetLastError(document_->TakeError());
}

void CaprelLibrary::Close() {
    table_.Clear();
    document_.reset();
}

int32_t CaprelLibrary::Open(const char* path, intptr_t callerValue) {
    Close();
    if (!path) {
        SetLastError("Open_Caprel() called with NULL file name");
        return 0;
    }
    auto document = std::make_unique<CXML_Document>();
    try {
        if (!document->Open(path, callerValue)) {
            SetLastError(document->GetError());
            return 0;
        }
    } catch (const std::bad_alloc&) {
        // The tree built so far is freed without allocating; the text needs no memory either.
        document.reset();
        char text[kErrorSize];
        std::snprintf(text, sizeof text, "Not enough memory to read %s", path);
        SetLastError(text);
        return 0;
    }
    // Handles of each document carry a tag from 1 to 127, so that a handle kept from the
    // previous document does not name an element of this one.
    documentTag_ = documentTag_ % 127 + 1;
    if (!table_.Build(document->GetElements(), documentTag_)) {
        SetLastError(
            kv::text::Format("Document holds more than %zu elements", ElementTable::kMaxElements));
        return 0;
    }
    document_ = std::move(document);
    Succeeded();
    return 1;
}

int32_t CaprelLibrary::Resolve(int32_t handle, const char* caller) {
    const int32_t slot = table_.SlotOf(handle);
    if (slot < 0) {
        SetLastError(kv::text::Format("%s() called with invalid element handle %ld", caller,
                                      static_cast<long>(handle)));
    }
    return slot;
}

int32_t CaprelLibrary::GetRootElement() {
    if (!document_) {
        SetLastError("GetRootElement_Caprel() called prior to Open_Caprel()");
        return -1;
    }
    const int32_t slot = table_.Root();
    if (slot < 0) return -1;
    Succeeded();
    return table_.HandleOf(slot);
}

int32_t CaprelLibrary::GetFirstChildElement(int32_t element) {
    if (!document_) {
        SetLastError("GetFirstChildElement_Caprel() called prior to Open_Caprel()");
        return -1;
    }
    const int32_t slot = Resolve(element, "GetFirstChildElement_Caprel");
    if (slot < 0) return -1;
    const int32_t child = table_.FirstChild(slot);
    if (child < 0) return -1;
    Succeeded();
    return table_.HandleOf(child);
}

int32_t CaprelLibrary::GetNextChildElement(int32_t parent, int32_t child) {
    if (!document_) {
        SetLastError("GetNextChildElement_Caprel() called prior to Open_Caprel()");
        return -1;
    }
    const int32_t parentSlot = Resolve(parent, "GetNextChildElement_Caprel");
    if (parentSlot < 0 || child == ElementTable::kNone) return -1;
    const int32_t childSlot = Resolve(child, "GetNextChildElement_Caprel");
    if (childSlot < 0) return -1;
    const int32_t next = table_.NextChild(parentSlot, childSlot);
    if (next < 0) return -1;
    Succeeded();
    return table_.HandleOf(next);
}

const ElementStore& CaprelLibrary::Elements() const {
    return document_->GetElements();
}

int32_t CaprelLibrary::FindNamed(int32_t parent, int32_t slot, const char* name) const {
    while (slot >= 0 && Elements().GetName(table_.ElementAt(slot)) != std::string_view(name))
        slot = table_.NextChild(parent, slot);
    return slot;
}

int32_t CaprelLibrary::GetFirstNamedChildElement(int32_t element, const char* name) {
    if (!document_) {
        SetLastError("GetFirstNamedChildElement_Caprel() called prior to Open_Caprel()");
        return -1;
    }
    const int32_t slot = Resolve(element, "GetFirstNamedChildElement_Caprel");
    if (slot < 0) return -1;
    if (!name) {
        SetLastError("GetFirstNamedChildElement_Caprel() called with NULL name");
        return -1;
    }
    const int32_t found = FindNamed(slot, table_.FirstChild(slot), name);
    if (found < 0) return -1;
    Succeeded();
    return table_.HandleOf(found);
}

int32_t CaprelLibrary::GetNextNamedChildElement(int32_t parent, int32_t child, const char* name) {
    if (!document_) {
        SetLastError("GetNextNamedChildElement_Caprel() called prior to Open_Caprel()");
        return -1;
    }
    const int32_t parentSlot = Resolve(parent, "GetNextNamedChildElement_Caprel");
    if (parentSlot < 0) return -1;
    if (!name) {
        SetLastError("GetNextNamedChildElement_Caprel() called with NULL name");
        return -1;
    }
    if (child == ElementTable::kNone) return -1;
    const int32_t childSlot = Resolve(child, "GetNextNamedChildElement_Caprel");
    if (childSlot < 0) return -1;
    const int32_t found = FindNamed(parentSlot, table_.NextChild(parentSlot, childSlot), name);
    if (found < 0) return -1;
    Succeeded();
    return table_.HandleOf(found);
}

int32_t CaprelLibrary::GetElementName(int32_t element, char* buffer, uint32_t size,
                                      uint32_t* count) {
    if (!document_) {
        SetLastError("GetElementName_Caprel() called prior to Open_Caprel()");
        return 0;
    }
    if (!count) {
        SetLastError("GetElementName_Caprel() called with NULL bytes read");
        return 0;
    }
    *count = 0;
    const int32_t slot = Resolve(element, "GetElementName_Caprel");
    if (slot < 0) return 0;
    CopyText(Elements().GetName(table_.ElementAt(slot)), buffer, size, count);
    Succeeded();
    return 1;
}

int32_t CaprelLibrary::GetAttributeValue(int32_t element, const char* name, char* buffer,
                                         uint32_t size, uint32_t* count) {
    if (!document_) {
        SetLastError("GetAttribute_Caprel() called prior to Open_Caprel()");
        return 0;
    }
    if (!count) {
        SetLastError("GetAttribute_Caprel() called with NULL bytes read");
        return 0;
    }
    *count = 0;
    const int32_t slot = Resolve(element, "GetAttribute_Caprel");
    if (slot < 0) return 0;
    if (!name) {
        SetLastError("GetAttribute_Caprel() called with NULL attribute name");
        return 0;
    }
    const uint32_t owner = table_.ElementAt(slot);
    const std::optional<std::string_view> value = Elements().FindAttribute(owner, name);
    if (!value) {
        // Where to look: the element and the line of its start tag.
        document_->SetError(kv::text::Format("Attribute %s not found in element %s on line %d",
                                             name, std::string(Elements().GetName(owner)).c_str(),
                                             Elements().GetLineNumber(owner)));
        TakeDocumentError();
        return 0;
    }
    CopyText(*value, buffer, size, count);
    Succeeded();
    return 1;
}

int32_t CaprelLibrary::GetElementLineCount(int32_t element, int32_t* lines) {
    if (!document_) {
        SetLastError("GetElementLineCount_Caprel() called prior to Open_Caprel()");
        return 0;
    }
    if (!lines) {
        SetLastError("GetLineCount called with NULL line count");
        return 0;
    }
    *lines = 0;
    const int32_t slot = Resolve(element, "GetElementLineCount_Caprel");
    if (slot < 0) return 0;
    *lines = static_cast<int32_t>(Elements().GetLineCount(table_.ElementAt(slot)));
    Succeeded();
    return 1;
}

int32_t CaprelLibrary::GetElementLine(int32_t element, int32_t line, char* buffer, uint32_t size,
                                      uint32_t* count) {
    if (!document_) {
        SetLastError("GetElementLine_Caprel() called prior to Open_Caprel()");
        return 0;
    }
    if (!count) {
        SetLastError("GetLine called with NULL bytes read");
        return 0;
    }
    *count = 0;
    const int32_t slot = Resolve(element, "GetElementLine_Caprel");
    if (slot < 0) return 0;
    const uint32_t owner = table_.ElementAt(slot);
    if (line < 0 || static_cast<size_t>(line) >= Elements().GetLineCount(owner)) {
        document_->SetError("GetLine called with out of bound line index");
        TakeDocumentError();
        return 0;
    }
    CopyText(Elements().GetLine(owner, static_cast<size_t>(line)), buffer, size, count);
    Succeeded();
    return 1;
}

}  // namespace caprel
