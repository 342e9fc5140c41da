// The execution log: line ends, the log outlet and the size bound.
#include "log_edit.h"
#include "ui_test_support.h"

namespace kv::ui::testing {
namespace {

class LogEditTest : public ::testing::Test {
  protected:
    void SetUp() override { EnsureApplication(); }
};

TEST_F(LogEditTest, LineBreaksBecomeCrLfAndTheRestStaysOpen) {
    CLogEdit log;
    log.AppendText("first\nsecond\nthird");
    log.Print(" part", 1);
    log.Print("next", 0);
    EXPECT_EQ(log.GetLogText(), "first\r\nsecond\r\nthird part\r\nnext");
    EXPECT_EQ(log.toPlainText().toStdString(), "first\nsecond\nthird part\nnext");
}

TEST_F(LogEditTest, IsTheRunsLogOutlet) {
    CLogEdit log;
    LogWindow& outlet = log;
    outlet.Append("Open: ");
    outlet.Append("OK");
    outlet.NewLine();
    EXPECT_EQ(log.GetLogText(), "Open: OK\r\n");
    log.ClearLog();
    EXPECT_EQ(log.GetLogText(), "");
    EXPECT_TRUE(log.toPlainText().isEmpty());
}

TEST_F(LogEditTest, DropsTheOldestTenLinesPastTwentyThousandCharacters) {
    CLogEdit log;
    const std::string line(98, 'x');
    for (int i = 0; i < 200; ++i)
        log.Print(std::to_string(i % 10) + line.substr(1), 1);
    // 200 lines of 98 + CR LF = 20000 characters: not yet more than 19999 before the last.
    std::size_t before = log.GetLogText().size();
    EXPECT_EQ(before, 20000u);
    log.Print("tail", 1);
    EXPECT_EQ(log.GetLogText().size(), before - 10 * 100 + 6);
    EXPECT_EQ(log.document()->blockCount(), 192);
    for (int i = 0; i < 2000; ++i)
        log.Print("line", 1);
    EXPECT_LE(log.GetLogText().size(), CLogEdit::kMaxCharacters + 1 + 6);
    EXPECT_EQ(log.toPlainText().size() + log.document()->blockCount() - 1,
              static_cast<qsizetype>(log.GetLogText().size()));
}

TEST_F(LogEditTest, ALogWithoutTenLineEndsIsDroppedWhole) {
    CLogEdit log;
    log.Print(std::string(25000, 'y'), 0);
    log.Print("z", 0);
    EXPECT_EQ(log.GetLogText(), "z");
    EXPECT_EQ(log.toPlainText().toStdString(), "z");
}

}  // namespace
}  // namespace kv::ui::testing
