// Numbers typed by a person or given on a command line.
#pragma once

#include <cstdint>
#include <string_view>

namespace base {

// `text` read as C's atoi reads it (leading white space, one sign, the digits up to the first
// other character), given only when it lies in 0..max, else 0: a port number that does not fit
// is no port, never another port's number by wrap-around; -0 is 0.
std::uint32_t AtoiInRange(std::string_view text, std::uint32_t max);

}  // namespace base
