// An attribute of an element: name, "=", a value in double quotes.
#ifndef CAPREL_XML_ATTRIBUTE_H
#define CAPREL_XML_ATTRIBUTE_H

#include "xml_object.h"
#include "xml_token.h"

namespace caprel {

class CXML_Attribute : public CXML_Object {
  public:
    void Reset() override;
    int Parse(CXML_ParseChar& reader) override;

    const std::string& GetValue() const { return value_; }

  private:
    int UnexpectedCharacter(const CXML_ParseChar& reader);

    std::string value_;
    CXML_Token token_;
};

}  // namespace caprel

#endif  // CAPREL_XML_ATTRIBUTE_H
