#include "kelvane/app/profile_settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "kelvane/app/path_functions.h"

namespace kv {

namespace {

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool MakeFolders(const std::string& folder, int& code) {
    std::string path;
    std::vector<std::string> parts;
    SplitPath(parts, folder);
    for (const std::string& part : parts) {
        path += "/" + part;
        if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
            code = errno;
            return false;
        }
    }
    return true;
}

}  // namespace

void CProfileSettings::SetRegistryKey(const std::string& maker) {
    maker_ = maker;
}

std::string CProfileSettings::GetFilePath() const {
    if (!pathOverride_.empty()) return pathOverride_;
    std::string base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        base = std::string(home) + "/.config";
    } else {
        base = "/tmp";
    }
    AppendBackslash(base);
    return base + maker_ + "/Kelvane.ini";
}

bool CProfileSettings::Load(std::string* error) {
    sections_.clear();
    const std::string path = GetFilePath();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        if (code == ENOENT) return true;
        if (error != nullptr) FormatSystemError(*error, code);
        return false;
    }
    std::string text;
    char buffer[4096];
    int code = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) code = errno;
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (code != 0) {
        if (error != nullptr) FormatSystemError(*error, code);
        return false;
    }
    Parse(text);
    return true;
}

bool CProfileSettings::IsReadOnly() const {
    const std::string path = GetFilePath();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    return (info.st_mode & 0222) == 0 || ::access(path.c_str(), W_OK) != 0;
}

void CProfileSettings::Parse(const std::string& text) {
    sections_.clear();
    std::istringstream in(text);
    std::string line;
    std::string section;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') continue;
        if (trimmed.front() == '[' && trimmed.back() == ']') {
            section = trimmed.substr(1, trimmed.size() - 2);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || section.empty()) continue;
        WriteProfileString(section, Trim(line.substr(0, equals)), line.substr(equals + 1));
    }
}

std::string CProfileSettings::Format() const {
    std::string text;
    for (const auto& [section, keys] : sections_) {
        if (!text.empty()) text += '\n';
        text += "[" + section + "]\n";
        for (const auto& [key, value] : keys)
            text += key + "=" + value + "\n";
    }
    return text;
}

bool CProfileSettings::Save(std::string& error) const {
    const std::string path = GetFilePath();
    const std::size_t slash = path.find_last_of('/');
    int code = 0;
    if (slash != std::string::npos && !MakeFolders(path.substr(0, slash), code)) {
        FormatSystemError(error, code);
        return false;
    }
    const std::string temp = path + ".new";
    const std::string text = Format();
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        FormatSystemError(error, errno);
        return false;
    }
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    code = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        code = errno;
    }
    if (!ok) {
        ::unlink(temp.c_str());
        FormatSystemError(error, code);
    }
    return ok;
}

const std::string* CProfileSettings::Find(const std::string& section,
                                          const std::string& key) const {
    for (const auto& [name, keys] : sections_) {
        if (name != section) continue;
        for (const auto& [k, value] : keys)
            if (k == key) return &value;
    }
    return nullptr;
}

int CProfileSettings::GetProfileInt(const std::string& section, const std::string& key,
                                    int defaultValue) const {
    const std::string* value = Find(section, key);
    if (value == nullptr) return defaultValue;
    // A stored value is read like the leading number of a C long; text that
    // is no number reads as 0.
    return static_cast<int>(std::strtol(value->c_str(), nullptr, 10));
}

std::string CProfileSettings::GetProfileString(const std::string& section, const std::string& key,
                                               const std::string& defaultValue) const {
    const std::string* value = Find(section, key);
    return value != nullptr ? *value : defaultValue;
}

void CProfileSettings::WriteProfileInt(const std::string& section, const std::string& key,
                                       int value) {
    WriteProfileString(section, key, std::to_string(value));
}

void CProfileSettings::WriteProfileString(const std::string& section, const std::string& key,
                                          const std::string& value) {
    // A line break inside a value would split the entry in the file.
    std::string clean = value;
    for (char& c : clean)
        if (c == '\n' || c == '\r') c = ' ';
    for (auto& [name, keys] : sections_) {
        if (name != section) continue;
        for (auto& [k, v] : keys) {
            if (k == key) {
                v = clean;
                return;
            }
        }
        keys.emplace_back(key, clean);
        return;
    }
    sections_.push_back({section, {{key, clean}}});
}

CProfileSettings& GetAppProfile() {
    static CProfileSettings profile;
    return profile;
}

}  // namespace kv
