// Writing a whole buffer to a file descriptor, across short writes and
// interrupted calls.
#pragma once

#include <cstddef>

namespace kv {

// Writes all `size` bytes at `data` to `fd`; false when a write fails (errno
// says why) or writes nothing.
bool WriteAll(int fd, const void* data, std::size_t size);

}  // namespace kv
