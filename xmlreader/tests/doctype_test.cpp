// The DTD: declarations, their errors, and validation against the attribute lists.
#include <gtest/gtest.h>

#include "caprel/caprel.h"
#include "test_files.h"

namespace {

using caprel_test::Attribute;
using caprel_test::LastError;
using caprel_test::OpenText;

class Doctype : public ::testing::Test {
  protected:
    void TearDown() override { Close_Caprel(); }

    // The inner message of a failure on the DTD's single declaration line.
    static std::string DeclarationFailure(const std::string& declaration) {
        const std::string line = "<!DOCTYPE r [ " + declaration + " ]>";
        EXPECT_EQ(OpenText(line + "\n<r/>\n"), 0);
        const std::string prefix = "Error parsing line 1\n" + line + "\n";
        const std::string text = LastError();
        EXPECT_EQ(text.compare(0, prefix.size(), prefix), 0) << text;
        return text.substr(std::min(prefix.size(), text.size()));
    }
};

TEST_F(Doctype, DelimiterAndClosing) {
    EXPECT_EQ(OpenText("<!DOCTYPE r SYSTEM \"r.dtd\">\n<r/>"), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 1\n<!DOCTYPE r SYSTEM \"r.dtd\">\nInvalid DOCTYPE delimiter");
    EXPECT_EQ(OpenText("<!DOCTYPE r[]>\n<r/>"), 1);
    EXPECT_EQ(OpenText("<!DOCTYPE r [ ] x\n<r/>"), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 1\n<!DOCTYPE r [ ] x\nUnrecognized symbol in !DOCTYPE");
}

TEST_F(Doctype, DeclarationErrors) {
    EXPECT_EQ(DeclarationFailure("<!ENTITY x \"y\">"), "Unrecognized declaration token");
    EXPECT_EQ(DeclarationFailure("<!ATTLIST r a CHARS #REQUIRED >"),
              "Unrecognized attribute declaration type 'CHARS'");
    EXPECT_EQ(DeclarationFailure("<!ATTLIST r a ( | x) #REQUIRED >"),
              "Invalid location for separator symbol");
    EXPECT_EQ(DeclarationFailure("<!ATTLIST r a (x y) #REQUIRED >"), "Unexpected char 'y'");
    EXPECT_EQ(DeclarationFailure("<!ATTLIST r a CDATA >"),
              "Unrecognized character '>' in default declaration");
    EXPECT_EQ(DeclarationFailure("<!ATTLIST r a CDATA #DEMANDED >"),
              "Unrecognized attribute default type '#D'");
    EXPECT_EQ(DeclarationFailure("<!ATTLIST r a CDATA #OPTIONAL >"),
              "Unrecognized attribute default type '#OPTIONAL'");
    EXPECT_EQ(DeclarationFailure("<!ATTLIST r a CDATA #FIXED x >"),
              "Unrecognized attribute default delimiter ''");
}

TEST_F(Doctype, EveryDeclarationFormIsRead) {
    ASSERT_EQ(OpenText("<!DOCTYPE r\n"
                       "[\n"
                       "\t<!ELEMENT r (\n\t\tc*)>\n"
                       "\t<!ELEMENT c EMPTY >\n"
                       "\t<!-- the attributes -->\n"
                       "\t<!ATTLIST r\n"
                       "\t\ta CDATA #REQUIRED\n"
                       "\t\tb (FALSE|TRUE) #IMPLIED\n"
                       "\t\tc NOTATION (n) #FIXED \"f\"\n"
                       "\t\td ID \"dflt\"\n"
                       "\t>\n"
                       "\t<!ATTLIST c\n\t>\n"
                       "]>\n"
                       "<r a=\"1\"><c/></r>\n"),
              1);
    const int32_t root = GetRootElement_Caprel();
    EXPECT_EQ(Attribute(root, "a"), "1");
    EXPECT_EQ(Attribute(root, "d"), "dflt");
    // Neither #IMPLIED nor #FIXED adds an attribute.
    EXPECT_EQ(Attribute(root, "b"), "<failed>");
    EXPECT_EQ(LastError(), "Attribute b not found in element r on line 16");
    EXPECT_EQ(Attribute(root, "c"), "<failed>");
}

TEST_F(Doctype, MissingRequiredAttributeFailsValidation) {
    const std::string dtd = "<!DOCTYPE r [ <!ATTLIST r > <!ATTLIST c x CDATA #REQUIRED > ]>\n";
    EXPECT_EQ(OpenText(dtd + "<r>\n<c x=\"1\"/>\n<c/>\n</r>\n"), 0);
    EXPECT_EQ(LastError(), "Element c missing required attribute value x");
    EXPECT_EQ(IsOpen_Caprel(), 0);
}

TEST_F(Doctype, ElementWithoutAttributeListIsAcceptedWithItsSubtree) {
    const std::string dtd = "<!DOCTYPE r [ <!ATTLIST c x CDATA #REQUIRED > ]>\n";
    // "c" below "skip" is never looked at: "skip" has no attribute list.
    EXPECT_EQ(OpenText(dtd + "<r><skip><c/></skip></r>\n"), 1);
}

TEST_F(Doctype, FirstAttributeListOfANameCounts) {
    EXPECT_EQ(OpenText("<!DOCTYPE r [ <!ATTLIST r a CDATA \"one\" > <!ATTLIST r a CDATA "
                       "#REQUIRED > ]>\n<r/>\n"),
              1);
    EXPECT_EQ(Attribute(GetRootElement_Caprel(), "a"), "one");
}

TEST_F(Doctype, DeclaredDefaultFollowsTheParsedAttributes) {
    ASSERT_EQ(OpenText("<!DOCTYPE r [ <!ATTLIST r a CDATA \"da\" b CDATA \"db\" > ]>\n"
                       "<r b=\"given\"/>\n"),
              1);
    EXPECT_EQ(Attribute(GetRootElement_Caprel(), "a"), "da");
    EXPECT_EQ(Attribute(GetRootElement_Caprel(), "b"), "given");
}

TEST_F(Doctype, NamesAreCaseSensitive) {
    EXPECT_EQ(OpenText("<!DOCTYPE r [ <!ATTLIST R a CDATA #REQUIRED > ]>\n<r/>\n"), 1);
    EXPECT_EQ(OpenText("<!DOCTYPE r [ <!ATTLIST r a CDATA #REQUIRED > ]>\n<r A=\"1\"/>\n"), 0);
    EXPECT_EQ(LastError(), "Element r missing required attribute value a");
}

}  // namespace
