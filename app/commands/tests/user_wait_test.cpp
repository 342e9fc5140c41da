// UserWait: the button map, labels, file form and the answers of the message
// box hook.
#include <gtest/gtest.h>

#include "command_test_support.h"
#include "kelvane/commands/user_wait.h"
#include "kelvane/platform/message_box.h"

namespace kv::testing {
namespace {

class UserWaitCommand : public CommandTest {
  protected:
    // Answers every box with the answer and records its button set.
    void Answer(int answer) {
        setMessageBoxHandler(
            [this, answer](const std::string& text, const std::string&, unsigned type) {
                shown.push_back(text);
                types.push_back(type);
                return answer;
            });
    }
    std::vector<std::string> shown;
    std::vector<unsigned> types;
};

TEST_F(UserWaitCommand, DeclarationsPrototypeAndLabel) {
    EXPECT_EQ(Declarations("UserWait"),
              "\t<!ELEMENT UserWait >\n\t<!ATTLIST UserWait\n"
              "\t\twType (MB_OK|MB_OKCANCEL|MB_YESNO) #REQUIRED\n\t>\n");
    std::string error;
    std::unique_ptr<CCommandUserWait> wait(CCommandUserWait::CreateDefault(error));
    ASSERT_NE(wait, nullptr) << error;
    EXPECT_EQ(wait->GetTreeLabel(), "User Wait  'Ready to c...'");
    EXPECT_EQ(wait->GetImage(), 27);
    EXPECT_EQ(wait->GetDisplayName(), "UserWait");
    EXPECT_EQ(wait->GetDescription(), "Wait for user");
    EXPECT_EQ(wait->GetPrintLabel(), 0);
    EXPECT_EQ(wait->GetPrintResult(), 0);
    int pod = 0, adapter = 0;
    wait->GetRequiredInterfaces(&pod, &adapter);
    EXPECT_EQ(pod + adapter, 0);

    wait->SetParameters("MB_OK", "Insert the next board\nand press OK");
    EXPECT_EQ(wait->GetTreeLabel(), "User Wait  'Insert the...'");
    wait->SetParameters("MB_OK", "Go");
    EXPECT_EQ(wait->GetTreeLabel(), "User Wait  'Go'");
}

TEST_F(UserWaitCommand, RoundTripsItsButtonsAndText) {
    std::string error;
    std::unique_ptr<CCommandUserWait> wait(
        CCommandUserWait::Create(error, "4", "Board fitted?\nSecond line"));
    ASSERT_NE(wait, nullptr) << error;
    EXPECT_EQ(SavedElement(*wait),
              "<UserWait \n\twType=\"MB_YESNO\"\n>Board fitted?\nSecond line</UserWait >\n");
    auto loaded = RoundTrip(*wait);
    ASSERT_NE(loaded, nullptr);
    auto* back = static_cast<CCommandUserWait*>(loaded.get());
    EXPECT_EQ(back->GetType(), 4);
    EXPECT_EQ(back->GetText(), "Board fitted?\nSecond line");
    EXPECT_EQ(CCommandUserWait::Create(error, "MB_ABORT", "x"), nullptr);
    EXPECT_FALSE(error.empty());
}

TEST_F(UserWaitCommand, OkAndYesGoOnCancelAndNoStopTheRun) {
    std::string error;
    Answer(kIdOk);
    ASSERT_EQ(Run({CCommandUserWait::Create(error, "MB_OK", "Ready?")}), 1) << runError;
    EXPECT_EQ(log.Text(), "\nReady?<OK>\n");
    EXPECT_EQ(shown, std::vector<std::string>{"Ready?"});
    EXPECT_EQ(types, std::vector<unsigned>{kMbOk});
    EXPECT_EQ(status.texts[0], "Waiting for user...");

    Answer(kIdYes);
    EXPECT_EQ(Run({CCommandUserWait::Create(error, "MB_YESNO", "Go on?")}), 1);

    Answer(kIdCancel);
    EXPECT_EQ(Run({CCommandUserWait::Create(error, "MB_OKCANCEL", "Ready?")}), 0);
    EXPECT_EQ(runError, "User chose <Cancel>");

    Answer(kIdNo);
    EXPECT_EQ(Run({CCommandUserWait::Create(error, "MB_YESNO", "")}), 0);
    EXPECT_EQ(runError, "User chose <No>");
    EXPECT_EQ(shown.back(), "");
    EXPECT_NE(log.Text().find("<No>"), std::string::npos);

    Answer(99);
    EXPECT_EQ(Run({CCommandUserWait::Create(error, "MB_OK", "?")}), 0);
    EXPECT_EQ(runError, "User chose <Unknown>");
}

}  // namespace
}  // namespace kv::testing
