// The presence test that the device programs make before asking for a port.
#include <gtest/gtest.h>

#include "devconfig/DeviceConfig.h"
#include "devconfig/MemoryRegistry.h"

using namespace devconfig;

namespace {

const std::string kRoot = "HKCR\\QRT_8300_FIO_DEVICES";

TEST(DeviceConfig, NamesOfTheKeyAndItsValues) {
  EXPECT_STREQ(kRootKey, "QRT_8300_FIO_DEVICES");
  const char* expected[] = {"QRT8341", "QRT8342M", "QRT8342P", "QRT8343"};
  for (std::size_t i = 0; i < kDeviceKinds.size(); ++i) {
    EXPECT_STREQ(SubkeyName(kDeviceKinds[i]), expected[i]);
  }
  EXPECT_STREQ(kValueComPort, "ComPort");
  EXPECT_STREQ(kValueMode, "Mode");
  EXPECT_STREQ(kValueOptionS, "OptionS");
}

struct PresenceCase {
  const char* what;
  std::vector<std::string> keys;                         // created before the test
  std::vector<std::pair<std::string, long>> openFaults;  // opens for reading that fail
  bool present8343;
  bool presentPinPad;  // QRT8342P, then QRT8342M
};

class Presence : public ::testing::TestWithParam<PresenceCase> {};

TEST_P(Presence, RootThenSubkeyAnyFailureMeansAbsent) {
  const PresenceCase& c = GetParam();
  MemoryRegistry reg;
  for (const std::string& key : c.keys) reg.AddKey(key);
  // The caller may only read the key, as a standard user may read what the installer wrote
  // elevated: a full-access open fails, and the presence test must not depend on one.
  reg.Fail(MemoryRegistry::Op::kOpen, "", kErrorAccessDenied);
  for (const auto& [path, code] : c.openFaults) reg.Fail(MemoryRegistry::Op::kOpenRead, path, code);
  EXPECT_EQ(IsSubkeyPresent(reg, kSubkey8343), c.present8343) << c.what;
  EXPECT_EQ(IsAnySubkeyPresent(reg, {kSubkey8342P, kSubkey8342M}), c.presentPinPad) << c.what;
  EXPECT_EQ(reg.OpenHandles(), 0u) << c.what << ": a key was left open";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Presence,
    ::testing::Values(
        PresenceCase{"nothing installed", {}, {}, false, false},
        PresenceCase{"empty root key", {kRoot}, {}, false, false},
        PresenceCase{"terminal", {kRoot + "\\QRT8343"}, {}, true, false},
        PresenceCase{"subkey names ignore case", {kRoot + "\\qrt8343"}, {}, true, false},
        PresenceCase{"PIN pad", {kRoot + "\\QRT8342P"}, {}, false, true},
        PresenceCase{
            "MSR alone counts for the PIN pad program", {kRoot + "\\QRT8342M"}, {}, false, true},
        PresenceCase{"8341 holding only OptionS", {kRoot + "\\QRT8341"}, {}, false, false},
        PresenceCase{"root may not be read",
                     {kRoot + "\\QRT8343", kRoot + "\\QRT8342P"},
                     {{kRoot, kErrorAccessDenied}},
                     false,
                     false},
        PresenceCase{"subkey may not be opened",
                     {kRoot + "\\QRT8343"},
                     {{kRoot + "\\QRT8343", kErrorAccessDenied}},
                     false,
                     false},
        PresenceCase{"PIN subkey refused, MSR opens",
                     {kRoot + "\\QRT8342P", kRoot + "\\QRT8342M"},
                     {{kRoot + "\\QRT8342P", kErrorAccessDenied}},
                     false,
                     true}));

TEST(DeviceConfig, PinPadProgramTriesThePinPadFirstThenTheMsr) {
  MemoryRegistry reg;
  reg.AddKey(kRoot + "\\QRT8342M");
  ASSERT_TRUE(IsAnySubkeyPresent(reg, {kSubkey8342P, kSubkey8342M}));
  EXPECT_EQ(reg.Log(), (std::vector<std::string>{
                           "OpenRead HKCR\\QRT_8300_FIO_DEVICES = 0",
                           "OpenRead HKCR\\QRT_8300_FIO_DEVICES\\QRT8342P = 2",
                           "OpenRead HKCR\\QRT_8300_FIO_DEVICES\\QRT8342M = 0",
                           "Close HKCR\\QRT_8300_FIO_DEVICES\\QRT8342M = 0",
                           "Close HKCR\\QRT_8300_FIO_DEVICES = 0",
                       }));
}

TEST(MemoryRegistry, InjectedFaultsHitOnlyTheirCallAndCount) {
  MemoryRegistry reg;
  reg.Fail(MemoryRegistry::Op::kSet, "HKCR\\K", kErrorAccessDenied, "Mode", 1);
  RegKey key = 0;
  ASSERT_EQ(reg.CreateKey(kClassesRoot, "K", &key), kErrorSuccess);
  EXPECT_EQ(SetDword(reg, key, "ComPort", 1), kErrorSuccess);
  EXPECT_EQ(SetDword(reg, key, "Mode", 2), kErrorAccessDenied);  // the one injected failure
  EXPECT_EQ(SetDword(reg, key, "Mode", 2), kErrorSuccess);       // used up
  EXPECT_EQ(reg.Dword("HKCR\\K", "Mode"), 2u);
  reg.CloseKey(key);
  EXPECT_EQ(reg.OpenHandles(), 0u);
}

}  // namespace
