// The command-line mode: the path taken from the raw command line, and applying a
// configuration file to the in-memory registry.
#include <gtest/gtest.h>

#include "fiosetup/Fakes.h"
#include "fiosetup/Startup.h"
#include "tests/support/ConfigWords.h"

using namespace fiosetup;
using devconfig::MemoryRegistry;
using fiosetup::testing::Fakes;
using Names = std::vector<std::string>;
using support::ConfigWords;

namespace {

TEST(ConfigurationPathOf, TheRestAfterTheProgramName) {
  struct Case {
    const char* commandLine;
    std::optional<std::string> path;
  };
  const Case cases[] = {
      {"FIOSETUP.EXE", std::nullopt},
      {"FIOSETUP.EXE    ", std::nullopt},
      {"\"C:\\Program Files\\FIOSETUP.EXE\"", std::nullopt},
      {"\"C:\\Program Files\\FIOSETUP.EXE\"  \t ", std::nullopt},
      {"FIOSETUP.EXE A:\\FIOSETUP.CFG", "A:\\FIOSETUP.CFG"},
      {"FIOSETUP.EXE   A:\\FIOSETUP.CFG", "A:\\FIOSETUP.CFG"},
      {"FIOSETUP.EXE\tA:\\FIOSETUP.CFG", "A:\\FIOSETUP.CFG"},
      {"\"C:\\Program Files\\FIOSETUP.EXE\" A:\\FIOSETUP.CFG", "A:\\FIOSETUP.CFG"},
      {"\"C:\\Program Files\\FIOSETUP.EXE\"A:\\X.CFG", "A:\\X.CFG"},
      // Unquoted: passed as it stands, inner and trailing blanks included.
      {"FIOSETUP.EXE C:\\my dir\\a.cfg  ", "C:\\my dir\\a.cfg  "},
      // One pair of quotes around the path: the path inside, also with blanks behind it.
      {"FIOSETUP.EXE \"C:\\my dir\\a.cfg\"", "C:\\my dir\\a.cfg"},
      {"FIOSETUP.EXE \"C:\\my dir\\a.cfg\"   ", "C:\\my dir\\a.cfg"},
      {"FIOSETUP.EXE \"\"", ""},
      // Anything else with quotes stays as it is.
      {"FIOSETUP.EXE \"a\" \"b\"", "\"a\" \"b\""},
      {"FIOSETUP.EXE \"C:\\a.cfg", "\"C:\\a.cfg"},
      {"FIOSETUP.EXE C:\\a.cfg\"", "C:\\a.cfg\""},
      {"FIOSETUP.EXE \"", "\""},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConfigurationPathOf(c.commandLine), c.path) << c.commandLine;
  }
}

constexpr char kRoot[] = "HKCR\\QRT_8300_FIO_DEVICES";
std::string Sub(const char* name) { return std::string(kRoot) + "\\" + name; }

struct RestoreBench {
  long Restore(const std::string& content) {
    f.files.Put("A:\\FIOSETUP.CFG", content);
    return RestoreConfiguration(table, "A:\\FIOSETUP.CFG", f.platform());
  }
  Fakes f;
  DeviceTable table;
};

TEST(RestoreConfiguration, Ports3And4WriteThe8341WithModeTwoAndThe8343) {
  RestoreBench b;
  EXPECT_EQ(b.Restore(ConfigWords(3, 0, 0, 4)), 1);
  const auto& reg = b.f.registry;
  EXPECT_EQ(reg.Subkeys(kRoot), (Names{"QRT8341", "QRT8343"}));
  EXPECT_EQ(reg.Dword(Sub("QRT8341"), "ComPort"), 3u);
  EXPECT_EQ(reg.Dword(Sub("QRT8341"), "Mode"), 2u);
  EXPECT_EQ(reg.ValueNames(Sub("QRT8341")), (Names{"ComPort", "Mode"}));
  EXPECT_EQ(reg.Dword(Sub("QRT8343"), "ComPort"), 4u);
  // No window: the pause still comes, and nothing is asked.
  EXPECT_EQ(b.f.pause.waits, std::vector<unsigned>{1000});
  EXPECT_TRUE(b.f.ui.Events().empty());
  EXPECT_TRUE(b.f.files.copies.empty());
  EXPECT_EQ(reg.OpenHandles(), 0u);
}

TEST(RestoreConfiguration, FourZeroWordsEmptyTheKey) {
  RestoreBench b;
  b.f.registry.PutDword(Sub("QRT8343"), "ComPort", 4);
  EXPECT_EQ(b.Restore(ConfigWords(0, 0, 0, 0)), 1);
  EXPECT_TRUE(b.f.registry.KeyExists(kRoot));
  EXPECT_EQ(b.f.registry.Subkeys(kRoot), Names{});
}

TEST(RestoreConfiguration, BytesAfterTheFirstSixteenAreIgnored) {
  RestoreBench b;
  EXPECT_EQ(b.Restore(ConfigWords(0, 0, 7, 0) + "trailing"), 1);
  EXPECT_EQ(b.f.registry.Dword(Sub("QRT8342P"), "ComPort"), 7u);
}

TEST(RestoreConfiguration, OnlyBit31SetsTheSOptionWithoutAn8341) {
  RestoreBench b;
  b.f.registry.PutDword(Sub("QRT8341"), "ComPort", 1);
  b.f.registry.PutDword(Sub("QRT8341"), "Mode", 1);
  EXPECT_EQ(b.Restore(ConfigWords(0x80000000u, 2, 0, 0)), 1);
  EXPECT_EQ(b.f.registry.ValueNames(Sub("QRT8341")), Names{"OptionS"});
  EXPECT_EQ(b.f.registry.Dword(Sub("QRT8341"), "OptionS"), 1u);
  EXPECT_EQ(b.f.registry.Dword(Sub("QRT8342M"), "ComPort"), 2u);
}

TEST(RestoreConfiguration, ASavedClearSOptionClearsOptionS) {
  RestoreBench b;
  b.f.registry.PutDword(Sub("QRT8341"), "ComPort", 1);
  b.f.registry.PutDword(Sub("QRT8341"), "Mode", 1);
  b.f.registry.PutDword(Sub("QRT8341"), "OptionS", 1);
  b.f.registry.PutDword(Sub("QRT8342M"), "ComPort", 2);
  EXPECT_EQ(b.Restore(ConfigWords(1, 2, 0, 0)), 1);
  EXPECT_EQ(b.f.registry.Dword(Sub("QRT8341"), "OptionS"), 0u);
  EXPECT_EQ(b.f.registry.Dword(Sub("QRT8341"), "ComPort"), 1u);
}

TEST(RestoreConfiguration, NotAValidFileLeavesTheRegistryUntouched) {
  struct Case {
    const char* what;
    std::string content;
  };
  const Case cases[] = {
      {"15 bytes", ConfigWords(3, 0, 0, 4).substr(0, 15)},
      {"empty", ""},
      {"8341 port 257", ConfigWords(257, 0, 0, 0)},
      {"8341 port 257 with S", ConfigWords(0x80000101u, 0, 0, 0)},
      {"MSR port 257", ConfigWords(0, 257, 0, 0)},
      {"PIN port 257", ConfigWords(0, 0, 257, 0)},
      {"8343 port 257", ConfigWords(0, 0, 0, 257)},
      {"8343 port with bit 31", ConfigWords(0, 0, 0, 0x80000001u)},
      {"8343 with MSR", ConfigWords(0, 1, 0, 4)},
      {"8343 with PIN", ConfigWords(0, 0, 2, 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RestoreBench b;
    b.f.registry.PutDword(Sub("QRT8341"), "ComPort", 1);
    EXPECT_EQ(b.Restore(c.content), 30);
    EXPECT_EQ(b.f.registry.Log(), Names{});
    EXPECT_TRUE(b.f.pause.waits.empty());
  }
}

TEST(RestoreConfiguration, AFileThatCannotBeOpenedGivesTwo) {
  Fakes f;
  DeviceTable table;
  EXPECT_EQ(RestoreConfiguration(table, "A:\\MISSING.CFG", f.platform()), 2);
  EXPECT_EQ(RestoreConfiguration(table, "", f.platform()), 2);
  EXPECT_EQ(f.registry.Log(), Names{});
}

TEST(RestoreConfiguration, TheHighestPortIsValid) {
  RestoreBench b;
  EXPECT_EQ(b.Restore(ConfigWords(256, 256, 256, 0)), 1);
  EXPECT_EQ(b.f.registry.Dword(Sub("QRT8342M"), "ComPort"), 256u);
}

TEST(RestoreConfiguration, ResultOfWriteRegistry) {
  RestoreBench root;
  root.f.registry.Fail(MemoryRegistry::Op::kCreate, kRoot, devconfig::kErrorAccessDenied);
  EXPECT_EQ(root.Restore(ConfigWords(3, 0, 0, 0)), 5);

  RestoreBench sub;
  sub.f.registry.Fail(MemoryRegistry::Op::kSet, Sub("QRT8343"), devconfig::kErrorAccessDenied);
  EXPECT_EQ(sub.Restore(ConfigWords(3, 0, 0, 4)), 0);
  EXPECT_EQ(sub.f.registry.Dword(Sub("QRT8341"), "ComPort"), 3u);  // written before it failed
}

}  // namespace
