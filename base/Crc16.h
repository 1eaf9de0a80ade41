// CRC-16/ARC (polynomial 8005 reflected as A001, initial value 0, no final exclusive-or): the
// check of the serial line's frames and of code downloaded to a terminal, and the CRC the
// support program shows for an application's HEX file.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace base {

// By table, a byte at a time: the support program feeds it every data byte of a HEX file.
inline constexpr std::array<std::uint16_t, 256> kCrc16ArcTable = [] {
  std::array<std::uint16_t, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    auto crc = static_cast<std::uint16_t>(byte);
    for (int bit = 0; bit < 8; ++bit)
      crc = static_cast<std::uint16_t>((crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1);
    table[byte] = crc;
  }
  return table;
}();

constexpr std::uint16_t Crc16Update(std::uint16_t crc, std::uint8_t byte) {
  return static_cast<std::uint16_t>((crc >> 8) ^ kCrc16ArcTable[(crc ^ byte) & 0xFF]);
}

constexpr std::uint16_t Crc16Arc(std::span<const std::uint8_t> data, std::uint16_t crc = 0) {
  for (std::uint8_t byte : data) crc = Crc16Update(crc, byte);
  return crc;
}

}  // namespace base
