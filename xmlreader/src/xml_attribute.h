// An attribute of an element: name, "=", a value in double quotes.
#ifndef CAPREL_XML_ATTRIBUTE_H
#define CAPREL_XML_ATTRIBUTE_H

#include "xml_object.h"
#include "xml_object_array.h"
#include "xml_token.h"

namespace caprel {

class CXML_Attribute : public CXML_Object {
  public:
    CXML_Attribute() = default;
    // An attribute that validation adds with a declared default value.
    CXML_Attribute(std::string name, std::string value);

    void Reset() override;
    int Parse(CXML_ParseChar& reader) override;

    const std::string& GetValue() const { return value_; }
    int GetDefaulted() const { return defaulted_; }

  private:
    int UnexpectedCharacter(char c);

    std::string value_;
    int defaulted_ = 0;
    CXML_Token token_;
};

class CXML_ArrayAttribute : public CXML_ObjectArray<CXML_Attribute> {};

}  // namespace caprel

#endif  // CAPREL_XML_ATTRIBUTE_H
