// The exported functions of the stand-in libraries: nothing may escape into the caller.
#pragma once

namespace simdev {

// The status a stand-in library returns when something unexpected failed inside it.
inline constexpr unsigned short kGeneralFailure = 31;

// Runs `call` and returns its status; an exception becomes kGeneralFailure, since no
// exception may cross into a program that knows only status codes.
template <typename Status, typename Call>
Status Guarded(Call call) {
  try {
    return call();
  } catch (...) {
    return static_cast<Status>(kGeneralFailure);
  }
}

}  // namespace simdev
