// The EftApi bound to the functions imported from WNT43EFT.DLL (link WNT43EFT.LIB).
#pragma once

#include "eft/EftApi.h"
#include "eft/WNT43EFT.H"

namespace eft {

class ImportedEftApi : public EftApi {
 public:
  Status EftOpen(Handle* handle) override { return ::EftOpen(handle); }
  Status EftOpenParms(Handle* handle, std::uint16_t port) override {
    return ::EftOpenParms(handle, port);
  }
  Status EftWrite(Handle handle, const std::uint8_t* frame, std::uint16_t length,
                  std::uint16_t* written) override {
    return ::EftWrite(handle, frame, length, written);
  }
  Status EftRead(Handle handle, std::uint8_t* buffer, std::uint16_t capacity,
                 std::uint16_t* read) override {
    return ::EftRead(handle, buffer, capacity, read);
  }
  Status EftClose(Handle handle) override { return ::EftClose(handle); }
  Status EftDload(Handle handle, const char* path) override { return ::EftDload(handle, path); }
};

static_assert(sizeof(EFTHANDLE) == sizeof(Handle) && sizeof(EFTSTATUS) == sizeof(Status));

}  // namespace eft
