// Windows paths as the installer builds them: a directory, a backslash and a file name,
// held to the 127 characters of the installer's path buffers.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace fiosetup {

inline constexpr std::size_t kMaxPath = 127;

// `directory` + "\" + a name of `nameLength` characters fits in kMaxPath characters.
bool Holds(std::string_view directory, std::size_t nameLength);

// `directory` + "\" + `name`, or nothing when that does not fit in kMaxPath characters:
// a path is never cut short.
std::optional<std::string> JoinPath(std::string_view directory, std::string_view name);

// Removes one trailing backslash, as the directory dialogs do with what was typed.
std::string StripTrailingBackslash(std::string directory);

// Same length and equal when ASCII letters are compared without regard to case.
bool SameDirectory(std::string_view a, std::string_view b);

}  // namespace fiosetup
