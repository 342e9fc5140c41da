// An exclusive lock on a project file between console runs: one run of a
// file at a time, from before the file is read until after the run's changes
// are saved, so two stations running one project never issue the same serial
// number.
#pragma once

#include <functional>
#include <string>

namespace kv {

class CProjectFileLock {
  public:
    CProjectFileLock() = default;
    ~CProjectFileLock() { Release(); }
    CProjectFileLock(const CProjectFileLock&) = delete;
    CProjectFileLock& operator=(const CProjectFileLock&) = delete;

    // Locks the file, waiting while another run holds it; `waiting` is called
    // once before the wait. A file that does not exist is not locked (its
    // open fails and says why); true when the lock is held or there is no
    // file, false with the system's text when locking failed, and false with
    // a text that says so when the file has more than one name (hard links).
    bool Acquire(const std::string& path, const std::function<void()>& waiting);
    void Release();
    bool IsHeld() const { return fd_ >= 0; }
    const std::string& GetError() const { return error_; }

  private:
    int fd_ = -1;
    std::string error_;
};

}  // namespace kv
