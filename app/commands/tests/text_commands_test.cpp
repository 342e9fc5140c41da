// Comment and Delay: labels, project-file form and runs on a manual clock.
#include <gtest/gtest.h>

#include "adapter_test_support.h"
#include "kelvane/commands/comment.h"
#include "kelvane/commands/delay.h"
#include "kelvane/platform/clock.h"

namespace kv::cmdtest {
namespace {

struct TextRun {
    TextRun() {
        EXPECT_EQ(params.Open(&processor, 3300, &bar, &status, &log, "Text", 10, 0, 0), 1);
        log.Clear();
    }
    CPrgProcessor processor = F149Processor();
    Log log;
    Bar bar;
    Status status;
    CExecuteParams params;
};

TEST(TextCommands, CommentLabelUsesTheFirstLineCutToTwentyCharacters) {
    std::string error;
    std::unique_ptr<CCommandComment> comment(CCommandComment::CreateDefault(error));
    EXPECT_EQ(comment->GetTreeLabel(), "Comment 'Your comment here'");
    comment->SetText("  first line of a long comment\nsecond\nthird  ");
    EXPECT_EQ(comment->GetTreeLabel(), "Comment 'first line of a long...'");
    comment->SetText("");
    EXPECT_EQ(comment->GetTreeLabel(), "Comment ''");
    EXPECT_EQ(comment->GetPrintLabel(), 0);
    EXPECT_EQ(comment->GetPrintResult(), 0);
}

TEST(TextCommands, CommentLogsItsLinesOnlyAndEmptyLogsNothing) {
    TextRun run;
    CCommandComment comment;
    comment.SetText("");
    EXPECT_EQ(comment.Execute(&run.params), 1);
    EXPECT_EQ(run.log.Text(), "");
    comment.SetText("one\ntwo\nthree");
    EXPECT_EQ(comment.Execute(&run.params), 1);
    EXPECT_EQ(run.log.Text(), "one\ntwo\nthree\n");
    EXPECT_EQ(run.status.texts.back(), "Writing comment");
}

TEST(TextCommands, CommentTextSurvivesTheProjectFile) {
    CCommandComment comment;
    comment.SetText("line one\n\n  line three");
    std::string path = TestPath("comment.kvnset");
    std::string text = SaveText(comment, path);
    EXPECT_EQ(ElementText(text, "Comment"), "<Comment \n>line one\n\n  line three</Comment >");
    EXPECT_EQ(Declarations(text, "Comment"), "\t<!ELEMENT Comment >\n\t<!ATTLIST Comment\n\t>\n");
    std::string error;
    auto loaded = LoadBack(path, error);
    ASSERT_NE(loaded, nullptr) << error;
    EXPECT_EQ(static_cast<CCommandComment*>(loaded.get())->GetText(), "line one\n\n  line three");
}

TEST(TextCommands, DelayFormatsAndUnits) {
    EXPECT_EQ(CCommandDelay::FormatDelay(0), "None");
    EXPECT_EQ(CCommandDelay::FormatDelay(999), "999 msec");
    EXPECT_EQ(CCommandDelay::FormatDelay(1500), "1.50 sec");
    EXPECT_EQ(CCommandDelay::FormatDelay(15000), "15.0 sec");
    EXPECT_EQ(CCommandDelay::FormatDelay(150000), "150 sec");
    CCommandDelay delay;
    delay.SetParameters(1000, "Settle the supply");
    EXPECT_EQ(delay.GetTreeLabel(), "Delay 1.00 sec 'Settle the...'");
    EXPECT_EQ(delay.GetProgressUnits(), 5);
    delay.SetParameters(1001, "x");
    EXPECT_EQ(delay.GetProgressUnits(), 6);
    delay.SetParameters(0, "x");
    EXPECT_EQ(delay.GetProgressUnits(), 1);
    EXPECT_EQ(delay.GetTreeLabel(), "Delay None 'x'");
}

TEST(TextCommands, DelaySleepsInSlicesOnTheClock) {
    ManualClock clock(5000);
    ScopedClock scope(clock);
    TextRun run;
    CCommandDelay delay;
    delay.SetParameters(300, "Wait");
    EXPECT_EQ(delay.GetProgressUnits(), 3);
    EXPECT_EQ(delay.Execute(&run.params), 1);
    EXPECT_EQ(clock.tickCount(), 5300u);
    EXPECT_EQ(run.log.Text(), "Wait..\n");
    EXPECT_EQ(run.status.texts.back(), "Delaying...");
    // Three units of a ten-unit run.
    EXPECT_EQ(run.bar.positions.back(), 300);

    run.log.Clear();
    delay.SetParameters(0, "");
    EXPECT_EQ(delay.Execute(&run.params), 1);
    EXPECT_EQ(run.log.Text(), "\n");
    EXPECT_EQ(clock.tickCount(), 5300u);
}

TEST(TextCommands, DelayProjectFileForm) {
    std::string error;
    std::unique_ptr<CCommandDelay> delay(CCommandDelay::CreateDefault(error));
    std::string path = TestPath("delay.kvnset");
    std::string text = SaveText(*delay, path);
    EXPECT_EQ(ElementText(text, "Delay"), "<Delay \n\tdwDelay=\"1000\"\n>Delay</Delay >");
    EXPECT_EQ(Declarations(text, "Delay"),
              "\t<!ELEMENT Delay EMPTY >\n\t<!ATTLIST Delay\n\t\tdwDelay CDATA #REQUIRED\n\t>\n");
    auto loaded = LoadBack(path, error);
    ASSERT_NE(loaded, nullptr) << error;
    auto* copy = static_cast<CCommandDelay*>(loaded.get());
    EXPECT_EQ(copy->GetDelay(), 1000u);
    EXPECT_EQ(copy->GetText(), "Delay");
    EXPECT_EQ(copy->GetProgressUnits(), 5);
}

}  // namespace
}  // namespace kv::cmdtest
