// The overlay plug-in as Kelvane sees it: loaded with dlopen, called through the eleven entry
// points bound by name.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "gantrel/gantrel.h"
#include "plugin_loader.h"

namespace {

using kv::plugin::testing::LoadedPlugin;
using kv::plugin::testing::PluginApi;
using Bytes = std::vector<uint8_t>;

static_assert(
    std::is_same_v<decltype(&Overlay_GetAlgorithmByName), decltype(PluginApi::getAlgorithmByName)>);
static_assert(std::is_same_v<decltype(&Overlay_Close), decltype(PluginApi::close)>);
static_assert(std::is_same_v<decltype(&Overlay_GetInitialValueString),
                             decltype(PluginApi::getInitialValueString)>);
static_assert(std::is_same_v<decltype(&Overlay_Parse), decltype(PluginApi::parse)>);
static_assert(std::is_same_v<decltype(&Overlay_Overlay), decltype(PluginApi::overlay)>);

constexpr int32_t kHexByte = 0;
constexpr int32_t kHexWord = 1;
constexpr int32_t kHexDword = 2;
constexpr int32_t kString = 3;

class GantrelTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(plugin.loadError(), ""); }

    std::string error() const { return api().getLastError(); }
    std::string next(int32_t index) const {
        const char* text = api().getNextValueString(index);
        return text != nullptr ? text : "<null>";
    }
    const PluginApi& api() const { return plugin.api(); }

    LoadedPlugin plugin{GANTREL_PATH, "Overlay"};
};

TEST_F(GantrelTest, OffersFourAlgorithms) {
    EXPECT_EQ(error(), "");
    EXPECT_EQ(api().open(0), 1);
    ASSERT_EQ(api().getAlgorithmCount(), 4);
    const char* names[] = {"Hex BYTE", "Hex WORD", "Hex DWORD", "String"};
    for (int32_t index = 0; index < 4; ++index) {
        EXPECT_STREQ(api().getAlgorithmName(index), names[index]);
        EXPECT_EQ(api().getAlgorithmName(index) - api().getAlgorithmName(0), 32 * index);
        EXPECT_EQ(api().getAlgorithmByName(names[index]), index);
        EXPECT_STREQ(api().getInitialValueString(index), "0");
        EXPECT_EQ(next(index), "");
    }
    EXPECT_EQ(error(), "");
    EXPECT_EQ(api().getAlgorithmByName("Hex byte"), -1);
    EXPECT_EQ(error(), "Algorithm 'Hex byte' not found");
    EXPECT_EQ(api().getAlgorithmName(4), nullptr);
    EXPECT_EQ(error(), "Algorithm index too large");
    EXPECT_EQ(api().getAlgorithmName(-4), nullptr);
    EXPECT_EQ(error(), "Algorithm index must not be negative");
    api().close();
}

TEST_F(GantrelTest, HexValuesAreWrittenLittleEndianAndStayTheSame) {
    EXPECT_EQ(plugin.render(kHexWord, "1a2b"), (Bytes{0x2B, 0x1A}));
    EXPECT_EQ(next(kHexWord), "1A2B");
    EXPECT_EQ(plugin.render(kHexByte, "c3"), (Bytes{0xC3}));
    EXPECT_EQ(next(kHexByte), "C3");
    EXPECT_EQ(plugin.render(kHexDword, "DeadBeef"), (Bytes{0xEF, 0xBE, 0xAD, 0xDE}));
    EXPECT_EQ(next(kHexDword), "DEADBEEF");
    EXPECT_EQ(api().getOverlaySize(kHexByte), 1u);
    EXPECT_EQ(api().getOverlaySize(kHexWord), 2u);
    EXPECT_EQ(api().getOverlaySize(kHexDword), 4u);
    EXPECT_EQ(error(), "");
}

TEST_F(GantrelTest, ReadsOnlyAWholeHexNumberThatFitsTheSize) {
    struct Case {
        const char* text;
        Bytes bytes;
        const char* next;
    };
    const Case cases[] = {
        {"0x00ff", {0xFF, 0x00, 0x00, 0x00}, "FF"},
        {"0X10", {0x10, 0x00, 0x00, 0x00}, "10"},
        {"000012", {0x12, 0x00, 0x00, 0x00}, "12"},
        {" \t7fffffff ", {0xFF, 0xFF, 0xFF, 0x7F}, "7FFFFFFF"},
        {"FFFFFFFF", {0xFF, 0xFF, 0xFF, 0xFF}, "FFFFFFFF"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(plugin.render(kHexDword, c.text), c.bytes);
        EXPECT_EQ(next(kHexDword), c.next);
    }
    // Nothing is guessed from a part of the text or cut to the size.
    const struct {
        int32_t index;
        const char* text;
        const char* error;
    } refused[] = {
        {kHexDword, "", "Unable to convert '' to the desired format"},
        {kHexWord, "   ", "Unable to convert '   ' to the desired format"},
        {kHexWord, "xyz", "Value 'xyz' is not a hexadecimal number for WORD algorithm"},
        {kHexWord, "12zz", "Value '12zz' is not a hexadecimal number for WORD algorithm"},
        {kHexWord, "0x", "Value '0x' is not a hexadecimal number for WORD algorithm"},
        {kHexByte, "-1", "Value '-1' is not a hexadecimal number for BYTE algorithm"},
        {kHexDword, "+a", "Value '+a' is not a hexadecimal number for DWORD algorithm"},
        {kHexDword, "1FFFFFFFFFFFFFFFF0",
         "Value '1FFFFFFFFFFFFFFFF0' out of range for DWORD algorithm"},
        {kHexDword, "100000000", "Value '100000000' out of range for DWORD algorithm"},
        {kHexWord, "123456789", "Value '123456789' out of range for WORD algorithm"},
        {kHexWord, "10000", "Value '10000' out of range for WORD algorithm"},
        {kHexByte, "1FF", "Value '1FF' out of range for BYTE algorithm"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.text);
        EXPECT_EQ(api().parse(r.index, r.text), 0);
        EXPECT_EQ(error(), r.error);
    }
    EXPECT_EQ(api().parse(kHexWord, nullptr), 0);
    EXPECT_EQ(error(), "Value text for WORD algorithm must not be NULL");
    EXPECT_EQ(plugin.render(kHexByte, "FF"), (Bytes{0xFF}));
    EXPECT_EQ(plugin.render(kHexWord, "ffff"), (Bytes{0xFF, 0xFF}));
}

TEST_F(GantrelTest, HexOverlayChecksTheBuffer) {
    ASSERT_EQ(api().parse(kHexDword, "1234"), 1);
    uint8_t buffer[6];
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(api().overlay(kHexByte, buffer, 0), 0);
    EXPECT_EQ(error(), "Buffer too small for BYTE algorithm");
    EXPECT_EQ(api().overlay(kHexWord, buffer, 1), 0);
    EXPECT_EQ(error(), "Buffer too small for WORD algorithm");
    EXPECT_EQ(api().overlay(kHexDword, buffer, 3), 0);
    EXPECT_EQ(error(), "Buffer too small for DWORD algorithm");
    EXPECT_EQ(Bytes(buffer, buffer + 6), Bytes(6, 0xEE));
    EXPECT_EQ(api().overlay(kHexDword, nullptr, 4), 0);
    EXPECT_EQ(error(), "NULL buffer for DWORD algorithm");
    EXPECT_EQ(api().overlay(kHexDword, buffer, sizeof buffer), 1);
    EXPECT_EQ(Bytes(buffer, buffer + 6), (Bytes{0x34, 0x12, 0x00, 0x00, 0xEE, 0xEE}));
}

TEST_F(GantrelTest, StringIsWrittenWithItsTerminatingZero) {
    EXPECT_EQ(api().getOverlaySize(kString), 1u);
    EXPECT_EQ(plugin.render(kString, "ABC"), (Bytes{0x41, 0x42, 0x43, 0x00}));
    EXPECT_EQ(api().getOverlaySize(kString), 4u);
    EXPECT_EQ(next(kString), "ABC");
    // Blanks and digits are text like any other.
    EXPECT_EQ(plugin.render(kString, " 1 "), (Bytes{0x20, 0x31, 0x20, 0x00}));
    EXPECT_EQ(plugin.render(kString, ""), (Bytes{0x00}));
    EXPECT_EQ(next(kString), "");

    const std::string longest(31, 'L');
    ASSERT_EQ(api().parse(kString, longest.c_str()), 1);
    EXPECT_EQ(api().getOverlaySize(kString), 32u);
    EXPECT_EQ(next(kString), longest);
    EXPECT_EQ(error(), "");
}

TEST_F(GantrelTest, StringTooLongFailsAndKeepsThePreviousText) {
    ASSERT_EQ(api().parse(kString, "KEEP"), 1);
    const std::string tooLong(32, 'X');
    EXPECT_EQ(api().parse(kString, tooLong.c_str()), 0);
    EXPECT_EQ(error(), "Desired string too large for String algorithm");
    EXPECT_EQ(api().parse(kString, std::string(100000, 'Y').c_str()), 0);
    EXPECT_EQ(api().parse(kString, nullptr), 0);
    EXPECT_EQ(error(), "Value text for String algorithm must not be NULL");
    EXPECT_EQ(api().getOverlaySize(kString), 5u);
    EXPECT_EQ(next(kString), "KEEP");

    uint8_t buffer[5];
    std::memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(api().overlay(kString, buffer, 4), 0);
    EXPECT_EQ(error(), "Buffer too small for String algorithm");
    EXPECT_EQ(Bytes(buffer, buffer + 5), Bytes(5, 0xEE));
    EXPECT_EQ(api().overlay(kString, nullptr, 5), 0);
    EXPECT_EQ(error(), "NULL buffer for String algorithm");
    EXPECT_EQ(api().overlay(kString, buffer, 5), 1);
    EXPECT_EQ(Bytes(buffer, buffer + 5), (Bytes{'K', 'E', 'E', 'P', 0}));
}

TEST_F(GantrelTest, IndexOutsideTheTableFailsEveryCall) {
    uint8_t buffer[4] = {};
    for (int32_t index : {4, -1, -2147483647 - 1}) {
        const std::string text = "Unsupported algorithm index " + std::to_string(index);
        EXPECT_EQ(api().getOverlaySize(index), 0u);
        EXPECT_EQ(error(), text);
        api().getAlgorithmByName("x");
        EXPECT_EQ(api().parse(index, "1"), 0);
        EXPECT_EQ(error(), text);
        api().getAlgorithmByName("x");
        EXPECT_EQ(api().overlay(index, buffer, 4), 0);
        EXPECT_EQ(error(), text);
        api().getAlgorithmByName("x");
        EXPECT_EQ(api().getNextValueString(index), nullptr);
        EXPECT_EQ(error(), text);
        EXPECT_STREQ(api().getInitialValueString(index), "0");
    }
}

}  // namespace
