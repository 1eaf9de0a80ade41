// The WinHelp file reader: container, directory, |SYSTEM, |TOPIC, |CONTEXT, |CTXOMAP.
// It follows the same rules a viewer follows (topic offsets, which topic an offset opens),
// so what it reports is what the viewer would show.
#include "help/HelpReader.h"

#include <algorithm>
#include <map>

#include "base/LittleEndian.h"

namespace help {

std::string HexNumber(std::uint32_t value, int digits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "0x";
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 15];
  return text;
}

namespace {

struct Malformed {
  std::string what;
};

// Bounds-checked little-endian reads over the whole file or a part of it.
class View {
 public:
  View(std::span<const std::uint8_t> bytes, std::string name) : b_(bytes), name_(std::move(name)) {}

  std::size_t size() const { return b_.size(); }
  void Need(std::size_t at, std::size_t n, const char* what) const {
    if (at > b_.size() || n > b_.size() - at) {
      throw Malformed{name_ + ": " + what + " at " + std::to_string(at) + " runs past the end (" +
                      std::to_string(b_.size()) + " bytes)"};
    }
  }
  std::uint8_t U8(std::size_t at, const char* what = "byte") const {
    Need(at, 1, what);
    return b_[at];
  }
  std::uint16_t U16(std::size_t at, const char* what = "word") const {
    Need(at, 2, what);
    return base::Get16(&b_[at]);
  }
  std::uint32_t U32(std::size_t at, const char* what = "long") const {
    Need(at, 4, what);
    return base::Get32(&b_[at]);
  }
  // A NUL-terminated string that must end before `end`.
  std::string Str(std::size_t at, std::size_t end, const char* what) const {
    end = std::min(end, b_.size());
    for (std::size_t i = at; i < end; ++i) {
      if (b_[i] == 0) return std::string(reinterpret_cast<const char*>(b_.data()) + at, i - at);
    }
    throw Malformed{name_ + ": " + what + " at " + std::to_string(at) + " has no terminating NUL"};
  }
  View Sub(std::size_t at, std::size_t n, std::string name) const {
    Need(at, n, "internal file");
    return View(b_.subspan(at, n), std::move(name));
  }
  const std::string& name() const { return name_; }

 private:
  std::span<const std::uint8_t> b_;
  std::string name_;
};

// Walks the leaf pages of a B+ tree in order; `leaf(view, at, pageEnd)` reads one entry
// and returns where the next one starts.
template <typename Leaf>
std::size_t WalkBTree(const View& v, Leaf leaf) {
  if (v.U16(0, "B+ tree magic") != 0x293B) throw Malformed{v.name() + ": not a B+ tree"};
  std::size_t pageSize = v.U16(4);
  std::size_t page = v.U16(26);
  std::size_t totalPages = v.U16(30);
  std::size_t levels = v.U16(32);
  if (pageSize < 8 || levels == 0) throw Malformed{v.name() + ": bad B+ tree header"};
  const std::size_t pages = 38;
  v.Need(pages, pageSize * totalPages, "B+ tree pages");
  auto pageAt = [&](std::size_t p) {
    if (p >= totalPages)
      throw Malformed{v.name() + ": page " + std::to_string(p) + " out of range"};
    return pages + p * pageSize;
  };
  for (std::size_t level = levels; level > 1; --level) page = v.U16(pageAt(page) + 4);
  std::size_t entries = 0, visited = 0;
  while (page != 0xFFFF) {
    if (++visited > totalPages) throw Malformed{v.name() + ": B+ tree leaf pages form a loop"};
    std::size_t at = pageAt(page);
    auto count = static_cast<std::int16_t>(v.U16(at + 2));
    if (count < 0) throw Malformed{v.name() + ": negative entry count"};
    std::size_t p = at + 8, end = at + pageSize;
    for (int i = 0; i < count; ++i) {
      p = leaf(v, p, end);
      if (p > end) throw Malformed{v.name() + ": entry runs past its page"};
      ++entries;
    }
    page = v.U16(at + 6);
  }
  return entries;
}

// Compressed integers of a text record's paragraph information.
std::uint32_t CompressedLong(const View& v, std::size_t& p) {
  if (v.U8(p) & 1) {
    std::uint32_t raw = v.U32(p);
    p += 4;
    return raw / 2;
  }
  std::uint32_t raw = v.U16(p);
  p += 2;
  return raw / 2;
}
std::uint32_t CompressedShort(const View& v, std::size_t& p) {
  if (v.U8(p) & 1) {
    std::uint32_t raw = v.U16(p);
    p += 2;
    return raw / 2;
  }
  return v.U8(p++) / 2u;
}

struct Container {
  View file;
  std::map<std::string, std::pair<std::size_t, std::size_t>> files;  // content start, size

  View Open(const std::string& name) const {
    auto it = files.find(name);
    if (it == files.end()) throw Malformed{"no internal file " + name};
    return file.Sub(it->second.first, it->second.second, name);
  }
  bool Has(const std::string& name) const { return files.count(name) != 0; }
};

// The internal file whose FILEHEADER starts at `at`: its content start and size.
std::pair<std::size_t, std::size_t> FileAt(const View& file, std::size_t at,
                                           const std::string& name) {
  std::uint32_t reserved = file.U32(at, "file header");
  std::uint32_t used = file.U32(at + 4, "file header");
  if (used > 0xFFFFFFFFu - 9 || reserved < used + 9) {
    throw Malformed{name + ": reserved size " + std::to_string(reserved) + " below used size " +
                    std::to_string(used) + " + 9"};
  }
  file.Need(at, reserved, (name + " (reserved space)").c_str());
  return {at + 9, used};
}

void ReadSystem(const View& v, HelpFile& out) {
  if (v.U16(0, "|SYSTEM header") != 0x036C || v.U16(4) != 1)
    throw Malformed{"|SYSTEM: wrong magic"};
  out.minorVersion = v.U16(2);
  out.generated = v.U32(6);
  std::uint16_t flags = v.U16(10);
  if (out.minorVersion <= 16) throw Malformed{"|SYSTEM: version 3.0 files are not supported"};
  if (flags != 0) throw Malformed{"|SYSTEM: compressed topic data is not supported"};
  for (std::size_t p = 12; p + 4 <= v.size();) {
    std::uint16_t type = v.U16(p), size = v.U16(p + 2);
    v.Need(p + 4, size, "|SYSTEM record");
    if (type == 1) out.title = v.Str(p + 4, p + 4 + size, "title");
    if (type == 3 && size == 4) out.contentsOffset = v.U32(p + 4);
    p += 4 + size;
  }
}

void ReadTopics(const View& v, HelpFile& out) {
  // The records live in the data parts of the 4096-byte blocks, read as one stream the way
  // a viewer does; a position names a block and an offset into its data.
  constexpr std::size_t kBlock = 4096, kData = kBlock - 12;
  std::vector<std::uint8_t> data;
  std::size_t blocks = (v.size() + kBlock - 1) / kBlock;
  for (std::size_t b = 0; b < blocks; ++b) {
    std::size_t start = b * kBlock + 12;
    std::size_t end = std::min(v.size(), (b + 1) * kBlock);
    if (start < end) {
      for (std::size_t i = start; i < end; ++i) data.push_back(v.U8(i));
    }
    data.resize((b + 1) * kData, 0);
  }
  View d(data, "|TOPIC");

  std::uint32_t pos = 12;
  std::size_t steps = 0, countBlock = SIZE_MAX;
  std::uint32_t count = 0;
  while (pos != 0xFFFFFFFF) {
    if (++steps > data.size() / 21 + 1) throw Malformed{"|TOPIC: the record chain loops"};
    if (pos < 12) throw Malformed{"|TOPIC: bad record position " + HexNumber(pos, 8)};
    std::size_t block = (pos - 12) >> 14, offset = (pos - 12) & 0x3FFF;
    if (block >= blocks || offset >= kData) {
      throw Malformed{"|TOPIC: record position " + HexNumber(pos, 8) + " outside the blocks"};
    }
    std::size_t at = block * kData + offset;
    std::uint32_t blockSize = d.U32(at, "record header");
    std::uint32_t len2 = d.U32(at + 4);
    std::uint32_t next = d.U32(at + 12);
    std::uint32_t len1 = d.U32(at + 16);
    std::uint8_t type = d.U8(at + 20);
    if (len1 < 21 || blockSize < len1)
      throw Malformed{"|TOPIC: bad record sizes at " + HexNumber(pos, 8)};
    if (len2 > blockSize - len1) throw Malformed{"|TOPIC: phrase-compressed text is not supported"};
    d.Need(at, blockSize, "record");
    if (block != countBlock) {
      countBlock = block;
      count = 0;
    }
    std::size_t text = at + len1, textEnd = text + len2;
    if (type == 0x02) {
      ReadTopic topic;
      topic.position = pos;
      topic.offset = static_cast<std::uint32_t>(block * 0x8000 + count);
      topic.number = d.U32(at + 21 + 12, "topic header");
      std::size_t end = textEnd;
      for (std::size_t i = text; i < textEnd; ++i) {
        if (data[i] == 0) {
          end = i;
          break;
        }
      }
      topic.title.assign(reinterpret_cast<const char*>(data.data()) + text, end - text);
      out.topics.push_back(std::move(topic));
    } else if (type == 0x20) {
      if (out.topics.empty()) throw Malformed{"|TOPIC: text before the first topic header"};
      std::size_t p = at + 21, end1 = at + len1;
      CompressedLong(d, p);
      count += CompressedShort(d, p);
      p += 4;
      std::uint16_t bits = d.U16(p, "paragraph information");
      p += 2;
      if (bits & 0x0001) CompressedLong(d, p);
      for (std::uint16_t bit : {0x0002, 0x0004, 0x0008, 0x0010, 0x0020, 0x0040}) {
        if (bits & bit) CompressedShort(d, p);
      }
      if (bits & 0x0100) p += 3;
      if (bits & 0x0200) {
        std::uint32_t stops = CompressedShort(d, p);
        for (std::uint32_t i = 0; i < stops && p < end1; ++i) {
          if (CompressedShort(d, p) & 0x4000) CompressedShort(d, p);
        }
      }
      ReadParagraph para;
      bool started = false;
      std::size_t s = text;
      while (true) {
        if (p >= end1)
          throw Malformed{"|TOPIC: formatting runs past its record at " + HexNumber(pos, 8)};
        if (s >= textEnd) throw Malformed{"|TOPIC: text strings run out at " + HexNumber(pos, 8)};
        std::string piece = d.Str(s, textEnd, "text string");
        s += piece.size() + 1;
        para.text += piece;
        started = started || !piece.empty();
        std::uint8_t command = d.U8(p++);
        if (command == 0xFF) break;
        switch (command) {
          case 0x20:
            p += 4;
            break;
          case 0x21:
            p += 2;
            break;
          case 0x80:
            para.font = d.U16(p);
            p += 2;
            break;
          case 0x81:
            para.text += '\n';
            break;
          case 0x82:
            out.topics.back().paragraphs.push_back(para);
            para = ReadParagraph{};
            para.font = out.topics.back().paragraphs.back().font;
            started = false;
            break;
          case 0x83:
            para.text += '\t';
            break;
          case 0x89:
            break;
          case 0x8B:
            para.text += ' ';
            break;
          case 0x8C:
            break;
          case 0xC8:
          case 0xCC:
            p += 2 + d.U16(p);
            break;
          case 0xE0:
          case 0xE1:
          case 0xE2:
          case 0xE3:
          case 0xE6:
          case 0xE7:
            para.jumpHash = static_cast<std::int32_t>(d.U32(p));
            p += 4;
            break;
          case 0xEA:
          case 0xEB:
          case 0xEE:
          case 0xEF:
            p += 2 + d.U16(p);
            break;
          default:
            throw Malformed{"|TOPIC: formatting command " + HexNumber(command, 8) +
                            " not supported at " + HexNumber(pos, 8)};
        }
      }
      if (started) out.topics.back().paragraphs.push_back(para);
    } else {
      throw Malformed{"|TOPIC: record type " + HexNumber(type, 8) + " not supported at " +
                      HexNumber(pos, 8)};
    }
    pos = next;
  }
}

HelpFile Read(std::span<const std::uint8_t> bytes) {
  HelpFile out;
  Container c{View(bytes, "help file"), {}};
  const View& f = c.file;
  if (f.U32(0, "file header") != 0x00035F3F) throw Malformed{"not a help file (wrong magic)"};
  std::uint32_t dirStart = f.U32(4);
  std::uint32_t size = f.U32(12);
  if (size != bytes.size()) {
    throw Malformed{"the header gives a size of " + std::to_string(size) + " bytes, the file has " +
                    std::to_string(bytes.size())};
  }
  auto [dirAt, dirSize] = FileAt(f, dirStart, "directory");
  View dir = f.Sub(dirAt, dirSize, "directory");
  WalkBTree(dir, [&](const View& v, std::size_t p, std::size_t end) {
    std::string name = v.Str(p, end, "file name");
    std::uint32_t at = v.U32(p + name.size() + 1, "file offset");
    c.files[name] = FileAt(f, at, name);
    out.internalFiles.push_back(name);
    return p + name.size() + 5;
  });
  for (const char* required : {"|SYSTEM", "|TOPIC", "|FONT", "|CONTEXT"}) {
    if (!c.Has(required)) throw Malformed{std::string("no internal file ") + required};
  }
  ReadSystem(c.Open("|SYSTEM"), out);
  ReadTopics(c.Open("|TOPIC"), out);
  View context = c.Open("|CONTEXT");
  WalkBTree(context, [&](const View& v, std::size_t p, std::size_t) {
    out.contexts.emplace_back(static_cast<std::int32_t>(v.U32(p, "context entry")), v.U32(p + 4));
    return p + 8;
  });
  if (c.Has("|CTXOMAP")) {
    View map = c.Open("|CTXOMAP");
    std::size_t n = map.U16(0, "map count");
    map.Need(2, n * 8, "map entries");
    for (std::size_t i = 0; i < n; ++i)
      out.map.emplace_back(map.U32(2 + i * 8), map.U32(6 + i * 8));
  }
  return out;
}

}  // namespace

ReadResult ReadHelpFile(std::span<const std::uint8_t> bytes) {
  ReadResult result;
  try {
    result.file = Read(bytes);
  } catch (const Malformed& m) {
    result.error = m.what;
  }
  return result;
}

const ReadTopic* TopicAtOffset(const HelpFile& file, std::uint32_t offset) {
  if (offset == 0xFFFFFFFF) return nullptr;
  const ReadTopic* found = nullptr;
  for (const ReadTopic& t : file.topics) {
    if (t.offset <= offset && (!found || found->offset < t.offset)) found = &t;
  }
  return found;
}

const ReadTopic* TopicForNumber(const HelpFile& file, std::uint32_t number) {
  for (const auto& [n, offset] : file.map) {
    if (n == number) return TopicAtOffset(file, offset);
  }
  return nullptr;
}

const ReadTopic* TopicForHash(const HelpFile& file, std::int32_t hash) {
  for (const auto& [h, offset] : file.contexts) {
    if (h == hash) return TopicAtOffset(file, offset);
  }
  return nullptr;
}

}  // namespace help
