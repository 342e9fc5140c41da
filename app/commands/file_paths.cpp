#include "kelvane/commands/file_paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace kv {

namespace {

namespace fs = std::filesystem;

std::string Slashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

fs::path CurrentDirectory() {
    std::error_code error;
    fs::path current = fs::current_path(error);
    return error ? fs::path("/") : current;
}

// The folder of the reference file as a normal full path.
fs::path ReferenceFolder(const std::string& referenceFile) {
    if (referenceFile.empty()) return CurrentDirectory().lexically_normal();
    fs::path reference(Slashes(referenceFile));
    if (reference.is_relative()) reference = CurrentDirectory() / reference;
    return reference.lexically_normal().parent_path();
}

// The components between slashes, empty ones dropped.
std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '/') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

}  // namespace

std::string MakeRelativeFilePath(const std::string& target, const std::string& referenceFile) {
    const fs::path folder = ReferenceFolder(referenceFile);
    const std::string full = MakeAbsoluteFilePath(referenceFile, target);
    const std::vector<std::string> folderParts = SplitPath(folder.string());
    const std::vector<std::string> targetParts = SplitPath(full);
    std::size_t i = 0;
    while (i < folderParts.size() && i < targetParts.size() && folderParts[i] == targetParts[i])
        ++i;
    if (i > 0 && i < folderParts.size() && i == targetParts.size()) return full;
    std::string relative;
    if (i == folderParts.size()) {
        relative = ".";
    } else if (i == 0) {
        return full;
    } else {
        for (std::size_t up = i; up < folderParts.size(); ++up)
            relative += up == i ? ".." : "/..";
    }
    for (std::size_t j = i; j < targetParts.size(); ++j)
        relative += "/" + targetParts[j];
    return relative;
}

std::string MakeAbsoluteFilePath(const std::string& referenceFile, const std::string& path) {
    fs::path name(Slashes(path));
    if (name.is_absolute()) return name.lexically_normal().string();
    return (ReferenceFolder(referenceFile) / name).lexically_normal().string();
}

std::string GetFileTitleNoExtension(const std::string& path) {
    std::string title = Slashes(path);
    const std::size_t slash = title.rfind('/');
    if (slash != std::string::npos) title.erase(0, slash + 1);
    const std::size_t dot = title.rfind('.');
    if (dot != std::string::npos) title.erase(dot);
    return title;
}

}  // namespace kv
