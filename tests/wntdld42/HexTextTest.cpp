// Hexadecimal text of the PIN pad program: typed digits to bytes, bytes to the display text,
// and the wiping of key material.
#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "wntdld42/HexText.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using wntdld42::BytesToHexText;
using wntdld42::HexTextToBytes;

// Converts into a buffer of `size` bytes preset to EE, so untouched bytes show.
Bytes Convert(const std::string& text, std::size_t size, std::size_t* taken = nullptr) {
  Bytes buffer(size, 0xEE);
  std::size_t n = HexTextToBytes(text, buffer);
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
  EXPECT_EQ(HexTextToBytes("00112233445566778899AABB", eight), 16u);
  EXPECT_EQ(memory, (Bytes{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x5A, 0x5A}));
}

TEST(BytesToHexText, TwoCapitalsAndASpacePerByteTheLastIncluded) {
  Bytes zeros(8, 0);
  EXPECT_EQ(BytesToHexText(zeros.data(), 8), "00 00 00 00 00 00 00 00 ");
  EXPECT_EQ(BytesToHexText(zeros.data(), 8).size(), 24u);
  Bytes two = {0x01, 0xAB};
  EXPECT_EQ(BytesToHexText(two.data(), 2), "01 AB ");
  Bytes serial = {0, 1, 2, 3, 4, 5, 6, 7};
  EXPECT_EQ(BytesToHexText(serial.data(), 8), "00 01 02 03 04 05 06 07 ");
  Bytes high = {0xF0, 0x0F, 0x9A};
  EXPECT_EQ(BytesToHexText(high.data(), 3), "F0 0F 9A ");
  EXPECT_EQ(BytesToHexText(nullptr, 0), "");
}

TEST(IsHexText, ExactlyTheDigitsAskedFor) {
  EXPECT_TRUE(wntdld42::IsHexText("0123456789abcDEF", 16));
  EXPECT_FALSE(wntdld42::IsHexText("0123456789abcDE", 16));    // one short
  EXPECT_FALSE(wntdld42::IsHexText("0123456 89abcDEF", 16));   // a blank
  EXPECT_FALSE(wntdld42::IsHexText("0123456789abcDEFG", 16));  // one too many
  EXPECT_FALSE(wntdld42::IsHexText("", 2));
  EXPECT_TRUE(wntdld42::IsHexText("", 0));
}

TEST(Wipe, SecretBytesAreZeroWhenMadeAndWipedWhenGone) {
  alignas(wntdld42::SecretBytes<16>) unsigned char storage[sizeof(wntdld42::SecretBytes<16>)];
  std::fill(std::begin(storage), std::end(storage), 0xEE);
  auto* secret = new (storage) wntdld42::SecretBytes<16>;
  for (std::size_t i = 0; i < 16; ++i) EXPECT_EQ(secret->data()[i], 0) << i;
  HexTextToBytes("00112233445566778899AABBCCDDEEFF", secret->first(16));
  EXPECT_EQ(secret->data()[15], 0xFF);
  secret->~SecretBytes();
  for (unsigned char b : storage) EXPECT_EQ(b, 0);
}

}  // namespace
