// Intel HEX image files.
#pragma once

#include <cstdint>

#include "kelvane/core/hex_image_file.h"

namespace kv {

class CIntelHexFile : public CHexImageFile {
  public:
    explicit CIntelHexFile(const HexImageBuild& build = kProgramHexBuild) : CHexImageFile(build) {}

    const char* GetClassName() const override { return "CIntelHexFile"; }

  protected:
    int WriteFile() override;
    int ReadFile() override;
    int FinishFile() override { return 1; }
    int ParseLine(const std::string& line, std::string* lineError) override;
    void WriteBlockText(const CHexBlock& block, const std::uint8_t* data,
                        std::string* out) override;
    void WriteEndText(std::string* out) override;

  private:
    std::uint32_t base_ = 0;          // extended address base of the reader
    bool segmentBase_ = false;        // the base came from a segment address record
    std::uint32_t writtenUpper_ = 0;  // upper 16 address bits the writer last announced
};

}  // namespace kv
