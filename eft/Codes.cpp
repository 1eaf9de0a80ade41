// Return-code texts.
#include "eft/Codes.h"

#include <array>

#include "base/Hex.h"

namespace eft {

namespace {

constexpr std::array<const char*, 16> kReturnCodeTexts = {
    "No Error",
    "Unknown Command",
    "Data Length Error",
    "Unimplemented Command",
    "Invalid Value",
    "Hardware Error",
    "Sequence Error",
    "Card Error",
    "Invalid or Corrupt Key",
    "Invalid Password",
    "Security Processor Error",
    "Timeout",
    "User Aborted Operation",
    "Invalid PIN",
    "Feature Not Available",
    "Unknown Error",
};

}  // namespace

const char* ReturnCodeText(std::uint8_t rc) {
  return kReturnCodeTexts[rc < kReturnCodeTexts.size() ? rc : kReturnCodeTexts.size() - 1];
}

std::string FormatReturnCode(std::uint8_t byte) {
  return "X'" + base::BytesToHex({&byte, 1}) + "'";
}

std::string FormatCommandFailed(std::uint8_t rc) {
  return "Command failed:  Device RC=" + base::BytesToHex({&rc, 1}) + " - " + ReturnCodeText(rc);
}

}  // namespace eft
