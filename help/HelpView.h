// What the programs' own help window shows of a topic: its text and its links, read from a
// help file by help/HelpReader, and the message when there is nothing to show.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "help/HelpReader.h"

namespace help {

struct ShownLink {
  std::string text;   // the linked topic's title, as the file holds it
  std::int32_t hash;  // the linked topic's context hash
};

struct ShownTopic {
  std::uint32_t offset = 0;  // the topic's own offset: where Back returns to
  // The title, headings, paragraphs and list items in file order, one per line, with CR LF
  // between lines and a blank line before each heading after the first: the text of a
  // read-only edit control.
  std::string text;
  std::vector<ShownLink> links;
};

// The topic that a context number, a context hash, a topic offset or Contents opens; nothing
// when the file does not lead there.
std::optional<ShownTopic> ShowNumber(const HelpFile& file, std::uint32_t number);
std::optional<ShownTopic> ShowHash(const HelpFile& file, std::int32_t hash);
std::optional<ShownTopic> ShowOffset(const HelpFile& file, std::uint32_t offset);
std::optional<ShownTopic> ShowContents(const HelpFile& file);

// The message for a help file that cannot be read (missing, damaged) and for a context number
// it does not map; both name the file.
std::string HelpFileUnreadable(const std::string& fileName);
std::string HelpTopicMissing(const std::string& fileName);

}  // namespace help
