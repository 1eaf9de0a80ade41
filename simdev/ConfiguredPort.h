// The port a stand-in library's own open uses: the ComPort that the installer recorded for
// the device in the device configuration key.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "devconfig/Registry.h"

namespace simdev {

// The ComPort of the first of `subkeys` (under HKEY_CLASSES_ROOT\QRT_8300_FIO_DEVICES) that
// opens for reading. No subkey, or a present one without ComPort (or with 0): port 1. A
// ComPort above 65535 names no port this library can open: 0.
std::uint16_t ConfiguredPort(devconfig::Registry& registry,
                             std::initializer_list<std::string_view> subkeys);

}  // namespace simdev
