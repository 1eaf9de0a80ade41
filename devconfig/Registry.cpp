// Typed helpers over the raw registry port.
#include "devconfig/Registry.h"

#include <algorithm>
#include <cstring>

#include "base/LittleEndian.h"

namespace devconfig {

long QueryDword(Registry& registry, RegKey key, const std::string& name, std::uint32_t* field) {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  long rc = registry.QueryValue(key, name, sizeof(std::uint32_t), &type, &data);
  if (rc != kErrorSuccess) return rc;
  std::uint8_t bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(*field >> (8 * i));
  std::copy_n(data.begin(), std::min<std::size_t>(data.size(), 4), bytes);
  *field = base::Get32(bytes);
  return kErrorSuccess;
}

long SetDword(Registry& registry, RegKey key, const std::string& name, std::uint32_t value) {
  std::vector<std::uint8_t> data(4);
  for (int i = 0; i < 4; ++i) data[i] = static_cast<std::uint8_t>(value >> (8 * i));
  return registry.SetValue(key, name, kRegDword, data);
}

long QueryString(Registry& registry, RegKey key, const std::string& name, std::uint32_t capacity,
                 std::string* text, std::uint32_t* type) {
  std::vector<std::uint8_t> data;
  long rc = registry.QueryValue(key, name, capacity, type, &data);
  if (rc != kErrorSuccess) return rc;
  auto end = std::find(data.begin(), data.end(), std::uint8_t{0});
  text->assign(data.begin(), end);
  return kErrorSuccess;
}

long SetString(Registry& registry, RegKey key, const std::string& name, const std::string& text,
               std::uint32_t type) {
  std::vector<std::uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  return registry.SetValue(key, name, type, data);
}

}  // namespace devconfig
