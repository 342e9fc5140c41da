#include "kelvane/app/profile_settings.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

#include "kelvane/app/path_functions.h"
#include "kelvane/platform/write_all.h"

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

// The file a save replaces: the target of a symbolic link, so that the link
// stays and the file it leads to gets the new text.
std::string WriteTarget(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
    // A link to a file not yet made: its target, beside the link when relative.
    char target[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    if (n <= 0) return path;
    const std::string link(target, static_cast<std::size_t>(n));
    if (link.front() == '/') return link;
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? link : path.substr(0, slash + 1) + link;
}

// Holds an exclusive lock on a folder while it lives: programs sharing one
// settings file take turns at reading and replacing it.
class FolderLock {
  public:
    explicit FolderLock(const std::string& folder)
        : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ < 0) {
            code_ = errno;
            return;
        }
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno == EINTR) continue;
            code_ = errno;
            return;
        }
    }
    ~FolderLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    int Code() const { return code_; }

  private:
    int fd_ = -1;
    int code_ = 0;
};

// A line break inside a value would split the entry in the file.
std::string Clean(const std::string& value) {
    std::string clean = value;
    for (char& c : clean)
        if (c == '\n' || c == '\r') c = ' ';
    return clean;
}

std::string ListKey(const std::string& prefix, std::size_t index) {
    return prefix + std::to_string(index + 1);
}

bool Contains(const std::vector<std::string>& values, const std::string& value) {
    return std::find(values.begin(), values.end(), value) != values.end();
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
    Clear();
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
        Set(section, Trim(line.substr(0, equals)), line.substr(equals + 1));
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
    const std::string target = WriteTarget(GetFilePath());
    const std::size_t slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    int code = 0;
    if (slash != std::string::npos && !MakeFolders(folder, code)) {
        FormatSystemError(error, code);
        return false;
    }
    // Under the lock the file is read again and only what this program
    // changed is put over it: another program's changes since this one read
    // the file, and sections this one never heard of, stay.
    FolderLock lock(folder);
    if (lock.Code() != 0) {
        FormatSystemError(error, lock.Code());
        return false;
    }
    CProfileSettings merged;
    merged.SetFilePath(target);
    if (!merged.Load(&error)) return false;
    for (const auto& [section, keys] : sections_)
        for (const auto& [key, value] : keys)
            if (changed_.count({section, key}) != 0) merged.Set(section, key, value);
    for (const auto& [section, list] : lists_) {
        if (list.values == list.loaded) continue;
        std::vector<std::string> values = list.values;
        for (const std::string& theirs :
             merged.GetProfileList(section, list.prefix, list.capacity)) {
            if (values.size() >= list.capacity) break;
            if (!Contains(values, theirs) && !Contains(list.loaded, theirs))
                values.push_back(theirs);
        }
        merged.SetList(section, list.prefix, values, list.capacity);
    }
    const std::string text = merged.Format();

    const std::string temp = target + ".~" + std::to_string(::getpid()) + ".new";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        FormatSystemError(error, errno);
        return false;
    }
    bool ok = kv::WriteAll(fd, text.data(), text.size()) && ::fsync(fd) == 0;
    code = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        code = errno;
    }
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
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
    const std::string clean = Clean(value);
    const std::string* current = Find(section, key);
    if (current == nullptr || *current != clean) changed_.insert({section, key});
    Set(section, key, clean);
}

std::vector<std::string> CProfileSettings::GetProfileList(const std::string& section,
                                                          const std::string& prefix,
                                                          std::size_t capacity) const {
    std::vector<std::string> values;
    for (std::size_t i = 0; i < capacity; ++i) {
        const std::string* value = Find(section, ListKey(prefix, i));
        if (value != nullptr && !value->empty() && !Contains(values, *value))
            values.push_back(*value);
    }
    return values;
}

void CProfileSettings::WriteProfileList(const std::string& section, const std::string& prefix,
                                        const std::vector<std::string>& values,
                                        std::size_t capacity) {
    auto [written, first] = lists_.try_emplace(section);
    if (first) written->second.loaded = GetProfileList(section, prefix, capacity);
    written->second.prefix = prefix;
    written->second.capacity = capacity;
    written->second.values.clear();
    for (const std::string& value : values) {
        if (written->second.values.size() >= capacity) break;
        const std::string clean = Clean(value);
        if (!clean.empty() && !Contains(written->second.values, clean))
            written->second.values.push_back(clean);
    }
    SetList(section, prefix, written->second.values, capacity);
}

void CProfileSettings::SetList(const std::string& section, const std::string& prefix,
                               const std::vector<std::string>& values, std::size_t capacity) {
    for (std::size_t i = 0; i < capacity; ++i)
        Set(section, ListKey(prefix, i), i < values.size() ? values[i] : std::string());
}

void CProfileSettings::Set(const std::string& section, const std::string& key,
                           const std::string& clean) {
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
