// The support program's names for the suite's key-material holders.
#pragma once

#include "base/KeyMaterial.h"

namespace wnt43sup {

using base::KeyBytes;
using base::KeyTexts;

}  // namespace wnt43sup
