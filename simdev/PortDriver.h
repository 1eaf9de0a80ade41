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

// Copies the driver's trace (whole records, oldest first, at most 32768 bytes; simdev/Trace.h
// has the layout) to the start of `buffer` and returns kPddTraceActive. The rest of the
// buffer is left as it was. Returns kPddTraceNotActive, and touches nothing, when the
// driver's tracing is switched off, `buffer` is null, or the driver cannot read its state
// (trace::ReadActive).
std::uint32_t PddTrace(const std::string& dir, const std::string& driver, unsigned char* buffer);

}  // namespace simdev
