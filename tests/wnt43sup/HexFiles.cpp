// Writes test HEX files from a memory image.
#include "tests/wnt43sup/HexFiles.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include "tests/wnt43sup/HexCrcOracle.h"

namespace hexcrc_test {

Image RandomImage(std::uint32_t seed) {
  std::mt19937 random(seed);
  Image image(0x10000);
  for (std::uint8_t& byte : image) byte = static_cast<std::uint8_t>(random() >> 24);
  return image;
}

HexRecord EndRecord() { return HexRecord{0x0000, {}, 0x01, std::nullopt}; }

std::string HexText(const std::vector<HexRecord>& records, std::string_view lineEnd) {
  std::string text;
  char pair[3];
  auto put = [&](unsigned byte) {
    std::snprintf(pair, sizeof pair, "%02X", byte & 0xFF);
    text += pair;
  };
  for (const HexRecord& r : records) {
    unsigned sum = r.data.size() + (r.address >> 8) + (r.address & 0xFF) + r.type;
    text += ':';
    put(static_cast<unsigned>(r.data.size()));
    put(r.address >> 8);
    put(r.address & 0xFF);
    put(r.type);
    for (std::uint8_t byte : r.data) {
      put(byte);
      sum += byte;
    }
    put(r.checksum ? *r.checksum : (0x100 - (sum & 0xFF)) & 0xFF);
    text += lineEnd;
  }
  return text;
}

std::vector<HexRecord> DataRecords(const Image& image, std::uint32_t from, std::uint32_t to,
                                   const std::vector<unsigned>& sizes) {
  std::vector<HexRecord> records;
  std::size_t next = 0;
  for (std::uint32_t address = from; address < to;) {
    const std::uint32_t size = std::min<std::uint32_t>(sizes[next++ % sizes.size()], to - address);
    HexRecord r;
    r.address = static_cast<std::uint16_t>(address);
    r.data.assign(image.begin() + address, image.begin() + address + size);
    records.push_back(r);
    address += size;
  }
  return records;
}

std::vector<HexRecord> Application(const Image& image, std::uint16_t beginning, std::uint32_t end,
                                   const std::vector<unsigned>& sizes) {
  std::vector<HexRecord> records = DataRecords(image, 0x0000, 0x0020, {32});
  const std::vector<HexRecord> data =
      DataRecords(image, beginning == 0 ? 0x0020 : beginning, end, sizes);
  records.insert(records.end(), data.begin(), data.end());
  records.push_back(EndRecord());
  return records;
}

void Reorder(std::vector<HexRecord>& records, Order order, std::uint32_t seed) {
  if (records.size() < 4) return;
  auto first = records.begin() + 2;
  auto last = records.end() - 1;
  switch (order) {
    case Order::kAscending:
      std::stable_sort(first, last, [](const HexRecord& a, const HexRecord& b) {
        return a.address < b.address;
      });
      break;
    case Order::kDescending:
      std::stable_sort(first, last, [](const HexRecord& a, const HexRecord& b) {
        return a.address > b.address;
      });
      break;
    case Order::kShuffled: {
      std::mt19937 random(seed);
      std::shuffle(first, last, random);
      break;
    }
  }
}

std::uint16_t ImageCrc(const Image& image, std::uint32_t from, std::uint32_t to) {
  std::uint16_t crc = 0;
  for (std::uint32_t a = from; a < to; ++a) crc = BitwiseCrc16Update(crc, image[a]);
  return crc;
}

}  // namespace hexcrc_test
