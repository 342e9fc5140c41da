// The paths the file commands keep: a project file stores each image file
// relative to its own folder ("./app.txt", "../images/app.txt"), the commands
// work with full paths. Names stored with backslashes read as with slashes.
#pragma once

#include <string>

namespace kv {

// The target's path relative to the folder of the reference file (the current
// directory when the reference is empty): "./" and the rest below the folder,
// or "../" steps up to the common folder. A target sharing no folder with the
// reference stays a full path.
// The attribute of every file command that holds its file, relative to the
// project file; written and read by hand, since it is recomputed at every save.
inline constexpr const char* kFileNameAttribute = "strFileName";

std::string MakeRelativeFilePath(const std::string& target, const std::string& referenceFile);
// The path resolved against the folder of the reference file (the current
// directory when the reference is empty); a full path stays as it is.
std::string MakeAbsoluteFilePath(const std::string& referenceFile, const std::string& path);
// The file name without its folder and without everything from its last ".".
std::string GetFileTitleNoExtension(const std::string& path);

}  // namespace kv
