#include <gtest/gtest.h>

#include <numeric>

#include "hex_test_support.h"
#include "kelvane/core/hex_block.h"
#include "kelvane/core/hex_block_array.h"

namespace kv {
namespace {

std::vector<std::uint8_t> counting(std::size_t n, int first = 0) {
    std::vector<std::uint8_t> bytes(n);
    std::iota(bytes.begin(), bytes.end(), static_cast<std::uint8_t>(first));
    return bytes;
}

TEST(HexBlock, LoadRefusesMoreThanItsCapacity) {
    test::MessageBoxRecorder boxes;
    const auto data = counting(4097);
    CHexBlock block;
    EXPECT_EQ(block.GetLastError(), "No error");
    EXPECT_EQ(block.Load(data.data(), 0x1000, 4096), 1);
    EXPECT_EQ(block.GetCount(), 4096u);
    EXPECT_EQ(block.Load(data.data(), 0x1000, 4097), 0);
    const std::string text =
        "Passed too many bytes in CHexBlock::Load()\n\nContact program vendor\n";
    EXPECT_EQ(block.GetLastError(), text);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text, text);
    EXPECT_EQ(boxes.calls()[0].caption, "CHexBlock Critical Error");
    EXPECT_EQ(boxes.calls()[0].type, static_cast<unsigned>(kMbOk | kMbIconError));

    CHexBlock small(16);
    EXPECT_EQ(small.Load(data.data(), 0, 16), 1);
    EXPECT_EQ(small.Load(data.data(), 0, 17), 0);
}

TEST(HexBlock, ReadAndReadFromCopyWithinTheCount) {
    test::MessageBoxRecorder boxes;
    const auto data = counting(10);
    CHexBlock block;
    block.Load(data.data(), 0xF000, 10);
    std::uint8_t out[16] = {};
    std::uint32_t copied = 99;
    EXPECT_EQ(block.Read(out, 4, &copied), 1);
    EXPECT_EQ(copied, 4u);
    EXPECT_EQ(block.ReadFrom(8, out, 16, &copied), 1);
    EXPECT_EQ(copied, 2u);
    EXPECT_EQ(out[0], 8);
    EXPECT_EQ(out[1], 9);
    EXPECT_EQ(block.ReadFrom(10, out, 16, &copied), 1);
    EXPECT_EQ(copied, 0u);
    EXPECT_TRUE(boxes.calls().empty());
    // An offset beyond the count fails instead of reading past the data.
    EXPECT_EQ(block.ReadFrom(11, out, 16, &copied), 0);
    EXPECT_EQ(copied, 0u);
    ASSERT_EQ(boxes.calls().size(), 1u);
    EXPECT_EQ(boxes.calls()[0].text,
              "Offset 000B beyond block of 000A bytes in CHexBlock::ReadFrom()\n\n"
              "Contact program vendor\n");
}

TEST(HexBlock, MergeCopiesTheOverlapOnly) {
    const auto data = counting(8, 0x10);  // 10..17 at 0x1004..0x100B
    CHexBlock block;
    block.Load(data.data(), 0x1004, 8);
    std::vector<std::uint8_t> window(8, 0xFF);  // 0x1000..0x1007
    ASSERT_EQ(block.Merge(window.data(), 0x1000, 8), 1);
    EXPECT_EQ(window, (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0x10, 0x11, 0x12, 0x13}));
    std::vector<std::uint8_t> tail(4, 0xFF);  // 0x100A..0x100D
    ASSERT_EQ(block.Merge(tail.data(), 0x100A, 4), 1);
    EXPECT_EQ(tail, (std::vector<std::uint8_t>{0x16, 0x17, 0xFF, 0xFF}));
    std::vector<std::uint8_t> inside(2, 0xFF);
    ASSERT_EQ(block.Merge(inside.data(), 0x1006, 2), 1);
    EXPECT_EQ(inside, (std::vector<std::uint8_t>{0x12, 0x13}));
    std::vector<std::uint8_t> apart(4, 0xFF);
    ASSERT_EQ(block.Merge(apart.data(), 0x100C, 4), 1);
    ASSERT_EQ(block.Merge(apart.data(), 0x0FFC, 8), 1);  // ends right before the block
    EXPECT_EQ(apart, std::vector<std::uint8_t>(4, 0xFF));
    EXPECT_EQ(block.Merge(nullptr, 0x2000, 0), 1);
}

TEST(HexBlock, MergeAtTheTopOfTheAddressSpace) {
    const auto data = counting(4);
    CHexBlock block;
    block.Load(data.data(), 0xFFFFFFFE, 4);  // wraps past 32 bits
    std::vector<std::uint8_t> window(2, 0);
    ASSERT_EQ(block.Merge(window.data(), 0xFFFFFFFE, 2), 1);
    EXPECT_EQ(window, (std::vector<std::uint8_t>{0, 1}));
}

TEST(HexBlock, CompareOrdersTheWholeAddressRange) {
    CHexBlock low, high;
    low.Load(nullptr, 0x00000010, 0);
    high.Load(nullptr, 0x90000000, 0);
    EXPECT_LT(low.Compare(high), 0);
    EXPECT_GT(high.Compare(low), 0);
    EXPECT_EQ(low.Compare(low), 0);
}

TEST(ArrayHexBlock, AddDataCutsIntoFullBlocks) {
    const auto data = counting(5000);
    CArrayHexBlock array;
    ASSERT_EQ(array.AddData(data.data(), 0x8000, 5000), 1);
    ASSERT_EQ(array.GetSize(), 2u);
    EXPECT_EQ(array.GetAt(0)->GetAddress(), 0x8000u);
    EXPECT_EQ(array.GetAt(0)->GetCount(), 4096u);
    EXPECT_EQ(array.GetAt(1)->GetAddress(), 0x9000u);
    EXPECT_EQ(array.GetAt(1)->GetCount(), 904u);
    EXPECT_EQ(array.GetAt(1)->GetData()[0], data[4096]);
    EXPECT_EQ(array.GetTotal(), 5000u);
    EXPECT_EQ(array.GetAt(2), nullptr);
    array.FreeAll();
    EXPECT_EQ(array.GetSize(), 0u);
    EXPECT_EQ(array.GetTotal(), 0u);
}

TEST(ArrayHexBlock, SortIsStableAndAscending) {
    const std::uint8_t a = 1, b = 2, c = 3, d = 4;
    CArrayHexBlock array(16);
    array.AddData(&a, 0x9000, 1);
    array.AddData(&b, 0x1000, 1);
    array.AddData(&c, 0x9000, 1);
    array.AddData(&d, 0x80000000, 1);
    array.Sort();
    std::vector<std::uint8_t> order;
    for (std::size_t i = 0; i < array.GetSize(); ++i)
        order.push_back(array.GetAt(i)->GetData()[0]);
    EXPECT_EQ(order, (std::vector<std::uint8_t>{2, 1, 3, 4}));
}

}  // namespace
}  // namespace kv
