// libFuzzer target: the emulated terminal's Intel HEX reader (simdev/IntelHex.h), the one the
// stand-in EftDload reads a download with. Beyond "no crash", on every input:
//   - it accepts what the rules of IntelHex.h accept (written again here, another way) and
//     loads the same image; a refused file leaves the image as it was and says where: "line
//     N: ..." with N the line of the record refused (the last line for a missing end record);
//   - the same text with CR LF line ends and the case of every letter swapped gives the same
//     verdict, the same image and the same message (blanks and either case of the digits are
//     allowed, nothing else is a letter);
//   - an accepted file's loaded ranges are ordered, apart and cover exactly the loaded bytes,
//     and the image written back as a HEX file (in reverse order, 32-byte records) reads
//     back to the same image.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "simdev/IntelHex.h"
#include "tests/support/Broken.h"

namespace {

using simdev::MemoryImage;

using support::Broken;

// Whole images, compared as memory (the bitset's own comparison is a loop the coverage
// instrumentation makes slow).
bool Same(const MemoryImage& a, const MemoryImage& b) {
  return std::memcmp(&a.loaded, &b.loaded, sizeof a.loaded) == 0 &&
         std::memcmp(a.bytes.data(), b.bytes.data(), a.bytes.size()) == 0;
}

void Record(std::string& out, std::uint8_t type, std::uint32_t address, const std::uint8_t* data,
            std::size_t count) {
  static const char digits[] = "0123456789ABCDEF";
  unsigned sum = 0;
  auto put = [&](std::uint8_t b) {
    out += digits[b >> 4];
    out += digits[b & 15];
    sum += b;
  };
  out += ':';
  put(static_cast<std::uint8_t>(count));
  put(static_cast<std::uint8_t>(address >> 8));
  put(static_cast<std::uint8_t>(address));
  put(type);
  for (std::size_t i = 0; i < count; ++i) put(data[i]);
  put(static_cast<std::uint8_t>(-sum));
  out += "\r\n";
}

std::string WriteBack(const MemoryImage& image,
                      const std::vector<std::pair<std::uint32_t, std::uint32_t>>& ranges) {
  std::string out;
  for (auto it = ranges.rbegin(); it != ranges.rend(); ++it) {
    for (std::uint32_t a = it->first; a <= it->second; a += 32) {
      std::size_t n = std::min<std::uint32_t>(32, it->second - a + 1);
      Record(out, 0x00, a, image.bytes.data() + a, n);
    }
  }
  Record(out, 0x01, 0, nullptr, 0);
  return out;
}

void CheckRanges(const MemoryImage& image,
                 const std::vector<std::pair<std::uint32_t, std::uint32_t>>& ranges) {
  if (ranges.empty()) Broken("an accepted file loads nothing");
  std::size_t total = 0;
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    auto [first, last] = ranges[i];
    if (first > last || last > 0xFFFF) Broken("a range out of order or beyond FFFF");
    if (i > 0 && first <= ranges[i - 1].second + 1) Broken("ranges overlap or touch");
    if (!image.Covers(first, last - first + 1)) Broken("a range is not covered");
    if (first > 0 && image.loaded[first - 1]) Broken("a range does not start at its first byte");
    if (last < 0xFFFF && image.Covers(first, last - first + 2)) Broken("a range ends too early");
    total += last - first + 1;
  }
  if (total != image.loaded.count()) Broken("the ranges do not hold every loaded byte");
}

// The reading IntelHex.h describes, written again here another way (record by record, each
// record the characters up to the next blank): whether the text is accepted, and the line of
// the refusal. The bytes it loads go to `image`, their addresses to `written`.
bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}
unsigned Nibble(char c) {
  return c <= '9' ? static_cast<unsigned>(c - '0') : static_cast<unsigned>((c | 0x20) - 'a' + 10);
}
bool Reference(std::string_view text, MemoryImage& image, std::vector<std::uint32_t>& written,
               unsigned* line) {
  *line = 1;
  std::size_t at = 0;
  bool data = false;
  for (;;) {
    while (at < text.size() &&
           (text[at] == ' ' || text[at] == '\t' || text[at] == '\r' || text[at] == '\n'))
      *line += text[at++] == '\n';
    if (at == text.size() || text[at] != ':') return false;  // no end record, or no record
    std::size_t end = at + 1;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\r' &&
           text[end] != '\n')
      ++end;
    std::string_view record = text.substr(at + 1, end - at - 1);
    at = end;
    if (record.size() < 10 || record.size() % 2 != 0) return false;
    std::vector<std::uint8_t> bytes;
    unsigned sum = 0;
    for (std::size_t i = 0; i < record.size(); i += 2) {
      if (!IsHex(record[i]) || !IsHex(record[i + 1])) return false;
      bytes.push_back(static_cast<std::uint8_t>(Nibble(record[i]) << 4 | Nibble(record[i + 1])));
      sum += bytes.back();
    }
    const std::size_t count = bytes[0];
    if (bytes.size() != count + 5 || sum % 256 != 0) return false;
    const std::uint32_t address = static_cast<std::uint32_t>(bytes[1]) << 8 | bytes[2];
    switch (bytes[3]) {
      case 0x00:
        if (address + count > 0x10000) return false;
        for (std::size_t i = 0; i < count; ++i) {
          image.bytes[address + i] = bytes[4 + i];
          image.loaded[address + i] = true;
          written.push_back(static_cast<std::uint32_t>(address + i));
        }
        data = data || count > 0;
        break;
      case 0x01:
        return count == 0 && data;
      case 0x02:
      case 0x04:
        if (count != 2 || bytes[4] != 0 || bytes[5] != 0) return false;
        break;
      case 0x03:
      case 0x05:
        break;
      default:
        return false;
    }
  }
}

// The same text with CR LF for every LF and the case of every letter swapped.
std::string Variant(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    if (c == '\n') out += '\r';
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
    else if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
    out += c;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // The images are large (72 KB): one set for the whole run.
  static auto image = std::make_unique<MemoryImage>();
  static auto sentinel = std::make_unique<MemoryImage>();
  static auto other = std::make_unique<MemoryImage>();
  static auto reference = std::make_unique<MemoryImage>();
  static std::vector<std::uint32_t> written;
  static bool ready = false;
  if (!ready) {
    for (std::size_t a = 0; a < sentinel->bytes.size(); a += 7) {
      sentinel->bytes[a] = 0xA5;
      sentinel->loaded[a] = true;
    }
    ready = true;
  }
  *image = *sentinel;
  std::string error;
  const bool ok = simdev::ParseIntelHex(text, image.get(), &error);

  unsigned referenceLine = 0;
  if (Reference(text, *reference, written, &referenceLine) != ok)
    Broken(ok ? "accepted against the rules" : "refused against the rules");
  if (ok && !Same(*image, *reference)) Broken("another image than the rules give");
  for (std::uint32_t a : written) {
    reference->bytes[a] = 0;
    reference->loaded[a] = false;
  }
  written.clear();
  if (!ok) {
    if (!Same(*image, *sentinel)) Broken("a refused file changed the image");
    unsigned line = 0;
    if (std::sscanf(error.c_str(), "line %u: ", &line) != 1) Broken("a refusal without its line");
    if (line != referenceLine) Broken("a refusal names another line than the refused record's");
  }

  *other = *sentinel;
  std::string otherError;
  if (simdev::ParseIntelHex(Variant(text), other.get(), &otherError) != ok)
    Broken("CR LF and swapped case changed the verdict");
  if (!Same(*other, *image)) Broken("CR LF and swapped case changed the image");
  if (!ok && otherError != error) Broken("CR LF and swapped case changed the message");

  if (ok) {
    const auto ranges = image->Ranges();
    CheckRanges(*image, ranges);
    const std::string written = WriteBack(*image, ranges);
    other->bytes.fill(0x5A);
    other->loaded.reset();
    if (!simdev::ParseIntelHex(written, other.get(), &error)) Broken("the written file is refused");
    if (!Same(*other, *image)) Broken("the written file reads back to another image");
  }
  return 0;
}
