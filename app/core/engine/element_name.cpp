#include "engine/element_name.h"

#include <caprel/caprel.h>

#include "kelvane/core/xml_reading.h"

namespace kv {

int ReadElementName(std::int32_t element, std::string& name, std::string& error) {
    // The reader cuts a longer name to the buffer; no command's name comes
    // near it, so a name of megabytes costs the program nothing beyond that.
    char buffer[kMaxElementName + 1];
    std::uint32_t count = 0;
    if (GetElementName_Caprel(element, buffer, sizeof buffer, &count)) {
        name.assign(buffer, count);
        return 1;
    }
    GetXmlLastError(error);
    if (error.empty()) error = "Unable to read element name";
    return 0;
}

}  // namespace kv
