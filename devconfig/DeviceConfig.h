// The device configuration key that the installer writes and the device programs test.
#pragma once

#include <array>
#include <initializer_list>
#include <string_view>

#include "devconfig/Registry.h"

namespace devconfig {

// Directly under HKEY_CLASSES_ROOT; one subkey per configured device, no values of its own.
inline constexpr char kRootKey[] = "QRT_8300_FIO_DEVICES";

inline constexpr char kSubkey8341[] = "QRT8341";    // also holds OptionS of the 8342 MSR
inline constexpr char kSubkey8342M[] = "QRT8342M";  // 8342, magnetic-stripe reader personality
inline constexpr char kSubkey8342P[] = "QRT8342P";  // 8342, PIN pad personality
inline constexpr char kSubkey8343[] = "QRT8343";    // EFT terminal

// REG_DWORD values.
inline constexpr char kValueComPort[] = "ComPort";  // COM port number, 1 to 256
inline constexpr char kValueMode[] = "Mode";        // 1, or 2 when an 8343 is configured too
inline constexpr char kValueOptionS[] = "OptionS";  // S option of the 8342 MSR, 1 or 0

// The device kinds, in the order in which every program visits them.
enum class DeviceKind { k8341 = 0, k8342Msr = 1, k8342Pin = 2, k8343 = 3 };
inline constexpr std::array<DeviceKind, 4> kDeviceKinds = {DeviceKind::k8341, DeviceKind::k8342Msr,
                                                           DeviceKind::k8342Pin, DeviceKind::k8343};

const char* SubkeyName(DeviceKind kind);

// True when the root key and then one of `subkeys` (tried in the order given) open for
// reading. Only reading: the installer writes the key elevated under HKEY_LOCAL_MACHINE, where
// a standard user, or an administrator whose program is not elevated, may read it but not
// open it with full access, and the device it records must be found by every user. Any
// failure of either open counts as absent, whatever its cause: a reader never reports an
// error for this key. Every key opened is closed again.
bool IsAnySubkeyPresent(Registry& registry, std::initializer_list<std::string_view> subkeys);
inline bool IsSubkeyPresent(Registry& registry, std::string_view subkey) {
  return IsAnySubkeyPresent(registry, {subkey});
}

}  // namespace devconfig
