// The HEX file CRC in one reading of the file, with records found through an index.
//
// The file is read as two passes over its records: the first finds the extent of the
// application, the second feeds the data to the CRC in address order, taking the record at
// the current position when it has the address wanted and otherwise the first record in file
// order (before the end record) that has it. Rescanning the file for each such record costs a
// pass per displaced record, so here the first pass also notes where each address first
// occurs, and the second pass looks records up there. Only what a rescanning reader would read
// is validated: record types, checksums and the data of records never taken are passed over.
#include "wnt43sup/HexCrc.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "base/Crc16.h"
#include "base/PlainFile.h"

namespace wnt43sup {
namespace {

// Value of a hexadecimal digit character, -1 for anything else (lower case included).
constexpr std::array<std::int8_t, 256> MakeDigitTable() {
  std::array<std::int8_t, 256> table{};
  for (int c = 0; c < 256; ++c) {
    table[c] = (c >= '0' && c <= '9')   ? static_cast<std::int8_t>(c - '0')
               : (c >= 'A' && c <= 'F') ? static_cast<std::int8_t>(c - 'A' + 10)
                                        : std::int8_t{-1};
  }
  return table;
}
constexpr std::array<std::int8_t, 256> kDigit = MakeDigitTable();

constexpr char kCtrlZ = '\x1A';
constexpr std::uint32_t k64K = 0x10000;

// The file's text as a Windows program reads a file opened as text: a Ctrl-Z ends it and CR LF
// reads as one character. Positions are byte offsets into the file; CR LF only matters where
// characters are counted rather than matched (the two type characters), since neither CR nor
// LF can stand where a ':' or a digit is wanted.
class HexText {
 public:
  explicit HexText(std::string_view bytes) {
    bytes = bytes.substr(0, kHexTextLimit);
    text_ = bytes.substr(0, bytes.find(kCtrlZ));
  }

  std::size_t size() const { return text_.size(); }
  char at(std::size_t pos) const { return text_[pos]; }

  // Position of the first ':' at or after `from`; npos at the end of the text.
  std::size_t NextColon(std::size_t from) const {
    if (from >= text_.size()) return std::string_view::npos;
    const void* hit = std::memchr(text_.data() + from, ':', text_.size() - from);
    return hit ? static_cast<const char*>(hit) - text_.data() : std::string_view::npos;
  }

  // `digits` hexadecimal digits from `pos` as one number; false when the text ends first or
  // a character is not a digit.
  bool ReadNumber(std::size_t pos, int digits, std::uint32_t* value) const {
    if (pos > text_.size() || text_.size() - pos < static_cast<std::size_t>(digits)) return false;
    std::uint32_t v = 0;
    for (int i = 0; i < digits; ++i) {
      const int d = kDigit[static_cast<unsigned char>(text_[pos + i])];
      if (d < 0) return false;
      v = v * 16 + static_cast<std::uint32_t>(d);
    }
    *value = v;
    return true;
  }

  // Position after passing over `count` characters from `pos`; stops at the end of the text.
  std::size_t PassOver(std::size_t pos, int count) const {
    for (int i = 0; i < count && pos < text_.size(); ++i) {
      pos += (text_[pos] == '\r' && pos + 1 < text_.size() && text_[pos + 1] == '\n') ? 2 : 1;
    }
    return pos;
  }

  // Reads `count` data bytes as digit pairs from `pos` and feeds the first `fed` of them to
  // the CRC; false when the text ends first or a character is not a digit.
  bool FeedData(std::size_t pos, unsigned count, unsigned fed, std::uint16_t* crc) const {
    if (pos > text_.size() || text_.size() - pos < 2 * std::size_t{count}) return false;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text_.data() + pos);
    std::uint16_t c = *crc;
    for (unsigned i = 0; i < count; ++i, p += 2) {
      const int high = kDigit[p[0]];
      const int low = kDigit[p[1]];
      if ((high | low) < 0) return false;
      if (i < fed) c = base::Crc16Update(c, static_cast<std::uint8_t>(high << 4 | low));
    }
    *crc = c;
    return true;
  }

 private:
  std::string_view text_;
};

// Where each load address first occurs: 256 entries for each high byte in use, so a short file
// needs a few kilobytes and one spread over all 64 KB needs 256.
class AddressIndex {
 public:
  void Note(std::uint32_t address, std::size_t pos) {
    std::uint16_t& block = blocks_[address >> 8];
    if (block == 0) {
      entries_.resize(entries_.size() + 256);
      block = static_cast<std::uint16_t>(entries_.size() / 256);
    }
    std::uint32_t& entry = entries_[(block - 1u) * 256 + (address & 0xFF)];
    // Positions are kept plus one, 0 meaning none; the text lies within kHexTextLimit.
    if (entry == 0) entry = static_cast<std::uint32_t>(pos + 1);
  }

  // False when no record has the address.
  bool Find(std::uint32_t address, std::size_t* pos) const {
    if (address >= k64K || blocks_[address >> 8] == 0) return false;
    const std::uint32_t entry = entries_[(blocks_[address >> 8] - 1u) * 256 + (address & 0xFF)];
    if (entry == 0) return false;
    *pos = entry - 1;
    return true;
  }

 private:
  std::array<std::uint16_t, 256> blocks_{};  // block number plus one, by high byte
  std::vector<std::uint32_t> entries_;
};

// Count and load address of the record whose ':' is at `pos`.
struct RecordHead {
  std::size_t pos = 0;
  std::uint32_t count = 0;
  std::uint32_t address = 0;
};

bool ReadHead(const HexText& text, std::size_t pos, RecordHead* head) {
  head->pos = pos;
  return text.ReadNumber(pos + 1, 2, &head->count) && text.ReadNumber(pos + 3, 4, &head->address);
}

// Where a record's data start: after its count, address and two type characters.
std::size_t DataStart(const HexText& text, const RecordHead& head) {
  return text.PassOver(head.pos + 7, 2);
}

}  // namespace

std::optional<HexCrcValues> ComputeHexCrc(std::string_view fileBytes) {
  const HexText text(fileBytes);
  if (text.size() == 0 || text.at(0) != ':') return std::nullopt;

  // Records 1 and 2 give the beginning address.
  RecordHead first, second;
  if (!ReadHead(text, 0, &first)) return std::nullopt;
  std::size_t pos = text.NextColon(7);
  if (pos == std::string_view::npos || !ReadHead(text, pos, &second)) return std::nullopt;
  std::optional<std::uint32_t> beginning;
  if (first.address == 0 && first.count == 0x20) beginning = 0;
  if (second.address == 0x7000 || second.address == 0x4000) beginning = second.address;
  if (!beginning) return std::nullopt;

  // A search for an address reads the records from the first one on, each from the ':' that
  // follows the previous one's address, and gives up at a record with count 0. These are the
  // records the first pass reads too, so it notes the first position of each address here.
  AddressIndex firstAt;
  bool searchable = true;
  auto note = [&](const RecordHead& head) {
    if (!searchable) return;
    if (head.count == 0) {
      searchable = false;
    } else {
      firstAt.Note(head.address, head.pos);
    }
  };
  note(first);
  note(second);

  // First pass: the record with the highest address sets the length evaluated.
  std::uint32_t highest = *beginning;
  std::uint32_t evaluated = 0;
  pos = text.NextColon(second.pos + 7);
  if (pos == std::string_view::npos) return std::nullopt;
  if (second.count != 0) {
    for (;;) {
      RecordHead head;
      if (!ReadHead(text, pos, &head)) return std::nullopt;
      note(head);
      if (head.address > highest) {
        highest = head.address;
        evaluated = head.address - *beginning + head.count;
      }
      if (head.count == 0) break;
      pos = text.NextColon(pos + 7);
      if (pos == std::string_view::npos) return std::nullopt;
    }
  }

  // Second pass: the records in address order from the beginning address, each the record at
  // the current position when it has the address, else the first one noted. The running total
  // only grows, so once past the length evaluated it can never equal it.
  std::uint32_t running = *beginning;
  std::uint32_t total = 0;
  std::uint16_t crc = 0;
  RecordHead head;
  pos = 0;
  for (;;) {
    if (!ReadHead(text, pos, &head)) return std::nullopt;
    if (head.address != running) {
      std::size_t found = 0;
      if (!firstAt.Find(running, &found)) return std::nullopt;
      ReadHead(text, found, &head);
    }
    const std::size_t data = DataStart(text, head);
    total += head.count;
    // When this record brings the running total to exactly 64 KB, its last byte is left out.
    const unsigned fed = (total == k64K && head.count > 0) ? head.count - 1 : head.count;
    if (!text.FeedData(data, head.count, fed, &crc)) return std::nullopt;
    if (total == evaluated) break;
    if (total > evaluated) return std::nullopt;
    running += head.count;
    pos = text.NextColon(data + 2 * std::size_t{head.count});
    if (pos == std::string_view::npos) return std::nullopt;
  }

  HexCrcValues values;
  values.beginning = static_cast<std::uint16_t>(*beginning);
  values.length = highest + head.count - *beginning - (evaluated == k64K ? 2 : 0);
  values.crc = crc;
  return values;
}

std::string FormatBeginning(std::uint16_t beginning) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(beginning));
  return text;
}

std::string FormatLength(std::uint32_t length) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<unsigned>(length));
  return text;
}

std::string FormatCrc(std::uint16_t crc) {
  char text[8];
  std::snprintf(text, sizeof text, crc < 0x1000 ? "0%X" : "%X", static_cast<unsigned>(crc));
  return text;
}

HexCrcTexts FormatHexCrc(std::string_view name, const HexCrcValues& values) {
  return {std::string(name), FormatBeginning(values.beginning), FormatLength(values.length),
          FormatCrc(values.crc)};
}

const char* HexCrcErrorText(HexCrcError error) {
  switch (error) {
    case HexCrcError::kNone:
      return "";
    case HexCrcError::kCannotOpen:
      return kGenCrcCannotOpen;
    case HexCrcError::kInvalid:
      return kGenCrcInvalid;
  }
  return "";
}

namespace {

// Up to kHexTextLimit bytes of the file; empty when it cannot be opened or read, or is not a
// plain file: a typed COM1 opens COM1.HEX, which Windows takes for the serial port.
std::optional<std::string> ReadHexFile(const std::string& fileName) {
  std::string bytes;
  if (base::ReadPlainFile(fileName, kHexTextLimit, &bytes) == base::ReadResult::kCannotOpen)
    return std::nullopt;
  return bytes;
}

}  // namespace

HexCrcOutcome GenerateHexCrc(std::string_view typedName) {
  const std::string_view name = typedName.substr(0, kHexNameLength);
  HexCrcOutcome outcome;
  const std::optional<std::string> bytes = ReadHexFile(std::string(name) + kHexExtension);
  if (!bytes) {
    outcome.error = HexCrcError::kCannotOpen;
    return outcome;
  }
  const std::optional<HexCrcValues> values = ComputeHexCrc(*bytes);
  if (!values) {
    outcome.error = HexCrcError::kInvalid;
    return outcome;
  }
  outcome.texts = FormatHexCrc(name, *values);
  return outcome;
}

}  // namespace wnt43sup
