// Overwriting memory that held key material (typed key texts, key bytes, frames).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace base {

// Sets the bytes to zero in a way the compiler may not drop as a dead store.
void WipeBytes(void* data, std::size_t size);
inline void WipeBytes(std::span<std::uint8_t> bytes) { WipeBytes(bytes.data(), bytes.size()); }
// Sets the whole buffer of the text to zero bytes, also what lies behind its end (a text that
// was cut may have left characters there), and leaves the text empty.
void WipeText(std::string& text);

}  // namespace base
