// PddTrace of the stand-in port drivers, asked of the device's end over the line as the DLLs
// ask it: what it copies into the caller's buffer, what it leaves alone, and its result with
// tracing on and off.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "simdev/PortDriver.h"
#include "simdev/Trace.h"
#include "tests/simdev/OverTheLine.h"
#include "tests/support/TempFolder.h"

namespace {

constexpr unsigned char kUntouched = 0xCC;
constexpr std::size_t kGuard = 64;  // bytes past the 32768 that no driver may reach

// The trace programs' buffer with guard bytes behind it, all marked untouched.
std::vector<unsigned char> Buffer() {
  return std::vector<unsigned char>(simdev::trace::kCapacity + kGuard, kUntouched);
}

std::uint32_t PddTrace(const std::string& dir, const char* driver, unsigned char* buffer) {
  overtheline::Devices devices(dir);
  const std::uint16_t port = 1;
  return simdev::remote::RemotePddTrace(devices.Opener(), port, driver, buffer);
}

void AddRecords(const std::string& dir, const char* driver, int count, std::size_t size) {
  simdev::trace::Record r;
  r.kind = simdev::trace::kFrameSent;
  r.model = 8343;
  r.port = 3;
  r.data.assign(size, 0x5A);
  for (int i = 0; i < count; ++i) ASSERT_TRUE(simdev::trace::Append(dir, driver, r));
}

TEST(PddTrace, CopiesTheDriversTraceAndNothingBeyondIt) {
  support::TempFolder dir;
  AddRecords(dir.Str(), "WNT43PDD", 3, 10);
  std::vector<std::uint8_t> kept = simdev::trace::Read(dir.Str(), "WNT43PDD");
  ASSERT_EQ(kept.size(), 3 * 26u);
  std::vector<unsigned char> buffer = Buffer();
  EXPECT_EQ(PddTrace(dir.Str(), "WNT43PDD", buffer.data()) & 0xFFFF, 1u);
  EXPECT_TRUE(std::equal(kept.begin(), kept.end(), buffer.begin()));
  EXPECT_EQ(std::count(buffer.begin() + kept.size(), buffer.end(), kUntouched),
            static_cast<std::ptrdiff_t>(buffer.size() - kept.size()));
}

TEST(PddTrace, AFullTraceStaysWithin32768Bytes) {
  support::TempFolder dir;
  AddRecords(dir.Str(), "WNT4XPDD", 40, 1000);  // 40640 bytes offered, the oldest dropped
  std::vector<unsigned char> buffer = Buffer();
  EXPECT_NE(PddTrace(dir.Str(), "WNT4XPDD", buffer.data()) & 0xFFFF, 0u);
  EXPECT_EQ(std::count(buffer.end() - kGuard, buffer.end(), kUntouched),
            static_cast<std::ptrdiff_t>(kGuard));
  auto records =
      simdev::trace::Decode(std::span<const std::uint8_t>(buffer.data(), simdev::trace::kCapacity));
  ASSERT_EQ(records.size(), 32u);  // 32 records of 1016 bytes fit
  EXPECT_EQ(records.back().sequence, 40u);
}

TEST(PddTrace, AnActiveTraceWithoutRecordsIsActiveAndCopiesNothing) {
  support::TempFolder dir;
  std::vector<unsigned char> buffer = Buffer();
  EXPECT_EQ(PddTrace(dir.Str(), "WNT43PDD", buffer.data()), simdev::kPddTraceActive);
  EXPECT_EQ(std::count(buffer.begin(), buffer.end(), kUntouched),
            static_cast<std::ptrdiff_t>(buffer.size()));
}

TEST(PddTrace, SwitchedOffItIsNotActiveAndTouchesNothing) {
  support::TempFolder dir;
  AddRecords(dir.Str(), "WNT43PDD", 2, 4);
  AddRecords(dir.Str(), "WNT4XPDD", 2, 4);
  ASSERT_TRUE(simdev::trace::SetTracing(dir.Str(), "WNT43PDD", false));
  std::vector<unsigned char> buffer = Buffer();
  EXPECT_EQ(PddTrace(dir.Str(), "WNT43PDD", buffer.data()), 0u);
  EXPECT_EQ(std::count(buffer.begin(), buffer.end(), kUntouched),
            static_cast<std::ptrdiff_t>(buffer.size()));
  // The other driver's switch is its own.
  EXPECT_EQ(PddTrace(dir.Str(), "WNT4XPDD", buffer.data()), simdev::kPddTraceActive);
  EXPECT_NE(buffer[0], kUntouched);
}

TEST(PddTrace, ADriverThatCannotReadItsStateIsNotActiveAndTouchesNothing) {
  namespace fs = std::filesystem;
  // How the state is made unreadable: each case gets a fresh state directory first.
  const std::pair<const char*, void (*)(const fs::path&)> cases[] = {
      {"trace file is a folder",
       [](const fs::path& d) { fs::create_directory(d / "WNT43PDD.TRC"); }},
      {"settings file is a folder",
       [](const fs::path& d) { fs::create_directory(d / "simdev.cfg"); }},
      {"state directory is a file",
       [](const fs::path& d) { fs::remove_all(d), std::ofstream(d) << "x"; }},
      {"state directory is missing", [](const fs::path& d) { fs::remove_all(d); }},
  };
  for (const auto& [what, spoil] : cases) {
    support::TempFolder dir;
    AddRecords(dir.Str(), "WNT4XPDD", 1, 4);  // another driver's trace that is readable
    spoil(dir.Str());
    std::vector<unsigned char> buffer = Buffer();
    EXPECT_EQ(PddTrace(dir.Str(), "WNT43PDD", buffer.data()), 0u) << what;
    EXPECT_EQ(std::count(buffer.begin(), buffer.end(), kUntouched),
              static_cast<std::ptrdiff_t>(buffer.size()))
        << what;
  }
}

TEST(PddTrace, ANullBufferIsNotActive) {
  support::TempFolder dir;
  AddRecords(dir.Str(), "WNT43PDD", 1, 4);
  EXPECT_EQ(PddTrace(dir.Str(), "WNT43PDD", nullptr), 0u);
}

TEST(PddTrace, PiecesBeyondTheGivenLengthReachNoBuffer) {
  overtheline::CannedDevice device;
  device.answer = [] {
    return simdev::line::Writer()
        .U16(0)
        .U32(simdev::kPddTraceActive)
        .U32(simdev::trace::kCapacity)
        .Field(true, std::vector<std::uint8_t>(1000, 0x5A))  // a piece, never the last
        .Take();
  };
  std::vector<unsigned char> buffer = Buffer();
  EXPECT_EQ(simdev::remote::RemotePddTrace(device.Opener(), 1, "WNT43PDD", buffer.data()),
            simdev::kPddTraceNotActive);
  EXPECT_EQ(std::count(buffer.begin(), buffer.end(), kUntouched),
            static_cast<std::ptrdiff_t>(buffer.size()));
}

TEST(PddTrace, ANameOffTheLineThatIsNoDriversReadsNoFile) {
  support::TempFolder dir;
  const std::string state = dir.File("state");
  std::filesystem::create_directory(state);
  AddRecords(dir.Str(), "OUTSIDE", 1, 4);  // OUTSIDE.TRC beside the state directory
  AddRecords(state, "WNT43PDD", 1, 4);
  std::vector<unsigned char> buffer = Buffer();
  EXPECT_EQ(PddTrace(state, "../OUTSIDE", buffer.data()), simdev::kPddTraceNotActive);
  EXPECT_EQ(buffer[0], kUntouched);
}

TEST(PddTrace, EachDriverHandsOutOnlyItsOwnRecords) {
  support::TempFolder dir;
  AddRecords(dir.Str(), "WNT43PDD", 1, 4);
  std::vector<unsigned char> buffer = Buffer();
  EXPECT_EQ(PddTrace(dir.Str(), "WNT4XPDD", buffer.data()), simdev::kPddTraceActive);
  EXPECT_EQ(buffer[0], kUntouched);
}

}  // namespace
