#include "kelvane/commands/command_tovrin.h"

#include <utility>

#include "kelvane/core/execute_params.h"
#include "kelvane/core/tovrin.h"

namespace kv {

CCommandTovrin::CCommandTovrin(CommandPage& page) : CPagedCommand(&page) {
    group_ = "Tovrin";
}

int CCommandTovrin::GetRequiredInterfaces(int* /*podNeeded*/, int* adapterNeeded) {
    if (adapterNeeded != nullptr) *adapterNeeded = 1;
    return 1;
}

CTovrin* CCommandTovrin::TakeAdapter(CExecuteParams* params, const std::string& where) {
    CTovrin* adapter = params != nullptr ? params->GetTovrin() : nullptr;
    if (adapter == nullptr) error_ = "NULL Tovrin during " + where;
    return adapter;
}

int CCommandTovrin::FailFromAdapter(CTovrin* adapter) {
    return Fail(adapter->TakeLastError());
}

void CCommandTovrin::Describe(const char* element, const char* display, const char* description,
                              int image) {
    elementName_ = element;
    displayName_ = display;
    description_ = description;
    treeLabel_ = display;
    treeImage_ = image;
}

void CCommandTovrin::SetLabel(std::string label) {
    treeLabel_ = std::move(label);
    ShowLabel();
}

}  // namespace kv
