// TI-TXT image files.
#pragma once

#include <cstdint>

#include "kelvane/core/hex_image_file.h"

namespace kv {

class CTextHexFile : public CHexImageFile {
  public:
    // At most this many bytes on one data line.
    static constexpr int kMaxLineBytes = 128;

    explicit CTextHexFile(const HexImageBuild& build = kProgramHexBuild) : CHexImageFile(build) {}

    const char* GetClassName() const override { return "CTextHexFile"; }
    // Whether the last line read that was not empty is the end line 'q': a
    // file without it may have been cut short.
    bool EndsWithEndLine() const { return endLine_; }

  protected:
    int WriteFile() override;
    int ReadFile() override;
    int FinishFile() override { return 1; }
    int ParseLine(const std::string& line, std::string* lineError) override;
    void WriteBlockText(const CHexBlock& block, const std::uint8_t* data,
                        std::string* out) override;
    void WriteEndText(std::string* out) override;

  private:
    std::uint32_t loadAddress_ = 0;  // reader
    bool endLine_ = false;           // reader: the last line was 'q'
    int column_ = 0;                 // writer: bytes on the current line
    std::uint32_t nextAddress_ = 0;  // writer: where the previous block ended
    bool haveAddress_ = false;       // writer: an address line has been written
};

}  // namespace kv
