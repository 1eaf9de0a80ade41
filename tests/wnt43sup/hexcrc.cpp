// hexcrc: build tool that prints the HEX CRC texts of an application file (tests, benchmarks).
//
//   hexcrc [-C DIR] NAME
//
// NAME is taken as the support program takes a typed name: its first 8 characters with ".HEX"
// appended, relative to the current directory (DIR when given). Prints four lines (name,
// beginning address, length, CRC) and exits 0; or prints the error message to standard error
// and exits 1 (the file cannot be opened) or 2 (the file is invalid); 64 for a usage error.
#include "wnt43sup/HexCrc.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv) {
  int arg = 1;
  if (argc == 4 && std::strcmp(argv[1], "-C") == 0) {
    std::error_code ec;
    std::filesystem::current_path(argv[2], ec);
    if (ec) {
      std::fprintf(stderr, "hexcrc: cannot change to %s: %s\n", argv[2], ec.message().c_str());
      return 64;
    }
    arg = 3;
  } else if (argc != 2) {
    std::fprintf(stderr, "usage: hexcrc [-C DIR] NAME\n");
    return 64;
  }
  const wnt43sup::HexCrcOutcome outcome = wnt43sup::GenerateHexCrc(argv[arg]);
  if (outcome.error != wnt43sup::HexCrcError::kNone) {
    std::fprintf(stderr, "%s\n", wnt43sup::HexCrcErrorText(outcome.error));
    return static_cast<int>(outcome.error);
  }
  std::printf("name: %s\nbeginning: %s\nlength: %s\ncrc: %s\n", outcome.texts.name.c_str(),
              outcome.texts.beginning.c_str(), outcome.texts.length.c_str(),
              outcome.texts.crc.c_str());
  return 0;
}
