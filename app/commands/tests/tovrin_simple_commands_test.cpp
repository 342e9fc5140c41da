// The adapter commands with at most two plain parameters: project-file form,
// labels and defaults, and runs against the simulated adapter and loader.
#include <gtest/gtest.h>

#include "adapter_test_support.h"
#include "kelvane/commands/tovrin_simple_commands.h"
#include "kelvane/core/tovrin.h"

namespace kv::cmdtest {
namespace {

using wrapperstest::kPassword;

template <class T>
std::unique_ptr<T> Default() {
    std::string error;
    std::unique_ptr<T> command(static_cast<T*>(T::CreateDefault(error)));
    EXPECT_NE(command, nullptr) << error;
    return command;
}

template <class T>
std::unique_ptr<T> RoundTrip(T& command, std::string* text = nullptr) {
    std::string path = TestPath("tovrin_round_trip.kvnset");
    std::string saved = SaveText(command, path);
    if (text != nullptr) *text = saved;
    std::string error;
    std::unique_ptr<CProjectTreeItem> loaded = LoadBack(path, error);
    EXPECT_NE(loaded, nullptr) << error;
    return std::unique_ptr<T>(dynamic_cast<T*>(loaded.release()));
}

TEST(TovrinSimpleCommands, PlainCommandsHaveFixedLabelsAndEmptyDeclarations) {
    auto seize = Default<CCommandTovrin_SeizeTarget>();
    EXPECT_EQ(seize->GetTreeLabel(), "Seize Target (BSL)");
    EXPECT_EQ(seize->GetGroup(), "Tovrin");
    EXPECT_EQ(seize->GetDescription(), "Seize target device via Tovrin");
    EXPECT_EQ(seize->GetImage(), 44);
    EXPECT_EQ(Default<CCommandTovrin_MassErase>()->GetTreeLabel(), "Mass Erase (BSL)");
    EXPECT_EQ(Default<CCommandTovrin_ResetTarget>()->GetImage(), 45);
    EXPECT_EQ(Default<CCommandTovrin_PowerOff>()->GetDescription(),
              "Power down target device via Tovrin");
    EXPECT_EQ(Default<CCommandTovrin_ResendPassword>()->GetTreeLabel(), "Resend Password (BSL)");

    std::string text;
    auto loaded = RoundTrip(*seize, &text);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(ElementText(text, "Tovrin_SeizeTarget"),
              "<Tovrin_SeizeTarget \n></Tovrin_SeizeTarget >");
    EXPECT_EQ(Declarations(text, "Tovrin_PowerOff"),
              "\t<!ELEMENT Tovrin_PowerOff EMPTY >\n\t<!ATTLIST Tovrin_PowerOff\n\t>\n");
}

TEST(TovrinSimpleCommands, OnlyTheAdapterIsNeeded) {
    auto off = Default<CCommandTovrin_PowerOff>();
    int pod = 0;
    int adapter = 0;
    EXPECT_EQ(off->GetRequiredInterfaces(&pod, &adapter), 1);
    EXPECT_EQ(pod, 0);
    EXPECT_EQ(adapter, 1);
}

TEST(TovrinSimpleCommands, LoadPcIsWrittenInHexAndNeedsThePrefix) {
    auto loadPc = Default<CCommandTovrin_LoadPC>();
    EXPECT_EQ(loadPc->GetTreeLabel(), "Load PC @0x0300 (BSL)");
    EXPECT_EQ(loadPc->GetImage(), 35);
    std::string text;
    auto loaded = RoundTrip(*loadPc, &text);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetValue(), 0x0300u);
    EXPECT_EQ(ElementText(text, "Tovrin_LoadPC"),
              "<Tovrin_LoadPC \n\tdwValue=\"0x00000300\"\n></Tovrin_LoadPC >");
    EXPECT_EQ(Declarations(text, "Tovrin_LoadPC"),
              "\t<!ELEMENT Tovrin_LoadPC EMPTY >\n\t<!ATTLIST Tovrin_LoadPC\n"
              "\t\tdwValue CDATA #REQUIRED\n\t>\n");

    std::string error;
    EXPECT_EQ(LoadElement("<Tovrin_LoadPC dwValue=\"768\"></Tovrin_LoadPC >", error), nullptr);
    EXPECT_EQ(error,
              "Unable to convert dwValue value 768 to DWORD (element Tovrin_LoadPC on line 339); "
              "expected a hexadecimal number starting with 0x");
}

TEST(TovrinSimpleCommands, LockALabelsImagesAndBooleans) {
    auto lock = Default<CCommandTovrin_LockA>();
    EXPECT_EQ(lock->GetTreeLabel(), "Lock Flash A (BSL)");
    EXPECT_EQ(lock->GetImage(), 22);
    lock->SetParameters(0);
    EXPECT_EQ(lock->GetTreeLabel(), "Unlock Flash A (BSL)");
    EXPECT_EQ(lock->GetImage(), 23);
    std::string text;
    auto loaded = RoundTrip(*lock, &text);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetLockFlashA(), 0);
    EXPECT_EQ(loaded->GetImage(), 23);
    EXPECT_EQ(ElementText(text, "Tovrin_LockA"),
              "<Tovrin_LockA \n\tbLockFlashA=\"FALSE\"\n></Tovrin_LockA >");
    EXPECT_NE(Declarations(text, "Tovrin_LockA").find("\t\tbLockFlashA (FALSE|TRUE) #REQUIRED\n"),
              std::string::npos);
    std::string error;
    EXPECT_EQ(LoadElement("<Tovrin_LockA bLockFlashA=\"MAYBE\"></Tovrin_LockA >", error), nullptr);
    EXPECT_NE(error.find("MAYBE"), std::string::npos) << error;
}

TEST(TovrinSimpleCommands, EraseSegmentDefaultsAndZeroes) {
    auto erase = Default<CCommandTovrin_EraseSegment>();
    EXPECT_EQ(erase->GetTreeLabel(), "Erase Segment @0x1000 (BSL)");
    std::string text;
    auto loaded = RoundTrip(*erase, &text);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(ElementText(text, "Tovrin_EraseSegment"),
              "<Tovrin_EraseSegment \n\tdwSegment=\"0x00001000\"\n\tdwLength=\"0x00000002\"\n"
              "></Tovrin_EraseSegment >");
    std::string error;
    auto zero = LoadElement(
        "<Tovrin_EraseSegment dwSegment=\"0x0\" dwLength=\"0x0\"></Tovrin_EraseSegment >", error);
    ASSERT_NE(zero, nullptr) << error;
    auto* zeroed = static_cast<CCommandTovrin_EraseSegment*>(zero.get());
    EXPECT_EQ(zeroed->GetSegment(), 0x1000u);
    EXPECT_EQ(zeroed->GetLength(), 1u);
}

TEST(TovrinSimpleCommands, WithoutAnAdapterEachCommandNamesItself) {
    CPrgProcessor processor = F149Processor();
    Log log;
    CExecuteParams params;
    ASSERT_EQ(params.Open(&processor, 3300, nullptr, nullptr, &log, "None", 5, 0, 0), 1);
    auto mass = Default<CCommandTovrin_MassErase>();
    EXPECT_EQ(mass->Execute(&params), 0);
    EXPECT_EQ(mass->GetLastError(), "NULL Tovrin during CCommandTovrin_MassErase::OnExecute");
    auto lock = Default<CCommandTovrin_LockA>();
    EXPECT_EQ(lock->Execute(&params), 0);
    EXPECT_EQ(lock->GetLastError(), "NULL Tovrin during CCommandTovrin_LockA::OnExecute");
    auto erase = Default<CCommandTovrin_EraseSegment>();
    EXPECT_EQ(erase->Execute(&params), 0);
    EXPECT_EQ(erase->GetLastError(), "NULL Tovrin during CCommandTovrin_EraseSegment::EraseAll");
}

TEST(TovrinSimpleCommands, SeizeMassEraseAndLoadPcRunOnTheLoader) {
    AdapterRun run;
    // Something to erase.
    run.bench.chip.poke16(0x1100, 0x3412);
    CCommandTovrin_SeizeTarget seize;
    EXPECT_EQ(run.Run(seize), 1) << seize.GetLastError();
    EXPECT_TRUE(run.bench.chip.powered());
    CCommandTovrin_MassErase erase;
    EXPECT_EQ(run.Run(erase), 1) << erase.GetLastError();
    EXPECT_EQ(run.bench.Peek(0x1100, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
    EXPECT_EQ(run.log.Text(), "Seize Target (BSL): OK\nMass Erase (BSL): OK\n");
    EXPECT_EQ(run.status.texts.back(), "Mass erasing target");
}

TEST(TovrinSimpleCommands, SeizeRecordsTheExtendedFlag) {
    AdapterRun run;
    run.processor.bIsMSP430X = 1;
    CCommandTovrin_SeizeTarget seize;
    ASSERT_EQ(run.Run(seize), 1) << seize.GetLastError();
    EXPECT_TRUE(run.params.GetTovrin()->IsExtendedTarget());
}

TEST(TovrinSimpleCommands, LockAClearsOnlyTheLockBit) {
    AdapterRun run;
    run.Seize();
    CCommandTovrin_LockA lock;
    lock.SetParameters(1);
    ASSERT_EQ(run.Run(lock), 1) << lock.GetLastError();
    std::vector<wrapperstest::Frame> writes = run.bench.Frames(wrapperstest::kWriteBlock);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].address, 0x012Cu);
    EXPECT_EQ(writes[0].data[1], 0xA5);
    EXPECT_EQ(writes[0].data[0] & 0x40, 0x40);
    run.bench.ClearLogs();
    lock.SetParameters(0);
    ASSERT_EQ(run.Run(lock), 1) << lock.GetLastError();
    writes = run.bench.Frames(wrapperstest::kWriteBlock);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].data[0] & 0x40, 0);
    EXPECT_EQ(run.status.texts.back(), "Unlocking Flash A");
}

TEST(TovrinSimpleCommands, EraseSegmentRefusesOddValuesBeforeTouchingTheAdapter) {
    AdapterRun run;
    run.Seize();
    CCommandTovrin_EraseSegment erase;
    erase.SetParameters(0x1001, 2);
    EXPECT_EQ(run.Run(erase), 0);
    EXPECT_EQ(erase.GetLastError(),
              "Both the segment address and the erase length must be even values");
    EXPECT_TRUE(run.bench.Frames().empty());
    erase.SetParameters(0x1000, 0);
    EXPECT_EQ(run.Run(erase), 0);
}

TEST(TovrinSimpleCommands, EraseSegmentErasesThePartialSegmentFirst) {
    AdapterRun run;
    run.Seize();
    // Main flash of 0xEF00 bytes in 0x200-byte segments: the short one is
    // 0x1100..0x11FF.
    run.bench.chip.poke16(0x1100, 0x0000);
    run.bench.chip.poke16(0x1200, 0x0000);
    run.bench.chip.poke16(0x1400, 0x0000);
    CCommandTovrin_EraseSegment erase;
    erase.SetParameters(0x1100, 0x300);
    ASSERT_EQ(run.Run(erase), 1) << erase.GetLastError();
    EXPECT_EQ(run.log.Text(), "Erase Segment @0x1100 (BSL): at address 0x1100\n..OK\n");
    EXPECT_EQ(run.bench.Peek(0x1100, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
    EXPECT_EQ(run.bench.Peek(0x1200, 2), (std::vector<uint8_t>{0xFF, 0xFF}));
    EXPECT_EQ(run.bench.Peek(0x1400, 2), (std::vector<uint8_t>{0x00, 0x00}));
}

TEST(TovrinSimpleCommands, EraseSegmentAcrossInfoAndMainErasesNothing) {
    AdapterRun run;
    run.Seize();
    CCommandTovrin_EraseSegment erase;
    erase.SetParameters(0x10F0, 0x20);
    EXPECT_EQ(run.Run(erase), 0);
    EXPECT_EQ(erase.GetLastError(), "Segments must be in info or main flash, not both");
    EXPECT_TRUE(run.bench.Frames().empty());
}

TEST(TovrinSimpleCommands, EraseSegmentReportsAWordThatStaysProgrammed) {
    AdapterRun run;
    run.Seize();
    run.bench.chip.addStuckBit({0x1082, 0, false});
    CCommandTovrin_EraseSegment erase;
    erase.SetParameters(0x1080, 0x80);
    EXPECT_EQ(run.Run(erase), 0);
    EXPECT_EQ(erase.GetLastError(), "Erase Segment (BSL) failed at address 0x1082");
}

}  // namespace
}  // namespace kv::cmdtest
