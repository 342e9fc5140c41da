#include "module430.h"

#include <algorithm>
#include <cstring>

namespace nandrel {

namespace {

// Never destroyed: a module left open at exit must not be torn down after the
// platform's USB registry is gone.
std::unique_ptr<CModule430>& moduleSlot() {
    static auto* module = new std::unique_ptr<CModule430>;
    return *module;
}

char libraryTextBuffer[kLibraryTextSize] = "No error";

}  // namespace

bool CModule430::Open() {
    interface_.reset();
    interface_ = std::make_unique<CInterfaceJTAG>();
    return true;
}

CInterfaceJTAG* CModule430::GetInterfaceByIndex(int32_t index) {
    if (!interface_) return nullptr;
    if (index != 0) {
        errorText_ = "Index provided to GetInterfaceByIndex() exceeds available interfaces";
        return nullptr;
    }
    return interface_.get();
}

CModule430* theModule() {
    return moduleSlot().get();
}

void setModule(std::unique_ptr<CModule430> module) {
    moduleSlot().reset();
    moduleSlot() = std::move(module);
}

void setLibraryText(const std::string& text) {
    const size_t n = std::min(text.size(), kLibraryTextSize - 1);
    std::memcpy(libraryTextBuffer, text.data(), n);
    libraryTextBuffer[n] = '\0';
}

const char* libraryText() {
    return libraryTextBuffer;
}

}  // namespace nandrel
