// What the stand-in port drivers WNT4XPDD and WNT43PDD give back: `simdev serve` hands each DLL
// its driver's trace (trace::ReadActive) over the serial line, in pieces (simdev/DeviceEnd.h
// answers, RemotePddTrace in simdev/LibraryEnd.h asks and fills the caller's buffer).
#pragma once

#include <cstdint>

namespace simdev {

// PddTrace's results. Anything but 0 in the low 16 bits means "the buffer holds the trace";
// the stand-ins always say 1, also for an empty trace.
inline constexpr std::uint32_t kPddTraceNotActive = 0;
inline constexpr std::uint32_t kPddTraceActive = 1;

}  // namespace simdev
