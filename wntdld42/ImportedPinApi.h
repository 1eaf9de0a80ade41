// The PinApi bound to the functions imported from WNT42PIN.DLL (link WNT42PIN.LIB).
#pragma once

#include "wntdld42/PinApi.h"
#include "wntdld42/WNT42PIN.H"

namespace wntdld42 {

class ImportedPinApi : public PinApi {
 public:
  Status PinOpen(Handle* handle) override { return ::PinOpen(handle); }
  Status PinOpenParms(Handle* handle, std::uint16_t port) override {
    return ::PinOpenParms(handle, port);
  }
  Status PinLoadMasterKey(Handle handle, std::uint16_t keyType, const std::uint8_t* key,
                          std::uint8_t* response) override {
    return ::PinLoadMasterKey(handle, keyType, key, response);
  }
  Status PinEnterMasterKey(Handle handle, std::uint16_t keyType, std::uint8_t* response) override {
    return ::PinEnterMasterKey(handle, keyType, response);
  }
  Status PinLoadKey(Handle handle, std::uint16_t keyId, std::uint16_t variant,
                    const std::uint8_t* key, std::uint8_t* response) override {
    return ::PinLoadKey(handle, keyId, variant, key, response);
  }
  Status PinLoadICV(Handle handle, std::uint16_t variant, const std::uint8_t* icv) override {
    return ::PinLoadICV(handle, variant, icv);
  }
  Status PinLoadVerifParms(Handle handle, std::uint16_t pinLength,
                           const std::uint8_t* table) override {
    return ::PinLoadVerifParms(handle, pinLength, table);
  }
  Status PinSetModeEnc(Handle handle) override { return ::PinSetModeEnc(handle); }
  Status PinSetModeClr(Handle handle) override { return ::PinSetModeClr(handle); }
  Status PinReadSN(Handle handle, std::uint8_t* serial) override {
    return ::PinReadSN(handle, serial);
  }
  Status PinExecDevDiag(Handle handle, std::uint16_t code, std::uint8_t* buffer) override {
    return ::PinExecDevDiag(handle, code, buffer);
  }
  Status PinClose(Handle handle) override { return ::PinClose(handle); }
};

static_assert(sizeof(PINHANDLE) == sizeof(Handle) && sizeof(PINSTATUS) == sizeof(Status));

}  // namespace wntdld42
