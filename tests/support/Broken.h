// How a fuzz target reports an input that broke one of its properties: the property on
// standard error, then abort(), which libFuzzer records as a crash and keeps the input of.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace support {

[[noreturn]] inline void Broken(const char* what) {
  std::fprintf(stderr, "broken property: %s\n", what);
  std::abort();
}

}  // namespace support
