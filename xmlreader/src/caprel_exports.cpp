// The exported interface. No exception leaves the library: a failure inside becomes the
// call's failure with a text.
#include <exception>
#include <new>

#include "caprel/caprel.h"
#include "caprel_library.h"

namespace {

using caprel::CaprelLibrary;

template <class Result, class Call>
Result Guarded(Result failed, Call&& call) noexcept {
    try {
        return call(CaprelLibrary::Instance());
    } catch (const std::bad_alloc&) {
        CaprelLibrary::Instance().SetLastError("Out of memory");
    } catch (const std::exception& error) {
        CaprelLibrary::Instance().SetLastError(error.what());
    } catch (...) {
        CaprelLibrary::Instance().SetLastError("Unexpected failure");
    }
    return failed;
}

}  // namespace

extern "C" {

int32_t Open_Caprel(const char* pszPath, intptr_t nCallerValue) {
    return Guarded(0, [&](CaprelLibrary& lib) { return lib.Open(pszPath, nCallerValue); });
}

void Close_Caprel(void) {
    CaprelLibrary::Instance().Close();
}

int32_t IsOpen_Caprel(void) {
    return CaprelLibrary::Instance().IsOpen() ? 1 : 0;
}

int32_t GetRootElement_Caprel(void) {
    return Guarded(-1, [](CaprelLibrary& lib) { return lib.GetRootElement(); });
}

int32_t GetFirstChildElement_Caprel(int32_t hElement) {
    return Guarded(-1, [&](CaprelLibrary& lib) { return lib.GetFirstChildElement(hElement); });
}

int32_t GetNextChildElement_Caprel(int32_t hParent, int32_t hChild) {
    return Guarded(-1,
                   [&](CaprelLibrary& lib) { return lib.GetNextChildElement(hParent, hChild); });
}

int32_t GetFirstNamedChildElement_Caprel(int32_t hElement, const char* pszName) {
    return Guarded(
        -1, [&](CaprelLibrary& lib) { return lib.GetFirstNamedChildElement(hElement, pszName); });
}

int32_t GetNextNamedChildElement_Caprel(int32_t hParent, int32_t hChild, const char* pszName) {
    return Guarded(-1, [&](CaprelLibrary& lib) {
        return lib.GetNextNamedChildElement(hParent, hChild, pszName);
    });
}

int32_t GetElementName_Caprel(int32_t hElement, char* pBuffer, uint32_t nSize, uint32_t* pnCount) {
    return Guarded(0, [&](CaprelLibrary& lib) {
        return lib.GetElementName(hElement, pBuffer, nSize, pnCount);
    });
}

int32_t GetAttributeValue_Caprel(int32_t hElement, const char* pszName, char* pBuffer,
                                 uint32_t nSize, uint32_t* pnCount) {
    return Guarded(0, [&](CaprelLibrary& lib) {
        return lib.GetAttributeValue(hElement, pszName, pBuffer, nSize, pnCount);
    });
}

int32_t GetElementLineCount_Caprel(int32_t hElement, int32_t* pnLines) {
    return Guarded(0,
                   [&](CaprelLibrary& lib) { return lib.GetElementLineCount(hElement, pnLines); });
}

int32_t GetElementLine_Caprel(int32_t hElement, int32_t nLine, char* pBuffer, uint32_t nSize,
                              uint32_t* pnCount) {
    return Guarded(0, [&](CaprelLibrary& lib) {
        return lib.GetElementLine(hElement, nLine, pBuffer, nSize, pnCount);
    });
}

int32_t GetLastError_Caprel(char* pBuffer, uint32_t nSize) {
    return CaprelLibrary::Instance().GetLastError(pBuffer, nSize);
}

void RegisterHWND_Caprel(void* hWnd, uint32_t nMessage, intptr_t nValue) {
    CaprelLibrary::Instance().RegisterWindow(hWnd, nMessage, nValue);
}

const char* GetVersion_Caprel(void) {
    return "00.01.01";
}

}  // extern "C"
