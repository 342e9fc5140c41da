// Exported functions of the module and interface families.
#include "exports_common.h"

using namespace nandrel;

extern "C" {

int32_t Nandrel_OpenModule(void) {
    return guarded(0, [] {
        setModule(nullptr);
        auto module = std::make_unique<CModule430>();
        if (!module->Open()) {
            setLibraryText(module->errorText());
            return 0;
        }
        setModule(std::move(module));
        return 1;
    });
}

void Nandrel_CloseModule(void) {
    guarded(0, [] {
        setModule(nullptr);
        return 0;
    });
}

int32_t Nandrel_IsOpen(void) {
    return theModule() ? 1 : 0;
}

const char* Nandrel_GetLastModuleError(void) {
    CModule430* m = theModule();
    return m ? m->errorText().c_str() : libraryText();
}

const char* Nandrel_GetModuleVersion(void) {
    return kModuleVersion;
}

int32_t Nandrel_GetInterfaceCount(void) {
    CModule430* m = theModule();
    return m ? m->GetInterfaceCount() : 0;
}

const char* Nandrel_GetInterfaceName(int32_t index) {
    CModule430* m = theModule();
    if (!m) return nullptr;
    CInterfaceJTAG* i = m->GetInterfaceByIndex(index);
    if (!i) {
        m->setErrorText("No such interface");
        return m->errorText().c_str();
    }
    return i->name().c_str();
}

NANDREL_HANDLE Nandrel_OpenInterface(int32_t index) {
    return guarded<NANDREL_HANDLE>(nullptr, [&]() -> NANDREL_HANDLE {
        CModule430* m = theModule();
        if (!m) return nullptr;
        CInterfaceJTAG* i = m->GetInterfaceByIndex(index);
        if (!i) {
            m->setErrorText("No such interface");
            return nullptr;
        }
        if (!i->Open()) {
            m->setErrorText(i->errorText());
            return nullptr;
        }
        return i->handle();
    });
}

void Nandrel_CloseInterface(NANDREL_HANDLE interfaceHandle) {
    guarded(0, [&] {
        auto* i =
            static_cast<CInterfaceJTAG*>(resolveHandle(interfaceHandle, NANDREL_KIND_INTERFACE));
        if (i) i->Close();
        return 0;
    });
}

const char* Nandrel_GetLastInterfaceError(NANDREL_HANDLE interfaceHandle) {
    CInterfaceJTAG* i = interfaceOf(interfaceHandle);
    return i ? i->errorText().c_str() : "NULL interface";
}

const char* Nandrel_GetInterfaceVersion(NANDREL_HANDLE interfaceHandle) {
    return interfaceOf(interfaceHandle) ? kInterfaceVersion : nullptr;
}

int32_t Nandrel_QueryInterfaceFeature(NANDREL_HANDLE interfaceHandle, uint32_t, void*, uint32_t,
                                      uint32_t* length) {
    if (length) *length = 0;
    return interfaceOf(interfaceHandle) ? 1 : 0;
}

int32_t Nandrel_GetPortCount(NANDREL_HANDLE interfaceHandle) {
    CInterfaceJTAG* i = interfaceOf(interfaceHandle);
    return i ? i->portCount() : 0;
}

const char* Nandrel_GetPortName(NANDREL_HANDLE interfaceHandle, int32_t index) {
    CInterfaceJTAG* i = interfaceOf(interfaceHandle);
    if (!i) return nullptr;
    CPortJTAG* p = i->GetPortByIndex(index);
    return p ? p->name().c_str() : nullptr;
}

NANDREL_HANDLE Nandrel_OpenPort(NANDREL_HANDLE interfaceHandle, int32_t index) {
    return guarded<NANDREL_HANDLE>(nullptr, [&]() -> NANDREL_HANDLE {
        CInterfaceJTAG* i = interfaceOf(interfaceHandle);
        if (!i) return nullptr;
        CPortJTAG* p = i->GetPortByIndex(index);
        if (!p) return nullptr;
        if (!p->Open()) {
            i->setErrorText(p->errorText());
            return nullptr;
        }
        return p->handle();
    });
}

}  // extern "C"
