// The hexadecimal conversions of the EFT programs and of the PIN pad program, and the strict
// parser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/Hex.h"

namespace {

TEST(BytesToHex, TwoCapitalsPerByteWithoutSeparators) {
  std::vector<std::uint8_t> bytes = {0x00, 0xAB, 0x7F};
  EXPECT_EQ(base::BytesToHex(bytes), "00AB7F");
  EXPECT_EQ(base::BytesToHex({}), "");
  std::vector<std::uint8_t> all = {0x01, 0x23, 0x45, 0x67, 0x89, 0xCD, 0xEF, 0xF0};
  EXPECT_EQ(base::BytesToHex(all), "0123456789CDEFF0");
}

TEST(HexPairToByte, LowercaseCountsAsUppercaseInBothPositions) {
  struct Case {
    char first, second;
    std::uint8_t byte;
  };
  const Case cases[] = {
      {'A', 'F', 0xAF}, {'a', 'F', 0xAF}, {'a', 'f', 0xAF}, {'A', 'f', 0xAF},
      {'0', 'a', 0x0A},  // the unchecked rule alone gives 2A here
      {'0', '0', 0x00}, {'9', '9', 0x99}, {'F', 'F', 0xFF}, {'f', 'f', 0xFF},
      {'1', '2', 0x12}, {'7', 'c', 0x7C}, {'b', '3', 0xB3}, {'E', 'd', 0xED},
  };
  for (const Case& c : cases)
    EXPECT_EQ(base::HexPairToByte(c.first, c.second), c.byte) << c.first << c.second;
}

TEST(HexPairToByte, OtherCharactersFollowTheUncheckedRule) {
  // 'G' is 71 - 55 = 16: in the first position it shifts out, in the second it ORs into the
  // high half. '_' is 95 - 55 = 40 (0x28). A blank is 32 - 48 = -16, kept to 8 bits.
  EXPECT_EQ(base::HexPairToByte('G', '1'), 0x01);
  EXPECT_EQ(base::HexPairToByte('1', 'G'), 0x10);
  EXPECT_EQ(base::HexPairToByte('0', '_'), 0x28);
  EXPECT_EQ(base::HexPairToByte('0', ' '), 0xF0);
}

TEST(IsHexDigit, DigitsAndBothCasesOfAToF) {
  for (char c : std::string("0123456789ABCDEFabcdef")) EXPECT_TRUE(base::IsHexDigit(c)) << c;
  for (char c : std::string("Gg_ -/:@`")) EXPECT_FALSE(base::IsHexDigit(c)) << c;
}

TEST(ParseHex, PairsOfDigitsAndNothingElse) {
  const std::uint8_t bytes[] = {0x00, 0xAB, 0x7F};
  EXPECT_EQ(base::BytesToHex({bytes, 3}), "00AB7F");
  EXPECT_EQ(base::ParseHex("00ab7F"), (std::vector<std::uint8_t>{0x00, 0xAB, 0x7F}));
  EXPECT_EQ(base::ParseHex(""), std::vector<std::uint8_t>{});
  EXPECT_FALSE(base::ParseHex("0"));
  EXPECT_FALSE(base::ParseHex("0G"));
}

}  // namespace
