// libFuzzer target: WNT43APD's tag reader (wnt43apd/Download.h, CheckHexTag), which looks at
// the start of the HEX file it is given before the download. It reads only through a path, so
// each input is written to a file of this process's own (overwritten in place, no new file per
// run) and read there as the program reads it, for both kinds of terminal.
// The verdict must be what Download.h says, computed here on the bytes: kSuccess exactly when
// the second ':' is among the first kTagSearchLimit characters (the first one passed over,
// whatever it is) and the four characters after it and its two count digits are "4000" (two
// processors) or "7000" (one); kProcessorMismatch otherwise. A plain file is never refused
// as unopened.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "tests/support/Broken.h"
#include "tests/support/TempFolder.h"
#include "wnt43apd/Download.h"

namespace {

using support::Broken;

// The file the inputs are written to, removed at the end of the process.
const std::string& Path() {
  static const support::TempFolder folder("fuzz-hextag");
  static const std::string path = folder.File("APP.HEX");
  return path;
}

wnt43apd::Result Expected(std::string_view text, bool dual) {
  std::size_t second = text.empty() ? std::string_view::npos : text.find(':', 1);
  if (second == std::string_view::npos || second >= wnt43apd::kTagSearchLimit ||
      text.size() < second + 7)
    return wnt43apd::kProcessorMismatch;
  return text.substr(second + 3, 4) == (dual ? "4000" : "7000") ? wnt43apd::kSuccess
                                                                : wnt43apd::kProcessorMismatch;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string& path = Path();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) Broken("cannot write the input file");
  bool written = std::fwrite(data, 1, size, f) == size;
  if (std::fclose(f) != 0 || !written) Broken("cannot write the input file");
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  for (bool dual : {true, false}) {
    wnt43apd::Result result = wnt43apd::CheckHexTag(path, dual);
    if (result == wnt43apd::kFileNotOpened) Broken("a plain file is refused as unopened");
    if (result != Expected(text, dual)) {
      std::fprintf(stderr, "dual %d: %ld, expected %ld\n", dual, static_cast<long>(result),
                   static_cast<long>(Expected(text, dual)));
      Broken("the tag verdict is not the documented one");
    }
  }
  return 0;
}
