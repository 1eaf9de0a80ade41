// The help window's view of a topic.
#include "help/HelpView.h"

#include "help/HelpWriter.h"

namespace help {

std::optional<ShownTopic> ShowOffset(const HelpFile& file, std::uint32_t offset) {
  const ReadTopic* topic = TopicAtOffset(file, offset);
  // The closing empty record has no title: no topic to show.
  if (!topic || topic->paragraphs.empty()) return std::nullopt;
  ShownTopic shown;
  shown.offset = topic->offset;
  for (const ReadParagraph& p : topic->paragraphs) {
    if (p.jumpHash) {
      shown.links.push_back({p.text, *p.jumpHash});
      continue;
    }
    const bool heading = p.font == kFontHeading || p.font == kFontSubheading;
    if (!shown.text.empty()) shown.text += heading ? "\r\n\r\n" : "\r\n";
    shown.text += p.text;
  }
  return shown;
}

std::optional<ShownTopic> ShowNumber(const HelpFile& file, std::uint32_t number) {
  const ReadTopic* topic = TopicForNumber(file, number);
  return topic ? ShowOffset(file, topic->offset) : std::nullopt;
}

std::optional<ShownTopic> ShowHash(const HelpFile& file, std::int32_t hash) {
  const ReadTopic* topic = TopicForHash(file, hash);
  return topic ? ShowOffset(file, topic->offset) : std::nullopt;
}

std::optional<ShownTopic> ShowContents(const HelpFile& file) {
  return ShowOffset(file, file.contentsOffset);
}

std::string HelpFileUnreadable(const std::string& fileName) {
  return "Cannot show help: " + fileName + " is missing or damaged.";
}

std::string HelpTopicMissing(const std::string& fileName) {
  return "Cannot show help: " + fileName + " has no topic for this.";
}

}  // namespace help
