// The simdev command with an emulated 8342 PIN pad: attach, show, set and faults.
#include <gtest/gtest.h>

#include "simdev/Cli.h"
#include "simdev/PinLibrary.h"
#include "simdev/State.h"
#include "tests/support/TempFolder.h"

namespace {

class CliPinPad : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> args) {
    out.clear();
    err.clear();
    return simdev::RunCli(args, dir.Str(), &out, &err);
  }
  simdev::KeyValues State(const std::string& file = "COM2-8342") {
    simdev::KeyValues s;
    EXPECT_EQ(simdev::LoadKeyValues(dir.File(file), &s), simdev::LoadResult::kOk);
    return s;
  }
  support::TempFolder dir;
  std::string out, err;
};

TEST_F(CliPinPad, AttachWithDefaultsOrGivenIdentityOneDevicePerPort) {
  EXPECT_EQ(Run({"attach", "COM2", "8342"}), simdev::kCliOk);
  EXPECT_EQ(out, "attached an 8342 PIN pad on COM2\n");
  simdev::KeyValues s = State();
  EXPECT_EQ(s["model"], "8342");
  EXPECT_EQ(s["serial"], "8342000000000001");
  EXPECT_EQ(s["hardware_version"], "8342 HW 02.10");
  EXPECT_EQ(s["mode"], "encrypted");
  EXPECT_EQ(Run({"attach", "2", "8343"}), simdev::kCliFailed);
  EXPECT_EQ(err, "simdev: COM2 already has a device: COM2-8342\n");
  EXPECT_EQ(Run({"attach", "7", "8342", "serial=0001020304050607", "version=HV 7"}),
            simdev::kCliOk);
  EXPECT_EQ(State("COM7-8342")["serial"], "0001020304050607");
  EXPECT_EQ(State("COM7-8342")["hardware_version"], "HV 7");
  for (std::vector<std::string> bad :
       {std::vector<std::string>{"attach", "8", "8342", "serial=00010203"},
        {"attach", "8", "8342", "serial=000102030405060G"},
        {"attach", "8", "8342", "version=" + std::string(32, 'V')},
        {"attach", "8", "8342", "dual"},
        {"attach", "8", "8341"}})
    EXPECT_EQ(Run(bad), simdev::kCliUsage) << bad.back();
  EXPECT_EQ(simdev::ListDevices(dir.Str()).size(), 2u);
}

TEST_F(CliPinPad, SetChangesTheIdentityAndModeOnly) {
  Run({"attach", "2", "8342"});
  EXPECT_EQ(Run({"set", "2", "serial", "a0a1a2a3a4a5a6a7"}), simdev::kCliOk);
  EXPECT_EQ(out, "COM2-8342: serial=A0A1A2A3A4A5A6A7\n");
  EXPECT_EQ(Run({"set", "2", "hardware_version", "ABCDEFGHIJKLMNOPQRST"}), simdev::kCliOk);
  EXPECT_EQ(State()["hardware_version"], "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(Run({"set", "2", "mode", "clear"}), simdev::kCliOk);
  EXPECT_EQ(State()["mode"], "clear");
  const std::vector<std::string> bad[] = {
      {"set", "2", "serial", "A0A1"},
      {"set", "2", "hardware_version", std::string(32, 'x')},
      {"set", "2", "mode", "secret"},
      {"set", "2", "master_key.8", "none"},  // keys are not set by hand
      {"set", "2", "processors", "1"},       // an 8343 field
  };
  for (const auto& args : bad) EXPECT_EQ(Run(args), simdev::kCliUsage) << args[2];
  EXPECT_EQ(Run({"card", "2", "insert"}), simdev::kCliFailed);
  EXPECT_EQ(err, "simdev: COM2-8342 has no smart-card slot\n");
}

TEST_F(CliPinPad, FaultsByFunctionNameAnyCallOrOpen) {
  Run({"attach", "2", "8342"});
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"fault", "2", "open"}, "COM2: the next open fails\n"},
      {{"fault", "2", "call", "65535"}, "COM2: the next call returns 65535\n"},
      {{"fault", "2", "PinLoadICV", "7"}, "COM2: the next PinLoadICV returns 7\n"},
      {{"fault", "2", "PinEnterMasterKey", "00012", "skip=2"},
       "COM2: the next PinEnterMasterKey returns 12 after 2 passed by\n"},
  };
  for (const auto& [args, said] : cases) {
    EXPECT_EQ(Run(args), simdev::kCliOk) << args[2] << err;
    EXPECT_EQ(out, said);
  }
  simdev::KeyValues s = State();
  EXPECT_EQ(s["fault.open"], "");
  EXPECT_EQ(s["fault.call"], "65535");
  EXPECT_EQ(s["fault.PinLoadICV"], "7");
  EXPECT_EQ(s["fault.PinEnterMasterKey"], "12");
  EXPECT_EQ(s["fault.PinEnterMasterKey.skip"], "2");
  const std::vector<std::string> bad[] = {
      {"fault", "2", "call"},
      {"fault", "2", "call", "0"},
      {"fault", "2", "PinLoadKey", "65536"},
      {"fault", "2", "rc", "0A"},  // an 8343 fault
      {"fault", "2", "PinFly", "3"},
      {"fault", "2", "write"},
  };
  for (const auto& args : bad) EXPECT_EQ(Run(args), simdev::kCliUsage) << args[2];
  EXPECT_EQ(Run({"fault", "2", "clear"}), simdev::kCliOk);
  for (const auto& [key, value] : State()) EXPECT_NE(key.rfind("fault.", 0), 0u) << key;
}

TEST_F(CliPinPad, AFaultScriptedHereHitsTheLibrary) {
  Run({"attach", "2", "8342"});
  Run({"fault", "2", "PinReadSN", "65535"});
  simdev::PinLibrary lib(dir.Str());
  std::uint32_t h = 0;
  ASSERT_EQ(lib.OpenParms(2, &h), 0);
  std::uint8_t serial[8];
  EXPECT_EQ(lib.ReadSn(h, serial), 65535);
  EXPECT_EQ(lib.ReadSn(h, serial), 0);
}

TEST_F(CliPinPad, ShowAndTraceShowThePad) {
  Run({"attach", "2", "8342"});
  EXPECT_EQ(Run({"show", "2"}), simdev::kCliOk);
  EXPECT_NE(out.find("COM2-8342\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  master_key.8=none\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  serial=8342000000000001\n"), std::string::npos) << out;
  simdev::PinLibrary lib(dir.Str());
  std::uint32_t h = 0;
  lib.OpenParms(2, &h);
  lib.Close(h);
  EXPECT_EQ(Run({"trace", "WNT4XPDD", "show"}), simdev::kCliOk);
  EXPECT_NE(out.find("WNT4XPDD: tracing on, 2 records\n"), std::string::npos) << out;
  EXPECT_NE(out.find("COM2 8342 call status=0: 02 02 00\n"), std::string::npos) << out;
  EXPECT_NE(out.find("COM2 8342 call status=0: 0C\n"), std::string::npos) << out;
}

TEST_F(CliPinPad, UsageNamesThePinPad) {
  EXPECT_EQ(Run({"help"}), simdev::kCliOk);
  EXPECT_NE(out.find("attach PORT 8342"), std::string::npos);
  EXPECT_NE(out.find("PinLoadKey CODE"), std::string::npos);
}

}  // namespace
