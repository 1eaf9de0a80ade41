// The wipe that every module uses for key material.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>

#include "ui/Wipe.h"

TEST(Wipe, BytesBecomeZero) {
  std::array<std::uint8_t, 16> key;
  key.fill(0xA5);
  ui::WipeBytes(key.data(), 7);
  for (std::size_t i = 0; i < key.size(); ++i) EXPECT_EQ(key[i], i < 7 ? 0 : 0xA5) << i;
}

TEST(Wipe, TextClearsTheWholeBufferEvenBehindACut) {
  std::string text(40, 'K');
  text.resize(5);  // the cut leaves 35 characters behind the end, in the same buffer
  const char* buffer = text.data();
  std::size_t capacity = text.capacity();
  ui::WipeText(text);
  EXPECT_TRUE(text.empty());
  ASSERT_EQ(text.data(), buffer);
  for (std::size_t i = 0; i < capacity; ++i) EXPECT_EQ(buffer[i], 0) << i;
}
