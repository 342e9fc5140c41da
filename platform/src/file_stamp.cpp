#include "kelvane/platform/file_stamp.h"

#include <sys/stat.h>

namespace kv {

namespace {

FileStamp StampOf(const struct stat& info) {
    FileStamp stamp;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
    stamp.names = info.st_nlink;
    return stamp;
}

}  // namespace

std::optional<FileStamp> StampOfPath(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return StampOf(info);
}

std::optional<FileStamp> StampOfDescriptor(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return std::nullopt;
    return StampOf(info);
}

}  // namespace kv
