#include "kelvane/app/lock_holder.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>

namespace kv {

namespace {

// The holder of a granted flock on the file in /proc/locks, whose lines read
// "1: FLOCK  ADVISORY  WRITE 1234 fe:00:10953436 0 EOF" ("->" marks a waiter).
// An entry of the same inode on another device number is taken when none
// matches whole: an overlay reports the device of the file system above.
pid_t FlockHolder(const struct stat& file) {
    std::ifstream locks("/proc/locks");
    char device[32];
    std::snprintf(device, sizeof device, "%02x:%02x:", major(file.st_dev), minor(file.st_dev));
    const std::string exact = device + std::to_string(file.st_ino);
    const std::string inode = ":" + std::to_string(file.st_ino);
    pid_t sameInode = 0;
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, where;
        long pid = 0;
        if (!(fields >> number >> kind) || kind != "FLOCK") continue;
        if (!(fields >> mode >> access >> pid >> where) || pid <= 0) continue;
        if (where == exact) return static_cast<pid_t>(pid);
        if (sameInode == 0 && where.size() > inode.size() && where.ends_with(inode))
            sameInode = static_cast<pid_t>(pid);
    }
    return sameInode;
}

std::string FirstLine(const std::string& path) {
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    return line;
}

// When the process started, from its start in clock ticks after boot.
std::string StartOf(pid_t pid) {
    const std::string stat = FirstLine("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos) return {};
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    // The start time is field 22; fields 3 onwards follow the name.
    for (int index = 3; index < 22 && fields >> field; ++index) {
    }
    unsigned long long ticks = 0;
    if (!(fields >> ticks)) return {};
    std::ifstream system("/proc/stat");
    long long boot = -1;
    for (std::string line; std::getline(system, line);)
        if (line.starts_with("btime ")) boot = std::stoll(line.substr(6));
    const long perSecond = ::sysconf(_SC_CLK_TCK);
    if (boot < 0 || perSecond <= 0) return {};
    const std::time_t started = static_cast<std::time_t>(boot + static_cast<long long>(ticks) / perSecond);
    std::tm local {};
    char text[32];
    if (::localtime_r(&started, &local) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0)
        return {};
    return text;
}

}  // namespace

std::string DescribeLockHolder(int fd) {
    struct stat file {};
    const pid_t pid = ::fstat(fd, &file) == 0 ? FlockHolder(file) : 0;
    if (pid <= 0) return "a process this system does not name";
    std::string text = "process " + std::to_string(pid);
    const std::string program = FirstLine("/proc/" + std::to_string(pid) + "/comm");
    if (!program.empty()) text += " (" + program + ")";
    const std::string since = StartOf(pid);
    if (!since.empty()) text += ", running since " + since;
    return text;
}

}  // namespace kv
