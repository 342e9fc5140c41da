// Roles a few command classes play for the built-in operations, which set
// their parameters before every run.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

class CPrgProcessor;

// The read-to-file commands of the pod and of the adapter.
class ReadToFileCommand {
  public:
    virtual ~ReadToFileCommand() = default;
    // File type 1 is TI-TXT, 2 Intel HEX; anything else fails.
    virtual int SetReadFile(const std::string& fileName, int fileType) = 0;
    virtual int SetReadRange(std::uint32_t address, std::uint32_t length) = 0;
    // Progress units reading the whole processor takes; 0 on failure.
    virtual int GetProcessorReadUnits(CPrgProcessor* processor) = 0;
};

// The pod's Open command: the supply it switches on.
class VccCommand {
  public:
    virtual ~VccCommand() = default;
    virtual int SetVccParameter(std::uint32_t vcc) = 0;
};

}  // namespace kv

namespace kv {

// File commands: a name given as a full path stays a full path in the file.
class FileCommand {
  public:
    virtual ~FileCommand() = default;
    virtual void SetKeepFullPath() = 0;
};

}  // namespace kv
