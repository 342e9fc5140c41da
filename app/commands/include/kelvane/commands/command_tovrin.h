// The adapter command family: every command that works through the Tovrin
// bootstrap-loader adapter makes a run open the adapter, never the pod.
#pragma once

#include <string>

#include "kelvane/commands/paged_command.h"

namespace kv {

class CExecuteParams;
class CTovrin;

class CCommandTovrin : public CPagedCommand {
  public:
    explicit CCommandTovrin(CommandPage& page);

    // Sets the adapter flag; the pod flag stays as it is.
    int GetRequiredInterfaces(int* podNeeded, int* adapterNeeded) override;

  protected:
    // The run's adapter; nullptr with "NULL Tovrin during <where>" as the
    // error.
    CTovrin* TakeAdapter(CExecuteParams* params, const std::string& where);
    // Moves the adapter's error text into the command; returns 0.
    int FailFromAdapter(CTovrin* adapter);
    // Sets the fields of the Add New Command list and the first label.
    void Describe(const char* element, const char* display, const char* description, int image);
    // Sets and shows a rebuilt label.
    void SetLabel(std::string label);
};

}  // namespace kv
