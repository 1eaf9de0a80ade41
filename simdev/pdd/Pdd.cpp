// The stand-in port drivers WNT4XPDD.DLL and WNT43PDD.DLL: one source, built once per driver
// (PDD_DRIVER names it). PddTrace hands out that driver's trace of the emulated devices.
#include "simdev/PortDriver.h"
#include "simdev/State.h"
#include "trace/PddTrace.h"

#ifndef PDD_DRIVER
#error "PDD_DRIVER must name the driver (\"WNT4XPDD\" or \"WNT43PDD\")"
#endif

extern "C" PDDRESULT PDDAPI PddTrace(unsigned char* buffer) {
  // Nothing may escape into the caller as an exception; a driver that cannot read its own
  // trace has none to give.
  try {
    return simdev::PddTrace(simdev::StateDirectory(), PDD_DRIVER, buffer);
  } catch (...) {
    return simdev::kPddTraceNotActive;
  }
}
