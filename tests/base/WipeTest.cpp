// The wipe that every module uses for key material, and the holders that wipe it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "base/KeyMaterial.h"
#include "base/Wipe.h"

namespace {

TEST(Wipe, BytesBecomeZero) {
  std::array<std::uint8_t, 16> key;
  key.fill(0xA5);
  base::WipeBytes(key.data(), 7);
  for (std::size_t i = 0; i < key.size(); ++i) EXPECT_EQ(key[i], i < 7 ? 0 : 0xA5) << i;
}

TEST(Wipe, TextClearsTheWholeBufferEvenBehindACut) {
  std::string text(40, 'K');
  text.resize(5);  // the cut leaves 35 characters behind the end, in the same buffer
  const char* buffer = text.data();
  std::size_t capacity = text.capacity();
  base::WipeText(text);
  EXPECT_TRUE(text.empty());
  ASSERT_EQ(text.data(), buffer);
  for (std::size_t i = 0; i < capacity; ++i) EXPECT_EQ(buffer[i], 0) << i;
}

TEST(KeyMaterial, KeyBytesAreZeroWhenMadeAndWipedWhenGone) {
  using Key = base::KeyBytes<64>;
  alignas(Key) unsigned char storage[sizeof(Key)];
  std::fill(std::begin(storage), std::end(storage), 0xEE);
  auto* key = new (storage) Key;
  for (std::size_t i = 0; i < key->size(); ++i) EXPECT_EQ(key->data()[i], 0) << i;
  key->bytes.fill(0xA5);
  key->~Key();
  for (unsigned char b : storage) ASSERT_EQ(b, 0);
}

TEST(KeyMaterial, TypedKeyTextsAreWiped) {
  base::KeyTexts texts(std::vector<std::string>{"0123456789ABCDEF", "FEDC"}, 6);
  EXPECT_EQ(texts[5], "");  // a field the Ui did not hand over counts as empty
  const char* firstBuffer = texts[0].data();
  std::size_t firstCapacity = texts[0].capacity();
  const char* secondBuffer = texts[1].data();
  std::size_t secondCapacity = texts[1].capacity();
  texts.Wipe();
  EXPECT_TRUE(texts[0].empty());
  EXPECT_TRUE(texts[1].empty());
  for (std::size_t i = 0; i < firstCapacity; ++i) EXPECT_EQ(firstBuffer[i], 0) << i;
  for (std::size_t i = 0; i < secondCapacity; ++i) EXPECT_EQ(secondBuffer[i], 0) << i;
  base::KeyTexts cancelled(std::nullopt, 6);
  EXPECT_TRUE(cancelled.Cancelled());
  cancelled.Wipe();
}

}  // namespace
