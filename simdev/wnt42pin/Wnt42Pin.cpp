// The stand-in WNT42PIN.DLL: exports the twelve Pin functions and carries them over the COM
// port to the emulated 8342 PIN pad at the line's other end (simdev serve).
#include "wntdld42/WNT42PIN.H"

#include "devconfig/DeviceConfig.h"
#include "devconfig/win32/Win32Registry.h"
#include "simdev/ConfiguredPort.h"
#include "simdev/Guarded.h"
#include "simdev/Remote.h"
#include "simdev/win32/ComPort.h"

namespace {

simdev::remote::RemotePin& Library() {
  static simdev::remote::RemotePin library(simdev::win32::OpenComPort);
  return library;
}
PINSTATUS Guarded(auto call) { return simdev::Guarded<PINSTATUS>(call); }

}  // namespace

extern "C" {

PINSTATUS PINAPI PinOpen(PINHANDLE* handle) {
  return Guarded([&] {
    // The PIN pad personality's port first, then the MSR personality's: one 8342 either way.
    devconfig::Win32Registry registry;
    std::uint16_t port =
        simdev::ConfiguredPort(registry, {devconfig::kSubkey8342P, devconfig::kSubkey8342M});
    return Library().Open(port, handle);
  });
}

PINSTATUS PINAPI PinOpenParms(PINHANDLE* handle, unsigned short port) {
  return Guarded([&] { return Library().OpenParms(port, handle); });
}

PINSTATUS PINAPI PinLoadMasterKey(PINHANDLE handle, unsigned short keyType,
                                  const unsigned char* key, unsigned char* response) {
  return Guarded([&] { return Library().LoadMasterKey(handle, keyType, key, response); });
}

PINSTATUS PINAPI PinEnterMasterKey(PINHANDLE handle, unsigned short keyType,
                                   unsigned char* response) {
  return Guarded([&] { return Library().EnterMasterKey(handle, keyType, response); });
}

PINSTATUS PINAPI PinLoadKey(PINHANDLE handle, unsigned short keyId, unsigned short variant,
                            const unsigned char* key, unsigned char* response) {
  return Guarded([&] { return Library().LoadKey(handle, keyId, variant, key, response); });
}

PINSTATUS PINAPI PinLoadICV(PINHANDLE handle, unsigned short variant, const unsigned char* icv) {
  return Guarded([&] { return Library().LoadIcv(handle, variant, icv); });
}

PINSTATUS PINAPI PinLoadVerifParms(PINHANDLE handle, unsigned short pinLength,
                                   const unsigned char* table) {
  return Guarded([&] { return Library().LoadVerifParms(handle, pinLength, table); });
}

PINSTATUS PINAPI PinSetModeEnc(PINHANDLE handle) {
  return Guarded([&] { return Library().SetModeEnc(handle); });
}

PINSTATUS PINAPI PinSetModeClr(PINHANDLE handle) {
  return Guarded([&] { return Library().SetModeClr(handle); });
}

PINSTATUS PINAPI PinReadSN(PINHANDLE handle, unsigned char* serial) {
  return Guarded([&] { return Library().ReadSn(handle, serial); });
}

PINSTATUS PINAPI PinExecDevDiag(PINHANDLE handle, unsigned short code, unsigned char* buffer) {
  return Guarded([&] { return Library().ExecDevDiag(handle, code, buffer); });
}

PINSTATUS PINAPI PinClose(PINHANDLE handle) {
  return Guarded([&] { return Library().Close(handle); });
}

}  // extern "C"
