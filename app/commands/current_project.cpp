#include "kelvane/commands/current_project.h"

#include "kelvane/core/array_prg_processor.h"

namespace kv {

namespace {

struct CommandProject {
    ProjectAccess* project = nullptr;
    std::string filePath;
};

CommandProject& Current() {
    static CommandProject current;
    return current;
}

}  // namespace

void SetCommandProject(ProjectAccess* project, const std::string& filePath) {
    Current().project = project;
    Current().filePath = project != nullptr ? filePath : std::string();
}

ProjectAccess* GetCommandProject() {
    return Current().project;
}

const std::string& GetCommandProjectFile() {
    return Current().filePath;
}

CPrgProcessor* GetCommandProjectProcessor() {
    ProjectAccess* project = Current().project;
    if (project == nullptr) return nullptr;
    return FindProcessorByName(project->GetTargetProcessorName());
}

}  // namespace kv
