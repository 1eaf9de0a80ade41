// A minimal PNG writer (8-bit RGB, stored deflate blocks) for screenshots; no zlib needed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace uiauto {

// `rgb` holds width * height * 3 bytes, rows top to bottom.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb);
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
std::uint32_t Adler32(const std::uint8_t* data, std::size_t size);

}  // namespace uiauto
