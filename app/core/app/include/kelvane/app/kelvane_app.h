// The application object: decides between window and console mode by the
// program's name, loads the configuration both modes need, detects the pod
// and the adapter in window mode, and at exit switches the target supply off,
// writes the settings back and frees everything.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace kv {

// Globals of the running program.
struct AppGlobals {
    std::string programVersion = "02.03.03b";
    std::string podFirmwareVersion = "Unknown";
    std::string podLibraryVersion = "Unknown";
    std::string podSerialNumber = "Unknown";
    int podVppCapable = 0;
    bool PodVccAdjustable = false;
    std::uint32_t PodFixedVcc = 3300;
    std::string adapterFirmwareVersion = "Unknown";
    std::string adapterLibraryVersion = "Unknown";
    std::string adapterSerialNumber = "Unknown";
    int adapterPresent = 0;
    int resultCode = 0;
};
AppGlobals& GetAppGlobals();

// The "Options" settings of the read-to-file dialog.
struct ReadSettings {
    std::string ReadFilePath = "MyFile.txt";
    int ReadFileType = 1;
    int ReadAddress = 0xF000;
    int ReadSize = 0x1000;
    int OpenAfterRead = 1;
};
ReadSettings& GetReadSettings();

// The New Project Wizard's options ("NewProject").
struct NewProjectSettings {
    int UnLockFlashA = 0;
    int EraseTarget = 1;
    int WithVerify = 1;
    int WriteFile = 1;
    std::string WriteFilePath = "NoFile.txt";
    int BlowFuse = 0;
    int VccOff = 1;
    int ResetTarget = 0;
    int ReleaseJTAG = 0;
};
NewProjectSettings& GetNewProjectSettings();

// Equal names (ignoring case) mean window mode.
bool IsConsoleMode(const std::string& applicationTitle, const std::string& programName);

// What only the window program can do. The console program installs none.
class WindowModeHooks {
  public:
    virtual ~WindowModeHooks() = default;
    virtual void LoadRecentFileList(int entries) = 0;
    // The single-document template (document, main frame, form view).
    virtual void RegisterDocumentTemplate() = 0;
    // Shell open and the "kvnset" document type.
    virtual void RegisterShellFileType() = 0;
    // Reads the command line: the "Silent" switch and the file named.
    virtual void ParseCommandLine(const std::string& commandLine, bool& silent,
                                  std::string& file) = 0;
    // The document opens the file; false when it could not.
    virtual bool OpenDocumentFile(const std::string& file) = 0;
    // The document takes the pending new project; false when it failed.
    virtual bool CreateNewDocument() = 0;
    // File Open: the user picks a project.
    virtual void FileOpen() = 0;
    virtual void ShowMainWindow() = 0;
    // Runs the message loop; returns the framework's exit code.
    virtual int Run() = 0;
};

class CKelvaneApp {
  public:
    // The program's title; also the name under which it runs as a window.
    static constexpr const char* kApplicationTitle = "Kelvane";

    explicit CKelvaneApp(WindowModeHooks* window = nullptr) : window_(window) {}

    // Start-up. programPath is the program file (argv[0]); commandLine what
    // follows it. Returns true when a message loop is to run.
    bool InitInstance(const std::string& programPath, const std::string& commandLine);
    // Shutdown; returns the process exit code (and prints "Result = %d" in
    // console mode).
    int ExitInstance(int frameworkExitCode = 0);
    // InitInstance, the message loop when there is one, ExitInstance.
    int Main(const std::string& programPath, const std::string& commandLine);

    bool LoadConfiguration();
    // The first project, and File New.
    bool OnFileNew();

  private:
    WindowModeHooks* window_;
};

int LoadStartupFiles(std::string& error);
void LoadRegistrySettings();
void SaveRegistrySettings();
int CreateAllPrototypes(std::string& error);
void DestroyAllPrototypes();
void ShutdownApplication();

// The analysis-item prototypes belong to the command library, which installs
// their creation here before start-up.
struct AnalysisPrototypeHooks {
    std::function<int(std::string& error)> create;
    std::function<void()> destroy;
};
void SetAnalysisPrototypeHooks(AnalysisPrototypeHooks hooks);

void DetectAdapters();
void DetectDravik();
void DetectTovrin();

// The fill of newly sized value buffers: all 32 bits set.
std::uint32_t GetErasedFillValue();

}  // namespace kv
