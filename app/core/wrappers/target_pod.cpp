#include "kelvane/core/target_pod.h"

#include <utility>

namespace kv {

int CTargetPod::Reopen() {
    Close();
    return Open() != 0 ? 1 : 0;
}

void CTargetPod::GetLastError(std::string& text) {
    text = std::move(error_);
    error_.clear();
}

std::string CTargetPod::TakeLastError() {
    std::string text;
    GetLastError(text);
    return text;
}

}  // namespace kv
