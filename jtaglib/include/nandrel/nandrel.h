/* Nandrel, the JTAG library that drives the Dravik pod: the exported interface.
 *
 * Calling order: Nandrel_OpenModule, Nandrel_OpenInterface (0), Nandrel_OpenPort
 * (interface, 0) - which finds and opens the pod - Nandrel_OpenTarget (port, 0),
 * then the target operations, and the close calls in reverse order.
 *
 * Every function returns 1 for success and 0 for failure (queries return counts,
 * handles or texts). After a failure the detail is fetched from the same library:
 * Nandrel_GetLastTargetError / Nandrel_GetLastTargetErrorNumber for a target, the
 * interface and port error texts, and the module text for calls without a valid
 * handle. Returned texts stay valid until the object fails again or is closed.
 */
#ifndef NANDREL_NANDREL_H
#define NANDREL_NANDREL_H

#include <stddef.h>
#include <stdint.h>

#define NANDREL_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/* A handle is the address of the four-word record of an interface, port or
 * target: {object, 0, object or 0, kind}. It stays valid until the matching
 * close call; a closed or unknown handle fails with the family's NULL text. */
typedef struct NandrelHandleRecord {
    uintptr_t words[4];
} NandrelHandleRecord;
typedef NandrelHandleRecord* NANDREL_HANDLE;

enum {
    NANDREL_KIND_INTERFACE = 1,
    NANDREL_KIND_PORT = 2,
    NANDREL_KIND_TARGET = 3,
};

/* Port features answered with a NandrelVoltageFeature. */
enum {
    NANDREL_FEATURE_VCC = 0x100,
    NANDREL_FEATURE_VPP = 0x101,
};

#pragma pack(push, 1)
/* Filled by Nandrel_Identify and Nandrel_Device; 70 bytes, little-endian. */
typedef struct DeviceRecord {
    uint16_t mark; /* always 0xAA55 */
    uint16_t deviceIndex;
    char name[32];
    uint16_t mainStart;
    uint16_t infoStart;
    uint16_t ramEnd;
    uint16_t breakpoints;
    uint16_t emulationLevel;
    uint16_t clockControlLevel;
    uint16_t lcdStart;
    uint16_t lcdEnd;
    uint16_t vccMin;
    uint16_t vccMax;
    uint16_t hasTestPin;
    uint16_t ramStart;
    uint16_t ram2Start;
    uint16_t ram2End;
    uint16_t infoEnd;
    uint32_t mainEnd;
} DeviceRecord;
#pragma pack(pop)

/* Answer of Nandrel_QueryPortFeature; 16 bytes. */
typedef struct VoltageFeatureRecord {
    int32_t adjustable;
    int32_t minimum;
    int32_t maximum;
    int32_t step;
} VoltageFeatureRecord;

/* EEM breakpoint definition. The library reads and writes the first fifteen
 * slots; the sixteenth (combination) is the caller's and never touched
 * (Nandrel_EEM_GetCombineBreakpoint tells the members of a combination).
 * mode: 0 clear, 1 code (fetch of `address`), 2 range (`address` to
 * `endAddress`, inclusive; rangeAction 0 inside, 1 outside), 3 complex.
 * type: 0 address bus, 1 data bus, 2 CPU register `registerNumber`.
 * access 0 to 15 (0 fetch, 6 read, 7 write, ...); action: bit 0 break, bit 1
 * state storage; op and conditionOperator: 0 equal, 1 greater or equal, 2
 * lower or equal, 3 not equal. mask and conditionMask name the bits compared
 * (0xFFFF compares a whole 16-bit value). condition 1 adds a data-bus
 * comparison with `data`. Breakpoint handles are 1 to 20; combination handles
 * are 0x101 and up. */
typedef struct BreakpointRecord {
    uint32_t mode;
    uint32_t address;
    uint32_t type;
    uint32_t registerNumber;
    uint32_t access;
    uint32_t action;
    uint32_t op;
    uint32_t mask;
    uint32_t endAddress;
    uint32_t rangeAction;
    uint32_t condition;
    uint32_t data;
    uint32_t conditionAccess;
    uint32_t conditionMask;
    uint32_t conditionOperator;
    uint32_t combination;
} BreakpointRecord;

/* Sent with the progress notifications of Nandrel_ProgramFile. */
typedef struct PodProgressRecord {
    uint32_t operation; /* 202 programming, 203 verification */
    uint32_t done;
    uint32_t total;
    uint32_t userValue;
    uint32_t sourceKind; /* 3: a target */
    NandrelHandleRecord* target;
} PodProgressRecord;

/* Progress notifications. The `window` given to Nandrel_RegisterHWND is a
 * function of this type (cast to void*); the library calls it on the caller's
 * thread with the registered message number, wParam 2 at the start and 4 at
 * the end of a phase, and the record, which also carries the registered user
 * value. A null window stops the notifications. */
typedef void (*NandrelNotifyProc)(uint32_t message, uintptr_t wParam,
                                  const PodProgressRecord* record);

/* Message numbers given to Nandrel_EEM_Init. */
typedef struct EemMessageNumbers {
    uint32_t singleStep;
    uint32_t breakpointHit;
    uint32_t stateStorage;
    uint32_t sequencerState;
    uint32_t warning;
    uint32_t cpuStopped;
} EemMessageNumbers;

typedef void (*NandrelEemCallback)(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                   uint32_t clientValue);

typedef struct EemTraceSettings {
    uint32_t mode;
    uint32_t store;
    uint32_t option;
} EemTraceSettings;

typedef struct EemTraceEntry {
    uint32_t address;
    uint32_t data;
    uint16_t control;
} EemTraceEntry;

typedef struct EemVariableSettings {
    uint32_t remove;
    uint32_t address;
    uint32_t size;
} EemVariableSettings;

typedef struct EemVariableEntry {
    uint16_t handle;
    uint16_t address;
    uint32_t state;
} EemVariableEntry;

typedef struct EemClockControl {
    uint32_t mode;
    uint16_t mainClockControl;
    uint16_t generalClockControl;
} EemClockControl;

typedef struct EemSequencer {
    uint32_t words[14];
} EemSequencer;

/* Module */
NANDREL_API int32_t Nandrel_OpenModule(void);
NANDREL_API void Nandrel_CloseModule(void);
NANDREL_API int32_t Nandrel_IsOpen(void);
NANDREL_API const char* Nandrel_GetLastModuleError(void);
NANDREL_API const char* Nandrel_GetModuleVersion(void);
NANDREL_API int32_t Nandrel_GetInterfaceCount(void);
NANDREL_API const char* Nandrel_GetInterfaceName(int32_t index);
NANDREL_API NANDREL_HANDLE Nandrel_OpenInterface(int32_t index);
NANDREL_API void Nandrel_CloseInterface(NANDREL_HANDLE interfaceHandle);

/* Interface */
NANDREL_API const char* Nandrel_GetLastInterfaceError(NANDREL_HANDLE interfaceHandle);
NANDREL_API const char* Nandrel_GetInterfaceVersion(NANDREL_HANDLE interfaceHandle);
NANDREL_API int32_t Nandrel_QueryInterfaceFeature(NANDREL_HANDLE interfaceHandle,
                                                  uint32_t featureId, void* buffer,
                                                  uint32_t bufferSize, uint32_t* length);
NANDREL_API int32_t Nandrel_GetPortCount(NANDREL_HANDLE interfaceHandle);
NANDREL_API const char* Nandrel_GetPortName(NANDREL_HANDLE interfaceHandle, int32_t index);
NANDREL_API NANDREL_HANDLE Nandrel_OpenPort(NANDREL_HANDLE interfaceHandle, int32_t index);

/* Port */
NANDREL_API void Nandrel_ClosePort(NANDREL_HANDLE portHandle);
NANDREL_API const char* Nandrel_GetLastPortError(NANDREL_HANDLE portHandle);
NANDREL_API int32_t Nandrel_QueryPortFeature(NANDREL_HANDLE portHandle, uint32_t featureId,
                                             void* buffer, uint32_t bufferSize, uint32_t* length);
NANDREL_API const char* Nandrel_GetPortHardwareVersion(NANDREL_HANDLE portHandle);
NANDREL_API const char* Nandrel_GetPortFirmwareVersion(NANDREL_HANDLE portHandle);
NANDREL_API const char* Nandrel_GetPortSerialNumber(NANDREL_HANDLE portHandle);
NANDREL_API int32_t Nandrel_GetTargetCount(NANDREL_HANDLE portHandle);
NANDREL_API const char* Nandrel_GetTargetName(NANDREL_HANDLE portHandle, int32_t index);
NANDREL_API NANDREL_HANDLE Nandrel_OpenTarget(NANDREL_HANDLE portHandle, int32_t index);

/* Target: handle, errors, settings */
NANDREL_API void Nandrel_CloseTarget(NANDREL_HANDLE target);
NANDREL_API const char* Nandrel_GetLastTargetError(NANDREL_HANDLE target);
NANDREL_API int32_t Nandrel_GetLastTargetErrorNumber(NANDREL_HANDLE target);
NANDREL_API int32_t Nandrel_SetLastTargetErrorNumber(NANDREL_HANDLE target, int32_t number);
NANDREL_API const char* Nandrel_ErrorString(int32_t number);
/* Feature ids 0x4616 to 0x4619 program the chip's configuration fuses with the
 * values 2, 3, 1 and 0; the buffer is not used. */
NANDREL_API int32_t Nandrel_QueryTargetFeature(NANDREL_HANDLE target, uint32_t featureId,
                                               void* buffer, uint32_t bufferSize, uint32_t* length);
NANDREL_API int32_t Nandrel_RegisterHWND(NANDREL_HANDLE target, void* window, uint32_t message,
                                         uint32_t userValue);

/* Target: JTAG link, device, supply, reset */
NANDREL_API int32_t Nandrel_OpenJTAG(NANDREL_HANDLE target);
NANDREL_API int32_t Nandrel_CloseJTAG(NANDREL_HANDLE target, int32_t mode);
NANDREL_API int32_t Nandrel_ResetJTAGTAP(NANDREL_HANDLE target);
/* Device index 0 identifies the chip; another index (1 to 91) takes that row
 * of the device table as the device. Either way the device is connected and
 * selected, and the record (recordSize of at least 70 bytes) is filled. */
NANDREL_API int32_t Nandrel_Identify(NANDREL_HANDLE target, DeviceRecord* record,
                                     uint32_t recordSize, int32_t deviceIndex);
/* Fills the record of a device table row (1 to 91) from the tables alone: the
 * chip and the selected device are left as they are. */
NANDREL_API int32_t Nandrel_Device(NANDREL_HANDLE target, int32_t deviceIndex, DeviceRecord* record,
                                   uint32_t recordSize);
NANDREL_API int32_t Nandrel_Configure(NANDREL_HANDLE target, int32_t item, int32_t value);
NANDREL_API int32_t Nandrel_VCC(NANDREL_HANDLE target, int32_t millivolts);
NANDREL_API int32_t Nandrel_GetCurrentTargetVCC(NANDREL_HANDLE target, int32_t* millivolts);
NANDREL_API int32_t Nandrel_GetExternalVoltage(NANDREL_HANDLE target, int32_t* millivolts,
                                               int32_t* state);
NANDREL_API int32_t Nandrel_Reset(NANDREL_HANDLE target, int32_t method, int32_t execute,
                                  int32_t releaseJtag);

/* Run modes of Nandrel_Run. */
typedef enum NandrelRunMode {
    NANDREL_RUN_FREE = 1,
    NANDREL_RUN_SINGLE_STEP = 2,
    NANDREL_RUN_TO_BREAKPOINT = 3
} NandrelRunMode;

/* Erase types of Nandrel_Erase. */
typedef enum NandrelEraseType {
    NANDREL_ERASE_SEGMENT = 0,
    NANDREL_ERASE_MAIN = 1,
    NANDREL_ERASE_ALL = 2
} NandrelEraseType;

/* What Nandrel_ProgramFile erases before it writes: nothing, main memory, or
 * information and main memory. */
typedef enum NandrelProgramErase {
    NANDREL_PROGRAM_ERASE_NONE = 0,
    NANDREL_PROGRAM_ERASE_MAIN = 1,
    NANDREL_PROGRAM_ERASE_ALL = 2
} NandrelProgramErase;

/* Target: registers and run control */
NANDREL_API int32_t Nandrel_ReadRegisters(NANDREL_HANDLE target, uint32_t* registers, int32_t mask);
NANDREL_API int32_t Nandrel_WriteRegisters(NANDREL_HANDLE target, const uint32_t* registers,
                                           int32_t mask);
NANDREL_API int32_t Nandrel_ReadRegister(NANDREL_HANDLE target, int32_t number, uint32_t* value);
NANDREL_API int32_t Nandrel_WriteRegister(NANDREL_HANDLE target, int32_t number, uint32_t value);
NANDREL_API int32_t Nandrel_Breakpoint(NANDREL_HANDLE target, int32_t number, uint32_t address);
NANDREL_API int32_t Nandrel_Run(NANDREL_HANDLE target, int32_t mode, int32_t releaseJtag);
NANDREL_API int32_t Nandrel_State(NANDREL_HANDLE target, int32_t* state, int32_t stop,
                                  uint32_t* cycles);
NANDREL_API int32_t Nandrel_Secure(NANDREL_HANDLE target);
NANDREL_API int32_t Nandrel_SetKeySPMA(NANDREL_HANDLE target, const uint16_t* key);

/* Target: memory, flash and files */
NANDREL_API int32_t Nandrel_Erase(NANDREL_HANDLE target, int32_t type, uint32_t address,
                                  uint32_t length);
NANDREL_API int32_t Nandrel_ReadMemory(NANDREL_HANDLE target, uint32_t address, uint8_t* buffer,
                                       uint32_t count);
NANDREL_API int32_t Nandrel_WriteMemory(NANDREL_HANDLE target, uint32_t address,
                                        const uint8_t* buffer, uint32_t count);
NANDREL_API int32_t Nandrel_VerifyMem(NANDREL_HANDLE target, uint32_t address, uint32_t count,
                                      const uint8_t* buffer);
NANDREL_API int32_t Nandrel_EraseCheck(NANDREL_HANDLE target, uint32_t address, uint32_t count);
NANDREL_API int32_t Nandrel_ProgramFile(NANDREL_HANDLE target, const char* path, int32_t eraseType,
                                        int32_t verify);
NANDREL_API int32_t Nandrel_VerifyFile(NANDREL_HANDLE target, const char* path);
NANDREL_API int32_t Nandrel_ReadOutFile(NANDREL_HANDLE target, const char* path, int32_t fileType,
                                        uint32_t address, uint32_t length);

/* Target: enhanced emulation module */
NANDREL_API int32_t Nandrel_OpenEEM(NANDREL_HANDLE target);
NANDREL_API int32_t Nandrel_CloseEEM(NANDREL_HANDLE target);
NANDREL_API int32_t Nandrel_ReadRegisterEEM(NANDREL_HANDLE target, uint32_t number,
                                            uint32_t* value);
NANDREL_API int32_t Nandrel_WriteRegisterEEM(NANDREL_HANDLE target, uint32_t number,
                                             uint32_t value);
/* `names` is in/out: the address of a non-null pointer that receives the
 * address of the device class's 32-entry name list. */
NANDREL_API int32_t Nandrel_GetClockControlModuleNames(NANDREL_HANDLE target, int32_t deviceIndex,
                                                       void** names);
NANDREL_API int32_t Nandrel_Test(NANDREL_HANDLE target, int32_t flag);
NANDREL_API int32_t Nandrel_EEM_Init(NANDREL_HANDLE target, NandrelEemCallback callback,
                                     uint32_t clientValue, const EemMessageNumbers* messages);
NANDREL_API int32_t Nandrel_EEM_SetBreakpoint(NANDREL_HANDLE target, uint16_t* breakpointHandle,
                                              const BreakpointRecord* breakpoint);
NANDREL_API int32_t Nandrel_EEM_GetBreakpoint(NANDREL_HANDLE target, uint16_t breakpointHandle,
                                              BreakpointRecord* breakpoint);
NANDREL_API int32_t Nandrel_EEM_SetCombineBreakpoint(NANDREL_HANDLE target, int32_t mode,
                                                     uint16_t count, uint16_t* combinationHandle,
                                                     const uint16_t* breakpointHandles);
NANDREL_API int32_t Nandrel_EEM_GetCombineBreakpoint(NANDREL_HANDLE target,
                                                     uint16_t combinationHandle, uint16_t* count,
                                                     uint16_t* breakpointHandles);
NANDREL_API int32_t Nandrel_EEM_SetTrace(NANDREL_HANDLE target, const EemTraceSettings* settings);
NANDREL_API int32_t Nandrel_EEM_GetTrace(NANDREL_HANDLE target, EemTraceSettings* settings);
NANDREL_API int32_t Nandrel_EEM_ReadTraceBuffer(NANDREL_HANDLE target, EemTraceEntry* entries);
NANDREL_API int32_t Nandrel_EEM_RefreshTraceBuffer(NANDREL_HANDLE target);
NANDREL_API int32_t Nandrel_EEM_SetVariableWatch(NANDREL_HANDLE target, int32_t enable);
NANDREL_API int32_t Nandrel_EEM_GetVariableWatch(NANDREL_HANDLE target, uint32_t* state,
                                                 EemVariableEntry* entries);
NANDREL_API int32_t Nandrel_EEM_SetVariable(NANDREL_HANDLE target, uint16_t* variableHandle,
                                            const EemVariableSettings* settings);
NANDREL_API int32_t Nandrel_EEM_SetClockControl(NANDREL_HANDLE target,
                                                const EemClockControl* settings);
NANDREL_API int32_t Nandrel_EEM_GetClockControl(NANDREL_HANDLE target, EemClockControl* settings);
NANDREL_API int32_t Nandrel_EEM_SetSequencer(NANDREL_HANDLE target, const EemSequencer* settings);
NANDREL_API int32_t Nandrel_EEM_GetSequencer(NANDREL_HANDLE target, EemSequencer* settings);
NANDREL_API int32_t Nandrel_EEM_ReadSequencerState(NANDREL_HANDLE target, uint32_t* state);

#ifdef __cplusplus
}

static_assert(sizeof(DeviceRecord) == 70, "DeviceRecord is 70 packed bytes");
static_assert(offsetof(DeviceRecord, name) == 4 && offsetof(DeviceRecord, mainStart) == 36 &&
                  offsetof(DeviceRecord, ramStart) == 58 && offsetof(DeviceRecord, mainEnd) == 66,
              "DeviceRecord field offsets");
static_assert(sizeof(VoltageFeatureRecord) == 16, "VoltageFeatureRecord is 16 bytes");
#endif

#endif /* NANDREL_NANDREL_H */
