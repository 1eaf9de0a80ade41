// The support program's menu commands against the scripted Ui and the recording EFT library:
// every message, every frame byte for byte, the re-prompt loops and the result dialogs.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "eft/FakeEftApi.h"
#include "eft/Frames.h"
#include "tests/support/TempFolder.h"
#include "tests/ui/TypedTexts.h"
#include "ui/ScriptedUi.h"
#include "wnt43sup/Dialogs.h"
#include "wnt43sup/HelpContexts.h"
#include "wnt43sup/HexCrc.h"
#include "wnt43sup/Operations.h"
#include "wnt43sup/Texts.h"
#include "wnt43sup/WNT43SUP.h"

using namespace wnt43sup;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct Box {
  std::string text;
  ui::Icon icon;
  bool operator==(const Box&) const = default;
};
void PrintTo(const Box& b, std::ostream* os) {
  *os << '"' << b.text << "\" icon " << static_cast<int>(b.icon);
}

Box ErrorBox(const std::string& text) { return {text, ui::Icon::kError}; }
Box PlainBox(const std::string& text) { return {text, ui::Icon::kNone}; }

std::string Hex(const Bytes& bytes) {
  std::string text;
  for (std::uint8_t b : bytes) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X", b);
    text += pair;
  }
  return text;
}

// Sixteen RSA fields whose bytes count up from 00: the frame then carries 00 to 7F after
// 82 20 20.
std::vector<std::string> CountingRsaFields() {
  std::vector<std::string> fields;
  for (int k = 0; k < 16; ++k) {
    Bytes b;
    for (int j = 0; j < 8; ++j) b.push_back(static_cast<std::uint8_t>(k * 8 + j));
    fields.push_back(Hex(b));
  }
  return fields;
}

Bytes CountingRsaFrame() {
  Bytes frame = {0x82, 0x20, 0x20};
  for (int i = 0; i < 128; ++i) frame.push_back(static_cast<std::uint8_t>(i));
  return frame;
}

class Operations : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(ui.Problems(), std::vector<std::string>{}); }

  Program P() { return {ui, api, ports, response}; }

  // The message boxes shown; each must carry the program's title and one OK button.
  std::vector<Box> Boxes() {
    std::vector<Box> boxes;
    for (const auto& e : ui.Events()) {
      if (e.kind != ui::ScriptedUi::Event::Kind::kMessage) continue;
      EXPECT_EQ(e.message.caption, "QRT 8343 Support Program");
      EXPECT_EQ(e.message.buttons, ui::Buttons::kOk);
      boxes.push_back({e.message.text, e.message.icon});
    }
    return boxes;
  }

  // The frames written to the terminal.
  std::vector<Bytes> Frames() const {
    std::vector<Bytes> frames;
    for (const eft::EftCall& c : api.calls) {
      if (c.function == "EftWrite") frames.push_back(c.data);
    }
    return frames;
  }

  // The fields of the one result dialog shown, by id.
  std::map<int, std::string> Result(const std::string& name) {
    std::map<int, std::string> fields;
    int shown = 0;
    for (const auto& e : ui.Events()) {
      if (e.kind != ui::ScriptedUi::Event::Kind::kResult) continue;
      EXPECT_EQ(e.name, name);
      ++shown;
      for (const auto& [id, text] : e.fields) fields[id] = text;
    }
    EXPECT_EQ(shown, 1) << "result dialogs shown";
    return fields;
  }

  ui::ScriptedUi ui;
  eft::FakeEftApi api;
  eft::PortSelection ports{true, 3};
  eft::ResponseBuffer response{};
};

// ---- Load Clear RSA Private Key -------------------------------------------------------------

TEST_F(Operations, RsaKeyIsSentAfterTheWarningInTypedOrder) {
  ui.Enter(kLdrsapk, CountingRsaFields()).Confirm(kLdrsapkWarning);
  api.answers.push_back({0x00});
  LoadClearRsaPrivateKey(P());
  EXPECT_EQ(Frames(), std::vector<Bytes>{CountingRsaFrame()});
  EXPECT_EQ(api.calls[1].count, 131);
  EXPECT_EQ(api.Functions(),
            (std::vector<std::string>{"EftOpenParms", "EftWrite", "EftRead", "EftClose"}));
  EXPECT_EQ(api.calls[0].port, 3);
  EXPECT_EQ(Boxes(),
            std::vector<Box>{PlainBox("Load Clear RSA Private Key completed successfully.")});
  EXPECT_EQ(ui.DialogNames(), (std::vector<std::string>{"LDRSAPK", "LDRSAPKWN"}));
}

TEST_F(Operations, SixteenEmptyRsaFieldsGiveSixteenBoxesThenTheEmptyDialogAgain) {
  ui.Enter(kLdrsapk, {}).Cancel(kLdrsapk);
  LoadClearRsaPrivateKey(P());
  EXPECT_EQ(Boxes(),
            std::vector<Box>(16, ErrorBox("Load Clear RSA Private Key failed:  Invalid Modulus.")));
  EXPECT_EQ(ui.DialogNames(), (std::vector<std::string>{"LDRSAPK", "LDRSAPK"}));
  for (const auto& e : ui.Events()) {
    if (e.kind != ui::ScriptedUi::Event::Kind::kEntry) continue;
    for (const ui::Field& f : e.entry.fields) EXPECT_EQ(f.preset, "") << f.id;
  }
  EXPECT_TRUE(api.calls.empty());
}

// Each field is checked on its own, all of them even after a failure, one box per field.
TEST_F(Operations, RsaFieldChecksOneBoxPerFailingField) {
  struct Case {
    const char* what;
    int field;  // 0-7 modulus, 8-15 exponent
    std::string text;
    const char* bytes;  // the field's 8 bytes in the frame; nullptr: refused
  };
  const Case cases[] = {
      {"modulus underscore", 3, "0123456789ABCDE_", nullptr},
      {"exponent underscore counts as 0", 15, "0123456789ABCDE_", "0123456789ABCDE0"},
      {"exponent all underscores", 8, "________________", "0000000000000000"},
      {"modulus non-hex letter", 0, "0123456789ABCDEG", nullptr},
      {"exponent non-hex letter", 9, "0123456789ABCDEG", nullptr},
      {"modulus blank", 1, "0123456789ABCDE ", nullptr},
      {"exponent sign", 10, "-123456789ABCDEF", nullptr},
      {"fifteen characters", 4, "0123456789ABCDE", nullptr},
      {"twenty characters are cut to sixteen", 5, "0123456789ABCDEF0000", "0123456789ABCDEF"},
      {"lowercase digits", 6, "0123456789abcdef", "0123456789ABCDEF"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ui::ScriptedUi scripted;
    eft::FakeEftApi fake;
    std::vector<std::string> fields = CountingRsaFields();
    fields[c.field] = c.text;
    scripted.Enter(kLdrsapk, fields);
    if (c.bytes) {
      scripted.Confirm(kLdrsapkWarning);
    } else {
      scripted.Cancel(kLdrsapk);
    }
    fake.answers.push_back({0x00});
    LoadClearRsaPrivateKey({scripted, fake, ports, response});
    EXPECT_EQ(scripted.Problems(), std::vector<std::string>{});
    std::vector<std::string> texts = scripted.MessageTexts();
    if (c.bytes) {
      ASSERT_EQ(fake.calls.size(), 4u);
      std::string expected = Hex(CountingRsaFrame());
      expected.replace(2 * (3 + 8 * c.field), 16, c.bytes);
      EXPECT_EQ(Hex(fake.calls[1].data), expected);
      EXPECT_EQ(texts, std::vector<std::string>{kRsaDone});
    } else {
      EXPECT_TRUE(fake.calls.empty());
      EXPECT_EQ(texts, std::vector<std::string>{kRsaInvalidModulus});
    }
  }
}

TEST_F(Operations, RsaRefusedEntryComesBackEmptyAndACorrectOneIsSent) {
  std::vector<std::string> bad = CountingRsaFields();
  bad[2] = "";
  bad[12] = "XYZ";
  ui.Enter(kLdrsapk, bad).Enter(kLdrsapk, CountingRsaFields()).Confirm(kLdrsapkWarning);
  api.answers.push_back({0x00});
  LoadClearRsaPrivateKey(P());
  EXPECT_EQ(Boxes(), (std::vector<Box>{ErrorBox(kRsaInvalidModulus), ErrorBox(kRsaInvalidModulus),
                                       PlainBox(kRsaDone)}));
  EXPECT_EQ(Frames(), std::vector<Bytes>{CountingRsaFrame()});
}

// CANCEL on the warning brings the entry back; a warning that died with the main window ends
// the command.
TEST_F(Operations, RsaWarningCancelGoesBackToTheEntryDialogWithNothingSent) {
  ui.Enter(kLdrsapk, CountingRsaFields()).Cancel(kLdrsapkWarning);
  ui.Enter(kLdrsapk, CountingRsaFields()).Dismiss(kLdrsapkWarning);
  LoadClearRsaPrivateKey(P());
  EXPECT_EQ(ui.DialogNames(),
            (std::vector<std::string>{"LDRSAPK", "LDRSAPKWN", "LDRSAPK", "LDRSAPKWN"}));
  EXPECT_TRUE(api.calls.empty());
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Operations, RsaEntryCancelEndsSilently) {
  ui.Cancel(kLdrsapk);
  LoadClearRsaPrivateKey(P());
  EXPECT_TRUE(api.calls.empty());
  EXPECT_TRUE(Boxes().empty());
}

// ---- Load Clear DES Key Part ----------------------------------------------------------------

TEST_F(Operations, DesKeyPartFrameByteForByte) {
  ui.Enter(kLddlkp, {"5", "3", "0123456789ABCDEF", "FEDCBA9876543210"});
  api.answers.push_back({0x00});
  LoadClearDesKeyPart(P());
  const Bytes expected = {0x83, 0x05, 0x02, 0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD,
                          0xEF, 0xFE, 0xDC, 0xBA, 0x98, 0x76, 0x54, 0x32, 0x10};
  EXPECT_EQ(Frames(), std::vector<Bytes>{expected});
  EXPECT_EQ(Boxes(), std::vector<Box>{PlainBox("Load Clear DES Key Part completed successfully.")});
  EXPECT_EQ(ui.DialogNames(), std::vector<std::string>{"LDDLKP"});
}

// Key number and part indicator are one typed character each: a digit in range or refused.
TEST_F(Operations, DesKeyNumberAndPartIndicatorEdgeValues) {
  struct Case {
    std::string key, part;
    const char* message;   // nullptr: sent
    std::uint8_t keyByte;  // when sent
    std::uint8_t partByte;
  };
  const Case cases[] = {
      {"0", "1", nullptr, 0, 0},
      {"7", "2", nullptr, 7, 1},
      {"12", "3", nullptr, 1, 2},  // only the first character is taken
      {"3", "31", nullptr, 3, 2},
      {"8", "1", kDesInvalidKeyNumber, 0, 0},
      {"9", "1", kDesInvalidKeyNumber, 0, 0},
      {"", "1", kDesInvalidKeyNumber, 0, 0},
      {" ", "1", kDesInvalidKeyNumber, 0, 0},
      {"+", "1", kDesInvalidKeyNumber, 0, 0},
      {"-1", "1", kDesInvalidKeyNumber, 0, 0},
      {"A", "1", kDesInvalidKeyNumber, 0, 0},
      {"9", "0", kDesInvalidKeyNumber, 0, 0},  // the key number is checked first
      {"1", "0", kDesInvalidPart, 0, 0},
      {"1", "4", kDesInvalidPart, 0, 0},
      {"1", "", kDesInvalidPart, 0, 0},
      {"1", "x", kDesInvalidPart, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("key \"" + c.key + "\" part \"" + c.part + "\"");
    ui::ScriptedUi scripted;
    eft::FakeEftApi fake;
    scripted.Enter(kLddlkp, {c.key, c.part, "0000000000000000", "1111111111111111"});
    fake.answers.push_back({0x00});
    LoadClearDesKeyPart({scripted, fake, ports, response});
    EXPECT_EQ(scripted.Problems(), std::vector<std::string>{});
    if (c.message) {
      EXPECT_EQ(scripted.MessageTexts(), std::vector<std::string>{c.message});
      EXPECT_TRUE(fake.calls.empty());
    } else {
      ASSERT_EQ(fake.calls.size(), 4u);
      EXPECT_EQ(fake.calls[1].data[1], c.keyByte);
      EXPECT_EQ(fake.calls[1].data[2], c.partByte);
      EXPECT_EQ(scripted.MessageTexts(), std::vector<std::string>{kDesDone});
    }
  }
}

TEST_F(Operations, DesKeyPartHalvesMustBeSixteenHexDigits) {
  const std::string good = "0123456789ABCDEF";
  struct Case {
    std::string left, right;
  };
  const Case refused[] = {
      {"0123456789ABCDE", good},
      {good, "0123456789ABCDE"},
      {"0123456789ABCDE_", good},
      {good, "_123456789ABCDEF"},
      {"0123456789ABCDEG", good},
      {good, "0123 56789ABCDEF"},
      {"", ""},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.left + " / " + c.right);
    ui::ScriptedUi scripted;
    eft::FakeEftApi fake;
    scripted.Enter(kLddlkp, {"1", "1", c.left, c.right});
    LoadClearDesKeyPart({scripted, fake, ports, response});
    EXPECT_EQ(scripted.Problems(), std::vector<std::string>{});
    // One message, and the command ends: no second chance within the command.
    EXPECT_EQ(scripted.MessageTexts(),
              std::vector<std::string>{"Load Clear DES Key Part failed:  Invalid Key Part."});
    EXPECT_EQ(scripted.DialogNames(), std::vector<std::string>{"LDDLKP"});
    EXPECT_TRUE(fake.calls.empty());
  }
}

TEST_F(Operations, DesKeyPartLowercaseGivesTheSameBytesAsCapitals) {
  ui.Enter(kLddlkp, {"0", "1", "abcdefABCDEF0a0A", "0000000000000000"});
  api.answers.push_back({0x00});
  LoadClearDesKeyPart(P());
  std::vector<Bytes> frames = Frames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(Hex(frames[0]).substr(6, 16), "ABCDEFABCDEF0A0A");
}

TEST_F(Operations, DesEntryCancelEndsSilently) {
  ui.Cancel(kLddlkp);
  LoadClearDesKeyPart(P());
  EXPECT_TRUE(api.calls.empty());
  EXPECT_TRUE(Boxes().empty());
}

// ---- Load Device Serial Number --------------------------------------------------------------

TEST_F(Operations, SerialNumberFrameWithTheFixedFurtherBytes) {
  ui.Enter(kLdsn, {"12345"}).Confirm(kLdsnWarning);
  api.answers.push_back({0x00});
  LoadDeviceSerialNumber(P());
  const Bytes expected = {0x8F, '4',  '1',  '-',  '1',  '2',  '3',  '4', '5',
                          0xC6, 0x12, 0xC5, 0x1C, 0xD3, 0x16, 0x81, 0xE0};
  EXPECT_EQ(Frames(), std::vector<Bytes>{expected});
  EXPECT_EQ(Boxes(),
            std::vector<Box>{PlainBox("Load Device Serial Number completed successfully.")});
  EXPECT_EQ(ui.DialogNames(), (std::vector<std::string>{"LDSN", "LDSNWN"}));
}

TEST_F(Operations, SerialNumberFurtherBytesAreTheSameOnEveryLoad) {
  ui.Enter(kLdsn, {"00001"}).Confirm(kLdsnWarning).Enter(kLdsn, {"99999"}).Confirm(kLdsnWarning);
  api.answers = {{0x00}, {0x06}};
  LoadDeviceSerialNumber(P());
  LoadDeviceSerialNumber(P());
  std::vector<Bytes> frames = Frames();
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(Bytes(frames[0].begin() + 9, frames[0].end()),
            Bytes(frames[1].begin() + 9, frames[1].end()));
  auto further = SerialNumberFurtherBytes();
  EXPECT_EQ(Bytes(frames[0].begin() + 9, frames[0].end()), Bytes(further.begin(), further.end()));
  EXPECT_EQ(Boxes(),
            (std::vector<Box>{PlainBox(kSerialDone),
                              ErrorBox("Command failed:  Device RC=06 - Sequence Error")}));
}

TEST_F(Operations, SerialNumberOneBoxPerBadPositionThenTheDialogAgain) {
  struct Case {
    std::string typed;
    std::size_t boxes;
  };
  const Case cases[] = {{"12A45", 1}, {"123", 2}, {"", 5}, {"1 3-5", 2}, {"ABCDE", 5}, {"1234", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE("\"" + c.typed + "\"");
    ui::ScriptedUi scripted;
    eft::FakeEftApi fake;
    fake.answers.push_back({0x00});
    scripted.Enter(kLdsn, {c.typed}).Enter(kLdsn, {"54321"}).Confirm(kLdsnWarning);
    LoadDeviceSerialNumber({scripted, fake, ports, response});
    EXPECT_EQ(scripted.Problems(), std::vector<std::string>{});
    std::vector<std::string> expected(c.boxes, kSerialInvalid);
    expected.push_back(kSerialDone);
    EXPECT_EQ(scripted.MessageTexts(), expected);
    ASSERT_EQ(fake.calls.size(), 4u);
    EXPECT_EQ(std::string(fake.calls[1].data.begin() + 1, fake.calls[1].data.begin() + 9),
              "41-54321");
  }
}

TEST_F(Operations, SerialNumberSixDigitsAreCutToFive) {
  ui.Enter(kLdsn, {"123456"}).Confirm(kLdsnWarning);
  api.answers.push_back({0x00});
  LoadDeviceSerialNumber(P());
  std::vector<Bytes> frames = Frames();
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(std::string(frames[0].begin() + 1, frames[0].begin() + 9), "41-12345");
}

TEST_F(Operations, SerialWarningCancelGoesBackToTheEntryDialogWithNothingSent) {
  ui.Enter(kLdsn, {"12345"}).Cancel(kLdsnWarning).Enter(kLdsn, {"12345"}).Dismiss(kLdsnWarning);
  LoadDeviceSerialNumber(P());
  EXPECT_EQ(ui.DialogNames(), (std::vector<std::string>{"LDSN", "LDSNWN", "LDSN", "LDSNWN"}));
  EXPECT_TRUE(api.calls.empty());
  EXPECT_TRUE(Boxes().empty());
}

// ---- The reports of the commands that change the terminal -----------------------------------

// Every outcome of the exchange for the four commands that report in a message box.
TEST_F(Operations, ReportsOfTheKeySerialAndEjectCommands) {
  struct Command {
    const char* name;
    void (*script)(ui::ScriptedUi&);
    void (*run)(const Program&);
    const char* cannotOpen;
    const char* internal;
    const char* done;
  };
  const Command commands[] = {
      {"RSA",
       [](ui::ScriptedUi& u) { u.Enter(kLdrsapk, CountingRsaFields()).Confirm(kLdrsapkWarning); },
       LoadClearRsaPrivateKey, "Load Clear RSA Private Key failed:  Cannot open device.",
       "Load Clear RSA Private Key failed:  Internal Error.",
       "Load Clear RSA Private Key completed successfully."},
      {"DES",
       [](ui::ScriptedUi& u) {
         u.Enter(kLddlkp, {"0", "1", "0011223344556677", "8899AABBCCDDEEFF"});
       },
       LoadClearDesKeyPart, "Load Clear DES Key Part failed:  Cannot open device.",
       "Load Clear DES Key Part failed:  Internal Error.",
       "Load Clear DES Key Part completed successfully."},
      {"serial", [](ui::ScriptedUi& u) { u.Enter(kLdsn, {"00017"}).Confirm(kLdsnWarning); },
       LoadDeviceSerialNumber, "Load Device Serial Number failed:  Cannot open device.",
       "Load Device Serial Number failed:  Internal Error.",
       "Load Device Serial Number completed successfully."},
      {"eject", [](ui::ScriptedUi&) {}, EjectCard, "Eject Card failed:  Cannot open device.",
       "Eject Card failed:  Internal error.", "Eject Card completed successfully."},
  };
  struct Outcome {
    const char* failing;  // the library function that fails, or nullptr
    Bytes answer;
    int expected;  // 0 cannot open, 1 internal, 2 done, 3 the answer's RC line
    const char* rcLine;
  };
  const Outcome outcomes[] = {
      {"EftOpenParms", {}, 0, nullptr},
      {"EftWrite", {}, 1, nullptr},
      {"EftRead", {}, 1, nullptr},
      {"EftClose", {0x00}, 1, nullptr},
      {nullptr, {0x00}, 2, nullptr},
      {nullptr, {0x07}, 3, "Command failed:  Device RC=07 - Card Error"},
      {nullptr, {0x0A}, 3, "Command failed:  Device RC=0A - Security Processor Error"},
      {nullptr, {0x3F}, 3, "Command failed:  Device RC=3F - Unknown Error"},
  };
  for (const Command& command : commands) {
    for (const Outcome& outcome : outcomes) {
      SCOPED_TRACE(std::string(command.name) + " " +
                   (outcome.failing ? outcome.failing : "answer " + Hex(outcome.answer)));
      ui::ScriptedUi scripted;
      eft::FakeEftApi fake;
      command.script(scripted);
      if (outcome.failing) fake.Script(outcome.failing, 31);
      if (!outcome.answer.empty()) fake.answers.push_back(outcome.answer);
      command.run({scripted, fake, ports, response});
      EXPECT_EQ(scripted.Problems(), std::vector<std::string>{});
      const char* texts[] = {command.cannotOpen, command.internal, command.done, outcome.rcLine};
      ASSERT_EQ(scripted.MessageTexts(), std::vector<std::string>{texts[outcome.expected]});
      const ui::Message& box = scripted.Events().back().message;
      EXPECT_EQ(box.icon, outcome.expected == 2 ? ui::Icon::kNone : ui::Icon::kError);
      EXPECT_EQ(box.caption, kTitle);
    }
  }
}

TEST_F(Operations, EjectCardSendsOneByte05) {
  api.answers.push_back({0x00});
  EjectCard(P());
  EXPECT_EQ(Frames(), std::vector<Bytes>{{0x05}});
}

// ---- Read Device Information ----------------------------------------------------------------

// An answer whose every field is full: each field shows exactly its own bytes.
Bytes FullInformationAnswer(std::uint8_t rc) {
  std::string text = "41-00017";  // 1-8
  text += "MM 03.20 BUILD";       // 9-22, 14
  text += "MAINAPPLICATION-18";   // 23-40, 18
  text += "SM 01.10 BUILDX";      // 41-54 (14) and byte 55 = 'X' starts the next field
  text.pop_back();
  text += "SECURITY APP 016";  // 55-70, 16
  text += "ZZ";                // 71 on: not shown
  Bytes answer = {rc};
  answer.insert(answer.end(), text.begin(), text.end());
  return answer;
}

TEST_F(Operations, DeviceInformationShowsTheFieldsOfTheResponseLayout) {
  api.answers.push_back(FullInformationAnswer(0x00));
  ReadDeviceInformation(P());
  EXPECT_EQ(Frames(), std::vector<Bytes>{{0x00}});
  EXPECT_EQ(Result("DEVINFO"), (std::map<int, std::string>{
                                   {502, "X'00'"},
                                   {503, "No Error"},
                                   {504, "41-00017"},
                                   {505, "MM 03.20 BUILD"},
                                   {706, "MAINAPPLICATION-18"},
                                   {507, "SM 01.10 BUILD"},
                                   {508, "SECURITY APP 016"},
                               }));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Operations, DeviceInformationFieldsEndAtAZeroByte) {
  Bytes answer = FullInformationAnswer(0x00);
  answer[1 + 2] = 0x00;   // serial number: zero in its third position
  answer[23] = 0x00;      // main application: empty
  answer[55 + 4] = 0x00;  // security application: four characters
  api.answers.push_back(answer);
  ReadDeviceInformation(P());
  auto fields = Result("DEVINFO");
  EXPECT_EQ(fields[504], "41");
  EXPECT_EQ(fields[706], "");
  EXPECT_EQ(fields[508], "SECU");
  EXPECT_EQ(fields[505], "MM 03.20 BUILD");
}

TEST_F(Operations, DeviceInformationWithANonzeroReturnCodeStillShowsTheDialog) {
  api.answers.push_back({0x01});
  ReadDeviceInformation(P());
  auto fields = Result("DEVINFO");
  EXPECT_EQ(fields[502], "X'01'");
  EXPECT_EQ(fields[503], "Unknown Command");
  EXPECT_EQ(fields[504], "");
  EXPECT_TRUE(Boxes().empty());
}

// ---- Read Device Status ---------------------------------------------------------------------

TEST_F(Operations, DeviceStatusA5ShowsEveryBitAndTheResetData) {
  Bytes answer = {0x00, 0xA5};
  for (int i = 0; i < 40; ++i) answer.push_back(static_cast<std::uint8_t>(0x10 + i));
  api.answers.push_back(answer);
  ReadDeviceStatus(P());
  EXPECT_EQ(Frames(), std::vector<Bytes>{{0x01}});
  EXPECT_EQ(Result("RDSTAT"), (std::map<int, std::string>{
                                  {600, "X'00'"},
                                  {601, "No Error"},
                                  {602, "X'A5'"},
                                  {603, "ON"},
                                  {604, "OFF"},
                                  {605, "ON"},
                                  {606, "OFF"},
                                  {607, "OFF"},
                                  {608, "ON"},
                                  {609, "OFF"},
                                  {610, "ON"},
                                  {611, "1011121314151617"},
                                  {612, "18191A1B1C1D1E1F"},
                                  {613, "2021222324252627"},
                                  {614, "28292A2B2C2D2E2F"},
                                  {615, "3031323334353637"},
                              }));
}

TEST_F(Operations, DeviceStatusBytesNotSentShowAsZeros) {
  response.fill(0xEE);  // an earlier answer
  api.answers.push_back({0x0B, 0x40});
  ReadDeviceStatus(P());
  auto fields = Result("RDSTAT");
  EXPECT_EQ(fields[600], "X'0B'");
  EXPECT_EQ(fields[601], "Timeout");
  EXPECT_EQ(fields[604], "ON");
  for (int id = 611; id <= 615; ++id) EXPECT_EQ(fields[id], "0000000000000000") << id;
}

// ---- The reports of the read commands -------------------------------------------------------

TEST_F(Operations, ReadCommandsReportExchangeFailuresWithALowercaseInternalError) {
  struct Case {
    void (*run)(const Program&);
    const char* failing;
    const char* message;
  };
  const Case cases[] = {
      {ReadDeviceInformation, "EftOpenParms",
       "Read Device Information failed:  Cannot open device."},
      {ReadDeviceInformation, "EftRead", "Read Device Information failed:  Internal error."},
      {ReadDeviceInformation, "EftClose", "Read Device Information failed:  Internal error."},
      {ReadDeviceStatus, "EftOpenParms", "Read Device Status failed:  Cannot open device."},
      {ReadDeviceStatus, "EftWrite", "Read Device Status failed:  Internal error."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    ui::ScriptedUi scripted;
    eft::FakeEftApi fake;
    fake.Script(c.failing, 5);
    fake.answers.push_back({0x00});
    c.run({scripted, fake, ports, response});
    EXPECT_EQ(scripted.MessageTexts(), std::vector<std::string>{c.message});
    EXPECT_EQ(scripted.Events().back().message.icon, ui::Icon::kError);
    EXPECT_TRUE(scripted.DialogNames().empty());
  }
}

// ---- Query Memory CRC -----------------------------------------------------------------------

TEST_F(Operations, MemoryCrcFrameAndResult) {
  ui.Enter(kQrymcrc, {"7000", "0FFF"});
  api.answers.push_back({0x00, 0x00, 0x00, 0xAB, 0xCD});
  QueryMemoryCrc(P());
  EXPECT_EQ(Frames(), (std::vector<Bytes>{{0xF5, 0x70, 0x00, 0x0F, 0xFF}}));
  EXPECT_EQ(Result("QRYMCRCO"),
            (std::map<int, std::string>{{803, "7000"}, {804, "0FFF"}, {805, "0000ABCD"}}));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Operations, MemoryCrcLengthsOnlyZeroIsRefused) {
  const std::pair<const char*, Bytes> accepted[] = {{"0100", {0x01, 0x00}}, {"1000", {0x10, 0x00}},
                                                    {"9000", {0x90, 0x00}}, {"C000", {0xC0, 0x00}},
                                                    {"0001", {0x00, 0x01}}, {"10FF", {0x10, 0xFF}},
                                                    {"ffff", {0xFF, 0xFF}}};
  for (const auto& [length, bytes] : accepted) {
    SCOPED_TRACE(length);
    ui::ScriptedUi scripted;
    eft::FakeEftApi fake;
    scripted.Enter(kQrymcrc, {"7000", length});
    fake.answers.push_back({0x00, 0x00, 0x00, 0x12, 0x34});
    QueryMemoryCrc({scripted, fake, ports, response});
    ASSERT_EQ(fake.calls.size(), 4u);
    EXPECT_EQ(fake.calls[1].data, (Bytes{0xF5, 0x70, 0x00, bytes[0], bytes[1]}));
    EXPECT_TRUE(scripted.MessageTexts().empty());
  }
}

TEST_F(Operations, MemoryCrcAddressAndLengthChecks) {
  struct Case {
    std::string address, length;
    const char* message;
  };
  const Case cases[] = {
      {"7000", "0000", "Query Memory CRC Error: invalid memory length."},
      {"12_4", "0000", "Query Memory CRC Error: invalid memory address."},  // address first
      {"700", "9000", "Query Memory CRC Error: invalid memory address."},
      {"", "9000", "Query Memory CRC Error: invalid memory address."},
      {"70G0", "9000", "Query Memory CRC Error: invalid memory address."},
      {" 700", "9000", "Query Memory CRC Error: invalid memory address."},
      {"7000", "FF", "Query Memory CRC Error: invalid memory length."},
      {"7000", "", "Query Memory CRC Error: invalid memory length."},
      {"7000", "00_1", "Query Memory CRC Error: invalid memory length."},
      {"7000", "+100", "Query Memory CRC Error: invalid memory length."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address + " " + c.length);
    ui::ScriptedUi scripted;
    eft::FakeEftApi fake;
    scripted.Enter(kQrymcrc, {c.address, c.length});
    QueryMemoryCrc({scripted, fake, ports, response});
    EXPECT_EQ(scripted.MessageTexts(), std::vector<std::string>{c.message});
    EXPECT_EQ(scripted.Events().back().message.icon, ui::Icon::kError);
    EXPECT_TRUE(fake.calls.empty());
  }
}

TEST_F(Operations, MemoryCrcLowercaseIsShownAsTypedAndSentAsItsValue) {
  ui.Enter(kQrymcrc, {"7a0b", "0fff"});
  api.answers.push_back({0x00, 0x00, 0x00, 0x00, 0x0A});
  QueryMemoryCrc(P());
  EXPECT_EQ(Frames(), (std::vector<Bytes>{{0xF5, 0x7A, 0x0B, 0x0F, 0xFF}}));
  auto fields = Result("QRYMCRCO");
  EXPECT_EQ(fields[803], "7a0b");
  EXPECT_EQ(fields[804], "0fff");
  EXPECT_EQ(fields[805], "0000000A");
}

TEST_F(Operations, MemoryCrcTerminalRefusalsAndExchangeFailures) {
  struct Case {
    const char* failing;
    std::uint8_t rc;
    const char* message;
  };
  const Case cases[] = {
      {nullptr, 0x04, "Query Memory CRC Error: invalid input parameter."},
      {nullptr, 0x01, "Query Memory CRC Error: invalid input parameter."},
      {nullptr, 0xFF, "Query Memory CRC Error: invalid input parameter."},
      {"EftOpenParms", 0, "Query Memory CRC Error: Cannot open device."},
      {"EftWrite", 0, "Query Memory CRC Error: Internal error."},
      {"EftRead", 0, "Query Memory CRC Error: Internal error."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    ui::ScriptedUi scripted;
    eft::FakeEftApi fake;
    scripted.Enter(kQrymcrc, {"4000", "C000"});
    if (c.failing) fake.Script(c.failing, 2);
    fake.answers.push_back({c.rc, 0x00, 0x00, 0x12, 0x34});
    QueryMemoryCrc({scripted, fake, ports, response});
    EXPECT_EQ(scripted.MessageTexts(), std::vector<std::string>{c.message});
    EXPECT_EQ(scripted.Events().back().message.icon, ui::Icon::kError);
    EXPECT_EQ(scripted.DialogNames(), std::vector<std::string>{"QRYMCRC"});
  }
}

TEST_F(Operations, MemoryCrcCancelEndsSilently) {
  ui.Cancel(kQrymcrc);
  QueryMemoryCrc(P());
  EXPECT_TRUE(api.calls.empty());
  EXPECT_TRUE(Boxes().empty());
}

// ---- Generate a CRC from an Input HEX File --------------------------------------------------

class GenerateCrcTest : public Operations {
 protected:
  static void Write(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  const support::TempCurrentFolder dir_{"wnt43sup-gencrc"};
};

// "123456789" from 7000 in two records after a 32-byte record at 0000: CRC-16/ARC BB3D.
const char kCheckApplication[] =
    ":200000000000000000000000000000000000000000000000000000000000000000000000E0\r\n"
    ":0470000031323334C2\r\n"
    ":05700400353637383974\r\n"
    ":00000001FF\r\n";

TEST_F(GenerateCrcTest, ShowsTheFourTextsOfTheFile) {
  Write("CHECK.HEX", kCheckApplication);
  ui.Enter(kGencrc, {"CHECK"});
  GenerateCrc(P());
  EXPECT_EQ(Result("GENCRCO"),
            (std::map<int, std::string>{{702, "CHECK"}, {703, "7000"}, {704, "9"}, {705, "BB3D"}}));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(api.calls.empty());  // the terminal is not involved
}

TEST_F(GenerateCrcTest, OnlyTheFirstEightCharactersOfTheNameAreUsed) {
  Write("CHECKAPP.HEX", kCheckApplication);
  ui.Enter(kGencrc, {"CHECKAPPLICATION"});
  GenerateCrc(P());
  EXPECT_EQ(Result("GENCRCO")[702], "CHECKAPP");
}

// The name as the dialog takes it, and nothing else, names the file: with a file of that name
// there, its CRC is shown under the name as typed; a name the system cannot hold opens nothing.
TEST_F(GenerateCrcTest, EveryTypedNameOpensExactlyThatNameOrNothing) {
  for (const uitest::TypedText& t : uitest::TypedTexts(GenerateCrcDialog().fields[0])) {
    SCOPED_TRACE(t.name);
    std::string name = ui::TakeField(t.text, kHexNameLength);
    Write(name + ".HEX", kCheckApplication);
    ui::ScriptedUi scripted;
    scripted.Enter(kGencrc, {t.text});
    GenerateCrc({scripted, api, ports, response});
    std::remove((name + ".HEX").c_str());
    const ui::ScriptedUi::Event& last = scripted.Events().back();
    if (last.kind == ui::ScriptedUi::Event::Kind::kResult) {
      ASSERT_FALSE(last.fields.empty());
      EXPECT_EQ(last.fields[0], std::make_pair(int{IDC_GENCRCO_NAME}, name));
    } else {
      EXPECT_EQ(scripted.MessageTexts(),
                std::vector<std::string>{HexCrcErrorText(HexCrcError::kCannotOpen)});
    }
  }
  EXPECT_TRUE(api.calls.empty());
}

TEST_F(GenerateCrcTest, ErrorsAreMessageBoxesWithTheErrorIcon) {
  Write("BLANK.HEX", std::string("\r\n") + kCheckApplication);
  ui.Enter(kGencrc, {"MISSING"}).Enter(kGencrc, {""}).Enter(kGencrc, {"BLANK"});
  GenerateCrc(P());
  GenerateCrc(P());
  GenerateCrc(P());
  EXPECT_EQ(Boxes(),
            (std::vector<Box>{ErrorBox("Generate CRC Program Error:  File can not be opened."),
                              ErrorBox("Generate CRC Program Error:  File can not be opened."),
                              ErrorBox("Generate CRC Program Error:  Hex file is invalid.")}));
  EXPECT_EQ(ui.DialogNames(), (std::vector<std::string>{"GENCRC", "GENCRC", "GENCRC"}));
}

TEST_F(GenerateCrcTest, CancelComputesNothing) {
  ui.Cancel(kGencrc);
  GenerateCrc(P());
  EXPECT_EQ(ui.Events().size(), 1u);
}

// ---- Menu, help and About -------------------------------------------------------------------

TEST_F(Operations, EveryMenuCommandRunsItsOperation) {
  struct Case {
    int id;
    const char* firstDialog;  // the first dialog shown, or the frame sent
    Bytes frame;
  };
  const Case cases[] = {
      {101, "LDRSAPK", {}},     {102, "LDDLKP", {}},     {103, "LDSN", {}},
      {104, "DEVINFO", {0x00}}, {105, "RDSTAT", {0x01}}, {106, nullptr, {0x05}},
      {107, "GENCRC", {}},      {108, "QRYMCRC", {}},    {1000, "ABOUT", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    ui::ScriptedUi scripted;
    eft::FakeEftApi fake;
    fake.answers.push_back({0x00});
    if (c.frame.empty() && c.id != 1000) scripted.Cancel(c.firstDialog);
    EXPECT_EQ(RunCommand({scripted, fake, ports, response}, c.id), ui::After::kNothing);
    EXPECT_EQ(scripted.Problems(), std::vector<std::string>{});
    std::vector<std::string> names = scripted.DialogNames();
    if (c.firstDialog) {
      ASSERT_FALSE(names.empty());
      EXPECT_EQ(names[0], c.firstDialog);
    }
    std::vector<Bytes> frames;
    for (const auto& call : fake.calls) {
      if (call.function == "EftWrite") frames.push_back(call.data);
    }
    EXPECT_EQ(frames, c.frame.empty() ? std::vector<Bytes>{} : std::vector<Bytes>{c.frame});
  }
}

TEST_F(Operations, ExitGeneralHelpAboutAndUnknownIds) {
  EXPECT_EQ(RunCommand(P(), 100), ui::After::kClose);
  EXPECT_EQ(RunCommand(P(), 1100), ui::After::kNothing);
  EXPECT_EQ(RunCommand(P(), 1000), ui::After::kNothing);
  EXPECT_EQ(RunCommand(P(), 0), ui::After::kNothing);  // no command: nothing shown
  EXPECT_EQ(RunCommand(P(), 109), ui::After::kNothing);
  ASSERT_EQ(ui.Events().size(), 2u);
  EXPECT_EQ(ui.Events()[0].kind, ui::ScriptedUi::Event::Kind::kHelp);
  EXPECT_EQ(ui.Events()[0].help.file, kHelpFile);
  EXPECT_EQ(ui.Events()[0].help.context, kHelpGeneral);
  EXPECT_EQ(ui.Events()[1].name, "ABOUT");
  EXPECT_TRUE(api.calls.empty());
}

// ---- Bad input in every field ---------------------------------------------------------------

// A command whose entry dialog is fed the table of typed texts, one field at a time, the
// others valid: the frame it must send for the texts as the dialog takes them (nothing when it
// must refuse them), and the box it refuses field `i` with.
struct BadInputCase {
  ui::EntryDialog dialog;
  std::vector<std::string> valid;
  void (*run)(const Program&);
  const char* warning;  // the once-only warning before sending, else nullptr
  bool asksAgain;       // a refusal brings the entry dialog back
  std::function<std::optional<eft::Frame>(const std::vector<std::string>&)> frame;
  std::function<std::string(std::size_t)> refusal;
};

// The bytes of hexadecimal fields of N / fields.size() bytes each, one after the other.
template <std::size_t N>
std::optional<std::array<std::uint8_t, N>> Meant(const std::vector<std::string>& fields) {
  std::array<std::uint8_t, N> bytes{};
  for (std::size_t k = 0; k < fields.size(); ++k) {
    std::optional<Bytes> b = uitest::HexMeaning(fields[k], N / fields.size());
    if (!b) return std::nullopt;
    std::copy(b->begin(), b->end(), bytes.begin() + k * b->size());
  }
  return bytes;
}

// One decimal digit from `low` to `high`: a key number or a part indicator.
std::optional<std::uint8_t> DigitMeant(const std::string& text, char low, char high) {
  if (text.size() != 1 || text[0] < low || text[0] > high) return std::nullopt;
  return static_cast<std::uint8_t>(text[0] - '0');
}

TEST(BadInput, EveryFieldEitherRefusesOrSendsExactlyWhatWasTyped) {
  using Texts = std::vector<std::string>;
  const BadInputCase cases[] = {
      {RsaKeyDialog(), CountingRsaFields(), LoadClearRsaPrivateKey, kLdrsapkWarning, true,
       [](const Texts& f) -> std::optional<eft::Frame> {
         auto key = Meant<128>(f);
         if (!key) return std::nullopt;
         return eft::LoadClearRsaPrivateKeyFrame(std::span(*key).first<64>(),
                                                 std::span(*key).last<64>());
       },
       [](std::size_t) { return std::string(kRsaInvalidModulus); }},
      {DesKeyPartDialog(),
       {"7", "3", "0123456789ABCDEF", "FEDCBA9876543210"},
       LoadClearDesKeyPart,
       nullptr,
       false,
       [](const Texts& f) -> std::optional<eft::Frame> {
         auto key = DigitMeant(f[0], '0', '7'), part = DigitMeant(f[1], '1', '3');
         auto half = Meant<16>({f[2], f[3]});
         if (!key || !part || !half) return std::nullopt;
         return eft::LoadClearDesKeyPartFrame(*key, static_cast<std::uint8_t>(*part - 1),
                                              std::span(*half).first<8>(),
                                              std::span(*half).last<8>());
       },
       [](std::size_t i) {
         return std::string(i == 0   ? kDesInvalidKeyNumber
                            : i == 1 ? kDesInvalidPart
                                     : kDesInvalidKeyPart);
       }},
      {SerialNumberDialog(),
       {"12345"},
       LoadDeviceSerialNumber,
       kLdsnWarning,
       true,
       [](const Texts& f) -> std::optional<eft::Frame> {
         if (f[0].size() != kSerialChars || f[0].find_first_not_of("0123456789") != f[0].npos)
           return std::nullopt;
         std::array<char, 8> serial{};
         std::string("41-").append(f[0]).copy(serial.data(), serial.size());
         return eft::LoadDeviceSerialNumberFrame(serial, SerialNumberFurtherBytes());
       },
       [](std::size_t) { return std::string(kSerialInvalid); }},
      {QueryCrcDialog(),
       {"7000", "0FFF"},
       QueryMemoryCrc,
       nullptr,
       false,
       [](const Texts& f) -> std::optional<eft::Frame> {
         auto address = Meant<2>({f[0]}), length = Meant<2>({f[1]});
         if (!address || !length || *length == std::array<std::uint8_t, 2>{}) return std::nullopt;
         return eft::QueryMemoryCrcFrame(*address, *length);
       },
       [](std::size_t i) { return std::string(i == 0 ? kCrcInvalidAddress : kCrcInvalidLength); }},
  };
  std::size_t count = 0;
  for (const BadInputCase& c : cases) {
    for (const uitest::BadEntry& e : uitest::BadEntries(c.dialog, c.valid)) {
      SCOPED_TRACE(e.label);
      std::optional<eft::Frame> frame = c.frame(e.taken);
      ui::ScriptedUi scripted;
      eft::FakeEftApi fake;
      eft::PortSelection ports{true, 3};
      eft::ResponseBuffer response{};
      scripted.Enter(c.dialog.name, e.typed);
      if (frame && c.warning) scripted.Confirm(c.warning);
      if (!frame && c.asksAgain) scripted.Cancel(c.dialog.name);
      fake.answers.push_back({0x00});
      c.run({scripted, fake, ports, response});
      EXPECT_EQ(scripted.Problems(), Texts{});
      std::vector<Bytes> written;
      for (const eft::EftCall& call : fake.calls)
        if (call.function == "EftWrite") written.push_back(call.data);
      if (frame) {
        EXPECT_EQ(written, std::vector<Bytes>{Bytes(frame->Bytes().begin(), frame->Bytes().end())});
      } else {
        EXPECT_TRUE(fake.calls.empty()) << "nothing may reach the terminal";
        EXPECT_FALSE(scripted.MessageTexts().empty());
        for (const std::string& text : scripted.MessageTexts()) EXPECT_EQ(text, c.refusal(e.field));
      }
      ++count;
    }
  }
  std::printf("%zu (dialog, field, text) cases\n", count);
}

// ---- The texts that are easily confused -----------------------------------------------------

TEST(Texts, EasilyConfusedTextsAreEachCommandsOwn) {
  const std::pair<const char*, const char*> texts[] = {
      // "Internal Error." in the key and serial commands, "Internal error." elsewhere.
      {kRsaInternal, "Load Clear RSA Private Key failed:  Internal Error."},
      {kDesInternal, "Load Clear DES Key Part failed:  Internal Error."},
      {kSerialInternal, "Load Device Serial Number failed:  Internal Error."},
      {kInfoInternal, "Read Device Information failed:  Internal error."},
      {kStatusInternal, "Read Device Status failed:  Internal error."},
      {kEjectInternal, "Eject Card failed:  Internal error."},
      // Two blanks after "failed:", one after "Query Memory CRC Error:".
      {kRsaCannotOpen, "Load Clear RSA Private Key failed:  Cannot open device."},
      {kEjectCannotOpen, "Eject Card failed:  Cannot open device."},
      {kCrcCannotOpen, "Query Memory CRC Error: Cannot open device."},
      {kCrcInternal, "Query Memory CRC Error: Internal error."},
      {kCrcInvalidAddress, "Query Memory CRC Error: invalid memory address."},
      {kCrcInvalidLength, "Query Memory CRC Error: invalid memory length."},
      {kCrcInvalidParameter, "Query Memory CRC Error: invalid input parameter."},
      // The RSA key's one message for modulus and exponent fields alike.
      {kRsaInvalidModulus, "Load Clear RSA Private Key failed:  Invalid Modulus."},
      {kDesInvalidKeyNumber, "Load Clear DES Key Part failed:  Invalid Key Number."},
      {kDesInvalidPart, "Load Clear DES Key Part failed:  Invalid Part Indicator."},
      {kDesInvalidKeyPart, "Load Clear DES Key Part failed:  Invalid Key Part."},
      {kSerialInvalid, "Load Device Serial Number failed:  Invalid Serial Number."},
      {kTitle, "QRT 8343 Support Program"},
  };
  for (const auto& [actual, expected] : texts) EXPECT_STREQ(actual, expected);
}

}  // namespace
