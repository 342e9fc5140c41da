#include "kelvane/ui/property_page_factory.h"

#include <functional>
#include <map>

#include "kelvane/commands/command_page.h"
#include "kelvane/ui/breakpoint_pages.h"
#include "kelvane/ui/buffer_pages.h"
#include "kelvane/ui/dravik_connection_pages.h"
#include "kelvane/ui/file_pages.h"
#include "kelvane/ui/general_command_pages.h"
#include "kelvane/ui/help_only_pages.h"
#include "kelvane/ui/parameter_pages.h"
#include "kelvane/ui/password_page.h"
#include "kelvane/ui/plugin_pages.h"
#include "kelvane/ui/run_control_pages.h"

namespace kv::ui {

namespace {

using Maker = std::function<std::unique_ptr<PropertyPage>()>;

template <class Page>
Maker Make() {
    return [] { return std::make_unique<Page>(); };
}

const std::map<std::string, Maker>& Makers() {
    static const std::map<std::string, Maker> makers = {
        {"Dravik_Open", Make<CDlgCmdDravik_Open>()},
        {"Dravik_Close", Make<CDlgCmdDravik_Close>()},
        {"Dravik_VCC", Make<CDlgCmdDravik_VCC>()},
        {"Dravik_Identify", Make<CDlgCmdDravik_Identify>()},
        {"Dravik_LockA", Make<CDlgCmdDravik_LockA>()},
        {"Tovrin_LockA", Make<CDlgCmdTovrin_LockA>()},
        {"Dravik_Erase", Make<CDlgCmdDravik_Erase>()},
        {"Tovrin_EraseSegment", Make<CDlgCmdTovrin_EraseSegment>()},
        {"Tovrin_LoadPC", Make<CDlgCmdTovrin_LoadPC>()},
        {"Dravik_ReadRegister", Make<CDlgCmdDravik_ReadRegister>()},
        {"Dravik_WriteRegister", Make<CDlgCmdDravik_WriteRegister>()},
        {"Dravik_VerifyRegister", Make<CDlgCmdDravik_VerifyRegister>()},
        {"Dravik_Reset", Make<CDlgCmdDravik_Reset>()},
        {"Dravik_Run", Make<CDlgCmdDravik_Run>()},
        {"Dravik_WaitForBreak", Make<CDlgCmdDravik_WaitForBreak>()},
        {"Dravik_SetBreakpoint", Make<CDlgCmdDravik_SetBreakpoint>()},
        {"Dravik_ClearBreakpoint", Make<CDlgCmdDravik_ClearBreakpoint>()},
        {"Dravik_ReadMemory", Make<CDlgCmdDravik_ReadMemory>()},
        {"Dravik_WriteMemory", Make<CDlgCmdDravik_WriteMemory>()},
        {"Dravik_VerifyMemory", Make<CDlgCmdDravik_VerifyMemory>()},
        {"Dravik_FillMemory", Make<CDlgCmdDravik_FillMemory>()},
        {"Tovrin_ReadMemory", Make<CDlgCmdTovrin_ReadMemory>()},
        {"Tovrin_WriteMemory", Make<CDlgCmdTovrin_WriteMemory>()},
        {"Tovrin_VerifyMemory", Make<CDlgCmdTovrin_VerifyMemory>()},
        {"Tovrin_FillMemory", Make<CDlgCmdTovrin_FillMemory>()},
        {"Comment", Make<CDlgCmdComment>()},
        {"Delay", Make<CDlgCmdDelay>()},
        {"UserWait", Make<CDlgCmdUserWait>()},
        {"AnalyzeResults", Make<CDlgCmdAnalyzeResults>()},
        {"AnalysisItem", Make<CDlgAnalysisItem>()},
        {"Serialize", Make<CDlgCmdSerialize>()},
        {"Overlay", Make<CDlgCmdOverlay>()},
        {"Tovrin_SetPassword", Make<CDlgCmdTovrin_SetPassword>()},
        {"Dravik_ProgramFile", Make<CDlgCmdDravik_ProgramFile>()},
        {"Dravik_VerifyFile", Make<CDlgCmdDravik_VerifyFile>()},
        {"Dravik_ReadProcessorToFile", Make<CDlgCmdDravik_ReadProcessorToFile>()},
        {"Dravik_ReadRangeToFile", Make<CDlgCmdDravik_ReadRangeToFile>()},
        {"Tovrin_WriteFile", Make<CDlgCmdTovrin_WriteFile>()},
        {"Tovrin_VerifyFile", Make<CDlgCmdTovrin_VerifyFile>()},
        {"Tovrin_ReadProcessorToFile", Make<CDlgCmdTovrin_ReadProcessorToFile>()},
        {"Tovrin_ReadRangeToFile", Make<CDlgCmdTovrin_ReadRangeToFile>()},
        {CDlgCmdDravik_BlowFuse::ElementName(), Make<CDlgCmdDravik_BlowFuse>()},
        {CDlgCmdDravik_SingleStep::ElementName(), Make<CDlgCmdDravik_SingleStep>()},
        {CDlgCmdDravik_Stop::ElementName(), Make<CDlgCmdDravik_Stop>()},
        {CDlgCmdTovrin_MassErase::ElementName(), Make<CDlgCmdTovrin_MassErase>()},
        {CDlgCmdTovrin_PowerOff::ElementName(), Make<CDlgCmdTovrin_PowerOff>()},
        {CDlgCmdTovrin_ResetTarget::ElementName(), Make<CDlgCmdTovrin_ResetTarget>()},
        {CDlgCmdTovrin_SeizeTarget::ElementName(), Make<CDlgCmdTovrin_SeizeTarget>()},
        {CDlgCmdTovrin_ResendPassword::ElementName(), Make<CDlgCmdTovrin_ResendPassword>()},
    };
    return makers;
}

}  // namespace

std::unique_ptr<PropertyPage> CreatePropertyPageFor(const std::string& elementName) {
    const auto found = Makers().find(elementName);
    if (found == Makers().end()) return nullptr;
    return found->second();
}

void InstallPropertyPageFactory() {
    SetCommandPageFactory(&CreatePropertyPageFor);
}

}  // namespace kv::ui
