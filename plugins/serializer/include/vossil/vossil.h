// Vossil: the serializer plug-in. Its algorithms write a serial number that counts up by one per
// run: "BYTE" (1 byte), "WORD" (2 bytes) and "DWORD" (4 bytes), indices 0 to 2, little-endian.
//
// A value text is read like a "%ld" scan into a 32-bit long: leading blanks are skipped, a text
// that does not start with a number gives 0, a number beyond 32 bits keeps its low 32 bits. Only
// an empty or blank text fails ("Unable to convert '%s' to the desired format"), and a value
// outside 0..255 for "BYTE" or 0..65535 for "WORD" ("Value '%s' out of range for BYTE
// algorithm"), so a serial number never wraps into one already written. The next value is the
// decimal text of value + 1, wrapping at 32 bits.
//
// Kelvane loads the library at run time and binds these eleven functions by name; a host can
// declare its pointers as decltype(&Serializer_Parse) and so on. Every failing call leaves a
// text that Serializer_GetLastError returns; a successful call leaves the text as it was. The
// library keeps one value per algorithm and is meant for one thread.
#ifndef VOSSIL_VOSSIL_H
#define VOSSIL_VOSSIL_H

#include <stdint.h>

#if defined(__GNUC__)
#define VOSSIL_EXPORT __attribute__((visibility("default")))
#else
#define VOSSIL_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

// The library's static error text, empty until a call fails.
VOSSIL_EXPORT const char* Serializer_GetLastError(void);
// 3.
VOSSIL_EXPORT int32_t Serializer_GetAlgorithmCount(void);
// The name in its 32-character slot; null with "Algorithm index must not be negative" or
// "Algorithm index too large".
VOSSIL_EXPORT const char* Serializer_GetAlgorithmName(int32_t nIndex);
// The index of the name (exact, case-sensitive); -1 with "Algorithm '%s' not found".
VOSSIL_EXPORT int32_t Serializer_GetAlgorithmByName(const char* pszName);
// The value is not used; always 1.
VOSSIL_EXPORT int32_t Serializer_Open(uint32_t nValue);
VOSSIL_EXPORT void Serializer_Close(void);
// "0" for every algorithm.
VOSSIL_EXPORT const char* Serializer_GetInitialValueString(int32_t nIndex);
// 1 after storing the value of the text, else 0.
VOSSIL_EXPORT int32_t Serializer_Parse(int32_t nIndex, const char* pszText);
// The algorithm's size in bytes; 0 with "Unsupported algorithm index %d".
VOSSIL_EXPORT uint32_t Serializer_GetOverlaySize(int32_t nIndex);
// Writes the value's bytes into the buffer: 1, or 0 with "Buffer too small for WORD algorithm"
// (and so on) when nSize is below the algorithm's size.
VOSSIL_EXPORT int32_t Serializer_Overlay(int32_t nIndex, uint8_t* pBuffer, uint32_t nSize);
// The value text for the next run, empty before the first parse; null for a bad index.
VOSSIL_EXPORT const char* Serializer_GetNextValueString(int32_t nIndex);

#ifdef __cplusplus
}
#endif

#endif
