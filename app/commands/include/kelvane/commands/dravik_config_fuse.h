// ConfigFuse: programs the chip's device-type configuration fuses. A pod
// command outside the Dravik family (its group is the tree item's default);
// loaded from project files only.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/commands/command_attributes.h"
#include "kelvane/commands/command_class.h"
#include "kelvane/commands/paged_command.h"

namespace kv {

class CCommandDravik_ConfigFuse : public CPagedCommand {
  public:
    static constexpr const char* kElementName = "Dravik_ConfigFuse";

    CCommandDravik_ConfigFuse();

    static int DeclareElement(CStdioXMLFile& file);
    static int DeclareAttlist(CStdioXMLFile& file);
    static std::span<const CommandAttribute<CCommandDravik_ConfigFuse>> Attributes();

    int SetParameters(std::uint32_t deviceId);
    std::uint32_t GetDeviceID() const { return dwDeviceID; }

    // Needs the pod, like the Dravik family.
    int GetRequiredInterfaces(int* podNeeded, int* adapterNeeded) override;
    CProjectTreeItem* CreateNew() override { return new CCommandDravik_ConfigFuse; }
    int CopyTo(CProjectTreeItem* item) override;
    int OnExecute(CExecuteParams* params) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  private:
    std::uint32_t dwDeviceID = 0;
};

}  // namespace kv
