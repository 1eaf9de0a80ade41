// hlpc: the help compiler. hlpc SOURCE -o OUTPUT.HLP
// Builds the help file in memory, reads it back and compares it with the source, and only
// then puts it in place (written beside the target and renamed), so a fault in the source
// or in the compiler never leaves a partial or wrong file behind. Exit code 0 or 1.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "base/PlainFile.h"
#include "help/HelpCheck.h"
#include "help/HelpReader.h"
#include "help/HelpSource.h"
#include "help/HelpWriter.h"

namespace {

int Fail(const std::string& message) {
  std::cerr << "hlpc: " << message << "\n";
  return 1;
}

// The generation time: SOURCE_DATE_EPOCH when set, so that builds can be reproduced.
std::uint32_t GenerationTime() {
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    char* end = nullptr;
    unsigned long long value = std::strtoull(epoch, &end, 10);
    if (end && *end == '\0' && value <= 0xFFFFFFFFull) return static_cast<std::uint32_t>(value);
  }
  return static_cast<std::uint32_t>(std::time(nullptr));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || std::strcmp(argv[2], "-o") != 0) {
    std::cerr << "usage: hlpc SOURCE -o OUTPUT.HLP\n";
    return 2;
  }
  const std::string source = argv[1], output = argv[3];

  std::ifstream in(source, std::ios::binary);
  if (!in) return Fail(source + ": cannot open: " + std::strerror(errno));
  std::ostringstream text;
  text << in.rdbuf();

  help::ParseResult parsed = help::ParseSource(text.str(), source);
  if (parsed.error) return Fail(parsed.error->Text());
  help::BuildResult built = help::BuildHelpFile(parsed.project, GenerationTime());
  if (built.error) return Fail(built.error->Text());

  help::ReadResult back = help::ReadHelpFile(built.bytes);
  if (!back.error.empty())
    return Fail(output + ": internal error, the built file does not read back: " + back.error);
  std::vector<std::string> diffs = help::CompareHelpFile(parsed.project, back.file);
  if (!diffs.empty()) {
    for (const std::string& d : diffs)
      std::cerr << "hlpc: " << output << ": internal error: " << d << "\n";
    return 1;
  }

  std::string_view bytes(reinterpret_cast<const char*>(built.bytes.data()), built.bytes.size());
  if (!base::WriteWholeFile(output, bytes)) return Fail(output + ": cannot write it");
  return 0;
}
