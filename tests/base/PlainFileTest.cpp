// Which names are files, and opening and reading only what is one.
#include <gtest/gtest.h>

#include "base/PlainFile.h"
#include "tests/support/TempFolder.h"

namespace {

TEST(IsDeviceName, TheNamesWindowsTakesForDevicesWhateverTheFolderOrExtension) {
  const std::pair<const char*, bool> cases[] = {
      {"COM1", true},           {"com9.hex", true},     {"C:\\apps\\COM1.HEX", true},
      {"apps/lpt3.txt", true},  {"NUL", true},          {"con.", true},
      {"Aux.hex", true},        {"PRN", true},          {"COM1 .HEX", true},
      {"CONOUT$", true},        {"\\\\.\\COM10", true}, {"COM\xB9", true},
      {"COM0", false},          {"COM10", false},       {"COM10.HEX", false},
      {"COM1X.HEX", false},     {"XCOM1", false},       {"NULL.HEX", false},
      {"COM\\dual.hex", false}, {"dual.hex", false},    {"", false},
  };
  for (const auto& [path, device] : cases) EXPECT_EQ(base::IsDeviceName(path), device) << path;
}

TEST(OpenPlainFile, OpensFilesOnlyAndReadsThemWithinALimit) {
  const support::TempFolder dir("suite-base-plainfile");
  const std::string file = dir.Write("ten.bin", "0123456789");

  EXPECT_TRUE(base::OpenPlainFile(file, true));
  EXPECT_FALSE(base::OpenPlainFile(dir.Str(), true));  // a folder
  EXPECT_FALSE(base::OpenPlainFile(dir.File("missing"), false));
#ifndef _WIN32
  EXPECT_FALSE(base::OpenPlainFile("/dev/null", false));  // a device by any name
#endif

  std::string bytes = "stale";
  EXPECT_EQ(base::ReadPlainFile(file, 10, &bytes), base::ReadResult::kOk);
  EXPECT_EQ(bytes, "0123456789");
  EXPECT_EQ(base::ReadPlainFile(file, 9, &bytes), base::ReadResult::kTooLarge);
  EXPECT_EQ(bytes, "012345678");
  EXPECT_EQ(base::ReadPlainFile(dir.Str(), 10, &bytes), base::ReadResult::kCannotOpen);
  EXPECT_EQ(bytes, "");
}

}  // namespace
