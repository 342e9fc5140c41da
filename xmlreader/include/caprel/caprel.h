// Caprel: reads an XML text file with an internal DTD into an element tree and offers it
// through element handles.
//
// The library holds at most one document. Element handles are signed 32-bit values, -1 for
// none, valid until Close_Caprel or the next Open_Caprel; a handle that does not belong to the
// open document makes the call fail with a text. Every call that fails leaves a text that
// GetLastError_Caprel copies out; a call that succeeds empties it.
//
// Text results follow one copy rule: the out-count is set to 0 first; with a null buffer it
// receives the size needed (length plus one) and nothing is copied; otherwise at most size - 1
// characters are copied, the copy is terminated and the out-count is the number copied. A size
// of 0 copies nothing and writes nothing into the buffer.
#ifndef CAPREL_CAPREL_H
#define CAPREL_CAPREL_H

#include <stdint.h>

#if defined(__GNUC__)
#define CAPREL_EXPORT __attribute__((visibility("default")))
#else
#define CAPREL_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Opens, parses and validates the file; 1 when it is now the current document, else 0 and no
// document is open. The caller value is carried along and never read.
CAPREL_EXPORT int32_t Open_Caprel(const char* pszPath, intptr_t nCallerValue);
// Frees the current document and all its elements, if any.
CAPREL_EXPORT void Close_Caprel(void);
CAPREL_EXPORT int32_t IsOpen_Caprel(void);

CAPREL_EXPORT int32_t GetRootElement_Caprel(void);
CAPREL_EXPORT int32_t GetFirstChildElement_Caprel(int32_t hElement);
CAPREL_EXPORT int32_t GetNextChildElement_Caprel(int32_t hParent, int32_t hChild);
CAPREL_EXPORT int32_t GetFirstNamedChildElement_Caprel(int32_t hElement, const char* pszName);
CAPREL_EXPORT int32_t GetNextNamedChildElement_Caprel(int32_t hParent, int32_t hChild,
                                                      const char* pszName);

CAPREL_EXPORT int32_t GetElementName_Caprel(int32_t hElement, char* pBuffer, uint32_t nSize,
                                            uint32_t* pnCount);
CAPREL_EXPORT int32_t GetAttributeValue_Caprel(int32_t hElement, const char* pszName, char* pBuffer,
                                               uint32_t nSize, uint32_t* pnCount);
CAPREL_EXPORT int32_t GetElementLineCount_Caprel(int32_t hElement, int32_t* pnLines);
CAPREL_EXPORT int32_t GetElementLine_Caprel(int32_t hElement, int32_t nLine, char* pBuffer,
                                            uint32_t nSize, uint32_t* pnCount);

// Null buffer: the size needed. Otherwise the number of characters copied.
CAPREL_EXPORT int32_t GetLastError_Caprel(char* pBuffer, uint32_t nSize);

// Stores a window, a message number and a value for progress notifications; none are sent.
CAPREL_EXPORT void RegisterHWND_Caprel(void* hWnd, uint32_t nMessage, intptr_t nValue);
// "00.01.01"
CAPREL_EXPORT const char* GetVersion_Caprel(void);

#ifdef __cplusplus
}
#endif

#endif  // CAPREL_CAPREL_H
