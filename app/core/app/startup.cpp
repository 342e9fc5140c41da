// Configuration loaded at start-up, settings, and the shutdown.
#include <cstdio>

#include "kelvane/app/app_message_box.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/app/profile_settings.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/command_factory.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/plugin_lists.h"
#include "kelvane/core/project_tree_item.h"
#include "kelvane/core/tovrin.h"
#include "kelvane/project/prg_project.h"

namespace kv {

namespace {

AnalysisPrototypeHooks& AnalysisHooks() {
    static AnalysisPrototypeHooks hooks;
    return hooks;
}

// Whether this run read the settings file: only then are the settings written
// back, so a start-up that failed, or a file that could not be read, never
// has defaults written over what the user had.
bool& SettingsRead() {
    static bool read = false;
    return read;
}

void SettingsNotice(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
    std::fflush(stderr);
}

void LoadReadSettings() {
    const CProfileSettings& profile = GetAppProfile();
    ReadSettings& read = GetReadSettings();
    read.ReadFilePath = profile.GetProfileString("Options", "ReadFilePath", "MyFile.txt");
    read.ReadFileType = profile.GetProfileInt("Options", "ReadFileType", 1);
    read.ReadAddress = profile.GetProfileInt("Options", "ReadAddress", 0xF000);
    read.ReadSize = profile.GetProfileInt("Options", "ReadSize", 0x1000);
    read.OpenAfterRead = profile.GetProfileInt("Options", "OpenAfterRead", 1);
    g_strDefaultReadFile = read.ReadFilePath;
}

void SaveReadSettings() {
    CProfileSettings& profile = GetAppProfile();
    ReadSettings& read = GetReadSettings();
    read.ReadFilePath = g_strDefaultReadFile;
    profile.WriteProfileString("Options", "ReadFilePath", read.ReadFilePath);
    profile.WriteProfileInt("Options", "ReadFileType", read.ReadFileType);
    profile.WriteProfileInt("Options", "ReadAddress", read.ReadAddress);
    profile.WriteProfileInt("Options", "ReadSize", read.ReadSize);
    profile.WriteProfileInt("Options", "OpenAfterRead", read.OpenAfterRead);
}

void LoadNewProjectSettings() {
    const CProfileSettings& profile = GetAppProfile();
    NewProjectSettings& s = GetNewProjectSettings();
    s.UnLockFlashA = profile.GetProfileInt("NewProject", "UnLockFlashA", 0);
    s.EraseTarget = profile.GetProfileInt("NewProject", "EraseTarget", 1);
    s.WithVerify = profile.GetProfileInt("NewProject", "WithVerify", 1);
    s.WriteFile = profile.GetProfileInt("NewProject", "WriteFile", 1);
    s.WriteFilePath = profile.GetProfileString("NewProject", "WriteFilePath", "NoFile.txt");
    s.BlowFuse = profile.GetProfileInt("NewProject", "BlowFuse", 0);
    s.VccOff = profile.GetProfileInt("NewProject", "VccOff", 1);
    s.ResetTarget = profile.GetProfileInt("NewProject", "ResetTarget", 0);
    s.ReleaseJTAG = profile.GetProfileInt("NewProject", "ReleaseJTAG", 0);
}

void SaveNewProjectSettings() {
    CProfileSettings& profile = GetAppProfile();
    const NewProjectSettings& s = GetNewProjectSettings();
    profile.WriteProfileInt("NewProject", "UnLockFlashA", s.UnLockFlashA);
    profile.WriteProfileInt("NewProject", "EraseTarget", s.EraseTarget);
    profile.WriteProfileInt("NewProject", "WithVerify", s.WithVerify);
    profile.WriteProfileInt("NewProject", "WriteFile", s.WriteFile);
    profile.WriteProfileString("NewProject", "WriteFilePath", s.WriteFilePath);
    profile.WriteProfileInt("NewProject", "BlowFuse", s.BlowFuse);
    profile.WriteProfileInt("NewProject", "VccOff", s.VccOff);
    profile.WriteProfileInt("NewProject", "ResetTarget", s.ResetTarget);
    profile.WriteProfileInt("NewProject", "ReleaseJTAG", s.ReleaseJTAG);
}

}  // namespace

AppGlobals& GetAppGlobals() {
    static AppGlobals globals;
    return globals;
}

ReadSettings& GetReadSettings() {
    static ReadSettings settings;
    return settings;
}

NewProjectSettings& GetNewProjectSettings() {
    static NewProjectSettings settings;
    return settings;
}

std::uint32_t GetErasedFillValue() {
    return 0xFFFFFFFFu;
}

void SetAnalysisPrototypeHooks(AnalysisPrototypeHooks hooks) {
    AnalysisHooks() = std::move(hooks);
}

int CreateAllPrototypes(std::string& error) {
    if (!CreateCommandPrototypes(error)) return 0;
    if (AnalysisHooks().create && !AnalysisHooks().create(error)) {
        DestroyCommandPrototypes();
        return 0;
    }
    return 1;
}

void DestroyAllPrototypes() {
    if (AnalysisHooks().destroy) AnalysisHooks().destroy();
    DestroyCommandPrototypes();
}

int LoadStartupFiles(std::string& error) {
    if (!CProjectTreeItem::InitBooleanMap()) {
        error = "Unable to initialize the TRUE/FALSE keyword map";
        return 0;
    }
    if (!InitCommandTypes(error)) return 0;
    // Only the path is kept; the adapter wrapper hands it to the library
    // whenever it opens.
    std::string patch;
    GetFullPath(patch, "PATCH.TXT");
    CTovrin::SetPatchFileName(patch.c_str(), 1);
    // Each list's own text goes into the one message the start-up shows.
    std::string detail;
    if (!LoadProcessorTable("ProcessorList.xml", &detail)) {
        error = "Unable to load the processor list ProcessorList.xml\n" + detail;
        return 0;
    }
    if (!CSerializerPlugins::LoadSerializerModules("Serializers.xml", &detail)) {
        error = "Unable to load the serializer plug-ins from Serializers.xml\n" + detail;
        return 0;
    }
    if (!COverlayPlugins::LoadOverlayModules("Overlays.xml", &detail)) {
        error = "Unable to load the overlay plug-ins from Overlays.xml\n" + detail;
        return 0;
    }
    if (!CreateAllPrototypes(error)) return 0;
    LoadRegistrySettings();
    return 1;
}

void LoadRegistrySettings() {
    CProfileSettings& profile = GetAppProfile();
    std::string readError;
    SettingsRead() = profile.Load(&readError);
    if (!SettingsRead())
        SettingsNotice("Settings file " + profile.GetFilePath() + " cannot be read (" + readError +
                       "); it is left as it is and this run's settings are not saved");
    LoadReadSettings();
    std::string current;
    GetCurrentDirectoryString(current);
    const std::string cwd = profile.GetProfileString("Options", "CWD", current);
    std::string error;
    SetCurrentDirectoryChecked(cwd, error);  // a folder that is gone is no error
    LoadLastDocSettings();
    LoadNewProjectSettings();
}

void SaveRegistrySettings() {
    if (!SettingsRead()) return;
    SettingsRead() = false;
    CProfileSettings& profile = GetAppProfile();
    if (profile.IsReadOnly()) {
        SettingsNotice("Settings file " + profile.GetFilePath() +
                       " is read-only; it is left as it is and this run's settings are not saved");
        return;
    }
    SaveNewProjectSettings();
    SaveLastDocSettings();
    SaveReadSettings();
    std::string current;
    GetCurrentDirectoryString(current);
    profile.WriteProfileString("Options", "CWD", current);
    std::string error;
    if (!profile.Save(error))
        SettingsNotice("Settings file " + profile.GetFilePath() + " could not be saved (" + error +
                       ")");
}

void ShutdownApplication() {
    DeletePendingNewProject();
    // The target's supply goes off whatever the last run left.
    {
        CDravik pod;
        if (pod.Reopen()) {
            pod.SetVCC(0);
            pod.Close();
        }
    }
    SaveRegistrySettings();
    DestroyProcessorTable();
    DestroyAllPrototypes();
    COverlayPlugins::UnloadOverlayModules();
    CSerializerPlugins::UnloadSerializerModules();
}

}  // namespace kv
