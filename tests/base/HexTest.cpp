// The hexadecimal conversions of the EFT programs and of the PIN pad program, and the strict
// parser.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "base/Hex.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

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

// Converts into a buffer of `size` bytes preset to EE, so untouched bytes show.
Bytes Convert(const std::string& text, std::size_t size, std::size_t* taken = nullptr) {
  Bytes buffer(size, 0xEE);
  std::size_t n = base::HexTextToBytes(text, buffer);
  if (taken) *taken = n;
  return buffer;
}

TEST(HexTextToBytes, DigitsFillBytesHighHalfFirst) {
  struct Case {
    const char* text;
    Bytes bytes;
    std::size_t taken;
  };
  const Case cases[] = {
      {"ABC", {0xAB, 0xC0, 0xEE, 0xEE}, 3},  // odd count: last digit in the high half
      {"5", {0x50, 0xEE, 0xEE, 0xEE}, 1},
      {"", {0xEE, 0xEE, 0xEE, 0xEE}, 0},          // writes nothing
      {"0123abcd", {0x01, 0x23, 0xAB, 0xCD}, 8},  // small letters
      {"0123ABCD", {0x01, 0x23, 0xAB, 0xCD}, 8},
      {"12G456", {0x12, 0xEE, 0xEE, 0xEE}, 2},      // stops at the first non-digit
      {"1 23", {0x10, 0xEE, 0xEE, 0xEE}, 1},        // a blank stops it too
      {"A1B2C3D4E5", {0xA1, 0xB2, 0xC3, 0xD4}, 8},  // never beyond the buffer
      {"fF", {0xFF, 0xEE, 0xEE, 0xEE}, 2},
  };
  for (const Case& c : cases) {
    std::size_t taken = 0;
    EXPECT_EQ(Convert(c.text, 4, &taken), c.bytes) << '"' << c.text << '"';
    EXPECT_EQ(taken, c.taken) << '"' << c.text << '"';
  }
}

TEST(HexTextToBytes, AFullBufferLeavesTheBytesBehindItAlone) {
  Bytes memory(10, 0x5A);
  std::span<std::uint8_t> eight(memory.data(), 8);
  EXPECT_EQ(base::HexTextToBytes("00112233445566778899AABB", eight), 16u);
  EXPECT_EQ(memory, (Bytes{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x5A, 0x5A}));
}

TEST(BytesToHexText, TwoCapitalsAndASpacePerByteTheLastIncluded) {
  EXPECT_EQ(base::BytesToHexText(Bytes(8, 0)), "00 00 00 00 00 00 00 00 ");
  EXPECT_EQ(base::BytesToHexText(Bytes{0x01, 0xAB}), "01 AB ");
  EXPECT_EQ(base::BytesToHexText(Bytes{0, 1, 2, 3, 4, 5, 6, 7}), "00 01 02 03 04 05 06 07 ");
  EXPECT_EQ(base::BytesToHexText(Bytes{0xF0, 0x0F, 0x9A}), "F0 0F 9A ");
  EXPECT_EQ(base::BytesToHexText({}), "");
}

TEST(IsHexText, ExactlyTheDigitsAskedFor) {
  EXPECT_TRUE(base::IsHexText("0123456789abcDEF", 16));
  EXPECT_FALSE(base::IsHexText("0123456789abcDE", 16));    // one short
  EXPECT_FALSE(base::IsHexText("0123456 89abcDEF", 16));   // a blank
  EXPECT_FALSE(base::IsHexText("0123456789abcDEFG", 16));  // one too many
  EXPECT_FALSE(base::IsHexText("", 2));
  EXPECT_TRUE(base::IsHexText("", 0));
}

TEST(ParseHex, PairsOfDigitsAndNothingElse) {
  EXPECT_EQ(base::ParseHex("00ab7F"), (std::vector<std::uint8_t>{0x00, 0xAB, 0x7F}));
  EXPECT_EQ(base::ParseHex(""), std::vector<std::uint8_t>{});
  EXPECT_FALSE(base::ParseHex("0"));
  EXPECT_FALSE(base::ParseHex("0G"));
  // Into a buffer: exactly two digits per byte, or the buffer stays as it was.
  std::array<std::uint8_t, 2> out{0x55, 0x55};
  EXPECT_TRUE(base::ParseHex("A0f9", out));
  EXPECT_EQ(out, (std::array<std::uint8_t, 2>{0xA0, 0xF9}));
  for (const char* bad : {"", "A0F", "A0F9A", "A0_9", "A0G9", "A0 9", "-0F9", "A0\x0F\x39"}) {
    out = {0x55, 0x55};
    EXPECT_FALSE(base::ParseHex(bad, out)) << bad;
    EXPECT_EQ(out, (std::array<std::uint8_t, 2>{0x55, 0x55})) << bad;
  }
}

}  // namespace
