// ReadRegister, WriteRegister and VerifyRegister: the register map, file
// forms, labels and runs against the simulated chip's CPU.
#include <gtest/gtest.h>

#include "command_test_support.h"
#include "identify_step.h"
#include "kelvane/commands/dravik_close.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/commands/dravik_register_commands.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/sim/chip.h"

namespace kv::testing {
namespace {

using RegisterCommands = CommandTest;

const char* kRegisters = "(PC|SP|SR|R4|R5|R6|R7|R8|R9|R10|R11|R12|R13|R14|R15)";

TEST_F(RegisterCommands, DeclarationsListTheRegistersInOrder) {
    EXPECT_EQ(Declarations("Dravik_ReadRegister"),
              std::string("\t<!ELEMENT Dravik_ReadRegister >\n\t<!ATTLIST Dravik_ReadRegister\n"
                          "\t\twRegister ") +
                  kRegisters + " #REQUIRED\n\t>\n");
    EXPECT_EQ(Declarations("Dravik_VerifyRegister"),
              std::string("\t<!ELEMENT Dravik_VerifyRegister >\n\t<!ATTLIST Dravik_VerifyRegister\n"
                          "\t\twRegister ") +
                  kRegisters + " #REQUIRED\n\t\tdwValue CDATA #REQUIRED\n\t>\n");
}

TEST_F(RegisterCommands, PrototypesAndLabels) {
    std::string error;
    std::unique_ptr<CProjectTreeItem> read(CCommandDravik_ReadRegister::CreateDefault(error));
    std::unique_ptr<CProjectTreeItem> write(CCommandDravik_WriteRegister::CreateDefault(error));
    std::unique_ptr<CProjectTreeItem> verify(CCommandDravik_VerifyRegister::CreateDefault(error));
    EXPECT_EQ(read->GetTreeLabel(), "Read Register (PC)");
    EXPECT_EQ(write->GetTreeLabel(), "Write Register (PC)");
    EXPECT_EQ(verify->GetTreeLabel(), "Verify Register (PC)");
    EXPECT_EQ(read->GetImage(), 17);
    EXPECT_EQ(write->GetImage(), 16);
    EXPECT_EQ(verify->GetImage(), 15);
    EXPECT_EQ(write->GetDescription(), "Write target register");
    EXPECT_EQ(SavedElement(*write),
              "<Dravik_WriteRegister \n\twRegister=\"PC\"\n\tdwValue=\"0x00000000\"\n>"
              "</Dravik_WriteRegister >\n");
}

TEST_F(RegisterCommands, RoundTripsAndReadsNumbers) {
    CCommandDravik_VerifyRegister verify;
    verify.SetParameters(12, 0xBEEF);
    EXPECT_EQ(verify.GetTreeLabel(), "Verify Register (R12)");
    auto loaded = RoundTrip(verify);
    ASSERT_NE(loaded, nullptr);
    auto* back = static_cast<CCommandDravik_VerifyRegister*>(loaded.get());
    EXPECT_EQ(back->GetRegister(), 12);
    EXPECT_EQ(back->GetValue(), 0xBEEFu);

    std::string error;
    // Register 3 has no keyword: it could never be written back, so it does not load.
    EXPECT_EQ(Load("<Dravik_ReadRegister wRegister=\"3\"></Dravik_ReadRegister >\n", error),
              nullptr);
    EXPECT_EQ(error,
              "Unable to convert 3 to WORD (wRegister): no keyword has this value (element "
              "Dravik_ReadRegister on line 1); expected one of PC, SP, SR, R4, R5, R6, R7, R8, "
              "R9, R10, R11, R12, R13, R14, R15");
    auto five = Load("<Dravik_ReadRegister wRegister=\"5\"></Dravik_ReadRegister >\n", error);
    ASSERT_NE(five, nullptr) << error;
    EXPECT_NE(SavedElement(*five).find("wRegister=\"R5\""), std::string::npos);

    EXPECT_EQ(Load("<Dravik_ReadRegister wRegister=\"R16\"></Dravik_ReadRegister >\n", error),
              nullptr);
    EXPECT_EQ(Load("<Dravik_WriteRegister wRegister=\"SP\" dwValue=\"1234\">"
                   "</Dravik_WriteRegister >\n",
                   error),
              nullptr);
}

TEST_F(RegisterCommands, WriteReadAndVerifyTheCpu) {
    auto pod = Plug();
    std::string error;
    auto* write = new CCommandDravik_WriteRegister;
    write->SetParameters(5, 0x1234);
    auto* read = new CCommandDravik_ReadRegister;
    read->SetParameters(5);
    auto* verify = new CCommandDravik_VerifyRegister;
    verify->SetParameters(5, 0x1234);
    ASSERT_EQ(
        Run({CCommandDravik_Open::Create(error, 3000), new IdentifyStep, write, read, verify}), 1)
        << runError;
    EXPECT_NE(log.Text().find("Write Register (R5): R5 = 0x1234 OK\n"
                              "Read Register (R5): R5 = 0x1234 OK\n"
                              "Verify Register (R5): R5 = 0x1234 OK\n"),
              std::string::npos)
        << log.Text();
    EXPECT_EQ(status.texts[1], "Writing register");
    EXPECT_EQ(status.texts[2], "Reading register");
    EXPECT_EQ(status.texts[3], "Verifying register");
}

TEST_F(RegisterCommands, AMismatchNamesTheRegister) {
    Plug();
    std::string error;
    auto* write = new CCommandDravik_WriteRegister;
    write->SetParameters(2, 0x0008);
    auto* verify = new CCommandDravik_VerifyRegister;
    verify->SetParameters(2, 0x0000);
    ASSERT_EQ(Run({CCommandDravik_Open::Create(error, 3000), new IdentifyStep, write, verify}), 0);
    EXPECT_EQ(runError, "Mismatched register SR value\n\nRead '0x0008', expected '0x0000'");
}

TEST_F(RegisterCommands, ExtendedProcessorsShowFiveDigits) {
    Plug();
    std::string error;
    f149->bIsMSP430X = 1;
    auto* verify = new CCommandDravik_VerifyRegister;
    verify->SetParameters(4, 0x1C000);
    auto* write = new CCommandDravik_WriteRegister;
    write->SetParameters(4, 0x0FFFE);
    ASSERT_EQ(Run({CCommandDravik_Open::Create(error, 3000), new IdentifyStep, write, verify}), 0);
    EXPECT_NE(log.Text().find("R4 = 0x0FFFE "), std::string::npos) << log.Text();
    EXPECT_EQ(runError, "Mismatched register R4 value\n\nRead '0x0FFFE', expected '0x1C000'");
    f149->bIsMSP430X = 0;
}

TEST_F(RegisterCommands, WithoutAPodEachNamesItsClass) {
    CExecuteParams params;
    CCommandDravik_ReadRegister read;
    CCommandDravik_WriteRegister write;
    CCommandDravik_VerifyRegister verify;
    EXPECT_EQ(read.OnExecute(&params), 0);
    EXPECT_EQ(read.GetLastError(), "NULL Dravik during CCommandDravik_ReadRegister::OnExecute");
    EXPECT_EQ(write.OnExecute(&params), 0);
    EXPECT_EQ(write.GetLastError(), "NULL Dravik during CCommandDravik_WriteRegister::OnExecute");
    EXPECT_EQ(verify.OnExecute(&params), 0);
    EXPECT_EQ(verify.GetLastError(), "NULL Dravik during CCommandDravik_VerifyRegister::OnExecute");
}

}  // namespace
}  // namespace kv::testing
