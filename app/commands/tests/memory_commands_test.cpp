// ReadMemory, WriteMemory, VerifyMemory and FillMemory: the value buffer, its
// text in project files, the DTD, prototypes, labels and runs against the
// simulated pod and chip.
#include <gtest/gtest.h>

#include "command_test_support.h"
#include "identify_step.h"
#include "kelvane/commands/dravik_close.h"
#include "kelvane/commands/dravik_memory_commands.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/sim/chip.h"

namespace kv::testing {
namespace {

using MemoryCommands = CommandTest;

std::string Element(const std::string& name, const std::string& attributes,
                    const std::string& text) {
    return "<" + name + " " + attributes + ">" + text + "</" + name + " >\n";
}

TEST_F(MemoryCommands, DeclareTextElementsWithTheirAttributes) {
    const std::string attributes =
        "\t\tdwAddress CDATA #REQUIRED\n\t\tdwCount CDATA #REQUIRED\n"
        "\t\twValueType (BYTE|BYTE_ASCII|ASCII|WORD|DWORD) #REQUIRED\n";
    for (const char* name : {"Dravik_ReadMemory", "Dravik_WriteMemory", "Dravik_VerifyMemory"})
        EXPECT_EQ(Declarations(name), std::string("\t<!ELEMENT ") + name + " >\n\t<!ATTLIST " +
                                          name + "\n" + attributes + "\t>\n");
    EXPECT_EQ(Declarations("Dravik_FillMemory"),
              "\t<!ELEMENT Dravik_FillMemory >\n\t<!ATTLIST Dravik_FillMemory\n" + attributes +
                  "\t\tdwPatternCount CDATA #REQUIRED\n\t>\n");
}

TEST_F(MemoryCommands, PrototypesHaveNoBufferUntilCopied) {
    std::string error;
    std::unique_ptr<CProjectTreeItem> read(CCommandDravik_ReadMemory::CreateDefault(error));
    EXPECT_EQ(read->GetTreeLabel(), "Read Memory @0x00200");
    EXPECT_EQ(read->GetDisplayName(), "Read Memory");
    EXPECT_EQ(read->GetDescription(), "Read target memory");
    EXPECT_EQ(read->GetGroup(), "Dravik");
    EXPECT_EQ(read->GetImage(), 17);
    auto* buffer = static_cast<CCommandDravik_Buffer*>(read.get());
    EXPECT_FALSE(buffer->Buffer().HasBuffer());

    std::unique_ptr<CProjectTreeItem> copy(read->Spawn());
    auto* copied = static_cast<CCommandDravik_Buffer*>(copy.get());
    ASSERT_TRUE(copied->Buffer().HasBuffer());
    EXPECT_TRUE(copied->HasValues());
    EXPECT_EQ(copied->Buffer().GetLength(), 16u);
    EXPECT_EQ(copied->Buffer().Data()[15], 0xFF);
    EXPECT_EQ(copied->GetTreeLabel(), "Read Memory @0x00200");

    struct {
        CProjectTreeItem* (*create)(std::string&);
        const char* label;
        int image;
    } others[] = {{&CCommandDravik_WriteMemory::CreateDefault, "Write Memory @0x00200", 16},
                  {&CCommandDravik_VerifyMemory::CreateDefault, "Verify Memory @0x00200", 15},
                  {&CCommandDravik_FillMemory::CreateDefault, "Fill Memory @0x00200", 29}};
    for (const auto& other : others) {
        std::unique_ptr<CProjectTreeItem> command(other.create(error));
        EXPECT_EQ(command->GetTreeLabel(), other.label);
        EXPECT_EQ(command->GetImage(), other.image);
    }
}

TEST_F(MemoryCommands, ValuesAreWrittenEightToALineWithPrefix) {
    CCommandDravik_WriteMemory write;
    ASSERT_EQ(write.SetParameters(0x1C00, 10, kValueByte), 1);
    for (std::uint32_t i = 0; i < 10; ++i)
        ASSERT_EQ(write.PutValue(i, i + 1), 1);
    EXPECT_EQ(write.GetTreeLabel(), "Write Memory @0x01C00");
    EXPECT_EQ(SavedElement(write),
              "<Dravik_WriteMemory \n\tdwAddress=\"0x00001C00\"\n\tdwCount=\"0x0000000A\"\n"
              "\twValueType=\"BYTE\"\n>\n0x01 0x02 0x03 0x04 0x05 0x06 0x07 0x08 \n"
              "0x09 0x0A \n</Dravik_WriteMemory >\n");

    auto loaded = RoundTrip(write);
    ASSERT_NE(loaded, nullptr);
    auto* back = static_cast<CCommandDravik_WriteMemory*>(loaded.get());
    EXPECT_EQ(back->GetAddress(), 0x1C00u);
    EXPECT_EQ(back->GetCount(), 10u);
    std::uint32_t value = 0;
    ASSERT_EQ(back->GetValue(9, value), 1);
    EXPECT_EQ(value, 10u);
}

TEST_F(MemoryCommands, WordAndDoubleWordValuesKeepTheirWidth) {
    CCommandDravik_VerifyMemory verify;
    ASSERT_EQ(verify.SetParameters(0x200, 2, kValueDword), 1);
    verify.PutValue(0, 0x12345678);
    EXPECT_EQ(SavedElement(verify),
              "<Dravik_VerifyMemory \n\tdwAddress=\"0x00000200\"\n\tdwCount=\"0x00000002\"\n"
              "\twValueType=\"DWORD\"\n>\n0x12345678 0xFFFFFFFF \n</Dravik_VerifyMemory >\n");
    EXPECT_EQ(verify.Buffer().Data()[0], 0x78) << "held little-endian";

    CCommandDravik_FillMemory fill;
    ASSERT_EQ(fill.SetParameters(0x200, 8, kValueWord, 2), 1);
    fill.PutValue(0, 0x1234);
    fill.PutValue(1, 0x5678);
    EXPECT_EQ(SavedElement(fill),
              "<Dravik_FillMemory \n\tdwAddress=\"0x00000200\"\n\tdwCount=\"0x00000008\"\n"
              "\twValueType=\"WORD\"\n\tdwPatternCount=\"0x00000002\"\n>\n0x1234 0x5678 \n"
              "</Dravik_FillMemory >\n");
    auto loaded = RoundTrip(fill);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(static_cast<CCommandDravik_FillMemory*>(loaded.get())->GetPatternCount(), 2u);
}

TEST_F(MemoryCommands, ReadMemoryWritesNoValues) {
    CCommandDravik_ReadMemory read;
    ASSERT_EQ(read.SetParameters(0x1000, 4, kValueWord), 1);
    EXPECT_EQ(SavedElement(read),
              "<Dravik_ReadMemory \n\tdwAddress=\"0x00001000\"\n\tdwCount=\"0x00000004\"\n"
              "\twValueType=\"WORD\"\n></Dravik_ReadMemory >\n");
    auto loaded = RoundTrip(read);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(static_cast<CCommandDravik_ReadMemory*>(loaded.get())->GetValueType(), kValueWord);
}

TEST_F(MemoryCommands, ChangingTheTypeKeepsOrReallocatesTheValues) {
    CCommandDravik_WriteMemory write;
    ASSERT_EQ(write.SetParameters(0x200, 16, kValueByte), 1);
    for (std::uint32_t i = 0; i < 16; ++i)
        write.PutValue(i, i);
    ASSERT_EQ(write.SetValueType(kValueByteAscii), 1);
    std::uint32_t value = 0;
    write.GetValue(15, value);
    EXPECT_EQ(value, 15u);
    EXPECT_EQ(write.GetValueTypeDescription(), "BYTE+ASCII");

    ASSERT_EQ(write.SetValueType(kValueWord), 1);
    EXPECT_EQ(write.Buffer().GetLength(), 32u);
    write.GetValue(0, value);
    EXPECT_EQ(value, 0x0100u);
    write.GetValue(7, value);
    EXPECT_EQ(value, 0x0F0Eu);
    write.GetValue(8, value);
    EXPECT_EQ(value, 0xFFFFu);

    EXPECT_EQ(write.GetValue(16, value), 0);
    EXPECT_EQ(write.GetLastError(), "Index value of 00000010 exceeds buffer size");
    EXPECT_EQ(write.SetValueType(9), 0);
    EXPECT_EQ(write.GetValueType(), kValueWord);
    EXPECT_EQ(write.SetCount(0x80001), 0) << "longer than the address space";
    EXPECT_EQ(write.GetCount(), 16u);
}

TEST_F(MemoryCommands, TextLoadsExactlyTheRequiredValues) {
    const std::string attributes =
        "dwAddress=\"0x00000200\" dwCount=\"0x00000010\" wValueType=\"BYTE\"";
    std::string twenty = "\n";
    for (int i = 0; i < 20; ++i)
        twenty += "0x" + std::to_string(10 + i) + " ";
    std::string error;
    auto loaded = Load(Element("Dravik_WriteMemory", attributes, twenty + "\n"), error);
    ASSERT_NE(loaded, nullptr) << error;
    std::uint32_t value = 0;
    static_cast<CCommandDravik_WriteMemory*>(loaded.get())->GetValue(15, value);
    EXPECT_EQ(value, 0x25u);

    std::string twelve = "\n0x01 0x02 0x03 0x04\n  0x05 0x06 0x07 0x08  \n0x09 0x0A 0x0B 0x0C\n";
    EXPECT_EQ(Load(Element("Dravik_WriteMemory", attributes, twelve), error), nullptr);
    EXPECT_EQ(error,
              "WriteMemory unable to parse the required 16 values (element Dravik_WriteMemory on "
              "line 1)");
    EXPECT_EQ(Load(Element("Dravik_VerifyMemory", attributes, twelve), error), nullptr);
    EXPECT_EQ(error,
              "VerifyMemory unable to parse the required 16 values (element Dravik_VerifyMemory "
              "on line 1)");

    EXPECT_EQ(Load(Element("Dravik_WriteMemory", attributes, "\n0x01 02 0x03\n"), error), nullptr);
    EXPECT_EQ(error, "Unable to parse '02' for value (element Dravik_WriteMemory on line 1)");
}

TEST_F(MemoryCommands, OldFilesTellWordsByAFlag) {
    std::string error;
    auto loaded = Load(
        Element("Dravik_VerifyMemory",
                "dwAddress=\"0x00000200\" dwCount=\"0x00000001\" bIsWORD=\"TRUE\"", "\n0xBEEF \n"),
        error);
    ASSERT_NE(loaded, nullptr) << error;
    EXPECT_NE(SavedElement(*loaded).find("\twValueType=\"WORD\"\n"), std::string::npos);

    EXPECT_EQ(Load(Element("Dravik_VerifyMemory",
                           "dwAddress=\"0x00000200\" dwCount=\"0x00000001\" wValueType=\"QWORD\"",
                           "\n0x01 \n"),
                   error),
              nullptr);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Load(Element("Dravik_ReadMemory",
                           "dwAddress=\"512\" dwCount=\"0x00000001\" wValueType=\"BYTE\"", ""),
                   error),
              nullptr)
        << "hexadecimal attributes need their 0x";
}

TEST_F(MemoryCommands, FillRefusesPatternsLongerThanTheBuffer) {
    CCommandDravik_FillMemory fill;
    EXPECT_EQ(fill.SetParameters(0x200, 8, kValueWord, 9), 0);
    EXPECT_EQ(fill.GetLastError(), "Pattern count must be less than or equal to the symbol count");
    // An empty pattern is a parameter like any other; the run refuses it.
    EXPECT_EQ(fill.SetParameters(0x200, 8, kValueWord, 0), 1);
    ASSERT_EQ(fill.SetParameters(0x200, 8, kValueWord, 4), 1);
    EXPECT_EQ(fill.SetCount(3), 0) << "the pattern would no longer fit";
    EXPECT_EQ(fill.GetCount(), 8u);
    std::string error;
    EXPECT_EQ(Load(Element("Dravik_FillMemory",
                           "dwAddress=\"0x00000200\" dwCount=\"0x00000004\" wValueType=\"BYTE\" "
                           "dwPatternCount=\"0x00000002\"",
                           "\n0x01 \n"),
                   error),
              nullptr);
    EXPECT_EQ(error,
              "FillMemory unable to parse the required 2 values (element Dravik_FillMemory on "
              "line 1)");
}

TEST_F(MemoryCommands, PrintsSixteenBytesALineWithAddresses) {
    CCommandDravik_ReadMemory read;
    ASSERT_EQ(read.SetParameters(0x1C00, 20, kValueWord), 1);
    for (std::uint32_t i = 0; i < 20; ++i)
        read.PutValue(i, 0xA000 + i);
    CExecuteParams params;
    ASSERT_EQ(params.Open(f149, 3300, nullptr, nullptr, &log, "Print", 1, 0, 0), 1);
    log.Clear();
    ASSERT_EQ(read.PrintValues(&params, true), 1);
    EXPECT_EQ(log.Text(),
              "\n01C00: A000 A001 A002 A003 A004 A005 A006 A007 \n"
              "01C10: A008 A009 A00A A00B A00C A00D A00E A00F \n"
              "01C20: A010 A011 A012 A013 \n");
}

TEST_F(MemoryCommands, WithoutAPodEachNamesItsClass) {
    CExecuteParams params;
    CCommandDravik_ReadMemory read;
    CCommandDravik_WriteMemory write;
    CCommandDravik_VerifyMemory verify;
    CCommandDravik_FillMemory fill;
    EXPECT_EQ(read.OnExecute(&params), 0);
    EXPECT_EQ(read.GetLastError(), "NULL Dravik during CCommandDravik_ReadMemory::OnExecute");
    EXPECT_EQ(write.OnExecute(&params), 0);
    EXPECT_EQ(write.GetLastError(), "NULL Dravik during CCommandDravik_WriteMemory::OnExecute");
    EXPECT_EQ(verify.OnExecute(&params), 0);
    EXPECT_EQ(verify.GetLastError(), "NULL Dravik during CCommandDravik_VerifyMemory::OnExecute");
    EXPECT_EQ(fill.OnExecute(&params), 0);
    EXPECT_EQ(fill.GetLastError(), "NULL Dravik during CCommandDravik_FillMemory::OnExecute");
}

TEST_F(MemoryCommands, WriteReadVerifyAndFillTheChipsRam) {
    auto pod = Plug();
    std::string error;
    auto* write = new CCommandDravik_WriteMemory;
    write->SetParameters(0x0220, 4, kValueWord);
    for (std::uint32_t i = 0; i < 4; ++i)
        write->PutValue(i, 0x1111 * (i + 1));
    auto* read = new CCommandDravik_ReadMemory;
    read->SetParameters(0x0220, 8, kValueByte);
    auto* verify = new CCommandDravik_VerifyMemory;
    verify->SetParameters(0x0222, 1, kValueWord);
    verify->PutValue(0, 0x2222);
    auto* fill = new CCommandDravik_FillMemory;
    fill->SetParameters(0x0300, 8, kValueWord, 2);
    fill->PutValue(0, 0x1234);
    fill->PutValue(1, 0x5678);
    ASSERT_EQ(Run({CCommandDravik_Open::Create(error, 3000), new IdentifyStep, write, read, verify,
                   fill, CCommandDravik_Close::Create(error, 0)}),
              1)
        << runError;
    EXPECT_NE(log.Text().find("Write Memory @0x00220: OK\n"), std::string::npos) << log.Text();
    EXPECT_NE(log.Text().find("Read Memory @0x00220: \n00220: 11 11 22 22 33 33 44 44 \nOK\n"),
              std::string::npos)
        << log.Text();
    EXPECT_EQ(status.texts[1], "Writing memory");
    EXPECT_EQ(status.texts[2], "Reading memory");
    EXPECT_EQ(status.texts[3], "Verifying memory");
    EXPECT_EQ(status.texts[4], "Filling memory");
    auto chip = pod->chip();
    EXPECT_EQ(chip->peek16(0x0226), 0x4444);
    for (std::uint32_t i = 0; i < 8; ++i)
        EXPECT_EQ(chip->peek16(0x0300 + 2 * i), i % 2 ? 0x5678 : 0x1234) << i;
}

TEST_F(MemoryCommands, AMismatchFailsTheVerify) {
    auto pod = Plug();
    std::string error;
    auto* verify = new CCommandDravik_VerifyMemory;
    verify->SetParameters(0x0240, 2, kValueByte);
    ASSERT_EQ(Run({CCommandDravik_Open::Create(error, 3000), new IdentifyStep, verify}), 0);
    EXPECT_EQ(runError.rfind("Unable to VerifyMemory (", 0), 0u) << runError;
    EXPECT_NE(log.Text().find("Verify Memory @0x00240: failed\n"), std::string::npos);
}

TEST_F(MemoryCommands, AFailedReadPrintsNothing) {
    Plug();
    auto* read = new CCommandDravik_ReadMemory;
    read->SetParameters(0x0200, 4, kValueByte);
    ASSERT_EQ(Run({read}), 0) << "JTAG is not open";
    EXPECT_EQ(runError.rfind("Unable to perform ReadMemory (", 0), 0u) << runError;
    EXPECT_EQ(log.Text().find("\n00200:"), std::string::npos);
}

}  // namespace
}  // namespace kv::testing
