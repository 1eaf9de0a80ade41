// The steady clock of the serial line's ports off Windows.
#include <chrono>

#include "simdev/Line.h"

namespace simdev::line {

std::uint64_t SteadyMilliseconds() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

}  // namespace simdev::line
