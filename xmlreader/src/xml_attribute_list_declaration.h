// An ATTLIST declaration of the DTD: the element it applies to and its attribute declarations.
#ifndef CAPREL_XML_ATTRIBUTE_LIST_DECLARATION_H
#define CAPREL_XML_ATTRIBUTE_LIST_DECLARATION_H

#include <memory>
#include <vector>

#include "xml_attribute_declaration.h"
#include "xml_object.h"
#include "xml_object_array.h"
#include "xml_token.h"

namespace caprel {

class CXML_AttributeListDeclaration : public CXML_Object {
  public:
    void Reset() override;
    int Parse(CXML_ParseChar& reader) override;

    const CXML_ArrayAttributeDeclaration& GetDeclarations() const { return declarations_; }
    // What validation checks on each element: the first required or defaulted declaration of
    // each name, in declared order; known once the list is complete.
    const std::vector<const CXML_AttributeDeclaration*>& GetCheckedDeclarations() const {
        return checked_;
    }

  private:
    // Reads the words; held only while the list is being read.
    CXML_Token& Token();
    void Complete();

    std::unique_ptr<CXML_AttributeDeclaration> declaration_;
    CXML_ArrayAttributeDeclaration declarations_;
    std::vector<const CXML_AttributeDeclaration*> checked_;
    std::unique_ptr<CXML_Token> token_;
};

class CXML_ArrayAttributeListDeclaration : public CXML_ObjectArray<CXML_AttributeListDeclaration> {
};

}  // namespace caprel

#endif  // CAPREL_XML_ATTRIBUTE_LIST_DECLARATION_H
