// A serializer plug-in for the host tests, built in several variants:
// FAKE_COUNT algorithms ("ALPHA", "BETA", ...), an Open that answers
// FAKE_OPEN_RESULT, and optionally no Serializer_Overlay export
// (FAKE_OMIT_OVERLAY) or no name for the second algorithm (FAKE_NULL_NAME).
#include <cstdint>
#include <cstring>

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

const char* const kNames[] = {"ALPHA", "BETA", "GAMMA"};
const char* g_error = "";
std::uint32_t g_value = 0;

}  // namespace

FAKE_EXPORT const char* Serializer_GetLastError(void) {
    return g_error;
}

FAKE_EXPORT std::int32_t Serializer_GetAlgorithmCount(void) {
    return FAKE_COUNT;
}

FAKE_EXPORT const char* Serializer_GetAlgorithmName(std::int32_t index) {
#ifdef FAKE_NULL_NAME
    if (index == 1) {
        g_error = "No name for index 1";
        return nullptr;
    }
#endif
    if (index < 0 || index >= FAKE_COUNT) {
        g_error = "Algorithm index too large";
        return nullptr;
    }
    return kNames[index];
}

FAKE_EXPORT std::int32_t Serializer_GetAlgorithmByName(const char* name) {
    for (std::int32_t index = 0; index < FAKE_COUNT; ++index)
        if (std::strcmp(kNames[index], name) == 0) return index;
    return -1;
}

FAKE_EXPORT std::int32_t Serializer_Open(std::uint32_t) {
    if (!FAKE_OPEN_RESULT) g_error = "Plug-in refuses to open";
    return FAKE_OPEN_RESULT;
}

FAKE_EXPORT void Serializer_Close(void) {}

FAKE_EXPORT const char* Serializer_GetInitialValueString(std::int32_t) {
    return "7";
}

FAKE_EXPORT std::int32_t Serializer_Parse(std::int32_t, const char* text) {
    g_value = static_cast<std::uint32_t>(text[0]);
    return 1;
}

FAKE_EXPORT std::uint32_t Serializer_GetOverlaySize(std::int32_t) {
    return 1;
}

#ifndef FAKE_OMIT_OVERLAY
FAKE_EXPORT std::int32_t Serializer_Overlay(std::int32_t, std::uint8_t* buffer, std::uint32_t) {
    buffer[0] = static_cast<std::uint8_t>(g_value);
    return 1;
}
#endif

FAKE_EXPORT const char* Serializer_GetNextValueString(std::int32_t) {
    return "8";
}
