#include "recent_file_list.h"

#include <algorithm>

#include "kelvane/app/path_functions.h"
#include "kelvane/app/profile_settings.h"

namespace kv::ui {

namespace {

constexpr const char* kKeyPrefix = "File";

std::string FullPath(const std::string& path) {
    std::string full;
    GetFullPath(full, path);
    return full;
}

}  // namespace

void CRecentFileList::SetCapacity(std::size_t capacity) {
    capacity_ = capacity;
    if (files_.size() > capacity_) files_.resize(capacity_);
}

void CRecentFileList::Add(const std::string& path) {
    if (path.empty() || capacity_ == 0) return;
    const std::string full = FullPath(path);
    files_.erase(std::remove(files_.begin(), files_.end(), full), files_.end());
    files_.insert(files_.begin(), full);
    if (files_.size() > capacity_) files_.resize(capacity_);
}

void CRecentFileList::Remove(const std::string& path) {
    const std::string full = FullPath(path);
    files_.erase(std::remove(files_.begin(), files_.end(), full), files_.end());
}

void CRecentFileList::ReadFrom(const CProfileSettings& profile) {
    files_ = profile.GetProfileList(kSection, kKeyPrefix, capacity_);
}

void CRecentFileList::WriteTo(CProfileSettings& profile) const {
    profile.WriteProfileList(kSection, kKeyPrefix, files_, capacity_);
}

std::string CRecentFileList::MenuText(std::size_t index, const std::string& path) {
    constexpr std::size_t kLongest = 60;
    std::string shown = path;
    if (shown.size() > kLongest) {
        // Keep the start of the path and the whole file name.
        const std::size_t slash = shown.rfind('/');
        const std::string name = slash == std::string::npos ? shown : shown.substr(slash);
        const std::size_t head = name.size() + 4 < kLongest ? kLongest - name.size() - 4 : 8;
        shown = shown.substr(0, head) + "..." + name;
    }
    // An "&" in the path would become a mnemonic.
    std::string escaped;
    for (char c : shown) {
        if (c == '&') escaped += '&';
        escaped += c;
    }
    const std::string number = std::to_string(index + 1);
    return (index < 9 ? "&" + number : number) + " " + escaped;
}

}  // namespace kv::ui
