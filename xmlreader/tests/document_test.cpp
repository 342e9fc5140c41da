// The document level: what may stand before and after the root element, the header and
// comments, line numbering and line ends.
#include <gtest/gtest.h>

#include "caprel/caprel.h"
#include "test_files.h"

namespace {

using caprel_test::LastError;
using caprel_test::Name;
using caprel_test::OpenText;

class Document : public ::testing::Test {
  protected:
    void TearDown() override { Close_Caprel(); }

    // Opens the text, expects failure and returns the last error.
    static std::string Failure(const std::string& text) {
        EXPECT_EQ(OpenText(text), 0);
        EXPECT_EQ(IsOpen_Caprel(), 0);
        return LastError();
    }
};

TEST_F(Document, LeadingBlankOrBlankLineFailsOnLineOne) {
    EXPECT_EQ(Failure(" <a/>\n"),
              "Error parsing line 1\n <a/>\nXML documents must begin with a header, a DTD, or an "
              "element");
    EXPECT_EQ(Failure("\n<a/>\n"),
              "Error parsing line 1\n\nXML documents must begin with a header, a DTD, or an "
              "element");
}

TEST_F(Document, EmptyFileGivesANamelessRoot) {
    ASSERT_EQ(OpenText(""), 1);
    EXPECT_EQ(Name(GetRootElement_Caprel()), "");
    EXPECT_EQ(GetFirstChildElement_Caprel(GetRootElement_Caprel()), -1);
}

TEST_F(Document, HeaderCommentsDoctypeAndRootInTheirPlaces) {
    ASSERT_EQ(OpenText("<?xml version=\"1.0\" ?>\n"
                       "<!-- before the DTD -->\n"
                       "<!DOCTYPE r [ ]>\n"
                       "<!-- after the DTD -->\n"
                       "<r/>\n"
                       "<!-- after the root -->\n"),
              1);
    EXPECT_EQ(Name(GetRootElement_Caprel()), "r");
}

TEST_F(Document, HeaderMustBeXmlAndEndWithQuestionMarkAngle) {
    EXPECT_EQ(Failure("<?xmlx version ?>\n<a/>"),
              "Error parsing line 1\n<?xmlx version ?>\nXML header must begin with <?xml");
    EXPECT_EQ(Failure("<?XML version ?x\n"),
              "Error parsing line 1\n<?XML version ?x\nXML header must end with a ?> token");
}

TEST_F(Document, PrologOnlyFirst) {
    EXPECT_EQ(Failure("<?xml a ?>\n<?xml b ?>\n"),
              "Error parsing line 2\n<?xml b ?>\nImproper location for an XML prolog");
    EXPECT_EQ(Failure("<!DOCTYPE a [ ]>\n<?xml b ?>\n"),
              "Error parsing line 2\n<?xml b ?>\nImproper location for an XML prolog");
}

TEST_F(Document, OnlyCommentsAndBlanksAfterTheRoot) {
    EXPECT_EQ(Failure("<a/>\n<b/>\n"), "Error parsing line 2\n<b/>\nImproper character");
    EXPECT_EQ(Failure("<a/> x\n"),
              "Error parsing line 1\n<a/> x\nInvalid character outside of a DTD, comment, or the "
              "root element");
    EXPECT_EQ(Failure("<a/><!x>\n"),
              "Error parsing line 1\n<a/><!x>\nInvalid character outside of a DTD, comment, or "
              "the root element");
}

TEST_F(Document, DoctypeKeywordCase) {
    EXPECT_EQ(Failure("<!doctype a [ ]>\n<a/>"),
              "Error parsing line 1\n<!doctype a [ ]>\nInvalid character outside of a DTD, "
              "comment, or the root element");
    EXPECT_EQ(OpenText("<!DocType a [ ]>\n<a/>"), 1);
    EXPECT_EQ(Failure("<!DOCTYPX a [ ]>\n<a/>"),
              "Error parsing line 1\n<!DOCTYPX a [ ]>\nXML doctype must begin with <!DOCTYPE");
}

TEST_F(Document, CommentNeedsBlankAfterOpeningAndEndsWithDoubleDash) {
    EXPECT_EQ(Failure("<!--x-->\n<a/>"),
              "Error parsing line 1\n<!--x-->\nXML comment must begin with <!--");
    EXPECT_EQ(Failure("<!-- a -- b -->\n<a/>"),
              "Error parsing line 1\n<!-- a -- b -->\nXML comment must end with a --> token");
    EXPECT_EQ(OpenText("<!-- single - dashes\n  over lines -->\n<a/>"), 1);
}

TEST_F(Document, ErrorNamesTheLineNumberCountedFromOne) {
    EXPECT_EQ(Failure("<a>\n\n<b x='1'/>\n</a>\n"),
              "Error parsing line 3\n<b x='1'/>\nUnexpected ''' in attribute 'x' definition");
}

TEST_F(Document, CrLfLineEndsAreNotPartOfTheText) {
    ASSERT_EQ(OpenText("<?xml version=\"1.0\" ?>\r\n<a>\r\none\r\ntwo\r\n</a>\r\n"), 1);
    EXPECT_EQ(caprel_test::Lines(GetRootElement_Caprel()),
              (std::vector<std::string>{"", "one", "two", ""}));
    EXPECT_EQ(Failure("<a/>\r\n<b/>\r\n"), "Error parsing line 2\n<b/>\nImproper character");
}

TEST_F(Document, MissingFileGivesThePlatformText) {
    caprel_test::TempDir dir;
    const std::string path = (dir.Path() / "absent.xml").string();
    EXPECT_EQ(Open_Caprel(path.c_str(), 0), 0);
    EXPECT_EQ(LastError(), "No such file or directory");
    EXPECT_EQ(IsOpen_Caprel(), 0);
    EXPECT_EQ(Open_Caprel(dir.Path().c_str(), 0), 0);
    EXPECT_EQ(LastError(), dir.Path().string() + " is a folder, not a file");
}

}  // namespace
