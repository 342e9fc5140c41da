// The Erase command: keywords and hexadecimal attributes, the kinds of erase
// against the simulated chip.
#include <gtest/gtest.h>

#include <vector>

#include "command_test_support.h"
#include "kelvane/commands/dravik_erase.h"
#include "kelvane/commands/dravik_identify.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/core/execute_params.h"
#include "kelvane/sim/chip.h"

namespace kv::testing {
namespace {

class EraseCommand : public CommandTest {
  protected:
    std::unique_ptr<CProjectTreeItem> LoadErase(const std::string& type, const std::string& segment,
                                                const std::string& length, std::string& error) {
        return Load("<?xml version=\"1.0\" standalone=\"yes\" ?>\n<!DOCTYPE Dravik_Erase\n[\n" +
                        Declarations("Dravik_Erase") + "]>\n<Dravik_Erase \n\tdwEraseType=\"" +
                        type + "\"\n\tdwSegment=\"" + segment + "\"\n\tdwLength=\"" + length +
                        "\"\n></Dravik_Erase >\n",
                    error);
    }

    // Open, Identify, then the erase; the chip's flash is all zero before.
    std::shared_ptr<sim::Chip> EraseOnChip(CCommandDravik_Erase* erase,
                                           CPrgProcessor* processor = nullptr) {
        auto pod = Plug();
        std::shared_ptr<sim::Chip> chip = pod->chip();
        std::vector<std::uint8_t> zeros(0x10000 - 0x1000, 0);
        chip->poke(0x1000, zeros.data(), zeros.size());
        std::string error;
        EXPECT_EQ(Run({CCommandDravik_Open::Create(error, 3000),
                       CCommandDravik_Identify::Create(error, 0), erase},
                      processor),
                  1)
            << runError;
        return chip;
    }
};

TEST_F(EraseCommand, DeclarationsAndPrototype) {
    EXPECT_EQ(Declarations("Dravik_Erase"),
              "\t<!ELEMENT Dravik_Erase EMPTY >\n\t<!ATTLIST Dravik_Erase\n"
              "\t\tdwEraseType (ERASE_ALL|ERASE_MAIN|ERASE_SEGMENT) #REQUIRED\n"
              "\t\tdwSegment CDATA #REQUIRED\n\t\tdwLength CDATA #REQUIRED\n\t>\n");
    EXPECT_EQ(CCommandDravik_Erase().GetTreeLabel(), "Erase");
    std::string error;
    std::unique_ptr<CCommandDravik_Erase> erase(CCommandDravik_Erase::CreateDefault(error));
    EXPECT_EQ(erase->GetTreeLabel(), "Mass Erase");
    EXPECT_EQ(erase->GetDescription(), "Erase target flash");
    EXPECT_EQ(erase->GetImage(), 9);
    EXPECT_EQ(SavedElement(*erase),
              "<Dravik_Erase \n\tdwEraseType=\"ERASE_ALL\"\n\tdwSegment=\"0x00001000\"\n"
              "\tdwLength=\"0x00000001\"\n></Dravik_Erase >\n");
    EXPECT_EQ(erase->SetParameters("ERASE_MAIN", 0x1100, 2), 1);
    EXPECT_EQ(erase->GetTreeLabel(), "Erase Main");
    EXPECT_EQ(erase->SetParameters("ERASE_ANY", 0x1100, 2), 0);
    EXPECT_EQ(erase->GetTreeLabel(), "Erase Main") << "a bad kind changes nothing";
    // A number no kind has could be run but never written back: refused.
    EXPECT_EQ(erase->SetParameters("7", 0x1100, 2), 0);
    EXPECT_EQ(erase->GetLastError(),
              "Unable to convert 7 to DWORD: no keyword has this value; expected one of "
              "ERASE_ALL, ERASE_MAIN, ERASE_SEGMENT");
    EXPECT_EQ(erase->GetTreeLabel(), "Erase Main") << "a refused kind changes nothing";
    bool ok = false;
    Save(*erase, &ok);
    EXPECT_TRUE(ok) << erase->GetLastError();
}

TEST_F(EraseCommand, ZeroSegmentAndLengthLoadAsTheDefaults) {
    std::string error;
    auto erase = LoadErase("ERASE_SEGMENT", "0x00000000", "0x00000000", error);
    ASSERT_NE(erase, nullptr) << error;
    auto* command = static_cast<CCommandDravik_Erase*>(erase.get());
    EXPECT_EQ(command->GetEraseType(), 0u);
    EXPECT_EQ(command->GetSegment(), 0x1000u);
    EXPECT_EQ(command->GetLength(), 1u);
    EXPECT_EQ(command->GetTreeLabel(), "Erase Segment");
    EXPECT_EQ(SavedElement(*command),
              "<Dravik_Erase \n\tdwEraseType=\"ERASE_SEGMENT\"\n\tdwSegment=\"0x00001000\"\n"
              "\tdwLength=\"0x00000001\"\n></Dravik_Erase >\n");
}

TEST_F(EraseCommand, ANumberForTheKindIsWrittenBackAsItsKeyword) {
    std::string error;
    auto erase = LoadErase("1", "0x00001100", "0x00000010", error);
    ASSERT_NE(erase, nullptr) << error;
    EXPECT_EQ(erase->GetTreeLabel(), "Erase Main");
    EXPECT_NE(SavedElement(*erase).find("dwEraseType=\"ERASE_MAIN\""), std::string::npos);
}

TEST_F(EraseCommand, BadAttributesDoNotLoad) {
    std::string error;
    EXPECT_EQ(LoadErase("ERASE_SEGMENT", "4096", "0x00000001", error), nullptr);
    EXPECT_EQ(error,
              "Unable to convert dwSegment value 4096 to DWORD (element Dravik_Erase on line 11); "
              "expected a hexadecimal number starting with 0x");
}

TEST_F(EraseCommand, WithoutPodEachKindNamesItsPath) {
    std::string error;
    CExecuteParams params;
    for (auto [type, text] : {std::pair{"ERASE_ALL", "EraseAll"},
                              {"ERASE_MAIN", "EraseMain"},
                              {"ERASE_SEGMENT", "EraseSegment"}}) {
        std::unique_ptr<CCommandDravik_Erase> erase(
            CCommandDravik_Erase::Create(error, type, 0, 0));
        EXPECT_EQ(erase->OnExecute(&params), 0);
        EXPECT_EQ(erase->GetLastError(),
                  std::string("NULL Dravik during CCommandDravik_Erase::") + text);
    }
}

TEST_F(EraseCommand, SegmentEraseStartsAtItsSegment) {
    std::string error;
    auto chip = EraseOnChip(CCommandDravik_Erase::Create(error, "ERASE_SEGMENT", 0x1085, 1));
    EXPECT_EQ(chip->peek8(0x107F), 0x00);
    EXPECT_EQ(chip->peek8(0x1080), 0xFF);
    EXPECT_EQ(chip->peek8(0x10FF), 0xFF);
    EXPECT_EQ(chip->peek8(0x1100), 0x00);
    EXPECT_EQ(status.texts.back(), "Erasing segment(s)");

    chip = EraseOnChip(CCommandDravik_Erase::Create(error, "ERASE_SEGMENT", 0xF9FF, 1));
    EXPECT_EQ(chip->peek8(0xF7FF), 0x00);
    EXPECT_EQ(chip->peek8(0xF800), 0xFF);
    EXPECT_EQ(chip->peek8(0xF9FF), 0xFF);
    EXPECT_EQ(chip->peek8(0xFA00), 0x00);
}

TEST_F(EraseCommand, MainAndMassEraseLeaveInformationFlash) {
    std::string error;
    auto chip = EraseOnChip(CCommandDravik_Erase::Create(error, "ERASE_MAIN", 0, 0));
    EXPECT_EQ(chip->peek8(0x10FF), 0x00);
    EXPECT_EQ(chip->peek8(0x1100), 0xFF);
    EXPECT_EQ(chip->peek8(0xFFFF), 0xFF);
    EXPECT_EQ(status.texts.back(), "Erasing main flash");
    EXPECT_EQ(log.Text().substr(log.Text().rfind("Erase Main")), "Erase Main: OK\n");

    chip = EraseOnChip(CCommandDravik_Erase::Create(error, "ERASE_ALL", 0, 0));
    EXPECT_EQ(chip->peek8(0x1100), 0xFF);
    EXPECT_EQ(chip->peek8(0xFFFF), 0xFF);
    EXPECT_EQ(status.texts.back(), "Erasing all flash");
}

}  // namespace
}  // namespace kv::testing
