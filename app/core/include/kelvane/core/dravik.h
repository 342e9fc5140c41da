// CDravik: the Dravik JTAG pod seen through the Nandrel library. Holds the
// interface, port and target handles of one pod and offers one method per
// operation the commands need; each calls the matching Nandrel_* export and
// turns a failure into a text naming the operation, the library's error
// number and the library's text.
#pragma once

#include <cstdint>
#include <string>

#include "kelvane/core/emulation_pod.h"
#include "kelvane/core/target_pod.h"
#include "nandrel/nandrel.h"

namespace kv {

// The default file of the read-to-file dialog ("MyFile.txt" at start).
extern std::string g_strDefaultReadFile;

class CDravik : public CTargetPod {
  public:
    static constexpr std::size_t kDeviceRecordSize = 80;

    CDravik();

    int IsOpen() override;
    // Closes target, port and interface that are open, then always the module.
    int Close() override;
    // Clears the last error number and opens module, interface 0, port 0 and
    // target 0; a failure closes what the chain opened.
    int Open() override;

    int OpenJTAG();
    int CloseJTAG(int32_t mode);
    int RegisterHWND(void* window, uint32_t message, uint32_t userValue);

    int GetSerialNumber(std::string& text);
    int GetFirmwareVersion(std::string& text);
    int GetInterfaceVersion(std::string& text);

    // Identifies the chip; the out text is the device name of the record.
    int Identify(std::string& name);
    int Configure(int32_t item, int32_t value);
    int SetVCC(uint32_t millivolts);

    // Mass erase from the main flash start of the last identified device to
    // the end of the 64 KiB address space.
    int EraseAll();
    int EraseMain(uint32_t address, uint32_t length);
    // Aligns the start down to its segment: 512 bytes in main flash, 128 in
    // information flash.
    int EraseSegment(uint32_t address, uint32_t length);
    int ProgramFile(const std::string& path, int32_t eraseType, int32_t verify);
    int VerifyFile(const std::string& path);

    // Writes, then always verifies what was written.
    int WriteMemory(const uint8_t* buffer, uint32_t address, uint32_t count);
    int VerifyMemory(const uint8_t* buffer, uint32_t address, uint32_t count);
    int ReadMemory(uint8_t* buffer, uint32_t address, uint32_t count);
    int WriteRegister(int32_t number, uint32_t value);
    int ReadRegister(int32_t number, uint32_t& value);

    int Reset(int32_t method, int32_t execute, int32_t releaseJtag);
    int Run(int32_t mode, int32_t releaseJtag);
    int State(int32_t& state, int32_t stop, uint32_t& cycles);
    int BlowFuse();

    int QueryPortFeature(uint32_t feature, void* buffer, uint32_t size, uint32_t& returned);
    int QueryVccFeatures(int32_t& adjustable, int32_t& minimum, int32_t& maximum, int32_t& step);
    int QueryVppFeatures(int32_t& adjustable, int32_t& minimum, int32_t& maximum, int32_t& step);
    // The flag is 1 when the pod can supply a fuse-blowing voltage.
    int HasVpp(int& flag);
    // Whether the pod's VCC is adjustable and its maximum VCC in mV.
    int GetVccRange(int& adjustable, uint32_t& maximumVcc);
    int QueryTargetFeature(uint32_t feature, void* buffer, uint32_t size, uint32_t* length);

    int InitEEM(NandrelEemCallback callback, uint32_t clientValue,
                const EemMessageNumbers* messages);
    int CloseEEM();
    // The library fills in the handle of a new breakpoint and reuses an
    // existing one.
    int SetBreakpoint(uint16_t* handle, const BreakpointRecord* definition);

    // The Nandrel error number of the last failed target call; 0 after Open.
    int32_t GetLastErrorNumber() const { return lastErrorNumber_; }
    const DeviceRecord& GetDeviceRecord() const;
    NANDREL_HANDLE GetInterfaceHandle() const { return interface_; }
    NANDREL_HANDLE GetPortHandle() const { return port_; }
    NANDREL_HANDLE GetTargetHandle() const { return target_; }

    // The EEM operations in the form the emulation module drives them.
    CEmulationPod& EmulationPod() { return emulationPod_; }

  private:
    class EmulationPodView final : public CEmulationPod {
      public:
        explicit EmulationPodView(CDravik& pod) : pod_(pod) {}
        int InitEEM(NandrelEemCallback callback, std::uint32_t clientValue,
                    const EemMessageNumbers* messages) override {
            return pod_.InitEEM(callback, clientValue, messages);
        }
        int CloseEEM() override { return pod_.CloseEEM(); }
        int SetBreakpoint(std::uint16_t* handle, const BreakpointRecord* definition) override {
            return pod_.SetBreakpoint(handle, definition);
        }
        int Run(std::int32_t mode, std::int32_t releaseJTAG) override {
            return pod_.Run(mode, releaseJTAG);
        }
        int State(std::int32_t* state, std::int32_t stop, std::uint32_t* cycles) override {
            std::int32_t s = 0;
            std::uint32_t c = 0;
            const int ok = pod_.State(s, stop, c);
            if (state) *state = s;
            if (cycles) *cycles = c;
            return ok;
        }
        std::string TakeLastError() override { return pod_.TakeLastError(); }

      private:
        CDravik& pod_;
    };

    int QueryVoltageFeature(uint32_t feature, const char* name, int32_t& adjustable,
                            int32_t& minimum, int32_t& maximum, int32_t& step);
    // Records the target's error number and formats "<prefix> (%d)\n%s".
    int FailTarget(const std::string& prefix);
    // Records the target's error number; the text is prefix + the target's text.
    int FailTargetText(const std::string& prefix);
    int NoTarget(const char* text = "NULL Dravik target");
    void CloseHandles();

    alignas(4) uint8_t deviceRecord_[kDeviceRecordSize] = {};
    NANDREL_HANDLE interface_ = nullptr;
    NANDREL_HANDLE port_ = nullptr;
    NANDREL_HANDLE target_ = nullptr;
    int32_t lastErrorNumber_ = 0;
    EmulationPodView emulationPod_{*this};
};

}  // namespace kv
