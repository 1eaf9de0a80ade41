// Hexadecimal text and bytes: capitals for what the suite shows and stores (results, return
// codes, state files, trace listings, digests); strict readers for what is typed (keys) and
// read back (state files); and the pair-by-pair reading of HEX file records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace base {

// 0-9, A-F and a-f.
bool IsHexDigit(char c);

// Two characters to one byte, first character the high half, without checking them: digits
// and A-F or a-f give their hexadecimal value in either position; any other character gives
// its code minus 48 when that code (as a signed 8-bit number) is at most '9', else its code
// minus 55, and the two halves are combined as (first x 16) OR second, each kept to 8 bits.
// Callers that must refuse bad characters check with IsHexDigit first.
std::uint8_t HexPairToByte(char first, char second);
// Two capitals per byte, high half first, no separators ("00AB7F").
std::string BytesToHex(std::span<const std::uint8_t> bytes);

// Lenient, reading only up to the first character that is no digit. Fills `buffer` from its
// start with the bytes that the hexadecimal digits at the start of `text` spell, first digit
// the high half; both cases count. Stops at the end of the text, at the first character that
// is not a digit, or when the buffer is full. A byte whose first digit was the last one taken
// holds it in its high half and 0 in its low half. Returns the number of digits taken.
std::size_t HexTextToBytes(std::string_view text, std::span<std::uint8_t> buffer);
// Two capital digits and one blank per byte, the last byte included ("00 AB 7F ").
std::string BytesToHexText(std::span<const std::uint8_t> bytes);

// Strict: `text` is exactly `digits` hexadecimal digits and nothing else.
bool IsHexText(std::string_view text, std::size_t digits);
// Strict: pairs of hexadecimal digits (either case) and nothing else, an empty text giving no
// bytes; nothing for any other text.
std::optional<std::vector<std::uint8_t>> ParseHex(std::string_view text);
// Strict, into a buffer of its own size, for key material (no copy on the heap): exactly
// 2 x out.size() hexadecimal digits, first pair to first byte. Any other text leaves `out`
// untouched and gives false, so a mistyped key never reaches a device as some arbitrary byte.
bool ParseHex(std::string_view text, std::span<std::uint8_t> out);

}  // namespace base
