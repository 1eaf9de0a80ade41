// FIOSETUP.exe in its command-line mode against Wine's registry, read back with reg.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/E2e.h"
#include "tests/e2e/Fiosetup.h"
#include "tools/UiAuto.h"

using namespace uiauto;
using fio::ConfigWords;
using fio::Dword;
using fio::Query;
using fio::Reg;
using fio::RegResult;

namespace {

constexpr char kRoot[] = "HKCR\\QRT_8300_FIO_DEVICES";

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
  void SetUp() override {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "QRT_8300_FIO_DEVICES");
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dir_ = std::string(temp) + "fiosetup cmdline " + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir_.c_str(), nullptr);
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "QRT_8300_FIO_DEVICES");
    for (const std::string& file : files_) DeleteFileA(file.c_str());
    RemoveDirectoryA(dir_.c_str());
  }

  std::string File(const std::string& name, const std::string& content) {
    std::string path = dir_ + "\\" + name;
    std::ofstream(path, std::ios::binary) << content;
    files_.push_back(path);
    return path;
  }

  // Runs FIOSETUP.exe with `rest` after its name; returns its full exit code.
  DWORD Fiosetup(const std::string& rest) {
    Process p = Process::Start(e2e::Program("FIOSETUP.exe") + " " + rest);
    return p.WaitExit();
  }

  void Add(const std::string& subkey, const std::string& value, std::uint32_t data) {
    ASSERT_EQ(Reg("add " + std::string(kRoot) + "\\" + subkey + " /v " + value +
                  " /t REG_DWORD /d " + std::to_string(data) + " /f")
                  .exit,
              0u);
  }

  std::string dir_;
  std::vector<std::string> files_;
};

TEST_F(CommandLine, Ports3And4Write8341WithMode2And8343) {
  EXPECT_EQ(Fiosetup(File("a.cfg", ConfigWords(3, 0, 0, 4))), 1u);
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
  Add("QRT8343", "ComPort", 4);
  EXPECT_EQ(Fiosetup(File("zero.cfg", ConfigWords(0, 0, 0, 0))), 1u);
  EXPECT_EQ(Query("QRT8343").exit, 1u);
  RegResult root = Query();
  EXPECT_EQ(root.exit, 0u);
  EXPECT_EQ(root.output.find("QRT834"), std::string::npos) << root.output;
}

TEST_F(CommandLine, ShortOrMissingFileLeavesTheRegistryUntouched) {
  Add("QRT8343", "ComPort", 4);
  const RegResult before = Query();
  EXPECT_EQ(Fiosetup(File("short.cfg", ConfigWords(3, 0, 0, 0).substr(0, 15))), 30u);
  EXPECT_EQ(Query().output, before.output);
  EXPECT_EQ(Fiosetup(dir_ + "\\missing.cfg"), 2u);
  EXPECT_EQ(Query().output, before.output);
  // A device is no file: COM9 (mapped to a device that gives zeros) and NUL would read as a
  // configuration without devices, which deletes every subkey.
  for (const char* device : {"COM9", "NUL", "com9.cfg"}) {
    EXPECT_EQ(Fiosetup(device), 2u) << device;
    EXPECT_EQ(Query().output, before.output) << device;
  }
  // A configuration the installer never saves: an 8343 together with the PIN pad.
  EXPECT_EQ(Fiosetup(File("both.cfg", ConfigWords(0, 0, 2, 4))), 30u);
  EXPECT_EQ(Query().output, before.output);
}

TEST_F(CommandLine, AQuotedPathWithBlanksIsApplied) {
  const std::string path = File("my config.cfg", ConfigWords(0, 0, 5, 0));
  EXPECT_EQ(Fiosetup("\"" + path + "\""), 1u);
  EXPECT_EQ(Dword(Query("QRT8342P"), "ComPort"), 5u);
  // Unquoted, the rest is the path as it stands, blanks and all.
  File("my config.cfg", ConfigWords(0, 0, 6, 0));
  EXPECT_EQ(Fiosetup(path), 1u);
  EXPECT_EQ(Dword(Query("QRT8342P"), "ComPort"), 6u);
}

TEST_F(CommandLine, ASavedClearSOptionClearsOptionS) {
  Add("QRT8341", "OptionS", 1);
  Add("QRT8342M", "ComPort", 2);
  EXPECT_EQ(Fiosetup(File("s.cfg", ConfigWords(0, 2, 0, 0))), 1u);
  RegResult q8341 = Query("QRT8341");
  EXPECT_EQ(Dword(q8341, "OptionS"), 0u);
  EXPECT_EQ(ValueNames(q8341), std::vector<std::string>{"OptionS"});
  EXPECT_EQ(Dword(Query("QRT8342M"), "ComPort"), 2u);

  // And bit 31 sets it again.
  EXPECT_EQ(Fiosetup(File("s.cfg", ConfigWords(0x80000000u, 2, 0, 0))), 1u);
  EXPECT_EQ(Dword(Query("QRT8341"), "OptionS"), 1u);
}

}  // namespace
