// Gantrel: the overlay plug-in. Its algorithms write a value that stays the same from run to
// run: "Hex BYTE" (1 byte), "Hex WORD" (2 bytes), "Hex DWORD" (4 bytes), little-endian, and
// "String" (at most 31 characters and a terminating zero), indices 0 to 3.
//
// A hexadecimal value text must be one whole hexadecimal number: blanks around it, an optional
// "0x" or "0X" and digits of either case. An empty or blank text fails with "Unable to convert
// '%s' to the desired format"; any other text, a sign included, with "Value '%s' is not a
// hexadecimal number for WORD algorithm" (BYTE, DWORD); a value beyond the algorithm's bytes
// (above FF for "Hex BYTE", FFFF for "Hex WORD", FFFFFFFF for "Hex DWORD") with "Value '%s' out
// of range for BYTE algorithm" (WORD, DWORD). The next
// value is the same value in upper-case hexadecimal without leading zeros. A "String" text longer
// than 31 characters fails with "Desired string too large for String algorithm" and keeps the
// text stored before; the next value is the text itself.
//
// Kelvane loads the library at run time and binds these eleven functions by name; a host can
// declare its pointers as decltype(&Overlay_Parse) and so on. Every failing call leaves a text
// that Overlay_GetLastError returns; a successful call leaves the text as it was. The library
// keeps one value per algorithm and is meant for one thread.
#ifndef GANTREL_GANTREL_H
#define GANTREL_GANTREL_H

#include <stdint.h>

#if defined(__GNUC__)
#define GANTREL_EXPORT __attribute__((visibility("default")))
#else
#define GANTREL_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

// The library's static error text, empty until a call fails.
GANTREL_EXPORT const char* Overlay_GetLastError(void);
// 4.
GANTREL_EXPORT int32_t Overlay_GetAlgorithmCount(void);
// The name in its 32-character slot; null with "Algorithm index must not be negative" or
// "Algorithm index too large".
GANTREL_EXPORT const char* Overlay_GetAlgorithmName(int32_t nIndex);
// The index of the name (exact, case-sensitive); -1 with "Algorithm '%s' not found".
GANTREL_EXPORT int32_t Overlay_GetAlgorithmByName(const char* pszName);
// The value is not used; always 1.
GANTREL_EXPORT int32_t Overlay_Open(uint32_t nValue);
GANTREL_EXPORT void Overlay_Close(void);
// "0" for every algorithm.
GANTREL_EXPORT const char* Overlay_GetInitialValueString(int32_t nIndex);
// 1 after storing the value of the text, else 0.
GANTREL_EXPORT int32_t Overlay_Parse(int32_t nIndex, const char* pszText);
// The algorithm's size in bytes (text length + 1 for "String"); 0 with
// "Unsupported algorithm index %d".
GANTREL_EXPORT uint32_t Overlay_GetOverlaySize(int32_t nIndex);
// Writes the value's bytes into the buffer: 1, or 0 with "Buffer too small for WORD algorithm"
// (and so on) when nSize is below the algorithm's size.
GANTREL_EXPORT int32_t Overlay_Overlay(int32_t nIndex, uint8_t* pBuffer, uint32_t nSize);
// The value text for the next run, empty before the first parse; null for a bad index.
GANTREL_EXPORT const char* Overlay_GetNextValueString(int32_t nIndex);

#ifdef __cplusplus
}
#endif

#endif
