// The command frames the programs send to the 8343: byte 0 the command code, the parameter
// bytes directly after it, each command with its fixed length.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "base/Wipe.h"

namespace eft {

enum class Command : std::uint8_t {
  kReadDeviceInformation = 0x00,
  kReadDeviceStatus = 0x01,
  kEjectCard = 0x05,
  kReadDeviceType = 0x0E,
  kLoadClearRsaPrivateKey = 0x82,
  kLoadClearDesKeyPart = 0x83,
  kLoadDeviceSerialNumber = 0x8F,
  kQueryMemoryCrc = 0xF5,
};

inline constexpr std::size_t kMaxFrameLength = 131;
inline constexpr std::size_t kReadDeviceInformationLength = 1;
inline constexpr std::size_t kReadDeviceStatusLength = 1;
inline constexpr std::size_t kEjectCardLength = 1;
inline constexpr std::size_t kReadDeviceTypeLength = 2;
inline constexpr std::size_t kLoadClearRsaPrivateKeyLength = 131;
inline constexpr std::size_t kLoadClearDesKeyPartLength = 19;
inline constexpr std::size_t kLoadDeviceSerialNumberLength = 17;
inline constexpr std::size_t kQueryMemoryCrcLength = 5;

// One command frame. Frames may carry key material, so a frame wipes its bytes when it goes.
class Frame {
 public:
  Frame() = default;
  Frame(std::initializer_list<std::uint8_t> bytes);
  Frame(const Frame& other) = default;
  Frame& operator=(const Frame& other) = default;
  ~Frame() { base::WipeBytes(bytes_.data(), bytes_.size()); }

  std::span<const std::uint8_t> Bytes() const { return {bytes_.data(), length_}; }
  std::size_t Length() const { return length_; }
  std::uint8_t operator[](std::size_t i) const { return bytes_[i]; }
  // Appends; bytes beyond the longest frame are dropped rather than written past the end.
  void Append(std::uint8_t byte);
  void Append(std::span<const std::uint8_t> bytes);

 private:
  std::array<std::uint8_t, kMaxFrameLength> bytes_{};
  std::size_t length_ = 0;
};

Frame ReadDeviceInformationFrame();  // 00
Frame ReadDeviceStatusFrame();       // 01
Frame EjectCardFrame();              // 05
Frame ReadDeviceTypeFrame();         // 0E 02
// 82 20 20, the 64 modulus bytes, the 64 private exponent bytes.
Frame LoadClearRsaPrivateKeyFrame(std::span<const std::uint8_t, 64> modulus,
                                  std::span<const std::uint8_t, 64> exponent);
// 83, key number 0-7, part index (0 first, 1 middle, 2 last), 8 left bytes, 8 right bytes.
Frame LoadClearDesKeyPartFrame(std::uint8_t keyNumber, std::uint8_t partIndex,
                               std::span<const std::uint8_t, 8> left,
                               std::span<const std::uint8_t, 8> right);
// 8F, the serial number as 8 characters ("41-" and five digits), 8 further bytes.
Frame LoadDeviceSerialNumberFrame(std::span<const char, 8> serial,
                                  std::span<const std::uint8_t, 8> further);
// F5, beginning address and evaluation length, each high byte first, as typed.
Frame QueryMemoryCrcFrame(std::span<const std::uint8_t, 2> address,
                          std::span<const std::uint8_t, 2> length);

}  // namespace eft
