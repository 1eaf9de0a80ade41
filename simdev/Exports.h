// A stand-in DLL's exports, made from its list of calls (simdev/Calls.h): each export runs the
// call on the DLL's Library() (its open on OwnPort() or the port given) and lets nothing escape
// into the caller, and its @N is checked against its parameters.
#pragma once

#include <cstddef>

#include "simdev/Status.h"

namespace simdev {

// Runs `call` and returns its status; an exception becomes kGeneralFailure, since no
// exception may cross into a program that knows only status codes.
template <typename Call>
unsigned short Guarded(Call call) {
  try {
    return call();
  } catch (...) {
    return status::kGeneralFailure;
  }
}

// The bytes an export's arguments take on the stack: 4 each, as every one is a pointer, a
// 32-bit handle or a 16-bit number widened to 32 bits.
template <typename R, typename... A>
constexpr std::size_t ArgumentBytes(R(__stdcall*)(A...)) {
  return 4 * sizeof...(A);
}

}  // namespace simdev

#define SIMDEV_EXPORT(name, n, params, body)      \
  unsigned short __stdcall name params {          \
    return simdev::Guarded([&] { return body; }); \
  }                                               \
  static_assert(simdev::ArgumentBytes(&name) == n, #name "'s @N");
#define SIMDEV_EXPORT_OPEN(method, name, n, params, port) \
  SIMDEV_EXPORT(name, n, params, Library().method(port, handle))
#define SIMDEV_EXPORT_CALL(method, name, n, params, args, shape) \
  SIMDEV_EXPORT(name, n, params, Library().method args)
