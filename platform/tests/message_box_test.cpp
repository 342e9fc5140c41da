#include <gtest/gtest.h>

#include "kelvane/platform/message_box.h"

namespace {

TEST(MessageBox, HandlerSeesTextCaptionAndType) {
    std::string seen;
    auto previous = kv::setMessageBoxHandler(
        [&](const std::string& text, const std::string& caption, unsigned type) {
            seen = caption + "|" + text + "|" + std::to_string(type);
            return kv::kIdNo;
        });
    EXPECT_EQ(kv::messageBox("Erase?", "Kelvane", kv::kMbYesNo | kv::kMbIconQuestion), kv::kIdNo);
    EXPECT_EQ(seen, "Kelvane|Erase?|36");
    kv::setMessageBoxHandler(previous);
}

TEST(MessageBox, DefaultAnswersOkOrYes) {
    EXPECT_EQ(kv::defaultAnswer(kv::kMbOk | kv::kMbIconError), kv::kIdOk);
    EXPECT_EQ(kv::defaultAnswer(kv::kMbYesNo), kv::kIdYes);
    EXPECT_EQ(kv::defaultAnswer(kv::kMbYesNoCancel), kv::kIdYes);
    EXPECT_EQ(kv::defaultAnswer(kv::kMbOkCancel), kv::kIdOk);
}

TEST(MessageBox, SecondButtonAsDefaultAnswersNoOrCancel) {
    EXPECT_EQ(kv::defaultAnswer(kv::kMbYesNo | kv::kMbDefButton2), kv::kIdNo);
    EXPECT_EQ(kv::defaultAnswer(kv::kMbYesNoCancel | kv::kMbDefButton2), kv::kIdNo);
    EXPECT_EQ(kv::defaultAnswer(kv::kMbOkCancel | kv::kMbDefButton2), kv::kIdCancel);
    EXPECT_EQ(kv::defaultAnswer(kv::kMbOk | kv::kMbDefButton2), kv::kIdOk);
}

}  // namespace
