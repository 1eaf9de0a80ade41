// The rescanning two-pass HEX CRC, step by step, over a text-mode character reader.
//
// Deliberately written without anything from the indexed computation: its own reader, its own
// digit conversion, its own CRC. Where a character is needed and the file has ended, where a
// character is not a digit and where a search finds nothing, it reports the file as invalid,
// as the indexed computation does.
#include "tests/wnt43sup/HexCrcOracle.h"

#include <cstddef>

namespace hexcrc_test {
namespace {

constexpr int kEof = -1;

// A file opened as text the Windows way: CR LF reads as LF, Ctrl-Z reads as the end.
class TextFile {
 public:
  explicit TextFile(std::string_view bytes) : bytes_(bytes.substr(0, wnt43sup::kHexTextLimit)) {}

  int Get() {
    if (pos_ >= bytes_.size() || bytes_[pos_] == '\x1A') return kEof;
    char c = bytes_[pos_++];
    if (c == '\r' && pos_ < bytes_.size() && bytes_[pos_] == '\n') c = bytes_[pos_++];
    return static_cast<unsigned char>(c);
  }

  void Rewind() { pos_ = 0; }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

class Reader {
 public:
  explicit Reader(std::string_view bytes) : file_(bytes) {}

  void Rewind() { file_.Rewind(); }
  int Get() { return file_.Get(); }

  bool SkipToColon() {
    for (;;) {
      const int c = file_.Get();
      if (c == kEof) return false;
      if (c == ':') return true;
    }
  }

  bool Digit(unsigned* value) {
    const int c = file_.Get();
    if (c >= '0' && c <= '9') {
      *value = static_cast<unsigned>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      *value = static_cast<unsigned>(c - 'A' + 10);
    } else {
      return false;
    }
    return true;
  }

  bool Pair(std::uint8_t* value) {
    unsigned high = 0, low = 0;
    if (!Digit(&high) || !Digit(&low)) return false;
    *value = static_cast<std::uint8_t>(high * 16 + low);
    return true;
  }

  bool Word(std::uint16_t* value) {
    std::uint8_t high = 0, low = 0;
    if (!Pair(&high) || !Pair(&low)) return false;
    *value = static_cast<std::uint16_t>(high * 256 + low);
    return true;
  }

  bool CountAndAddress(std::uint8_t* count, std::uint16_t* address) {
    return Pair(count) && Word(address);
  }

 private:
  TextFile file_;
};

}  // namespace

std::uint16_t BitwiseCrc16Update(std::uint16_t crc, std::uint8_t byte) {
  crc ^= byte;
  for (int i = 0; i < 8; ++i) {
    if (crc & 1) {
      crc = static_cast<std::uint16_t>((crc >> 1) ^ 0xA001);
    } else {
      crc = static_cast<std::uint16_t>(crc >> 1);
    }
  }
  return crc;
}

std::optional<wnt43sup::HexCrcValues> RescanHexCrc(std::string_view fileBytes) {
  Reader in(fileBytes);
  std::uint8_t count = 0;
  std::uint16_t address = 0;

  // The first character, then records 1 and 2 for the beginning address.
  if (in.Get() != ':') return std::nullopt;
  if (!in.CountAndAddress(&count, &address)) return std::nullopt;
  bool beginningSet = false;
  std::uint16_t beginning = 0;
  if (address == 0x0000 && count == 0x20) {
    beginning = 0x0000;
    beginningSet = true;
  }
  if (!in.SkipToColon()) return std::nullopt;
  std::uint8_t count2 = 0;
  if (!in.CountAndAddress(&count2, &address)) return std::nullopt;
  if (address == 0x7000) {
    beginning = 0x7000;
    beginningSet = true;
  } else if (address == 0x4000) {
    beginning = 0x4000;
    beginningSet = true;
  }
  if (!beginningSet) return std::nullopt;

  // First pass: the extent, from record 3 to the first record with count 0.
  std::uint16_t highest = beginning;
  std::uint32_t evaluated = 0;
  if (!in.SkipToColon()) return std::nullopt;
  if (count2 != 0) {
    for (;;) {
      if (!in.CountAndAddress(&count, &address)) return std::nullopt;
      if (address > highest) {
        highest = address;
        evaluated = std::uint32_t{address} - beginning + count;
      }
      if (count == 0) break;
      if (!in.SkipToColon()) return std::nullopt;
    }
  }

  // Second pass: the CRC, rescanning from the start for each record out of place.
  std::uint32_t running = beginning;
  std::uint32_t total = 0;
  std::uint16_t crc = 0;
  in.Rewind();
  if (!in.SkipToColon()) return std::nullopt;
  for (;;) {
    if (!in.CountAndAddress(&count, &address)) return std::nullopt;
    if (address != running) {
      in.Rewind();
      if (!in.SkipToColon()) return std::nullopt;
      for (;;) {
        if (!in.CountAndAddress(&count, &address)) return std::nullopt;
        if (count == 0) return std::nullopt;
        if (address == running) break;
        if (!in.SkipToColon()) return std::nullopt;
      }
    }
    in.Get();
    in.Get();
    std::uint8_t data[255];
    for (unsigned i = 0; i < count; ++i) {
      if (!in.Pair(&data[i])) return std::nullopt;
    }
    total += count;
    for (unsigned i = 0; i < count; ++i) {
      if (total == 0x10000 && i == count - 1u) break;
      crc = BitwiseCrc16Update(crc, data[i]);
    }
    if (total == evaluated) break;
    running += count;
    if (!in.SkipToColon()) return std::nullopt;
  }

  // The length shown, from the record taken last.
  std::uint32_t length = std::uint32_t{highest} + count - beginning;
  if (evaluated == 0x10000) length -= 2;
  return wnt43sup::HexCrcValues{beginning, length, crc};
}

}  // namespace hexcrc_test
