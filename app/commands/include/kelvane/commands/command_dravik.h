// The base of every pod command: its group is "Dravik" and every command of
// the family makes a run open the pod.
#pragma once

#include <string>

#include "kelvane/commands/paged_command.h"

namespace kv {

class CDravik;
class CExecuteParams;

class CCommandDravik : public CPagedCommand {
  public:
    explicit CCommandDravik(CommandPage* page);

    // Sets the pod flag; the adapter flag stays as it is.
    int GetRequiredInterfaces(int* podNeeded, int* adapterNeeded) override;

  protected:
    // The run's pod; nullptr with "NULL Dravik during <where>" as the error.
    CDravik* TakePod(CExecuteParams* params, const std::string& where);
    // Moves the pod's error text into the command; returns 0.
    int FailFromPod(CDravik* pod);
};

}  // namespace kv
