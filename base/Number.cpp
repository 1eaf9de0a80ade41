// Reading typed numbers.
#include "base/Number.h"

namespace base {

std::uint32_t AtoiInRange(std::string_view text, std::uint32_t max) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (value > max) return 0;
  }
  if (negative && value != 0) return 0;
  return static_cast<std::uint32_t>(value);
}

std::optional<unsigned long> ParseDecimal(std::string_view text, unsigned long max) {
  if (text.empty()) return std::nullopt;
  unsigned long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    auto digit = static_cast<unsigned long>(c - '0');
    if (digit > max || value > (max - digit) / 10) return std::nullopt;
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace base
