// FIOSETUP's start: a window, or the command-line mode when the command line names a
// configuration file, which is then applied to the registry without a window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/Result.h"
#include "fiosetup/DeviceTable.h"
#include "fiosetup/Ports.h"

namespace fiosetup {

// Exit codes of the command-line mode besides WriteRegistry's results (1, 0, or a registry
// error code).
inline constexpr base::Result kExitCannotOpen = 2;
inline constexpr base::Result kExitNotAConfiguration = 30;

// The raw command line (as GetCommandLineA gives it) without the program name and the blanks
// behind it. Nothing when no more follows: the program then opens its window. A rest enclosed
// in one pair of double quotes (blanks after the closing quote allowed) is the path inside
// them; any other rest is the path as it stands, trailing blanks included.
std::optional<std::string> ConfigurationPathOf(std::string_view commandLine);

// Applies a configuration file to the registry. Returns 2 when the file cannot be opened,
// 30 when it is not a valid configuration file (fewer than 16 bytes, a port above 256, or an
// 8343 together with an 8342 personality), otherwise WriteRegistry's result. The registry is
// only written for a valid file; every kind the file leaves out is deleted, whether or not the
// start-up read found its subkey. The table ends as WriteRegistry left it.
base::Result RestoreConfiguration(DeviceTable& table, const std::string& path,
                                  const Platform& platform);

}  // namespace fiosetup
