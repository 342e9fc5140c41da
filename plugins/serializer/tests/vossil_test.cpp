// The serializer plug-in as Kelvane sees it: loaded with dlopen, called through the eleven
// entry points bound by name.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "plugin_loader.h"
#include "vossil/vossil.h"

namespace {

using kv::plugin::testing::LoadedPlugin;
using kv::plugin::testing::PluginApi;
using Bytes = std::vector<uint8_t>;

// The header and the entry points the host binds have the same types.
static_assert(
    std::is_same_v<decltype(&Serializer_GetLastError), decltype(PluginApi::getLastError)>);
static_assert(
    std::is_same_v<decltype(&Serializer_GetAlgorithmName), decltype(PluginApi::getAlgorithmName)>);
static_assert(std::is_same_v<decltype(&Serializer_Open), decltype(PluginApi::open)>);
static_assert(std::is_same_v<decltype(&Serializer_Parse), decltype(PluginApi::parse)>);
static_assert(
    std::is_same_v<decltype(&Serializer_GetOverlaySize), decltype(PluginApi::getOverlaySize)>);
static_assert(std::is_same_v<decltype(&Serializer_Overlay), decltype(PluginApi::overlay)>);
static_assert(std::is_same_v<decltype(&Serializer_GetNextValueString),
                             decltype(PluginApi::getNextValueString)>);

constexpr int32_t kByte = 0;
constexpr int32_t kWord = 1;
constexpr int32_t kDword = 2;

class VossilTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(plugin.loadError(), ""); }

    std::string error() const { return api().getLastError(); }
    std::string next(int32_t index) const {
        const char* text = api().getNextValueString(index);
        return text != nullptr ? text : "<null>";
    }
    const PluginApi& api() const { return plugin.api(); }

    LoadedPlugin plugin{VOSSIL_PATH, "Serializer"};
};

TEST_F(VossilTest, OffersThreeAlgorithmsInThirtyTwoCharacterSlots) {
    EXPECT_EQ(api().getLastError()[0], '\0');
    EXPECT_EQ(api().open(0), 1);
    EXPECT_EQ(api().open(0xFFFFFFFFu), 1);
    ASSERT_EQ(api().getAlgorithmCount(), 3);
    const char* names[] = {"BYTE", "WORD", "DWORD"};
    for (int32_t index = 0; index < 3; ++index) {
        EXPECT_STREQ(api().getAlgorithmName(index), names[index]);
        EXPECT_EQ(api().getAlgorithmByName(names[index]), index);
        EXPECT_STREQ(api().getInitialValueString(index), "0");
    }
    EXPECT_EQ(api().getAlgorithmName(1) - api().getAlgorithmName(0), 32);
    EXPECT_EQ(api().getAlgorithmName(2) - api().getAlgorithmName(1), 32);
    // The initial value takes no notice of the index and never fails.
    EXPECT_STREQ(api().getInitialValueString(7), "0");
    EXPECT_STREQ(api().getInitialValueString(-1), "0");
    EXPECT_EQ(error(), "");
    api().close();
}

TEST_F(VossilTest, NameLookupsFailWithTheirTexts) {
    EXPECT_EQ(api().getAlgorithmByName("word"), -1);
    EXPECT_EQ(error(), "Algorithm 'word' not found");
    EXPECT_EQ(api().getAlgorithmByName("WORD "), -1);
    EXPECT_EQ(error(), "Algorithm 'WORD ' not found");
    EXPECT_EQ(api().getAlgorithmByName(""), -1);
    EXPECT_EQ(error(), "Algorithm '' not found");
    EXPECT_EQ(api().getAlgorithmByName(nullptr), -1);
    EXPECT_EQ(error(), "Algorithm name must not be NULL");

    EXPECT_EQ(api().getAlgorithmName(3), nullptr);
    EXPECT_EQ(error(), "Algorithm index too large");
    EXPECT_EQ(api().getAlgorithmName(-1), nullptr);
    EXPECT_EQ(error(), "Algorithm index must not be negative");

    // A text longer than the error buffer is cut, not overrun.
    const std::string longName(5000, 'n');
    EXPECT_EQ(api().getAlgorithmByName(longName.c_str()), -1);
    EXPECT_EQ(error().size(), 1023u);
    EXPECT_EQ(error().substr(0, 13), "Algorithm 'nn");
}

TEST_F(VossilTest, WritesEachSizeLittleEndianAndCountsUp) {
    EXPECT_EQ(next(kByte), "");
    EXPECT_EQ(plugin.render(kByte, "200"), (Bytes{0xC8}));
    EXPECT_EQ(next(kByte), "201");
    EXPECT_EQ(plugin.render(kWord, "1234"), (Bytes{0xD2, 0x04}));
    EXPECT_EQ(next(kWord), "1235");
    EXPECT_EQ(plugin.render(kDword, "305419896"), (Bytes{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(next(kDword), "305419897");
    EXPECT_EQ(api().getOverlaySize(kByte), 1u);
    EXPECT_EQ(api().getOverlaySize(kWord), 2u);
    EXPECT_EQ(api().getOverlaySize(kDword), 4u);
    // Each algorithm keeps its own value.
    EXPECT_EQ(next(kByte), "201");
    EXPECT_EQ(error(), "");
}

TEST_F(VossilTest, ReadsWholeDecimalNumbersOfThirtyTwoBits) {
    struct Case {
        const char* text;
        Bytes bytes;
        const char* next;
    };
    const Case cases[] = {
        {"2147483647", {0xFF, 0xFF, 0xFF, 0x7F}, "2147483648"},
        {"2147483648", {0x00, 0x00, 0x00, 0x80}, "2147483649"},
        {"4294967294", {0xFE, 0xFF, 0xFF, 0xFF}, "4294967295"},
        {"-0", {0x00, 0x00, 0x00, 0x00}, "1"},
        {"  \t42", {0x2A, 0x00, 0x00, 0x00}, "43"},
        {"42 \r\n", {0x2A, 0x00, 0x00, 0x00}, "43"},
        {"+5", {0x05, 0x00, 0x00, 0x00}, "6"},
        {"007", {0x07, 0x00, 0x00, 0x00}, "8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(plugin.render(kDword, c.text), c.bytes);
        EXPECT_EQ(next(kDword), c.next);
    }
    EXPECT_EQ(error(), "");
}

TEST_F(VossilTest, RefusesTextsThatAreNotOneDecimalNumber) {
    ASSERT_EQ(api().parse(kDword, "77"), 1);
    for (const char* text : {"abc", "42xyz", "-", "12.7", "0x10", "4 2", "+-3"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(api().parse(kDword, text), 0);
        EXPECT_EQ(error(),
                  std::string("Value '") + text + "' is not a decimal number for DWORD algorithm");
        // Nothing of the text is written.
        uint8_t bytes[4] = {0xEE, 0xEE, 0xEE, 0xEE};
        EXPECT_EQ(api().overlay(kDword, bytes, 4), 1);
        EXPECT_EQ(Bytes(bytes, bytes + 4), (Bytes{0, 0, 0, 0}));
    }
    EXPECT_EQ(api().parse(kWord, "12ab"), 0);
    EXPECT_EQ(error(), "Value '12ab' is not a decimal number for WORD algorithm");
}

TEST_F(VossilTest, TheLastDwordNumberIsWrittenOnceAndNeverWrapsToZero) {
    EXPECT_EQ(plugin.render(kDword, "4294967295"), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(next(kDword), "4294967296");
    for (const char* beyond : {"4294967296", "4294967297", "18446744073709551617", "-2147483649"}) {
        SCOPED_TRACE(beyond);
        EXPECT_EQ(api().parse(kDword, beyond), 0);
        EXPECT_EQ(error(), std::string("Value '") + beyond + "' out of range for DWORD algorithm");
    }
}

TEST_F(VossilTest, EmptyOrBlankTextFailsAndLeavesValueZero) {
    ASSERT_EQ(api().parse(kDword, "77"), 1);
    EXPECT_EQ(api().parse(kDword, ""), 0);
    EXPECT_EQ(error(), "Unable to convert '' to the desired format");
    EXPECT_EQ(api().parse(kDword, " \t\r\n"), 0);
    EXPECT_EQ(error(), "Unable to convert ' \t\r\n' to the desired format");
    // The value was cleared before the scan; the next-value text is the last good one.
    uint8_t bytes[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(api().overlay(kDword, bytes, 4), 1);
    EXPECT_EQ(Bytes(bytes, bytes + 4), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(next(kDword), "78");

    EXPECT_EQ(api().parse(kWord, nullptr), 0);
    EXPECT_EQ(error(), "Value text for WORD algorithm must not be NULL");
}

TEST_F(VossilTest, RefusesValuesThatDoNotFitByteOrWord) {
    EXPECT_EQ(plugin.render(kByte, "255"), (Bytes{0xFF}));
    EXPECT_EQ(next(kByte), "256");
    EXPECT_EQ(api().parse(kByte, "256"), 0);
    EXPECT_EQ(error(), "Value '256' out of range for BYTE algorithm");
    EXPECT_EQ(next(kByte), "256");
    EXPECT_EQ(plugin.render(kByte, "0"), (Bytes{0x00}));
    // A negative serial number would meet its own bytes again while counting up.
    EXPECT_EQ(api().parse(kByte, "-1"), 0);
    EXPECT_EQ(error(), "Value '-1' out of range for BYTE algorithm");
    // Never cut to 32 bits: this would be 255 again.
    EXPECT_EQ(api().parse(kByte, "4294967551"), 0);
    EXPECT_EQ(error(), "Value '4294967551' out of range for BYTE algorithm");

    EXPECT_EQ(plugin.render(kWord, "65535"), (Bytes{0xFF, 0xFF}));
    EXPECT_EQ(next(kWord), "65536");
    EXPECT_EQ(api().parse(kWord, "65536"), 0);
    EXPECT_EQ(error(), "Value '65536' out of range for WORD algorithm");
    EXPECT_EQ(api().parse(kWord, "-32768"), 0);
    EXPECT_EQ(error(), "Value '-32768' out of range for WORD algorithm");
    // Serial numbers are unsigned for every size alike: a negative text is
    // no DWORD number either, and nothing of it is written.
    for (const char* negative : {"-1", "-2", "-2147483648", " -7 "}) {
        SCOPED_TRACE(negative);
        EXPECT_EQ(api().parse(kDword, negative), 0);
        EXPECT_EQ(error(),
                  std::string("Value '") + negative + "' out of range for DWORD algorithm");
        uint8_t bytes[4] = {0xEE, 0xEE, 0xEE, 0xEE};
        EXPECT_EQ(api().overlay(kDword, bytes, 4), 1);
        EXPECT_EQ(Bytes(bytes, bytes + 4), (Bytes{0, 0, 0, 0}));
    }
}

TEST_F(VossilTest, OverlayChecksTheBufferAndWritesOnlyTheValue) {
    ASSERT_EQ(api().parse(kByte, "1"), 1);
    ASSERT_EQ(api().parse(kWord, "2"), 1);
    ASSERT_EQ(api().parse(kDword, "3"), 1);
    uint8_t buffer[8];
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(api().overlay(kByte, buffer, 0), 0);
    EXPECT_EQ(error(), "Buffer too small for BYTE algorithm");
    EXPECT_EQ(api().overlay(kWord, buffer, 1), 0);
    EXPECT_EQ(error(), "Buffer too small for WORD algorithm");
    EXPECT_EQ(api().overlay(kDword, buffer, 3), 0);
    EXPECT_EQ(error(), "Buffer too small for DWORD algorithm");
    EXPECT_EQ(Bytes(buffer, buffer + 8), Bytes(8, 0xEE));
    EXPECT_EQ(api().overlay(kWord, nullptr, 2), 0);
    EXPECT_EQ(error(), "NULL buffer for WORD algorithm");

    EXPECT_EQ(api().overlay(kWord, buffer, sizeof buffer), 1);
    EXPECT_EQ(Bytes(buffer, buffer + 8), (Bytes{0x02, 0x00, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
    // Success leaves the last error text as it was.
    EXPECT_EQ(error(), "NULL buffer for WORD algorithm");
}

TEST_F(VossilTest, IndexOutsideTheTableFailsEveryCall) {
    uint8_t buffer[4] = {};
    for (int32_t index : {3, -1, 1000}) {
        const std::string text = "Unsupported algorithm index " + std::to_string(index);
        EXPECT_EQ(api().parse(index, "1"), 0);
        EXPECT_EQ(error(), text);
        api().getAlgorithmByName("x");
        EXPECT_EQ(api().getOverlaySize(index), 0u);
        EXPECT_EQ(error(), text);
        api().getAlgorithmByName("x");
        EXPECT_EQ(api().overlay(index, buffer, 4), 0);
        EXPECT_EQ(error(), text);
        api().getAlgorithmByName("x");
        EXPECT_EQ(api().getNextValueString(index), nullptr);
        EXPECT_EQ(error(), text);
    }
}

TEST_F(VossilTest, TextsStayAtTheirAddresses) {
    const char* errorText = api().getLastError();
    const char* nextText = api().getNextValueString(kWord);
    api().getAlgorithmByName("missing");
    ASSERT_EQ(api().parse(kWord, "9"), 1);
    EXPECT_EQ(api().getLastError(), errorText);
    EXPECT_EQ(api().getNextValueString(kWord), nextText);
    EXPECT_STREQ(nextText, "10");
    EXPECT_STREQ(errorText, "Algorithm 'missing' not found");
}

}  // namespace
