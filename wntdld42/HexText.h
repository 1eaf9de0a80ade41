// The PIN pad program's names for the suite's hexadecimal text and key-material holders.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Hex.h"
#include "base/KeyMaterial.h"

namespace wntdld42 {

using base::HexTextToBytes;
using base::IsHexText;

// The operations hand over the response buffer as its start and size.
inline std::string BytesToHexText(const std::uint8_t* bytes, std::size_t count) {
  return base::BytesToHexText({bytes, count});
}

template <std::size_t N>
using SecretBytes = base::KeyBytes<N>;
using SecretTexts = base::KeyTexts;

}  // namespace wntdld42
