// The stand-in port drivers WNT4XPDD.DLL and WNT43PDD.DLL: one source, built once per driver
// (PDD_DRIVER names it). PddTrace asks the emulated device on the port the installer recorded
// for the driver's family for that driver's trace, over the serial line.
#include <string_view>

#include "devconfig/DeviceConfig.h"
#include "devconfig/win32/Win32Registry.h"
#include "simdev/ConfiguredPort.h"
#include "simdev/LibraryEnd.h"
#include "simdev/PortDriver.h"
#include "simdev/Trace.h"
#include "simdev/win32/ComPort.h"
#include "trace/PddTrace.h"

#ifndef PDD_DRIVER
#error "PDD_DRIVER must name the driver (\"WNT4XPDD\" or \"WNT43PDD\")"
#endif

extern "C" PDDRESULT PDDAPI PddTrace(unsigned char* buffer) {
  // Nothing may escape into the caller as an exception; a driver that cannot reach its
  // device has no trace to give.
  try {
    devconfig::Win32Registry registry;
    std::uint16_t port =
        std::string_view(PDD_DRIVER) == simdev::trace::kDriver43
            ? simdev::ConfiguredPort(registry, {devconfig::kSubkey8343})
            : simdev::ConfiguredPort(registry, {devconfig::kSubkey8342P, devconfig::kSubkey8342M,
                                                devconfig::kSubkey8341});
    return simdev::remote::RemotePddTrace(simdev::win32::OpenComPort, port, PDD_DRIVER, buffer);
  } catch (...) {
    return simdev::kPddTraceNotActive;
  }
}
