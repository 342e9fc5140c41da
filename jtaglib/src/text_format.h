// printf-style formatting into a std::string.
#pragma once

#include <string>

namespace nandrel {

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

}  // namespace nandrel
