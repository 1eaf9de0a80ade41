// The Registry port over the Win32 Reg*A functions.
#pragma once

#include "devconfig/Registry.h"

namespace devconfig {

class Win32Registry : public Registry {
 public:
  long OpenKey(RegKey parent, const std::string& subkey, RegKey* key) override;
  long OpenKeyToRead(RegKey parent, const std::string& subkey, RegKey* key) override;
  long CreateKey(RegKey parent, const std::string& subkey, RegKey* key) override;
  long QueryValue(RegKey key, const std::string& name, std::uint32_t capacity, std::uint32_t* type,
                  std::vector<std::uint8_t>* data) override;
  long SetValue(RegKey key, const std::string& name, std::uint32_t type,
                const std::vector<std::uint8_t>& data) override;
  long DeleteKey(RegKey parent, const std::string& subkey) override;
  long CloseKey(RegKey key) override;
};

}  // namespace devconfig
