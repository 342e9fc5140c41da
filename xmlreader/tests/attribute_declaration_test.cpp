// The parser classes one by one: what the exported interface cannot show (declared types and
// enumeration values) and the errors that a whole file cannot reach.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "xml_attribute.h"
#include "xml_attribute_declaration.h"
#include "xml_attribute_list_declaration.h"
#include "xml_comment.h"
#include "xml_doctype.h"
#include "xml_document.h"
#include "xml_element.h"
#include "xml_element_declaration.h"
#include "xml_header.h"
#include "xml_parse_char.h"
#include "xml_token.h"

namespace {

using caprel::CXML_AttributeDeclaration;
using caprel::CXML_Object;

// Feeds the text; returns the result of the last step.
int FeedText(CXML_Object& construct, const std::string& text) {
    caprel::CXML_ParseChar reader;
    construct.Reset();
    int ok = 1;
    for (const char c : text) {
        reader.SetChar(c);
        ok = construct.Parse(reader);
        if (!ok) break;
    }
    return ok;
}

TEST(AttributeDeclaration, TypesAndDefaults) {
    CXML_AttributeDeclaration declaration;
    ASSERT_EQ(FeedText(declaration, "a NMTOKENS #IMPLIED"), 1);
    EXPECT_TRUE(declaration.IsComplete());
    EXPECT_EQ(declaration.GetName(), "a");
    EXPECT_EQ(declaration.GetType(), CXML_AttributeDeclaration::kTypeNmtokens);
    EXPECT_EQ(declaration.GetDefaultKind(), CXML_AttributeDeclaration::kDefaultImplied);

    ASSERT_EQ(FeedText(declaration, "b ( one |two| three ) #FIXED \"two\""), 1);
    EXPECT_EQ(declaration.GetType(), CXML_AttributeDeclaration::kTypeEnumeration);
    EXPECT_EQ(declaration.GetEnumValues(), (std::vector<std::string>{"one", "two", "three"}));
    EXPECT_EQ(declaration.GetDefaultKind(), CXML_AttributeDeclaration::kDefaultFixed);
    EXPECT_EQ(declaration.GetDefaultValue(), "two");

    ASSERT_EQ(FeedText(declaration, "c IDREF \"x y\""), 1);
    EXPECT_EQ(declaration.GetType(), CXML_AttributeDeclaration::kTypeIdref);
    EXPECT_EQ(declaration.GetDefaultKind(), CXML_AttributeDeclaration::kDefaultValue);
    EXPECT_EQ(declaration.GetDefaultValue(), "x y");
}

TEST(AttributeDeclaration, RequiredCompletesOnItsLastLetter) {
    CXML_AttributeDeclaration declaration;
    ASSERT_EQ(FeedText(declaration, "a CDATA #REQUIRED"), 1);
    EXPECT_TRUE(declaration.IsComplete());
    EXPECT_EQ(declaration.GetDefaultKind(), CXML_AttributeDeclaration::kDefaultRequired);
}

TEST(Constructs, OpeningsThatOnlyTheirOwnClassChecks) {
    caprel::CXML_ElementDeclaration element;
    EXPECT_EQ(FeedText(element, "<!ELEMENTS x>"), 0);
    EXPECT_EQ(element.GetError(), "XML element declaration must begin with <!ELEMENT");
    caprel::CXML_AttributeListDeclaration list;
    EXPECT_EQ(FeedText(list, "<!ATTLISTS x>"), 0);
    EXPECT_EQ(list.GetError(), "XML attribute list must begin with <!ATTLIST");
    caprel::CXML_Element tag;
    EXPECT_EQ(FeedText(tag, "a/>"), 0);
    EXPECT_EQ(tag.GetError(), "Invalid element start char, expected '<'");
}

TEST(Constructs, UnknownStateNamesTheClass) {
    caprel::CXML_Attribute attribute;
    CXML_AttributeDeclaration declaration;
    caprel::CXML_AttributeListDeclaration list;
    caprel::CXML_Comment comment;
    caprel::CXML_Header header;
    caprel::CXML_DocType docType;
    caprel::CXML_Token token;
    caprel::CXML_Element element;
    caprel::CXML_ElementDeclaration elementDeclaration;
    caprel::CXML_Document document;
    const std::pair<CXML_Object*, const char*> cases[] = {
        {&attribute, "Unknown attribute parsing state"},
        {&declaration, "Unknown attribute declaration parsing state"},
        {&list, "Unknown attribute list declaration parsing state"},
        {&comment, "Unknown comment parsing state"},
        {&header, "Unknown header parsing state"},
        {&docType, "Unknown header parsing state"},
        {&token, "Unknown header parsing state"},
        {&element, "Unknown element parsing state"},
        {&elementDeclaration, "Unknown element declaration parsing state"},
        {&document, "Unknown document parsing state"},
    };
    caprel::CXML_ParseChar reader;
    reader.SetChar('x');
    for (const auto& [construct, text] : cases) {
        construct->SetState(999);
        EXPECT_EQ(construct->Parse(reader), 0) << text;
        EXPECT_EQ(construct->GetError(), text);
        EXPECT_EQ(construct->GetState(), CXML_Object::kFailed);
    }
}

TEST(Constructs, FinishedConstructIgnoresFurtherCharacters) {
    caprel::CXML_Element element;
    ASSERT_EQ(FeedText(element, "<a/>"), 1);
    EXPECT_TRUE(element.IsComplete());
    caprel::CXML_ParseChar reader;
    reader.SetChar('!');
    EXPECT_EQ(element.Parse(reader), 1);
    EXPECT_TRUE(element.IsComplete());
}

}  // namespace
