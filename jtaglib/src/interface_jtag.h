// The one interface of the module: the Dravik pod hardware, with its one port.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "handles.h"
#include "owned_array.h"
#include "port_jtag.h"

namespace nandrel {

using CArrayPortJTAG = OwnedArray<CPortJTAG>;

inline constexpr const char* kInterfaceVersion = "v02.03.03c";

class CInterfaceJTAG {
  public:
    CInterfaceJTAG() = default;
    ~CInterfaceJTAG();
    CInterfaceJTAG(const CInterfaceJTAG&) = delete;
    CInterfaceJTAG& operator=(const CInterfaceJTAG&) = delete;

    bool Open();
    void Close();
    CPortJTAG* GetPortByIndex(int32_t index);
    int32_t portCount() const { return ports_ ? ports_->size() : 0; }

    const std::string& errorText() const { return errorText_; }
    void setErrorText(std::string text) { errorText_ = std::move(text); }
    const std::string& name() const { return name_; }
    NANDREL_HANDLE handle() { return record_.handle(); }

  private:
    HandleRecord record_;
    std::string errorText_ = "No error";
    std::string name_ = "Dravik";
    std::unique_ptr<CArrayPortJTAG> ports_;
};

}  // namespace nandrel
