// The readers under fuzzing take file names: each fuzz input is written to a
// memory-backed file (memfd) that the reader opens by its /proc path, so no
// input touches the disk. Targets that need a folder (a project saved beside
// its file) get one of the process's own, in memory where the system has
// /dev/shm, which goes when the process ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv::fuzz {

class MemoryFile {
  public:
    explicit MemoryFile(const char* name);
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // The path that opens the file ("/proc/self/fd/N").
    const std::string& Path() const { return path_; }
    // Replaces the file's bytes; returns Path().
    const std::string& Write(const std::uint8_t* data, std::size_t size) const;
    // The file's bytes as they are now (after a writer wrote it by its path).
    std::string Read() const;

  private:
    int fd_ = -1;
    std::string path_;
};

class InputFolder {
  public:
    InputFolder();
    ~InputFolder();
    InputFolder(const InputFolder&) = delete;
    InputFolder& operator=(const InputFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Writes the bytes to `name` in the folder and returns the file's path.
    std::string Write(const std::string& name, const std::uint8_t* data, std::size_t size) const;
    // Removes every file in the folder (a run may leave files behind).
    void Empty() const;

  private:
    std::string path_;
};

// The one folder of this process.
const InputFolder& Folder();

}  // namespace kv::fuzz
