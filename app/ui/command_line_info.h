// The window program's command line: an optional project file and the
// "Silent" switch, which ends the program once the configuration is loaded.
#pragma once

#include <string>
#include <vector>

namespace kv::ui {

class CKelvaneCommandLineInfo {
  public:
    // The arguments after the program name. "-Silent" or "/Silent" (any case)
    // is the silent switch, other arguments starting with "-" are ignored
    // switches, and the first remaining argument names the file.
    void Parse(const std::vector<std::string>& arguments);

    bool IsSilent() const { return silent_; }
    const std::string& GetFileName() const { return fileName_; }

  private:
    bool silent_ = false;
    std::string fileName_;
};

}  // namespace kv::ui
