// Device return codes and their texts.
#pragma once

#include <cstdint>
#include <string>

namespace eft {

// The table text of a device return code; every RC above 0F has the text of 0F.
const char* ReturnCodeText(std::uint8_t rc);

// "X'0A'" for the byte 0A.
std::string FormatReturnCode(std::uint8_t byte);

// "Command failed:  Device RC=0A - Security Processor Error" for RC 0A.
std::string FormatCommandFailed(std::uint8_t rc);

}  // namespace eft
