// The abstract base of the two hardware wrappers: the Dravik JTAG pod
// (CDravik) and the Tovrin bootstrap-loader adapter (CTovrin). Every method of
// a wrapper returns 1 on success and 0 on failure and leaves the failure text
// in the wrapper, from where the caller takes it.
#pragma once

#include <string>

namespace kv {

class CTargetPod {
  public:
    CTargetPod() = default;
    CTargetPod(const CTargetPod&) = delete;
    CTargetPod& operator=(const CTargetPod&) = delete;
    // Destroying a wrapper closes nothing: its owner calls Close first.
    virtual ~CTargetPod() = default;

    virtual void Serialize() {}
    virtual int IsOpen() = 0;
    virtual int Close() = 0;
    virtual int Open() = 0;

    // Close, then Open: 1 when Open succeeded.
    int Reopen();

    // The last error text, left in place.
    const std::string& GetErrorText() const { return error_; }
    // Moves the last error text out and leaves the wrapper's empty.
    void GetLastError(std::string& text);
    std::string TakeLastError();

  protected:
    void SetError(std::string text) { error_ = std::move(text); }

  private:
    std::string error_ = "No error";
};

}  // namespace kv
