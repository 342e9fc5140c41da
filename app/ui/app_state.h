// Program-wide state the window reads: the busy flag, what device detection
// found at start-up and the read settings of the Read Device and Read Range
// commands.
#pragma once

#include <cstdint>
#include <string>

namespace kv::ui {

struct DetectedDevices {
    int podPresent = 0;
    // A pod that can blow the JTAG fuse.
    int professionalPod = 0;
    std::string podFirmwareVersion = "Unknown";
    std::string podSerialNumber = "Unknown";
    std::string podLibraryVersion = "Unknown";
    int adapterPresent = 0;
    std::string adapterFirmwareVersion = "Unknown";
    std::string adapterSerialNumber = "Unknown";
    std::string adapterLibraryVersion = "Unknown";
};

// Section "Options" of the program's settings.
struct ReadSettings {
    std::string ReadFilePath = "MyFile.txt";
    int ReadFileType = 1;
    std::uint32_t ReadAddress = 0xF000;
    std::uint32_t ReadSize = 0x1000;
    int OpenAfterRead = 1;
};

// Where settings are kept; the application provides it.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual int GetInt(const std::string& section, const std::string& key, int fallback) = 0;
    virtual std::string GetString(const std::string& section, const std::string& key,
                                  const std::string& fallback) = 0;
    virtual void WriteInt(const std::string& section, const std::string& key, int value) = 0;
    virtual void WriteString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
};

void LoadReadSettings(SettingsStore& store, ReadSettings& settings);
void SaveReadSettings(SettingsStore& store, const ReadSettings& settings);

// The program's version text, shown by the log banner.
extern const char* const kProgramVersion;

// While set, every command handler of the view returns at once.
int IsBusy();
void SetBusyFlag(int busy);

DetectedDevices& GetDetectedDevices();
ReadSettings& GetReadSettings();

}  // namespace kv::ui
