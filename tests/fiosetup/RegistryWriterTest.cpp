// WriteRegistry against the in-memory registry: what it writes and deletes, in which order,
// and what a failure at each step leaves behind. UpdatePath likewise: every example, the
// 512-byte buffer, the value type, the question and the broadcast.
#include <gtest/gtest.h>

#include "fiosetup/Fakes.h"
#include "fiosetup/RegistryWriter.h"

using namespace fiosetup;
using devconfig::MemoryRegistry;
using devconfig::Registry;
using devconfig::RegKey;
using fiosetup::testing::Fakes;
using Names = std::vector<std::string>;

namespace {

constexpr char kRoot[] = "HKCR\\QRT_8300_FIO_DEVICES";
std::string Sub(const char* name) { return std::string(kRoot) + "\\" + name; }
using K = DeviceKind;

// Fails the n-th call that changes the registry (create, set or delete; counting from 0)
// with ERROR_ACCESS_DENIED, and passes everything else on.
class FailingRegistry : public Registry {
 public:
  FailingRegistry(Registry& inner, int failAt) : inner_(inner), failAt_(failAt) {}
  int changes = 0;

  long OpenKey(RegKey parent, const std::string& subkey, RegKey* key) override {
    return inner_.OpenKey(parent, subkey, key);
  }
  long OpenKeyToRead(RegKey parent, const std::string& subkey, RegKey* key) override {
    return inner_.OpenKeyToRead(parent, subkey, key);
  }
  long CreateKey(RegKey parent, const std::string& subkey, RegKey* key) override {
    return Fails() ? devconfig::kErrorAccessDenied : inner_.CreateKey(parent, subkey, key);
  }
  long QueryValue(RegKey key, const std::string& name, std::uint32_t capacity, std::uint32_t* type,
                  std::vector<std::uint8_t>* data) override {
    return inner_.QueryValue(key, name, capacity, type, data);
  }
  long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                const std::vector<std::uint8_t>& data) override {
    return Fails() ? devconfig::kErrorAccessDenied : inner_.SetValue(key, name, type, data);
  }
  long DeleteKey(RegKey parent, const std::string& subkey) override {
    return Fails() ? devconfig::kErrorAccessDenied : inner_.DeleteKey(parent, subkey);
  }
  long CloseKey(RegKey key) override { return inner_.CloseKey(key); }

 private:
  bool Fails() { return changes++ == failAt_; }
  Registry& inner_;
  int failAt_;
};

// A window-mode run: read the registry, edit, write.
struct Writer {
  Fakes f;
  DeviceTable table;
  long Write() { return WriteRegistry(table, f.platform()); }
};

TEST(WriteRegistry, NewDevicesOnAnEmptyRegistry) {
  Writer r;
  ReadConfiguration(r.table, r.f.registry);
  AddDevice(r.table, K::k8341, 3);
  AddDevice(r.table, K::k8343, 4);
  EXPECT_EQ(r.Write(), 1);
  EXPECT_EQ(r.f.RegistryWrites(), (Names{"Create HKCR\\QRT_8300_FIO_DEVICES = 0",
                                         "Create HKCR\\QRT_8300_FIO_DEVICES\\QRT8341 = 0",
                                         "Set HKCR\\QRT_8300_FIO_DEVICES\\QRT8341:ComPort = 0",
                                         "Set HKCR\\QRT_8300_FIO_DEVICES\\QRT8341:Mode = 0",
                                         "Create HKCR\\QRT_8300_FIO_DEVICES\\QRT8343 = 0",
                                         "Set HKCR\\QRT_8300_FIO_DEVICES\\QRT8343:ComPort = 0"}));
  const auto& reg = r.f.registry;
  EXPECT_EQ(reg.Dword(Sub("QRT8341"), "ComPort"), 3u);
  EXPECT_EQ(reg.Dword(Sub("QRT8341"), "Mode"), 2u);
  EXPECT_EQ(reg.ValueNames(Sub("QRT8341")), (Names{"ComPort", "Mode"}));
  EXPECT_EQ(reg.Dword(Sub("QRT8343"), "ComPort"), 4u);
  EXPECT_EQ(reg.ValueNames(kRoot), Names{});
  EXPECT_EQ(r.table.registered, (std::array<bool, 4>{true, false, false, true}));
  EXPECT_EQ(r.table.mode, 2u);
  EXPECT_EQ(r.f.status.shown, Names{"              Updating registry ..."});
  EXPECT_EQ(r.f.pause.waits, std::vector<unsigned>{1000});
  EXPECT_TRUE(r.table.availability.Enabled(107));
  EXPECT_TRUE(r.table.availability.Enabled(105));
  EXPECT_TRUE(r.table.changed);  // the callers clear it
  EXPECT_EQ(reg.OpenHandles(), 0u);
}

TEST(WriteRegistry, Removing8343While8341StaysRewritesModeAsOne) {
  Writer r;
  r.f.registry.PutDword(Sub("QRT8341"), "ComPort", 3);
  r.f.registry.PutDword(Sub("QRT8341"), "Mode", 2);
  r.f.registry.PutDword(Sub("QRT8343"), "ComPort", 4);
  ReadConfiguration(r.table, r.f.registry);
  DeleteDevice(r.table, K::k8343);
  EXPECT_EQ(r.Write(), 1);
  EXPECT_EQ(r.f.registry.Dword(Sub("QRT8341"), "Mode"), 1u);
  EXPECT_EQ(r.f.registry.Dword(Sub("QRT8341"), "ComPort"), 3u);
  EXPECT_FALSE(r.f.registry.KeyExists(Sub("QRT8343")));
  EXPECT_EQ(r.table.mode, 1u);
  EXPECT_EQ(r.table.registered, (std::array<bool, 4>{true, false, false, false}));
}

TEST(WriteRegistry, MsrWithSAndNo8341KeepsOptionSAloneInQrt8341) {
  Writer r;
  ReadConfiguration(r.table, r.f.registry);
  AddDevice(r.table, K::k8342Msr, 2);
  ToggleOptionS(r.table);
  EXPECT_EQ(r.Write(), 1);
  EXPECT_EQ(r.f.registry.ValueNames(Sub("QRT8341")), Names{"OptionS"});
  EXPECT_EQ(r.f.registry.Dword(Sub("QRT8341"), "OptionS"), 1u);
  EXPECT_EQ(r.f.registry.Dword(Sub("QRT8342M"), "ComPort"), 2u);
  // QRT8341 is not the 8341's: its registered flag stays clear.
  EXPECT_EQ(r.table.registered, (std::array<bool, 4>{false, true, false, false}));

  // Removing the MSR in the same run deletes both subkeys.
  DeleteDevice(r.table, K::k8342Msr);
  EXPECT_EQ(r.Write(), 1);
  EXPECT_EQ(r.f.registry.Subkeys(kRoot), Names{});
  EXPECT_EQ(r.table.registered, (std::array<bool, 4>{}));
}

TEST(WriteRegistry, RemovingAnMsrReadFromTheRegistryDeletesItsOptionSKey) {
  Writer r;
  r.f.registry.PutDword(Sub("QRT8341"), "OptionS", 1);
  r.f.registry.PutDword(Sub("QRT8342M"), "ComPort", 2);
  ReadConfiguration(r.table, r.f.registry);
  DeleteDevice(r.table, K::k8342Msr);
  EXPECT_EQ(r.Write(), 1);
  EXPECT_EQ(r.f.RegistryWrites(), (Names{"Create HKCR\\QRT_8300_FIO_DEVICES = 0",
                                         "Delete HKCR\\QRT_8300_FIO_DEVICES\\QRT8341 = 0",
                                         "Delete HKCR\\QRT_8300_FIO_DEVICES\\QRT8342M = 0"}));
  EXPECT_EQ(r.f.registry.Subkeys(kRoot), Names{});
  EXPECT_TRUE(r.f.registry.KeyExists(kRoot));
}

TEST(WriteRegistry, MsrWritesItsSOptionEitherWay) {
  Writer r;
  r.f.registry.PutDword(Sub("QRT8341"), "ComPort", 1);
  r.f.registry.PutDword(Sub("QRT8341"), "Mode", 1);
  r.f.registry.PutDword(Sub("QRT8341"), "OptionS", 1);
  r.f.registry.PutDword(Sub("QRT8342M"), "ComPort", 2);
  ReadConfiguration(r.table, r.f.registry);
  ToggleOptionS(r.table);
  EXPECT_EQ(r.Write(), 1);
  EXPECT_EQ(r.f.registry.Dword(Sub("QRT8341"), "OptionS"), 0u);
  EXPECT_EQ(r.f.registry.Dword(Sub("QRT8341"), "ComPort"), 1u);

  // Removing the MSR while the 8341 stays leaves the 8341's values in place.
  DeleteDevice(r.table, K::k8342Msr);
  EXPECT_EQ(r.Write(), 1);
  EXPECT_FALSE(r.f.registry.KeyExists(Sub("QRT8342M")));
  EXPECT_EQ(r.f.registry.Dword(Sub("QRT8341"), "ComPort"), 1u);
  EXPECT_EQ(r.f.registry.Dword(Sub("QRT8341"), "Mode"), 1u);
}

TEST(WriteRegistry, RemovingEveryDeviceLeavesTheEmptyRootKey) {
  Writer r;
  r.f.registry.PutDword(Sub("QRT8341"), "ComPort", 1);
  r.f.registry.PutDword(Sub("QRT8342M"), "ComPort", 2);
  r.f.registry.PutDword(Sub("QRT8342P"), "ComPort", 3);
  ReadConfiguration(r.table, r.f.registry);
  for (DeviceKind kind : {K::k8341, K::k8342Msr, K::k8342Pin}) DeleteDevice(r.table, kind);
  EXPECT_EQ(r.Write(), 1);
  EXPECT_TRUE(r.f.registry.KeyExists(kRoot));
  EXPECT_EQ(r.f.registry.Subkeys(kRoot), Names{});
  EXPECT_EQ(r.table.registered, (std::array<bool, 4>{}));
  // No device left: File > Update and Update > DeviceSupport are greyed.
  EXPECT_FALSE(r.table.availability.SubmenuEnabled(Submenu::kFileUpdate));
  EXPECT_FALSE(r.table.availability.Enabled(107));
}

TEST(WriteRegistry, ASubkeyAlreadyGoneCountsAsDeleted) {
  // QRT8342M without QRT8341, as a hand edit could leave it.
  Writer r;
  r.f.registry.PutDword(Sub("QRT8342M"), "ComPort", 2);
  r.f.registry.PutDword(Sub("QRT8342P"), "ComPort", 3);
  ReadConfiguration(r.table, r.f.registry);
  DeleteDevice(r.table, K::k8342Msr);
  r.f.registry.DeleteKey(devconfig::kClassesRoot, Sub("QRT8342P").substr(5));  // behind our back
  DeleteDevice(r.table, K::k8342Pin);
  EXPECT_EQ(r.Write(), 1);
  EXPECT_EQ(r.f.registry.Subkeys(kRoot), Names{});
  EXPECT_EQ(r.table.registered, (std::array<bool, 4>{}));
}

TEST(WriteRegistry, RootKeyNotCreatableReturnsTheErrorCodeAndWritesNothing) {
  Writer r;
  r.f.registry.Fail(MemoryRegistry::Op::kCreate, kRoot, devconfig::kErrorAccessDenied);
  AddDevice(r.table, K::k8341, 3);
  const Availability before = r.table.availability;
  EXPECT_EQ(r.Write(), 5);
  EXPECT_FALSE(r.f.registry.KeyExists(kRoot));
  EXPECT_EQ(r.table.registered, (std::array<bool, 4>{}));
  EXPECT_EQ(r.table.availability, before);
  // The status line and the pause come first.
  EXPECT_EQ(r.f.status.shown.size(), 1u);
  EXPECT_EQ(r.f.pause.waits, std::vector<unsigned>{1000});
}

// One window-mode run that touches every step: the 8341's port changes, S is switched on for
// the MSR (written into QRT8341) and the PIN pad is removed. Its changing calls, in order:
//   0 create root   1 create QRT8341   2 set ComPort   3 set Mode
//   4 create QRT8342M   5 set ComPort   6 create QRT8341   7 set OptionS   8 delete QRT8342P
struct FailCase {
  int failAt;
  long result;
  std::uint32_t comPort8341;  // as left in the registry
  std::uint32_t optionS;
  bool pinKey;
  std::array<bool, 4> registered;
};

TEST(WriteRegistry, AFailureAtEachStepKeepsWhatWasWrittenBefore) {
  const FailCase cases[] = {
      {0, 5, 1, 0, true, {true, true, true, false}},
      {1, 0, 1, 0, true, {true, true, true, false}},
      {2, 0, 1, 0, true, {true, true, true, false}},
      {3, 0, 5, 0, true, {true, true, true, false}},
      {4, 0, 5, 0, true, {true, true, true, false}},
      {5, 0, 5, 0, true, {true, true, true, false}},
      {6, 0, 5, 0, true, {true, true, true, false}},
      {7, 0, 5, 0, true, {true, true, true, false}},
      {8, 0, 5, 1, true, {true, true, true, false}},
      {9, 1, 5, 1, false, {true, true, false, false}},  // no ninth change: success
  };
  for (const FailCase& c : cases) {
    SCOPED_TRACE("failing change " + std::to_string(c.failAt));
    Fakes f;
    f.registry.PutDword(Sub("QRT8341"), "ComPort", 1);
    f.registry.PutDword(Sub("QRT8341"), "Mode", 1);
    f.registry.PutDword(Sub("QRT8341"), "OptionS", 0);
    f.registry.PutDword(Sub("QRT8342M"), "ComPort", 2);
    f.registry.PutDword(Sub("QRT8342P"), "ComPort", 3);
    DeviceTable table;
    ReadConfiguration(table, f.registry);
    ChangeDevice(table, K::k8341, 5);
    ToggleOptionS(table);
    DeleteDevice(table, K::k8342Pin);
    const Availability before = table.availability;

    FailingRegistry failing(f.registry, c.failAt);
    Platform platform{failing, f.ui, f.pause, f.status, f.settingChange, f.files};
    EXPECT_EQ(WriteRegistry(table, platform), c.result);
    EXPECT_EQ(failing.changes, std::min(c.failAt + 1, 9));
    EXPECT_EQ(f.registry.Dword(Sub("QRT8341"), "ComPort"), c.comPort8341);
    EXPECT_EQ(f.registry.Dword(Sub("QRT8341"), "OptionS"), c.optionS);
    EXPECT_EQ(f.registry.Dword(Sub("QRT8342M"), "ComPort"), 2u);
    EXPECT_EQ(f.registry.KeyExists(Sub("QRT8342P")), c.pinKey);
    EXPECT_EQ(table.registered, c.registered);
    EXPECT_EQ(f.registry.OpenHandles(), 0u);
    if (c.result != 1) {
      EXPECT_EQ(table.availability, before);
    } else {
      EXPECT_TRUE(table.availability.Enabled(107));
    }
  }
}

TEST(WriteRegistry, AFailedDeleteOfTheOptionSKeyCanBeRetried) {
  Writer r;
  ReadConfiguration(r.table, r.f.registry);
  AddDevice(r.table, K::k8342Msr, 2);
  ASSERT_EQ(r.Write(), 1);
  DeleteDevice(r.table, K::k8342Msr);
  r.f.registry.Fail(MemoryRegistry::Op::kDelete, Sub("QRT8341"), devconfig::kErrorAccessDenied, "",
                    1);
  EXPECT_EQ(r.Write(), 0);
  EXPECT_FALSE(r.f.registry.KeyExists(Sub("QRT8342M")));
  EXPECT_TRUE(r.f.registry.KeyExists(Sub("QRT8341")));
  EXPECT_TRUE(r.table.Registered(K::k8342Msr));  // cleared only when both are gone

  // Update > Configuration again: QRT8342M is gone already, QRT8341 goes now.
  EXPECT_EQ(r.Write(), 1);
  EXPECT_EQ(r.f.registry.Subkeys(kRoot), Names{});
  EXPECT_FALSE(r.table.Registered(K::k8342Msr));
}

TEST(WriteRegistry, AFailedDeleteStopsTheWrite) {
  Writer r;
  r.f.registry.PutDword(Sub("QRT8341"), "ComPort", 1);
  r.f.registry.PutDword(Sub("QRT8343"), "ComPort", 4);
  ReadConfiguration(r.table, r.f.registry);
  DeleteDevice(r.table, K::k8341);
  DeleteDevice(r.table, K::k8343);
  r.f.registry.Fail(MemoryRegistry::Op::kDelete, Sub("QRT8341"), devconfig::kErrorAccessDenied);
  EXPECT_EQ(r.Write(), 0);
  EXPECT_TRUE(r.f.registry.KeyExists(Sub("QRT8341")));
  EXPECT_TRUE(r.f.registry.KeyExists(Sub("QRT8343")));  // not reached
  EXPECT_EQ(r.table.registered, (std::array<bool, 4>{true, false, false, true}));
}

}  // namespace

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
      {"XC:\\W8300FIO;D:\\X", std::nullopt, "XC:\\W8300FIO;D:\\X;C:\\W8300FIO;", 1},
      {std::nullopt, ui::Answer::kYes, "C:\\W8300FIO", 1},
      {std::nullopt, ui::Answer::kNo, std::nullopt, 0},
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
  b.f.ui.Answer(ui::Answer::kYes);
  b.Update();
  ASSERT_EQ(b.f.ui.Events().size(), 1u);
  const ui::Message& m = b.f.ui.Events()[0].message;
  EXPECT_EQ(m.caption, "QRT 8300 FIO Devices Installation Program");
  EXPECT_EQ(m.text, "PATH value not found, create it now?");
  EXPECT_EQ(m.icon, ui::Icon::kQuestion);
  EXPECT_EQ(m.buttons, ui::Buttons::kYesNo);
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
  b.f.registry.Fail(MemoryRegistry::Op::kQuery, kEnv, devconfig::kErrorAccessDenied, "PATH");
  EXPECT_EQ(b.Update(), 0);
  EXPECT_FALSE(b.Asked());
  EXPECT_EQ(b.Path(), "C:\\BIN");
}

TEST(UpdatePath, AFailedWriteFailsWithoutBroadcast) {
  PathBench b;
  b.f.registry.PutString(kEnv, "PATH", "C:\\BIN");
  b.f.registry.Fail(MemoryRegistry::Op::kSet, kEnv, devconfig::kErrorAccessDenied);
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
