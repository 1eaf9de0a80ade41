// The scripted Ui must behave like the real dialog host where operations can see it: a field
// gives at most its characters, a preset stays unless typed over, and every deviation from
// the script is reported instead of passing silently.
#include <gtest/gtest.h>

#include "ui/ScriptedUi.h"

namespace {

const ui::EntryDialog kEntry{"ENTRY", {{1, 5, 0, ""}, {2, 3, 3, "1"}}, 10, 11, 12, {"x.hlp", 20}};

TEST(TakeField, FirstCharactersOnly) {
  EXPECT_EQ(ui::TakeField("ABCDEFG", 5), "ABCDE");
  EXPECT_EQ(ui::TakeField("AB", 5), "AB");
  EXPECT_EQ(ui::TakeField("", 5), "");
  EXPECT_EQ(ui::TakeField("ABC", 0), "");
}

TEST(ScriptedUi, EntryCutsToTheLimitsAndKeepsPresets) {
  ui::ScriptedUi fake;
  fake.Enter("ENTRY", {"ABCDEFG"}).Enter("ENTRY", {"AB", "12345"});
  ui::Ui& port = fake;
  EXPECT_EQ(port.RunEntry(kEntry), (std::vector<std::string>{"ABCDE", "1"}));
  EXPECT_EQ(port.RunEntry(kEntry), (std::vector<std::string>{"AB", "123"}));
  EXPECT_TRUE(fake.Problems().empty());
  ASSERT_EQ(fake.Events().size(), 2u);
  EXPECT_EQ(fake.Events()[0].entry.help.context, 20u);
}

TEST(ScriptedUi, CancelConfirmAndDismiss) {
  ui::ScriptedUi fake;
  fake.Cancel("ENTRY").Confirm("WARN").Cancel("WARN").Dismiss("WARN").Dismiss("ENTRY");
  EXPECT_FALSE(fake.RunEntry(kEntry).has_value());
  EXPECT_EQ(fake.RunConfirm({"WARN", 1, 2}), ui::Answer::kOk);
  EXPECT_EQ(fake.RunConfirm({"WARN", 1, 2}), ui::Answer::kCancel);
  EXPECT_EQ(fake.RunConfirm({"WARN", 1, 2}), ui::Answer::kNone);
  EXPECT_FALSE(fake.RunEntry(kEntry).has_value());
  EXPECT_EQ(fake.DialogNames(),
            (std::vector<std::string>{"ENTRY", "WARN", "WARN", "WARN", "ENTRY"}));
  EXPECT_TRUE(fake.Problems().empty());
}

TEST(ScriptedUi, OkOnlyBoxesNeedNoStepButChoicesDo) {
  ui::ScriptedUi fake;
  fake.Answer(ui::Answer::kYes);
  EXPECT_EQ(fake.ShowMessage({"T", "done", ui::Icon::kInformation, ui::Buttons::kOk}),
            ui::Answer::kOk);
  EXPECT_EQ(fake.ShowMessage({"T", "sure?", ui::Icon::kQuestion, ui::Buttons::kYesNo}),
            ui::Answer::kYes);
  EXPECT_EQ(fake.MessageTexts(), (std::vector<std::string>{"done", "sure?"}));
  EXPECT_EQ(fake.Events()[1].message.icon, ui::Icon::kQuestion);
  EXPECT_TRUE(fake.Problems().empty());
}

TEST(ScriptedUi, ReportsUnscriptedWrongAndUnusedSteps) {
  ui::ScriptedUi fake;
  // Unscripted entry dialog: cancelled, so a re-prompting loop ends.
  EXPECT_FALSE(fake.RunEntry(kEntry).has_value());
  // Unscripted choice: the negative answer.
  EXPECT_EQ(fake.ShowMessage({"T", "q", ui::Icon::kQuestion, ui::Buttons::kOkCancel}),
            ui::Answer::kCancel);
  fake.Enter("OTHER", {"x"});
  EXPECT_FALSE(fake.RunEntry(kEntry).has_value());  // a different dialog than scripted
  fake.Confirm("WARN");
  EXPECT_EQ(fake.Problems().size(), 4u);  // two unscripted, one wrong dialog, one never asked
}

}  // namespace
