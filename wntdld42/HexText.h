// Hexadecimal text of the PIN pad program: typed digits to bytes, bytes to the display text,
// and the wiping of key material once it was sent.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "ui/Wipe.h"

namespace wntdld42 {

bool IsHexDigit(char c);

// Fills `buffer` from its start with the bytes that the hexadecimal digits at the start of
// `text` spell, first digit the high half; both cases count. Stops at the end of the text, at
// the first character that is not a digit, or when the buffer is full. A byte whose first
// digit was the last one taken holds it in its high half and 0 in its low half. Returns the
// number of digits taken.
std::size_t HexTextToBytes(std::string_view text, std::span<std::uint8_t> buffer);

// Two capital digits and one space per byte, the last byte included.
std::string BytesToHexText(const std::uint8_t* bytes, std::size_t count);

// True when `text` is exactly `digits` hexadecimal digits and nothing else.
bool IsHexText(std::string_view text, std::size_t digits);

// A fixed-size buffer for key material: zero when made, wiped once the call that needed it
// returned, and again when it goes.
template <std::size_t N>
class SecretBytes {
 public:
  SecretBytes() { bytes_.fill(0); }
  ~SecretBytes() { Wipe(); }
  void Wipe() { ui::WipeBytes(bytes_.data(), N); }
  SecretBytes(const SecretBytes&) = delete;
  SecretBytes& operator=(const SecretBytes&) = delete;
  std::uint8_t* data() { return bytes_.data(); }
  const std::uint8_t* data() const { return bytes_.data(); }
  std::span<std::uint8_t> first(std::size_t n) { return std::span<std::uint8_t>(bytes_).first(n); }
  static constexpr std::size_t size() { return N; }

 private:
  std::array<std::uint8_t, N> bytes_;
};

// Typed texts that may hold key material: wiped on request and when they go.
class SecretTexts {
 public:
  SecretTexts() = default;
  explicit SecretTexts(std::span<std::string> texts) : texts_(texts) {}
  ~SecretTexts() { Wipe(); }
  void Wipe() {
    for (std::string& t : texts_) ui::WipeText(t);
  }
  SecretTexts(const SecretTexts&) = delete;
  SecretTexts& operator=(const SecretTexts&) = delete;

 private:
  std::span<std::string> texts_;
};

}  // namespace wntdld42
