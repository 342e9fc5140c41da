#include "engine/element_name.h"

#include <caprel/caprel.h>

#include <vector>

#include "kelvane/core/xml_reading.h"

namespace kv {

int ReadElementName(std::int32_t element, std::string& name, std::string& error) {
    std::uint32_t needed = 0;
    if (GetElementName_Caprel(element, nullptr, 0, &needed) && needed > 0) {
        std::vector<char> buffer(needed);
        std::uint32_t count = 0;
        if (GetElementName_Caprel(element, buffer.data(), needed, &count)) {
            name.assign(buffer.data(), count);
            return 1;
        }
    }
    GetXmlLastError(error);
    if (error.empty()) error = "Unable to read element name";
    return 0;
}

}  // namespace kv
