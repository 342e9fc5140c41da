// Result analysis: value scaling and record texts of the analysis items, the
// command's project-file form with its items, and tables read from the chip
// behind the simulated pod.
#include <gtest/gtest.h>

#include "command_test_support.h"
#include "kelvane/commands/analyze_results.h"
#include "kelvane/commands/dravik_open.h"
#include "kelvane/core/dravik.h"
#include "kelvane/core/execute_params.h"

namespace kv::testing {
namespace {

CAnalysisItem* Item(std::uint16_t key, const char* type, const std::string& text) {
    auto* item = new CAnalysisItem;
    std::uint16_t value = 0;
    CAnalysisItem::GetTypeMap().ParseWORD(type, &value);
    item->SetParameters(key, value, 0x0FFF, 0, 3300, 0, text);
    return item;
}

class AnalyzeResults : public CommandTest {
  protected:
    void TearDown() override {
        params.Close();
        CommandTest::TearDown();
    }
    void Start() {
        Plug();
        ASSERT_EQ(params.Open(f149, 3300, &bar, &status, &log, "Run", 10, 1, 0), 1)
            << params.GetLastError();
        CCommandDravik_Open open;
        open.SetParameters(3300);
        ASSERT_EQ(open.Execute(&params), 1) << open.GetLastError();
        std::string name;
        ASSERT_EQ(params.GetDravik()->Identify(name), 1) << params.GetDravik()->GetErrorText();
        log.Clear();
    }
    // Writes 16-bit words into the chip's RAM.
    void Words(std::uint32_t address, const std::vector<std::uint16_t>& words) {
        std::vector<std::uint8_t> bytes;
        for (std::uint16_t w : words) {
            bytes.push_back(static_cast<std::uint8_t>(w));
            bytes.push_back(static_cast<std::uint8_t>(w >> 8));
        }
        ASSERT_EQ(params.GetDravik()->WriteMemory(bytes.data(), address,
                                                  static_cast<std::uint32_t>(bytes.size())),
                  1);
    }
    CExecuteParams params;
};

TEST_F(AnalyzeResults, VoltageRecordIsScaledAndLabelled) {
    std::unique_ptr<CAnalysisItem> item(Item(1, "VOLTAGE_V", "Supply out of range"));
    EXPECT_EQ(item->GetTreeLabel(), "0x0001 'Supply out of range'");
    std::string value;
    ASSERT_EQ(item->FormatValue(0x0800, value), 1);
    EXPECT_EQ(value, "1.650 v");
    std::uint16_t record[] = {1, 0x0800, 0x0700, 0x0900};
    std::string line;
    bool matched = false;
    ASSERT_EQ(item->FormatRecord(line, record, 0, matched), 1);
    EXPECT_TRUE(matched);
    EXPECT_EQ(line, "[0x0001] 1.650 v (1.444 v - 1.857 v): Supply out of range");

    record[1] = 0x1000;
    EXPECT_EQ(item->FormatRecord(line, record, 0, matched), 0);
    EXPECT_EQ(item->GetLastError(), "Value must be between memory minimum and maximum, inclusive");
    std::string unit;
    EXPECT_EQ(item->GetUnitText(unit), 1);
    EXPECT_EQ(unit, "mv");
}

TEST_F(AnalyzeResults, CompareCountMessageAndExtraWords) {
    std::unique_ptr<CAnalysisItem> compare(Item(2, "COMPARE_HEX", "Checksum"));
    std::uint16_t record[] = {2, 0x1234, 0x1235, 0x9999, 0xABCD, 0x0001};
    std::string line;
    bool matched = false;
    ASSERT_EQ(compare->FormatRecord(line, record, 2, matched), 1);
    EXPECT_EQ(line, "[0x0002] 0x1234 (0x1235): Checksum\n    Extra: ABCD 0001");
    std::unique_ptr<CAnalysisItem> count(Item(2, "COUNT", "Retries"));
    ASSERT_EQ(count->FormatRecord(line, record, 0, matched), 1);
    EXPECT_EQ(line, "[0x0002] (4660): Retries");
    std::unique_ptr<CAnalysisItem> message(Item(2, "MESSAGE", "Stuck key"));
    ASSERT_EQ(message->FormatRecord(line, record, 0, matched), 1);
    EXPECT_EQ(line, "[0x0002] Stuck key");

    CArrayAnalysisItem items;
    items.Add(Item(7, "COUNT", "first"));
    items.Add(Item(7, "MESSAGE", "second"));
    std::uint16_t seven[] = {7, 1, 2, 3};
    ASSERT_EQ(items.FormatRecord(line, seven, 0), 1);
    EXPECT_EQ(line, "[0x0007] (1): first");
    std::uint16_t unknown[] = {9, 1, 2, 3};
    ASSERT_EQ(items.FormatRecord(line, unknown, 0), 1);
    EXPECT_EQ(line, "Unrecognized error, raw values: 0x0009 0x0001 0x0002 0x0003");
}

TEST_F(AnalyzeResults, ItemsAreSavedAsChildElements) {
    std::string error;
    std::unique_ptr<CProjectTreeItem> made(CCommandAnalyzeResults::CreateDefault(error));
    auto* command = static_cast<CCommandAnalyzeResults*>(made.get());
    command->GetItems()->Add(Item(1, "VOLTAGE_V", "Low supply"));
    command->GetItems()->Add(Item(0x20, "COUNT_HEX", "Faults"));
    EXPECT_EQ(SavedElement(*command),
              "<AnalyzeResults \n\tdwHeaderAddress=\"0x00000200\"\n"
              "\tdwResultAddress=\"0x00000204\"\n>"
              "<AnalysisItem \n\twType=\"VOLTAGE_V\"\n\twKey=\"0x0001\"\n\twMemoryMax=\"0x0FFF\"\n"
              "\twMemoryMin=\"0x0000\"\n\tdwScaleMax=\"3300\"\n\tdwScaleMin=\"0\"\n"
              ">Low supply</AnalysisItem >\n"
              "<AnalysisItem \n\twType=\"COUNT_HEX\"\n\twKey=\"0x0020\"\n\twMemoryMax=\"0x0FFF\"\n"
              "\twMemoryMin=\"0x0000\"\n\tdwScaleMax=\"3300\"\n\tdwScaleMin=\"0\"\n"
              ">Faults</AnalysisItem >\n</AnalyzeResults >\n");
    EXPECT_EQ(Declarations("AnalyzeResults"),
              "\t<!ELEMENT AnalyzeResults (\n\t\tAnalysisItem+)>\n"
              "\t<!ELEMENT AnalysisItem EMPTY >\n\t<!ATTLIST AnalyzeResults\n"
              "\t\tdwHeaderAddress CDATA #REQUIRED\n\t\tdwResultAddress CDATA #REQUIRED\n\t>\n"
              "\t<!ATTLIST AnalysisItem\n\t\twType (CURRENT_UA|CURRENT_MA|CURRENT_A|VOLTAGE_MV|"
              "VOLTAGE_V|FREQ_HZ|FREQ_KHZ|FREQ_MHZ|FREQ_GHZ|TIME_US|TIME_MS|TIME_S|COUNT|"
              "COUNT_HEX|MESSAGE|COMPARE|COMPARE_HEX) #REQUIRED\n\t\twKey CDATA #REQUIRED\n"
              "\t\twMemoryMax CDATA #REQUIRED\n\t\twMemoryMin CDATA #REQUIRED\n"
              "\t\tdwScaleMax CDATA #REQUIRED\n\t\tdwScaleMin CDATA #REQUIRED\n\t>\n");
    auto loaded = RoundTrip(*command);
    ASSERT_NE(loaded, nullptr);
    auto* copy = static_cast<CCommandAnalyzeResults*>(loaded.get());
    ASSERT_EQ(copy->GetItems()->GetSize(), 2);
    EXPECT_EQ(copy->GetItems()->ItemAt(1)->GetKey(), 0x20);
    EXPECT_EQ(copy->GetItems()->ItemAt(1)->GetText(), "Faults");
    EXPECT_EQ(copy->GetItems()->ItemAt(0)->GetTreeLabel(), "0x0001 'Low supply'");
}

TEST_F(AnalyzeResults, AnEmptyTableSucceeds) {
    Start();
    Words(0x0200, {0, 0, 0x0001, 0x0800, 0, 0});
    CCommandAnalyzeResults command;
    command.SetParameters(0x0200, 0x0204);
    command.GetItems()->Add(Item(1, "VOLTAGE_V", "Low supply"));
    ASSERT_EQ(command.Execute(&params), 1) << command.GetLastError();
    EXPECT_EQ(log.Text(), "Analyze Results: OK\nOK\n");
    EXPECT_EQ(status.texts.back(), "Parsing results");
}

TEST_F(AnalyzeResults, RecordsAreLoggedAndTheCommandFails) {
    Start();
    Words(0x0200, {2, 1, 0x0001, 0x0800, 0x0700, 0x0900, 0xABCD, 0x0005, 1, 2, 3, 4});
    CCommandAnalyzeResults command;
    command.SetParameters(0x0200, 0x0204);
    command.GetItems()->Add(Item(1, "VOLTAGE_V", "Low supply"));
    EXPECT_EQ(command.Execute(&params), 0);
    EXPECT_EQ(command.GetLastError(), "Target failures recorded");
    EXPECT_EQ(log.Text(),
              "Analyze Results: \n[0x0001] 1.650 v (1.444 v - 1.857 v): Low supply\n"
              "    Extra: ABCD\n"
              "Unrecognized error, raw values: 0x0005 0x0001 0x0002 0x0003\nfailed\n");
}

TEST_F(AnalyzeResults, AtMost64RecordsAreReported) {
    Start();
    std::vector<std::uint16_t> table = {70, 0};
    for (int i = 0; i < 70; ++i)
        table.insert(table.end(), {3, 1, 2, 3});
    Words(0x0200, table);
    CCommandAnalyzeResults command;
    command.SetParameters(0x0200, 0x0204);
    command.GetItems()->Add(Item(3, "COUNT", "n"));
    EXPECT_EQ(command.Execute(&params), 0);
    std::string text = log.Text();
    std::size_t lines = 0;
    for (std::size_t at = text.find("[0x0003]"); at != std::string::npos;
         at = text.find("[0x0003]", at + 1))
        ++lines;
    EXPECT_EQ(lines, 64u);
    EXPECT_NE(text.find("Additional failures not reported...\nfailed\n"), std::string::npos);
}

TEST_F(AnalyzeResults, TheLastItemCannotBeDeleted) {
    CCommandAnalyzeResults command;
    command.SetParameters(0x0200, 0x0204);
    command.GetItems()->Add(Item(1, "COUNT", "only"));
    CProjectTreeItem* select = nullptr;
    EXPECT_EQ(command.DeleteChild(command.GetItems()->GetAt(0), &select), 0);
    EXPECT_EQ(command.GetLastError(), "Cannot delete the last results item");
}

}  // namespace
}  // namespace kv::testing
