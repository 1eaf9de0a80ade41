// The results the cores give where the system names small integers: an exit status, the 1 or
// 0 of an installer step, a registry error code. One type for all of them, wide enough for
// every such value, with the values named beside the function that gives them; they are the
// system's own numbers, never renumbered.
#pragma once

#include <cstdint>

namespace base {

using Result = std::int32_t;

// The installer's steps: 1 when the step was done, 0 when it failed.
inline constexpr Result kSucceeded = 1;
inline constexpr Result kFailed = 0;

}  // namespace base
