// The help source format: what a source means, and every fault it refuses with its line.
#include <gtest/gtest.h>

#include "help/HelpSource.h"

using namespace help;

namespace {

const char* kHeader = "@file Test Help\n@topic contents\n@contents\n@title Contents\n";

TEST(HelpSource, ParagraphsItemsSubheadingsAndLinks) {
  std::string source = std::string(kHeader) +
                       "First line of a paragraph,\n"
                       "; a comment does not end it\n"
                       "   second line.\r\n"
                       "\n"
                       "== A  Subheading\n"
                       "- item one\n"
                       "  continued\n"
                       "- item two\n"
                       "@link later\n"
                       "@topic later 20\n"
                       "@title Later Topic\n"
                       "Text  with two blanks kept.\n";
  ParseResult r = ParseSource(source, "t.topics");
  ASSERT_FALSE(r.error) << r.error->Text();
  EXPECT_EQ(r.project.title, "Test Help");
  ASSERT_EQ(r.project.topics.size(), 2u);
  const Topic& c = r.project.topics[0];
  EXPECT_TRUE(c.contents);
  EXPECT_FALSE(c.number);
  ASSERT_EQ(c.paragraphs.size(), 5u);
  EXPECT_EQ(c.paragraphs[0].kind, ParagraphKind::kBody);
  EXPECT_EQ(c.paragraphs[0].text, "First line of a paragraph, second line.");
  EXPECT_EQ(c.paragraphs[0].line, 5);
  EXPECT_EQ(c.paragraphs[1].kind, ParagraphKind::kSubheading);
  EXPECT_EQ(c.paragraphs[1].text, "A  Subheading");
  EXPECT_EQ(c.paragraphs[2].kind, ParagraphKind::kItem);
  EXPECT_EQ(c.paragraphs[2].text, "item one continued");
  EXPECT_EQ(ShownText(c.paragraphs[2]), "\x95 item one continued");
  EXPECT_EQ(c.paragraphs[3].text, "item two");
  EXPECT_EQ(c.paragraphs[4].kind, ParagraphKind::kLink);
  EXPECT_EQ(c.paragraphs[4].target, "later");
  EXPECT_EQ(c.paragraphs[4].text, "Later Topic");  // the title of the topic it jumps to
  const Topic& later = r.project.topics[1];
  EXPECT_EQ(later.context, "later");
  EXPECT_EQ(later.number, 20u);
  EXPECT_EQ(later.line, 14);
  EXPECT_EQ(later.titleLine, 15);
  ASSERT_EQ(later.paragraphs.size(), 1u);
  EXPECT_EQ(later.paragraphs[0].text, "Text  with two blanks kept.");
}

TEST(HelpSource, ContextHashIsTheViewers) {
  // h = h * 43 + code: letters 17-42 without regard to case, '1'-'9' 1-9, '0' 10, '.' 12, '_' 13.
  EXPECT_EQ(ContextHash("A"), 17);
  EXPECT_EQ(ContextHash("a"), 17);
  EXPECT_EQ(ContextHash("z0"), 42 * 43 + 10);
  EXPECT_EQ(ContextHash("1._"), (1 * 43 + 12) * 43 + 13);
  EXPECT_EQ(ContextHash("contents"), 0x25F4558A);  // wraps around 32 bits
}

struct BadSource {
  const char* name;
  std::string source;
  int line;
  const char* message;
};

class HelpSourceRefuses : public testing::TestWithParam<BadSource> {};

TEST_P(HelpSourceRefuses, WithFileLineAndReason) {
  const BadSource& bad = GetParam();
  ParseResult r = ParseSource(bad.source, "bad.topics");
  ASSERT_TRUE(r.error) << bad.name;
  EXPECT_EQ(r.error->file, "bad.topics");
  EXPECT_EQ(r.error->line, bad.line) << r.error->Text();
  EXPECT_NE(r.error->message.find(bad.message), std::string::npos) << r.error->Text();
}

const std::string H = kHeader;  // lines 1-4

INSTANTIATE_TEST_SUITE_P(
    Faults, HelpSourceRefuses,
    testing::Values(
        BadSource{"duplicate number", H + "@topic a 20\n@title A\n@topic b 20\n@title B\n", 7,
                  "duplicate context number 20 (first on line 5, topic \"a\")"},
        BadSource{"topic without title", H + "@topic a 20\ntext\n@topic b 30\n@title B\n", 5,
                  "topic \"a\" has no title"},
        BadSource{"last topic without title", H + "@topic a 20\n", 5, "topic \"a\" has no title"},
        BadSource{"duplicate name", H + "@topic a\n@title A\n@topic a\n@title B\n", 7,
                  "duplicate context name \"a\" (first on line 5)"},
        BadSource{"same hash", H + "@topic Intro\n@title A\n@topic intro\n@title B\n", 7,
                  "has the same hash as \"Intro\""},
        BadSource{"number not a number", H + "@topic a 2x\n@title A\n", 5, "is not a number"},
        BadSource{"number too big", H + "@topic a 4294967296\n@title A\n", 5, "is not a number"},
        BadSource{"bad name", H + "@topic a-b\n@title A\n", 5, "needs a context name"},
        BadSource{"unknown directive", H + "@topics a\n", 5, "unknown directive \"@topics\""},
        BadSource{"text outside a topic", "@file T\nhello\n", 2, "text outside a topic"},
        BadSource{"second title", H + "@title Again\n", 5, "second \"@title\""},
        BadSource{"empty title", H + "@topic a\n@title\n", 6, "\"@title\" without text"},
        BadSource{"second contents", H + "@topic a\n@title A\n@contents\n", 7,
                  "second contents topic"},
        BadSource{"no contents", "@file T\n@topic a\n@title A\n", 0, "no contents topic"},
        BadSource{"no file title", "@topic a\n@contents\n@title A\n", 0, "no help file title"},
        BadSource{"second file title", H + "@file Again\n", 5,
                  "second \"@file\" (first on line 1)"},
        BadSource{"file title too long", "@file " + std::string(128, 'x') + "\n", 1,
                  "help file title of 128 characters is too long (at most 127)"},
        BadSource{"unknown link", H + "@link nowhere\n", 5, "link to unknown topic \"nowhere\""},
        BadSource{"not ASCII", H + "caf\xE9\n", 5, "character 0xE9 is not printable ASCII"},
        BadSource{"tab", H + "a\tb\n", 5, "character 0x09 is not printable ASCII"},
        BadSource{"no topics", "@file T\n", 0, "no topics"}),
    [](const testing::TestParamInfo<BadSource>& info) {
      std::string name;
      for (const char* c = info.param.name; *c; ++c)
        name += isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
      return name;
    });

}  // namespace
