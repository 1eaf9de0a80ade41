// Parser of the help source format described in HelpSource.h.
#include "help/HelpSource.h"

#include <map>
#include <vector>

#include "help/HelpReader.h"

namespace help {
namespace {

struct Fault {
  int line;
  std::string message;
};

std::string Trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return std::string(s.substr(b, e - b));
}

// Decimal 0..4294967295, digits only.
std::optional<std::uint32_t> ParseNumber(const std::string& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

class Parser {
 public:
  explicit Parser(Project& project) : p_(project) {}

  void Line(int number, std::string_view raw) {
    line_ = number;
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    for (char c : raw) {
      auto u = static_cast<unsigned char>(c);
      if (u < 0x20 || u > 0x7E) {
        throw Fault{line_, "character " + HexNumber(u, 2) + " is not printable ASCII"};
      }
    }
    if (!raw.empty() && raw[0] == ';') return;  // comments do not end a paragraph
    std::string text = Trim(raw);
    if (text.empty()) {
      open_ = false;
      return;
    }
    if (text[0] == '@') {
      open_ = false;
      Directive(text);
      return;
    }
    Topic& topic = Current("text");
    if (text.rfind("==", 0) == 0) {
      std::string heading = Trim(std::string_view(text).substr(2));
      if (heading.empty()) throw Fault{line_, "empty subheading"};
      topic.paragraphs.push_back({ParagraphKind::kSubheading, heading, "", line_});
      open_ = false;
    } else if (text.rfind("- ", 0) == 0 || text == "-") {
      std::string item = Trim(std::string_view(text).substr(1));
      if (item.empty()) throw Fault{line_, "empty list item"};
      topic.paragraphs.push_back({ParagraphKind::kItem, item, "", line_});
      open_ = true;
    } else if (open_) {
      topic.paragraphs.back().text += ' ';
      topic.paragraphs.back().text += text;
    } else {
      topic.paragraphs.push_back({ParagraphKind::kBody, text, "", line_});
      open_ = true;
    }
  }

  void Finish() {
    EndTopic();
    if (p_.title.empty()) throw Fault{0, "no help file title (\"@file\")"};
    if (p_.topics.empty()) throw Fault{0, "no topics"};
    const Topic* contents = nullptr;
    for (const Topic& t : p_.topics) {
      if (t.contents) contents = &t;
    }
    if (!contents) throw Fault{0, "no contents topic (\"@contents\")"};
    // Links are resolved once every topic is known: a link may point forward.
    std::map<std::string, const Topic*> byName;
    for (const Topic& t : p_.topics) byName[t.context] = &t;
    for (Topic& t : p_.topics) {
      for (Paragraph& para : t.paragraphs) {
        if (para.kind != ParagraphKind::kLink) continue;
        auto it = byName.find(para.target);
        if (it == byName.end()) {
          throw Fault{para.line, "link to unknown topic \"" + para.target + "\""};
        }
        para.text = it->second->title;
      }
    }
  }

 private:
  Topic& Current(const char* what) {
    if (p_.topics.empty()) throw Fault{line_, std::string(what) + " outside a topic"};
    return p_.topics.back();
  }

  void Directive(const std::string& text) {
    std::size_t space = text.find(' ');
    std::string name = text.substr(0, space);
    std::string arg = space == std::string::npos ? "" : Trim(std::string_view(text).substr(space));
    if (name == "@file") {
      if (!p_.title.empty())
        throw Fault{line_, "second \"@file\" (first on line " + std::to_string(p_.titleLine) + ")"};
      if (arg.empty()) throw Fault{line_, "\"@file\" without a title"};
      if (arg.size() > kMaxFileTitle) {
        throw Fault{line_, "help file title of " + std::to_string(arg.size()) +
                               " characters is too long (at most " + std::to_string(kMaxFileTitle) +
                               ")"};
      }
      p_.title = arg;
      p_.titleLine = line_;
    } else if (name == "@topic") {
      StartTopic(arg);
    } else if (name == "@title") {
      Topic& topic = Current("\"@title\"");
      if (topic.titleLine) {
        throw Fault{line_, "second \"@title\" for topic \"" + topic.context + "\" (first on line " +
                               std::to_string(topic.titleLine) + ")"};
      }
      if (arg.empty()) throw Fault{line_, "\"@title\" without text"};
      topic.title = arg;
      topic.titleLine = line_;
    } else if (name == "@contents") {
      Topic& topic = Current("\"@contents\"");
      if (!arg.empty()) throw Fault{line_, "\"@contents\" takes no argument"};
      for (const Topic& t : p_.topics) {
        if (t.contents) {
          throw Fault{line_, "second contents topic (\"" + t.context + "\" on line " +
                                 std::to_string(t.line) + " is the first)"};
        }
      }
      topic.contents = true;
    } else if (name == "@link") {
      Topic& topic = Current("\"@link\"");
      if (!IsContextName(arg)) throw Fault{line_, "\"@link\" needs a context name"};
      topic.paragraphs.push_back({ParagraphKind::kLink, "", arg, line_});
    } else {
      throw Fault{line_, "unknown directive \"" + name + "\""};
    }
  }

  void StartTopic(const std::string& arg) {
    EndTopic();
    std::size_t space = arg.find(' ');
    std::string context = arg.substr(0, space);
    std::string rest = space == std::string::npos ? "" : Trim(std::string_view(arg).substr(space));
    if (!IsContextName(context)) {
      throw Fault{line_, "\"@topic\" needs a context name of letters, digits, '_' and '.'"};
    }
    Topic topic;
    topic.context = context;
    topic.line = line_;
    if (!rest.empty()) {
      topic.number = ParseNumber(rest);
      if (!topic.number) {
        throw Fault{line_, "context number \"" + rest + "\" is not a number from 0 to 4294967295"};
      }
    }
    for (const Topic& t : p_.topics) {
      if (t.context == context) {
        throw Fault{line_, "duplicate context name \"" + context + "\" (first on line " +
                               std::to_string(t.line) + ")"};
      }
      if (ContextHash(t.context) == ContextHash(context)) {
        throw Fault{line_, "context name \"" + context + "\" has the same hash as \"" + t.context +
                               "\" (line " + std::to_string(t.line) + ")"};
      }
      if (topic.number && t.number == topic.number) {
        throw Fault{line_, "duplicate context number " + std::to_string(*topic.number) +
                               " (first on line " + std::to_string(t.line) + ", topic \"" +
                               t.context + "\")"};
      }
    }
    p_.topics.push_back(std::move(topic));
  }

  void EndTopic() {
    if (p_.topics.empty()) return;
    const Topic& t = p_.topics.back();
    if (t.title.empty()) {
      throw Fault{t.line, "topic \"" + t.context + "\" has no title (\"@title\")"};
    }
  }

  Project& p_;
  int line_ = 0;
  bool open_ = false;  // a plain text line continues the topic's last paragraph
};

}  // namespace

ParseResult ParseSource(std::string_view text, const std::string& fileName) {
  ParseResult result;
  result.project.file = fileName;
  Parser parser(result.project);
  try {
    int number = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      if (start == text.size()) break;  // nothing after the last line end
      parser.Line(++number, text.substr(start, end - start));
      start = end + 1;
    }
    parser.Finish();
  } catch (const Fault& f) {
    result.error = Diagnostic{fileName, f.line, f.message};
  }
  return result;
}

}  // namespace help
