// The PE reader: headers, the section table, the export and import tables and the version
// resource's strings.
#include "tools/kit/PeFile.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace kit {
namespace {

struct Damaged {
  std::string why;
};

constexpr std::uint16_t kMz = 0x5A4D;
constexpr std::uint32_t kPeSignature = 0x4550;  // "PE\0\0"
constexpr std::uint16_t kPe32 = 0x10B;
constexpr std::uint16_t kPe32Plus = 0x20B;
constexpr std::uint16_t kImageFileDll = 0x2000;
constexpr std::size_t kExportDirectory = 0;
constexpr std::size_t kImportDirectory = 1;
constexpr std::size_t kResourceDirectory = 2;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kSubdirectory = 0x80000000;
constexpr std::uint64_t kSectionHeaderSize = 40;
constexpr std::uint64_t kImportDescriptorSize = 20;
// Longer names than any linker writes for a C function; the cap keeps a damaged table of
// many unterminated names from costing the square of the file's size.
constexpr std::uint64_t kLongestName = 4096;

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

std::uint64_t Align4(std::uint64_t at) { return (at + 3) & ~std::uint64_t{3}; }

// Little-endian reads, each checked against the end of the bytes.
class Bytes {
 public:
  explicit Bytes(std::span<const std::uint8_t> bytes) : b_(bytes) {}
  std::uint64_t size() const { return b_.size(); }
  void Need(std::uint64_t at, std::uint64_t n, const char* what) const {
    if (at > b_.size() || n > b_.size() - at)
      throw Damaged{std::string(what) + " at " + Hex(at) + " runs past the end"};
  }
  std::uint8_t U8(std::uint64_t at, const char* what) const {
    Need(at, 1, what);
    return b_[static_cast<std::size_t>(at)];
  }
  std::uint16_t U16(std::uint64_t at, const char* what) const {
    return static_cast<std::uint16_t>(U8(at, what) | U8(at + 1, what) << 8);
  }
  std::uint32_t U32(std::uint64_t at, const char* what) const {
    return U16(at, what) | static_cast<std::uint32_t>(U16(at + 2, what)) << 16;
  }
  std::uint64_t U64(std::uint64_t at, const char* what) const {
    return U32(at, what) | static_cast<std::uint64_t>(U32(at + 4, what)) << 32;
  }
  Bytes Sub(std::uint64_t at, std::uint64_t n) const {
    Need(at, n, "resource data");
    return Bytes(b_.subspan(static_cast<std::size_t>(at), static_cast<std::size_t>(n)));
  }

 private:
  std::span<const std::uint8_t> b_;
};

// UTF-16LE text from `at` up to a NUL or `end`, as UTF-8. With `after`, the NUL must come
// before `end` and `after` gets the offset just past it.
std::string Utf16(const Bytes& v, std::uint64_t at, std::uint64_t end, std::uint64_t* after) {
  std::string text;
  for (; at + 2 <= end; at += 2) {
    std::uint16_t c = v.U16(at, "version text");
    if (c == 0) {
      if (after) *after = at + 2;
      return text;
    }
    // Half of a character beyond the BMP, which no text we check holds: the replacement mark.
    if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;
    if (c < 0x80) {
      text += static_cast<char>(c);
    } else if (c < 0x800) {
      text += static_cast<char>(0xC0 | c >> 6);
      text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      text += static_cast<char>(0xE0 | c >> 12);
      text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      text += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  if (after) throw Damaged{"a version key has no terminating NUL"};
  return text;
}

// One node of VS_VERSIONINFO: length, value length, type, key, value, children, each piece
// starting on a 4-byte boundary of the resource.
struct Block {
  std::string key;
  std::uint16_t valueLength = 0;
  std::uint64_t value = 0;  // where the value starts
  std::uint64_t end = 0;
};

Block ReadBlock(const Bytes& v, std::uint64_t at, std::uint64_t limit) {
  std::uint16_t length = v.U16(at, "version block");
  if (length < 6 || length > limit - at)
    throw Damaged{"version block at " + Hex(at) + " does not fit its parent"};
  Block block;
  block.end = at + length;
  block.valueLength = v.U16(at + 2, "version block");
  std::uint64_t afterKey = 0;
  block.key = Utf16(v, at + 6, block.end, &afterKey);
  block.value = Align4(afterKey);
  return block;
}

// Calls `visit` for each child block of a parent whose children lie in [from, end).
template <typename Visit>
void ForEachChild(const Bytes& v, std::uint64_t from, std::uint64_t end, Visit visit) {
  for (std::uint64_t at = Align4(from); at + 6 <= end;) {
    Block child = ReadBlock(v, at, end);
    visit(child);
    at = Align4(child.end);
  }
}

struct Section {
  std::uint32_t rva = 0;
  std::uint32_t size = 0;  // bytes of the section present in the file and mapped
  std::uint32_t offset = 0;
};

class Image {
 public:
  explicit Image(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  PeImage Read() {
    PeImage image;
    if (bytes_.size() < 0x40 || bytes_.U16(0, "MZ header") != kMz)
      throw Damaged{"no MZ header: not a Windows program or DLL"};
    std::uint64_t pe = bytes_.U32(0x3C, "PE header offset");
    if (bytes_.U32(pe, "PE signature") != kPeSignature)
      throw Damaged{"no PE signature at " + Hex(pe)};
    const std::uint64_t coff = pe + 4;
    image.machine = bytes_.U16(coff, "file header");
    const std::uint16_t sectionCount = bytes_.U16(coff + 2, "file header");
    const std::uint16_t optionalSize = bytes_.U16(coff + 16, "file header");
    image.dll = (bytes_.U16(coff + 18, "file header") & kImageFileDll) != 0;

    const std::uint64_t optional = coff + 20;
    bytes_.Need(optional, optionalSize, "optional header");
    std::uint64_t countAt = 0, directoriesAt = 0;
    switch (bytes_.U16(optional, "optional header")) {
      case kPe32:
        countAt = 92;
        directoriesAt = 96;
        thunkSize_ = 4;
        break;
      case kPe32Plus:  // 64-bit: a wider image base before the directories, wider thunks
        countAt = 108;
        directoriesAt = 112;
        thunkSize_ = 8;
        break;
      default:
        throw Damaged{"neither a PE32 nor a PE32+ optional header"};
    }
    if (optionalSize < directoriesAt) throw Damaged{"optional header too short"};
    const std::uint64_t directories = std::min<std::uint64_t>(
        bytes_.U32(optional + countAt, "optional header"), (optionalSize - directoriesAt) / 8);
    auto directory = [&](std::size_t index) -> std::uint32_t {
      if (index >= directories) return 0;
      return bytes_.U32(optional + directoriesAt + 8 * index, "data directory");
    };

    for (std::uint64_t i = 0; i < sectionCount; ++i) {
      const std::uint64_t at = optional + optionalSize + kSectionHeaderSize * i;
      const std::uint32_t virtualSize = bytes_.U32(at + 8, "section header");
      Section section;
      section.rva = bytes_.U32(at + 12, "section header");
      const std::uint32_t rawSize = bytes_.U32(at + 16, "section header");
      section.offset = bytes_.U32(at + 20, "section header");
      if (section.offset == 0) continue;  // no data in the file: nothing we read lives there
      bytes_.Need(section.offset, rawSize, "section data");
      section.size = virtualSize != 0 ? std::min(virtualSize, rawSize) : rawSize;
      sections_.push_back(section);
    }

    if (std::uint32_t rva = directory(kExportDirectory)) ReadExports(rva, image);
    if (std::uint32_t rva = directory(kImportDirectory)) ReadImports(rva, image);
    if (std::uint32_t rva = directory(kResourceDirectory)) ReadVersion(rva, image);
    return image;
  }

 private:
  // The file offset of `n` bytes at `rva`, all of them within one section's data.
  std::uint64_t Offset(std::uint64_t rva, std::uint64_t n, const char* what,
                       std::uint64_t* sectionEnd = nullptr) const {
    for (const Section& s : sections_) {
      if (rva < s.rva || rva - s.rva >= s.size || n > s.size - (rva - s.rva)) continue;
      if (sectionEnd) *sectionEnd = std::uint64_t{s.offset} + s.size;
      return s.offset + (rva - s.rva);
    }
    throw Damaged{std::string(what) + " at RVA " + Hex(rva) + " lies outside the sections"};
  }

  std::string Name(std::uint64_t rva, const char* what) const {
    std::uint64_t end = 0;
    const std::uint64_t at = Offset(rva, 1, what, &end);
    end = std::min(end, at + kLongestName);
    std::string name;
    for (std::uint64_t i = at; i < end; ++i) {
      std::uint8_t c = bytes_.U8(i, what);
      if (c == 0) return name;
      name += static_cast<char>(c);
    }
    throw Damaged{std::string(what) + " at RVA " + Hex(rva) + " has no terminating NUL"};
  }

  void ReadExports(std::uint32_t rva, PeImage& image) const {
    const std::uint64_t at = Offset(rva, 40, "export directory");
    const std::uint32_t count = bytes_.U32(at + 24, "export directory");
    if (count == 0) return;
    const std::uint64_t names =
        Offset(bytes_.U32(at + 32, "export directory"), 4ull * count, "export name table");
    for (std::uint64_t i = 0; i < count; ++i)
      image.exports.push_back(Name(bytes_.U32(names + 4 * i, "export name"), "export name"));
  }

  void ReadImports(std::uint32_t rva, PeImage& image) const {
    const std::uint64_t ordinalFlag = thunkSize_ == 8 ? 1ull << 63 : 1ull << 31;
    // Each DLL has a lookup table of its own; more entries than the file holds means tables
    // that overlap, and reading them again and again could take the square of its size.
    std::uint64_t budget = bytes_.size() / thunkSize_;
    for (std::uint64_t d = rva;; d += kImportDescriptorSize) {
      const std::uint64_t at = Offset(d, kImportDescriptorSize, "import descriptor");
      const std::uint32_t lookup = bytes_.U32(at, "import descriptor");
      const std::uint32_t name = bytes_.U32(at + 12, "import descriptor");
      const std::uint32_t first = bytes_.U32(at + 16, "import descriptor");
      if (name == 0 || first == 0) return;  // where the loader stops too
      PeImport import{Name(name, "imported DLL name"), {}};
      if (import.dll.empty()) throw Damaged{"an import names no DLL"};
      for (std::uint64_t t = lookup != 0 ? lookup : first;; t += thunkSize_) {
        if (budget-- == 0) throw Damaged{"import lookup tables overlap"};
        const std::uint64_t e = Offset(t, thunkSize_, "import lookup entry");
        const std::uint64_t entry = thunkSize_ == 8 ? bytes_.U64(e, "import lookup entry")
                                                    : bytes_.U32(e, "import lookup entry");
        if (entry == 0) break;
        if (entry & ordinalFlag) continue;
        if (entry > 0x7FFFFFFF) throw Damaged{"import lookup entry " + Hex(entry) + " is invalid"};
        import.functions.push_back(Name(entry + 2, "imported function name"));  // past the hint
      }
      image.imports.push_back(std::move(import));
    }
  }

  // The entry of a resource directory at `directory` (an offset into the resources) with that
  // id, or its first entry when `id` is empty: its offset-to-data field.
  std::optional<std::uint32_t> Entry(std::uint32_t resources, std::uint64_t directory,
                                     std::optional<std::uint32_t> id) const {
    const std::uint64_t at = Offset(resources + directory, 16, "resource directory");
    const std::uint64_t count =
        bytes_.U16(at + 12, "resource directory") + bytes_.U16(at + 14, "resource directory");
    const std::uint64_t entries =
        Offset(resources + directory + 16, 8 * count, "resource directory entries");
    for (std::uint64_t i = 0; i < count; ++i) {
      if (!id || bytes_.U32(entries + 8 * i, "resource entry") == *id)
        return bytes_.U32(entries + 8 * i + 4, "resource entry");
    }
    return std::nullopt;
  }

  // Type, name, language: the first version resource's StringFileInfo strings. Three fixed
  // levels, so a directory that points back at itself cannot make the walk loop.
  void ReadVersion(std::uint32_t resources, PeImage& image) const {
    std::optional<std::uint32_t> type = Entry(resources, 0, kRtVersion);
    if (!type) return;
    if (!(*type & kSubdirectory)) throw Damaged{"the version resource type is no directory"};
    std::optional<std::uint32_t> name = Entry(resources, *type & ~kSubdirectory, std::nullopt);
    if (!name || !(*name & kSubdirectory)) throw Damaged{"the version resource has no languages"};
    std::optional<std::uint32_t> language = Entry(resources, *name & ~kSubdirectory, std::nullopt);
    if (!language || (*language & kSubdirectory)) throw Damaged{"the version resource has no data"};
    const std::uint64_t entry = Offset(resources + std::uint64_t{*language}, 16, "resource data");
    const std::uint32_t size = bytes_.U32(entry + 4, "resource data");
    const Bytes v = bytes_.Sub(Offset(bytes_.U32(entry, "resource data"), size, "version"), size);

    const Block root = ReadBlock(v, 0, v.size());
    ForEachChild(v, root.value + root.valueLength, root.end, [&](const Block& info) {
      if (info.key != "StringFileInfo") return;
      ForEachChild(v, info.value, info.end, [&](const Block& table) {
        ForEachChild(v, table.value, table.end, [&](const Block& string) {
          std::string value =
              string.valueLength == 0 ? "" : Utf16(v, string.value, string.end, nullptr);
          image.versionStrings.emplace_back(string.key, std::move(value));
        });
      });
    });
  }

  Bytes bytes_;
  std::vector<Section> sections_;
  unsigned thunkSize_ = 4;
};

}  // namespace

PeRead ReadPe(std::span<const std::uint8_t> bytes) {
  try {
    return {Image(bytes).Read(), ""};
  } catch (const Damaged& damaged) {
    return {{}, damaged.why};
  }
}

std::string MachineName(std::uint16_t machine) {
  if (machine == kMachineI386) return "32-bit x86";
  if (machine == kMachineAmd64) return "x64";
  return "machine " + Hex(machine);
}

std::string VersionString(const PeImage& image, std::string_view key) {
  for (const auto& [k, value] : image.versionStrings) {
    if (k == key) return value;
  }
  return "";
}

}  // namespace kit
