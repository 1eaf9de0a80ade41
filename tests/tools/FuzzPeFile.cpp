// libFuzzer target: the PE reader (tools/kit/PeFile.h) on any bytes. On every input:
//   - reading twice gives the same facts, or the same reason to refuse;
//   - of an image read whole, every export, imported DLL and function name is bytes of the
//     input, no import lacks its DLL name, and every version key and value of plain ASCII is
//     there as UTF-16: nothing is made up or read from outside the buffer;
//   - the machine is the word after the PE signature that the MZ header points at.
#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tests/support/Broken.h"
#include "tools/kit/PeFile.h"

namespace {

using support::Broken;

bool Holds(std::span<const std::uint8_t> data, const std::string& bytes) {
  return std::search(data.begin(), data.end(), bytes.begin(), bytes.end(),
                     [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }) !=
         data.end();
}

std::string Utf16(const std::string& ascii) {
  std::string wide;
  for (char c : ascii) wide += {c, '\0'};
  return wide;
}

// Every name the reader took from the input, as it is there.
std::vector<std::string> Names(const kit::PeImage& image) {
  std::vector<std::string> names = image.exports;
  for (const kit::PeImport& import : image.imports) {
    names.push_back(import.dll);
    names.insert(names.end(), import.functions.begin(), import.functions.end());
  }
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> bytes(data, size);
  const kit::PeRead pe = kit::ReadPe(bytes);
  const kit::PeRead again = kit::ReadPe(bytes);
  if (again.error != pe.error || again.image.machine != pe.image.machine ||
      again.image.dll != pe.image.dll || Names(again.image) != Names(pe.image) ||
      again.image.versionStrings != pe.image.versionStrings)
    Broken("two readings differ");
  if (!pe.error.empty()) return 0;

  for (const std::string& name : Names(pe.image)) {
    if (!Holds(bytes, name)) Broken("a name is not in the input");
  }
  for (const kit::PeImport& import : pe.image.imports) {
    if (import.dll.empty()) Broken("an import without a DLL name");
  }
  for (const auto& [key, value] : pe.image.versionStrings) {
    for (const std::string& text : {key, value}) {
      bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return c > 0; });
      if (ascii && !Holds(bytes, Utf16(text))) Broken("a version string is not in the input");
    }
  }
  const std::size_t peAt = bytes[0x3C] | bytes[0x3D] << 8 | bytes[0x3E] << 16 |
                           static_cast<std::size_t>(bytes[0x3F]) << 24;
  if (pe.image.machine != (bytes[peAt + 4] | bytes[peAt + 5] << 8)) Broken("another machine");
  return 0;
}
