// Hexadecimal text conversions and wiping.
#include "wntdld42/HexText.h"

#include <algorithm>

namespace wntdld42 {

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool IsHexDigit(char c) { return DigitValue(c) >= 0; }

std::size_t HexTextToBytes(std::string_view text, std::span<std::uint8_t> buffer) {
  std::size_t taken = 0;
  for (char c : text) {
    int value = DigitValue(c);
    std::size_t at = taken / 2;
    if (value < 0 || at >= buffer.size()) break;
    if (taken % 2 == 0) {
      buffer[at] = static_cast<std::uint8_t>(value << 4);
    } else {
      buffer[at] = static_cast<std::uint8_t>(buffer[at] + value);
    }
    ++taken;
  }
  return taken;
}

std::string BytesToHexText(const std::uint8_t* bytes, std::size_t count) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(count * 3);
  for (std::size_t i = 0; i < count; ++i) {
    text.push_back(kDigits[bytes[i] >> 4]);
    text.push_back(kDigits[bytes[i] & 0x0F]);
    text.push_back(' ');
  }
  return text;
}

bool IsHexText(std::string_view text, std::size_t digits) {
  return text.size() == digits && std::all_of(text.begin(), text.end(), IsHexDigit);
}

}  // namespace wntdld42
