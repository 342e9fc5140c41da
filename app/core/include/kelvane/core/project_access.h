// What the tree items and the operations need of the project that owns them.
// The project implements it.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

class CPrgOperation;

class ProjectAccess {
  public:
    virtual ~ProjectAccess() = default;
    virtual std::string GetName() const = 0;
    // Stores a different name and marks the document modified.
    virtual void SetName(const std::string& name) = 0;
    virtual std::string GetTargetProcessorName() const = 0;
    virtual void SetTargetProcessorName(const std::string& name) = 0;
    // The default target supply in millivolts.
    virtual std::uint32_t GetVcc() const = 0;
    // Stores a different VCC, offers it to the prototypes and built-in
    // operations and marks the document modified.
    virtual void SetVcc(std::uint32_t vcc) = 0;
    virtual CPrgOperation* GetCommandList() = 0;
};

// Millivolts as volts with one decimal: 3300 gives "3.3v".
std::string FormatVcc(std::uint32_t millivolts);

}  // namespace kv
