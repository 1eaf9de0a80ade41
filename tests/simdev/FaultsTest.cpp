// Scripted faults: the line's as its state file keeps it and as the device end takes it frame
// by frame, and the status a device fault gives.
#include <gtest/gtest.h>

#include "simdev/Faults.h"

namespace {

namespace faults = simdev::faults;
using faults::LineFault;

constexpr std::uint16_t kFallback = 31;

TEST(Faults, TheLineFaultIsTakenFrameByFrame) {
  struct Case {
    const char* kept;
    unsigned skip;
    std::optional<LineFault::Kind> hits;
    const char* left;  // empty: nothing left
  };
  const Case cases[] = {
      {"drop 3", 0, LineFault::kDrop, "drop 2"},
      {"garble 1", 0, LineFault::kGarble, ""},
      {"silence 2", 0, LineFault::kSilence, "silence 1"},
      {"delay 250 2", 0, LineFault::kDelay, "delay 250 1"},
      {"unplug", 0, LineFault::kUnplug, "unplug"},  // stays dead
      {"drop 3", 1, std::nullopt, "drop 3"},        // this frame passes by
      {"drop 0", 0, std::nullopt, ""},
      {"melt 2", 0, std::nullopt, ""},
  };
  for (const Case& c : cases) {
    simdev::KeyValues state;
    simdev::SetFault(state, faults::kLine, c.kept, c.skip);
    auto hit = faults::TakeLineFault(state);
    EXPECT_EQ(hit ? std::optional(hit->kind) : std::nullopt, c.hits) << c.kept;
    if (hit) {
      EXPECT_EQ(faults::FormatLineFault(*hit), c.kept);
    }
    EXPECT_EQ(state["fault.line"], c.left) << c.kept;
  }
}

TEST(Faults, AStatusCodeIsADecimalFrom1To65535ElseTheFallback) {
  const std::pair<const char*, std::uint16_t> cases[] = {
      {"5", 5},          {"65535", 65535},  {"00012", 12},
      {"", kFallback},   {"0", kFallback},  {"65536", kFallback},
      {" 5", kFallback}, {"5x", kFallback}, {"-1", kFallback}};
  for (const auto& [value, status] : cases)
    EXPECT_EQ(faults::StatusCode(value, kFallback), status) << '"' << value << '"';
}

}  // namespace
