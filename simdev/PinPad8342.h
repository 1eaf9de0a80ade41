// The emulated 8342 PIN pad: its state as its state file keeps it (keys only as digests) and
// what each library call does to it.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "simdev/State.h"

namespace simdev {

inline constexpr char kModel8342[] = "8342";

// A loaded key as the pad keeps it: its digest ("sha256:..."), never the key itself.
struct StoredKey {
  std::string digest;        // empty: none loaded
  std::string source;        // master keys: loaded, loaded-encrypted, entered-single, entered-dual
  std::uint8_t variant = 0;  // working keys and the ICV
};

struct PinPad8342 {
  std::uint16_t port = 0;
  std::array<std::uint8_t, 8> serial{};
  std::string hardwareVersion;  // at most kMaxHardwareVersion printable characters
  bool encrypted = true;        // the pad's mode
  StoredKey masterKey8, masterKey16;
  std::map<std::uint8_t, StoredKey> workingKeys;  // by key ID
  StoredKey icv;
  int pinLength = -1;               // -1: no verification parameters loaded
  std::string decimalizationTable;  // digest
  unsigned entries = 0;             // master-key entries at the pad so far

  static constexpr std::size_t kMaxHardwareVersion = 31;  // and its zero: the 32-byte buffer
};

inline constexpr std::array<std::uint8_t, 8> kDefaultPinPadSerial = {0x83, 0x42, 0x00, 0x00,
                                                                     0x00, 0x00, 0x00, 0x01};
inline constexpr char kDefaultHardwareVersion[] = "8342 HW 02.10";

// A newly attached PIN pad, as its state file holds it.
KeyValues NewPinPadState(std::uint16_t port, const std::array<std::uint8_t, 8>& serial,
                         const std::string& hardwareVersion);
// Reads the pad's part of a state file; false (with what is wrong) on a damaged one.
bool LoadPinPad(const KeyValues& state, PinPad8342* pad, std::string* error);
// Writes the pad's keys into `state`, leaving other keys (scripted faults) alone.
void StorePinPad(const PinPad8342& pad, KeyValues* state);

// The 8 response bytes of a key load: the key's check value, the first 8 bytes of its
// SHA-256 digest (so they equal the first 16 digits of the digest the state file shows).
std::array<std::uint8_t, 8> CheckValue(std::span<const std::uint8_t> key);

// The key the emulated operator keys in at the pad for entry number `entry`: made from the
// port and the number, so a run can be repeated.
void EnteredKey(std::uint16_t port, unsigned entry, std::span<std::uint8_t> key);

}  // namespace simdev
