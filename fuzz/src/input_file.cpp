#include "input_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace kv::fuzz {

namespace {

void Die(const char* what) {
    std::perror(what);
    std::abort();
}

}  // namespace

MemoryFile::MemoryFile(const char* name) : fd_(::memfd_create(name, MFD_CLOEXEC)) {
    if (fd_ < 0) Die("memfd_create");
    path_ = "/proc/self/fd/" + std::to_string(fd_);
}

MemoryFile::~MemoryFile() {
    ::close(fd_);
}

const std::string& MemoryFile::Write(const std::uint8_t* data, std::size_t size) const {
    if (::ftruncate(fd_, 0) != 0) Die("ftruncate");
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0) Die("pwrite");
        done += static_cast<std::size_t>(n);
    }
    return path_;
}

std::string MemoryFile::Read() const {
    std::string bytes;
    char chunk[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd_, chunk, sizeof chunk, at);
        if (n < 0) Die("pread");
        if (n == 0) break;
        bytes.append(chunk, static_cast<std::size_t>(n));
        at += n;
    }
    return bytes;
}

InputFolder::InputFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string root = base != nullptr && *base ? base : "";
    if (root.empty()) root = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = root + "/kelvane_fuzz_XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) Die("mkdtemp");
    path_ = pattern;
}

InputFolder::~InputFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string InputFolder::Write(const std::string& name, const std::uint8_t* data,
                               std::size_t size) const {
    const std::string file = path_ + "/" + name;
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr || (size > 0 && std::fwrite(data, 1, size, out) != size) ||
        std::fclose(out) != 0) {
        Die(file.c_str());
    }
    return file;
}

void InputFolder::Empty() const {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(path_, ignored))
        std::filesystem::remove_all(entry.path(), ignored);
}

const InputFolder& Folder() {
    static InputFolder folder;
    return folder;
}

}  // namespace kv::fuzz
