// FIOSETUP.exe in its command-line mode against Wine's registry, read back with reg.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/E2e.h"
#include "tests/e2e/Fiosetup.h"
#include "tests/support/ConfigWords.h"
#include "tests/support/TempFolder.h"
#include "tools/UiAuto.h"

using namespace uiauto;
using fio::AddDword;
using fio::Query;
using support::ConfigWords;
using support::Dword;
using support::RegResult;
using support::TempFolder;

namespace {

// The names of the values in reg.exe's listing of one key without subkeys.
std::vector<std::string> ValueNames(const RegResult& listing) {
  std::vector<std::string> names;
  std::size_t at = 0;
  while ((at = listing.output.find("\n    ", at)) != std::string::npos) {
    at += 5;
    names.push_back(listing.output.substr(at, listing.output.find(' ', at) - at));
  }
  return names;
}

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override { RegDeleteTreeA(HKEY_CLASSES_ROOT, "QRT_8300_FIO_DEVICES"); }
  void TearDown() override { RegDeleteTreeA(HKEY_CLASSES_ROOT, "QRT_8300_FIO_DEVICES"); }

  // Runs FIOSETUP.exe with `rest` after its name; returns its full exit code.
  DWORD Fiosetup(const std::string& rest) {
    Process p = Process::Start(e2e::Program("FIOSETUP.exe") + " " + rest);
    return p.WaitExit();
  }

  const TempFolder dir_{"fiosetup cmdline"};
};

TEST_F(CommandLine, Ports3And4Write8341WithMode2And8343) {
  EXPECT_EQ(Fiosetup(dir_.Write("a.cfg", ConfigWords(3, 0, 0, 4))), 1u);
  RegResult q8341 = Query("QRT8341");
  ASSERT_EQ(q8341.exit, 0u) << q8341.output;
  EXPECT_EQ(Dword(q8341, "ComPort"), 3u);
  EXPECT_EQ(Dword(q8341, "Mode"), 2u);
  EXPECT_EQ(ValueNames(q8341), (std::vector<std::string>{"ComPort", "Mode"}));
  RegResult q8343 = Query("QRT8343");
  ASSERT_EQ(q8343.exit, 0u);
  EXPECT_EQ(Dword(q8343, "ComPort"), 4u);
  EXPECT_EQ(Query("QRT8342M").exit, 1u);
  EXPECT_EQ(Query("QRT8342P").exit, 1u);
}

TEST_F(CommandLine, FourZeroWordsDelete8343AndLeaveTheRootKey) {
  AddDword("QRT8343", "ComPort", 4);
  EXPECT_EQ(Fiosetup(dir_.Write("zero.cfg", ConfigWords(0, 0, 0, 0))), 1u);
  EXPECT_EQ(Query("QRT8343").exit, 1u);
  RegResult root = Query();
  EXPECT_EQ(root.exit, 0u);
  EXPECT_EQ(root.output.find("QRT834"), std::string::npos) << root.output;
}

TEST_F(CommandLine, ShortOrMissingFileLeavesTheRegistryUntouched) {
  AddDword("QRT8343", "ComPort", 4);
  const RegResult before = Query();
  EXPECT_EQ(Fiosetup(dir_.Write("short.cfg", ConfigWords(3, 0, 0, 0).substr(0, 15))), 30u);
  EXPECT_EQ(Query().output, before.output);
  EXPECT_EQ(Fiosetup(dir_.File("missing.cfg")), 2u);
  EXPECT_EQ(Query().output, before.output);
  // A device is no file: COM9 (mapped to a device that gives zeros) and NUL would read as a
  // configuration without devices, which deletes every subkey.
  for (const char* device : {"COM9", "NUL", "com9.cfg"}) {
    EXPECT_EQ(Fiosetup(device), 2u) << device;
    EXPECT_EQ(Query().output, before.output) << device;
  }
  // A configuration the installer never saves: an 8343 together with the PIN pad.
  EXPECT_EQ(Fiosetup(dir_.Write("both.cfg", ConfigWords(0, 0, 2, 4))), 30u);
  EXPECT_EQ(Query().output, before.output);
}

TEST_F(CommandLine, AQuotedPathWithBlanksIsApplied) {
  const std::string path = dir_.Write("my config.cfg", ConfigWords(0, 0, 5, 0));
  EXPECT_EQ(Fiosetup("\"" + path + "\""), 1u);
  EXPECT_EQ(Dword(Query("QRT8342P"), "ComPort"), 5u);
  // Unquoted, the rest is the path as it stands, blanks and all.
  dir_.Write("my config.cfg", ConfigWords(0, 0, 6, 0));
  EXPECT_EQ(Fiosetup(path), 1u);
  EXPECT_EQ(Dword(Query("QRT8342P"), "ComPort"), 6u);
}

TEST_F(CommandLine, ASavedClearSOptionClearsOptionS) {
  AddDword("QRT8341", "OptionS", 1);
  AddDword("QRT8342M", "ComPort", 2);
  EXPECT_EQ(Fiosetup(dir_.Write("s.cfg", ConfigWords(0, 2, 0, 0))), 1u);
  RegResult q8341 = Query("QRT8341");
  EXPECT_EQ(Dword(q8341, "OptionS"), 0u);
  EXPECT_EQ(ValueNames(q8341), std::vector<std::string>{"OptionS"});
  EXPECT_EQ(Dword(Query("QRT8342M"), "ComPort"), 2u);

  // And bit 31 sets it again.
  EXPECT_EQ(Fiosetup(dir_.Write("s.cfg", ConfigWords(0x80000000u, 2, 0, 0))), 1u);
  EXPECT_EQ(Dword(Query("QRT8341"), "OptionS"), 1u);
}

}  // namespace
