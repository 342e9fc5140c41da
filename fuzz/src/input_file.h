// The readers under fuzzing take file names: each fuzz input is written to a
// file in a folder of the fuzzing process's own, which goes when it ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv::fuzz {

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
