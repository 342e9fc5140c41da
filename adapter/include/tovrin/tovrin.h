// Tovrin: driver of the USB bootstrap-loader adapter.
//
// The adapter is a USB serial converter. Its serial lines carry the loader's
// bytes to the target; its modem outputs RTS and DTR, with CTS as the answer,
// form a slow control channel to the adapter's logic, which holds an enable
// register and a data register switching the target's supply, reset, test and
// loader-entry lines. DSR carries the target's bootloader signal.
//
// One adapter per process. Every function returns 1 for success and 0 for
// failure and leaves a text for Tovrin_GetLastError (except Tovrin_GetLastError
// itself, which returns a length).
#pragma once

#include <stdint.h>

#if defined(__GNUC__)
#define TOVRIN_API __attribute__((visibility("default")))
#else
#define TOVRIN_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Options of Tovrin_SetOption.
#define TOVRIN_OPTION_MESSAGE_BOXES 0x1001    // message boxes on driver errors (default on)
#define TOVRIN_OPTION_RESTORE_AT_OPEN 0x1002  // latch the saved registers at open (default off)
#define TOVRIN_OPTION_GET_SAVED_IMAGE 0x1003  // saved image (enable << 16 | data) into *value
#define TOVRIN_OPTION_SET_SAVED_IMAGE 0x1004  // saved image from *value

TOVRIN_API int Tovrin_Open(int32_t unused);
TOVRIN_API int Tovrin_Close(void);
TOVRIN_API int Tovrin_IsOpen(void);
// Without a buffer: the length of the last-error text. Otherwise copies the
// text cut to size - 1 characters, terminated, and returns the length copied.
TOVRIN_API int Tovrin_GetLastError(char* buffer, int32_t size);

TOVRIN_API int Tovrin_GetVersion(uint32_t* version);
TOVRIN_API int Tovrin_GetSerialNumber(uint32_t* serialNumber);
TOVRIN_API int Tovrin_GetQueueStatus(uint32_t* count);
TOVRIN_API int Tovrin_WritePort(const uint8_t* data, uint32_t count);
TOVRIN_API int Tovrin_ReadPort(uint8_t* buffer, uint32_t count, uint32_t* countRead);
// first = 1 purges the transmit buffer, second = 1 the receive buffer.
TOVRIN_API int Tovrin_Purge(int32_t first, int32_t second);
TOVRIN_API int Tovrin_SetBaudRate(uint32_t baud);

// Latch the register images into the adapter.
TOVRIN_API int Tovrin_UpdateEnable(void);
TOVRIN_API int Tovrin_UpdateData(void);

// Enable register image.
TOVRIN_API int Tovrin_EnableRx(void);
TOVRIN_API int Tovrin_DisableRx(void);
TOVRIN_API int Tovrin_EnableTx(void);
TOVRIN_API int Tovrin_DisableTx(void);
TOVRIN_API int Tovrin_EnableBSL(void);
TOVRIN_API int Tovrin_DisableBSL(void);
TOVRIN_API int Tovrin_EnableF12(void);
TOVRIN_API int Tovrin_DisableF12(void);
TOVRIN_API int Tovrin_EnableXRS(void);
TOVRIN_API int Tovrin_DisableXRS(void);

// Data register image.
TOVRIN_API int Tovrin_SetF2(void);
TOVRIN_API int Tovrin_ClearF2(void);
TOVRIN_API int Tovrin_SetF3(void);
TOVRIN_API int Tovrin_ClearF3(void);
TOVRIN_API int Tovrin_SetF4PD(void);
TOVRIN_API int Tovrin_ClearF4PD(void);
TOVRIN_API int Tovrin_SetF12(void);
TOVRIN_API int Tovrin_ClearF12(void);
TOVRIN_API int Tovrin_SetVTGT(void);
TOVRIN_API int Tovrin_ClearVTGT(void);

// *flag = 1 when the adapter reports the target's bootloader signal (DSR clear).
TOVRIN_API int Tovrin_GetBLSIG(int32_t* flag);
TOVRIN_API int Tovrin_SetOption(uint32_t option, uint32_t* value);

#ifdef __cplusplus
}
#endif
