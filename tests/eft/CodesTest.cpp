// Return-code texts, the "command failed" line and the hexadecimal conversions.
#include <gtest/gtest.h>

#include <vector>

#include "eft/Codes.h"

namespace {

TEST(ReturnCodeText, EveryCodeOfTheTableAndAboveIt) {
  const std::pair<int, const char*> table[] = {
      {0x00, "No Error"},
      {0x01, "Unknown Command"},
      {0x02, "Data Length Error"},
      {0x03, "Unimplemented Command"},
      {0x04, "Invalid Value"},
      {0x05, "Hardware Error"},
      {0x06, "Sequence Error"},
      {0x07, "Card Error"},
      {0x08, "Invalid or Corrupt Key"},
      {0x09, "Invalid Password"},
      {0x0A, "Security Processor Error"},
      {0x0B, "Timeout"},
      {0x0C, "User Aborted Operation"},
      {0x0D, "Invalid PIN"},
      {0x0E, "Feature Not Available"},
      {0x0F, "Unknown Error"},
      {0x10, "Unknown Error"},
      {0x3F, "Unknown Error"},
      {0x80, "Unknown Error"},
      {0xFF, "Unknown Error"},
  };
  for (const auto& [rc, text] : table)
    EXPECT_STREQ(eft::ReturnCodeText(static_cast<std::uint8_t>(rc)), text) << "RC " << rc;
}

TEST(FormatCommandFailed, TwoBlanksAfterTheColonAndTheTextLast) {
  EXPECT_EQ(eft::FormatCommandFailed(0x0A),
            "Command failed:  Device RC=0A - Security Processor Error");
  EXPECT_EQ(eft::FormatCommandFailed(0x3F), "Command failed:  Device RC=3F - Unknown Error");
  EXPECT_EQ(eft::FormatCommandFailed(0x07), "Command failed:  Device RC=07 - Card Error");
  EXPECT_EQ(eft::FormatCommandFailed(0xFF), "Command failed:  Device RC=FF - Unknown Error");
}

TEST(FormatReturnCode, QuotedHexadecimalByte) {
  EXPECT_EQ(eft::FormatReturnCode(0x0A), "X'0A'");
  EXPECT_EQ(eft::FormatReturnCode(0x00), "X'00'");
  EXPECT_EQ(eft::FormatReturnCode(0xA5), "X'A5'");
}

TEST(BytesToHex, TwoCapitalsPerByteWithoutSeparators) {
  std::vector<std::uint8_t> bytes = {0x00, 0xAB, 0x7F};
  EXPECT_EQ(eft::BytesToHex(bytes), "00AB7F");
  EXPECT_EQ(eft::BytesToHex({}), "");
  std::vector<std::uint8_t> all = {0x01, 0x23, 0x45, 0x67, 0x89, 0xCD, 0xEF, 0xF0};
  EXPECT_EQ(eft::BytesToHex(all), "0123456789CDEFF0");
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
    EXPECT_EQ(eft::HexPairToByte(c.first, c.second), c.byte) << c.first << c.second;
}

TEST(HexPairToByte, OtherCharactersFollowTheUncheckedRule) {
  // 'G' is 71 - 55 = 16: in the first position it shifts out, in the second it ORs into the
  // high half. '_' is 95 - 55 = 40 (0x28). A blank is 32 - 48 = -16, kept to 8 bits.
  EXPECT_EQ(eft::HexPairToByte('G', '1'), 0x01);
  EXPECT_EQ(eft::HexPairToByte('1', 'G'), 0x10);
  EXPECT_EQ(eft::HexPairToByte('0', '_'), 0x28);
  EXPECT_EQ(eft::HexPairToByte('0', ' '), 0xF0);
}

TEST(IsHexDigit, DigitsAndBothCasesOfAToF) {
  for (char c : std::string("0123456789ABCDEFabcdef")) EXPECT_TRUE(eft::IsHexDigit(c)) << c;
  for (char c : std::string("Gg_ -/:@`")) EXPECT_FALSE(eft::IsHexDigit(c)) << c;
}

}  // namespace
