// The configuration file: its 16 bytes, its validity, and saving with the backup.
#include <gtest/gtest.h>

#include <functional>

#include "fiosetup/ConfigFile.h"
#include "fiosetup/Fakes.h"

using namespace fiosetup;
using fiosetup::testing::DirFiles;
using support::TempFolder;

namespace {

using Bytes = std::array<std::uint8_t, 16>;

std::string AsString(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST(ConfigRecord, BytesOfTheFile) {
  struct Case {
    ConfigRecord record;
    Bytes bytes;
  };
  const Case cases[] = {
      {{{3, 0, 0, 4}, false}, {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0}},
      // S set without a configured MSR still sets bit 31.
      {{{0, 0, 0, 0}, true}, {0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {{{256, 1, 255, 0}, true}, {0, 1, 0, 0x80, 1, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0}},
      {{{0x01020304, 0x05060708, 0x090A0B0C, 0x0D0E0F10}, false},
       {4, 3, 2, 1, 8, 7, 6, 5, 0xC, 0xB, 0xA, 9, 0x10, 0xF, 0xE, 0xD}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeConfiguration(c.record), c.bytes);
    EXPECT_EQ(DecodeConfiguration(c.bytes), c.record);
  }
}

TEST(ConfigRecord, OnlyBit31OfTheFirstWordIsTheSOption) {
  Bytes onlyS = {0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  ConfigRecord record = DecodeConfiguration(onlyS);
  EXPECT_EQ(record.port[0], 0u);
  EXPECT_TRUE(record.optionS);
  // Bit 31 of the other words is part of the port.
  Bytes high = {0, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0};
  record = DecodeConfiguration(high);
  EXPECT_FALSE(record.optionS);
  EXPECT_EQ(record.port[1], 0x80000000u);
}

TEST(ConfigRecord, ValidOnlyAsTheInstallerCouldHaveSavedIt) {
  struct Case {
    std::array<std::uint32_t, 4> port;
    bool valid;
  };
  const Case cases[] = {
      {{0, 0, 0, 0}, true},    {{256, 256, 256, 0}, true},
      {{3, 0, 0, 4}, true},    {{257, 0, 0, 0}, false},
      {{0, 257, 0, 0}, false}, {{0, 0, 257, 0}, false},
      {{0, 0, 0, 257}, false}, {{0x7FFFFFFF, 0, 0, 0}, false},
      {{0, 1, 0, 4}, false},  // 8343 with the MSR
      {{0, 0, 1, 4}, false},  // 8343 with the PIN pad
      {{1, 2, 3, 0}, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsValidConfiguration({c.port, false}), c.valid)
        << c.port[0] << " " << c.port[1] << " " << c.port[2] << " " << c.port[3];
    EXPECT_EQ(IsValidConfiguration({c.port, true}), c.valid);
  }
}

class Save : public ::testing::Test {
 protected:
  TempFolder dir;
  DirFiles files{dir.Path()};
  void SetUp() override { files.Put("C:\\W8300FIO\\keep", ""); }
};

TEST_F(Save, WritesSixteenBytesAndKeepsThePreviousFileAsBackup) {
  DeviceTable first;
  first.Port(DeviceKind::k8341) = 3;
  first.Port(DeviceKind::k8343) = 4;
  first.changed = true;
  EXPECT_EQ(SaveConfiguration(first, "C:\\W8300FIO", files), 1);
  EXPECT_EQ(files.Get("C:\\W8300FIO\\FIOSETUP.CFG"),
            AsString({3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0}));
  EXPECT_EQ(files.Get("C:\\W8300FIO\\FIOSETUP.BAK"), std::nullopt);  // nothing to back up
  EXPECT_TRUE(first.changed);  // saving is not writing the registry

  DeviceTable second;
  second.optionS = true;
  EXPECT_EQ(SaveConfiguration(second, "C:\\W8300FIO", files), 1);
  EXPECT_EQ(files.Get("C:\\W8300FIO\\FIOSETUP.CFG"),
            AsString({0, 0, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(files.Get("C:\\W8300FIO\\FIOSETUP.BAK"),
            AsString({3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0}));
  ASSERT_EQ(files.copies.size(), 2u);
  EXPECT_FALSE(files.copies[0].ok);  // the first save had nothing to back up
  EXPECT_TRUE(files.copies[1].ok);
  EXPECT_EQ(files.copies[1].from, "C:\\W8300FIO\\FIOSETUP.CFG");
  EXPECT_EQ(files.copies[1].to, "C:\\W8300FIO\\FIOSETUP.BAK");
}

// What each file holds after a save over a previous FIOSETUP.CFG: the previous configuration is
// always in one of the two files, and FIOSETUP.CFG is never cut short.
TEST_F(Save, ThePreviousConfigurationSurvivesEveryFailure) {
  const std::string dir = "C:\\W8300FIO\\";
  const std::string old16(16, 'o');
  const std::string new16(16, '\0');
  struct Case {
    const char* name;
    bool previous;
    std::function<void(DirFiles&)> fault;
    int result;
    std::optional<std::string> cfg, bak;
  };
  const Case cases[] = {
      {"no previous file", false, [](DirFiles&) {}, 1, new16, std::nullopt},
      {"previous file", true, [](DirFiles&) {}, 1, new16, old16},
      // A .BAK that cannot be replaced (here a folder of that name) keeps FIOSETUP.CFG as it was.
      {"backup not writable", true, [&](DirFiles& f) { f.Put(dir + "FIOSETUP.BAK\\inside", ""); },
       0, old16, std::nullopt},
      {"disk full", true, [](DirFiles& f) { f.writeLimit = 15; }, 0, old16, old16},
      {"disk full, no previous file", false, [](DirFiles& f) { f.writeLimit = 0; }, 0, std::nullopt,
       std::nullopt},
      {"directory missing", false, [&](DirFiles& f) { std::filesystem::remove_all(f.Map(dir)); }, 0,
       std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder root;
    DirFiles f{root.Path()};
    f.Put(dir + "keep", "");
    if (c.previous) f.Put(dir + "FIOSETUP.CFG", old16);
    c.fault(f);
    EXPECT_EQ(SaveConfiguration(DeviceTable{}, "C:\\W8300FIO", f), c.result);
    EXPECT_EQ(f.Get(dir + "FIOSETUP.CFG"), c.cfg);
    if (c.bak) {
      EXPECT_EQ(f.Get(dir + "FIOSETUP.BAK"), c.bak);
    } else {
      EXPECT_FALSE(f.FileExists(dir + "FIOSETUP.BAK"));
    }
    EXPECT_FALSE(f.FileExists(dir + kNewConfigFileName));
  }
}

TEST_F(Save, ADirectoryTooLongForThePathFailsWithoutTouchingAnything) {
  // 114 characters + "\FIOSETUP.CFG" is exactly 127.
  const std::string fits = "C:\\" + std::string(111, 'D');
  const std::string tooLong = fits + "E";
  files.Put(fits + "\\keep", "");
  files.Put(tooLong + "\\FIOSETUP.CFG", "previous");
  ASSERT_EQ(fits.size(), 114u);
  EXPECT_EQ(SaveConfiguration(DeviceTable{}, fits, files), 1);
  EXPECT_EQ(files.Get(fits + "\\FIOSETUP.CFG")->size(), 16u);

  files.copies.clear();
  EXPECT_EQ(SaveConfiguration(DeviceTable{}, tooLong, files), 0);
  EXPECT_TRUE(files.copies.empty());
  EXPECT_EQ(files.Get(tooLong + "\\FIOSETUP.CFG"), "previous");
  EXPECT_EQ(files.Get(tooLong + "\\FIOSETUP.BAK"), std::nullopt);
}

}  // namespace
