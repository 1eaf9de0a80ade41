// SHA-256, so that emulated devices keep keys only as digests, and CRC-16/ARC, which checks
// the serial line's frames and the code downloaded to a device.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace simdev {

std::array<std::uint8_t, 32> Sha256(std::span<const std::uint8_t> data);
// "sha256:" and the digest in hexadecimal: what a state file keeps of a key.
std::string KeyDigest(std::span<const std::uint8_t> key);

// CRC-16/ARC (polynomial 8005 reflected as A001, initial value 0, no final exclusive-or).
std::uint16_t Crc16Arc(std::span<const std::uint8_t> data, std::uint16_t crc = 0);

}  // namespace simdev
