#include "interface_jtag.h"

#include "text_format.h"

namespace nandrel {

CInterfaceJTAG::~CInterfaceJTAG() {
    Close();
}

bool CInterfaceJTAG::Open() {
    Close();
    ports_ = std::make_unique<CArrayPortJTAG>();
    ports_->add(std::make_unique<CPortJTAG>());
    record_.fill(this, this, NANDREL_KIND_INTERFACE);
    return true;
}

void CInterfaceJTAG::Close() {
    if (ports_) {
        ports_->closeAll();
        ports_->deleteAll();
        ports_.reset();
    }
    record_.clear();
}

CPortJTAG* CInterfaceJTAG::GetPortByIndex(int32_t index) {
    if (!ports_) {
        errorText_ = "NULL port array";
        return nullptr;
    }
    if (index < 0 || index >= ports_->size()) {
        errorText_ = format("Invalid port index %d", index);
        return nullptr;
    }
    return ports_->at(index);
}

}  // namespace nandrel
