// libFuzzer target: the WinHelp file reader (help/HelpReader.h), which lists a built file and
// which the tests read the shipped files with. The input is a help file. Beyond "no crash" and
// "no hang" (the reader promises an error for every malformed file):
//   - a refused file has a message;
//   - what an accepted file reports fits its size: each internal file name, context entry and
//     map entry takes bytes of its own (at least 5, 8 and 8), a topic record at least 21 bytes
//     of the topic blocks, and every topic's position names a block inside the file;
//   - the viewer's look-ups agree with the tables: a context number or name opens the topic
//     at the offset of its first entry, and no look-up opens a topic beyond its offset (for
//     the first 64 entries of each table);
//   - what the help window shows of a mapped topic and of each of its links is that topic.
#include <cstdint>
#include <span>

#include "help/HelpReader.h"
#include "help/HelpView.h"
#include "tests/support/Broken.h"

namespace {

using support::Broken;

void CheckOpens(const help::HelpFile& file, const help::ReadTopic* topic, std::uint32_t offset) {
  if (topic != help::TopicAtOffset(file, offset)) Broken("a look-up opens another topic");
  if (topic && topic->offset > offset) Broken("a look-up opens a topic beyond its offset");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  help::ReadResult result = help::ReadHelpFile(std::span<const std::uint8_t>(data, size));
  if (!result.error.empty()) return 0;
  const help::HelpFile& file = result.file;

  if (file.internalFiles.size() * 5 > size) Broken("more internal files than the file holds");
  if (file.contexts.size() * 8 > size) Broken("more context entries than the file holds");
  if (file.map.size() * 8 > size) Broken("more map entries than the file holds");
  if (file.title.size() >= size) Broken("a title longer than the file");
  const std::size_t blocks = size / 4096 + 1;
  if (file.topics.size() > blocks * 4084 / 21 + 1) Broken("more topic records than blocks hold");
  for (const help::ReadTopic& t : file.topics) {
    if (t.position < 12 || ((t.position - 12) >> 14) >= blocks)
      Broken("a topic at a position outside the file");
    if (t.title.size() >= size) Broken("a topic title longer than the file");
  }

  // The first entries of each table (each look-up is a search of the table).
  constexpr std::size_t kLookUps = 64;
  CheckOpens(file, help::TopicAtOffset(file, file.contentsOffset), file.contentsOffset);
  for (std::size_t i = 0; i < file.map.size() && i < kLookUps; ++i) {
    std::size_t first = 0;
    while (file.map[first].first != file.map[i].first) ++first;
    CheckOpens(file, help::TopicForNumber(file, file.map[i].first), file.map[first].second);
    if (auto shown = help::ShowNumber(file, file.map[i].first)) {
      if (shown->offset != help::TopicForNumber(file, file.map[i].first)->offset)
        Broken("the window shows another topic than the number opens");
      for (const help::ShownLink& link : shown->links) {
        if (auto target = help::ShowHash(file, link.hash)) {
          if (target->offset != help::TopicForHash(file, link.hash)->offset)
            Broken("a link shows another topic than its hash opens");
        }
      }
    }
  }
  for (std::size_t i = 0; i < file.contexts.size() && i < kLookUps; ++i) {
    std::size_t first = 0;
    while (file.contexts[first].first != file.contexts[i].first) ++first;
    CheckOpens(file, help::TopicForHash(file, file.contexts[i].first), file.contexts[first].second);
  }
  return 0;
}
