// SHA-256, so that emulated devices keep keys only as digests.
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

}  // namespace simdev
