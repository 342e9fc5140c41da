// Test helpers: a temporary directory for image files and a recorder of the
// message boxes the hex classes show.
#pragma once

#include <string>
#include <vector>

#include "kelvane/platform/message_box.h"

namespace kv::test {

class TempDir {
  public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    std::string path(const std::string& name) const { return dir_ + "/" + name; }
    std::string write(const std::string& name, const std::string& content) const;

  private:
    std::string dir_;
};

std::string readFile(const std::string& path);

struct MessageBoxCall {
    std::string text;
    std::string caption;
    unsigned type;
};

// Records every message box while it lives and answers OK.
class MessageBoxRecorder {
  public:
    MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
    ~MessageBoxRecorder();

    const std::vector<MessageBoxCall>& calls() const { return calls_; }

  private:
    std::vector<MessageBoxCall> calls_;
    MessageBoxHandler previous_;
};

}  // namespace kv::test
