// The 16 bytes of an installer configuration file (FIOSETUP.CFG): four little-endian words,
// the ports of the 8341, the 8342 MSR, the 8342 PIN pad and the 8343 in that order (0: not
// configured); bit 31 of the first is the S option.
#pragma once

#include <cstdint>
#include <string>

namespace support {

inline std::string ConfigWords(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
  std::string bytes;
  for (std::uint32_t w : {a, b, c, d}) {
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>(w >> (8 * i));
  }
  return bytes;
}

}  // namespace support
