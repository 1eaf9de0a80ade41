// Return-code texts and the "command failed" line.
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

}  // namespace
