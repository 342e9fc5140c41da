// The exports of the serializer plug-in over its three counting algorithms.
#include "vossil/vossil.h"

#include "kelvane/plugin/number_algorithm.h"
#include "kelvane/plugin/plugin_library.h"

namespace {

using kv::plugin::Algorithm;
using kv::plugin::AlgorithmName;
using kv::plugin::NumberAlgorithm;
using kv::plugin::NumberStyle;

constexpr AlgorithmName kNames[] = {"BYTE", "WORD", "DWORD"};

constinit NumberAlgorithm byteSerial{1, NumberStyle::kSerial};
constinit NumberAlgorithm wordSerial{2, NumberStyle::kSerial};
constinit NumberAlgorithm dwordSerial{4, NumberStyle::kSerial};
Algorithm* const kAlgorithms[] = {&byteSerial, &wordSerial, &dwordSerial};

constinit kv::plugin::PluginLibrary library{kNames, kAlgorithms, 3};

}  // namespace

extern "C" {

const char* Serializer_GetLastError(void) {
    return library.lastError();
}
int32_t Serializer_GetAlgorithmCount(void) {
    return library.algorithmCount();
}
const char* Serializer_GetAlgorithmName(int32_t nIndex) {
    return library.algorithmName(nIndex);
}
int32_t Serializer_GetAlgorithmByName(const char* pszName) {
    return library.algorithmByName(pszName);
}
int32_t Serializer_Open(uint32_t nValue) {
    return library.open(nValue);
}
void Serializer_Close(void) {
    library.close();
}
const char* Serializer_GetInitialValueString(int32_t nIndex) {
    return library.initialValueString(nIndex);
}
int32_t Serializer_Parse(int32_t nIndex, const char* pszText) {
    return library.parse(nIndex, pszText);
}
uint32_t Serializer_GetOverlaySize(int32_t nIndex) {
    return library.overlaySize(nIndex);
}
int32_t Serializer_Overlay(int32_t nIndex, uint8_t* pBuffer, uint32_t nSize) {
    return library.overlay(nIndex, pBuffer, nSize);
}
const char* Serializer_GetNextValueString(int32_t nIndex) {
    return library.nextValueString(nIndex);
}

}  // extern "C"
