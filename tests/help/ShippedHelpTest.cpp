// The three help files the build ships, read back: each holds exactly its source, and every
// context number a program asks for opens the topic of that program's dialog or menu.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include "help/HelpCheck.h"
#include "help/HelpReader.h"
#include "help/HelpSource.h"
#include "tests/help/HelpContexts.h"

using namespace help;

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot open " << path;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Shipped {
  Project source;
  HelpFile file;
};

Shipped Load(const std::string& name) {
  std::string lower = name.substr(0, name.find('.'));
  for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  Shipped s;
  ParseResult parsed = ParseSource(
      Slurp(std::string(SUITE_HELP_SOURCE_DIR) + "/" + lower + ".topics"), lower + ".topics");
  EXPECT_FALSE(parsed.error) << parsed.error->Text();
  s.source = parsed.project;
  std::string bytes = Slurp(std::string(SUITE_HELP_BIN_DIR) + "/" + name);
  ReadResult read =
      ReadHelpFile(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  EXPECT_EQ(read.error, "") << name;
  s.file = read.file;
  return s;
}

class ShippedHelp : public testing::TestWithParam<const char*> {};

TEST_P(ShippedHelp, HoldsExactlyItsSource) {
  Shipped s = Load(GetParam());
  EXPECT_EQ(CompareHelpFile(s.source, s.file), std::vector<std::string>{});
  EXPECT_EQ(s.file.minorVersion, 33);
  EXPECT_EQ(TopicAtOffset(s.file, s.file.contentsOffset)->title, "Contents");
}

TEST_P(ShippedHelp, MapsExactlyTheNumbersItsProgramAsksFor) {
  std::string name = GetParam();
  Shipped s = Load(name);
  std::set<std::uint32_t> asked;
  for (const helptest::ProgramContext& c : helptest::kProgramContexts) {
    if (helptest::BuiltName(c.file) != name) continue;
    asked.insert(c.number);
    const ReadTopic* topic = TopicForNumber(s.file, c.number);
    ASSERT_NE(topic, nullptr) << name << " does not map " << c.number;
    EXPECT_EQ(topic->title, c.title) << name << " " << c.number;
    EXPECT_GE(topic->paragraphs.size(), 3u) << "a topic with text: " << c.title;
  }
  std::set<std::uint32_t> mapped;
  for (const auto& [number, offset] : s.file.map) mapped.insert(number);
  EXPECT_EQ(mapped, asked);
}

// Every jump in every topic leads to a topic, and the contents topic reaches every topic.
TEST_P(ShippedHelp, EveryJumpLandsAndContentsReachesEveryTopic) {
  Shipped s = Load(GetParam());
  std::set<const ReadTopic*> reached;
  for (const ReadTopic& t : s.file.topics) {
    for (const ReadParagraph& p : t.paragraphs) {
      if (!p.jumpHash) continue;
      const ReadTopic* target = TopicForHash(s.file, *p.jumpHash);
      ASSERT_NE(target, nullptr) << t.title << ": " << p.text;
      EXPECT_EQ(target->title, p.text);
      if (t.offset == s.file.contentsOffset) reached.insert(target);
    }
  }
  EXPECT_EQ(reached.size(), s.file.topics.size() - 2);  // all but itself and the closing record
}

INSTANTIATE_TEST_SUITE_P(
    Files, ShippedHelp, testing::Values("FIOSETUP.HLP", "WNT43SUP.HLP", "WNTDLD42.HLP"),
    [](const testing::TestParamInfo<const char*>& info) {
      return std::string(info.param).substr(0, std::string(info.param).find('.'));
    });

}  // namespace
