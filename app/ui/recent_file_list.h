// The File menu's most recently used projects, newest first, kept in the
// settings as "File1", "File2", ... of the "Recent File List" section.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kv {
class CProfileSettings;
}

namespace kv::ui {

class CRecentFileList {
  public:
    static constexpr const char* kSection = "Recent File List";

    explicit CRecentFileList(std::size_t capacity = 8) : capacity_(capacity) {}

    std::size_t GetCapacity() const { return capacity_; }
    void SetCapacity(std::size_t capacity);
    const std::vector<std::string>& GetFiles() const { return files_; }

    // Puts the file first (as a full path); one that is there moves up; the
    // oldest falls off past the capacity.
    void Add(const std::string& path);
    void Remove(const std::string& path);

    void ReadFrom(const CProfileSettings& profile);
    // Writes the list as one value: saved over another program's list, this
    // one comes first, then the other's files it lacks, up to the capacity.
    void WriteTo(CProfileSettings& profile) const;

    // "&1 /path/file.kvnset": the menu text of entry i, a long path shortened
    // in its middle.
    static std::string MenuText(std::size_t index, const std::string& path);

  private:
    std::size_t capacity_;
    std::vector<std::string> files_;
};

}  // namespace kv::ui
