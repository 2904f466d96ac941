#include <gtest/gtest.h>

#include "errorhandling/messages.h"
#include "platform/services.h"
#include "support/recording_services.h"

namespace qv::errorhandling {
namespace {

TEST(MessageText, ArgumentsReplaceEveryOccurrence) {
    EXPECT_EQ(MessageText(1, {"Form_Load"}),
              "Standard Error Handling should not be added to Form_Load.");
    EXPECT_EQ(MessageText(2, {"unused"}), "Error handling is already in this procedure!");
    // A value that itself holds "%1" is not substituted again.
    EXPECT_EQ(MessageText(1, {"A%1"}), "Standard Error Handling should not be added to A%1.");
}

TEST(MyMsgBox, IconAndModalFlags) {
    test::RecordingServices services;
    services.answer = mb::kAnswerYes;
    EXPECT_EQ(MyMsgBox(5, 292, false), mb::kAnswerYes);
    EXPECT_EQ(MyMsgBox(4, 0, true), mb::kAnswerYes);
    MyMsgBox(7, mb::kInformation, false);
    MyMsgBox(8, mb::kCritical, false);
    MyMsgBox(9, mb::kYesNo, false);
    ASSERT_EQ(services.messages.size(), 5u);

    // Yes/No, question icon, second button default: only the modal flag is added.
    EXPECT_EQ(services.messages[0].buttons, 292 + mb::kSystemModal);
    EXPECT_EQ(services.messages[0].prompt, "Are you sure?\r\n\r\nThe procedures will be deleted.");
    EXPECT_FALSE(services.messages[0].atCursor);
    // No icon given: the exclamation icon.
    EXPECT_EQ(services.messages[1].buttons, mb::kExclamation + mb::kSystemModal);
    EXPECT_EQ(services.messages[1].prompt, "A read-only module cannot be updated.");
    EXPECT_TRUE(services.messages[1].atCursor);
    EXPECT_EQ(services.messages[2].buttons, mb::kInformation + mb::kSystemModal);
    EXPECT_EQ(services.messages[3].buttons, mb::kCritical + mb::kSystemModal);
    EXPECT_EQ(services.messages[4].buttons, mb::kYesNo + mb::kExclamation + mb::kSystemModal);
    for (const auto& m : services.messages) EXPECT_EQ(m.title, "Brell's Add-In");
}

TEST(MyMsgBox, UnknownNumberShowsAnEmptyMessageWithTheTitle) {
    test::RecordingServices services;
    MyMsgBox(42, 0, false);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].prompt, "");
    EXPECT_EQ(services.messages[0].title, "Brell's Add-In");
}

TEST(MyMsgBox, MessageOneShowsItsPlaceholderUnsubstituted) {
    test::RecordingServices services;
    MyMsgBox(1, 0, false);
    EXPECT_EQ(services.messages.at(0).prompt,
              "Standard Error Handling should not be added to %1.");
}

}  // namespace
}  // namespace qv::errorhandling
