// Numbers as bytes, least significant first: the order of the serial line's frames, the
// drivers' traces, help files and registry DWORDs alike.
#pragma once

#include <cstdint>
#include <vector>

namespace base {

inline void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, static_cast<std::uint16_t>(v));
  Put16(out, static_cast<std::uint16_t>(v >> 16));
}
inline std::uint16_t Get16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t Get32(const std::uint8_t* p) {
  return Get16(p) | static_cast<std::uint32_t>(Get16(p + 2)) << 16;
}

}  // namespace base
