// Hexadecimal conversions.
#include "base/Hex.h"

#include <algorithm>

namespace base {
namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The value of one typed character without checking it. Lowercase a-f count as their
// capitals: the unchecked rule alone would make "0a" the byte 2A and silently load a
// different key.
std::uint8_t UncheckedValue(char c) {
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  int code = static_cast<signed char>(c);
  return static_cast<std::uint8_t>(code <= '9' ? code - 48 : code - 55);
}

// Two capital digits per byte, high half first, and a blank after each when asked.
std::string Capitals(std::span<const std::uint8_t> bytes, bool blankAfterEach) {
  std::string text;
  text.reserve(bytes.size() * (blankAfterEach ? 3 : 2));
  for (std::uint8_t b : bytes) {
    text.push_back(kDigits[b >> 4]);
    text.push_back(kDigits[b & 0x0F]);
    if (blankAfterEach) text.push_back(' ');
  }
  return text;
}

}  // namespace

bool IsHexDigit(char c) { return DigitValue(c) >= 0; }

std::uint8_t HexPairToByte(char first, char second) {
  return static_cast<std::uint8_t>(static_cast<std::uint8_t>(UncheckedValue(first) * 16) |
                                   UncheckedValue(second));
}

std::string BytesToHex(std::span<const std::uint8_t> bytes) { return Capitals(bytes, false); }

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

std::string BytesToHexText(std::span<const std::uint8_t> bytes) { return Capitals(bytes, true); }

bool IsHexText(std::string_view text, std::size_t digits) {
  return text.size() == digits && std::all_of(text.begin(), text.end(), IsHexDigit);
}

std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text) {
  if (text.size() % 2) return std::nullopt;
  std::vector<std::uint8_t> bytes(text.size() / 2);
  if (!ParseHex(text, bytes)) return std::nullopt;
  return bytes;
}

bool ParseHex(std::string_view text, std::span<std::uint8_t> out) {
  if (!IsHexText(text, 2 * out.size())) return false;
  HexTextToBytes(text, out);
  return true;
}

}  // namespace base
