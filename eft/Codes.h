// Device return codes and their texts, and the hexadecimal conversions of typed and shown bytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace eft {

// The table text of a device return code; every RC above 0F has the text of 0F.
const char* ReturnCodeText(std::uint8_t rc);

// Two capitals per byte, high half first, no separators: 00 AB 7F gives "00AB7F".
std::string BytesToHex(std::span<const std::uint8_t> bytes);

// "X'0A'" for the byte 0A.
std::string FormatReturnCode(std::uint8_t byte);

// "Command failed:  Device RC=0A - Security Processor Error" for RC 0A.
std::string FormatCommandFailed(std::uint8_t rc);

// Two typed characters to one byte, first character the high half, without checking them:
// digits and A-F or a-f give their hexadecimal value in either position; any other
// character gives its code minus 48 when that code (as a signed 8-bit number) is at most '9',
// else its code minus 55, and the two halves are combined as (first x 16) OR second, each
// kept to 8 bits. Callers that must refuse bad characters check with IsHexDigit first.
std::uint8_t HexPairToByte(char first, char second);

// 0-9, A-F and a-f.
bool IsHexDigit(char c);

}  // namespace eft
