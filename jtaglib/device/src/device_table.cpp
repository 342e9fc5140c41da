#include "nandrel/device/device_table.h"

#include "nandrel/device/device_class.h"

namespace nandrel::device {
namespace {

// clang-format off
constexpr DeviceRow kDeviceTable[kDeviceCount] = {
    // row   name, {id 0, id 1, id 2, id 3, id 8, id 9, id 13}, fuse value, fuse mask, class
    /*  0 */ {"Device_unknown", {0x00, kAny, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00, 0},
    /*  1 */ {"Prototype_MSP430F11x1", {0xF1, 0x12, 0x00, 0x43, 0x00, 0x08, kAny}, kAny, 0x00, 1},
    /*  2 */ {"MSP430F11x1", {0xF1, 0x12, 0x10, 0x40, 0x00, 0x00, kAny}, kAny, 0x00, 2},
    /*  3 */ {"MSP430F133", {0xF1, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x05, 0x0F, 3},
    /*  4 */ {"MSP430F135", {0xF1, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x04, 0x0F, 4},
    /*  5 */ {"MSP430F147", {0xF1, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x02, 0x0F, 5},
    /*  6 */ {"MSP430F148", {0xF1, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x01, 0x0F, 6},
    /*  7 */ {"MSP430F149", {0xF1, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x0F, 7},
    /*  8 */ {"Preliminary_MSP430F413", {0xF4, 0x03, 0x00, 0x40, kAny, kAny, kAny}, kAny, 0x00, 8},
    /*  9 */ {"MSP430F41x", {0xF4, 0x13, 0x02, 0x40, kAny, kAny, kAny}, kAny, 0x00, 9},
    /* 10 */ {"MSP430F11x1A", {0xF1, 0x12, 0x13, kAny, 0x00, 0x00, kAny}, kAny, 0x00, 10},
    /* 11 */ {"MSP430F12x", {0xF1, 0x23, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00, 11},
    /* 12 */ {"MSP430F43x", {0xF4, 0x37, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00, 12},
    /* 13 */ {"MSP430F43x", {0xF4, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x02, 0x0F, 12},
    /* 14 */ {"MSP430F44x", {0xF4, 0x49, kAny, kAny, kAny, kAny, 0x00}, 0x00, 0x0F, 13},
    /* 15 */ {"Preliminary_MSP430F12x2", {0x12, 0x32, 0x00, 0x40, kAny, kAny, kAny}, kAny, 0x00, 14},
    /* 16 */ {"MSP430F11x2", {0x11, 0x32, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00, 15},
    /* 17 */ {"MSP430F12x2/F11x2", {0x12, 0x32, 0x10, 0x40, kAny, kAny, kAny}, kAny, 0x00, 16},
    /* 18 */ {"Preliminary_MSP430F16x", {0xF1, 0x69, 0x00, 0x40, kAny, kAny, kAny}, kAny, 0x00, 17},
    /* 19 */ {"MSP430FE423_P", {0xF4, 0x27, 0x00, kAny, kAny, kAny, 0x45}, 0x02, 0x1F, 18},
    /* 20 */ {"MSP430FE425_P", {0xF4, 0x27, 0x00, kAny, kAny, kAny, 0x45}, 0x01, 0x1F, 19},
    /* 21 */ {"MSP430FE427_P", {0xF4, 0x27, 0x00, kAny, kAny, kAny, 0x45}, 0x00, 0x1F, 20},
    /* 22 */ {"MSP430FE423_N", {0xF4, 0x27, 0x10, kAny, kAny, kAny, 0x45}, 0x02, 0x1F, 18},
    /* 23 */ {"MSP430FE425_N", {0xF4, 0x27, 0x10, kAny, kAny, kAny, 0x45}, 0x01, 0x1F, 19},
    /* 24 */ {"MSP430FE427_N", {0xF4, 0x27, 0x10, kAny, kAny, kAny, 0x45}, 0x00, 0x1F, 20},
    /* 25 */ {"MSP430FE423", {0xF4, 0x27, kAny, kAny, kAny, kAny, 0x45}, 0x02, 0x1F, 18},
    /* 26 */ {"MSP430FE425", {0xF4, 0x27, kAny, kAny, kAny, kAny, 0x45}, 0x01, 0x1F, 19},
    /* 27 */ {"MSP430FE427", {0xF4, 0x27, kAny, kAny, kAny, kAny, 0x45}, 0x00, 0x1F, 20},
    /* 28 */ {"MSP430F423", {0xF4, 0x27, kAny, kAny, kAny, kAny, 0x45}, 0x06, 0x1F, 21},
    /* 29 */ {"MSP430F425", {0xF4, 0x27, kAny, kAny, kAny, kAny, 0x45}, 0x05, 0x1F, 22},
    /* 30 */ {"MSP430F427", {0xF4, 0x27, kAny, kAny, kAny, kAny, 0x45}, 0x04, 0x1F, 23},
    /* 31 */ {"MSP430FW42x/F41x", {0xF4, 0x27, kAny, kAny, kAny, kAny, 0x57}, kAny, 0x00, 24},
    /* 32 */ {"MSP430F4230", {0xF4, 0x27, kAny, kAny, kAny, kAny, 0x47}, 0x02, 0x03, 25},
    /* 33 */ {"MSP430F4250", {0xF4, 0x27, kAny, kAny, kAny, kAny, 0x47}, 0x01, 0x03, 26},
    /* 34 */ {"MSP430F42x0", {0xF4, 0x27, kAny, kAny, kAny, kAny, 0x47}, 0x00, 0x03, 27},
    /* 35 */ {"MSP430F155", {0xF1, 0x69, kAny, kAny, kAny, kAny, kAny}, 0x06, 0x0F, 28},
    /* 36 */ {"MSP430F156", {0xF1, 0x69, kAny, kAny, kAny, kAny, kAny}, 0x05, 0x0F, 29},
    /* 37 */ {"MSP430F157", {0xF1, 0x69, kAny, kAny, kAny, kAny, kAny}, 0x04, 0x0F, 30},
    /* 38 */ {"MSP430F167", {0xF1, 0x69, kAny, kAny, kAny, kAny, kAny}, 0x02, 0x0F, 31},
    /* 39 */ {"MSP430F168", {0xF1, 0x69, kAny, kAny, kAny, kAny, kAny}, 0x01, 0x0F, 32},
    /* 40 */ {"MSP430F169", {0xF1, 0x69, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x0F, 33},
    /* 41 */ {"MSP430F1610", {0xF1, 0x6C, kAny, kAny, kAny, kAny, kAny}, 0x03, 0x07, 34},
    /* 42 */ {"MSP430F1611", {0xF1, 0x6C, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x07, 35},
    /* 43 */ {"MSP430F1612", {0xF1, 0x6C, kAny, kAny, kAny, kAny, kAny}, 0x06, 0x07, 36},
    /* 44 */ {"MSP430F169", {0xF1, 0x6C, kAny, kAny, kAny, kAny, kAny}, 0x07, 0x07, 33},
    /* 45 */ {"MSP430FG43x", {0xF4, 0x39, kAny, kAny, kAny, kAny, 0x47}, kAny, 0x00, 37},
    /* 46 */ {"MSP430FG4619", {0xF4, 0x6F, kAny, kAny, kAny, kAny, 0x47}, 0x00, 0x03, 38},
    /* 47 */ {"MSP430F21x1", {0xF2, 0x13, kAny, kAny, kAny, kAny, 0x01}, kAny, 0x00, 39},
    /* 48 */ {"TMS430FCAS001", {0xAF, 0x13, 0x90, kAny, kAny, kAny, kAny}, kAny, 0x00, 40},
    /* 49 */ {"TMS430FCAS003", {0xAF, 0x12, 0x50, kAny, kAny, kAny, kAny}, kAny, 0x00, 41},
    /* 50 */ {"TMS430ROMSHUTTLE", {0xA0, 0x54, 0x49, kAny, kAny, kAny, kAny}, kAny, 0x00, 42},
    /* 51 */ {"TMS430EMU", {0xAE, 0x10, 0x00, kAny, kAny, kAny, kAny}, kAny, 0x00, 43},
    /* 52 */ {"MSP430F20x3", {0xF2, 0x01, kAny, kAny, kAny, kAny, 0x03}, kAny, 0x00, 44},
    /* 53 */ {"MSP430F20x2", {0xF2, 0x01, kAny, kAny, kAny, kAny, 0x02}, kAny, 0x00, 45},
    /* 54 */ {"MSP430F20x1", {0xF2, 0x01, kAny, kAny, kAny, kAny, 0x01}, kAny, 0x00, 46},
    /* 55 */ {"MSP430F2234", {0xF2, 0x27, kAny, kAny, kAny, kAny, kAny}, 0x02, 0x07, 47},
    /* 56 */ {"MSP430F2254", {0xF2, 0x27, kAny, kAny, kAny, kAny, kAny}, 0x01, 0x07, 48},
    /* 57 */ {"MSP430F2274", {0xF2, 0x27, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x07, 49},
    /* 58 */ {"MSP430FG4618", {0xF4, 0x6F, kAny, kAny, kAny, kAny, 0x47}, 0x01, 0x03, 50},
    /* 59 */ {"MSP430F2330", {0xF2, 0x37, kAny, kAny, kAny, kAny, kAny}, 0x02, 0x03, 51},
    /* 60 */ {"MSP430F2350", {0xF2, 0x37, kAny, kAny, kAny, kAny, kAny}, 0x01, 0x03, 52},
    /* 61 */ {"MSP430F2370", {0xF2, 0x37, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x03, 53},
    /* 62 */ {"MSP430F2232", {0xF2, 0x27, kAny, kAny, kAny, kAny, kAny}, 0x06, 0x07, 54},
    /* 63 */ {"MSP430F2252", {0xF2, 0x27, kAny, kAny, kAny, kAny, kAny}, 0x05, 0x07, 55},
    /* 64 */ {"MSP430F2272", {0xF2, 0x27, kAny, kAny, kAny, kAny, kAny}, 0x04, 0x07, 56},
    /* 65 */ {"MSP430F2619", {0xF2, 0x6F, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x07, 57},
    /* 66 */ {"MSP430F2618", {0xF2, 0x6F, kAny, kAny, kAny, kAny, kAny}, 0x01, 0x07, 58},
    /* 67 */ {"MSP430F2419", {0xF2, 0x6F, kAny, kAny, kAny, kAny, kAny}, 0x04, 0x07, 59},
    /* 68 */ {"MSP430F2418", {0xF2, 0x6F, kAny, kAny, kAny, kAny, kAny}, 0x05, 0x07, 60},
    /* 69 */ {"MSP430FE423A", {0x42, 0x7A, kAny, kAny, kAny, kAny, 0x45}, 0x02, 0x1F, 61},
    /* 70 */ {"MSP430FE425A", {0x42, 0x7A, kAny, kAny, kAny, kAny, 0x45}, 0x01, 0x1F, 62},
    /* 71 */ {"MSP430FE427A", {0x42, 0x7A, kAny, kAny, kAny, kAny, 0x45}, 0x00, 0x1F, 63},
    /* 72 */ {"MSP430F423A", {0x42, 0x7A, kAny, kAny, kAny, kAny, 0x45}, 0x06, 0x1F, 64},
    /* 73 */ {"MSP430F425A", {0x42, 0x7A, kAny, kAny, kAny, kAny, 0x45}, 0x05, 0x1F, 65},
    /* 74 */ {"MSP430F427A", {0x42, 0x7A, kAny, kAny, kAny, kAny, 0x45}, 0x04, 0x1F, 66},
    /* 75 */ {"MSP430F4783", {0xF4, 0x49, kAny, kAny, kAny, kAny, 0x02}, 0x07, 0x07, 67},
    /* 76 */ {"MSP430F4784", {0xF4, 0x49, kAny, kAny, kAny, kAny, 0x02}, 0x03, 0x07, 68},
    /* 77 */ {"MSP430F4793", {0xF4, 0x49, kAny, kAny, kAny, kAny, 0x02}, 0x04, 0x07, 69},
    /* 78 */ {"MSP430F4794", {0xF4, 0x49, kAny, kAny, kAny, kAny, 0x02}, 0x00, 0x07, 70},
    /* 79 */ {"MSP430F249", {0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x00, 0x0F, 71},
    /* 80 */ {"MSP430F248", {0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x01, 0x0F, 72},
    /* 81 */ {"MSP430F247", {0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x02, 0x0F, 73},
    /* 82 */ {"MSP430F235", {0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x03, 0x0F, 74},
    /* 83 */ {"MSP430F2491", {0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x04, 0x0F, 75},
    /* 84 */ {"MSP430F2481", {0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x05, 0x0F, 76},
    /* 85 */ {"MSP430F2471", {0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x06, 0x0F, 77},
    /* 86 */ {"MSP430F233", {0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x07, 0x0F, 78},
    /* 87 */ {"MSP430F2410", {0xF2, 0x49, kAny, kAny, kAny, kAny, kAny}, 0x08, 0x0F, 79},
    /* 88 */ {"MSP430F2132", {0xF2, 0x13, kAny, kAny, kAny, kAny, 0x02}, 0x00, 0x03, 80},
    /* 89 */ {"MSP430F2122", {0xF2, 0x13, kAny, kAny, kAny, kAny, 0x02}, 0x01, 0x03, 81},
    /* 90 */ {"MSP430F2112", {0xF2, 0x13, kAny, kAny, kAny, kAny, 0x02}, 0x02, 0x03, 82},
    /* 91 */ {"End_of_devices", {0x00, kAny, kAny, kAny, kAny, kAny, kAny}, kAny, 0x00, 83},
};
// clang-format on

consteval bool TableIsWellFormed() {
    for (const DeviceRow& row : kDeviceTable) {
        if (row.name == nullptr || row.deviceClass >= kDeviceClassCount) return false;
        std::size_t length = 0;
        while (row.name[length] != '\0')
            ++length;
        if (length >= 32) return false;
    }
    return true;
}
static_assert(TableIsWellFormed());

}  // namespace

const DeviceRow* GetDeviceRow(std::uint32_t index) {
    return index < kDeviceCount ? &kDeviceTable[index] : nullptr;
}

bool RowMatches(const DeviceRow& row, const std::uint8_t* idBlockWithFuse) {
    for (std::size_t i = 0; i < kIdByteOffsets.size(); ++i) {
        if (row.id[i] != kAny && row.id[i] != idBlockWithFuse[kIdByteOffsets[i]]) return false;
    }
    if (row.fuseValue == kAny) return true;
    const std::uint16_t fuse = idBlockWithFuse[kIdBlockSize];
    return (row.fuseValue & row.fuseMask) == (fuse & row.fuseMask);
}

std::uint32_t IdentifyDeviceById(const std::uint8_t* idBlockWithFuse) {
    if (idBlockWithFuse == nullptr) return kUnknownDevice;
    for (std::uint32_t index = 0; index < kDeviceCount; ++index) {
        if (RowMatches(kDeviceTable[index], idBlockWithFuse)) return index;
    }
    return kUnknownDevice;
}

}  // namespace nandrel::device
