// One attribute of an ATTLIST declaration: name, type and default.
#ifndef CAPREL_XML_ATTRIBUTE_DECLARATION_H
#define CAPREL_XML_ATTRIBUTE_DECLARATION_H

#include <memory>
#include <vector>

#include "xml_object.h"
#include "xml_object_array.h"
#include "xml_token.h"

namespace caprel {

class CXML_AttributeDeclaration : public CXML_Object {
  public:
    enum Type {
        kTypeNone = 0,
        kTypeUnrecognised = 1,
        kTypeCdata = 2,
        kTypeId = 3,
        kTypeIdref = 4,
        kTypeIdrefs = 5,
        kTypeEntity = 6,
        kTypeEntities = 7,
        kTypeNmtoken = 8,
        kTypeNmtokens = 9,
        kTypeNotation = 10,
        kTypeEnumeration = 11,
    };
    enum DefaultKind {
        kDefaultNone = 0,
        kDefaultUnrecognised = 1,
        kDefaultRequired = 2,
        kDefaultImplied = 3,
        kDefaultFixed = 4,
        kDefaultValue = 5,
    };

    void Reset() override;
    int Parse(CXML_ParseChar& reader) override;

    int GetType() const { return type_; }
    int GetDefaultKind() const { return defaultKind_; }
    const std::string& GetDefaultValue() const { return defaultValue_; }
    const std::vector<std::string>& GetEnumValues() const { return enumValues_; }

  private:
    // This declaration's own state table for one character.
    int Step(CXML_ParseChar& reader);
    // Reads the words; held only while the declaration is being read.
    CXML_Token& Token();
    int TakeType();
    int TakeDefaultKind();

    int type_ = kTypeNone;
    int defaultKind_ = kDefaultNone;
    std::string defaultValue_;
    std::vector<std::string> enumValues_;
    std::unique_ptr<CXML_Token> token_;
};

class CXML_ArrayAttributeDeclaration : public CXML_ObjectArray<CXML_AttributeDeclaration> {};

}  // namespace caprel

#endif  // CAPREL_XML_ATTRIBUTE_DECLARATION_H
