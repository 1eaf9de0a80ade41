// PddTrace of the stand-in port drivers.
#include "simdev/PortDriver.h"

#include <algorithm>
#include <vector>

#include "simdev/Trace.h"

namespace simdev {

std::uint32_t PddTrace(const std::string& dir, const std::string& driver, unsigned char* buffer) {
  const auto bytes = buffer ? trace::ReadActive(dir, driver) : std::nullopt;
  if (!bytes) return kPddTraceNotActive;
  // The trace keeps within the capacity already; the caller's buffer is no larger than that.
  std::copy_n(bytes->begin(), std::min(bytes->size(), trace::kCapacity), buffer);
  return kPddTraceActive;
}

}  // namespace simdev
