#include "kelvane/app/path_functions.h"

#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace kv {

namespace {

std::string& ModuleDirectoryOverride() {
    static std::string directory;
    return directory;
}

// Resolves "." and ".." and repeated separators of an absolute path without
// asking the file system, so a file that does not exist yet has a full path.
std::string Normalize(const std::string& absolute) {
    std::vector<std::string> parts;
    SplitPath(parts, absolute);
    std::vector<std::string> kept;
    for (const std::string& part : parts) {
        if (part == ".") continue;
        if (part == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string out;
    for (const std::string& part : kept)
        out += "/" + part;
    if (out.empty()) out = "/";
    if (absolute.size() > 1 && absolute.back() == '/' && out != "/") out += '/';
    return out;
}

bool FullPath(std::string& out, const std::string& name, int& code) {
    if (name.empty()) {
        code = ENOENT;
        return false;
    }
    std::string absolute = name;
    if (name[0] != '/') {
        std::string current;
        GetCurrentDirectoryString(current);
        if (current.empty()) {
            code = errno != 0 ? errno : ENOENT;
            return false;
        }
        AppendBackslash(current);
        absolute = current + name;
    }
    out = Normalize(absolute);
    if (out.size() >= kMaxPath) {
        code = ENAMETOOLONG;
        return false;
    }
    return true;
}

}  // namespace

void FormatSystemError(std::string& out, int code) {
    char buffer[1024];
    const char* text = ::strerror_r(code, buffer, sizeof buffer);
    out.assign(text).resize(std::min<std::size_t>(out.size(), 1022));
}

bool GetFileDirectory(std::string& out, const std::string& file, std::string& error) {
    std::string full;
    int code = 0;
    if (!FullPath(full, file, code)) {
        FormatSystemError(error, code);
        return false;
    }
    const std::size_t slash = full.find_last_of('/');
    if (slash == std::string::npos || slash + 1 == full.size()) {
        error = "Unable to truncate NULL filename";
        return false;
    }
    out = full.substr(0, slash + 1);
    return true;
}

std::string GetModuleDirectory() {
    if (!ModuleDirectoryOverride().empty()) return ModuleDirectoryOverride();
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return {};
    std::string path(buffer, static_cast<std::size_t>(length));
    return path.substr(0, path.find_last_of('/') + 1);
}

void SetModuleDirectory(const std::string& directory) {
    ModuleDirectoryOverride() = directory;
    if (!directory.empty()) AppendBackslash(ModuleDirectoryOverride());
}

bool SetCurrentDirectoryToModule(std::string& error) {
    const std::string directory = GetModuleDirectory();
    if (directory.empty()) {
        FormatSystemError(error, errno != 0 ? errno : ENOENT);
        return false;
    }
    return SetCurrentDirectoryChecked(directory, error);
}

bool SetCurrentDirectoryToFile(const std::string& file, std::string& error) {
    std::string directory;
    if (!GetFileDirectory(directory, file, error)) return false;
    return SetCurrentDirectoryChecked(directory, error);
}

bool SetCurrentDirectoryChecked(const std::string& path, std::string& error) {
    if (::chdir(path.c_str()) != 0) {
        FormatSystemError(error, errno);
        return false;
    }
    return true;
}

void GetCurrentDirectoryString(std::string& out) {
    char buffer[PATH_MAX];
    out = ::getcwd(buffer, sizeof buffer) != nullptr ? buffer : "";
}

bool MakeRelativePath(std::string& out, const std::string& target, const std::string& reference,
                      std::string& error) {
    std::string folder;
    if (!GetFileDirectory(folder, reference, error)) return false;
    std::vector<std::string> from;
    std::vector<std::string> to;
    SplitPath(from, folder);
    SplitPath(to, target);
    auto join = [&](std::size_t first) {
        std::string joined;
        for (std::size_t i = first; i < to.size(); ++i) {
            if (i != first) joined += '/';
            joined += to[i];
        }
        return joined;
    };
    const std::size_t common = std::min(from.size(), to.size());
    std::size_t i = 0;
    while (i < common && from[i] == to[i])
        ++i;
    if (i == common) {
        out = "./" + join(i);
    } else if (i == 0) {
        out = (target.starts_with('/') ? "/" : "") + join(0);
    } else {
        out.clear();
        for (std::size_t up = i; up < from.size(); ++up)
            out += "../";
        out += join(i);
    }
    return true;
}

void MakeAbsolutePath(std::string& out, const std::string& reference, const std::string& relative) {
    std::string error;
    if (!relative.empty() && relative[0] == '/') {
        GetFullPath(out, relative);
        return;
    }
    std::string folder;
    if (GetFileDirectory(folder, reference, error))
        GetFullPath(out, folder + relative);
    else
        GetFullPath(out, relative);
}

void GetFullPath(std::string& out, const std::string& name) {
    int code = 0;
    std::string full;
    out = FullPath(full, name, code) ? full : name;
}

void SplitPath(std::vector<std::string>& out, const std::string& path) {
    out.clear();
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = path.find('/', start);
        const std::string part =
            path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!part.empty()) out.push_back(part);
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

bool GetFileTitleNoExtension(const std::string& path, std::string& out, std::string& error) {
    const std::size_t slash = path.find_last_of('/');
    std::string title = slash == std::string::npos ? path : path.substr(slash + 1);
    if (title.empty()) {
        error = "Unable to extract file title from\n'" + path + "'";
        return false;
    }
    const std::size_t dot = title.find_last_of('.');
    if (dot != std::string::npos) title.resize(dot);
    out = title;
    return true;
}

void AppendBackslash(std::string& text) {
    if (!text.empty() && text.back() != '/') text += '/';
}

}  // namespace kv
