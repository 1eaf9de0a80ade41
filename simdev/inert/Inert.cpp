// The inert stand-in device-access libraries (WNT41MAG, WNTA1MAG, WNT42MSR, WNTA2MSR,
// WNTA2PIN, WNTA3EFT): one source, built once per library with its own header
// (INERT_HEADER) and function names (INERT_OPEN, INERT_CLOSE, INERT_API). No program of the
// suite calls them, and no emulated device stands behind them: every open finds no device.
#include INERT_HEADER

namespace {

// The statuses follow the Win32 error codes of the same meaning, as in the other stand-ins.
constexpr unsigned short kNoDevice = 2;           // nothing attached that this library drives
constexpr unsigned short kInvalidHandle = 6;      // no handle is ever open
constexpr unsigned short kInvalidParameter = 87;  // null handle pointer

}  // namespace

extern "C" {

unsigned short INERT_API INERT_OPEN(unsigned int* handle, unsigned short /*port*/) {
  if (handle == nullptr) return kInvalidParameter;
  *handle = 0;
  return kNoDevice;
}

unsigned short INERT_API INERT_CLOSE(unsigned int /*handle*/) { return kInvalidHandle; }

}  // extern "C"
