// Identify, Configure, LockA, ConfigFuse and BlowFuse.
#include <gtest/gtest.h>

#include "command_test_support.h"
#include "kelvane/commands/current_project.h"
#include "kelvane/commands/dravik_blow_fuse.h"
#include "kelvane/commands/dravik_config_fuse.h"
#include "kelvane/commands/dravik_configure.h"
#include "kelvane/commands/dravik_identify.h"
#include "kelvane/commands/dravik_lock_a.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/execute_params.h"

namespace kv::testing {
namespace {

using IdentifyCommands = CommandTest;

const char* const kHeader = "<?xml version=\"1.0\" standalone=\"yes\" ?>\n";

// A file holding one element of the class, declared with the class's DTD.
std::string FileWith(const std::string& declarations, const std::string& root,
                     const std::string& element) {
    return kHeader + std::string("<!DOCTYPE ") + root + "\n[\n" + declarations + "]>\n" + element;
}

TEST_F(IdentifyCommands, Declarations) {
    EXPECT_EQ(Declarations("Dravik_Identify"),
              "\t<!ELEMENT Dravik_Identify EMPTY >\n\t<!ATTLIST Dravik_Identify\n"
              "\t\tbForceMatch (FALSE|TRUE) #REQUIRED\n\t>\n");
    EXPECT_EQ(Declarations("Dravik_Configure"),
              "\t<!ELEMENT Dravik_Configure EMPTY >\n\t<!ATTLIST Dravik_Configure\n"
              "\t\tnMode (VERIFICATION_MODE|EMULATION_MODE|CLK_CNTRL_MODE|MCLK_CNTRL_MODE|"
              "FLASH_TEST_MODE|LOCKED_FLASH_ACCESS|FLASH_SWOP|EDT_TRACE_MODE|INTERFACE_MODE) "
              "#REQUIRED\n\t\tnValue CDATA #REQUIRED\n\t>\n");
    EXPECT_EQ(Declarations("Dravik_LockA"),
              "\t<!ELEMENT Dravik_LockA EMPTY >\n\t<!ATTLIST Dravik_LockA\n"
              "\t\tbLockFlashA (FALSE|TRUE) #REQUIRED\n\t>\n");
    EXPECT_EQ(Declarations("Dravik_ConfigFuse"),
              "\t<!ELEMENT Dravik_ConfigFuse EMPTY >\n\t<!ATTLIST Dravik_ConfigFuse\n"
              "\t\tdwDeviceID CDATA #REQUIRED\n\t>\n");
    EXPECT_EQ(Declarations("Dravik_BlowFuse"),
              "\t<!ELEMENT Dravik_BlowFuse EMPTY >\n\t<!ATTLIST Dravik_BlowFuse\n\t>\n");
}

TEST_F(IdentifyCommands, PrototypesAreOfferedExceptConfigureAndConfigFuse) {
    EXPECT_FALSE(FindCommandClass("Dravik_Configure")->createDefault);
    EXPECT_FALSE(FindCommandClass("Dravik_ConfigFuse")->createDefault);
    EXPECT_FALSE(FindCommandClass("Dravik_Configure")->create);
    std::string error;
    std::unique_ptr<CCommandDravik_Identify> identify(
        CCommandDravik_Identify::CreateDefault(error));
    EXPECT_EQ(identify->GetForceMatch(), 1);
    EXPECT_EQ(identify->GetTreeLabel(), "Identify Target");
    EXPECT_EQ(identify->GetDescription(), "Identify target processor");
    EXPECT_EQ(identify->GetImage(), 30);
    std::unique_ptr<CCommandDravik_BlowFuse> fuse(CCommandDravik_BlowFuse::CreateDefault(error));
    EXPECT_EQ(fuse->GetTreeLabel(), "Blow JTAG Fuse");
    EXPECT_EQ(fuse->GetImage(), 8);
    EXPECT_EQ(SavedElement(*fuse), "<Dravik_BlowFuse \n></Dravik_BlowFuse >\n");

    CCommandDravik_ConfigFuse configFuse;
    EXPECT_EQ(configFuse.GetGroup(), "System");
    EXPECT_EQ(configFuse.GetDescription(), "Configure device option fuse");
    int pod = 0, adapter = 0;
    configFuse.GetRequiredInterfaces(&pod, &adapter);
    EXPECT_EQ(pod, 1) << "a project whose only pod command is ConfigFuse opens the pod";
    EXPECT_EQ(configFuse.AttachDialog(nullptr, UiRect{}), 1) << "a class without a page";
    CCommandDravik_Open open;
    EXPECT_EQ(open.AttachDialog(nullptr, UiRect{}), 0);
    EXPECT_EQ(open.GetLastError(), "Unable to set parent of NULL dialog");
}

TEST_F(IdentifyCommands, LockAShowsItsStateAndIsOfferedOnlyForLockAProcessors) {
    std::string error;
    std::unique_ptr<CCommandDravik_LockA> lock(CCommandDravik_LockA::Create(error, 0));
    EXPECT_EQ(lock->GetTreeLabel(), "Unlock Flash A");
    EXPECT_EQ(lock->GetImage(), 23);
    EXPECT_EQ(SavedElement(*lock), "<Dravik_LockA \n\tbLockFlashA=\"FALSE\"\n></Dravik_LockA >\n");
    lock->SetParameters(1);
    EXPECT_EQ(lock->GetTreeLabel(), "Lock Flash A");
    EXPECT_EQ(lock->GetImage(), 22);

    struct Rows : NewItemList {
        bool AddRow(const std::string& name, int, const std::string&, const std::string&,
                    CProjectTreeItem*) override {
            names.push_back(name);
            return true;
        }
        std::vector<std::string> names;
    } rows;
    EXPECT_EQ(lock->AddToNewItemList(&rows), 1);
    SetCommandProject(&project, "");
    EXPECT_EQ(lock->AddToNewItemList(&rows), 1) << "the F149 has no LOCKA";
    EXPECT_TRUE(rows.names.empty());
    project.processor = "MSP430F2274";
    EXPECT_EQ(lock->AddToNewItemList(&rows), 1);
    EXPECT_EQ(rows.names, std::vector<std::string>{"Lock Flash A"});
}

TEST_F(IdentifyCommands, ConfigureKeepsItsTextsAndParsesByMode) {
    const std::string declarations = Declarations("Dravik_Configure");
    auto load = [&](const std::string& mode, const std::string& value, std::string& error) {
        return Load(FileWith(declarations, "Dravik_Configure",
                             "<Dravik_Configure \n\tnMode=\"" + mode + "\"\n\tnValue=\"" + value +
                                 "\"\n></Dravik_Configure >\n"),
                    error);
    };
    std::string error;
    auto command = load("INTERFACE_MODE", "SPYBIWIRE_IF", error);
    ASSERT_NE(command, nullptr) << error;
    auto* configure = static_cast<CCommandDravik_Configure*>(command.get());
    EXPECT_EQ(configure->GetMode(), 8);
    EXPECT_EQ(configure->GetValue(), 1u);
    EXPECT_EQ(SavedElement(*configure),
              "<Dravik_Configure \n\tnMode=\"INTERFACE_MODE\"\n\tnValue=\"SPYBIWIRE_IF\"\n"
              "></Dravik_Configure >\n");

    EXPECT_EQ(configure->SetParameters("FLASH_SWOP", "0x0001"), 1);
    EXPECT_EQ(configure->GetMode(), 6);
    EXPECT_EQ(configure->GetValue(), 1u);
    EXPECT_EQ(configure->SetParameters("FLASH_SWOP", "0x1"), 0);
    EXPECT_EQ(configure->GetLastError(), "Unable to convert 0x1 to a DWORD value");
    EXPECT_EQ(configure->SetParameters("3", "-2"), 1);
    EXPECT_EQ(configure->GetValue(), 0xFFFFFFFEu);
    EXPECT_EQ(configure->SetParameters("VERIFICATION_MODE", "TRUE"), 1);
    EXPECT_EQ(configure->GetValue(), 1u);
    EXPECT_EQ(configure->SetParameters("VERIFICATION_MODE", "5"), 0);
    EXPECT_EQ(
        configure->GetLastError(),
        "Unable to convert 5 to LONG: no keyword has this value; expected one of TRUE, FALSE");
    EXPECT_EQ(configure->SetParameters("VERIFICATION_MODE", "0"), 1);
    EXPECT_EQ(configure->GetValue(), 0u);
    EXPECT_EQ(configure->SetParameters("FLASH_SWOP", "12abc"), 0);

    EXPECT_EQ(load("INTERFACE_MODE", "SERIAL_IF", error), nullptr);
    EXPECT_FALSE(error.empty());
}

TEST_F(IdentifyCommands, ConfigFuseNeedsTheHexPrefix) {
    const std::string declarations = Declarations("Dravik_ConfigFuse");
    std::string error;
    auto command = Load(FileWith(declarations, "Dravik_ConfigFuse",
                                 "<Dravik_ConfigFuse \n\tdwDeviceID=\"0x00000102\"\n"
                                 "></Dravik_ConfigFuse >\n"),
                        error);
    ASSERT_NE(command, nullptr) << error;
    EXPECT_EQ(static_cast<CCommandDravik_ConfigFuse*>(command.get())->GetDeviceID(), 0x102u);
    EXPECT_EQ(SavedElement(*command),
              "<Dravik_ConfigFuse \n\tdwDeviceID=\"0x00000102\"\n></Dravik_ConfigFuse >\n");
    EXPECT_EQ(Load(FileWith(declarations, "Dravik_ConfigFuse",
                            "<Dravik_ConfigFuse \n\tdwDeviceID=\"258\"\n></Dravik_ConfigFuse >\n"),
                   error),
              nullptr);
    EXPECT_EQ(error,
              "Unable to convert dwDeviceID value 258 to DWORD (element Dravik_ConfigFuse on line "
              "9); expected a hexadecimal number starting with 0x");
}

TEST_F(IdentifyCommands, WithoutPodOrProcessorTheyFailWithTheirTexts) {
    std::string error;
    CExecuteParams params;
    std::unique_ptr<CCommandDravik_Identify> identify(CCommandDravik_Identify::Create(error, 1));
    EXPECT_EQ(identify->OnExecute(&params), 0);
    EXPECT_EQ(identify->GetLastError(), "NULL Dravik during CCommandDravik_Identify::OnExecute");
    CCommandDravik_ConfigFuse configFuse;
    EXPECT_EQ(configFuse.OnExecute(&params), 0);
    EXPECT_EQ(configFuse.GetLastError(), "NULL Dravik during CCommandDravik_ConfigFuse::OnExecute");
    CCommandDravik_BlowFuse blow;
    EXPECT_EQ(blow.OnExecute(&params), 0);
    EXPECT_EQ(blow.GetLastError(), "NULL Dravik during CCommandDravik_BlowFuse::OnExecute");
    CCommandDravik_LockA lock;
    EXPECT_EQ(lock.OnExecute(&params), 0);
    EXPECT_EQ(lock.GetLastError(), "NULL Dravik during CCommandDravik_LockA::OnExecute");

    Plug();
    ASSERT_EQ(params.Open(nullptr, 3300, nullptr, nullptr, nullptr, "Run", 1, 1, 0), 0)
        << "a context needs a processor";
}

TEST_F(IdentifyCommands, IdentifiesTheF149) {
    Plug();
    std::string error;
    ASSERT_EQ(
        Run({CCommandDravik_Open::Create(error, 3000), CCommandDravik_Identify::Create(error, 0)}),
        1)
        << runError;
    EXPECT_EQ(log.Text(), "\nOpen JTAG: 3.0v OK\nIdentify Target: Detected device MSP430F149 OK\n");
    EXPECT_EQ(status.texts[1], "Identifying device");

    // Forced to match the project's processor.
    ASSERT_EQ(
        Run({CCommandDravik_Open::Create(error, 3000), CCommandDravik_Identify::Create(error, 1)}),
        0);
    EXPECT_EQ(runError, "Cannot compare processor with NULL current project");
    SetCommandProject(&project, "");
    ASSERT_EQ(
        Run({CCommandDravik_Open::Create(error, 3000), CCommandDravik_Identify::Create(error, 1)}),
        1)
        << runError;
    project.processor = "MSP430F2274";
    ASSERT_EQ(
        Run({CCommandDravik_Open::Create(error, 3000), CCommandDravik_Identify::Create(error, 1)},
            FindProcessorByName("MSP430F2274")),
        0);
    EXPECT_EQ(runError,
              "Detected device 'MSP430F149', incompatible with extended type 'MSP430F2274'");
}

TEST_F(IdentifyCommands, ConfigFuseAndBlowFuseReachThePod) {
    Plug();
    std::string error;
    auto* configFuse = new CCommandDravik_ConfigFuse;
    configFuse->SetParameters(0x12345678);
    ASSERT_EQ(Run({CCommandDravik_Open::Create(error, 3000), configFuse}), 0);
    EXPECT_EQ(runError.rfind("Unable to configure device type fuse(s)\n", 0), 0u) << runError;
    EXPECT_NE(log.Text().find("ConfigFuse: Configuring device type fuse(s)...failed"),
              std::string::npos)
        << log.Text();
}

}  // namespace
}  // namespace kv::testing

namespace kv::testing {
namespace {

TEST_F(IdentifyCommands, AFailingConfigurationPairStopsBeforeIdentification) {
    Plug();
    CPrgProcessor processor;
    processor.Name = "MSP430F149";
    ASSERT_EQ(processor.AddConfigure(1, 1), 1);
    ASSERT_EQ(processor.AddConfigure(99, 0), 1);
    std::string error;
    ASSERT_EQ(
        Run({CCommandDravik_Open::Create(error, 3000), CCommandDravik_Identify::Create(error, 0)},
            &processor),
        0);
    EXPECT_EQ(runError.rfind("Unable to configure target device (", 0), 0u) << runError;
    EXPECT_EQ(log.Text(), "\nOpen JTAG: 3.0v OK\nIdentify Target: failed\n");

    // The F2013's own pair (four-wire JTAG) is applied before identification.
    ASSERT_EQ(
        Run({CCommandDravik_Open::Create(error, 3000), CCommandDravik_Identify::Create(error, 0)},
            FindProcessorByName("MSP430F2013")),
        1)
        << runError;
}

}  // namespace
}  // namespace kv::testing
