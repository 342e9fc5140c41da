// Handle records: the four words whose address the library hands out as a
// handle. Every record registers itself, so a handle is only followed when it
// names a live record of the kind asked for; stale, closed, foreign and
// wrong-kind handles resolve to no object.
#pragma once

#include <cstdint>

#include "nandrel/nandrel.h"

namespace nandrel {

class HandleRecord {
  public:
    HandleRecord();
    ~HandleRecord();
    HandleRecord(const HandleRecord&) = delete;
    HandleRecord& operator=(const HandleRecord&) = delete;

    void fill(const void* object, const void* third, uintptr_t kind);
    void clear();
    NANDREL_HANDLE handle() { return &record_; }
    bool isOpen() const { return record_.words[0] != 0; }

  private:
    NandrelHandleRecord record_{};
};

// The object of a live, open record of this kind, or null.
void* resolveHandle(NANDREL_HANDLE handle, uintptr_t kind);

}  // namespace nandrel
