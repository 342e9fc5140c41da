// Loading "ProcessorList.xml": the shipped list, the table lookups and the
// failures of a bad list.
#include <gtest/gtest.h>

#include <string>

#include "hex_test_support.h"
#include "kelvane/core/array_prg_processor.h"
#include "kelvane/core/emulation_module.h"
#include "kelvane/core/map_parameter_xml.h"

namespace kv {
namespace {

const std::string kShippedList = std::string(KELVANE_BIN_DIR) + "/ProcessorList.xml";

// A list file with a permissive declaration, so that the reader's own checks
// are what the tests exercise.
std::string ListFile(const std::string& root, const std::string& body) {
    return "<?xml version=\"1.0\"?>\n<!DOCTYPE " + root +
           " [\n"
           "<!ATTLIST Processor Name CDATA #REQUIRED InfoStart CDATA #REQUIRED"
           " InfoSize CDATA #REQUIRED InfoSeg CDATA #REQUIRED MainStart CDATA #REQUIRED"
           " MainSize CDATA #REQUIRED MainSeg CDATA #REQUIRED bHasLOCKA CDATA #REQUIRED"
           " bIsMSP430X CDATA #REQUIRED nEMEX CDATA #REQUIRED>\n"
           "<!ATTLIST DeviceType Name CDATA #REQUIRED>\n"
           "<!ATTLIST Configure nMode CDATA #REQUIRED nValue CDATA #REQUIRED>\n"
           "]>\n<" +
           root + ">\n" + body + "</" + root + ">\n";
}

std::string Processor(const std::string& name, const std::string& infoStart = "0x1000",
                      const std::string& emex = "EMEX_MEDIUM", const std::string& children = "") {
    return "<Processor Name=\"" + name + "\" InfoStart=\"" + infoStart +
           "\" InfoSize=\"0x100\" InfoSeg=\"0x80\" MainStart=\"0x1100\" MainSize=\"0xEF00\""
           " MainSeg=\"0x200\" bHasLOCKA=\"FALSE\" bIsMSP430X=\"0\" nEMEX=\"" +
           emex + "\">" + children + "</Processor>\n";
}

class ProcessorListTest : public ::testing::Test {
  protected:
    void TearDown() override { DestroyProcessorTable(); }

    // Loads a list written from the text; returns the message box text, if any.
    std::string LoadFailure(const std::string& content) {
        const std::string path = dir_.write("ProcessorList.xml", content);
        test::MessageBoxRecorder boxes;
        EXPECT_EQ(LoadProcessorTable(path), 0);
        EXPECT_EQ(GetProcessorTable(), nullptr);
        if (boxes.calls().size() != 1) return "<no single message box>";
        const std::string prefix = "Could not load processor table from " + path + "\n";
        const std::string& text = boxes.calls()[0].text;
        if (text.rfind(prefix, 0) != 0) return "<wrong prefix> " + text;
        return text.substr(prefix.size());
    }

    CPrgProcessor* Load(const std::string& body) {
        const std::string path =
            dir_.write("ProcessorList.xml", ListFile("ProcessorListMSP430", body));
        EXPECT_EQ(LoadProcessorTable(path), 1);
        return GetProcessorTable() ? GetProcessorTable()->GetAt(0) : nullptr;
    }

    test::TempDir dir_;
};

TEST_F(ProcessorListTest, ShippedListHoldsTheSimulatedChipsWithTheirLayouts) {
    ASSERT_EQ(LoadProcessorTable(kShippedList), 1);
    const CArrayPrgProcessor* table = GetProcessorTable();
    ASSERT_NE(table, nullptr);
    EXPECT_GE(table->GetSize(), 10u);

    const CPrgProcessor* f149 = FindProcessorByName("MSP430F149");
    ASSERT_NE(f149, nullptr);
    EXPECT_EQ(f149->InfoStart, 0x1000u);
    EXPECT_EQ(f149->InfoSize, 0x100u);
    EXPECT_EQ(f149->InfoSeg, 0x80u);
    EXPECT_EQ(f149->MainStart, 0x1100u);
    EXPECT_EQ(f149->MainSize, 0xEF00u);
    EXPECT_EQ(f149->MainSeg, 0x200u);
    EXPECT_EQ(f149->bHasLOCKA, 0);
    EXPECT_EQ(f149->bIsMSP430X, 0);
    EXPECT_EQ(f149->nEMEX, 2);
    EXPECT_TRUE(f149->HasDeviceType("MSP430F149"));
    EXPECT_EQ(f149->GetConfigureCount(), 0);
    EXPECT_EQ(f149->GetAddressDigits(), 4);
    EXPECT_EQ(f149->GetEmulationModule()->GetBreakpointCount(), 3);

    const CPrgProcessor* f2274 = FindProcessorByName("MSP430F2274");
    ASSERT_NE(f2274, nullptr);
    EXPECT_EQ(f2274->MainStart, 0x8000u);
    EXPECT_EQ(f2274->MainSize, 0x8000u);
    EXPECT_EQ(f2274->InfoSeg, 0x40u);
    EXPECT_EQ(f2274->bHasLOCKA, 1);
    EXPECT_EQ(f2274->GetEmulationModule()->GetBreakpointCount(), 2);

    const CPrgProcessor* fg4619 = FindProcessorByName("MSP430FG4619");
    ASSERT_NE(fg4619, nullptr);
    EXPECT_EQ(fg4619->MainStart, 0x2100u);
    EXPECT_EQ(fg4619->MainSize, 0x1DF00u);
    EXPECT_EQ(fg4619->bIsMSP430X, 1);
    EXPECT_EQ(fg4619->GetAddressDigits(), 5);
    EXPECT_EQ(fg4619->GetEmulationModule()->GetBreakpointCount(), 8);
    EXPECT_TRUE(fg4619->IsInMainMemory(0x1FFFF));
    EXPECT_FALSE(fg4619->IsInMainMemory(0x20000));

    // RAM: one block, or the low block and the larger one above the
    // information memory.
    EXPECT_TRUE(f149->IsInRam(0x0200));
    EXPECT_TRUE(f149->IsInRam(0x09FF));
    EXPECT_FALSE(f149->IsInRam(0x0A00));
    EXPECT_FALSE(f2274->IsInRam(0x0600));
    EXPECT_TRUE(fg4619->IsInRam(0x09FF));
    EXPECT_FALSE(fg4619->IsInRam(0x0A00));
    EXPECT_TRUE(fg4619->IsInRam(0x20FF));
    EXPECT_FALSE(fg4619->IsInRam(0x2100));

    // The simulated chips without an emulation module.
    for (const char* name : {"Prototype_MSP430F11x1", "TMS430FCAS003"}) {
        const CPrgProcessor* processor = FindProcessorByName(name);
        ASSERT_NE(processor, nullptr) << name;
        EXPECT_TRUE(processor->HasDeviceType(name));
        EXPECT_EQ(processor->GetEmulationModule()->GetBreakpointCount(), 0);
    }
    EXPECT_TRUE(FindProcessorByName("Prototype_MSP430F11x1")->IsInInfoMemory(0xEF00));

    // The wizard's default processor is in the list.
    EXPECT_NE(FindProcessorByName("MSP430F169"), nullptr);

    // A chip reached through Spy-Bi-Wire pins is switched to four-wire JTAG first.
    CPrgProcessor* f2013 = FindProcessorByName("MSP430F2013");
    ASSERT_NE(f2013, nullptr);
    EXPECT_TRUE(f2013->HasDeviceType("MSP430F20x3"));
    std::int32_t mode = -1;
    std::int32_t value = -1;
    ASSERT_EQ(f2013->GetConfigureMode(0, &mode, &value), 1);
    EXPECT_EQ(mode, 8);
    EXPECT_EQ(value, 2);
}

TEST_F(ProcessorListTest, EveryShippedProcessorIsConsistent) {
    ASSERT_EQ(LoadProcessorTable(kShippedList), 1);
    const CArrayPrgProcessor* table = GetProcessorTable();
    for (std::size_t index = 0; index < table->GetSize(); ++index) {
        CPrgProcessor* processor = table->GetAt(index);
        SCOPED_TRACE(processor->GetName());
        EXPECT_EQ(table->FindByName(processor->GetName()), processor);
        EXPECT_FALSE(processor->GetDeviceTypes().empty());
        EXPECT_NE(processor->GetEmulationModule(), nullptr);
        EXPECT_EQ(processor->InfoSize % processor->InfoSeg, 0u);
        EXPECT_EQ(processor->MainStart + processor->MainSize,
                  processor->bIsMSP430X ? 0x20000u : 0x10000u);
        EXPECT_FALSE(processor->IsInMainMemory(processor->InfoStart));
        EXPECT_TRUE(processor->RamKnown());
        EXPECT_FALSE(processor->IsInRam(processor->InfoStart));
        EXPECT_FALSE(processor->IsInRam(processor->MainStart));
        SegmentMap map;
        ASSERT_EQ(processor->GetSegmentMap(processor->MainStart, processor->MainSize, &map), 1);
        EXPECT_EQ(map.partialSize + map.segmentCount * map.segmentSize, processor->MainSize);
        // LOCKA devices have the 64-byte information segments.
        EXPECT_EQ(processor->bHasLOCKA != 0, processor->InfoSeg == 0x40);
    }
}

TEST_F(ProcessorListTest, LookupIsExactAndNeedsATable) {
    EXPECT_EQ(FindProcessorByName("MSP430F149"), nullptr);
    ASSERT_EQ(LoadProcessorTable(kShippedList), 1);
    EXPECT_EQ(FindProcessorByName("msp430f149"), nullptr);
    EXPECT_EQ(FindProcessorByName("MSP430F149 "), nullptr);
    DestroyProcessorTable();
    EXPECT_EQ(GetProcessorTable(), nullptr);
}

TEST_F(ProcessorListTest, RootMustBeProcessorListMSP430) {
    EXPECT_EQ(LoadFailure(ListFile("ProcessorList", Processor("A"))),
              "Root element name for the processor list must be 'ProcessorListMSP430'");
    EXPECT_EQ(LoadFailure(ListFile("ProcessorListMSP430", "<Other/>\n<!-- none -->\n")),
              "Did not find any processors");
}

TEST_F(ProcessorListTest, AFailedLoadFreesTheOldTable) {
    ASSERT_EQ(LoadProcessorTable(kShippedList), 1);
    EXPECT_EQ(LoadFailure(ListFile("ProcessorListMSP430", "")), "Did not find any processors");
    EXPECT_EQ(FindProcessorByName("MSP430F149"), nullptr);
}

TEST_F(ProcessorListTest, MissingFileTakesTheReaderText) {
    test::MessageBoxRecorder boxes;
    EXPECT_EQ(LoadProcessorTable(dir_.path("absent.xml")), 0);
    ASSERT_EQ(boxes.calls().size(), 1u);
    const std::string prefix =
        "Could not load processor table from " + dir_.path("absent.xml") + "\n";
    EXPECT_EQ(boxes.calls()[0].text.rfind(prefix, 0), 0u);
    EXPECT_GT(boxes.calls()[0].text.size(), prefix.size());
}

// A list written before the RAM was listed loads with the RAM unknown.
TEST_F(ProcessorListTest, RamIsOptional) {
    const CPrgProcessor* processor = Load(Processor("A"));
    ASSERT_NE(processor, nullptr);
    EXPECT_FALSE(processor->RamKnown());
    EXPECT_FALSE(processor->IsInRam(0x0200));
}

TEST_F(ProcessorListTest, LayoutValuesNeedTheirHexPrefix) {
    EXPECT_EQ(LoadFailure(ListFile("ProcessorListMSP430", Processor("A", "1000"))),
              "Unable to convert InfoStart value 1000 to DWORD (element Processor on line 8); "
              "expected a hexadecimal number starting with 0x");
}

TEST_F(ProcessorListTest, EmulationLevelIsAKeywordOrADecimalNumber) {
    EXPECT_EQ(Load(Processor("A", "0x1000", "2"))->nEMEX, 2);
    EXPECT_EQ(Load(Processor("A", "0x1000", "EMEX_MEDIUM"))->nEMEX, 2);
    EXPECT_EQ(Load(Processor("A", "0x1000", "EMEX_NONE"))->GetEmulationModule(),
              GetEmulationModule(0));
    EXPECT_EQ(LoadFailure(ListFile("ProcessorListMSP430", Processor("A", "0x1000", "emex_medium"))),
              "Unable to convert emex_medium to LONG (nEMEX) (element Processor on line 8); "
              "expected one of EMEX_NONE, EMEX_LOW, EMEX_MEDIUM, EMEX_HIGH");
    // A level the emulation module does not know has no module.
    EXPECT_EQ(Load(Processor("A", "0x1000", "7"))->GetEmulationModule(), nullptr);
}

TEST_F(ProcessorListTest, ConfigurationPairsUseTheConfigurationKeywords) {
    const std::string pairs =
        "<Configure nMode=\"INTERFACE_MODE\" nValue=\"SPYBIWIRE_IF\"/>"
        "<Configure nMode=\"FLASH_SWOP\" nValue=\"TRUE\"/>"
        "<Configure nMode=\"5\" nValue=\"42\"/>"
        "<DeviceType Name=\"MSP430F149\"/><DeviceType Name=\"Other\"/>";
    CPrgProcessor* processor = Load(Processor("A", "0x1000", "EMEX_LOW", pairs));
    ASSERT_NE(processor, nullptr);
    ASSERT_EQ(processor->GetConfigureCount(), 3);
    const std::int32_t expected[3][2] = {{8, 1}, {6, 1}, {5, 42}};
    for (int index = 0; index < 3; ++index) {
        std::int32_t mode = 0;
        std::int32_t value = 0;
        ASSERT_EQ(processor->GetConfigureMode(index, &mode, &value), 1);
        EXPECT_EQ(mode, expected[index][0]);
        EXPECT_EQ(value, expected[index][1]);
    }
    EXPECT_TRUE(processor->HasDeviceType("Other"));
    EXPECT_FALSE(processor->HasDeviceType("other"));
    ASSERT_NE(GetConfigureModeMap(), nullptr);
    EXPECT_EQ(GetConfigureModeMap()->GetSize(), 14u);

    EXPECT_EQ(LoadFailure(ListFile("ProcessorListMSP430",
                                   Processor("A", "0x1000", "EMEX_LOW",
                                             "<Configure nMode=\"SWOP\" nValue=\"0\"/>"))),
              "Unable to convert SWOP to LONG (nMode) (element Configure on line 8); expected one "
              "of VERIFICATION_MODE, EMULATION_MODE, CLK_CNTRL_MODE, MCLK_CNTRL_MODE, "
              "FLASH_TEST_MODE, LOCKED_FLASH_ACCESS, FLASH_SWOP, EDT_TRACE_MODE, INTERFACE_MODE, "
              "TRUE, FALSE, JTAG_IF, SPYBIWIRE_IF, SPYBIWIREJTAG_IF");
}

TEST_F(ProcessorListTest, ThirtyThreeConfigurationPairsAreTooMany) {
    std::string pairs;
    for (int index = 0; index < 32; ++index)
        pairs += "<Configure nMode=\"2\" nValue=\"38\"/>";
    EXPECT_EQ(Load(Processor("A", "0x1000", "EMEX_LOW", pairs))->GetConfigureCount(), 32);
    pairs += "<Configure nMode=\"2\" nValue=\"38\"/>";
    EXPECT_EQ(
        LoadFailure(ListFile("ProcessorListMSP430", Processor("A", "0x1000", "EMEX_LOW", pairs))),
        "Maximum configuration mode count (32) exceeded");
}

TEST_F(ProcessorListTest, RecordsKeepFileOrderAndAnyBadOneStopsTheLoad) {
    Load(Processor("First") + "<Other/>" + Processor("Second"));
    ASSERT_EQ(GetProcessorTable()->GetSize(), 2u);
    EXPECT_EQ(GetProcessorTable()->GetAt(1)->GetName(), "Second");
    EXPECT_EQ(LoadFailure(ListFile("ProcessorListMSP430",
                                   Processor("First") + Processor("Second", "0xG0"))),
              "Unable to convert InfoStart value 0xG0 to DWORD (element Processor on line 9); "
              "expected a hexadecimal number starting with 0x");
}

}  // namespace
}  // namespace kv
