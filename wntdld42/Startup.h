// WNTDLD42's start-up: the registry test, the port prompt when the PIN pad is not recorded,
// and the one open of the pad for the whole run.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "devconfig/Registry.h"
#include "wntdld42/Operations.h"

namespace wntdld42 {

// Where the pointer goes before the port prompt opens, in screen coordinates.
inline constexpr int kPromptPointerX = 130;
inline constexpr int kPromptPointerY = 18;

// The port typed in the prompt (at most its first 3 characters), read as C's atoi reads it:
// blanks skipped, one sign, digits up to the first other character, no digits 0. A value
// outside 0-255 gives 0, which names no port, rather than wrapping onto another one.
std::uint16_t PortFromText(std::string_view text);

enum class StartResult { kOpened, kCancelled, kOpenFailed };
// `placePointer` moves the mouse pointer (before the prompt). kOpened fills the handle;
// kCancelled made no library call; kOpenFailed showed the open error. Either of the last two
// ends the program without PinClose.
StartResult OpenPinPad(Program& program, devconfig::Registry& registry,
                       const std::function<void(int x, int y)>& placePointer);

}  // namespace wntdld42
