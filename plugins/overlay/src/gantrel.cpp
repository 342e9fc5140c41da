// The exports of the overlay plug-in over its three hexadecimal algorithms and its text.
#include "gantrel/gantrel.h"

#include "kelvane/plugin/number_algorithm.h"
#include "kelvane/plugin/plugin_library.h"
#include "kelvane/plugin/string_algorithm.h"

namespace {

using kv::plugin::Algorithm;
using kv::plugin::AlgorithmName;
using kv::plugin::NumberAlgorithm;
using kv::plugin::NumberStyle;
using kv::plugin::StringAlgorithm;

constexpr AlgorithmName kNames[] = {"Hex BYTE", "Hex WORD", "Hex DWORD", "String"};

constinit NumberAlgorithm hexByte{1, NumberStyle::kHex};
constinit NumberAlgorithm hexWord{2, NumberStyle::kHex};
constinit NumberAlgorithm hexDword{4, NumberStyle::kHex};
constinit StringAlgorithm text;
Algorithm* const kAlgorithms[] = {&hexByte, &hexWord, &hexDword, &text};

constinit kv::plugin::PluginLibrary library{kNames, kAlgorithms, 4};

}  // namespace

extern "C" {

const char* Overlay_GetLastError(void) {
    return library.lastError();
}
int32_t Overlay_GetAlgorithmCount(void) {
    return library.algorithmCount();
}
const char* Overlay_GetAlgorithmName(int32_t nIndex) {
    return library.algorithmName(nIndex);
}
int32_t Overlay_GetAlgorithmByName(const char* pszName) {
    return library.algorithmByName(pszName);
}
int32_t Overlay_Open(uint32_t nValue) {
    return library.open(nValue);
}
void Overlay_Close(void) {
    library.close();
}
const char* Overlay_GetInitialValueString(int32_t nIndex) {
    return library.initialValueString(nIndex);
}
int32_t Overlay_Parse(int32_t nIndex, const char* pszText) {
    return library.parse(nIndex, pszText);
}
uint32_t Overlay_GetOverlaySize(int32_t nIndex) {
    return library.overlaySize(nIndex);
}
int32_t Overlay_Overlay(int32_t nIndex, uint8_t* pBuffer, uint32_t nSize) {
    return library.overlay(nIndex, pBuffer, nSize);
}
const char* Overlay_GetNextValueString(int32_t nIndex) {
    return library.nextValueString(nIndex);
}

}  // extern "C"
