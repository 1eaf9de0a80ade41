// The operations of WNTDLD42 against the scripted Ui and the recording PIN library: the forms
// they show, the arguments they pass, the messages and responses they give.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "tests/ui/TypedTexts.h"
#include "ui/ScriptedUi.h"
#include "wntdld42/Dialogs.h"
#include "wntdld42/FakePinApi.h"
#include "wntdld42/ModeForm.h"
#include "wntdld42/Operations.h"
#include "wntdld42/Texts.h"
#include "wntdld42/WNTDLD42.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using ui::After;
using ui::ScriptedUi;
using wntdld42::Mode;
using wntdld42::Status;

constexpr wntdld42::Handle kHandle = 0x42000007;

class Operations : public ::testing::Test {
 protected:
  Operations() { program.handle = kHandle; }
  void TearDown() override {
    EXPECT_EQ(ui.Problems(), std::vector<std::string>{});
    for (const ScriptedUi::Event& e : ui.Events()) {
      if (e.kind == ScriptedUi::Event::Kind::kMessage) {
        EXPECT_EQ(e.message.caption, "QRT 8342 Download Program");
        EXPECT_EQ(e.message.buttons, ui::Buttons::kOk);
      }
    }
    for (const wntdld42::PinCall& c : api.calls) EXPECT_EQ(c.handle, kHandle) << c.function;
  }
  After Run(int command) { return wntdld42::RunCommand(program, command); }
  // The only message box shown: its text and icon.
  std::pair<std::string, ui::Icon> OnlyMessage() {
    std::vector<std::pair<std::string, ui::Icon>> shown;
    for (const ScriptedUi::Event& e : ui.Events())
      if (e.kind == ScriptedUi::Event::Kind::kMessage)
        shown.emplace_back(e.message.text, e.message.icon);
    EXPECT_EQ(shown.size(), 1u);
    return shown.empty() ? std::pair<std::string, ui::Icon>{} : shown[0];
  }
  const ScriptedUi::Event* Last(ScriptedUi::Event::Kind kind) {
    const ScriptedUi::Event* found = nullptr;
    for (const ScriptedUi::Event& e : ui.Events())
      if (e.kind == kind) found = &e;
    return found;
  }

  wntdld42::FakePinApi api;
  ScriptedUi ui;
  wntdld42::ScriptedModeForm modeForm;
  wntdld42::Program program{api, ui, modeForm};
};

// ---------------------------------------------------------------- master keys

struct LoadCase {
  int command;
  const char* form;
  std::uint16_t keyType;
  int field, ok, cancel, help;
  unsigned context;
  std::size_t digits;
};
const LoadCase kLoads[] = {
    {200, "LD8MKN", 0x10, 800, 801, 802, 803, 20, 16},
    {201, "LD8MKE", 0x11, 806, 807, 808, 809, 30, 16},
    {202, "LD16MKN", 0x00, 804, 805, 806, 807, 40, 32},
    {203, "LD16MKE", 0x01, 800, 801, 802, 803, 50, 32},
};

TEST_F(Operations, EachMasterKeyLoadShowsItsFormSendsItsKeyTypeAndShowsTheResponse) {
  for (const LoadCase& c : kLoads) {
    SCOPED_TRACE(c.form);
    api.calls.clear();
    std::string key = std::string("0123456789abcdef0123456789ABCDEF").substr(0, c.digits);
    ui.Enter(c.form, {key});
    EXPECT_EQ(Run(c.command), After::kNothing);
    const auto* entry = Last(ScriptedUi::Event::Kind::kEntry);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->entry.name, c.form);
    ASSERT_EQ(entry->entry.fields.size(), 1u);
    EXPECT_EQ(entry->entry.fields[0].id, c.field);
    EXPECT_EQ(entry->entry.fields[0].take, c.digits);
    EXPECT_EQ(entry->entry.fields[0].preset, "");
    EXPECT_EQ(entry->entry.okId, c.ok);
    EXPECT_EQ(entry->entry.cancelId, c.cancel);
    EXPECT_EQ(entry->entry.helpId, c.help);
    EXPECT_EQ(entry->entry.help.file, "wntdld42.hlp");
    EXPECT_EQ(entry->entry.help.context, c.context);
    ASSERT_EQ(api.Functions(), std::vector<std::string>{"PinLoadMasterKey"});
    EXPECT_EQ(api.calls[0].a, c.keyType);
    Bytes expected = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    if (c.digits == 32) expected.insert(expected.end(), expected.begin(), expected.end());
    EXPECT_EQ(api.calls[0].data, expected);
    EXPECT_EQ(api.calls[0].outputBefore, Bytes(8, 0));
    const auto* result = Last(ScriptedUi::Event::Kind::kResult);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->name, "RETLSNB");
    EXPECT_EQ(result->fields,
              (std::vector<std::pair<int, std::string>>{{804, "C1 C2 C3 C4 C5 C6 C7 C8 "}}));
  }
  EXPECT_TRUE(ui.MessageTexts().empty());
}

TEST_F(Operations, SeventeenCharactersInAnEightByteKeyFieldUseTheFirstSixteen) {
  ui.Enter("LD8MKN", {"11223344556677889"});
  Run(200);
  ASSERT_EQ(api.calls.size(), 1u);
  EXPECT_EQ(api.calls[0].data, (Bytes{0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}));
}

struct EntryCase {
  int command;
  const char* form;
  std::uint16_t keyType;
  int ok, cancel, help;
  unsigned context;
};
const EntryCase kEntries[] = {
    {205, "ED8MKS", 0x10, 900, 901, 902, 60},
    {206, "ED8MKD", 0x11, 905, 906, 907, 70},
    {207, "ED16MKS", 0x00, 908, 909, 910, 80},
    {208, "ED16MKD", 0x01, 911, 912, 913, 90},
};

TEST_F(Operations, EachMasterKeyEntryStartsTheEntryAtThePadAndShowsTheResponse) {
  api.response = {0, 0, 0, 0, 0, 0, 0, 0};
  for (const EntryCase& c : kEntries) {
    SCOPED_TRACE(c.form);
    api.calls.clear();
    ui.Enter(c.form, {});
    EXPECT_EQ(Run(c.command), After::kNothing);
    const auto* entry = Last(ScriptedUi::Event::Kind::kEntry);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->entry.name, c.form);
    EXPECT_TRUE(entry->entry.fields.empty());
    EXPECT_EQ(entry->entry.okId, c.ok);
    EXPECT_EQ(entry->entry.cancelId, c.cancel);
    EXPECT_EQ(entry->entry.helpId, c.help);
    EXPECT_EQ(entry->entry.help.context, c.context);
    ASSERT_EQ(api.Functions(), std::vector<std::string>{"PinEnterMasterKey"});
    EXPECT_EQ(api.calls[0].a, c.keyType);
    EXPECT_EQ(api.calls[0].outputBefore, Bytes(8, 0));
    const auto* result = Last(ScriptedUi::Event::Kind::kResult);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->name, "RETESNB");
    EXPECT_EQ(result->fields,
              (std::vector<std::pair<int, std::string>>{{903, "00 00 00 00 00 00 00 00 "}}));
  }
}

// ---------------------------------------------------------------- CANCEL and errors

TEST_F(Operations, CancelOnAnyFormMakesNoCallAndShowsNothing) {
  const std::pair<int, const char*> forms[] = {
      {200, "LD8MKN"}, {201, "LD8MKE"}, {202, "LD16MKN"}, {203, "LD16MKE"},
      {205, "ED8MKS"}, {206, "ED8MKD"}, {207, "ED16MKS"}, {208, "ED16MKD"},
      {204, "LDENCK"}, {101, "LDICV"},  {102, "LDVERP"},
  };
  for (auto [command, form] : forms) {
    ui.Cancel(form);
    EXPECT_EQ(Run(command), After::kNothing) << form;
  }
  EXPECT_TRUE(api.calls.empty());
  EXPECT_TRUE(ui.MessageTexts().empty());
  EXPECT_EQ(Last(ScriptedUi::Event::Kind::kResult), nullptr);
}

struct ErrorCase {
  int command;
  const char* form;  // nullptr: no entry form
  std::vector<std::string> typed;
  const char* function;
  const char* message;
};

TEST_F(Operations, ANonZeroCodeGivesTheOperationsErrorWithTheCodeInDecimal) {
  const std::string key16 = "00112233445566778899AABBCCDDEEFF";
  const ErrorCase cases[] = {
      {200, "LD8MKN", {key16.substr(0, 16)}, "PinLoadMasterKey", "Load master key error: rc "},
      {203, "LD16MKE", {key16}, "PinLoadMasterKey", "Load master key error: rc "},
      {206, "ED8MKD", {}, "PinEnterMasterKey", "Enter master key error: rc "},
      {204,
       "LDENCK",
       {key16.substr(0, 16), "07", "00"},
       "PinLoadKey",
       "Load encryption key error: rc "},
      {101, "LDICV", {key16.substr(0, 16), "01"}, "PinLoadICV", "Load icv error: rc "},
      {102, "LDVERP", {"4", key16}, "PinLoadVerifParms", "Load verification parameters error: rc "},
      {104, nullptr, {}, "PinReadSN", "Read serial number error: rc "},
      {105, nullptr, {}, "PinExecDevDiag", "Read hardware version error: rc "},
  };
  for (Status code : {Status{65535}, Status{1}, Status{87}}) {
    for (const ErrorCase& c : cases) {
      SCOPED_TRACE(std::string(c.function) + " " + std::to_string(code));
      ScriptedUi fresh;
      wntdld42::Program p{api, fresh, modeForm};
      p.handle = kHandle;
      if (c.form) fresh.Enter(c.form, c.typed);
      api.Script(c.function, code);
      wntdld42::RunCommand(p, c.command);
      EXPECT_EQ(fresh.MessageTexts(), std::vector<std::string>{c.message + std::to_string(code)});
      ASSERT_FALSE(fresh.Events().empty());
      EXPECT_EQ(fresh.Events().back().message.icon, ui::Icon::kError);
      EXPECT_EQ(fresh.Events().back().message.caption, "QRT 8342 Download Program");
      for (const ScriptedUi::Event& e : fresh.Events())  // no response form
        EXPECT_NE(e.kind, ScriptedUi::Event::Kind::kResult);
      EXPECT_EQ(fresh.Problems(), std::vector<std::string>{});
    }
  }
}

// ---------------------------------------------------------------- encryption key

TEST_F(Operations, EncryptionKeyGoesWithItsKeyIdAndVariantAndShowsRetksnb) {
  ui.Enter("LDENCK", {"0011223344556677", "07", "ab"});
  Run(204);
  const auto* entry = Last(ScriptedUi::Event::Kind::kEntry);
  ASSERT_NE(entry, nullptr);
  ASSERT_EQ(entry->entry.fields.size(), 3u);
  EXPECT_EQ(entry->entry.fields[0].id, 1000);
  EXPECT_EQ(entry->entry.fields[0].take, 16u);
  EXPECT_EQ(entry->entry.fields[1].id, 1001);
  EXPECT_EQ(entry->entry.fields[1].take, 2u);
  EXPECT_EQ(entry->entry.fields[2].id, 1002);
  EXPECT_EQ(entry->entry.fields[2].take, 2u);
  EXPECT_EQ(entry->entry.okId, 1003);
  EXPECT_EQ(entry->entry.cancelId, 1004);
  EXPECT_EQ(entry->entry.helpId, 1005);
  EXPECT_EQ(entry->entry.help.context, 100u);
  ASSERT_EQ(api.Functions(), std::vector<std::string>{"PinLoadKey"});
  EXPECT_EQ(api.calls[0].a, 0x07);
  EXPECT_EQ(api.calls[0].b, 0xAB);
  EXPECT_EQ(api.calls[0].data, (Bytes{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77}));
  const auto* result = Last(ScriptedUi::Event::Kind::kResult);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->name, "RETKSNB");
  EXPECT_EQ(result->fields,
            (std::vector<std::pair<int, std::string>>{{1006, "C1 C2 C3 C4 C5 C6 C7 C8 "}}));
}

// Entries that would send other bytes than the ones typed are refused: nothing is sent.
TEST_F(Operations, ShortOrBrokenKeyEntriesAreRefusedWithNothingSent) {
  const std::string k16 = "0123456789ABCDEF", k32 = k16 + k16;
  const ErrorCase cases[] = {
      {200,
       "LD8MKN",
       {"0123456789ABCDE"},
       "",
       "Load master key error: the key must be 16 hexadecimal digits."},
      {201,
       "LD8MKE",
       {"01234567 9ABCDEF"},
       "",
       "Load master key error: the key must be 16 hexadecimal digits."},
      {201, "LD8MKE", {""}, "", "Load master key error: the key must be 16 hexadecimal digits."},
      {202, "LD16MKN", {k16}, "", "Load master key error: the key must be 32 hexadecimal digits."},
      {203,
       "LD16MKE",
       {k16 + "0123456789ABCDEG"},
       "",
       "Load master key error: the key must be 32 hexadecimal digits."},
      {204,
       "LDENCK",
       {"0123456789ABCD", "07", "00"},
       "",
       "Load encryption key error: the key must be 16 hexadecimal digits."},
      {204,
       "LDENCK",
       {k16, "7", "00"},
       "",
       "Load encryption key error: the key ID must be 2 hexadecimal digits."},
      {204,
       "LDENCK",
       {k16, "", "00"},
       "",
       "Load encryption key error: the key ID must be 2 hexadecimal digits."},
      {204,
       "LDENCK",
       {k16, "0x", "00"},
       "",
       "Load encryption key error: the key ID must be 2 hexadecimal digits."},
      {204,
       "LDENCK",
       {k16, "07", "7"},
       "",
       "Load encryption key error: the variant descriptor must be 2 hexadecimal digits."},
      {204,
       "LDENCK",
       {k16, "07", " 7"},
       "",
       "Load encryption key error: the variant descriptor must be 2 hexadecimal digits."},
      {101, "LDICV", {"0123", "00"}, "", "Load icv error: the ICV must be 16 hexadecimal digits."},
      {101,
       "LDICV",
       {k16, "5"},
       "",
       "Load icv error: the variant descriptor must be 2 hexadecimal digits."},
      {101,
       "LDICV",
       {k16, ""},
       "",
       "Load icv error: the variant descriptor must be 2 hexadecimal digits."},
      {102,
       "LDVERP",
       {"4", k16},
       "",
       "Load verification parameters error: the decimalization table must be 32 hexadecimal "
       "digits."},
      {102,
       "LDVERP",
       {"4", k16 + "0123456789ABCDE-"},
       "",
       "Load verification parameters error: the decimalization table must be 32 hexadecimal "
       "digits."},
      {102, "LDVERP", {"", k32}, "", "Parameters may not contain blanks"},
      {102, "LDVERP", {" ", k32}, "", "Parameters may not contain blanks"},
      {102,
       "LDVERP",
       {"g", k32},
       "",
       "Load verification parameters error: the PIN length must be one hexadecimal digit."},
      {102,
       "LDVERP",
       {"-", k32},
       "",
       "Load verification parameters error: the PIN length must be one hexadecimal digit."},
      {102, "LDVERP", {"", ""}, "", "Parameters may not contain blanks"},  // the length first
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.message);
    ScriptedUi fresh;
    wntdld42::Program p{api, fresh, modeForm};
    p.handle = kHandle;
    fresh.Enter(c.form, c.typed);
    wntdld42::RunCommand(p, c.command);
    EXPECT_EQ(fresh.MessageTexts(), std::vector<std::string>{c.message});
    ASSERT_FALSE(fresh.Events().empty());
    EXPECT_EQ(fresh.Events().back().message.icon, ui::Icon::kError);
    EXPECT_EQ(fresh.Problems(), std::vector<std::string>{});
  }
  EXPECT_TRUE(api.calls.empty()) << api.Functions().front();
}

// A Ui that, when the outcome is shown, looks at the bytes the last library call was given,
// while the operation that owns them still runs.
class KeyWatchingUi : public ScriptedUi {
 public:
  explicit KeyWatchingUi(wntdld42::FakePinApi& api) : api_(api) {}
  void ShowResult(const ui::ResultDialog& dialog) override {
    Look();
    ScriptedUi::ShowResult(dialog);
  }
  ui::Answer ShowMessage(const ui::Message& message) override {
    Look();
    return ScriptedUi::ShowMessage(message);
  }
  std::vector<Bytes> seen;

 private:
  void Look() {
    const wntdld42::PinCall& call = api_.calls.back();
    seen.emplace_back(call.dataAt, call.dataAt + call.data.size());
  }
  wntdld42::FakePinApi& api_;
};

TEST_F(Operations, KeyMaterialIsWipedAsSoonAsTheCallReturned) {
  const std::string k16 = "0123456789ABCDEF";
  const std::pair<int, std::pair<const char*, std::vector<std::string>>> cases[] = {
      {200, {"LD8MKN", {k16}}},
      {203, {"LD16MKE", {k16 + k16}}},
      {204, {"LDENCK", {k16, "01", "02"}}},
      {101, {"LDICV", {k16, "03"}}},
      {102, {"LDVERP", {"4", k16 + k16}}},
  };
  for (const auto& [command, form] : cases) {
    SCOPED_TRACE(form.first);
    KeyWatchingUi watching(api);
    wntdld42::Program p{api, watching, modeForm};
    p.handle = kHandle;
    watching.Enter(form.first, form.second);
    wntdld42::RunCommand(p, command);
    ASSERT_EQ(watching.seen.size(), 1u);
    EXPECT_NE(api.calls.back().data, Bytes(api.calls.back().data.size(), 0));  // it was sent
    EXPECT_EQ(watching.seen[0], Bytes(api.calls.back().data.size(), 0));       // and is gone
  }
}

// ---------------------------------------------------------------- ICV and verification

TEST_F(Operations, IcvGoesWithItsVariantAndSaysSoWithoutAnIcon) {
  ui.Enter("LDICV", {"fedcba9876543210", "07"});
  Run(101);
  const auto* entry = Last(ScriptedUi::Event::Kind::kEntry);
  ASSERT_NE(entry, nullptr);
  ASSERT_EQ(entry->entry.fields.size(), 2u);
  EXPECT_EQ(entry->entry.fields[0].id, 700);
  EXPECT_EQ(entry->entry.fields[0].take, 16u);
  EXPECT_EQ(entry->entry.fields[1].id, 701);
  EXPECT_EQ(entry->entry.fields[1].take, 2u);
  EXPECT_EQ(entry->entry.okId, 702);
  EXPECT_EQ(entry->entry.cancelId, 703);
  EXPECT_EQ(entry->entry.helpId, 704);
  EXPECT_EQ(entry->entry.help.context, 110u);
  ASSERT_EQ(api.Functions(), std::vector<std::string>{"PinLoadICV"});
  EXPECT_EQ(api.calls[0].a, 0x07);
  EXPECT_EQ(api.calls[0].data, (Bytes{0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10}));
  EXPECT_EQ(OnlyMessage(),
            std::make_pair(std::string("Load icv completed successfully."), ui::Icon::kNone));
}

TEST_F(Operations, PinLengthIsTheValueOfItsOneDigit) {
  const std::pair<const char*, std::uint16_t> cases[] = {{"a", 0x0A},  {"A", 0x0A}, {"0", 0x00},
                                                         {"12", 0x01}, {"F", 0x0F}, {"9", 0x09}};
  const std::string table = "0123456789012345abcdefABCDEF0000";
  for (auto [typed, length] : cases) {
    SCOPED_TRACE(typed);
    api.calls.clear();
    ScriptedUi fresh;
    wntdld42::Program p{api, fresh, modeForm};
    p.handle = kHandle;
    fresh.Enter("LDVERP", {typed, table});
    wntdld42::RunCommand(p, 102);
    ASSERT_EQ(api.Functions(), std::vector<std::string>{"PinLoadVerifParms"});
    EXPECT_EQ(api.calls[0].a, length);
    EXPECT_EQ(api.calls[0].data, (Bytes{0x01, 0x23, 0x45, 0x67, 0x89, 0x01, 0x23, 0x45, 0xAB, 0xCD,
                                        0xEF, 0xAB, 0xCD, 0xEF, 0x00, 0x00}));
    EXPECT_EQ(fresh.MessageTexts(),
              std::vector<std::string>{"Load verification parameters completed successfully."});
    EXPECT_EQ(fresh.Events().back().message.icon, ui::Icon::kNone);
    const auto& form = fresh.Events().front().entry;
    EXPECT_EQ(form.fields.at(0).id, 300);
    EXPECT_EQ(form.fields.at(0).take, 1u);
    EXPECT_EQ(form.fields.at(1).id, 301);
    EXPECT_EQ(form.fields.at(1).take, 32u);
    EXPECT_EQ(form.okId, 302);
    EXPECT_EQ(form.cancelId, 303);
    EXPECT_EQ(form.helpId, 304);
    EXPECT_EQ(form.help.context, 120u);
  }
}

// ---------------------------------------------------------------- set mode

TEST_F(Operations, SetModeClearGoesAtOnceAndIsMarkedNextTime) {
  modeForm.clicks.push_back({Mode::kClear});
  Run(103);
  EXPECT_EQ(api.Functions(), std::vector<std::string>{"PinSetModeClr"});
  EXPECT_EQ(OnlyMessage(),
            std::make_pair(std::string("Set Clear Mode completed successfully."), ui::Icon::kNone));
  EXPECT_TRUE(ui.DialogNames().empty());  // no warning
  Run(103);                               // OK without a click: the selection stays clear
  EXPECT_EQ(modeForm.shownWith, (std::vector<Mode>{Mode::kEncrypted, Mode::kClear}));
  EXPECT_EQ(api.Functions(), (std::vector<std::string>{"PinSetModeClr", "PinSetModeClr"}));
}

TEST_F(Operations, SetModeEncryptedWarnsFirstAndCancelKeepsTheSelection) {
  ui.Cancel("SETMDW");
  Run(103);  // opens encrypted, OK at once
  EXPECT_TRUE(api.calls.empty());
  EXPECT_TRUE(ui.MessageTexts().empty());
  modeForm.clicks.push_back({Mode::kClear});
  ui.Confirm("SETMDW");
  modeForm.clicks.push_back({Mode::kClear, Mode::kEncrypted});  // the last click counts
  Run(103);
  Run(103);
  EXPECT_EQ(modeForm.shownWith,
            (std::vector<Mode>{Mode::kEncrypted, Mode::kEncrypted, Mode::kClear}));
  EXPECT_EQ(api.Functions(), (std::vector<std::string>{"PinSetModeClr", "PinSetModeEnc"}));
  EXPECT_EQ(ui.MessageTexts(),
            (std::vector<std::string>{"Set Clear Mode completed successfully.",
                                      "Set Encrypted Mode completed successfully."}));
  EXPECT_EQ(ui.DialogNames(), (std::vector<std::string>{"SETMDW", "SETMDW"}));
  const auto* confirm = Last(ScriptedUi::Event::Kind::kConfirm);
  ASSERT_NE(confirm, nullptr);
}

TEST_F(Operations, AFormOrWarningThatEndsWithoutItsButtonsSendsNothing) {
  modeForm.clicks.push_back({Mode::kClear});
  modeForm.dies = true;  // the form dies with the main window, "NonEncrypted" marked
  Run(103);
  modeForm.dies = false;
  modeForm.clicks.push_back({Mode::kEncrypted});
  ui.Dismiss("SETMDW");
  Run(103);
  EXPECT_TRUE(api.calls.empty());
  EXPECT_TRUE(ui.MessageTexts().empty());
}

TEST_F(Operations, SetModeErrorsNameTheCode) {
  modeForm.clicks.push_back({Mode::kClear});
  api.Script("PinSetModeClr", 65535);
  Run(103);
  ui.Confirm("SETMDW");
  modeForm.clicks.push_back({Mode::kEncrypted});
  api.Script("PinSetModeEnc", 12);
  Run(103);
  EXPECT_EQ(ui.MessageTexts(),
            (std::vector<std::string>{"Set Mode error: rc 65535", "Set Mode error: rc 12"}));
  EXPECT_EQ(ui.Events().back().message.icon, ui::Icon::kError);
  EXPECT_EQ(program.mode, Mode::kEncrypted);  // a failed call does not undo the choice
}

// ---------------------------------------------------------------- identification

TEST_F(Operations, SerialNumberShowsEightGroups) {
  Run(104);
  ASSERT_EQ(api.Functions(), std::vector<std::string>{"PinReadSN"});
  EXPECT_EQ(api.calls[0].outputBefore, Bytes(8, 0));
  const auto* result = Last(ScriptedUi::Event::Kind::kResult);
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->name, "DEVSN");
  EXPECT_EQ(result->fields,
            (std::vector<std::pair<int, std::string>>{{500, "00 01 02 03 04 05 06 07 "}}));
}

TEST_F(Operations, HardwareVersionIsCutAtItsZeroAndToFourteen) {
  const std::pair<std::string, std::string> cases[] = {
      {"ABCDEFGHIJKLMNOPQRST", "ABCDEFGHIJKLMN"}, {"HW 5", "HW 5"}, {"12345", "12345"}, {"", ""},
      {"14 CHARACTERS.", "14 CHARACTERS."},
  };
  for (const auto& [text, shown] : cases) {
    api.calls.clear();
    api.HardwareVersion(text);
    ScriptedUi fresh;
    wntdld42::Program p{api, fresh, modeForm};
    p.handle = kHandle;
    wntdld42::RunCommand(p, 105);
    ASSERT_EQ(api.Functions(), std::vector<std::string>{"PinExecDevDiag"});
    EXPECT_EQ(api.calls[0].a, 3);
    EXPECT_EQ(api.calls[0].outputBefore, Bytes(32, 0));
    ASSERT_EQ(fresh.DialogNames(), std::vector<std::string>{"DEVHV"});
    EXPECT_EQ(fresh.Events()[0].fields, (std::vector<std::pair<int, std::string>>{{400, shown}}))
        << text;
  }
}

TEST(HardwareVersionText, ABufferWithoutAZeroByteIsReadNoFurtherThanItsEnd) {
  std::uint8_t full[32];
  std::fill(std::begin(full), std::end(full), 'X');
  EXPECT_EQ(wntdld42::HardwareVersionText(full, 32), std::string(14, 'X'));
  std::uint8_t shortText[4] = {'A', 'B', 0, 'C'};
  EXPECT_EQ(wntdld42::HardwareVersionText(shortText, 4), "AB");
}

// ---------------------------------------------------------------- bad input in every field

// The one library call an operation must make for the texts as its form takes them.
struct Sent {
  std::string function;
  std::uint16_t a = 0, b = 0;
  Bytes data;
  bool operator==(const Sent&) const = default;
};
void PrintTo(const Sent& s, std::ostream* os) {
  *os << s.function << " a=" << s.a << " b=" << s.b << " data=" << ::testing::PrintToString(s.data);
}

// An operation whose form is fed the table of typed texts one field at a time, the others
// valid: the call it must make, or nothing and the message it refuses field i's text with.
struct BadInputCase {
  ui::EntryDialog dialog;
  std::vector<std::string> valid;
  std::function<void(wntdld42::Program&)> run;
  std::function<std::optional<Sent>(const std::vector<std::string>&)> sent;
  std::function<std::string(std::size_t i, const std::string& taken)> refusal;
};

std::optional<Sent> Meaning(const char* function, std::uint16_t a, std::uint16_t b,
                            const std::string& text, std::size_t bytes) {
  std::optional<Bytes> data = uitest::HexMeaning(text, bytes);
  if (!data) return std::nullopt;
  return Sent{function, a, b, *data};
}

// A one-byte field: the byte its two digits mean.
std::optional<std::uint16_t> ByteMeaning(const std::string& text) {
  std::optional<Bytes> b = uitest::HexMeaning(text, 1);
  if (!b) return std::nullopt;
  return (*b)[0];
}

TEST(BadInput, EveryFieldEitherRefusesOrSendsExactlyWhatWasTyped) {
  std::vector<BadInputCase> cases;
  for (const wntdld42::MasterKeyLoad& v : wntdld42::kMasterKeyLoads) {
    cases.push_back({wntdld42::MasterKeyLoadDialog(v),
                     {uitest::Digits(v.digits)},
                     [&v](wntdld42::Program& p) { wntdld42::LoadMasterKey(p, v); },
                     [&v](const std::vector<std::string>& f) {
                       return Meaning("PinLoadMasterKey", v.keyType, 0, f[0], v.digits / 2);
                     },
                     [&v](std::size_t, const std::string&) {
                       return wntdld42::kMasterKeyRefusedBefore + std::to_string(v.digits) +
                              wntdld42::kMasterKeyRefusedAfter;
                     }});
  }
  cases.push_back({wntdld42::EncryptionKeyDialog(),
                   {"0123456789ABCDEF", "07", "01"},
                   wntdld42::LoadEncryptionKey,
                   [](const std::vector<std::string>& f) -> std::optional<Sent> {
                     auto keyId = ByteMeaning(f[1]), variant = ByteMeaning(f[2]);
                     if (!keyId || !variant) return std::nullopt;
                     return Meaning("PinLoadKey", *keyId, *variant, f[0], 8);
                   },
                   [](std::size_t i, const std::string&) {
                     return std::string(i == 0   ? wntdld42::kEncryptionKeyRefused
                                        : i == 1 ? wntdld42::kKeyIdRefused
                                                 : wntdld42::kKeyVariantRefused);
                   }});
  cases.push_back({wntdld42::IcvDialog(),
                   {"0123456789ABCDEF", "01"},
                   wntdld42::LoadIcv,
                   [](const std::vector<std::string>& f) -> std::optional<Sent> {
                     auto variant = ByteMeaning(f[1]);
                     if (!variant) return std::nullopt;
                     return Meaning("PinLoadICV", *variant, 0, f[0], 8);
                   },
                   [](std::size_t i, const std::string&) {
                     return std::string(i == 0 ? wntdld42::kIcvRefused
                                               : wntdld42::kIcvVariantRefused);
                   }});
  cases.push_back({wntdld42::VerificationParametersDialog(),
                   {"A", uitest::Digits(32)},
                   wntdld42::LoadVerificationParameters,
                   [](const std::vector<std::string>& f) -> std::optional<Sent> {
                     auto length = ByteMeaning("0" + f[0]);
                     if (!length) return std::nullopt;
                     return Meaning("PinLoadVerifParms", *length, 0, f[1], 16);
                   },
                   [](std::size_t i, const std::string& taken) {
                     if (i == 1) return std::string(wntdld42::kTableRefused);
                     bool blank = taken.find_first_not_of(' ') == std::string::npos;
                     return std::string(blank ? wntdld42::kBlankParameters
                                              : wntdld42::kPinLengthRefused);
                   }});
  std::size_t count = 0;
  for (const BadInputCase& c : cases) {
    for (const uitest::BadEntry& e : uitest::BadEntries(c.dialog, c.valid)) {
      SCOPED_TRACE(e.label);
      wntdld42::FakePinApi fake;
      ScriptedUi scripted;
      wntdld42::ScriptedModeForm form;
      wntdld42::Program p{fake, scripted, form};
      scripted.Enter(c.dialog.name, e.typed);
      c.run(p);
      EXPECT_EQ(scripted.Problems(), std::vector<std::string>{});
      std::vector<Sent> calls;
      for (const wntdld42::PinCall& call : fake.calls)
        calls.push_back({call.function, call.a, call.b, call.data});
      if (std::optional<Sent> sent = c.sent(e.taken)) {
        EXPECT_EQ(calls, std::vector<Sent>{*sent});
      } else {
        EXPECT_EQ(calls, std::vector<Sent>{}) << "nothing may reach the pad";
        EXPECT_EQ(scripted.MessageTexts(),
                  std::vector<std::string>{c.refusal(e.field, e.taken[e.field])});
      }
      ++count;
    }
  }
  std::printf("%zu (dialog, field, text) cases\n", count);
}

// ---------------------------------------------------------------- menu

TEST_F(Operations, HelpAboutAndExitFromTheMenu) {
  EXPECT_EQ(Run(1102), After::kNothing);
  const auto* help = Last(ScriptedUi::Event::Kind::kHelp);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->help.file, "wntdld42.hlp");
  EXPECT_EQ(help->help.context, 10u);
  EXPECT_EQ(Run(1100), After::kNothing);
  const auto* about = Last(ScriptedUi::Event::Kind::kResult);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->name, "ABOUT");
  EXPECT_TRUE(about->fields.empty());
  EXPECT_EQ(Run(100), After::kClose);
  EXPECT_EQ(Run(106), After::kNothing);
  EXPECT_EQ(Run(209), After::kNothing);
  EXPECT_TRUE(api.calls.empty());  // neither closes the pad: the shell does, once
}

}  // namespace
