// libFuzzer target: hlpc's source reader (help/HelpSource.h) and, behind it, the compiler. The
// input is a help source file. Beyond "no crash":
//   - a refused source says where: a line of the text (0 for the file as a whole), in the
//     file it was given;
//   - an accepted one has a title, topics with titles and exactly one contents topic, and
//     every link names one of its topics, with that topic's title;
//   - what the compiler builds from it reads back and holds exactly the project (the check
//     hlpc makes before it writes a file: a difference is an internal error of the compiler);
//     a project the compiler refuses is refused with a line of the text as well.
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>

#include "help/HelpCheck.h"
#include "help/HelpReader.h"
#include "help/HelpSource.h"
#include "help/HelpWriter.h"
#include "tests/support/Broken.h"

namespace {

using support::Broken;

void CheckDiagnostic(const help::Diagnostic& d, int lines, const char* what) {
  if (d.file != "fuzz.topics" || d.line < 0 || d.line > lines || d.message.empty()) Broken(what);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  int lines = 1;
  for (char c : text) lines += c == '\n';

  help::ParseResult parsed = help::ParseSource(text, "fuzz.topics");
  if (parsed.error) {
    CheckDiagnostic(*parsed.error, lines, "a refusal that names no line of the source");
    return 0;
  }
  const help::Project& project = parsed.project;
  if (project.title.empty() || project.topics.empty()) Broken("accepted without title or topics");
  int contents = 0;
  std::set<std::string> names;
  for (const help::Topic& t : project.topics) {
    if (t.title.empty() || !help::IsContextName(t.context)) Broken("a topic without its title");
    contents += t.contents;
    names.insert(t.context);
  }
  if (contents != 1) Broken("not exactly one contents topic");
  if (names.size() != project.topics.size()) Broken("two topics of one name");
  for (const help::Topic& t : project.topics) {
    for (const help::Paragraph& p : t.paragraphs) {
      if (p.kind == help::ParagraphKind::kLink && !names.count(p.target))
        Broken("a link to no topic");
      if (p.line < 1 || p.line > lines) Broken("a paragraph on no line of the source");
    }
  }

  help::BuildResult built = help::BuildHelpFile(project, 0x5F5E1000);
  if (built.error) {
    CheckDiagnostic(*built.error, lines, "a refusal of the compiler that names no line");
    if (!built.bytes.empty()) Broken("a refused project still gives a file");
    return 0;
  }
  help::ReadResult back = help::ReadHelpFile(built.bytes);
  if (!back.error.empty()) {
    std::fprintf(stderr, "%s\n", back.error.c_str());
    Broken("the built help file does not read back");
  }
  std::vector<std::string> differences = help::CompareHelpFile(project, back.file);
  if (!differences.empty()) {
    for (const std::string& d : differences) std::fprintf(stderr, "%s\n", d.c_str());
    Broken("the built help file does not hold the project");
  }
  return 0;
}
