// The WinHelp 4.0 file writer: topic records laid out in blocks, then the container.
#include "help/HelpWriter.h"

#include <algorithm>
#include <cstring>

#include "base/LittleEndian.h"

namespace help {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr std::size_t kLinkHeader = 21;  // TOPICLINK header before LinkData1
constexpr std::uint8_t kTopicHeaderRecord = 0x02;
constexpr std::uint8_t kTextRecord = 0x20;

void Put8(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(static_cast<std::uint8_t>(v));
}
using base::Put16;
using base::Put32;
void Set32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutText(std::vector<std::uint8_t>& out, const std::string& s) {
  out.insert(out.end(), s.begin(), s.end());
}

// The compressed integers of a text record's LinkData1, always in their two-byte form
// (readers disagree on the bias of the four-byte form). Values stay below 16384.
void PutCompressedLong(std::vector<std::uint8_t>& out, unsigned v) { Put16(out, 0x8000 + 2 * v); }
void PutCompressedUShort(std::vector<std::uint8_t>& out, unsigned v) { Put16(out, 2 * v + 1); }
void PutCompressedShort(std::vector<std::uint8_t>& out, unsigned v) {
  Put16(out, 0x8000 + 2 * v + 1);
}
// A small negative value goes in the one-byte form, which every reader decodes alike.
void PutSmallNegativeShort(std::vector<std::uint8_t>& out, int v) {
  Put8(out, static_cast<unsigned>(0x80 + 2 * v));
}

struct Record {
  std::uint8_t type = 0;
  std::vector<std::uint8_t> data1;  // LinkData1
  std::vector<std::uint8_t> data2;  // LinkData2, stored uncompressed
  std::size_t topic = 0;            // index of the topic the record belongs to
  std::uint32_t pos = 0;            // TOPICPOS, once placed
  std::size_t block = 0;
  std::size_t Size() const { return kLinkHeader + data1.size() + data2.size(); }
};

// Paragraph formatting per kind: font, spacing and indent, in the viewer's small units.
struct Style {
  std::uint16_t font;
  unsigned above, below, indent;
  int firstLine;  // 0, or a small negative value: the first line hangs out by that much
};

Style StyleOf(ParagraphKind kind) {
  switch (kind) {
    case ParagraphKind::kHeading:
      return {kFontHeading, 0, 20, 0, 0};
    case ParagraphKind::kSubheading:
      return {kFontSubheading, 14, 4, 0, 0};
    case ParagraphKind::kItem:
      return {kFontBody, 0, 6, 44, -20};  // the bullet hangs out
    case ParagraphKind::kLink:
      return {kFontLink, 0, 6, 24, 0};
    case ParagraphKind::kBody:
      break;
  }
  return {kFontBody, 0, 14, 0, 0};
}

// One text record holding one paragraph. Its strings and formatting commands alternate:
// the font is set before the text, a link wraps the text in a jump and its end, and the
// paragraph ends with "end of paragraph" and "end of formatting".
Record TextRecord(const Paragraph& para, std::size_t topic) {
  Style style = StyleOf(para.kind);
  Record r;
  r.type = kTextRecord;
  r.topic = topic;
  std::vector<std::uint8_t> commands;
  auto text = [&](const std::string& s) {
    PutText(r.data2, s);
    r.data2.push_back(0);
  };
  text("");
  Put8(commands, 0x80);
  Put16(commands, style.font);
  if (para.kind == ParagraphKind::kLink) {
    text("");
    Put8(commands, 0xE3);  // jump to the topic with this context hash
    Put32(commands, static_cast<std::uint32_t>(ContextHash(para.target)));
    text(para.text);
    Put8(commands, 0x89);  // end of the jump's text
    text("");
  } else {
    text(ShownText(para));
  }
  Put8(commands, 0x82);
  text("");
  Put8(commands, 0xFF);

  unsigned bits = 0;
  if (style.above) bits |= 0x0002;
  if (style.below) bits |= 0x0004;
  if (style.indent) bits |= 0x0010;
  if (style.firstLine) bits |= 0x0040;
  // The record's text size and character count: every byte of LinkData2, NULs included.
  PutCompressedLong(r.data1, static_cast<unsigned>(r.data2.size()));
  PutCompressedUShort(r.data1, static_cast<unsigned>(r.data2.size()));
  Put8(r.data1, 0x00);
  Put8(r.data1, 0x80);
  Put16(r.data1, 0);
  Put16(r.data1, bits);
  if (style.above) PutCompressedShort(r.data1, style.above);
  if (style.below) PutCompressedShort(r.data1, style.below);
  if (style.indent) PutCompressedShort(r.data1, style.indent);
  if (style.firstLine) PutSmallNegativeShort(r.data1, style.firstLine);
  r.data1.insert(r.data1.end(), commands.begin(), commands.end());
  return r;
}

Record TopicHeaderRecord(const std::string& title, std::size_t topic) {
  Record r;
  r.type = kTopicHeaderRecord;
  r.topic = topic;
  r.data1.assign(28, 0);  // filled once every record has its place
  if (!title.empty()) {
    PutText(r.data2, title);
    r.data2.push_back(0);
  }
  return r;
}

std::optional<Diagnostic> TooBig(const Project& project, const Record& r, std::size_t textSize,
                                 int line, const char* what) {
  if (r.Size() <= kTopicBlockData) return std::nullopt;
  std::size_t overhead = r.Size() - textSize;
  return Diagnostic{project.file, line,
                    std::string(what) + " of " + std::to_string(textSize) +
                        " characters does not fit one topic record (at most " +
                        std::to_string(kTopicBlockData - overhead) + " characters)"};
}

std::vector<std::uint8_t> BTreeHeader(std::uint16_t flags, std::uint16_t pageSize,
                                      const char* structure, std::uint32_t entries) {
  std::vector<std::uint8_t> out;
  Put16(out, 0x293B);
  Put16(out, flags);
  Put16(out, pageSize);
  char format[16] = {};
  std::strncpy(format, structure, sizeof format - 1);
  out.insert(out.end(), format, format + 16);
  Put16(out, 0);       // must be zero
  Put16(out, 0);       // page splits
  Put16(out, 0);       // root page
  Put16(out, 0xFFFF);  // must be -1
  Put16(out, 1);       // total pages
  Put16(out, 1);       // levels: the root is the only leaf
  Put32(out, entries);
  return out;
}

// A single leaf page: header, entries, zeros up to the page size.
void PutLeafPage(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& entries,
                 std::size_t count, std::size_t pageSize) {
  Put16(out, static_cast<unsigned>(pageSize - 8 - entries.size()));  // unused bytes
  Put16(out, static_cast<unsigned>(count));
  Put16(out, 0xFFFF);  // no previous page
  Put16(out, 0xFFFF);  // no next page
  out.insert(out.end(), entries.begin(), entries.end());
  out.resize(out.size() + pageSize - 8 - entries.size(), 0);
}

std::vector<std::uint8_t> SystemFile(const Project& project, std::uint32_t generated,
                                     std::uint32_t contentsOffset) {
  std::vector<std::uint8_t> out;
  Put16(out, 0x036C);
  Put16(out, 33);  // format 4.0
  Put16(out, 1);
  Put32(out, generated);
  Put16(out, 0);  // flags: no compression, 4 KB topic blocks
  Put16(out, 1);  // title
  Put16(out, static_cast<unsigned>(project.title.size() + 1));
  PutText(out, project.title);
  Put8(out, 0);
  Put16(out, 3);  // contents topic
  Put16(out, 4);
  Put32(out, contentsOffset);
  Put16(out, 9);  // language: three words of flags, then the LCID (US English)
  Put16(out, 10);
  for (int i = 0; i < 4; ++i) Put16(out, 0);
  Put16(out, 0x0409);
  Put16(out, 11);  // character set: ANSI
  Put16(out, 2);
  Put16(out, 0);
  return out;
}

std::vector<std::uint8_t> FontFile() {
  struct Descriptor {
    std::uint8_t attributes, halfPoints;
    std::uint8_t r, g, b;
  };
  // In FontNumber order. Attribute 1 is bold; family 3 is swiss.
  const Descriptor fonts[] = {
      {0, 20, 0, 0, 0}, {1, 28, 0, 0, 128}, {1, 22, 0, 0, 0}, {0, 20, 0, 128, 0}};
  std::vector<std::uint8_t> out;
  Put16(out, 1);  // face names
  Put16(out, static_cast<unsigned>(std::size(fonts)));
  Put16(out, 8);       // offset of the face names
  Put16(out, 8 + 32);  // offset of the descriptors
  char face[32] = "Arial";
  out.insert(out.end(), face, face + 32);
  for (const Descriptor& f : fonts) {
    Put8(out, f.attributes);
    Put8(out, f.halfPoints);
    Put8(out, 3);
    Put16(out, 0);  // face index
    Put8(out, f.r);
    Put8(out, f.g);
    Put8(out, f.b);
    Put8(out, 255);
    Put8(out, 255);
    Put8(out, 255);
  }
  return out;
}

}  // namespace

BuildResult BuildHelpFile(const Project& project, std::uint32_t generated) {
  BuildResult result;
  const std::vector<Topic>& topics = project.topics;
  if (topics.size() > kMaxTopics) {
    result.error =
        Diagnostic{project.file, topics[kMaxTopics].line,
                   "more than " + std::to_string(kMaxTopics) +
                       " topics: the context index holds at most " + std::to_string(kMaxTopics)};
    return result;
  }

  // Records in file order: per topic its header, its title as a heading, its paragraphs.
  std::vector<Record> records;
  for (std::size_t t = 0; t < topics.size(); ++t) {
    const Topic& topic = topics[t];
    Record header = TopicHeaderRecord(topic.title, t);
    Record heading = TextRecord({ParagraphKind::kHeading, topic.title, "", topic.titleLine}, t);
    if (auto e = TooBig(project, heading, topic.title.size(), topic.titleLine, "title")) {
      result.error = e;
      return result;
    }
    records.push_back(std::move(header));
    records.push_back(std::move(heading));
    for (const Paragraph& para : topic.paragraphs) {
      Record r = TextRecord(para, t);
      if (auto e = TooBig(project, r, para.text.size(), para.line, "paragraph")) {
        result.error = e;
        return result;
      }
      records.push_back(std::move(r));
    }
  }
  records.push_back(TopicHeaderRecord("", topics.size()));  // closes the last topic

  // Place the records: a record that does not fit the rest of a block starts the next one.
  std::size_t block = 0, used = 0;
  for (Record& r : records) {
    if (used + r.Size() > kTopicBlockData) {
      ++block;
      used = 0;
    }
    r.block = block;
    r.pos = static_cast<std::uint32_t>(block * 0x4000 + 12 + used);
    used += r.Size();
  }
  std::size_t blocks = block + 1;

  // Topic offsets: block x 0x8000 plus the characters of the text records before the topic
  // header in the same block. This is where a context number or name leads.
  std::vector<std::uint32_t> topicOffset(topics.size() + 1, 0);
  std::vector<std::size_t> headerIndex(topics.size() + 1, 0);
  std::size_t countBlock = 0;
  std::uint32_t count = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const Record& r = records[i];
    if (r.block != countBlock) {
      countBlock = r.block;
      count = 0;
    }
    if (r.type == kTopicHeaderRecord) {
      topicOffset[r.topic] = static_cast<std::uint32_t>(r.block * 0x8000 + count);
      headerIndex[r.topic] = i;
    } else {
      count += static_cast<std::uint32_t>(r.data2.size());
    }
  }

  // Topic headers: size of the topic's records, no browse sequence, topic number, no
  // non-scrolling region, where the scrolling text starts, where the next topic starts.
  for (std::size_t t = 0; t <= topics.size(); ++t) {
    std::size_t first = headerIndex[t];
    std::size_t end = t < topics.size() ? headerIndex[t + 1] : records.size();
    std::uint32_t size = 0;
    for (std::size_t i = first; i < end; ++i) size += static_cast<std::uint32_t>(records[i].Size());
    std::vector<std::uint8_t>& d = records[first].data1;
    Set32(d, 0, size);
    Set32(d, 4, kNone);
    Set32(d, 8, kNone);
    Set32(d, 12, static_cast<std::uint32_t>(t));
    Set32(d, 16, kNone);
    Set32(d, 20, first + 1 < end ? records[first + 1].pos : kNone);
    Set32(d, 24, t < topics.size() ? records[headerIndex[t + 1]].pos : kNone);
  }

  // |TOPIC: blocks of a 12-byte header and the records, zero-filled to the full block.
  std::vector<std::uint8_t> topicFile(blocks * kTopicBlockSize, 0);
  std::uint32_t lastHeaderBefore = kNone;
  for (std::size_t b = 0, i = 0; b < blocks; ++b) {
    std::size_t at = b * kTopicBlockSize;
    std::uint32_t previousLast = i > 0 ? records[i - 1].pos : kNone;
    Set32(topicFile, at, previousLast);
    Set32(topicFile, at + 4, records[i].pos);
    Set32(topicFile, at + 8, lastHeaderBefore);
    std::size_t write = at + 12;
    for (; i < records.size() && records[i].block == b; ++i) {
      Record& r = records[i];
      std::vector<std::uint8_t> link;
      Put32(link, static_cast<std::uint32_t>(r.Size()));
      Put32(link, static_cast<std::uint32_t>(r.data2.size()));
      Put32(link, i > 0 ? records[i - 1].pos : kNone);
      Put32(link, i + 1 < records.size() ? records[i + 1].pos : kNone);
      Put32(link, static_cast<std::uint32_t>(kLinkHeader + r.data1.size()));
      Put8(link, r.type);
      link.insert(link.end(), r.data1.begin(), r.data1.end());
      link.insert(link.end(), r.data2.begin(), r.data2.end());
      std::copy(link.begin(), link.end(), topicFile.begin() + static_cast<std::ptrdiff_t>(write));
      write += link.size();
      if (r.type == kTopicHeaderRecord) lastHeaderBefore = r.pos;
    }
  }

  // |CONTEXT: every context name's hash and its topic, sorted by signed hash.
  std::vector<std::pair<std::int32_t, std::uint32_t>> hashes;
  std::uint32_t contentsOffset = kNone;
  for (std::size_t t = 0; t < topics.size(); ++t) {
    hashes.emplace_back(ContextHash(topics[t].context), topicOffset[t]);
    if (topics[t].contents) contentsOffset = topicOffset[t];
  }
  std::sort(hashes.begin(), hashes.end());
  std::vector<std::uint8_t> contextEntries;
  for (const auto& [hash, offset] : hashes) {
    Put32(contextEntries, static_cast<std::uint32_t>(hash));
    Put32(contextEntries, offset);
  }
  std::vector<std::uint8_t> contextFile =
      BTreeHeader(0x0002, kContextPageSize, "L4", static_cast<std::uint32_t>(hashes.size()));
  PutLeafPage(contextFile, contextEntries, hashes.size(), kContextPageSize);

  // |CTXOMAP: the context numbers, ascending.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> numbers;
  for (std::size_t t = 0; t < topics.size(); ++t) {
    if (topics[t].number) numbers.emplace_back(*topics[t].number, topicOffset[t]);
  }
  std::sort(numbers.begin(), numbers.end());
  std::vector<std::uint8_t> mapFile;
  Put16(mapFile, static_cast<unsigned>(numbers.size()));
  for (const auto& [number, offset] : numbers) {
    Put32(mapFile, number);
    Put32(mapFile, offset);
  }

  // The container: header, the internal files each behind a file header, the directory.
  std::vector<std::uint8_t>& out = result.bytes;
  out.assign(16, 0);
  std::vector<std::pair<std::string, std::uint32_t>> directory;
  auto addFile = [&](const char* name, const std::vector<std::uint8_t>& content) {
    directory.emplace_back(name, static_cast<std::uint32_t>(out.size()));
    Put32(out, static_cast<std::uint32_t>(content.size() + 9));  // reserved: exactly what is used
    Put32(out, static_cast<std::uint32_t>(content.size()));
    Put8(out, 4);
    out.insert(out.end(), content.begin(), content.end());
  };
  addFile("|SYSTEM", SystemFile(project, generated, contentsOffset));
  addFile("|FONT", FontFile());
  addFile("|TOPIC", topicFile);
  addFile("|CONTEXT", contextFile);
  addFile("|CTXOMAP", mapFile);
  std::sort(directory.begin(), directory.end());
  std::vector<std::uint8_t> dirEntries;
  for (const auto& [name, offset] : directory) {
    PutText(dirEntries, name);
    Put8(dirEntries, 0);
    Put32(dirEntries, offset);
  }
  constexpr std::size_t kDirectoryPage = 0x400;
  std::vector<std::uint8_t> dirFile =
      BTreeHeader(0x0402, kDirectoryPage, "z4", static_cast<std::uint32_t>(directory.size()));
  PutLeafPage(dirFile, dirEntries, directory.size(), kDirectoryPage);
  std::uint32_t dirStart = static_cast<std::uint32_t>(out.size());
  Put32(out, static_cast<std::uint32_t>(dirFile.size() + 9));
  Put32(out, static_cast<std::uint32_t>(dirFile.size()));
  Put8(out, 4);
  out.insert(out.end(), dirFile.begin(), dirFile.end());
  Set32(out, 0, 0x00035F3F);
  Set32(out, 4, dirStart);
  Set32(out, 8, kNone);  // no free blocks
  Set32(out, 12, static_cast<std::uint32_t>(out.size()));
  return result;
}

}  // namespace help
