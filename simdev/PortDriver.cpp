// PddTrace of the stand-in port drivers.
#include "simdev/PortDriver.h"

#include <algorithm>
#include <vector>

#include "simdev/Trace.h"

namespace simdev {

std::uint32_t PddTrace(const std::string& dir, const std::string& driver, unsigned char* buffer) {
  if (buffer == nullptr) return kPddTraceNotActive;
  std::optional<std::vector<std::uint8_t>> bytes = trace::ReadActive(dir, driver);
  if (!bytes) return kPddTraceNotActive;
  // The trace keeps within the capacity already; the caller's buffer is no larger than that.
  std::size_t n = std::min(bytes->size(), trace::kCapacity);
  std::copy_n(bytes->begin(), n, buffer);
  return kPddTraceActive;
}

}  // namespace simdev
