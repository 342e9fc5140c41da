// FillMemory of both families: the first dwPatternCount values of the buffer
// are the pattern, repeated over the whole range when the command runs.
// Buffer is CCommandDravik_Buffer or CCommandTovrin_Buffer; the member
// definitions are instantiated for both in fill_memory_command.cpp.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "kelvane/commands/command_attributes.h"

namespace kv {

class CProjectTreeItem;
class CStdioXMLFile;

template <class Buffer>
class CFillMemoryCommand : public Buffer {
  public:
    // The pattern is the first patternCount values; it may be neither empty
    // nor longer than the buffer.
    int SetParameters(std::uint32_t address, std::uint32_t count, std::uint16_t type,
                      std::uint32_t patternCount);
    int SetPatternCount(std::uint32_t patternCount);
    std::uint32_t GetPatternCount() const { return dwPatternCount; }

    static std::span<const CommandAttribute<CFillMemoryCommand>> Attributes();
    // The buffer's attribute lines, then the pattern count.
    static int DeclareFillAttributes(CStdioXMLFile& file);

    int CopyTo(CProjectTreeItem* item) override;
    int WriteXMLAttributes(CStdioXMLFile& file) override;
    int WriteXMLContent(CStdioXMLFile& file) override;
    int ReadXMLParameters(std::int32_t element) override;

  protected:
    using Buffer::Buffer;

    static int CheckPatternCount(std::uint32_t patternCount, std::uint32_t count,
                                 std::string& error);
    // Repeats the pattern over the buffer; 0 with the error when there is no
    // buffer or the pattern does not fit.
    int RepeatPattern();

    std::uint32_t dwPatternCount = 1;
};

}  // namespace kv
