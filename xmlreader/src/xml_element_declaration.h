// An ELEMENT declaration of the DTD; only its name is kept, the content model is skipped.
#ifndef CAPREL_XML_ELEMENT_DECLARATION_H
#define CAPREL_XML_ELEMENT_DECLARATION_H

#include "xml_object.h"
#include "xml_object_array.h"
#include "xml_token.h"

namespace caprel {

class CXML_ElementDeclaration : public CXML_Object {
  public:
    void Reset() override;
    int Parse(CXML_ParseChar& reader) override;

  private:
    CXML_Token token_;
};

class CXML_ArrayElementDeclaration : public CXML_ObjectArray<CXML_ElementDeclaration> {};

}  // namespace caprel

#endif  // CAPREL_XML_ELEMENT_DECLARATION_H
