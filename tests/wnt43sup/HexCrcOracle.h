// The HEX file CRC as a rescanning two-pass reader computes it: the reference for the tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "wnt43sup/HexCrc.h"

namespace hexcrc_test {

// The CRC update one bit at a time, as the rule states it.
std::uint16_t BitwiseCrc16Update(std::uint16_t crc, std::uint8_t byte);

// Reads the file character by character through a text-mode reader, rewinding it for every
// record that is not where the second pass expects it. Slow on purpose; empty when invalid.
std::optional<wnt43sup::HexCrcValues> RescanHexCrc(std::string_view fileBytes);

}  // namespace hexcrc_test
