#include "kelvane/app/console_runner.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "kelvane/app/app_message_box.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/app/project_file_lock.h"
#include "kelvane/app/run_signals.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_processor.h"
#include "kelvane/core/run_stop.h"
#include "kelvane/platform/message_box.h"
#include "kelvane/project/prg_project.h"

namespace kv {

namespace {

std::string TrimBlanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

int Report(const std::string& text, int result) {
    AppMessageBox(text, kMbOk);
    return result;
}

void PrintNotice(const std::string& text) {
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

// Opens the project under its lock. A file replaced while it was read (the
// lock then guards the file that was there before) is locked and read again,
// so the run sends nothing to a device from a file another run may read too.
CPrgProject* OpenLockedProject(const std::string& path, CProjectFileLock& lock,
                               std::string& error) {
    const std::uint32_t limitMs = CProjectFileLock::WaitLimitFromEnvironment(PrintNotice);
    for (;;) {
        if (!lock.Acquire(path, limitMs, PrintNotice)) {
            error = "Unable to open project " + path + "\n" + lock.GetError();
            return nullptr;
        }
        CPrgProject* project = nullptr;
        try {
            project = OpenProject(path, error);
        } catch (const std::bad_alloc&) {
            // Whatever the project built so far is freed again on the way here.
            error = "Unable to open project " + path + "\nNot enough memory";
        }
        if (project == nullptr || !lock.IsHeld() || lock.StillNames(path)) return project;
        project->Clear();
        delete project;
    }
}

// The save's text, and what the run issued that the file now lacks.
std::string SaveFailureText(const std::string& error, const std::vector<std::string>& issued) {
    if (issued.empty()) return error;
    std::string names;
    for (const std::string& what : issued)
        names += (names.empty() ? "" : ", ") + what;
    return error + "\nThis run issued " + names + ", which the file does not record";
}

}  // namespace

int RunCommandLine(const std::string& commandLine) {
    std::string name;
    for (char c : commandLine)
        if (c != '"') name += c;
    name = TrimBlanks(name);
    int result = kResultSuccess;
    if (name.empty()) {
        result = Report("Usage:  CmdLineKelvane.exe YourFile.kvnset", kResultNoProject);
    } else {
        std::string path;
        GetFullPath(path, name);
        // Held from before the file is read until after the run's changes
        // are saved: another run of the file waits and then reads it afresh.
        CProjectFileLock lock;
        std::string error;
        CPrgProject* project = OpenLockedProject(path, lock, error);
        if (project == nullptr)
            result = Report(error, kResultNoProject);
        if (project != nullptr) {
            SetCurrentProject(project);
            int modified = 0;
            result = ExecuteProjectConsole(modified, lock.GetStamp());
            SetCurrentProject(nullptr);
            project->Clear();
            delete project;
        }
    }
    GetAppGlobals().resultCode = result;
    return result;
}

int ExecuteProjectConsole(int& modified, const std::optional<FileStamp>& asRead) {
    modified = 0;
    std::string error;
    CPrgProject* project = GetCurrentProject();
    if (project == nullptr) {
        error = "Unable to get NULL current project";
        return Report("Unable to execute NULL project\n" + error, kResultFailure);
    }
    CPrgOperation* list = GetCurrentCommandList(error);
    if (list == nullptr)
        return Report("Unable to execute NULL command list\n" + error, kResultFailure);
    CPrgProcessor* processor = GetCurrentProcessor(error);
    if (processor == nullptr)
        return Report("Unable to execute NULL processor\n" + error, kResultFailure);
    if (project->GetVcc() == 0) return Report("Unable to execute with zero VCC", kResultFailure);
    int podNeeded = 0;
    int adapterNeeded = 0;
    if (!list->GetRequiredInterfaces(&podNeeded, &adapterNeeded))
        return Report("Unable to launch operation.\n" + list->TakeError(), kResultFailure);

    // From before the devices open until they are closed and the changes
    // saved, a signal stops the run instead of ending the program.
    CRunSignalGuard stopOnSignal;
    StdoutLog log;
    CExecuteParams params;
    if (!params.Open(processor, project->GetVcc(), nullptr, nullptr, &log, project->GetName(), 1,
                     podNeeded, adapterNeeded)) {
        const int result = Report(params.TakeError(), kResultFailure);
        params.Close();
        return result;
    }
    int result = kResultSuccess;
    if (list->Execute(&params)) {
        modified = params.GetModified();
        // A changed project (a serial number advanced) is on disk before
        // success is reported, so a success line always means it is saved.
        // The lock refused a file with more than one name; the save refuses
        // one that got another name during the run, and one that another
        // program replaced or changed since the run read it.
        if (modified && !project->Save(project->GetPath(), {.asRead = asRead, .oneNameOnly = true})) {
            result = Report(SaveFailureText(project->TakeError(), params.GetIssued()),
                            kResultSaveFailed);
            params.SetStatusText("Operation failed");
            params.Log("Operation failed", true);
        } else {
            params.SetStatusText("Operation succeeded");
            params.Log("Operation succeeded", true);
        }
    } else {
        AppMessageBox("Unable to complete operation.\n" + list->TakeError(), kMbOk);
        params.SetStatusText("Operation failed");
        params.Log("Operation failed", true);
        // A failed run never reports success, even when no pod call failed.
        result = params.GetPodErrorNumber();
        if (result == kResultSuccess) result = kResultFailure;
        if (GetRunStopSignal() != 0) result = kResultStopped;
    }
    params.Close();
    return result;
}

}  // namespace kv
