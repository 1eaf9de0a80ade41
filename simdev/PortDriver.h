// The device end of the stand-in port drivers WNT4XPDD and WNT43PDD: PddTrace over the driver
// traces of a state directory. Portable, so it is tested natively; `simdev serve` hands the
// trace to each DLL over the serial line, in pieces (simdev/DeviceEnd.h answers,
// simdev/LibraryEnd.h asks).
#pragma once

#include <cstdint>
#include <string>

namespace simdev {

// PddTrace's results. Anything but 0 in the low 16 bits means "the buffer holds the trace";
// the stand-ins always say 1, also for an empty trace.
inline constexpr std::uint32_t kPddTraceNotActive = 0;
inline constexpr std::uint32_t kPddTraceActive = 1;

// Copies the driver's trace as trace::ReadActive gives it to the start of `buffer`, leaving the
// rest as it was, and returns kPddTraceActive; kPddTraceNotActive, touching nothing, when
// `buffer` is null or ReadActive gives nothing (tracing off, the state unreadable).
std::uint32_t PddTrace(const std::string& dir, const std::string& driver, unsigned char* buffer);

}  // namespace simdev
