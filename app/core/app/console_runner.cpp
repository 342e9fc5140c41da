#include "kelvane/app/console_runner.h"

#include <new>

#include "kelvane/app/app_message_box.h"
#include "kelvane/app/kelvane_app.h"
#include "kelvane/app/path_functions.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/core/prg_processor.h"
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
        std::string error;
        CPrgProject* project = nullptr;
        try {
            project = OpenProject(path, error);
        } catch (const std::bad_alloc&) {
            // Whatever the project built so far is freed again on the way here.
            error = "Unable to open project " + path + "\nNot enough memory";
        }
        if (project == nullptr) {
            result = Report(error, kResultNoProject);
        } else {
            SetCurrentProject(project);
            int modified = 0;
            result = ExecuteProjectConsole(modified);
            if (modified && result == kResultSuccess && !project->Save(project->GetPath()))
                result = Report(project->TakeError(), kResultSaveFailed);
            SetCurrentProject(nullptr);
            project->Clear();
            delete project;
        }
    }
    GetAppGlobals().resultCode = result;
    return result;
}

int ExecuteProjectConsole(int& modified) {
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
        params.SetStatusText("Operation succeeded");
        params.Log("Operation succeeded", true);
        modified = params.GetModified();
    } else {
        AppMessageBox("Unable to complete operation.\n" + list->TakeError(), kMbOk);
        params.SetStatusText("Operation failed");
        params.Log("Operation failed", true);
        // A failed run never reports success, even when no pod call failed.
        result = params.GetPodErrorNumber();
        if (result == kResultSuccess) result = kResultFailure;
    }
    params.Close();
    return result;
}

}  // namespace kv
