// The port selection at start-up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devconfig/MemoryRegistry.h"
#include "eft/FakeEftApi.h"
#include "tests/ui/TypedTexts.h"
#include "ui/ScriptedUi.h"
#include "wnt43sup/Dialogs.h"
#include "wnt43sup/Operations.h"
#include "wnt43sup/Startup.h"

using namespace wnt43sup;

namespace {

const char kSubkeyPath[] = "HKCR\\QRT_8300_FIO_DEVICES\\QRT8343";

class PortSelectionTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(ui.Problems(), std::vector<std::string>{});
    EXPECT_EQ(registry.OpenHandles(), 0u);  // every key opened was closed again
  }
  devconfig::MemoryRegistry registry;
  ui::ScriptedUi ui;
};

TEST_F(PortSelectionTest, ConfiguredTerminalAsksNothingAndUsesEftOpen) {
  registry.AddKey(kSubkeyPath);
  registry.PutDword(kSubkeyPath, "ComPort", 7);
  // Written by the elevated installer: this user may read the key but not open it fully.
  registry.Fail(devconfig::MemoryRegistry::Op::kOpen, "", devconfig::kErrorAccessDenied);
  eft::PortSelection ports = SelectPort(registry, ui);
  EXPECT_FALSE(ports.portEntered);
  EXPECT_TRUE(ui.Events().empty());
  // Only presence counts: no value is read.
  for (const std::string& line : registry.Log())
    EXPECT_EQ(line.find("Query"), std::string::npos) << line;
}

TEST_F(PortSelectionTest, WithoutTheSubkeyTheCommPortDialogAsksPresetTo1) {
  registry.AddKey("HKCR\\QRT_8300_FIO_DEVICES\\QRT8341");  // another device only
  ui.Enter(kCommPort, {});
  eft::PortSelection ports = SelectPort(registry, ui);
  EXPECT_TRUE(ports.portEntered);
  EXPECT_EQ(ports.port, 1);
  ASSERT_EQ(ui.DialogNames(), std::vector<std::string>{"COMMPORT"});
  const ui::EntryDialog& shown = ui.Events()[0].entry;
  ASSERT_EQ(shown.fields.size(), 1u);
  EXPECT_EQ(shown.fields[0].preset, "1");
}

// Whatever is typed, the port every exchange opens is one whose digits were typed, or none.
TEST_F(PortSelectionTest, EveryTypedTextGivesATypedPortOrNone) {
  const ui::Field field = CommPortDialog().fields[0];
  for (const uitest::TypedText& t : uitest::TypedTexts(field)) {
    ui::ScriptedUi scripted;
    scripted.Enter(kCommPort, {t.text});
    eft::PortSelection ports = SelectPort(registry, scripted);
    EXPECT_TRUE(ports.portEntered) << t.name;
    EXPECT_TRUE(uitest::PortWasTyped(ui::TakeField(t.text, field.take), ports.port))
        << t.name << ": port " << ports.port;
    EXPECT_EQ(scripted.Problems(), std::vector<std::string>{});
  }
}

TEST_F(PortSelectionTest, AnOpenThatFailsCountsAsAbsent) {
  registry.AddKey(kSubkeyPath);
  registry.Fail(devconfig::MemoryRegistry::Op::kOpenRead, "HKCR\\QRT_8300_FIO_DEVICES",
                devconfig::kErrorAccessDenied);
  ui.Enter(kCommPort, {"4"});
  EXPECT_EQ(SelectPort(registry, ui).port, 4);
}

TEST_F(PortSelectionTest, TypedPortsAndCancel) {
  struct Case {
    std::vector<std::string> typed;  // empty vector: CANCEL
    bool cancel;
    bool entered;
    std::uint16_t port;
  };
  const Case cases[] = {
      {{"3"}, false, true, 3},     {{"256"}, false, true, 256}, {{""}, false, true, 0},
      {{"300"}, false, true, 300}, {{"-5"}, false, true, 0},    {{"2000"}, false, true, 200},
      {{}, true, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cancel ? "CANCEL" : "\"" + c.typed[0] + "\"");
    ui::ScriptedUi scripted;
    if (c.cancel) {
      scripted.Cancel(kCommPort);
    } else {
      scripted.Enter(kCommPort, c.typed);
    }
    eft::PortSelection ports = SelectPort(registry, scripted);
    EXPECT_EQ(ports.portEntered, c.entered);
    EXPECT_EQ(ports.port, c.port);
    EXPECT_EQ(scripted.Problems(), std::vector<std::string>{});
  }
}

// The selection decides the open of every exchange of the run.
TEST_F(PortSelectionTest, EveryExchangeOpensAsTheSelectionSays) {
  ui.Enter(kCommPort, {"256"});
  eft::PortSelection typed = SelectPort(registry, ui);
  registry.AddKey(kSubkeyPath);
  eft::PortSelection configured = SelectPort(registry, ui);
  eft::FakeEftApi api;
  eft::ResponseBuffer response{};
  api.answers = {{0x00}, {0x00}, {0x00}};
  EjectCard({ui, api, typed, response});
  ReadDeviceStatus({ui, api, typed, response});
  EjectCard({ui, api, configured, response});
  std::vector<std::pair<std::string, std::uint16_t>> opens;
  for (const eft::EftCall& call : api.calls) {
    if (call.function.rfind("EftOpen", 0) == 0) opens.push_back({call.function, call.port});
  }
  EXPECT_EQ(opens, (std::vector<std::pair<std::string, std::uint16_t>>{
                       {"EftOpenParms", 256}, {"EftOpenParms", 256}, {"EftOpen", 0}}));
}

}  // namespace
