// The presence test against Wine's real registry, with the keys written by reg.exe as a
// technician (or the installer) would leave them.
#include <gtest/gtest.h>
#include <windows.h>

#include "devconfig/DeviceConfig.h"
#include "devconfig/win32/Win32Registry.h"
#include "tests/support/Registry.h"

using namespace devconfig;
using support::Reg;

namespace {

class RealRegistry : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CLASSES_ROOT, kRootKey); }
  void TearDown() override { RegDeleteTreeA(HKEY_CLASSES_ROOT, kRootKey); }
  Win32Registry reg;
};

TEST_F(RealRegistry, AbsentWithoutTheKey) {
  EXPECT_FALSE(IsSubkeyPresent(reg, kSubkey8343));
  EXPECT_FALSE(IsAnySubkeyPresent(reg, {kSubkey8342P, kSubkey8342M}));
}

TEST_F(RealRegistry, PresentOnceRegAddedTheSubkey) {
  ASSERT_EQ(Reg("add HKCR\\QRT_8300_FIO_DEVICES\\QRT8343 /v ComPort /t REG_DWORD /d 4 /f").exit,
            0u);
  EXPECT_TRUE(IsSubkeyPresent(reg, kSubkey8343));
  EXPECT_FALSE(IsAnySubkeyPresent(reg, {kSubkey8342P, kSubkey8342M}));
  ASSERT_EQ(Reg("add HKCR\\QRT_8300_FIO_DEVICES\\QRT8342M /f").exit, 0u);
  EXPECT_TRUE(IsAnySubkeyPresent(reg, {kSubkey8342P, kSubkey8342M}));
  ASSERT_EQ(Reg("delete HKCR\\QRT_8300_FIO_DEVICES\\QRT8343 /f").exit, 0u);
  EXPECT_FALSE(IsSubkeyPresent(reg, kSubkey8343));
}

TEST_F(RealRegistry, WrittenValuesReadBackByRegExe) {
  RegKey root = 0, sub = 0;
  ASSERT_EQ(reg.CreateKey(kClassesRoot, kRootKey, &root), kErrorSuccess);
  ASSERT_EQ(reg.CreateKey(root, kSubkey8341, &sub), kErrorSuccess);
  ASSERT_EQ(SetDword(reg, sub, kValueComPort, 3), kErrorSuccess);
  reg.CloseKey(sub);
  reg.CloseKey(root);
  EXPECT_EQ(Reg("query HKCR\\QRT_8300_FIO_DEVICES\\QRT8341 /v ComPort").exit, 0u);
  EXPECT_NE(Reg("query HKCR\\QRT_8300_FIO_DEVICES\\QRT8341 /v Mode").exit, 0u);
}

}  // namespace
