// libFuzzer target: the indexed HEX CRC against the rescanning reader on any input.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "tests/wnt43sup/HexCrcOracle.h"
#include "wnt43sup/HexCrc.h"

namespace {

void Print(const char* what, const std::optional<wnt43sup::HexCrcValues>& v) {
  if (v) {
    std::fprintf(stderr, "%s: beginning %04X length %X CRC %04X\n", what, v->beginning, v->length,
                 v->crc);
  } else {
    std::fprintf(stderr, "%s: invalid\n", what);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto indexed = wnt43sup::ComputeHexCrc(bytes);
  const auto rescanning = hexcrc_test::RescanHexCrc(bytes);
  if (indexed != rescanning) {
    Print("indexed", indexed);
    Print("rescanning", rescanning);
    std::abort();
  }
  return 0;
}
