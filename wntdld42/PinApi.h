// The PIN pad device-access library as an interface, so the operations run against the
// imported library in the program and against a recording fake in tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wntdld42 {

using Status = std::uint16_t;  // 0 success; only the low 16 bits are ever examined
using Handle = std::uint32_t;

// Key-type codes: 8-byte 0x10, 16-byte 0x00; bit 0 an encrypted key or a dual entry.
inline constexpr std::uint16_t kKey8Clear = 0x10;
inline constexpr std::uint16_t kKey8Encrypted = 0x11;
inline constexpr std::uint16_t kKey16Clear = 0x00;
inline constexpr std::uint16_t kKey16Encrypted = 0x01;
inline constexpr std::uint16_t kDiagHardwareVersion = 3;

inline constexpr std::size_t kResponseSize = 8;  // key-load responses and the serial number
inline constexpr std::size_t kDiagSize = 32;     // the hardware-version buffer

class PinApi {
 public:
  virtual ~PinApi() = default;
  virtual Status PinOpen(Handle* handle) = 0;
  virtual Status PinOpenParms(Handle* handle, std::uint16_t port) = 0;
  virtual Status PinLoadMasterKey(Handle handle, std::uint16_t keyType, const std::uint8_t* key,
                                  std::uint8_t* response) = 0;
  virtual Status PinEnterMasterKey(Handle handle, std::uint16_t keyType,
                                   std::uint8_t* response) = 0;
  virtual Status PinLoadKey(Handle handle, std::uint16_t keyId, std::uint16_t variant,
                            const std::uint8_t* key, std::uint8_t* response) = 0;
  virtual Status PinLoadICV(Handle handle, std::uint16_t variant, const std::uint8_t* icv) = 0;
  virtual Status PinLoadVerifParms(Handle handle, std::uint16_t pinLength,
                                   const std::uint8_t* table) = 0;
  virtual Status PinSetModeEnc(Handle handle) = 0;
  virtual Status PinSetModeClr(Handle handle) = 0;
  virtual Status PinReadSN(Handle handle, std::uint8_t* serial) = 0;
  virtual Status PinExecDevDiag(Handle handle, std::uint16_t code, std::uint8_t* buffer) = 0;
  virtual Status PinClose(Handle handle) = 0;
};

}  // namespace wntdld42
