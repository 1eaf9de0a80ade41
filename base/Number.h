// Numbers typed by a person or given on a command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace base {

// `text` read as C's atoi reads it (leading white space, one sign, the digits up to the first
// other character), given only when it lies in 0..max, else 0: a port number that does not fit
// is no port, never another port's number by wrap-around; -0 is 0.
std::uint32_t AtoiInRange(std::string_view text, std::uint32_t max);

// `text` as a plain decimal number, 0..max: digits only, at least one, no sign and no blank.
// Anything else is nothing, so a slip in a typed argument is refused, never read as a number.
std::optional<unsigned long> ParseDecimal(std::string_view text, unsigned long max);

}  // namespace base
