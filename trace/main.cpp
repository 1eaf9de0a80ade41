// W4XTRACE and W43TRACE: one source, built once for each port driver (TRACE_BUILD_W4X links
// WNT4XPDD, TRACE_BUILD_W43 links WNT43PDD). Arguments are ignored.
#include <windows.h>

#include <cstdio>
#include <string>

#include "trace/Capture.h"
#include "trace/PddTrace.h"

#if defined(TRACE_BUILD_W4X) && !defined(TRACE_BUILD_W43)
constexpr const trace::Build& kBuild = trace::kW4xTrace;
#elif defined(TRACE_BUILD_W43) && !defined(TRACE_BUILD_W4X)
constexpr const trace::Build& kBuild = trace::kW43Trace;
#else
#error "build with exactly one of TRACE_BUILD_W4X and TRACE_BUILD_W43"
#endif

namespace {

// Static storage, so it is all zero when the program starts.
unsigned char traceBuffer[trace::kTraceBufferSize];

class ImportedDriver : public trace::Driver {
 public:
  std::uint32_t PddTrace(unsigned char* buffer) override { return ::PddTrace(buffer); }
};

class Win32TraceFile : public trace::TraceFile {
 public:
  bool Replace(std::string_view name, const unsigned char* data, std::size_t size) override {
    std::string path(name);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL wrote = WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
    BOOL closed = CloseHandle(file);
    return wrote && written == size && closed;
  }
};

class StdoutConsole : public trace::Console {
 public:
  void Print(std::string_view text) override {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  }
};

}  // namespace

int main() {
  ImportedDriver driver;
  Win32TraceFile file;
  StdoutConsole console;
  return trace::CaptureTrace(kBuild, traceBuffer, driver, file, console);
}
