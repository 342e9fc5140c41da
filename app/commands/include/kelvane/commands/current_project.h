// The project the commands belong to: its default VCC, target processor and
// file. The document (or the console runner) installs it when a project
// becomes current and again when it is saved under a new path.
#pragma once

#include <string>

#include "kelvane/core/project_access.h"

namespace kv {

class CPrgProcessor;

// The project and the path of its file (empty while it has none); nullptr
// when no project is open.
void SetCommandProject(ProjectAccess* project, const std::string& filePath);
ProjectAccess* GetCommandProject();
const std::string& GetCommandProjectFile();
// The processor-list record of the project's target processor; nullptr
// without a project or for a name the list does not hold.
CPrgProcessor* GetCommandProjectProcessor();

}  // namespace kv
