#include "kelvane/core/prg_processor.h"

#include <caprel/caprel.h>

#include <algorithm>
#include <utility>

#include "kelvane/core/emulation_module.h"
#include "kelvane/core/map_parameter_xml.h"
#include "kelvane/core/xml_reading.h"
#include "kelvane/platform/format.h"

namespace kv {

namespace {

// start <= address <= start + size - 1, without wrapping: an empty area holds
// nothing, and an area reaching the top of the address space ends there.
bool InArea(std::uint32_t address, std::uint32_t start, std::uint32_t size) {
    return address >= start && std::uint64_t{address} - start < size;
}

}  // namespace

int CPrgProcessor::ReadXml(std::int32_t element, CMapParameterXML& booleanMap,
                           CMapParameterXML& emulationLevelMap, CMapParameterXML& configureMap) {
    if (!GetXmlAttribute(element, "Name", Name, error_)) return 0;

    struct Flag {
        const char* name;
        CMapParameterXML* map;
        std::int32_t* value;
    };
    std::int32_t locka = 0;
    std::int32_t msp430x = 0;
    const Flag flags[] = {{"bHasLOCKA", &booleanMap, &locka},
                          {"bIsMSP430X", &booleanMap, &msp430x},
                          {"nEMEX", &emulationLevelMap, &nEMEX}};
    for (const Flag& flag : flags) {
        if (!flag.map->ReadAttributeLONG(element, flag.name, flag.value)) {
            error_ = flag.map->TakeError();
            return 0;
        }
    }
    bHasLOCKA = locka != 0 ? 1 : 0;
    bIsMSP430X = msp430x != 0 ? 1 : 0;

    struct Layout {
        const char* name;
        std::uint32_t* value;
    };
    const Layout layout[] = {{"InfoStart", &InfoStart}, {"InfoSize", &InfoSize},
                             {"InfoSeg", &InfoSeg},     {"MainStart", &MainStart},
                             {"MainSize", &MainSize},   {"MainSeg", &MainSeg}};
    for (const Layout& field : layout)
        if (!ReadXmlDwordHex(element, field.name, *field.value, error_)) return 0;
    // The RAM blocks are optional: a list without them leaves the RAM unknown.
    const Layout ram[] = {{"RamStart", &RamStart},
                          {"RamSize", &RamSize},
                          {"Ram2Start", &Ram2Start},
                          {"Ram2Size", &Ram2Size}};
    RamStart = RamSize = Ram2Start = Ram2Size = 0;
    for (std::size_t block = 0; block < 2; ++block) {
        std::string present;
        std::string absent;
        if (!GetXmlAttribute(element, ram[2 * block].name, present, absent)) continue;
        for (const Layout& field : {ram[2 * block], ram[2 * block + 1]})
            if (!ReadXmlDwordHex(element, field.name, *field.value, error_)) return 0;
    }

    deviceTypes_.clear();
    for (std::int32_t child = GetFirstNamedChildElement_Caprel(element, "DeviceType"); child != -1;
         child = GetNextNamedChildElement_Caprel(element, child, "DeviceType")) {
        std::string name;
        if (!GetXmlAttribute(child, "Name", name, error_)) return 0;
        deviceTypes_.push_back(std::move(name));
    }

    configureCount_ = 0;
    for (std::int32_t child = GetFirstNamedChildElement_Caprel(element, "Configure"); child != -1;
         child = GetNextNamedChildElement_Caprel(element, child, "Configure")) {
        std::int32_t mode = 0;
        std::int32_t value = 0;
        if (!configureMap.ReadAttributeLONG(child, "nMode", &mode) ||
            !configureMap.ReadAttributeLONG(child, "nValue", &value)) {
            error_ = configureMap.TakeError();
            return 0;
        }
        if (!AddConfigure(mode, value)) return 0;
    }
    return 1;
}

bool CPrgProcessor::HasDeviceType(const std::string& name) const {
    return std::find(deviceTypes_.begin(), deviceTypes_.end(), name) != deviceTypes_.end();
}

int CPrgProcessor::GetConfigureMode(int index, std::int32_t* mode, std::int32_t* value) {
    if (index < 0 || index >= configureCount_) {
        error_ = "Invalid configuration mode index " + std::to_string(index);
        return 0;
    }
    if (!value) {
        error_ = "Unable to write NULL configuration value";
        return 0;
    }
    if (!mode) {
        error_ = "Unable to write NULL configuration mode";
        return 0;
    }
    *mode = configureModes_[static_cast<std::size_t>(index)];
    *value = configureValues_[static_cast<std::size_t>(index)];
    return 1;
}

int CPrgProcessor::AddConfigure(std::int32_t mode, std::int32_t value) {
    if (configureCount_ >= kMaxConfigure) {
        error_ =
            "Maximum configuration mode count (" + std::to_string(kMaxConfigure) + ") exceeded";
        return 0;
    }
    configureModes_[static_cast<std::size_t>(configureCount_)] = mode;
    configureValues_[static_cast<std::size_t>(configureCount_)] = value;
    ++configureCount_;
    return 1;
}

CEmulationModule* CPrgProcessor::GetEmulationModule() const {
    return kv::GetEmulationModule(nEMEX);
}

bool CPrgProcessor::IsInInfoMemory(std::uint32_t address) const {
    return InArea(address, InfoStart, InfoSize);
}

bool CPrgProcessor::IsInMainMemory(std::uint32_t address) const {
    return InArea(address, MainStart, MainSize);
}

std::string RangePastTheEnd(const CPrgProcessor* processor, std::uint32_t address,
                            std::uint32_t length) {
    if (processor == nullptr || length == 0) return {};
    const std::uint64_t last = std::uint64_t{processor->MainStart} + processor->MainSize - 1;
    const std::uint64_t end = std::uint64_t{address} + length - 1;
    if (end <= last) return {};
    const int digits = processor->GetAddressDigits();
    return text::Format("The range %0*llX-%0*llX ends past %0*llX, the last address of the %s",
                        digits, static_cast<unsigned long long>(address), digits,
                        static_cast<unsigned long long>(end), digits,
                        static_cast<unsigned long long>(last),
                        processor->GetName().c_str());
}

bool CPrgProcessor::IsInRam(std::uint32_t address) const {
    return InArea(address, RamStart, RamSize) || InArea(address, Ram2Start, Ram2Size);
}

int CPrgProcessor::GetSegmentMap(std::uint32_t start, std::uint32_t length, SegmentMap* map) {
    if (!map) {
        error_ = "Unable to write NULL segment map";
        return 0;
    }
    if (length == 0) {
        error_ = "Unable to map segments of an empty range";
        return 0;
    }
    const std::uint64_t end = std::uint64_t{start} + length - 1;
    if (end > 0xFFFFFFFFu) {
        error_ = "Segments must be in info or main flash, not both";
        return 0;
    }
    const auto last = static_cast<std::uint32_t>(end);

    std::uint64_t base = 0;
    std::uint64_t size = 0;
    std::uint64_t partial = 0;
    const char* const mixed = "Segments must be in info or main flash, not both";
    if (IsInInfoMemory(start)) {
        if (!IsInInfoMemory(last)) {
            error_ = mixed;
            return 0;
        }
        base = InfoStart;
        size = InfoSeg;
    } else if (IsInMainMemory(start) && IsInMainMemory(last)) {
        base = MainStart;
        size = MainSeg;
        if (size != 0) partial = MainSize % size;
    } else {
        error_ = mixed;
        return 0;
    }
    if (size == 0) {
        error_ = "Unable to map segments of " + Name + " with a segment size of 0";
        return 0;
    }

    SegmentMap result;
    result.segmentSize = static_cast<std::uint32_t>(size);
    if (partial != 0 && start < base + partial) {
        result.partialStart = static_cast<std::uint32_t>(base);
        result.partialSize = static_cast<std::uint32_t>(partial);
    }
    bool first = true;
    for (std::uint64_t segment = base + partial; segment <= end; segment += size) {
        if (segment + size - 1 < start) continue;
        if (first) {
            result.firstSegment = static_cast<std::uint32_t>(segment);
            first = false;
        }
        ++result.segmentCount;
    }
    *map = result;
    return 1;
}

std::string CPrgProcessor::TakeLastError() {
    return std::exchange(error_, std::string());
}

}  // namespace kv
