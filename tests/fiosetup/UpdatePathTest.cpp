// UpdatePath against the in-memory registry: every example, the 512-byte buffer, the value
// type, the question and the broadcast.
#include <gtest/gtest.h>

#include "fiosetup/RegistryWriter.h"
#include "tests/fiosetup/Fakes.h"

using namespace fiosetup;
using devconfig::MemoryRegistry;
using fiosetup::testing::Fakes;
using Names = std::vector<std::string>;

namespace {

constexpr char kEnv[] = "HKCU\\Environment";
constexpr char kTarget[] = "C:\\W8300FIO";

struct PathBench {
  PathBench() {
    f.registry.AddKey(kEnv);
    table.nt = true;
  }
  int Update(const std::string& target = kTarget) {
    return UpdatePath(table, target, f.platform());
  }
  std::optional<std::string> Path(std::uint32_t* type = nullptr) const {
    return f.registry.String(kEnv, "PATH", type);
  }
  bool Asked() const { return !f.ui.MessageTexts().empty(); }

  Fakes f;
  DeviceTable table;
};

struct Example {
  std::optional<std::string> before;
  std::optional<ui::Answer> answer;  // to "PATH value not found, create it now?"
  std::optional<std::string> after;
  int result;
};

TEST(UpdatePath, Examples) {
  const Example examples[] = {
      {"C:\\BIN", std::nullopt, "C:\\BIN;C:\\W8300FIO;", 1},
      {"C:\\BIN;", std::nullopt, "C:\\BIN;C:\\W8300FIO;", 1},
      {"", std::nullopt, "C:\\W8300FIO;", 1},
      {"D:\\X;C:\\W8300FIO", std::nullopt, "D:\\X;C:\\W8300FIO", 1},
      {"C:\\W8300FIO;D:\\X", std::nullopt, "C:\\W8300FIO;D:\\X", 1},
      {"c:\\w8300fio;D:\\X", std::nullopt, "c:\\w8300fio;D:\\X;C:\\W8300FIO;", 1},
      {std::nullopt, ui::Answer::Yes, "C:\\W8300FIO", 1},
      {std::nullopt, ui::Answer::No, std::nullopt, 0},
  };
  for (const Example& e : examples) {
    SCOPED_TRACE(e.before.value_or("(absent)"));
    PathBench b;
    if (e.before) b.f.registry.PutString(kEnv, "PATH", *e.before);
    if (e.answer) b.f.ui.Answer(*e.answer);
    EXPECT_EQ(b.Update(), e.result);
    std::uint32_t type = 0;
    EXPECT_EQ(b.Path(&type), e.after);
    if (e.after) {
      EXPECT_EQ(type, devconfig::kRegSz);
    }
    EXPECT_EQ(b.Asked(), e.answer.has_value());
    bool written = e.result == 1 && e.after != e.before;
    EXPECT_EQ(b.f.settingChange.broadcasts, written ? 1 : 0);
    EXPECT_EQ(b.f.status.shown, Names{"              Updating path environment variable ..."});
    EXPECT_EQ(b.f.pause.waits, std::vector<unsigned>{1000});
    EXPECT_EQ(b.f.registry.OpenHandles(), 0u);
    EXPECT_EQ(b.f.ui.Problems(), Names{});
  }
}

TEST(UpdatePath, TheQuestionForAMissingPath) {
  PathBench b;
  b.f.ui.Answer(ui::Answer::Yes);
  b.Update();
  ASSERT_EQ(b.f.ui.Events().size(), 1u);
  const ui::Message& m = b.f.ui.Events()[0].message;
  EXPECT_EQ(m.caption, "QRT 8300 FIO Devices Installation Program");
  EXPECT_EQ(m.text, "PATH value not found, create it now?");
  EXPECT_EQ(m.icon, ui::Icon::Question);
  EXPECT_EQ(m.buttons, ui::Buttons::YesNo);
}

TEST(UpdatePath, NotWindowsNtSkipsTheStep) {
  PathBench b;
  b.table.nt = false;
  b.f.registry.PutString(kEnv, "PATH", "C:\\BIN");
  EXPECT_EQ(b.Update(), 1);
  EXPECT_EQ(b.Path(), "C:\\BIN");
  EXPECT_TRUE(b.f.status.shown.empty());
  EXPECT_TRUE(b.f.pause.waits.empty());
  EXPECT_EQ(b.f.settingChange.broadcasts, 0);
  EXPECT_TRUE(b.f.registry.Log().empty());
}

TEST(UpdatePath, TheValueMustFitThe512ByteBuffer) {
  // Entry "C:\W8300FIO;" is 12; value as read is its length + 1; + 1 may not exceed 512.
  struct Case {
    std::string before;
    int result;
  };
  const std::string fits(498, 'p');  // 12 + 499 + 1 = 512; afterwards 511 characters
  const std::string fitsWithSemicolon = std::string(497, 'p') + ";";
  const Case cases[] = {
      {fits, 1},
      {fits + "p", 0},
      {fitsWithSemicolon, 1},
      {fitsWithSemicolon + "p", 0},
      {std::string(510, 'p'), 0},  // 511 bytes: read, but no room to append
      {std::string(511, 'p'), 0},  // 512 bytes: does not even fit the buffer
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before.size());
    PathBench b;
    b.f.registry.PutString(kEnv, "PATH", c.before);
    EXPECT_EQ(b.Update(), c.result);
    if (c.result == 1) {
      std::string after = c.before.back() == ';' ? c.before : c.before + ";";
      after += "C:\\W8300FIO;";
      EXPECT_EQ(b.Path(), after);
      EXPECT_LE(after.size() + 1, 512u);
      EXPECT_EQ(b.f.settingChange.broadcasts, 1);
    } else {
      EXPECT_EQ(b.Path(), c.before);
      EXPECT_EQ(b.f.settingChange.broadcasts, 0);
    }
    EXPECT_FALSE(b.Asked());
  }
}

TEST(UpdatePath, AnExpandablePathStaysExpandable) {
  PathBench b;
  b.f.registry.PutString(kEnv, "PATH", "%USERPROFILE%\\bin", devconfig::kRegExpandSz);
  EXPECT_EQ(b.Update(), 1);
  std::uint32_t type = 0;
  EXPECT_EQ(b.Path(&type), "%USERPROFILE%\\bin;C:\\W8300FIO;");
  EXPECT_EQ(type, devconfig::kRegExpandSz);
}

TEST(UpdatePath, EnvironmentThatDoesNotOpenFails) {
  Fakes f;
  DeviceTable table;
  table.nt = true;
  EXPECT_EQ(UpdatePath(table, kTarget, f.platform()), 0);  // no HKCU\Environment
  EXPECT_TRUE(f.ui.MessageTexts().empty());
  EXPECT_EQ(f.settingChange.broadcasts, 0);
}

TEST(UpdatePath, APathThatCannotBeReadIsNeverReplaced) {
  PathBench b;
  b.f.registry.PutString(kEnv, "PATH", "C:\\BIN");
  b.f.registry.Fail(MemoryRegistry::Op::Query, kEnv, devconfig::kErrorAccessDenied, "PATH");
  EXPECT_EQ(b.Update(), 0);
  EXPECT_FALSE(b.Asked());
  EXPECT_EQ(b.Path(), "C:\\BIN");
}

TEST(UpdatePath, AFailedWriteFailsWithoutBroadcast) {
  PathBench b;
  b.f.registry.PutString(kEnv, "PATH", "C:\\BIN");
  b.f.registry.Fail(MemoryRegistry::Op::Set, kEnv, devconfig::kErrorAccessDenied);
  EXPECT_EQ(b.Update(), 0);
  EXPECT_EQ(b.f.settingChange.broadcasts, 0);
  EXPECT_EQ(b.f.registry.OpenHandles(), 0u);
}

TEST(UpdatePath, TheSearchIsForTheExactEntry) {
  PathBench b;
  b.f.registry.PutString(kEnv, "PATH", "C:\\W8300FIO2;C:\\W8300FIOX");
  EXPECT_EQ(b.Update(), 1);
  EXPECT_EQ(b.Path(), "C:\\W8300FIO2;C:\\W8300FIOX;C:\\W8300FIO;");
}

}  // namespace
