// Elements and attributes: tags, end tags, attribute syntax, text lines, child order and depth.
#include <gtest/gtest.h>

#include "caprel/caprel.h"
#include "test_files.h"

namespace {

using caprel_test::Attribute;
using caprel_test::ChildNames;
using caprel_test::LastError;
using caprel_test::Lines;
using caprel_test::Name;
using caprel_test::OpenText;
using Texts = std::vector<std::string>;

class Element : public ::testing::Test {
  protected:
    void TearDown() override { Close_Caprel(); }

    static int32_t Root() { return GetRootElement_Caprel(); }
};

TEST_F(Element, EndTagMayHaveBlanksBeforeItsAngle) {
    ASSERT_EQ(OpenText("<a>\n<b></b >\n<c></c\t >\n</a >\n"), 1);
    EXPECT_EQ(ChildNames(Root()), (Texts{"b", "c"}));
}

TEST_F(Element, EndTagWithASecondWordFails) {
    EXPECT_EQ(OpenText("<a></a extra>"), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 1\n<a></a extra>\nInvalid character 'e' found prior to '>'");
}

TEST_F(Element, EndTagMustMatch) {
    EXPECT_EQ(OpenText("<a><b></c></a>"), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 1\n<a><b></c></a>\nEnd tag c does not match start tag b");
    EXPECT_EQ(OpenText("<a><b></bb ></a>"), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 1\n<a><b></bb ></a>\nEnd tag bb does not match start tag b");
}

TEST_F(Element, EmptyElementNeedsSlashAngle) {
    EXPECT_EQ(OpenText("<a><b/ ></a>"), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 1\n<a><b/ ></a>\nInvalid empty element symbol, expected '/>'");
}

TEST_F(Element, FileEndingBeforeTheRootIsClosedFails) {
    EXPECT_EQ(OpenText("<a>\n<b x=\"1\">\n"), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 2\n<b x=\"1\">\nEnd of file before the end tag of element b");
    EXPECT_EQ(IsOpen_Caprel(), 0);
    EXPECT_EQ(OpenText("<a>\n<b x=\"1\"/>\n"), 0);
    EXPECT_EQ(LastError(), "Error parsing line 2\n<b x=\"1\"/>\nEnd of file before the end tag of element a");
    // Cut inside the end tag, inside a start tag, inside an attribute value, inside a comment.
    EXPECT_EQ(OpenText("<a>\n<b/>\n</a"), 0);
    EXPECT_EQ(LastError(), "Error parsing line 3\n</a\nEnd of file before the end tag of element a");
    EXPECT_EQ(OpenText("<a>\n<bc"), 0);
    EXPECT_EQ(LastError(), "Error parsing line 2\n<bc\nEnd of file before the end tag of element bc");
    EXPECT_EQ(OpenText("<a>\n<"), 0);
    EXPECT_EQ(LastError(), "Error parsing line 2\n<\nEnd of file before the end tag of element a");
    EXPECT_EQ(OpenText("<"), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 1\n<\nEnd of file inside the start tag of the root element");
    EXPECT_EQ(OpenText("<a>\n<b x=\"1"), 0);
    EXPECT_EQ(LastError(), "Error parsing line 2\n<b x=\"1\nEnd of file before the end tag of element b");
    EXPECT_EQ(OpenText("<a/>\n<!-- trailing"), 0);
    EXPECT_EQ(LastError(), "Error parsing line 2\n<!-- trailing\nEnd of file inside a comment");
    EXPECT_EQ(OpenText("<?xml version=\"1.0\""), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 1\n<?xml version=\"1.0\"\nEnd of file inside the XML header");
    EXPECT_EQ(OpenText("<!DOCTYPE a [\n<!ELEMENT a ANY>"), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 2\n<!ELEMENT a ANY>\nEnd of file inside the DOCTYPE");
    EXPECT_EQ(OpenText("<?xml version=\"1.0\" ?>\n"), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 1\n<?xml version=\"1.0\" ?>\nEnd of file before the root element");
    // A closed root may be followed by blanks, and an empty file is an empty document.
    EXPECT_EQ(OpenText("<a>\n<b/>\n</a>\n\n  \n"), 1);
    EXPECT_EQ(ChildNames(Root()), (Texts{"b"}));
    EXPECT_EQ(OpenText(""), 1);
    // So is a file of blank lines only: the program then says the file is empty.
    EXPECT_EQ(OpenText("\n  \n\t\r\n"), 1);
    EXPECT_EQ(Name(Root()), "");
}

TEST_F(Element, ByteOrderMarkBeforeTheFirstLineIsSkipped) {
    ASSERT_EQ(OpenText("\xEF\xBB\xBF<?xml version=\"1.0\" ?>\n<a x=\"1\"/>\n"), 1);
    EXPECT_EQ(Name(Root()), "a");
    EXPECT_EQ(Attribute(Root(), "x"), "1");
    // Only at the very start.
    EXPECT_EQ(OpenText("<a/>\n\xEF\xBB\xBF"), 0);
}

TEST_F(Element, DeepTreeCutShortFailsAndIsFreed) {
    constexpr int kDepth = 1000;  // the deepest nesting a document may have
    std::string text;
    for (int i = 0; i < kDepth; ++i)
        text += "<e>";
    text += "\n";
    for (int i = 0; i < kDepth - 1; ++i)
        text += "</e>";
    EXPECT_EQ(OpenText(text), 0);
    // The line is longer than the error text holds: the quoted line is cut, the reason stays.
    EXPECT_TRUE(LastError().starts_with("Error parsing line 2\n</e></e>")) << LastError().substr(0, 40);
    EXPECT_TRUE(LastError().ends_with("...\nEnd of file before the end tag of element e"))
        << LastError();
    EXPECT_EQ(IsOpen_Caprel(), 0);
}

TEST_F(Element, AttributeValueInSingleQuotesFails) {
    EXPECT_EQ(OpenText("<a x='1'/>"), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 1\n<a x='1'/>\nUnexpected ''' in attribute 'x' definition");
    EXPECT_EQ(OpenText("<a x y=\"1\"/>"), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 1\n<a x y=\"1\"/>\nUnexpected 'y' in attribute 'x' definition");
}

TEST_F(Element, AnUnexpectedCharacterIsQuotedWholeNeverAsALoneByte) {
    struct Row {
        const char* text;
        const char* reason;
    };
    const Row rows[] = {
        {"<a x=\xC3\xA9/>", "Unexpected '\xC3\xA9' in attribute 'x' definition"},
        {"<a x=\xE2\x82\xAC/>", "Unexpected '\xE2\x82\xAC' in attribute 'x' definition"},
        {"<a></a \xC3\xA9>", "Invalid character '\xC3\xA9' found prior to '>'"},
        // A lead byte without its continuation, and a byte that leads nothing.
        {"<a x=\xC3/>", "Unexpected '\\xC3' in attribute 'x' definition"},
        {"<a x=\x9B/>", "Unexpected '\\x9B' in attribute 'x' definition"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(OpenText(row.text), 0) << row.text;
        EXPECT_TRUE(LastError().ends_with(std::string("\n") + row.reason)) << LastError();
    }
}

TEST_F(Element, AttributeSpellings) {
    ASSERT_EQ(OpenText("<a x=\"1\" y = \"two words\"\tz=\"\" w=\"a\nb\"/>"), 1);
    EXPECT_EQ(Attribute(Root(), "x"), "1");
    EXPECT_EQ(Attribute(Root(), "y"), "two words");
    EXPECT_EQ(Attribute(Root(), "z"), "");
    // A value running over a line end keeps the line feed.
    EXPECT_EQ(Attribute(Root(), "w"), "a\nb");
    EXPECT_EQ(Attribute(Root(), "X"), "<failed>");
    EXPECT_EQ(LastError(), "Attribute X not found in element a on line 1");
    // An attribute given twice has no one value.
    EXPECT_EQ(OpenText("<r>\n<a x=\"1\" y=\"2\" x=\"again\"/>\n</r>\n"), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 2\n<a x=\"1\" y=\"2\" x=\"again\"/>\n"
              "Attribute 'x' appears twice in element 'a'");
}

// A repeated name is refused wherever it stands in a tag: among the first eight attributes,
// which are compared one by one, and past them, where the tag's names are looked up by index.
TEST_F(Element, AnAttributeGivenTwiceIsRefusedBeforeAndPastTheEighth) {
    // The tag's attributes a1 .. aN, then the repeated name.
    auto tag = [](int count, const std::string& again) {
        std::string text = "<e";
        for (int i = 1; i <= count; ++i)
            text += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
        return text + " " + again + "=\"again\"/>";
    };
    const struct Row {
        const char* what;
        int count;
        const char* again;
    } rows[] = {
        {"the first of three", 3, "a1"},
        {"the last of eight, as the ninth", 8, "a8"},
        {"the first of eight, as the ninth", 8, "a1"},
        {"the first of nine, as the tenth", 9, "a1"},
        {"the ninth of nine, as the tenth", 9, "a9"},
        {"the fifth of forty", 40, "a5"},
        {"the twenty-third of forty", 40, "a23"},
        {"the last of a thousand", 1000, "a1000"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string line = tag(row.count, row.again);
        EXPECT_EQ(OpenText("<r>\n" + line + "\n</r>\n"), 0);
        EXPECT_EQ(LastError(), "Error parsing line 2\n" +
                                   (line.size() > 256 ? line.substr(0, 256) + "..." : line) +
                                   "\nAttribute '" + row.again + "' appears twice in element 'e'");
    }
    // Forty and a thousand names that differ are all kept, each with its own value.
    for (int count : {9, 40, 1000}) {
        SCOPED_TRACE(count);
        std::string line = tag(count, "b");
        ASSERT_EQ(OpenText("<r>\n" + line + "\n</r>\n"), 1) << LastError();
        const int32_t e = GetFirstChildElement_Caprel(Root());
        for (int i = 1; i <= count; ++i)
            ASSERT_EQ(Attribute(e, ("a" + std::to_string(i)).c_str()), std::to_string(i));
        EXPECT_EQ(Attribute(e, "b"), "again");
    }
}

TEST_F(Element, TextLinesBeforeTheFirstMarkup) {
    ASSERT_EQ(OpenText("<r>\n"
                       "<one>word</one>\n"
                       "<empty></empty>\n"
                       "<none/>\n"
                       "<four>\n"
                       "first line\n"
                       "\tsecond  line \n"
                       "  </four>\n"
                       "<mixed>before<child/>after\n"
                       "more</mixed>\n"
                       "</r>\n"),
              1);
    const int32_t root = Root();
    EXPECT_EQ(Lines(GetFirstNamedChildElement_Caprel(root, "one")), (Texts{"word"}));
    EXPECT_EQ(Lines(GetFirstNamedChildElement_Caprel(root, "empty")), (Texts{""}));
    EXPECT_EQ(Lines(GetFirstNamedChildElement_Caprel(root, "none")), Texts{});
    EXPECT_EQ(Lines(GetFirstNamedChildElement_Caprel(root, "four")),
              (Texts{"", "first line", "\tsecond  line ", "  "}));
    EXPECT_EQ(Lines(GetFirstNamedChildElement_Caprel(root, "mixed")), (Texts{"before"}));
}

TEST_F(Element, CommentsInsideAreNeitherChildrenNorText) {
    ASSERT_EQ(OpenText("<r><!-- first --><a/>\n<!-- between\n lines --><b/></r>"), 1);
    EXPECT_EQ(ChildNames(Root()), (Texts{"a", "b"}));
    EXPECT_EQ(Lines(Root()), (Texts{""}));
    EXPECT_EQ(OpenText("<r><!--x--></r>"), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 1\n<r><!--x--></r>\nXML comment must begin with <!--");
}

TEST_F(Element, ChildrenInDocumentOrderAtEveryLevel) {
    ASSERT_EQ(OpenText("<r><a><a1/><a2/></a><b/><a><a3/></a></r>"), 1);
    EXPECT_EQ(ChildNames(Root()), (Texts{"a", "b", "a"}));
    const int32_t first = GetFirstChildElement_Caprel(Root());
    EXPECT_EQ(ChildNames(first), (Texts{"a1", "a2"}));
    const int32_t second = GetNextNamedChildElement_Caprel(Root(), first, "a");
    EXPECT_EQ(ChildNames(second), (Texts{"a3"}));
}

TEST_F(Element, DeepNestingParsesValidatesAndCloses) {
    constexpr int kDepth = 1000;  // the deepest nesting a document may have
    std::string text = "<!DOCTYPE e [ <!ATTLIST e d CDATA \"x\" > ]>\n";
    for (int i = 0; i < kDepth; ++i)
        text += "<e>";
    text += "\n";
    for (int i = 0; i < kDepth; ++i)
        text += "</e>";
    ASSERT_EQ(OpenText(text), 1) << LastError();
    int32_t element = Root();
    int depth = 1;
    for (int32_t child = GetFirstChildElement_Caprel(element); child != -1;
         child = GetFirstChildElement_Caprel(element)) {
        element = child;
        ++depth;
    }
    EXPECT_EQ(depth, kDepth);
    EXPECT_EQ(Attribute(element, "d"), "x");
    Close_Caprel();
}

TEST_F(Element, DeepNestingThatFailsReportsTheInnerText) {
    constexpr int kDepth = 999;  // the failing element is at the deepest level allowed
    std::string text;
    for (int i = 0; i < kDepth; ++i)
        text += "<e>";
    text += "\n<e x='1'/>\n";
    EXPECT_EQ(OpenText(text), 0);
    EXPECT_EQ(LastError(),
              "Error parsing line 2\n<e x='1'/>\nUnexpected ''' in attribute 'x' definition");
}

}  // namespace
