// Names of the device configuration key and the presence test.
#include "devconfig/DeviceConfig.h"

#include <string>

namespace devconfig {

const char* SubkeyName(DeviceKind kind) {
  switch (kind) {
    case DeviceKind::k8341:
      return kSubkey8341;
    case DeviceKind::k8342Msr:
      return kSubkey8342M;
    case DeviceKind::k8342Pin:
      return kSubkey8342P;
    case DeviceKind::k8343:
      return kSubkey8343;
  }
  return "";
}

bool IsAnySubkeyPresent(Registry& registry, std::initializer_list<std::string_view> subkeys) {
  RegKey root = 0;
  if (registry.OpenKeyToRead(kClassesRoot, kRootKey, &root) != kErrorSuccess) return false;
  KeyCloser closeRoot(registry, root);
  for (std::string_view name : subkeys) {
    RegKey subkey = 0;
    if (registry.OpenKeyToRead(root, std::string(name), &subkey) == kErrorSuccess) {
      registry.CloseKey(subkey);
      return true;
    }
  }
  return false;
}

}  // namespace devconfig
