// The adapter's memory commands: the project-file form of their values and
// runs against the loader.
#include <gtest/gtest.h>

#include "adapter_test_support.h"
#include "kelvane/commands/tovrin_memory_commands.h"
#include "kelvane/core/tovrin.h"

namespace kv::cmdtest {
namespace {

TEST(TovrinMemoryCommands, DefaultsLabelsAndValuesInTheProjectFile) {
    std::string error;
    std::unique_ptr<CProjectTreeItem> item(CCommandTovrin_WriteMemory::CreateDefault(error));
    auto* write = static_cast<CCommandTovrin_WriteMemory*>(item.get());
    EXPECT_EQ(write->GetTreeLabel(), "Write Memory @0x00300 (BSL)");
    EXPECT_EQ(write->GetGroup(), "Tovrin");
    ASSERT_EQ(write->SetParameters(0x0300, 3, kValueWord), 1);
    write->PutValue(0, 0x1234);
    std::string path = TestPath("memory.kvnset");
    std::string text = SaveText(*write, path);
    EXPECT_EQ(ElementText(text, "Tovrin_WriteMemory"),
              "<Tovrin_WriteMemory \n\tdwAddress=\"0x00000300\"\n\tdwCount=\"0x00000003\"\n"
              "\twValueType=\"WORD\"\n>\n0x1234 0xFFFF 0xFFFF \n</Tovrin_WriteMemory >");
    EXPECT_EQ(Declarations(text, "Tovrin_WriteMemory"),
              "\t<!ELEMENT Tovrin_WriteMemory >\n\t<!ATTLIST Tovrin_WriteMemory\n"
              "\t\tdwAddress CDATA #REQUIRED\n\t\tdwCount CDATA #REQUIRED\n"
              "\t\twValueType (BYTE|BYTE_ASCII|ASCII|WORD|DWORD) #REQUIRED\n\t>\n");
    auto loaded = LoadBack(path, error);
    ASSERT_NE(loaded, nullptr) << error;
    std::uint32_t value = 0;
    static_cast<CCommandTovrin_WriteMemory*>(loaded.get())->GetValue(0, value);
    EXPECT_EQ(value, 0x1234u);

    auto old = LoadElement(
        "<Tovrin_VerifyMemory dwAddress=\"0x0200\" dwCount=\"0x0001\" "
        "bIsWORD=\"TRUE\">0xABCD</Tovrin_VerifyMemory >",
        error);
    ASSERT_NE(old, nullptr) << error;
    EXPECT_EQ(static_cast<CCommandTovrin_VerifyMemory*>(old.get())->GetValueType(), kValueWord);
    EXPECT_EQ(LoadElement("<Tovrin_WriteMemory dwAddress=\"0x0200\" dwCount=\"0x0002\" "
                          "wValueType=\"BYTE\">0x01</Tovrin_WriteMemory >",
                          error),
              nullptr);
    EXPECT_TRUE(error.starts_with(
        "WriteMemory unable to parse the required 2 values (element Tovrin_WriteMemory on line "))
        << error;
}

TEST(TovrinMemoryCommands, FillWriteReadAndVerifyOnTheLoader) {
    AdapterRun run;
    run.Seize();
    CCommandTovrin_FillMemory fill;
    ASSERT_EQ(fill.SetParameters(0x0300, 8, kValueByte, 2), 1);
    fill.PutValue(0, 0x12);
    fill.PutValue(1, 0x34);
    ASSERT_EQ(run.Run(fill), 1) << fill.GetLastError();
    EXPECT_EQ(run.bench.Peek(0x0300, 8),
              (std::vector<uint8_t>{0x12, 0x34, 0x12, 0x34, 0x12, 0x34, 0x12, 0x34}));
    EXPECT_EQ(fill.SetParameters(0x0300, 8, kValueByte, 9), 0);
    EXPECT_EQ(fill.GetLastError(), "Pattern count must be less than or equal to the symbol count");

    CCommandTovrin_ReadMemory read;
    ASSERT_EQ(read.SetParameters(0x0300, 4, kValueWord), 1);
    run.log.Clear();
    ASSERT_EQ(run.Run(read), 1) << read.GetLastError();
    EXPECT_EQ(run.log.Text(), "Read Memory @0x00300 (BSL): \n00300: 3412 3412 3412 3412 \nOK\n");

    CCommandTovrin_VerifyMemory verify;
    ASSERT_EQ(verify.SetParameters(0x0300, 2, kValueByte), 1);
    verify.PutValue(0, 0x12);
    verify.PutValue(1, 0x35);
    EXPECT_EQ(run.Run(verify), 0);
    EXPECT_EQ(verify.GetLastError(), "Verify error at address 0x0301, read 0x34, expected 0x35");
}

TEST(TovrinMemoryCommands, WithoutAnAdapter) {
    CPrgProcessor processor = F149Processor();
    CExecuteParams params;
    ASSERT_EQ(params.Open(&processor, 3300, nullptr, nullptr, nullptr, "None", 1, 0, 0), 1);
    CCommandTovrin_ReadMemory read;
    EXPECT_EQ(read.Execute(&params), 0);
    EXPECT_EQ(read.GetLastError(), "NULL Tovrin during CCommandTovrin_ReadMemory::OnExecute");
}

}  // namespace
}  // namespace kv::cmdtest
