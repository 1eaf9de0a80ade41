// Start-up of WNTDLD42: the registry test, the port prompt and its port text, the one open
// and its failure.
#include <gtest/gtest.h>

#include "devconfig/MemoryRegistry.h"
#include "tests/ui/TypedTexts.h"
#include "ui/ScriptedUi.h"
#include "wntdld42/Dialogs.h"
#include "wntdld42/FakePinApi.h"
#include "wntdld42/ModeForm.h"
#include "wntdld42/Operations.h"
#include "wntdld42/Startup.h"

namespace {

using ui::ScriptedUi;
using wntdld42::StartResult;

// Read like atoi (the table of base's AtoiInRange), from the first 3 characters, up to 255.
TEST(PortFromText, OnlyThreeCharactersCountAndOutsideZeroTo255IsZero) {
  const std::pair<const char*, std::uint16_t> cases[] = {{"1234", 123}, {"999", 0}};
  for (auto [text, port] : cases)
    EXPECT_EQ(wntdld42::PortFromText(text), port) << '"' << text << '"';
}

class Startup : public ::testing::Test {
 protected:
  StartResult Start() {
    return wntdld42::OpenPinPad(program, registry, [this](int x, int y) {
      pointer.emplace_back(x, y);
      pointerBeforePrompt = ui.Events().empty();
    });
  }
  void TearDown() override {
    EXPECT_EQ(ui.Problems(), std::vector<std::string>{});
    EXPECT_EQ(registry.OpenHandles(), 0u);  // every key opened was closed
  }

  devconfig::MemoryRegistry registry;
  wntdld42::FakePinApi api;
  ScriptedUi ui;
  wntdld42::ScriptedModeForm modeForm;
  wntdld42::Program program{api, ui, modeForm};
  std::vector<std::pair<int, int>> pointer;
  bool pointerBeforePrompt = false;
};

TEST_F(Startup, EitherSubkeyRecordedOpensWithPinOpenAndNoPrompt) {
  for (const char* subkey : {"QRT8342M", "QRT8342P"}) {
    SCOPED_TRACE(subkey);
    devconfig::MemoryRegistry one;
    one.AddKey(std::string("HKCR\\QRT_8300_FIO_DEVICES\\") + subkey);
    // Written by the elevated installer: this user may read the key but not open it fully.
    one.Fail(devconfig::MemoryRegistry::Op::kOpen, "", devconfig::kErrorAccessDenied);
    api.calls.clear();
    program.handle = 0;
    EXPECT_EQ(wntdld42::OpenPinPad(program, one, nullptr), StartResult::kOpened);
    EXPECT_EQ(api.Functions(), std::vector<std::string>{"PinOpen"});
    EXPECT_EQ(program.handle, api.handleValue);
    EXPECT_EQ(one.OpenHandles(), 0u);
  }
  EXPECT_TRUE(ui.Events().empty());
  EXPECT_TRUE(pointer.empty());
}

TEST_F(Startup, NotRecordedPromptsWithThePointerPlacedAndOpensTheTypedPort) {
  registry.AddKey("HKCR\\QRT_8300_FIO_DEVICES\\QRT8343");  // another device only
  ui.Enter("COMMPORT", {"5"});
  EXPECT_EQ(Start(), StartResult::kOpened);
  EXPECT_EQ(pointer, (std::vector<std::pair<int, int>>{{130, 18}}));
  EXPECT_TRUE(pointerBeforePrompt);
  ASSERT_EQ(ui.Events().size(), 1u);
  const ui::EntryDialog& prompt = ui.Events()[0].entry;
  EXPECT_EQ(prompt.name, "COMMPORT");
  ASSERT_EQ(prompt.fields.size(), 1u);
  EXPECT_EQ(prompt.fields[0].id, 1200);
  EXPECT_EQ(prompt.fields[0].take, 3u);
  EXPECT_EQ(prompt.fields[0].preset, "1");
  EXPECT_EQ(prompt.okId, 1201);
  EXPECT_EQ(prompt.cancelId, 1202);
  EXPECT_EQ(prompt.helpId, 1203);
  EXPECT_EQ(prompt.help.file, "wntdld42.hlp");
  EXPECT_EQ(prompt.help.context, 130u);
  ASSERT_EQ(api.Functions(), std::vector<std::string>{"PinOpenParms"});
  EXPECT_EQ(api.calls[0].a, 5);
  EXPECT_EQ(program.handle, api.handleValue);
}

TEST_F(Startup, ThePresetPortIsOneAndTypedPortsFollowTheTextRules) {
  ui.Enter("COMMPORT", {});  // OK on the preset
  EXPECT_EQ(Start(), StartResult::kOpened);
  ui.Enter("COMMPORT", {"300"});
  EXPECT_EQ(Start(), StartResult::kOpened);
  ui.Enter("COMMPORT", {"12a"});
  EXPECT_EQ(Start(), StartResult::kOpened);
  ASSERT_EQ(api.calls.size(), 3u);
  EXPECT_EQ(api.calls[0].a, 1);
  EXPECT_EQ(api.calls[1].a, 0);  // names no port, rather than COM44
  EXPECT_EQ(api.calls[2].a, 12);
}

// Whatever is typed, the pad is opened on a port whose digits were typed, or on none.
TEST_F(Startup, EveryTypedTextOpensATypedPortOrNone) {
  const ui::EntryDialog prompt = wntdld42::CommPortDialog();
  for (const uitest::TypedText& t : uitest::TypedTexts(prompt.fields[0])) {
    SCOPED_TRACE(t.name);
    api.calls.clear();
    ui.Enter(prompt.name, {t.text});
    EXPECT_EQ(wntdld42::OpenPinPad(program, registry, nullptr), StartResult::kOpened);
    ASSERT_EQ(api.Functions(), std::vector<std::string>{"PinOpenParms"});
    EXPECT_TRUE(uitest::PortWasTyped(ui::TakeField(t.text, prompt.fields[0].take), api.calls[0].a))
        << "port " << api.calls[0].a;
  }
}

TEST_F(Startup, NoKeyOrAnUnopenableKeyPrompts) {
  registry.AddKey("HKCR\\QRT_8300_FIO_DEVICES\\QRT8342P");
  registry.Fail(devconfig::MemoryRegistry::Op::kOpenRead, "HKCR\\QRT_8300_FIO_DEVICES",
                devconfig::kErrorAccessDenied);
  ui.Enter("COMMPORT", {"2"});
  EXPECT_EQ(Start(), StartResult::kOpened);
  EXPECT_EQ(api.Functions(), std::vector<std::string>{"PinOpenParms"});
}

TEST_F(Startup, CancelEndsWithoutAnyLibraryCall) {
  ui.Cancel("COMMPORT");
  EXPECT_EQ(Start(), StartResult::kCancelled);
  EXPECT_TRUE(api.calls.empty());
  EXPECT_TRUE(ui.MessageTexts().empty());
}

TEST_F(Startup, AnOpenFailureShowsItsCodeAfterSixBlanks) {
  ui.Enter("COMMPORT", {"9"});
  api.Script("PinOpenParms", 2);
  EXPECT_EQ(Start(), StartResult::kOpenFailed);
  EXPECT_EQ(ui.MessageTexts(), std::vector<std::string>{"Open 8342 device error: rc      2"});
  EXPECT_EQ(ui.Events().back().message.icon, ui::Icon::kError);
  EXPECT_EQ(ui.Events().back().message.caption, "QRT 8342 Download Program");
  EXPECT_EQ(api.Functions(), std::vector<std::string>{"PinOpenParms"});  // and no PinClose

  devconfig::MemoryRegistry recorded;
  recorded.AddKey("HKCR\\QRT_8300_FIO_DEVICES\\QRT8342M");
  ScriptedUi fresh;
  wntdld42::Program p{api, fresh, modeForm};
  api.Script("PinOpen", 65535);
  EXPECT_EQ(wntdld42::OpenPinPad(p, recorded, nullptr), StartResult::kOpenFailed);
  EXPECT_EQ(fresh.MessageTexts(),
            std::vector<std::string>{"Open 8342 device error: rc      65535"});
}

}  // namespace
