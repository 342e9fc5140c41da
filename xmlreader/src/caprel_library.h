// The library's one module object: the current document, its element handles, the last-error
// text and the registered window.
#ifndef CAPREL_CAPREL_LIBRARY_H
#define CAPREL_CAPREL_LIBRARY_H

#include <cstdint>
#include <memory>
#include <string_view>

#include "element_table.h"
#include "xml_document.h"

namespace caprel {

class CaprelLibrary {
  public:
    static constexpr size_t kErrorSize = 1024;

    static CaprelLibrary& Instance();

    int32_t Open(const char* path, intptr_t callerValue);
    void Close();
    bool IsOpen() const { return document_ != nullptr; }

    int32_t GetRootElement();
    int32_t GetFirstChildElement(int32_t element);
    int32_t GetNextChildElement(int32_t parent, int32_t child);
    int32_t GetFirstNamedChildElement(int32_t element, const char* name);
    int32_t GetNextNamedChildElement(int32_t parent, int32_t child, const char* name);
    int32_t GetElementName(int32_t element, char* buffer, uint32_t size, uint32_t* count);
    int32_t GetAttributeValue(int32_t element, const char* name, char* buffer, uint32_t size,
                              uint32_t* count);
    int32_t GetElementLineCount(int32_t element, int32_t* lines);
    int32_t GetElementLine(int32_t element, int32_t line, char* buffer, uint32_t size,
                           uint32_t* count);

    int32_t GetLastError(char* buffer, uint32_t size) const;
    void SetLastError(std::string_view text);
    void RegisterWindow(void* window, uint32_t message, intptr_t value);

  private:
    // Empties the last-error text: the call succeeded.
    void Succeeded() { lastError_[0] = '\0'; }
    // The slot of an element handle of the open document; -1 with a text naming the caller.
    int32_t Resolve(int32_t handle, const char* caller);
    // Moves the document's error text into the last-error text.
    void TakeDocumentError();
    int32_t FindNamed(int32_t parent, int32_t slot, const char* name) const;
    // The elements of the open document.
    const ElementStore& Elements() const;

    std::unique_ptr<CXML_Document> document_;
    ElementTable table_;
    uint32_t documentTag_ = 0;
    char lastError_[kErrorSize] = {};
    void* window_ = nullptr;
    uint32_t message_ = 0;
    intptr_t windowValue_ = 0;
};

// Copies a text by the library's copy rule.
void CopyText(std::string_view text, char* buffer, uint32_t size, uint32_t* count);

}  // namespace caprel

#endif  // CAPREL_CAPREL_LIBRARY_H
