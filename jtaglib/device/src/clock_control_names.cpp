#include "nandrel/device/clock_control_names.h"

#include "class_list.h"
#include "nandrel/device/device_class.h"
#include "nandrel/device/device_table.h"

namespace nandrel::device {
namespace {

struct ClockName {
    std::uint8_t bit;
    const char* name;
};

struct ClockNameRow {
    ClassList classes;
    std::array<ClockName, 16> names;  // unused entries stay {0, nullptr}
};

// Every class not listed here has no names at all.
// clang-format off
constexpr ClockNameRow kClockNameTable[] = {
    {{12, 37}, {{{1, "MCLK (Pin)"}, {2, "SMCLK (Pin)"}, {3, "ACLK (Pin)"}, {4, "ADC12"},
                 {5, "Flash Control"}, {7, "USART0"}, {10, "LCD Frequency"}, {11, "Basic Timer"},
                 {13, "TimerB"}, {14, "TimerA"}, {15, "Watchdog Timer"}}}},
    {{13}, {{{1, "MCLK (Pin)"}, {2, "SMCLK (Pin)"}, {3, "ACLK (Pin)"}, {4, "ADC12"},
             {5, "Flash Control"}, {6, "USART1"}, {7, "USART0"}, {10, "LCD Frequency"},
             {11, "Basic Timer"}, {13, "TimerB"}, {14, "TimerA"}, {15, "Watchdog Timer"}}}},
    {{17, 31, 32, 33, 34, 35, 36},
            {{{1, "MCLK (Pin)"}, {2, "SMCLK (Pin)"}, {3, "ACLK (Pin)"}, {4, "ADC12"},
              {5, "Flash Control"}, {6, "USART1"}, {7, "USART0"},
              {13, "TimerB"}, {14, "TimerA"}, {15, "Watchdog Timer"}}}},
    {{28, 29, 30},
            {{{1, "MCLK (Pin)"}, {2, "SMCLK (Pin)"}, {3, "ACLK (Pin)"}, {4, "ADC12"},
              {5, "Flash Control"}, {7, "USART0"},
              {13, "TimerB"}, {14, "TimerA"}, {15, "Watchdog Timer"}}}},
    {{38, 50}, {{{1, "MCLK (Pin)"}, {2, "SMCLK (Pin)"}, {3, "ACLK (Pin)"}, {4, "ADC12"},
                 {5, "Flash Control"}, {6, "USCI1"}, {7, "USART0"}, {10, "LCD Frequency"},
                 {11, "Basic Timer"}, {13, "TimerB"}, {14, "TimerA"}, {15, "Watchdog Timer"}}}},
    {{57, 58, 59, 60},
            {{{1, "MCLK (Pin)"}, {2, "SMCLK (Pin)"}, {3, "ACLK (Pin)"}, {4, "ADC12"},
              {5, "Flash Control"}, {6, "USCI1"}, {7, "USCI0"}, {11, "Basic Timer"},
              {13, "TimerB"}, {14, "TimerA"}, {15, "Watchdog Timer"}}}},
    {{67, 68, 69, 70},
            {{{4, "SD16"}, {5, "Flash Control"}, {6, "USCI1"}, {7, "USCI0"},
              {10, "LCD Frequency"}, {11, "Basic Timer"}, {13, "TimerB/MCLK (Pin)"},
              {14, "TimerA/SMCLK (Pin)"}, {15, "Watchdog Timer/ACLK (Pin)"}}}},
    {{71, 72, 73, 79},
            {{{1, "MCLK (Pin)"}, {2, "SMCLK (Pin)"}, {3, "ACLK (Pin)"}, {4, "ADC12"},
              {6, "USCI1"}, {7, "USCI0"},
              {13, "TimerB"}, {14, "TimerA"}, {15, "Watchdog Timer"}}}},
    {{74, 78},
            {{{1, "MCLK (Pin)"}, {2, "SMCLK (Pin)"}, {3, "ACLK (Pin)"}, {4, "ADC12"},
              {7, "USCI0"},
              {13, "TimerB"}, {14, "TimerA"}, {15, "Watchdog Timer"}}}},
    {{75, 76, 77},
            {{{1, "MCLK (Pin)"}, {2, "SMCLK (Pin)"}, {3, "ACLK (Pin)"},
              {6, "USCI1"}, {7, "USCI0"},
              {13, "TimerB"}, {14, "TimerA"}, {15, "Watchdog Timer"}}}},
    {{83}, {{{9, "ADC10"}, {10, "GPT"}, {11, "Flash Control"}, {12, "RTI"}, {13, "CAN"},
             {14, "SPI"}, {15, "Watchdog Timer"}}}},
};
// clang-format on

constexpr std::size_t kClockNameRows = std::size(kClockNameTable);

// One list per row of the table plus the all-empty list at the end.
consteval std::array<ClockControlNames, kClockNameRows + 1> BuildNameLists() {
    std::array<ClockControlNames, kClockNameRows + 1> lists{};
    for (ClockControlNames& list : lists) {
        list.fill("");
    }
    for (std::size_t row = 0; row < kClockNameRows; ++row) {
        for (const ClockName& entry : kClockNameTable[row].names) {
            if (entry.name != nullptr) lists[row].at(entry.bit) = entry.name;
        }
    }
    return lists;
}

consteval std::array<std::uint8_t, kDeviceClassCount> BuildListOfClass() {
    std::array<std::uint8_t, kDeviceClassCount> listOfClass{};
    listOfClass.fill(static_cast<std::uint8_t>(kClockNameRows));
    for (std::size_t row = 0; row < kClockNameRows; ++row) {
        for (std::uint8_t c : kClockNameTable[row].classes) {
            if (listOfClass.at(c) != kClockNameRows) throw "a class is listed twice";
            listOfClass[c] = static_cast<std::uint8_t>(row);
        }
    }
    return listOfClass;
}

constexpr std::array<ClockControlNames, kClockNameRows + 1> kNameLists = BuildNameLists();
constexpr std::array<std::uint8_t, kDeviceClassCount> kListOfClass = BuildListOfClass();

}  // namespace

const ClockControlNames& GetClassClockControlNames(std::uint32_t deviceClass) {
    if (deviceClass >= kDeviceClassCount) return kNameLists[kClockNameRows];
    return kNameLists[kListOfClass[deviceClass]];
}

bool GetClockControlModuleNames(std::int32_t deviceIndex, const char* const** names) {
    if (deviceIndex < 0 || static_cast<std::uint32_t>(deviceIndex) >= kDeviceCount) return false;
    if (names == nullptr || *names == nullptr) return false;
    const DeviceRow* row = GetDeviceRow(static_cast<std::uint32_t>(deviceIndex));
    *names = GetClassClockControlNames(row->deviceClass).data();
    return true;
}

}  // namespace nandrel::device
