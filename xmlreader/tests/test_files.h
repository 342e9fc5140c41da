// Test files written into a private temporary folder, and helpers that read the library's
// texts into strings.
#ifndef CAPREL_TESTS_TEST_FILES_H
#define CAPREL_TESTS_TEST_FILES_H

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace caprel_test {

// A temporary folder that lives as long as the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Writes the bytes unchanged and returns the file's path.
    std::string Write(const std::string& name, const std::string& content) const;
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Writes the content into a fresh temporary file and opens it with the library.
int32_t OpenText(const std::string& content);
std::string LastError();
std::string Name(int32_t element);
std::string Attribute(int32_t element, const char* name);
std::vector<std::string> Lines(int32_t element);
std::vector<std::string> ChildNames(int32_t element);

}  // namespace caprel_test

#endif  // CAPREL_TESTS_TEST_FILES_H
