// The run of the trace programs W4XTRACE and W43TRACE: fetch a port driver's trace and store
// the first 8192 bytes of it in a file of the current directory. Portable; the program
// around it binds the driver's PddTrace, the file and standard output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/Result.h"

namespace trace {

// The buffer the driver fills, and the part of it that the file keeps.
inline constexpr std::size_t kTraceBufferSize = 32768;
inline constexpr std::size_t kTraceFileSize = 8192;

// The three things that tell the two programs apart; everything else is shared.
struct Build {
  std::string_view driver;     // the port driver whose PddTrace is called
  std::string_view fileName;   // the trace file, in the current directory
  std::string_view notActive;  // printed when the driver's trace is not active
};

inline constexpr Build kW4xTrace{"WNT4XPDD", "W4XTRACE.DAT",
                                 "\nERROR, PddTrace not active in wnt4xpdd.dll !\n"};
inline constexpr Build kW43Trace{"WNT43PDD", "W43TRACE.DAT",
                                 "\nERROR, PddTrace not active in wnt43pdd.dll !\n"};

// Exit statuses.
inline constexpr base::Result kWritten = 0;  // the trace file holds the trace
inline constexpr base::Result kCannotWrite =
    1;  // the file could not be created, written in full or closed
inline constexpr base::Result kNotActive = 2;  // the driver's trace is not active; no file touched

// The port driver: PddTrace as imported, its whole 32-bit result.
class Driver {
 public:
  virtual ~Driver() = default;
  virtual std::uint32_t PddTrace(unsigned char* buffer) = 0;
};

// The trace file: creates `name` or replaces a file of that name, writes `size` bytes in one
// write and closes it. False when any of the three steps fails.
class TraceFile {
 public:
  virtual ~TraceFile() = default;
  virtual bool Replace(std::string_view name, const unsigned char* data, std::size_t size) = 0;
};

// Standard output.
class Console {
 public:
  virtual ~Console() = default;
  virtual void Print(std::string_view text) = 0;
};

// "\nERROR, cannot write W4XTRACE.DAT !\n" for the build's file.
std::string CannotWriteMessage(const Build& build);

// The whole run. `buffer` is the program's trace buffer, all zero before the call, so the
// file shows zeros wherever the driver put nothing. Returns the exit status.
base::Result CaptureTrace(const Build& build, unsigned char (&buffer)[kTraceBufferSize],
                          Driver& driver, TraceFile& file, Console& console);

}  // namespace trace
