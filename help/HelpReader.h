// Reading a WinHelp file back: its title, contents topic, context numbers and names, and
// every topic's title and paragraphs, for the tests and for listing a built file.
// Every read is bounds-checked; a malformed file gives an error, never a crash or a hang.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace help {

struct ReadParagraph {
  std::string text;
  std::uint16_t font = 0;                // the last font set before the text
  std::optional<std::int32_t> jumpHash;  // a jump to the topic with this context hash
};

struct ReadTopic {
  std::uint32_t offset = 0;    // topic offset, as a context number or name leads to it
  std::uint32_t position = 0;  // TOPICPOS of its header record
  std::uint32_t number = 0;    // topic number in its header
  std::string title;
  std::vector<ReadParagraph> paragraphs;
};

struct HelpFile {
  std::uint16_t minorVersion = 0;
  std::uint32_t generated = 0;
  std::string title;
  std::uint32_t contentsOffset = 0xFFFFFFFF;
  std::vector<std::string> internalFiles;  // directory order
  std::vector<ReadTopic> topics;           // file order, the closing empty record included
  std::vector<std::pair<std::uint32_t, std::uint32_t>> map;      // context number, offset
  std::vector<std::pair<std::int32_t, std::uint32_t>> contexts;  // name hash, offset
};

struct ReadResult {
  HelpFile file;
  std::string error;  // empty: read completely
};

ReadResult ReadHelpFile(std::span<const std::uint8_t> bytes);

// A number as the help tools' errors and listings show it: "0x" and `digits` capitals, the
// low 4 x `digits` bits of `value` (8 for a whole offset or hash, 2 for a character).
std::string HexNumber(std::uint32_t value, int digits);

// The topic a viewer opens for a topic offset: the one whose own offset is the largest
// not above it. Null when there is none.
const ReadTopic* TopicAtOffset(const HelpFile& file, std::uint32_t offset);
// The topic a context number opens, or null when the number is not mapped.
const ReadTopic* TopicForNumber(const HelpFile& file, std::uint32_t number);
// The topic a context name (by its hash) opens, or null.
const ReadTopic* TopicForHash(const HelpFile& file, std::int32_t hash);

}  // namespace help
