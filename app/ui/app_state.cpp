#include "app_state.h"

namespace kv::ui {

namespace {

int gBusy = 0;

constexpr const char* kOptions = "Options";

}  // namespace

const char* const kProgramVersion = "02.03.03b";

int IsBusy() {
    return gBusy;
}

void SetBusyFlag(int busy) {
    gBusy = busy;
}

DetectedDevices& GetDetectedDevices() {
    static DetectedDevices devices;
    return devices;
}

ReadSettings& GetReadSettings() {
    static ReadSettings settings;
    return settings;
}

void LoadReadSettings(SettingsStore& store, ReadSettings& settings) {
    settings.ReadFilePath = store.GetString(kOptions, "ReadFilePath", "MyFile.txt");
    settings.ReadFileType = store.GetInt(kOptions, "ReadFileType", 1);
    settings.ReadAddress = static_cast<std::uint32_t>(store.GetInt(kOptions, "ReadAddress", 61440));
    settings.ReadSize = static_cast<std::uint32_t>(store.GetInt(kOptions, "ReadSize", 4096));
    settings.OpenAfterRead = store.GetInt(kOptions, "OpenAfterRead", 1);
}

void SaveReadSettings(SettingsStore& store, const ReadSettings& settings) {
    store.WriteString(kOptions, "ReadFilePath", settings.ReadFilePath);
    store.WriteInt(kOptions, "ReadFileType", settings.ReadFileType);
    store.WriteInt(kOptions, "ReadAddress", static_cast<int>(settings.ReadAddress));
    store.WriteInt(kOptions, "ReadSize", static_cast<int>(settings.ReadSize));
    store.WriteInt(kOptions, "OpenAfterRead", settings.OpenAfterRead);
}

}  // namespace kv::ui
