// One entry of the processor list: an MSP430 device a project can target, with
// the layout of its information and main flash, its LOCKA and MSP430X flags,
// its emulation level, the device-type names the JTAG library may report for it
// and the configuration pairs Identify applies before identification.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kv {

class CEmulationModule;
class CMapParameterXML;

// Where a flash range falls in segments (GetSegmentMap).
struct SegmentMap {
    std::uint32_t firstSegment = 0;
    std::uint32_t segmentSize = 0;
    std::uint32_t segmentCount = 0;
    // The short segment at the start of main flash, when the range touches it.
    std::uint32_t partialStart = 0;
    std::uint32_t partialSize = 0;
};

class CPrgProcessor {
  public:
    static constexpr int kMaxConfigure = 32;

    CPrgProcessor() = default;
    virtual ~CPrgProcessor() = default;

    // Reads a "Processor" element of the open document. Every map must be set.
    int ReadXml(std::int32_t element, CMapParameterXML& booleanMap,
                CMapParameterXML& emulationLevelMap, CMapParameterXML& configureMap);

    const std::string& GetName() const { return Name; }
    bool HasDeviceType(const std::string& name) const;
    const std::vector<std::string>& GetDeviceTypes() const { return deviceTypes_; }

    int GetConfigureCount() const { return configureCount_; }
    int GetConfigureMode(int index, std::int32_t* mode, std::int32_t* value);
    // Appends a pair; fails beyond kMaxConfigure.
    int AddConfigure(std::int32_t mode, std::int32_t value);

    // 5 for an MSP430X processor, else 4.
    int GetAddressDigits() const { return bIsMSP430X ? 5 : 4; }
    CEmulationModule* GetEmulationModule() const;
    bool IsInInfoMemory(std::uint32_t address) const;
    bool IsInMainMemory(std::uint32_t address) const;
    // In either RAM block (false while the list gives no RAM).
    bool IsInRam(std::uint32_t address) const;
    bool RamKnown() const { return RamSize != 0; }
    int GetSegmentMap(std::uint32_t start, std::uint32_t length, SegmentMap* map);

    const std::string& GetLastError() const { return error_; }
    // Moves the error text out and leaves it empty.
    std::string TakeLastError();

    std::string Name = "Unknown";
    std::uint32_t InfoStart = 0;
    std::uint32_t InfoSize = 0;
    std::uint32_t InfoSeg = 0;
    std::uint32_t MainStart = 0;
    std::uint32_t MainSize = 0;
    std::uint32_t MainSeg = 0;
    // RAM, and the second RAM block of the larger parts (sizes 0: none given).
    std::uint32_t RamStart = 0;
    std::uint32_t RamSize = 0;
    std::uint32_t Ram2Start = 0;
    std::uint32_t Ram2Size = 0;
    int bHasLOCKA = 0;
    int bIsMSP430X = 0;
    std::int32_t nEMEX = 0;

  private:
    std::string error_ = "No error";
    std::vector<std::string> deviceTypes_;
    int configureCount_ = 0;
    std::array<std::int32_t, kMaxConfigure> configureModes_{};
    std::array<std::int32_t, kMaxConfigure> configureValues_{};
};

// Empty when a read of the range ends at or before the processor's last
// address (the end of its main memory) or no processor is chosen; else the
// refusal that names the range's end.
std::string RangePastTheEnd(const CPrgProcessor* processor, std::uint32_t address,
                            std::uint32_t length);

}  // namespace kv
