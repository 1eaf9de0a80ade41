// The CRC of an application HEX file: beginning address, length evaluated and CRC-16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace wnt43sup {

inline constexpr char kGenCrcCannotOpen[] = "Generate CRC Program Error:  File can not be opened.";
inline constexpr char kGenCrcInvalid[] = "Generate CRC Program Error:  Hex file is invalid.";

// Only this many characters of the typed name are used, for the file name and the name shown.
inline constexpr std::size_t kHexNameLength = 8;
inline constexpr char kHexExtension[] = ".HEX";

// The computation looks at no more of a file than this; what lies beyond counts as the end of
// the file. An application for a 64 KB address space is a few hundred kilobytes of text at
// most, so only a file that is nearly all padding between its records could come near it.
inline constexpr std::size_t kHexTextLimit = 16u << 20;

struct HexCrcValues {
  std::uint16_t beginning = 0;  // 0000, 4000 or 7000
  std::uint32_t length = 0;     // the length shown
  std::uint16_t crc = 0;
  bool operator==(const HexCrcValues&) const = default;
};

// The computation over the bytes of a HEX file as they are on disk. The text is read the way
// a Windows program reads a file opened as text: CR LF is one character and a Ctrl-Z ends the
// text. Empty when the file is invalid (the error message is kGenCrcInvalid).
std::optional<HexCrcValues> ComputeHexCrc(std::string_view fileBytes);

// The four texts of the result, as shown.
struct HexCrcTexts {
  std::string name;       // the typed name, at most 8 characters, without ".HEX"
  std::string beginning;  // "0000", "4000" or "7000"
  std::string length;     // upper-case hexadecimal without leading zeros
  std::string crc;        // the same, with one '0' in front when below 1000 hexadecimal
  bool operator==(const HexCrcTexts&) const = default;
};

std::string FormatBeginning(std::uint16_t beginning);
std::string FormatLength(std::uint32_t length);
std::string FormatCrc(std::uint16_t crc);
HexCrcTexts FormatHexCrc(std::string_view name, const HexCrcValues& values);

enum class HexCrcError { kNone = 0, kCannotOpen = 1, kInvalid = 2 };

// The message of an error; empty for kNone.
const char* HexCrcErrorText(HexCrcError error);

struct HexCrcOutcome {
  HexCrcError error = HexCrcError::kNone;
  HexCrcTexts texts;  // set when error is kNone
};

// The whole computation from the name as typed: its first 8 characters with ".HEX" appended,
// opened relative to the current directory unless the name holds a path. The file is closed
// before this returns, whatever the outcome.
HexCrcOutcome GenerateHexCrc(std::string_view typedName);

}  // namespace wnt43sup
