// Small text helpers shared by the parser classes.
#ifndef CAPREL_XML_TEXT_H
#define CAPREL_XML_TEXT_H

#include <string>
#include <string_view>

namespace caprel {

// Compares two texts ignoring the case of ASCII letters.
bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace caprel

#endif  // CAPREL_XML_TEXT_H
