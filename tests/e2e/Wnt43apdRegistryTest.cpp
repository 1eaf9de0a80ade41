// WNT43APD without a port argument: the stand-in library's EftOpen takes the 8343's ComPort
// from the device configuration key, else port 1.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/e2e/E2e.h"
#include "tests/support/Registry.h"
#include "tests/support/TempFolder.h"
#include "tools/DeviceServer.h"
#include "tools/UiAuto.h"

using namespace uiauto;

namespace {

constexpr char kRoot[] = "QRT_8300_FIO_DEVICES";
constexpr char kSubkey[] = "QRT_8300_FIO_DEVICES\\QRT8343";

class Wnt43apdRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    // The second record's address field is the tag; one data byte at 4000 is enough.
    temp_.Write("app.hex",
                ":200000000000000000000000000000000000000000000000000000000000000000000000E0\r\n"
                ":0140000011AE\r\n:00000001FF\r\n");
    server_.emplace(temp_.File("state"));
  }
  void TearDown() override { server_.reset(); }
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

  const support::RegistrySnapshot devices_{HKEY_CLASSES_ROOT, kRoot};
  const support::TempFolder temp_{"wnt43apd-e2e-registry"};
  const std::string dir_ = temp_.Str();
  std::optional<uiauto::DeviceServer> server_;  // the devices of state_, on COM ports
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
