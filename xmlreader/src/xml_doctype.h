// The DOCTYPE with its internal subset of ELEMENT, ATTLIST and comment declarations.
#ifndef CAPREL_XML_DOCTYPE_H
#define CAPREL_XML_DOCTYPE_H

#include <memory>
#include <string_view>
#include <unordered_map>

#include "xml_attribute_list_declaration.h"
#include "xml_comment.h"
#include "xml_element_declaration.h"
#include "xml_object.h"
#include "xml_token.h"

namespace caprel {

class CXML_DocType : public CXML_Object {
  public:
    // The most declarations a DTD may hold, element declarations, attribute lists and their
    // attribute declarations together: a project's DTD holds about a thousand, and each costs a
    // few hundred bytes.
    static constexpr size_t kMaxDeclarations = 100000;

    void Reset() override;
    int Parse(CXML_ParseChar& reader) override;

    const CXML_ArrayElementDeclaration& GetElementDeclarations() const { return elements_; }
    const CXML_ArrayAttributeListDeclaration& GetAttributeLists() const { return attributeLists_; }
    // The first attribute list declared for the element name, or null.
    const CXML_AttributeListDeclaration* FindAttributeList(std::string_view element) const;

  private:
    int StartDeclaration(CXML_ParseChar& reader);
    // Fails once the declarations so far, with those of the list being read, pass the limit.
    int CheckDeclarationCount(size_t reading);

    CXML_Comment comment_;
    std::unique_ptr<CXML_ElementDeclaration> element_;
    std::unique_ptr<CXML_AttributeListDeclaration> attributeList_;
    CXML_ArrayElementDeclaration elements_;
    CXML_ArrayAttributeListDeclaration attributeLists_;
    // The first list declared for each element name.
    std::unordered_map<std::string_view, const CXML_AttributeListDeclaration*> listsByElement_;
    // Declarations of the completed element declarations and attribute lists.
    size_t declared_ = 0;
    CXML_Token token_;
};

}  // namespace caprel

#endif  // CAPREL_XML_DOCTYPE_H
