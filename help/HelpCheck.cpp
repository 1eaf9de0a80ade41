// The project-against-file comparison used by the compiler's self-check and the tests.
#include "help/HelpCheck.h"

#include <set>

#include "help/HelpWriter.h"

namespace help {
namespace {

std::string Quote(const ReadTopic* t) { return t ? "\"" + t->title + "\"" : "no topic"; }

std::uint16_t FontOf(ParagraphKind kind) {
  switch (kind) {
    case ParagraphKind::kHeading:
      return kFontHeading;
    case ParagraphKind::kSubheading:
      return kFontSubheading;
    case ParagraphKind::kLink:
      return kFontLink;
    default:
      return kFontBody;
  }
}

void CompareTopic(const Topic& want, const ReadTopic& got, std::vector<std::string>& diffs) {
  std::string where = "topic \"" + want.context + "\": ";
  if (got.title != want.title) {
    diffs.push_back(where + "title \"" + got.title + "\", expected \"" + want.title + "\"");
  }
  std::vector<Paragraph> expected;
  expected.push_back({ParagraphKind::kHeading, want.title, "", want.titleLine});
  expected.insert(expected.end(), want.paragraphs.begin(), want.paragraphs.end());
  if (got.paragraphs.size() != expected.size()) {
    diffs.push_back(where + std::to_string(got.paragraphs.size()) + " paragraphs, expected " +
                    std::to_string(expected.size()));
    return;
  }
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Paragraph& e = expected[i];
    const ReadParagraph& g = got.paragraphs[i];
    std::string which = where + "paragraph " + std::to_string(i + 1) + ": ";
    if (g.text != ShownText(e)) {
      diffs.push_back(which + "text \"" + g.text + "\", expected \"" + ShownText(e) + "\"");
    }
    if (g.font != FontOf(e.kind)) diffs.push_back(which + "font " + std::to_string(g.font));
    bool link = e.kind == ParagraphKind::kLink;
    if (link != g.jumpHash.has_value() || (link && *g.jumpHash != ContextHash(e.target))) {
      diffs.push_back(which +
                      (link ? "jump to \"" + e.target + "\" missing or wrong" : "unexpected jump"));
    }
  }
}

}  // namespace

std::vector<std::string> CompareHelpFile(const Project& project, const HelpFile& file) {
  std::vector<std::string> diffs;
  if (file.title != project.title) {
    diffs.push_back("file title \"" + file.title + "\", expected \"" + project.title + "\"");
  }
  // Topics in file order, then the closing empty topic record.
  if (file.topics.size() != project.topics.size() + 1) {
    diffs.push_back(std::to_string(file.topics.size()) + " topic records, expected " +
                    std::to_string(project.topics.size() + 1));
    return diffs;
  }
  std::set<std::uint32_t> numbers;
  for (std::size_t i = 0; i < project.topics.size(); ++i) {
    const Topic& want = project.topics[i];
    const ReadTopic* meant = &file.topics[i];
    CompareTopic(want, *meant, diffs);
    const ReadTopic* byName = TopicForHash(file, ContextHash(want.context));
    if (byName != meant) {
      diffs.push_back("context name \"" + want.context + "\" opens " + Quote(byName) +
                      ", expected \"" + want.title + "\"");
    }
    if (want.number) {
      numbers.insert(*want.number);
      const ReadTopic* byNumber = TopicForNumber(file, *want.number);
      if (byNumber != meant) {
        diffs.push_back("context number " + std::to_string(*want.number) + " opens " +
                        Quote(byNumber) + ", expected \"" + want.title + "\"");
      }
    }
    if (want.contents && TopicAtOffset(file, file.contentsOffset) != meant) {
      diffs.push_back("the contents topic is " + Quote(TopicAtOffset(file, file.contentsOffset)) +
                      ", expected \"" + want.title + "\"");
    }
  }
  for (const auto& [number, offset] : file.map) {
    if (!numbers.count(number)) {
      diffs.push_back("context number " + std::to_string(number) + " is mapped but has no topic");
    }
  }
  if (file.map.size() != numbers.size()) {
    diffs.push_back(std::to_string(file.map.size()) + " context numbers mapped, expected " +
                    std::to_string(numbers.size()));
  }
  const ReadTopic& closing = file.topics.back();
  if (!closing.title.empty() || !closing.paragraphs.empty()) {
    diffs.push_back("the last topic record is not the empty closing record");
  }
  return diffs;
}

}  // namespace help
