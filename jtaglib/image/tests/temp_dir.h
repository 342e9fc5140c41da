// A temporary directory for test files, removed with everything in it.
#pragma once

#include <string>

namespace nandrel::test {

class TempDir {
  public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    // Full path of a file in the directory.
    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    // Writes a file and returns its full path.
    std::string write(const std::string& name, const std::string& content) const;

  private:
    std::string dir_;
};

std::string readFile(const std::string& path);

}  // namespace nandrel::test
