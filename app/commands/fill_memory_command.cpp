#include "kelvane/commands/fill_memory_command.h"

#include "kelvane/commands/dravik_memory_commands.h"
#include "kelvane/commands/tovrin_memory_commands.h"
#include "kelvane/core/stdio_xml_file.h"
#include "kelvane/core/tree_ui.h"
#include "kelvane/core/xml_reading.h"

namespace kv {

template <class Buffer>
int CFillMemoryCommand<Buffer>::CheckPatternCount(std::uint32_t patternCount, std::uint32_t count,
                                                  std::string& error) {
    if (patternCount > count) {
        error = "Pattern count must be less than or equal to the symbol count";
        return 0;
    }
    // An empty pattern still loads and saves; the run refuses it, since it
    // has nothing to repeat.
    return 1;
}

template <class Buffer>
int CFillMemoryCommand<Buffer>::SetParameters(std::uint32_t address, std::uint32_t count,
                                              std::uint16_t type, std::uint32_t patternCount) {
    if (!CheckPatternCount(patternCount, count, this->error_)) return 0;
    if (!Buffer::SetParameters(address, count, type)) return 0;
    dwPatternCount = patternCount;
    return 1;
}

template <class Buffer>
int CFillMemoryCommand<Buffer>::SetPatternCount(std::uint32_t patternCount) {
    if (patternCount == dwPatternCount) return 1;
    if (!CheckPatternCount(patternCount, this->dwCount, this->error_)) return 0;
    dwPatternCount = patternCount;
    SetDocumentModified(1);
    return 1;
}

template <class Buffer>
std::span<const CommandAttribute<CFillMemoryCommand<Buffer>>>
CFillMemoryCommand<Buffer>::Attributes() {
    using T = CFillMemoryCommand<Buffer>;
    static constexpr CommandAttribute<T> kAttributes[] = {
        {.name = "dwPatternCount", .form = AttributeForm::kHex, .dword = &T::dwPatternCount},
    };
    return kAttributes;
}

template <class Buffer>
int CFillMemoryCommand<Buffer>::DeclareFillAttributes(CStdioXMLFile& file) {
    return Buffer::DeclareBufferAttributes(file) && DeclareCommandAttributes(file, Attributes());
}

template <class Buffer>
int CFillMemoryCommand<Buffer>::CopyTo(CProjectTreeItem* item) {
    if (!Buffer::CopyTo(item)) return 0;
    CopyCommandAttributes(*this, *static_cast<CFillMemoryCommand*>(item), Attributes());
    return 1;
}

template <class Buffer>
int CFillMemoryCommand<Buffer>::RepeatPattern() {
    CValueBuffer& buffer = this->buffer_;
    if (!buffer.HasBuffer()) return this->Fail("Unable to fill memory from NULL buffer");
    const std::uint32_t length = buffer.GetLength();
    const std::uint32_t pattern = buffer.GetValueSize() * dwPatternCount;
    if (pattern == 0) return this->Fail("Unable to fill memory with an empty pattern");
    if (pattern > length)
        return this->Fail("Pattern count must be less than or equal to the symbol count");
    std::uint8_t* bytes = buffer.Data();
    for (std::uint32_t i = pattern; i < length; ++i)
        bytes[i] = bytes[i % pattern];
    return 1;
}

template <class Buffer>
int CFillMemoryCommand<Buffer>::WriteXMLAttributes(CStdioXMLFile& file) {
    return Buffer::WriteXMLAttributes(file) &&
           WriteCommandAttributes(file, *this, Attributes(), this->error_);
}

template <class Buffer>
int CFillMemoryCommand<Buffer>::WriteXMLContent(CStdioXMLFile& file) {
    if (!this->buffer_.WriteText(file, dwPatternCount)) return this->Fail(file.TakeError());
    return 1;
}

template <class Buffer>
int CFillMemoryCommand<Buffer>::ReadXMLParameters(std::int32_t element) {
    std::uint32_t address = 0, count = 0, patternCount = 0;
    std::uint16_t type = 0;
    if (!this->ReadBufferAttributes(element, address, count, type)) return 0;
    if (!ReadXmlDwordHex(element, Attributes()[0].name, patternCount, this->error_)) return 0;
    if (!SetParameters(address, count, type, patternCount))
        return this->Fail(this->error_ + " " + ElementPlace(element));
    return this->buffer_.ParseText(element, dwPatternCount, "FillMemory", this->error_);
}

template class CFillMemoryCommand<CCommandDravik_Buffer>;
template class CFillMemoryCommand<CCommandTovrin_Buffer>;

}  // namespace kv
