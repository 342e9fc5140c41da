// The name of an element of the open XML document.
#pragma once

#include <cstdint>
#include <string>

namespace kv {

// 1 with the name; 0 with the XML reader's last error text in the error.
int ReadElementName(std::int32_t element, std::string& name, std::string& error);

}  // namespace kv
