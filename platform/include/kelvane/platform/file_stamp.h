// What tells one version of a file from another: the file a name names
// (device and inode), its size, its last modification and how many names it
// has. A save compares the file with the stamp it had when it was read, so a
// file another program replaced or changed meanwhile is not written over.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>

namespace kv {

struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t names = 0;

    // The same file, whatever it holds now.
    bool SameFile(const FileStamp& other) const {
        return device == other.device && inode == other.inode;
    }
    // The same file with the same size and modification time.
    bool Unchanged(const FileStamp& other) const {
        return SameFile(other) && size == other.size && modifiedNs == other.modifiedNs;
    }
};

// The stamp of the file the path names (a symbolic link is followed);
// nothing when there is none.
std::optional<FileStamp> StampOfPath(const std::string& path);
// The stamp of an open file.
std::optional<FileStamp> StampOfDescriptor(int fd);

}  // namespace kv
