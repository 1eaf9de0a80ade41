// Command frames.
#include "eft/Frames.h"

namespace eft {

Frame::Frame(std::initializer_list<std::uint8_t> bytes) {
  for (std::uint8_t b : bytes) Append(b);
}

void Frame::Append(std::uint8_t byte) {
  if (length_ < bytes_.size()) bytes_[length_++] = byte;
}

void Frame::Append(std::span<const std::uint8_t> bytes) {
  for (std::uint8_t b : bytes) Append(b);
}

namespace {
std::uint8_t Code(Command c) { return static_cast<std::uint8_t>(c); }
}  // namespace

Frame ReadDeviceInformationFrame() { return Frame{Code(Command::kReadDeviceInformation)}; }
Frame ReadDeviceStatusFrame() { return Frame{Code(Command::kReadDeviceStatus)}; }
Frame EjectCardFrame() { return Frame{Code(Command::kEjectCard)}; }
Frame ReadDeviceTypeFrame() { return Frame{Code(Command::kReadDeviceType), 0x02}; }

Frame LoadClearRsaPrivateKeyFrame(std::span<const std::uint8_t, 64> modulus,
                                  std::span<const std::uint8_t, 64> exponent) {
  Frame f{Code(Command::kLoadClearRsaPrivateKey), 0x20, 0x20};
  f.Append(modulus);
  f.Append(exponent);
  return f;
}

Frame LoadClearDesKeyPartFrame(std::uint8_t keyNumber, std::uint8_t partIndex,
                               std::span<const std::uint8_t, 8> left,
                               std::span<const std::uint8_t, 8> right) {
  Frame f{Code(Command::kLoadClearDesKeyPart), keyNumber, partIndex};
  f.Append(left);
  f.Append(right);
  return f;
}

Frame LoadDeviceSerialNumberFrame(std::span<const char, 8> serial,
                                  std::span<const std::uint8_t, 8> further) {
  Frame f{Code(Command::kLoadDeviceSerialNumber)};
  for (char c : serial) f.Append(static_cast<std::uint8_t>(c));
  f.Append(further);
  return f;
}

Frame QueryMemoryCrcFrame(std::span<const std::uint8_t, 2> address,
                          std::span<const std::uint8_t, 2> length) {
  Frame f{Code(Command::kQueryMemoryCrc)};
  f.Append(address);
  f.Append(length);
  return f;
}

}  // namespace eft
