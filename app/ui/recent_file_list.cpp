#include "recent_file_list.h"

#include <algorithm>
#include <filesystem>

#include "kelvane/app/profile_settings.h"

namespace kv::ui {

namespace {

std::string FullPath(const std::string& path) {
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(path, error);
    return error ? path : full.lexically_normal().string();
}

std::string Key(std::size_t index) {
    return "File" + std::to_string(index + 1);
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
    files_.clear();
    for (std::size_t i = 0; i < capacity_; ++i) {
        const std::string path = profile.GetProfileString(kSection, Key(i), "");
        if (!path.empty() && std::find(files_.begin(), files_.end(), path) == files_.end())
            files_.push_back(path);
    }
}

void CRecentFileList::WriteTo(CProfileSettings& profile) const {
    for (std::size_t i = 0; i < capacity_; ++i)
        profile.WriteProfileString(kSection, Key(i), i < files_.size() ? files_[i] : "");
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
