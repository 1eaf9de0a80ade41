// WriteRegistry against the in-memory registry: what it writes and deletes, in which order,
// and what a failure at each step leaves behind.
#include <gtest/gtest.h>

#include "fiosetup/RegistryWriter.h"
#include "tests/fiosetup/Fakes.h"

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
  EXPECT_FALSE(r.table.availability.SubmenuEnabled(Submenu::FileUpdate));
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
  r.f.registry.Fail(MemoryRegistry::Op::Create, kRoot, devconfig::kErrorAccessDenied);
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
  r.f.registry.Fail(MemoryRegistry::Op::Delete, Sub("QRT8341"), devconfig::kErrorAccessDenied, "",
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
  r.f.registry.Fail(MemoryRegistry::Op::Delete, Sub("QRT8341"), devconfig::kErrorAccessDenied);
  EXPECT_EQ(r.Write(), 0);
  EXPECT_TRUE(r.f.registry.KeyExists(Sub("QRT8341")));
  EXPECT_TRUE(r.f.registry.KeyExists(Sub("QRT8343")));  // not reached
  EXPECT_EQ(r.table.registered, (std::array<bool, 4>{true, false, false, true}));
}

}  // namespace
