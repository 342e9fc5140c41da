// The library's one module, holding its one interface; and the library-wide
// error text for calls made without a valid handle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "interface_jtag.h"

namespace nandrel {

inline constexpr const char* kModuleVersion = "02.03.03";
inline constexpr size_t kLibraryTextSize = 1024;

class CModule430 {
  public:
    bool Open();
    void Close() { interface_.reset(); }
    int32_t GetInterfaceCount() const { return interface_ ? 1 : 0; }
    CInterfaceJTAG* GetInterfaceByIndex(int32_t index);

    const std::string& errorText() const { return errorText_; }
    void setErrorText(std::string text) { errorText_ = std::move(text); }

  private:
    std::string errorText_ = "No error";
    std::unique_ptr<CInterfaceJTAG> interface_;
};

// The module in force, or null.
CModule430* theModule();
void setModule(std::unique_ptr<CModule430> module);

// The library-wide text: a copy, cut to 1023 characters.
void setLibraryText(const std::string& text);
const char* libraryText();

}  // namespace nandrel
