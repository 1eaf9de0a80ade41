// Return-code texts and hexadecimal conversions.
#include "eft/Codes.h"

#include <array>

namespace eft {

namespace {

constexpr std::array<const char*, 16> kReturnCodeTexts = {
    "No Error",
    "Unknown Command",
    "Data Length Error",
    "Unimplemented Command",
    "Invalid Value",
    "Hardware Error",
    "Sequence Error",
    "Card Error",
    "Invalid or Corrupt Key",
    "Invalid Password",
    "Security Processor Error",
    "Timeout",
    "User Aborted Operation",
    "Invalid PIN",
    "Feature Not Available",
    "Unknown Error",
};

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The value of one typed character. Lowercase a-f count as their capitals: the unchecked
// rule alone would make "0a" the byte 2A and silently load a different key.
std::uint8_t DigitValue(char c) {
  if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
  int code = static_cast<signed char>(c);
  return static_cast<std::uint8_t>(code <= '9' ? code - 48 : code - 55);
}

}  // namespace

const char* ReturnCodeText(std::uint8_t rc) {
  return kReturnCodeTexts[rc < kReturnCodeTexts.size() ? rc : kReturnCodeTexts.size() - 1];
}

std::string BytesToHex(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    text.push_back(kHexDigits[b >> 4]);
    text.push_back(kHexDigits[b & 0x0F]);
  }
  return text;
}

std::string FormatReturnCode(std::uint8_t byte) {
  return "X'" + BytesToHex(std::span<const std::uint8_t>(&byte, 1)) + "'";
}

std::string FormatCommandFailed(std::uint8_t rc) {
  return "Command failed:  Device RC=" + BytesToHex(std::span<const std::uint8_t>(&rc, 1)) + " - " +
         ReturnCodeText(rc);
}

std::uint8_t HexPairToByte(char first, char second) {
  return static_cast<std::uint8_t>(static_cast<std::uint8_t>(DigitValue(first) * 16) |
                                   DigitValue(second));
}

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

}  // namespace eft
