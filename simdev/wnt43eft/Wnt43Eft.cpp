// The stand-in WNT43EFT.DLL: exports the six EFT functions and carries them over the COM
// port to the emulated 8343 terminal at the line's other end (simdev serve).
#include "eft/WNT43EFT.H"

#include "devconfig/DeviceConfig.h"
#include "devconfig/win32/Win32Registry.h"
#include "simdev/ConfiguredPort.h"
#include "simdev/Guarded.h"
#include "simdev/Remote.h"
#include "simdev/win32/ComPort.h"

namespace {

simdev::remote::RemoteEft& Library() {
  static simdev::remote::RemoteEft library(simdev::win32::OpenComPort);
  return library;
}
EFTSTATUS Guarded(auto call) { return simdev::Guarded<EFTSTATUS>(call); }

}  // namespace

extern "C" {

EFTSTATUS EFTAPI EftOpen(EFTHANDLE* handle) {
  return Guarded([&] {
    devconfig::Win32Registry registry;
    return Library().Open(simdev::ConfiguredPort(registry, {devconfig::kSubkey8343}), handle);
  });
}

EFTSTATUS EFTAPI EftOpenParms(EFTHANDLE* handle, unsigned short port) {
  return Guarded([&] { return Library().Open(port, handle); });
}

EFTSTATUS EFTAPI EftWrite(EFTHANDLE handle, const unsigned char* frame, EFTCOUNT length,
                          EFTCOUNT* written) {
  return Guarded([&] { return Library().Write(handle, frame, length, written); });
}

EFTSTATUS EFTAPI EftRead(EFTHANDLE handle, unsigned char* buffer, EFTCOUNT capacity,
                         EFTCOUNT* read) {
  return Guarded([&] { return Library().Read(handle, buffer, capacity, read); });
}

EFTSTATUS EFTAPI EftClose(EFTHANDLE handle) {
  return Guarded([&] { return Library().Close(handle); });
}

EFTSTATUS EFTAPI EftDload(EFTHANDLE handle, const char* path) {
  return Guarded([&] { return Library().Dload(handle, path); });
}

}  // extern "C"
