// hlpdump: lists a WinHelp file: title, contents topic, context map, context names and
// every topic's title and text. hlpdump FILE.HLP [--titles]. Exit code 0, or 1 when the
// file cannot be read or is malformed.
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <vector>

#include "help/HelpReader.h"

namespace {

std::string Title(const help::ReadTopic* t) { return t ? "\"" + t->title + "\"" : "(no topic)"; }

}  // namespace

int main(int argc, char** argv) {
  bool titlesOnly = argc == 3 && std::strcmp(argv[2], "--titles") == 0;
  if (argc != 2 && !titlesOnly) {
    std::cerr << "usage: hlpdump FILE.HLP [--titles]\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "hlpdump: " << argv[1] << ": cannot open\n";
    return 1;
  }
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  help::ReadResult r = help::ReadHelpFile(bytes);
  if (!r.error.empty()) {
    std::cerr << "hlpdump: " << argv[1] << ": malformed help file: " << r.error << "\n";
    return 1;
  }
  const help::HelpFile& f = r.file;
  std::cout << "title: " << f.title << "\n";
  std::cout << "contents: " << Title(help::TopicAtOffset(f, f.contentsOffset)) << "\n";
  std::cout << "context numbers:\n";
  for (const auto& [number, offset] : f.map) {
    std::cout << "  " << number << " -> " << help::HexNumber(offset, 8) << " "
              << Title(help::TopicAtOffset(f, offset)) << "\n";
  }
  if (titlesOnly) return 0;
  std::cout << "internal files:";
  for (const std::string& name : f.internalFiles) std::cout << " " << name;
  std::cout << "\ncontext names (hash -> offset):\n";
  for (const auto& [hash, offset] : f.contexts) {
    std::cout << "  " << help::HexNumber(static_cast<std::uint32_t>(hash), 8) << " -> "
              << help::HexNumber(offset, 8) << " " << Title(help::TopicAtOffset(f, offset)) << "\n";
  }
  std::cout << "topics:\n";
  for (const help::ReadTopic& t : f.topics) {
    if (t.title.empty() && t.paragraphs.empty()) continue;  // the closing record
    std::cout << "[" << help::HexNumber(t.offset, 8) << "] " << t.title << "\n";
    for (const help::ReadParagraph& p : t.paragraphs) {
      std::cout << "    " << p.text << (p.jumpHash ? "  (jump)" : "") << "\n";
    }
  }
  return 0;
}
