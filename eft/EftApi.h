// The EFT device-access library as an interface, so operations can run against the imported
// library in the programs and against a recording fake in tests.
#pragma once

#include <cstdint>

namespace eft {

using Status = std::uint16_t;  // 0 success; only the low 16 bits are ever examined
using Handle = std::uint32_t;

class EftApi {
 public:
  virtual ~EftApi() = default;
  virtual Status EftOpen(Handle* handle) = 0;
  virtual Status EftOpenParms(Handle* handle, std::uint16_t port) = 0;
  virtual Status EftWrite(Handle handle, const std::uint8_t* frame, std::uint16_t length,
                          std::uint16_t* written) = 0;
  virtual Status EftRead(Handle handle, std::uint8_t* buffer, std::uint16_t capacity,
                         std::uint16_t* read) = 0;
  virtual Status EftClose(Handle handle) = 0;
  virtual Status EftDload(Handle handle, const char* path) = 0;
};

}  // namespace eft
