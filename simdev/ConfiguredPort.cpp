// The configured port of a device, read from the device configuration key.
#include "simdev/ConfiguredPort.h"

#include <string>

#include "devconfig/DeviceConfig.h"

namespace simdev {

std::uint16_t ConfiguredPort(devconfig::Registry& registry,
                             std::initializer_list<std::string_view> subkeys) {
  constexpr std::uint16_t kDefaultPort = 1;
  devconfig::RegKey root = 0;
  // Read access is all a library needs: a user who may only read the key still gets the
  // recorded port, not port 1.
  if (registry.OpenKeyToRead(devconfig::kClassesRoot, devconfig::kRootKey, &root) != 0)
    return kDefaultPort;
  devconfig::KeyCloser closeRoot(registry, root);
  for (std::string_view name : subkeys) {
    devconfig::RegKey key = 0;
    if (registry.OpenKeyToRead(root, std::string(name), &key) != 0) continue;
    devconfig::KeyCloser closeKey(registry, key);
    std::uint32_t port = 0;
    if (devconfig::QueryDword(registry, key, devconfig::kValueComPort, &port) != 0 || port == 0)
      return kDefaultPort;
    return port > 0xFFFF ? 0 : static_cast<std::uint16_t>(port);
  }
  return kDefaultPort;
}

}  // namespace simdev
