// Intel HEX files read strictly into a 64 KB memory image, as the emulated terminal's
// download takes them.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace simdev {

struct MemoryImage {
  std::array<std::uint8_t, 0x10000> bytes{};
  std::bitset<0x10000> loaded;

  // The loaded ranges as [first, last] pairs, in address order.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> Ranges() const;
  // True when every byte of [address, address + length) was loaded (and length > 0).
  bool Covers(std::uint32_t address, std::uint32_t length) const;
};

// Reads Intel HEX text. Records start with ':'; only blanks and line ends may stand between
// them. Hexadecimal digits of either case. Every record's checksum must be right. Data
// records (00) must end at or below FFFF; the end record (01) must come and ends the
// reading; extended address records (02, 04) are accepted only with the value 0, since the
// terminal has 16-bit addresses; start address records (03, 05) are passed over; other types
// are refused. A file without data is refused too. On failure `error` says what and where,
// and `image` is unchanged.
bool ParseIntelHex(std::string_view text, MemoryImage* image, std::string* error);

}  // namespace simdev
