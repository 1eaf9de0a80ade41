// Strict Intel HEX reading.
#include "simdev/IntelHex.h"

#include <memory>

#include "base/Hex.h"

namespace simdev {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

std::vector<std::pair<std::uint32_t, std::uint32_t>> MemoryImage::Ranges() const {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;
  for (std::uint32_t a = 0; a < 0x10000; ++a) {
    if (!loaded[a]) continue;
    std::uint32_t first = a;
    while (a + 1 < 0x10000 && loaded[a + 1]) ++a;
    ranges.push_back({first, a});
  }
  return ranges;
}

bool MemoryImage::Covers(std::uint32_t address, std::uint32_t length) const {
  if (length == 0 || address >= 0x10000 || length > 0x10000 - address) return false;
  for (std::uint32_t a = address; a < address + length; ++a)
    if (!loaded[a]) return false;
  return true;
}

bool ParseIntelHex(std::string_view text, MemoryImage* image, std::string* error) {
  auto fresh = std::make_unique<MemoryImage>();
  std::size_t pos = 0;
  int line = 1;
  bool ended = false;
  auto fail = [&](const std::string& what) {
    *error = "line " + std::to_string(line) + ": " + what;
    return false;
  };
  while (!ended) {
    while (pos < text.size() && IsBlank(text[pos])) {
      if (text[pos] == '\n') ++line;
      ++pos;
    }
    if (pos == text.size()) return fail("no end record");
    if (text[pos] != ':') return fail("a record must start with ':'");
    ++pos;
    // Reads one byte of two digits; the record's bytes are summed for the checksum.
    unsigned sum = 0;
    auto byte = [&](std::uint8_t* out) {
      if (text.size() - pos < 2) return false;
      if (!base::IsHexDigit(text[pos]) || !base::IsHexDigit(text[pos + 1])) return false;
      *out = base::HexPairToByte(text[pos], text[pos + 1]);
      pos += 2;
      sum += *out;
      return true;
    };
    std::uint8_t count, addrHi, addrLo, type;
    if (!byte(&count) || !byte(&addrHi) || !byte(&addrLo) || !byte(&type))
      return fail("record too short or not hexadecimal");
    std::uint8_t data[255];
    for (unsigned i = 0; i < count; ++i)
      if (!byte(&data[i])) return fail("record too short or not hexadecimal");
    std::uint8_t checksum;
    if (!byte(&checksum)) return fail("record too short or not hexadecimal");
    if (pos < text.size() && !IsBlank(text[pos])) return fail("record longer than its count");
    if ((sum & 0xFF) != 0) return fail("wrong checksum");
    std::uint32_t address = static_cast<std::uint32_t>(addrHi) << 8 | addrLo;
    switch (type) {
      case 0x00:
        if (address + count > 0x10000) return fail("data beyond address FFFF");
        for (unsigned i = 0; i < count; ++i) {
          fresh->bytes[address + i] = data[i];
          fresh->loaded[address + i] = true;
        }
        break;
      case 0x01:
        if (count != 0) return fail("end record with data");
        ended = true;
        break;
      case 0x02:
      case 0x04:
        if (count != 2) return fail("extended address record of wrong length");
        if (data[0] != 0 || data[1] != 0) return fail("address beyond 64 KB");
        break;
      case 0x03:
      case 0x05:
        break;
      default:
        return fail("unknown record type");
    }
  }
  if (fresh->loaded.none()) return fail("no data");
  *image = *fresh;
  return true;
}

}  // namespace simdev
