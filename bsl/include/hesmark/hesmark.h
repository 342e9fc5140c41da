// Hesmark: one bootstrap-loader connection over the Tovrin adapter.
//
// Powers, resets and starts the target's ROM loader through the adapter's
// lines, sends the password, erases, loads the program counter, moves data
// blocks and whole image files (file type 1 TI-TXT, 2 Intel HEX), applies the
// loader patch for old loader versions and reports what it does to a
// registered host callback.
//
// Every function returns 1 for success and 0 for failure and leaves a text
// for GetLastError_Hesmark, except the queries noted below.
#pragma once

#include <stdint.h>

#if defined(__GNUC__)
#define HESMARK_API __attribute__((visibility("default")))
#else
#define HESMARK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Options of SetOption_Hesmark (each a 32-bit value, 0 off, else on).
#define HESMARK_OPTION_AUTO_PATCH 1          // apply the loader patch after the password (on)
#define HESMARK_OPTION_SEND_PASSWORD_FILE 2  // SetPasswordFile_Hesmark also sends it (on)
#define HESMARK_OPTION_POWER_OFF 3           // target off at open, close, adapter init (on)
// 0x1001-0x1004 are passed on to Tovrin_SetOption.

// Notification kinds (bits of the registration's kind mask).
#define HESMARK_NOTIFY_LOG 1       // record: HesmarkTextNotice, a log line
#define HESMARK_NOTIFY_APPEND 2    // record: HesmarkTextNotice, text appended to the line
#define HESMARK_NOTIFY_PROGRESS 8  // record: HesmarkProgressNotice

// Progress operations.
#define HESMARK_PROGRESS_INIT_TARGET 201
#define HESMARK_PROGRESS_RESET_TARGET 202
#define HESMARK_PROGRESS_WRITE_FILE 203
#define HESMARK_PROGRESS_READ_FILE 204
#define HESMARK_PROGRESS_VERIFY_FILE 205

#define HESMARK_DEFAULT_MESSAGE 1024

typedef struct HesmarkTextNotice {
    int32_t flag;
    const char* text;  // valid during the call only
} HesmarkTextNotice;

typedef struct HesmarkProgressNotice {
    int32_t operation;
    int32_t value;
    int32_t scale;  // always 100
} HesmarkProgressNotice;

// Called on the caller's thread, inside the library call that reports.
typedef void (*HesmarkNotifyProc)(void* user, uint32_t message, uint32_t kind, const void* record);

HESMARK_API int Open_Hesmark(int32_t adapter, uint32_t baud);
HESMARK_API int Close_Hesmark(void);
HESMARK_API int IsOpen_Hesmark(void);
// Copies the last-error text cut to size - 1 characters, terminated; returns
// the length copied.
HESMARK_API int GetLastError_Hesmark(char* buffer, int32_t size);
// The library version text.
HESMARK_API const char* GetVersion_Hesmark(void);
// The host's notification outlet (callback and its user value; a null callback
// registers none), kept for later connections and given to the current one.
HESMARK_API int RegisterHWND_Hesmark(HesmarkNotifyProc callback, void* user, uint32_t message,
                                     uint32_t kindMask);
HESMARK_API int SetOption_Hesmark(uint32_t option, uint32_t* value);

HESMARK_API int InitializeAdapter_Hesmark(void);
HESMARK_API int GetAdapterInfo_Hesmark(uint16_t* version, uint32_t* serialNumber);
HESMARK_API int InitializeTarget_Hesmark(int32_t unused);
HESMARK_API int ResetTarget_Hesmark(void);
HESMARK_API int PowerOn_Hesmark(void);
HESMARK_API int PowerOff_Hesmark(void);

// 32 password bytes.
HESMARK_API int SetPasswordData_Hesmark(const uint8_t* password);
HESMARK_API int GetPasswordData_Hesmark(uint8_t* buffer, uint32_t capacity, uint32_t* count);
HESMARK_API int SetPasswordFile_Hesmark(const char* fileName, int32_t fileType);
// Reads the loader patch (TI-TXT). The name is kept even when the file does
// not read: a loader that needs the patch, unlocked without one, refuses data
// blocks with a text that asks for that file.
HESMARK_API int SetPatchFile_Hesmark(const char* fileName);
// 1 when the loader version read last needs the patch, else 0.
HESMARK_API int IsPatchRequired_Hesmark(void);
HESMARK_API int GetBootloaderVersion_Hesmark(uint8_t* major, uint8_t* minor);
// The processor type text of the connection; empty without one.
HESMARK_API const char* GetProcessorType_Hesmark(void);

HESMARK_API int MassErase_Hesmark(void);
HESMARK_API int SectorErase_Hesmark(uint32_t address);
HESMARK_API int LoadPC_Hesmark(uint32_t address);
HESMARK_API int SetMemoryOffset_Hesmark(uint32_t offset);
HESMARK_API int RxData_Hesmark(uint32_t address, uint8_t* buffer, uint32_t count,
                               uint32_t* countRead);
HESMARK_API int TxData_Hesmark(uint32_t address, const uint8_t* data, uint32_t count,
                               int32_t verify);
HESMARK_API int VerifyData_Hesmark(uint32_t address, const uint8_t* data, uint32_t count);

HESMARK_API int WriteFile_Hesmark(const char* fileName, int32_t fileType, int32_t verify);
HESMARK_API int ReadFile_Hesmark(const char* fileName, int32_t fileType, uint32_t address,
                                 uint32_t size);
HESMARK_API int VerifyFile_Hesmark(const char* fileName, int32_t fileType);

HESMARK_API int PollTargetSignal_Hesmark(int32_t* flag);
HESMARK_API int PortTx_Hesmark(void);
HESMARK_API int PortRx_Hesmark(void);

#ifdef __cplusplus
}
#endif
