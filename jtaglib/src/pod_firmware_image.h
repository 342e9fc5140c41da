// The pod firmware that this library installs in every Dravik pod whose own
// firmware differs: opaque words, sent to the pod as they are stored.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nandrel {

inline constexpr size_t kPodFirmwareWords = 4967;
extern const uint16_t kPodFirmwareImage[kPodFirmwareWords];
// The version the image contains, as the pod reports it (characters 8-15).
extern const char kPodFirmwareVersion[];

}  // namespace nandrel
