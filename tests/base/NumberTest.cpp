// Typed numbers read as C's atoi reads them, within a range.
#include <gtest/gtest.h>

#include "base/Number.h"

namespace {

TEST(AtoiInRange, ReadLikeAtoiWithOutOfRangeValuesGivingZero) {
  struct Case {
    const char* text;
    std::uint32_t max, value;
  };
  const Case cases[] = {
      {"3", 65535, 3},          {"abc", 65535, 0},       {"12ab", 65535, 12},
      {"  +7", 65535, 7},       {"\t 9", 65535, 9},      {"\n\v\f\r5", 65535, 5},
      {"", 65535, 0},           {"+", 65535, 0},         {"-", 65535, 0},
      {"-0", 65535, 0},         {"+-3", 65535, 0},       {"3 4", 65535, 3},
      {"0012", 65535, 12},      {"65535", 65535, 65535}, {"65536", 65535, 0},
      {"-1", 65535, 0},         {"-65535", 65535, 0},    {"99999999999999999999", 65535, 0},
      {"4294967299", 65535, 0}, {"255", 255, 255},       {"256", 255, 0},
      {"007", 255, 7},          {"  ", 255, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(base::AtoiInRange(c.text, c.max), c.value) << '"' << c.text << '"' << c.max;
  }
}

}  // namespace
