// WNT43APD without a port argument: the stand-in library's EftOpen takes the 8343's ComPort
// from the device configuration key, else port 1.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "tests/e2e/E2e.h"
#include "tools/DeviceServer.h"
#include "tools/UiAuto.h"

using namespace uiauto;

namespace {

constexpr char kRoot[] = "QRT_8300_FIO_DEVICES";
constexpr char kSubkey[] = "QRT_8300_FIO_DEVICES\\QRT8343";

class Wnt43apdRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY root;
    rootExisted_ = RegOpenKeyExA(HKEY_CLASSES_ROOT, kRoot, 0, KEY_READ, &root) == ERROR_SUCCESS;
    if (rootExisted_) RegCloseKey(root);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dir_ = std::string(temp) + "wnt43apd-e2e-registry-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    CreateDirectoryA(dir_.c_str(), nullptr);
    // The second record's address field is the tag; one data byte at 4000 is enough.
    std::ofstream(dir_ + "\\app.hex", std::ios::binary)
        << ":200000000000000000000000000000000000000000000000000000000000000000000000E0\r\n"
           ":0140000011AE\r\n:00000001FF\r\n";
    server_.emplace(dir_ + "\\state");
  }
  void TearDown() override {
    server_.reset();
    RegDeleteKeyA(HKEY_CLASSES_ROOT, kSubkey);
    if (!rootExisted_) RegDeleteKeyA(HKEY_CLASSES_ROOT, kRoot);
    for (const char* f : {"app.hex", "state\\COM1-8343", "state\\COM7-8343", "state\\simdev.cfg",
                          "state\\WNT43PDD.TRC"})
      DeleteFileA((dir_ + "\\" + f).c_str());
    RemoveDirectoryA((dir_ + "\\state").c_str());
    RemoveDirectoryA(dir_.c_str());
  }
  void Configure(DWORD port) { ASSERT_TRUE(e2e::SetComPort(kSubkey, port)); }
  DWORD Run(const std::string& exe, const std::string& args, std::string* out = nullptr) {
    StartOptions o;
    o.workDir = dir_;
    o.env = {{"SIMDEV_STATE_DIR", dir_ + "\\state"}};
    o.captureOutput = true;
    Process p = Process::Start(e2e::Program(exe) + " " + args, o);
    DWORD code = p.WaitExit(30000);
    if (out) *out = p.Output();
    if (exe == "simdev.exe") server_->Sync();
    return code;
  }

  std::string dir_;
  std::optional<uiauto::DeviceServer> server_;  // the devices of state_, on COM ports
  bool rootExisted_ = false;
};

TEST_F(Wnt43apdRegistry, ConfiguredComPortElsePortOne) {
  RegDeleteKeyA(HKEY_CLASSES_ROOT, kSubkey);
  ASSERT_EQ(Run("simdev.exe", "attach 7 8343 dual"), 0u);
  std::string out;
  EXPECT_EQ(Run("WNT43APD.exe", "app.hex", &out), 1809u) << out;  // port 1: nothing there
  Configure(7);
  EXPECT_EQ(Run("WNT43APD.exe", "app.hex", &out), 0u) << out;
  ASSERT_EQ(Run("simdev.exe", "detach 7"), 0u);
  ASSERT_EQ(Run("simdev.exe", "attach 1 8343 dual"), 0u);
  EXPECT_EQ(Run("WNT43APD.exe", "app.hex", &out), 1809u) << out;  // ComPort 7 wins over port 1
  RegDeleteKeyA(HKEY_CLASSES_ROOT, kSubkey);
  EXPECT_EQ(Run("WNT43APD.exe", "app.hex", &out), 0u) << out;
}

}  // namespace
