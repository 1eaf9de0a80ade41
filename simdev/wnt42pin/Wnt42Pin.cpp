// The stand-in WNT42PIN.DLL: exports the PIN pad calls and carries them over the COM port to
// the emulated 8342 PIN pad at the line's other end (simdev serve).
#include "wntdld42/WNT42PIN.H"

#include "devconfig/DeviceConfig.h"
#include "devconfig/win32/Win32Registry.h"
#include "simdev/ConfiguredPort.h"
#include "simdev/Exports.h"
#include "simdev/LibraryEnd.h"
#include "simdev/win32/ComPort.h"

namespace {

simdev::remote::RemotePin& Library() {
  static simdev::remote::RemotePin library(simdev::win32::OpenComPort);
  return library;
}

// The PIN pad personality's port first, then the MSR personality's: one 8342 either way.
std::uint16_t OwnPort() {
  devconfig::Win32Registry registry;
  return simdev::ConfiguredPort(registry, {devconfig::kSubkey8342P, devconfig::kSubkey8342M});
}

}  // namespace

extern "C" {
SIMDEV_PIN_CALLS(SIMDEV_EXPORT_OPEN, SIMDEV_EXPORT_OPEN, SIMDEV_EXPORT_CALL)
}
