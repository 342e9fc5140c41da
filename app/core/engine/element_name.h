// The name of an element of the open XML document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kv {

// The most characters of an element's name the program reads.
inline constexpr std::size_t kMaxElementName = 1023;

// 1 with the name, at most kMaxElementName characters of it; 0 with the XML
// reader's last error text in the error.
int ReadElementName(std::int32_t element, std::string& name, std::string& error);

}  // namespace kv
