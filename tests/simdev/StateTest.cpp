// State files, device lookup, scripted faults.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "base/PlainFile.h"
#include "simdev/State.h"
#include "tests/support/TempFolder.h"

namespace {

std::string ReadText(const std::string& path) {
  std::string text;
  base::ReadPlainFile(path, 1 << 20, &text);
  return text;
}

TEST(StateFile, RoundTripKeepsEveryKeyAndWritesOneLineEach) {
  support::TempFolder dir;
  simdev::KeyValues values = {{"model", "8343"}, {"serial", ""}, {"main_microcode", "MM 03.20"}};
  ASSERT_TRUE(simdev::SaveKeyValues(dir.File("COM3-8343"), values, "a title"));
  EXPECT_EQ(ReadText(dir.File("COM3-8343")),
            "# a title\nmain_microcode=MM 03.20\nmodel=8343\nserial=\n");
  simdev::KeyValues back;
  ASSERT_EQ(simdev::LoadKeyValues(dir.File("COM3-8343"), &back), simdev::LoadResult::kOk);
  EXPECT_EQ(back, values);
  EXPECT_FALSE(std::filesystem::exists(dir.File("COM3-8343.tmp")));
}

TEST(StateFile, MissingAndMalformedFilesAreToldApart) {
  support::TempFolder dir;
  simdev::KeyValues values;
  EXPECT_EQ(simdev::LoadKeyValues(dir.File("none"), &values), simdev::LoadResult::kMissing);
  const char* bad[] = {"no equals sign\n", "bad key!=1\n", "=empty key\n", "k=tab\there\n",
                       "k=\x01\n"};
  for (const char* text : bad) {
    std::ofstream(dir.File("bad"), std::ios::binary) << text;
    EXPECT_EQ(simdev::LoadKeyValues(dir.File("bad"), &values), simdev::LoadResult::kMalformed)
        << text;
  }
  std::ofstream(dir.File("ok"), std::ios::binary) << "# comment\r\n\r\nk=v=w\r\n";
  ASSERT_EQ(simdev::LoadKeyValues(dir.File("ok"), &values), simdev::LoadResult::kOk);
  EXPECT_EQ(values, (simdev::KeyValues{{"k", "v=w"}}));
}

TEST(StateFile, AFileAboveTheLimitIsMalformedNotRead) {
  support::TempFolder dir;
  {
    std::ofstream out(dir.File("big"), std::ios::binary);
    std::string line = "k=" + std::string(1000, 'x') + "\n";
    for (std::size_t n = 0; n <= simdev::kMaxStateFileSize / line.size(); ++n) out << line;
  }
  simdev::KeyValues values;
  EXPECT_EQ(simdev::LoadKeyValues(dir.File("big"), &values), simdev::LoadResult::kMalformed);
}

TEST(StateFile, RefusesToWriteWhatItCouldNotReadBack) {
  support::TempFolder dir;
  EXPECT_FALSE(simdev::SaveKeyValues(dir.File("x"), {{"k", "line\nbreak"}}, "t"));
  EXPECT_FALSE(simdev::SaveKeyValues(dir.File("x"), {{"a b", "v"}}, "t"));
}

TEST(Devices, OneFilePerDeviceNamedAfterPortAndModel) {
  support::TempFolder dir;
  EXPECT_EQ(simdev::DeviceFileName(3, "8343"), "COM3-8343");
  EXPECT_EQ(simdev::DeviceFileName(65535, "8342"), "COM65535-8342");
  for (const char* name : {"COM12-8343", "COM2-8342", "COM0-8343", "COM3-abc", "COMx-8343",
                           "simdev.cfg", "WNT43PDD.TRC", "COM07-8343"})
    std::ofstream(dir.File(name)) << "model=1\n";
  std::vector<simdev::AttachedDevice> devices = simdev::ListDevices(dir.Str());
  ASSERT_EQ(devices.size(), 2u);
  EXPECT_EQ(devices[0].fileName, "COM2-8342");
  EXPECT_EQ(devices[1].port, 12);
  EXPECT_EQ(devices[1].model, "8343");
  EXPECT_EQ(simdev::DeviceOnPort(dir.Str(), 12)->fileName, "COM12-8343");
  EXPECT_FALSE(simdev::DeviceOnPort(dir.Str(), 3));
  EXPECT_TRUE(simdev::ListDevices(dir.File("no such dir")).empty());
}

TEST(Faults, AreTakenOnce) {
  simdev::KeyValues state = {{"model", "8343"}};
  simdev::SetFault(state, "write", "29");
  simdev::SetFault(state, "rc", "0A");
  EXPECT_EQ(simdev::TakeFault(state, "write"), "29");
  EXPECT_EQ(simdev::TakeFault(state, "write"), std::nullopt);
  simdev::ClearFaults(state);
  EXPECT_EQ(simdev::TakeFault(state, "rc"), std::nullopt);
  EXPECT_EQ(state, (simdev::KeyValues{{"model", "8343"}}));
}

TEST(Faults, ASkipCountLetsThatManyCallsPass) {
  simdev::KeyValues state;
  simdev::SetFault(state, "open", "5", 2);
  EXPECT_EQ(simdev::TakeFault(state, "open"), std::nullopt);
  EXPECT_EQ(state["fault.open.skip"], "1");
  EXPECT_EQ(simdev::TakeFault(state, "open"), std::nullopt);
  EXPECT_EQ(simdev::TakeFault(state, "open"), "5");
  EXPECT_TRUE(state.empty());
  EXPECT_EQ(simdev::TakeFault(state, "write"), std::nullopt);
  state = {{"fault.open", "5"}, {"fault.open.skip", "2x"}};  // a damaged count: no skip
  EXPECT_EQ(simdev::TakeFault(state, "open"), "5");
}

TEST(StateDirectory, TheVariableElseTheDefault) {
#ifndef _WIN32
  setenv(simdev::kStateDirVariable, "/tmp/some/where", 1);
  EXPECT_EQ(simdev::StateDirectory(), "/tmp/some/where");
  unsetenv(simdev::kStateDirVariable);
  setenv("XDG_STATE_HOME", "/x/state", 1);
  EXPECT_EQ(simdev::StateDirectory(), "/x/state/simdev");
  unsetenv("XDG_STATE_HOME");
#else
  _putenv_s(simdev::kStateDirVariable, "Z:\\some\\where");
  EXPECT_EQ(simdev::StateDirectory(), "Z:\\some\\where");
  _putenv_s(simdev::kStateDirVariable, "");
  _putenv_s("ProgramData", "C:\\PD");
  EXPECT_EQ(simdev::StateDirectory(), "C:\\PD\\simdev");
#endif
}

}  // namespace
