// Test HEX files: records written from a memory image, in any order, style and layout.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hexcrc_test {

using Image = std::vector<std::uint8_t>;  // 64 KB, indexed by address

// 64 KB of reproducible pseudo-random bytes.
Image RandomImage(std::uint32_t seed);

struct HexRecord {
  std::uint16_t address = 0;
  std::vector<std::uint8_t> data;
  std::uint8_t type = 0;
  std::optional<std::uint8_t> checksum;  // the correct one when empty
};

HexRecord EndRecord();

// The records as text, each ":" count address type data checksum, then `lineEnd`.
std::string HexText(const std::vector<HexRecord>& records, std::string_view lineEnd = "\r\n");

// Records holding image[from, to), their sizes taken from `sizes` in turn (the last one
// shortened to end at `to`).
std::vector<HexRecord> DataRecords(const Image& image, std::uint32_t from, std::uint32_t to,
                                   const std::vector<unsigned>& sizes = {16});

// An application in the layout the programs expect: record 1 holds the 32 bytes at 0000; for
// a beginning of 4000 or 7000 the data records follow from there, for 0000 from 0020; the
// data end just before `end`; the end record closes the file.
std::vector<HexRecord> Application(const Image& image, std::uint16_t beginning, std::uint32_t end,
                                   const std::vector<unsigned>& sizes = {16});

// Reorders the records after record 2 and before the end record.
enum class Order { kAscending, kDescending, kShuffled };
void Reorder(std::vector<HexRecord>& records, Order order, std::uint32_t seed = 1);

// CRC of image[from, to), one bit at a time.
std::uint16_t ImageCrc(const Image& image, std::uint32_t from, std::uint32_t to);

}  // namespace hexcrc_test
