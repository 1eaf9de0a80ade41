// Typed numbers: read as C's atoi reads them within a range, or as strict decimals.
#include <gtest/gtest.h>

#include <limits>
#include <optional>

#include "base/Number.h"

namespace {

constexpr std::uint32_t kMax32 = std::numeric_limits<std::uint32_t>::max();
constexpr std::optional<unsigned long> kRefused = std::nullopt;

// AtoiInRange gives 0 for what does not fit; ParseDecimal refuses all but plain digits.
TEST(Number, AtoiInRangeAndParseDecimalOverTheSameTexts) {
  struct Case {
    const char* text;
    std::uint32_t max, atoi;
    std::optional<unsigned long> decimal;
  };
  const Case cases[] = {
      {"3", 65535, 3, 3},
      {"abc", 65535, 0, kRefused},
      {"12ab", 65535, 12, kRefused},
      {"  +7", 65535, 7, kRefused},
      {"\t 9", 65535, 9, kRefused},
      {"\n\v\f\r5", 65535, 5, kRefused},
      {"", 65535, 0, kRefused},
      {"+", 65535, 0, kRefused},
      {"-", 65535, 0, kRefused},
      {"-0", 65535, 0, kRefused},
      {"+-3", 65535, 0, kRefused},
      {"3 4", 65535, 3, kRefused},
      {"0012", 65535, 12, 12},
      {"65535", 65535, 65535, 65535},
      {"65536", 65535, 0, kRefused},
      {"-1", 65535, 0, kRefused},
      {"-65535", 65535, 0, kRefused},
      {"99999999999999999999", 65535, 0, kRefused},
      {"4294967299", 65535, 0, kRefused},
      {"255", 255, 255, 255},
      {"256", 255, 0, kRefused},
      {"007", 255, 7, 7},
      {"  ", 255, 0, kRefused},
      {"0", 0, 0, 0},
      {"1", 0, 0, kRefused},
      {"4294967295", kMax32, kMax32, kMax32},
      {"4294967296", kMax32, 0, kRefused},  // wraps a 32-bit unsigned long
  };
  for (const Case& c : cases) {
    EXPECT_EQ(base::AtoiInRange(c.text, c.max), c.atoi) << '"' << c.text << '"' << c.max;
    EXPECT_EQ(base::ParseDecimal(c.text, c.max), c.decimal) << '"' << c.text << '"' << c.max;
  }
}

}  // namespace
