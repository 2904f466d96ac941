#include <gtest/gtest.h>

#include "errorhandling/messages.h"
#include "platform/services.h"
#include "support/recording_services.h"

namespace qv::errorhandling {
namespace {

TEST(MessageText, EveryNumberedText) {
    EXPECT_EQ(MessageText(1), "Standard Error Handling should not be added to %1.");
    EXPECT_EQ(MessageText(2), "Error handling is already in this procedure!");
    EXPECT_EQ(MessageText(3), "Some Error handling may exist in this procedure: remove it first.");
    EXPECT_EQ(MessageText(4), "A read-only module cannot be updated.");
    EXPECT_EQ(MessageText(5), "Are you sure?\r\n\r\nThe procedures will be deleted.");
    EXPECT_EQ(MessageText(6),
              "Are you sure?\r\n\r\nExisting error handing will be deleted!\r\n\r\n"
              "If you want to retain existing error handling then you should change the label "
              "names from Error_Routine and Exit_Routine.");
    EXPECT_EQ(MessageText(7), "Select a procedure first.");
    EXPECT_EQ(MessageText(8), "Select a module first.");
    EXPECT_EQ(MessageText(9), "Select a project first.");
}

TEST(MessageText, UnknownNumbersAreEmpty) {
    EXPECT_EQ(MessageText(0), "");
    EXPECT_EQ(MessageText(10), "");
    EXPECT_EQ(MessageText(-1, {"x"}), "");
}

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
