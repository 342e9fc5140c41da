// The exported interface: copy rule, handles, navigation, last-error text and the state of the
// one document.
#include <gtest/gtest.h>

#include <cstring>

#include "caprel/caprel.h"
#include "test_files.h"

namespace {

using caprel_test::Attribute;
using caprel_test::LastError;
using caprel_test::Name;
using caprel_test::OpenText;

const char* const kSample =
    "<!DOCTYPE root [ <!ATTLIST item id CDATA #REQUIRED > ]>\n"
    "<root>\n"
    "<item id=\"1\">alpha</item>\n"
    "<other/>\n"
    "<item id=\"2\"/>\n"
    "<item id=\"3\"/>\n"
    "</root>\n";

class Interface : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(OpenText(kSample), 1); }
    void TearDown() override { Close_Caprel(); }

    static int32_t Root() { return GetRootElement_Caprel(); }
    // Leaves a known text in the last-error buffer.
    static void LeaveError() {
        EXPECT_EQ(Attribute(Root(), "nothing"), "<failed>");
        EXPECT_EQ(LastError(), "Attribute nothing not found in element root on line 2");
    }
};

TEST_F(Interface, VersionAndWindowRegistration) {
    EXPECT_STREQ(GetVersion_Caprel(), "00.01.01");
    int window = 0;
    RegisterHWND_Caprel(&window, 0x400, 7);
    EXPECT_EQ(IsOpen_Caprel(), 1);
}

TEST_F(Interface, NotOpenTexts) {
    Close_Caprel();
    EXPECT_EQ(IsOpen_Caprel(), 0);
    char buffer[16];
    uint32_t count = 99;
    int32_t lines = 0;
    struct Case {
        std::function<int32_t()> call;
        int32_t failed;
        const char* text;
    };
    const Case cases[] = {
        {[] { return GetRootElement_Caprel(); }, -1,
         "GetRootElement_Caprel() called prior to Open_Caprel()"},
        {[] { return GetFirstChildElement_Caprel(0); }, -1,
         "GetFirstChildElement_Caprel() called prior to Open_Caprel()"},
        {[] { return GetNextChildElement_Caprel(0, 0); }, -1,
         "GetNextChildElement_Caprel() called prior to Open_Caprel()"},
        {[] { return GetFirstNamedChildElement_Caprel(0, "a"); }, -1,
         "GetFirstNamedChildElement_Caprel() called prior to Open_Caprel()"},
        {[] { return GetNextNamedChildElement_Caprel(0, 0, "a"); }, -1,
         "GetNextNamedChildElement_Caprel() called prior to Open_Caprel()"},
        {[&] { return GetElementName_Caprel(0, buffer, sizeof buffer, &count); }, 0,
         "GetElementName_Caprel() called prior to Open_Caprel()"},
        {[&] { return GetAttributeValue_Caprel(0, "a", buffer, sizeof buffer, &count); }, 0,
         "GetAttribute_Caprel() called prior to Open_Caprel()"},
        {[&] { return GetElementLineCount_Caprel(0, &lines); }, 0,
         "GetElementLineCount_Caprel() called prior to Open_Caprel()"},
        {[&] { return GetElementLine_Caprel(0, 0, buffer, sizeof buffer, &count); }, 0,
         "GetElementLine_Caprel() called prior to Open_Caprel()"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.call(), c.failed) << c.text;
        EXPECT_EQ(LastError(), c.text);
    }
}

TEST_F(Interface, CopyRule) {
    char buffer[8];
    uint32_t count = 99;
    const int32_t first = GetFirstChildElement_Caprel(Root());
    // Null buffer: the size needed.
    EXPECT_EQ(GetElementName_Caprel(first, nullptr, 0, &count), 1);
    EXPECT_EQ(count, 5u);
    // A buffer smaller than the name: cut to size - 1.
    EXPECT_EQ(GetElementName_Caprel(first, buffer, 3, &count), 1);
    EXPECT_EQ(count, 2u);
    EXPECT_STREQ(buffer, "it");
    EXPECT_EQ(GetAttributeValue_Caprel(first, "id", buffer, 1, &count), 1);
    EXPECT_EQ(count, 0u);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(GetElementLine_Caprel(first, 0, buffer, sizeof buffer, &count), 1);
    EXPECT_EQ(count, 5u);
    EXPECT_STREQ(buffer, "alpha");
}

TEST_F(Interface, SizeZeroWritesNothing) {
    char buffer[4] = {'x', 'y', 'z', 'w'};
    uint32_t count = 99;
    const int32_t first = GetFirstChildElement_Caprel(Root());
    EXPECT_EQ(GetElementName_Caprel(first, buffer, 0, &count), 1);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(GetAttributeValue_Caprel(first, "id", buffer, 0, &count), 1);
    EXPECT_EQ(GetElementLine_Caprel(first, 0, buffer, 0, &count), 1);
    LeaveError();
    EXPECT_EQ(GetLastError_Caprel(buffer, 0), 0);
    EXPECT_EQ(std::memcmp(buffer, "xyzw", 4), 0);
}

TEST_F(Interface, LastErrorCopy) {
    LeaveError();
    const std::string text = "Attribute nothing not found in element root on line 2";
    EXPECT_EQ(GetLastError_Caprel(nullptr, 0), static_cast<int32_t>(text.size() + 1));
    char buffer[8] = "xxxxxxx";
    EXPECT_EQ(GetLastError_Caprel(buffer, 1), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(GetLastError_Caprel(buffer, sizeof buffer), 7);
    EXPECT_STREQ(buffer, "Attribu");
    // Reading does not clear it.
    EXPECT_EQ(LastError(), text);
}

TEST_F(Interface, LongLastErrorIsCutTo1023Characters) {
    const std::string name(2000, 'n');
    EXPECT_EQ(Attribute(Root(), name.c_str()), "<failed>");
    EXPECT_EQ(GetLastError_Caprel(nullptr, 0), 1024);
    EXPECT_EQ(LastError(), ("Attribute " + name).substr(0, 1023));
}

TEST_F(Interface, NullOutputsFailWithText) {
    char buffer[8];
    const int32_t first = GetFirstChildElement_Caprel(Root());
    EXPECT_EQ(GetAttributeValue_Caprel(first, "id", buffer, sizeof buffer, nullptr), 0);
    EXPECT_EQ(LastError(), "GetAttribute_Caprel() called with NULL bytes read");
    EXPECT_EQ(GetElementLineCount_Caprel(first, nullptr), 0);
    EXPECT_EQ(LastError(), "GetLineCount called with NULL line count");
    EXPECT_EQ(GetElementLine_Caprel(first, 0, buffer, sizeof buffer, nullptr), 0);
    EXPECT_EQ(LastError(), "GetLine called with NULL bytes read");
    EXPECT_EQ(GetElementName_Caprel(first, buffer, sizeof buffer, nullptr), 0);
    EXPECT_EQ(LastError(), "GetElementName_Caprel() called with NULL bytes read");
    uint32_t count = 0;
    EXPECT_EQ(GetAttributeValue_Caprel(first, nullptr, buffer, sizeof buffer, &count), 0);
    EXPECT_EQ(LastError(), "GetAttribute_Caprel() called with NULL attribute name");
    EXPECT_EQ(GetFirstNamedChildElement_Caprel(Root(), nullptr), -1);
    EXPECT_EQ(LastError(), "GetFirstNamedChildElement_Caprel() called with NULL name");
    EXPECT_EQ(GetNextNamedChildElement_Caprel(Root(), first, nullptr), -1);
    EXPECT_EQ(LastError(), "GetNextNamedChildElement_Caprel() called with NULL name");
    EXPECT_EQ(Open_Caprel(nullptr, 0), 0);
    EXPECT_EQ(LastError(), "Open_Caprel() called with NULL file name");
}

TEST_F(Interface, LineIndexOutOfBounds) {
    const int32_t first = GetFirstChildElement_Caprel(Root());
    char buffer[8];
    uint32_t count = 0;
    int32_t lines = 0;
    EXPECT_EQ(GetElementLineCount_Caprel(first, &lines), 1);
    EXPECT_EQ(lines, 1);
    for (const int32_t index : {-1, 1}) {
        EXPECT_EQ(GetElementLine_Caprel(first, index, buffer, sizeof buffer, &count), 0);
        EXPECT_EQ(LastError(), "GetLine called with out of bound line index");
    }
}

TEST_F(Interface, NamedChildren) {
    const int32_t root = Root();
    std::vector<std::string> ids;
    for (int32_t item = GetFirstNamedChildElement_Caprel(root, "item"); item != -1;
         item = GetNextNamedChildElement_Caprel(root, item, "item")) {
        ids.push_back(Attribute(item, "id"));
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"1", "2", "3"}));
    const int32_t other = GetFirstNamedChildElement_Caprel(root, "other");
    EXPECT_EQ(Name(other), "other");
    EXPECT_EQ(Attribute(GetNextNamedChildElement_Caprel(root, other, "item"), "id"), "2");
    EXPECT_EQ(GetFirstNamedChildElement_Caprel(root, "Item"), -1);
}

TEST_F(Interface, NoSuchElementLeavesTheLastErrorAsItWas) {
    LeaveError();
    EXPECT_EQ(GetFirstNamedChildElement_Caprel(Root(), "absent"), -1);
    EXPECT_EQ(GetNextChildElement_Caprel(Root(), -1), -1);
    const int32_t root = Root();
    const int32_t item = GetFirstChildElement_Caprel(root);
    LeaveError();
    EXPECT_EQ(GetFirstChildElement_Caprel(item), -1);
    // A handle that is not a child of the parent.
    EXPECT_EQ(GetNextChildElement_Caprel(item, root), -1);
    EXPECT_EQ(LastError(), "Attribute nothing not found in element root on line 2");
}

TEST_F(Interface, SuccessClearsAnEarlierFailureText) {
    LeaveError();
    EXPECT_EQ(Name(Root()), "root");
    EXPECT_EQ(LastError(), "");
    LeaveError();
    EXPECT_EQ(OpenText(kSample), 1);
    EXPECT_EQ(LastError(), "");
}

TEST_F(Interface, BadHandlesFailWithText) {
    char buffer[8];
    uint32_t count = 0;
    const int32_t root = Root();
    for (const int32_t bad : {-1, -7, root + 1000, 0, INT32_MAX}) {
        EXPECT_EQ(GetElementName_Caprel(bad, buffer, sizeof buffer, &count), 0);
        EXPECT_EQ(LastError(), "GetElementName_Caprel() called with invalid element handle " +
                                   std::to_string(bad));
    }
    EXPECT_EQ(GetFirstChildElement_Caprel(-5), -1);
    EXPECT_EQ(LastError(), "GetFirstChildElement_Caprel() called with invalid element handle -5");
    EXPECT_EQ(GetNextChildElement_Caprel(root, -5), -1);
    EXPECT_EQ(LastError(), "GetNextChildElement_Caprel() called with invalid element handle -5");
    EXPECT_EQ(GetAttributeValue_Caprel(-5, "id", buffer, sizeof buffer, &count), 0);
    EXPECT_EQ(LastError(), "GetAttribute_Caprel() called with invalid element handle -5");
    int32_t lines = 0;
    EXPECT_EQ(GetElementLineCount_Caprel(-5, &lines), 0);
    EXPECT_EQ(LastError(), "GetElementLineCount_Caprel() called with invalid element handle -5");
    EXPECT_EQ(GetElementLine_Caprel(-5, 0, buffer, sizeof buffer, &count), 0);
    EXPECT_EQ(LastError(), "GetElementLine_Caprel() called with invalid element handle -5");
}

TEST_F(Interface, SecondOpenReplacesTheFirstAndItsHandles) {
    const int32_t oldRoot = Root();
    const int32_t oldItem = GetFirstChildElement_Caprel(oldRoot);
    ASSERT_EQ(OpenText("<other><x/></other>"), 1);
    EXPECT_EQ(Name(Root()), "other");
    EXPECT_EQ(Name(oldRoot), "<failed>");
    EXPECT_EQ(GetFirstChildElement_Caprel(oldRoot), -1);
    EXPECT_EQ(GetNextChildElement_Caprel(Root(), oldItem), -1);
    EXPECT_NE(LastError(), "");
}

TEST_F(Interface, HandlesOfAClosedDocumentFail) {
    const int32_t root = Root();
    Close_Caprel();
    ASSERT_EQ(OpenText(kSample), 1);
    EXPECT_NE(Root(), root);
    EXPECT_EQ(Name(root), "<failed>");
}

TEST_F(Interface, FailedOpenAfterSuccessLeavesNothingOpen) {
    EXPECT_EQ(OpenText("<a x='1'/>"), 0);
    EXPECT_EQ(IsOpen_Caprel(), 0);
    EXPECT_EQ(GetRootElement_Caprel(), -1);
    EXPECT_EQ(LastError(), "GetRootElement_Caprel() called prior to Open_Caprel()");
}

}  // namespace
