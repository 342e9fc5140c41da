// The built-in one-shot operations: their command lists, the pod or adapter
// variant by the pod-in-use flag, the read operations with the user's file
// and range, and VCC propagation.
#include <gtest/gtest.h>

#include "engine_test_support.h"
#include "kelvane/core/prg_operation.h"

namespace kv::testing {
namespace {

class BuiltInOperationsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Trace().clear();
        FailingCommands().clear();
        UnregisterCommandClasses();
        RegisterTestCommands(BuiltInCommandNames());
        project.vcc = 2800;
    }
    void TearDown() override {
        DestroyBuiltInOperations();
        DestroyCommandPrototypes();
        UnregisterCommandClasses();
        SetPodInUse(0);
    }

    static std::vector<std::string> Commands(const CPrgOperation* operation) {
        std::vector<std::string> names;
        if (operation == nullptr) return names;
        for (int i = 0; i < operation->GetCommands().GetSize(); ++i) {
            auto* command = static_cast<TestCommand*>(operation->GetCommands().GetAt(i));
            names.push_back(command->GetElementName() + "(" + std::to_string(command->value) + ")");
        }
        return names;
    }

    TestProject project;
    FakeDevices devices;
    RecordingLog log;
};

TEST_F(BuiltInOperationsTest, EveryOneShotOperationExists) {
    std::string error;
    ASSERT_EQ(CreateBuiltInOperations(&project, error), 1) << error;
    EXPECT_EQ(GetMassEraseNowOperation()->GetName(), "Mass Erase Now");
    EXPECT_EQ(Commands(GetMassEraseNowOperation()),
              (std::vector<std::string>{"Dravik_Open(2800)", "Dravik_Identify(1)",
                                        "Dravik_Erase(4096)", "Dravik_Close(1)"}));
    EXPECT_EQ(Commands(GetBlowFuseNowOperation()),
              (std::vector<std::string>{"Dravik_Open(2800)", "Dravik_Identify(1)",
                                        "Dravik_BlowFuse(0)", "Dravik_Close(1)"}));

    SetPodInUse(1);
    EXPECT_EQ(GetResetNowOperation()->GetName(), "Reset Now");
    EXPECT_EQ(Commands(GetResetNowOperation()),
              (std::vector<std::string>{"Dravik_Open(2800)", "Dravik_Identify(1)",
                                        "Dravik_Reset(1)", "Dravik_Close(0)"}));
    EXPECT_EQ(GetPowerOffNowOperation()->GetName(), "Power Off Now");
    EXPECT_EQ(Commands(GetPowerOffNowOperation()), std::vector<std::string>{"Dravik_VCC(0)"});
    EXPECT_EQ(Commands(GetReadProcessorNowOperation()),
              (std::vector<std::string>{"Dravik_Open(2800)", "Dravik_Identify(1)",
                                        "Dravik_ReadProcessorToFile(1)", "Dravik_Close(1)"}));
    EXPECT_EQ(GetReadRangeNowOperation()->GetName(), "Read Range Now");

    SetPodInUse(0);
    EXPECT_EQ(GetResetNowOperation()->GetName(), "Reset Now (BSL)");
    EXPECT_EQ(Commands(GetResetNowOperation()), std::vector<std::string>{"Tovrin_ResetTarget(1)"});
    EXPECT_EQ(GetPowerOffNowOperation()->GetName(), "Power Off Now (BSL)");
    EXPECT_EQ(Commands(GetReadRangeNowOperation()),
              (std::vector<std::string>{"Tovrin_SeizeTarget(1)", "Tovrin_ResendPassword(1)",
                                        "Tovrin_ReadRangeToFile(1)", "Tovrin_PowerOff(1)"}));
    EXPECT_EQ(GetReadRangeNowOperation()->GetOpenCommand(), nullptr);
}

TEST_F(BuiltInOperationsTest, AFailingAdapterVariantTakesThePodVariantWithIt) {
    std::string error;
    ASSERT_EQ(CreateResetNowOperations(&project, error), 1);
    FailingCommands().insert("create Tovrin_ResetTarget");
    EXPECT_EQ(CreateResetNowOperations(&project, error), 0);
    EXPECT_EQ(error, "Cannot create Tovrin_ResetTarget");
    SetPodInUse(1);
    EXPECT_EQ(GetResetNowOperation(), nullptr);
    SetPodInUse(0);
    EXPECT_EQ(GetResetNowOperation(), nullptr);
}

TEST_F(BuiltInOperationsTest, PodReadProcessorTakesTheFileAndTheProjectVcc) {
    std::string error;
    ASSERT_EQ(CreateReadProcessorNowOperations(&project, error), 1);
    SetPodInUse(1);
    project.vcc = 3000;
    CExecuteParams params;
    ASSERT_EQ(params.Open(FakeDevices::Processor(), 3000, nullptr, nullptr, &log, "Read", 1, 1, 0),
              1);
    ASSERT_EQ(CPrgOperation::ExecuteReadProcessor(&params, "out.txt", 2, error), 1) << error;
    EXPECT_EQ(Trace(),
              (std::vector<std::string>{"Dravik_Open(3000)", "Dravik_Identify(1)",
                                        "Dravik_ReadProcessorToFile(1)", "Dravik_Close(1)"}));
    auto* read = static_cast<TestCommand*>(GetReadProcessorNowOperation()->GetReadCommand());
    EXPECT_EQ(read->fileName, "out.txt");
    EXPECT_EQ(read->fileType, 2);
    EXPECT_EQ(log.Text().substr(log.Text().find("Read Processor Now")),
              "Read Processor Now: \nDravik_Open: OK\nDravik_Identify: OK\n"
              "Dravik_ReadProcessorToFile: OK\nDravik_Close: OK\n");

    EXPECT_EQ(CPrgOperation::ExecuteReadProcessor(&params, "out.bin", 3, error), 0);
    EXPECT_EQ(error, "Invalid file type 3");
}

TEST_F(BuiltInOperationsTest, AdapterReadProcessorSizesTheProgressByTheProcessor) {
    std::string error;
    ASSERT_EQ(CreateReadProcessorNowOperations(&project, error), 1);
    RecordingBar bar;
    CExecuteParams params;
    ASSERT_EQ(params.Open(FakeDevices::Processor(), 3300, &bar, nullptr, nullptr, "Read", 1, 0, 1),
              1);
    auto* read = static_cast<TestCommand*>(GetReadProcessorNowOperation()->GetReadCommand());
    read->readUnits = 45;
    ASSERT_EQ(CPrgOperation::ExecuteReadProcessor(&params, "chip.hex", 2, error), 1) << error;
    // Operation 1 + seize 1 + password 1 + read (45 instead of its 1) + power off 1.
    EXPECT_EQ(params.GetStepSize(), 49);

    read->readUnits = 0;
    EXPECT_EQ(CPrgOperation::ExecuteReadProcessor(&params, "chip.hex", 2, error), 0);
    EXPECT_EQ(error, "Unable to size the read");
}

TEST_F(BuiltInOperationsTest, ReadRangeSetsTheRangeAndNeedsItsOperation) {
    std::string error;
    CExecuteParams params;
    EXPECT_EQ(CPrgOperation::ExecuteReadRange(&params, "r.txt", 1, 0xF000, 0x100, error), 0);
    EXPECT_EQ(error, "Cannot execute NULL read range operation");
    EXPECT_EQ(CPrgOperation::ExecuteReadProcessor(&params, "r.txt", 1, error), 0);
    EXPECT_EQ(error, "Cannot execute NULL read processor operation");

    ASSERT_EQ(CreateReadRangeNowOperations(&project, error), 1);
    ASSERT_EQ(
        params.Open(FakeDevices::Processor(), 3300, nullptr, nullptr, nullptr, "Read", 1, 0, 1), 1);
    ASSERT_EQ(CPrgOperation::ExecuteReadRange(&params, "r.txt", 1, 0xF000, 0x100, error), 1)
        << error;
    auto* read = static_cast<TestCommand*>(GetReadRangeNowOperation()->GetReadCommand());
    EXPECT_EQ(read->address, 0xF000u);
    EXPECT_EQ(read->length, 0x100u);
    EXPECT_EQ(params.GetStepSize(), GetReadRangeNowOperation()->GetProgressAggregate());
}

TEST_F(BuiltInOperationsTest, ANewProjectVccReachesThePodBuiltInsAndPrototypes) {
    std::string error;
    ASSERT_EQ(CreateBuiltInOperations(&project, error), 1);
    ASSERT_EQ(CreateCommandPrototypes(error), 1);
    ASSERT_EQ(PropagateVccToBuiltIns(2200, error), 1);
    EXPECT_EQ(Commands(GetMassEraseNowOperation()).front(), "Dravik_Open(2200)");
    SetPodInUse(1);
    EXPECT_EQ(Commands(GetPowerOffNowOperation()).front(), "Dravik_VCC(0)");
    CArrayProjectTreeItem* prototypes = GetCommandPrototypes();
    for (int i = 0; i < prototypes->GetSize(); ++i) {
        if (prototypes->GetAt(i)->GetElementName() == "Dravik_Open") {
            EXPECT_EQ(static_cast<TestCommand*>(prototypes->GetAt(i))->value, 2200u);
        }
    }
}

}  // namespace
}  // namespace kv::testing
