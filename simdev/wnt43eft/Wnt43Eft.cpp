// The stand-in WNT43EFT.DLL: exports the EFT calls and carries them over the COM port to the
// emulated 8343 terminal at the line's other end (simdev serve).
#include "eft/WNT43EFT.H"

#include "devconfig/DeviceConfig.h"
#include "devconfig/win32/Win32Registry.h"
#include "simdev/ConfiguredPort.h"
#include "simdev/Exports.h"
#include "simdev/LibraryEnd.h"
#include "simdev/win32/ComPort.h"

namespace {

simdev::remote::RemoteEft& Library() {
  static simdev::remote::RemoteEft library(simdev::win32::OpenComPort);
  return library;
}

std::uint16_t OwnPort() {
  devconfig::Win32Registry registry;
  return simdev::ConfiguredPort(registry, {devconfig::kSubkey8343});
}

}  // namespace

extern "C" {
SIMDEV_EFT_CALLS(SIMDEV_EXPORT_OPEN, SIMDEV_EXPORT_OPEN, SIMDEV_EXPORT_CALL)
}
