// The trace programs' run.
#include "trace/Capture.h"

namespace trace {

std::string CannotWriteMessage(const Build& build) {
  std::string text = "\nERROR, cannot write ";
  text += build.fileName;
  text += " !\n";
  return text;
}

base::Result CaptureTrace(const Build& build, unsigned char (&buffer)[kTraceBufferSize],
                          Driver& driver, TraceFile& file, Console& console) {
  // The driver's answer is 16 bits wide; whatever the upper half of the register holds is
  // not part of it.
  if ((driver.PddTrace(buffer) & 0xFFFFu) == 0) {
    console.Print(build.notActive);
    return kNotActive;
  }
  if (!file.Replace(build.fileName, buffer, kTraceFileSize)) {
    // Silence here would pass a missing or stale file off as a fresh trace.
    console.Print(CannotWriteMessage(build));
    return kCannotWrite;
  }
  return kWritten;
}

}  // namespace trace
