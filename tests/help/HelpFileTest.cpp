// The help file as built and read back: container layout, topic offsets across blocks,
// the layout limits, a wrong map being caught, and the reader on damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>
#include <set>

#include "help/HelpCheck.h"
#include "help/HelpReader.h"
#include "help/HelpSource.h"
#include "help/HelpView.h"
#include "help/HelpWriter.h"

using namespace help;

namespace {

const char* kSample =
    "@file Sample Help\n"
    "@topic contents\n@contents\n@title Contents\nPick one:\n@link one\n@link two\n\n"
    "@topic one 20\n@title Topic One\nThe first topic.\n- an item\n== More\nLast words.\n\n"
    "@topic two 30\n@title Topic Two\nThe second topic.\n";

Project Parse(const std::string& source) {
  ParseResult r = ParseSource(source, "sample.topics");
  EXPECT_FALSE(r.error) << r.error->Text();
  return r.project;
}

std::vector<std::uint8_t> Build(const Project& project) {
  BuildResult b = BuildHelpFile(project, 0x12345678);
  EXPECT_FALSE(b.error) << b.error->Text();
  return b.bytes;
}

HelpFile Read(const std::vector<std::uint8_t>& bytes) {
  ReadResult r = ReadHelpFile(bytes);
  EXPECT_EQ(r.error, "");
  return r.file;
}

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}
void Set32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Where an internal file's content starts, found through the directory's only leaf page.
std::size_t ContentOf(const std::vector<std::uint8_t>& b, const std::string& name) {
  std::size_t page = U32(b, 4) + 9 + 38;
  std::size_t n = b[page + 2] | b[page + 3] << 8;
  std::size_t p = page + 8;
  for (std::size_t i = 0; i < n; ++i) {
    std::string entry(reinterpret_cast<const char*>(&b[p]));
    std::size_t at = U32(b, p + entry.size() + 1);
    if (entry == name) return at + 9;
    p += entry.size() + 5;
  }
  ADD_FAILURE() << "no " << name;
  return 0;
}

std::string Repeat(char c, std::size_t n) { return std::string(n, c); }

TEST(HelpFile, RoundTripsTitlesTextsLinksAndTheContextMap) {
  Project project = Parse(kSample);
  HelpFile file = Read(Build(project));
  EXPECT_EQ(CompareHelpFile(project, file), std::vector<std::string>{});
  EXPECT_EQ(file.title, "Sample Help");
  EXPECT_EQ(file.minorVersion, 33);
  EXPECT_EQ(file.generated, 0x12345678u);
  ASSERT_EQ(file.map.size(), 2u);
  ASSERT_NE(TopicForNumber(file, 20), nullptr);
  EXPECT_EQ(TopicForNumber(file, 20)->title, "Topic One");
  EXPECT_EQ(TopicForNumber(file, 30)->title, "Topic Two");
  EXPECT_EQ(TopicForNumber(file, 10), nullptr);
  EXPECT_EQ(TopicAtOffset(file, file.contentsOffset)->title, "Contents");
  const ReadTopic& one = *TopicForNumber(file, 20);
  ASSERT_EQ(one.paragraphs.size(), 5u);  // the title first, as a heading
  EXPECT_EQ(one.paragraphs[0].text, "Topic One");
  EXPECT_EQ(one.paragraphs[0].font, kFontHeading);
  EXPECT_EQ(one.paragraphs[2].text, "\x95 an item");
  EXPECT_EQ(one.paragraphs[3].font, kFontSubheading);
  const ReadTopic& contents = *TopicAtOffset(file, file.contentsOffset);
  ASSERT_EQ(contents.paragraphs.size(), 4u);
  EXPECT_EQ(contents.paragraphs[2].text, "Topic One");
  ASSERT_TRUE(contents.paragraphs[2].jumpHash);
  EXPECT_EQ(TopicForHash(file, *contents.paragraphs[2].jumpHash), &one);
}

// What the programs' help window shows: the text in file order (links apart), a blank line
// before a heading, links that lead to their topics, Contents, and nothing for a number the
// file does not map.
TEST(HelpView, TopicTextLinksAndContents) {
  const HelpFile file = Read(Build(Parse(kSample)));
  std::optional<ShownTopic> one = ShowNumber(file, 20);
  ASSERT_TRUE(one);
  EXPECT_EQ(one->text, "Topic One\r\nThe first topic.\r\n\x95 an item\r\n\r\nMore\r\nLast words.");
  EXPECT_TRUE(one->links.empty());
  std::optional<ShownTopic> contents = ShowContents(file);
  ASSERT_TRUE(contents);
  EXPECT_EQ(contents->text, "Contents\r\nPick one:");
  ASSERT_EQ(contents->links.size(), 2u);
  EXPECT_EQ(contents->links[0].text, "Topic One");
  EXPECT_EQ(ShowHash(file, contents->links[0].hash)->offset, one->offset);
  EXPECT_EQ(ShowHash(file, contents->links[1].hash)->offset, ShowNumber(file, 30)->offset);
  EXPECT_FALSE(ShowNumber(file, 21));
  EXPECT_NE(HelpFileUnreadable("x.hlp").find("x.hlp"), std::string::npos);
  EXPECT_NE(HelpTopicMissing("x.hlp").find("x.hlp"), std::string::npos);
}

TEST(HelpFile, ContainerLayout) {
  std::vector<std::uint8_t> b = Build(Parse(kSample));
  EXPECT_EQ(U32(b, 0), 0x00035F3Fu);
  EXPECT_EQ(U32(b, 8), 0xFFFFFFFFu);  // no free list
  EXPECT_EQ(U32(b, 12), b.size());
  HelpFile file = Read(b);
  // The directory is sorted the way the viewer searches it.
  EXPECT_EQ(file.internalFiles,
            (std::vector<std::string>{"|CONTEXT", "|CTXOMAP", "|FONT", "|SYSTEM", "|TOPIC"}));
  for (const std::string& name : file.internalFiles) {
    std::size_t header = ContentOf(b, name) - 9;
    EXPECT_EQ(U32(b, header), U32(b, header + 4) + 9) << name;  // reserved = used + 9
    EXPECT_EQ(b[header + 8], 4) << name;
  }
  std::size_t system = ContentOf(b, "|SYSTEM");
  EXPECT_EQ(b[system + 10] | b[system + 11] << 8, 0);  // no compression, 4 KB blocks
  std::size_t topic = ContentOf(b, "|TOPIC");
  EXPECT_EQ(U32(b, topic - 9 + 4) % 4096, 0u);  // whole blocks
  EXPECT_EQ(U32(b, topic + 4), 12u);            // first record right after the block header
}

// Long paragraphs push topics over several blocks; a record is never split, and a topic's
// offset counts only the text before it in its own block.
TEST(HelpFile, TopicsAcrossBlocksKeepTheirContextNumbers) {
  std::string source = "@file Big\n@topic contents\n@contents\n@title Contents\nx\n";
  for (int t = 1; t <= 12; ++t) {
    source += "@topic t" + std::to_string(t) + " " + std::to_string(t * 10) + "\n@title Topic " +
              std::to_string(t) + "\n";
    for (int p = 0; p < 3; ++p) source += Repeat(static_cast<char>('a' + p), 700 + 97 * t) + "\n\n";
  }
  Project project = Parse(source);
  std::vector<std::uint8_t> b = Build(project);
  HelpFile file = Read(b);
  EXPECT_EQ(CompareHelpFile(project, file), std::vector<std::string>{});
  std::size_t blocks = U32(b, ContentOf(b, "|TOPIC") - 9 + 4) / 4096;
  EXPECT_GE(blocks, 8u);
  std::set<std::uint32_t> topicBlocks;
  for (const ReadTopic& t : file.topics) {
    topicBlocks.insert(t.offset >> 15);
    EXPECT_EQ((t.position - 12) >> 14, t.offset >> 15) << t.title;   // offset names its block
    EXPECT_LE(((t.position - 12) & 0x3FFF) + 21, 4084u) << t.title;  // header inside its block
  }
  EXPECT_GE(topicBlocks.size(), 6u);
}

TEST(HelpFile, ALongestParagraphFitsAndOneMoreCharacterIsRefused) {
  // Overhead of a body paragraph's record: 21 header + 17 LinkData1 + 3 NULs.
  const std::size_t longest = 4084 - 21 - 17 - 3;
  std::string head = std::string(kSample) + "@topic long 40\n@title Long\n";  // text on line 21
  Project fits = Parse(head + Repeat('x', longest) + "\n");
  HelpFile file = Read(Build(fits));
  EXPECT_EQ(TopicForNumber(file, 40)->paragraphs[1].text.size(), longest);
  EXPECT_EQ(CompareHelpFile(fits, file), std::vector<std::string>{});

  BuildResult over = BuildHelpFile(Parse(head + Repeat('x', longest + 1) + "\n"), 0);
  ASSERT_TRUE(over.error);
  EXPECT_TRUE(over.bytes.empty());
  EXPECT_EQ(over.error->Text(), "sample.topics:21: paragraph of " + std::to_string(longest + 1) +
                                    " characters does not fit one topic record (at most " +
                                    std::to_string(longest) + " characters)");
  // A title is written twice, in the topic header and as the heading paragraph.
  BuildResult title = BuildHelpFile(
      Parse(std::string(kSample) + "@topic t\n@title " + Repeat('T', longest + 1) + "\n"), 0);
  ASSERT_TRUE(title.error);
  EXPECT_EQ(title.error->line, 20);
  EXPECT_NE(title.error->message.find("title of"), std::string::npos);
}

TEST(HelpFile, AsManyTopicsAsTheIndexHoldsAndNotOneMore) {
  auto source = [](std::size_t topics) {
    std::string s = "@file Many\n@topic contents\n@contents\n@title Contents\n";
    for (std::size_t i = 1; i < topics; ++i) {
      s += "@topic t" + std::to_string(i) + " " + std::to_string(i) + "\n@title T" +
           std::to_string(i) + "\n";
    }
    return s;
  };
  Project full = Parse(source(kMaxTopics));
  HelpFile file = Read(Build(full));
  EXPECT_EQ(CompareHelpFile(full, file), std::vector<std::string>{});
  EXPECT_EQ(file.contexts.size(), 255u);

  BuildResult over = BuildHelpFile(Parse(source(kMaxTopics + 1)), 0);
  ASSERT_TRUE(over.error);
  EXPECT_EQ(over.error->line, 5 + 2 * 254);  // the @topic of the 256th topic
  EXPECT_EQ(over.error->message, "more than 255 topics: the context index holds at most 255");
}

// A context map that leads a number to the wrong topic is caught, whichever way it is wrong.
TEST(HelpFile, AWrongMapIsDetected) {
  Project project = Parse(kSample);
  std::vector<std::uint8_t> good = Build(project);
  std::size_t map = ContentOf(good, "|CTXOMAP");
  ASSERT_EQ(good[map], 2);

  std::vector<std::uint8_t> swapped = good;  // 20 and 30 trade topics
  Set32(swapped, map + 2 + 4, U32(good, map + 2 + 8 + 4));
  Set32(swapped, map + 2 + 8 + 4, U32(good, map + 2 + 4));
  std::vector<std::string> diffs = CompareHelpFile(project, Read(swapped));
  EXPECT_EQ(diffs, (std::vector<std::string>{
                       "context number 20 opens \"Topic Two\", expected \"Topic One\"",
                       "context number 30 opens \"Topic One\", expected \"Topic Two\""}));

  std::vector<std::uint8_t> renumbered = good;  // 20 became 21
  Set32(renumbered, map + 2, 21);
  diffs = CompareHelpFile(project, Read(renumbered));
  EXPECT_EQ(diffs,
            (std::vector<std::string>{"context number 20 opens no topic, expected \"Topic One\"",
                                      "context number 21 is mapped but has no topic"}));

  std::vector<std::uint8_t> shortMap = good;  // the map lost its last entry
  shortMap[map] = 1;
  diffs = CompareHelpFile(project, Read(shortMap));
  ASSERT_FALSE(diffs.empty());
  EXPECT_EQ(diffs[0], "context number 30 opens no topic, expected \"Topic Two\"");

  // An offset inside a topic still opens that topic, as in the viewer.
  std::vector<std::uint8_t> inside = good;
  Set32(inside, map + 2 + 4, U32(good, map + 2 + 4) + 3);
  EXPECT_EQ(CompareHelpFile(project, Read(inside)), std::vector<std::string>{});

  std::vector<std::uint8_t> badName = good;  // a context hash that matches no name
  std::size_t leaf = ContentOf(good, "|CONTEXT") + 38 + 8;
  Set32(badName, leaf, U32(good, leaf) ^ 1);
  diffs = CompareHelpFile(project, Read(badName));
  ASSERT_EQ(diffs.size(), 1u);
  EXPECT_NE(diffs[0].find("opens no topic"), std::string::npos) << diffs[0];
}

TEST(HelpFile, ChangedTextOrTitleIsDetected) {
  Project project = Parse(kSample);
  Project changed = project;
  changed.topics[1].paragraphs[0].text = "The frist topic.";
  EXPECT_EQ(CompareHelpFile(changed, Read(Build(project))),
            (std::vector<std::string>{"topic \"one\": paragraph 2: text \"The first topic.\", "
                                      "expected \"The frist topic.\""}));
  changed = project;
  changed.title = "Other";
  EXPECT_EQ(CompareHelpFile(changed, Read(Build(project))).size(), 1u);
}

TEST(HelpFileReader, RefusesDamagedFilesWithAReason) {
  std::vector<std::uint8_t> good = Build(Parse(kSample));
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> damage;
    const char* reason;
  };
  std::size_t topic = ContentOf(good, "|TOPIC");
  std::size_t dirPage = U32(good, 4) + 9 + 38;
  const Case cases[] = {
      {"magic", [](auto& b) { b[0] ^= 1; }, "wrong magic"},
      {"size", [](auto& b) { b.pop_back(); }, "the header gives a size of"},
      {"directory outside", [](auto& b) { Set32(b, 4, static_cast<std::uint32_t>(b.size())); },
       "runs past the end"},
      {"directory loop",
       [&](auto& b) {
         b[dirPage + 6] = 0;
         b[dirPage + 7] = 0;
       },
       "form a loop"},
      {"record chain loop", [&](auto& b) { Set32(b, topic + 12 + 12, 12); },
       "the record chain loops"},
      {"record size", [&](auto& b) { Set32(b, topic + 12, 5); }, "bad record sizes"},
      {"record too long", [&](auto& b) { Set32(b, topic + 12, 0x7FFFFFFF); }, "runs past the end"},
      {"reserved below used", [&](auto& b) { Set32(b, topic - 9, 3); }, "below used size"},
      {"compressed", [&](auto& b) { b[ContentOf(b, "|SYSTEM") + 10] = 4; },
       "compressed topic data"},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> b = good;
    c.damage(b);
    ReadResult r = ReadHelpFile(b);
    EXPECT_NE(r.error.find(c.reason), std::string::npos) << c.what << ": " << r.error;
  }
}

// Random damage never crashes or hangs the reader (the sanitizers watch the native run).
TEST(HelpFileReader, SurvivesRandomDamage) {
  std::vector<std::uint8_t> good = Build(Parse(kSample));
  std::mt19937 random(10);
  int refused = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::uint8_t> b = good;
    int flips = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < flips; ++i) {
      std::size_t at = 16 + random() % (b.size() - 16);  // keep the header's size right
      b[at] = static_cast<std::uint8_t>(random());
    }
    ReadResult r = ReadHelpFile(b);
    if (!r.error.empty()) ++refused;
    if (r.error.empty()) TopicAtOffset(r.file, r.file.contentsOffset);
  }
  EXPECT_GT(refused, 0);
  for (std::size_t size = 0; size < good.size(); size += 7) {
    std::vector<std::uint8_t> b(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    if (b.size() >= 16) Set32(b, 12, static_cast<std::uint32_t>(b.size()));
    EXPECT_NE(ReadHelpFile(b).error, "") << size;
  }
}

}  // namespace
