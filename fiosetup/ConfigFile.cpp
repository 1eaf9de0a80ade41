// Encoding, checking and saving the configuration file.
#include "fiosetup/ConfigFile.h"

#include <vector>

#include "fiosetup/Paths.h"

namespace fiosetup {

ConfigRecord RecordOf(const DeviceTable& table) {
  ConfigRecord record;
  record.port = table.port;
  record.optionS = table.optionS;
  return record;
}

std::array<std::uint8_t, kConfigFileSize> EncodeConfiguration(const ConfigRecord& record) {
  std::array<std::uint32_t, 4> words = record.port;
  words[0] &= ~kOptionSBit;
  if (record.optionS) words[0] |= kOptionSBit;
  std::array<std::uint8_t, kConfigFileSize> bytes{};
  for (std::size_t w = 0; w < 4; ++w) {
    for (std::size_t b = 0; b < 4; ++b) {
      bytes[4 * w + b] = static_cast<std::uint8_t>(words[w] >> (8 * b));
    }
  }
  return bytes;
}

ConfigRecord DecodeConfiguration(std::span<const std::uint8_t, kConfigFileSize> bytes) {
  ConfigRecord record;
  for (std::size_t w = 0; w < 4; ++w) {
    std::uint32_t word = 0;
    for (std::size_t b = 0; b < 4; ++b) {
      word |= static_cast<std::uint32_t>(bytes[4 * w + b]) << (8 * b);
    }
    record.port[w] = word;
  }
  record.optionS = (record.port[0] & kOptionSBit) != 0;
  record.port[0] &= ~kOptionSBit;
  return record;
}

bool IsValidConfiguration(const ConfigRecord& record) {
  for (std::uint32_t port : record.port) {
    if (port > kMaxPort) return false;
  }
  bool has8343 = record.port[Index(DeviceKind::k8343)] != 0;
  bool has8342 = record.port[Index(DeviceKind::k8342Msr)] != 0 ||
                 record.port[Index(DeviceKind::k8342Pin)] != 0;
  return !(has8343 && has8342);
}

base::Result SaveConfiguration(const DeviceTable& table, const std::string& directory,
                               FileSystem& files) {
  auto config = JoinPath(directory, kConfigFileName);
  auto backup = JoinPath(directory, kBackupFileName);
  auto fresh = JoinPath(directory, kNewConfigFileName);
  if (!config || !backup || !fresh) return base::kFailed;
  // Without a previous file there is nothing to back up; that is not a failure. The copy is
  // tried first and the file asked after only when it failed: a wrong "no such file" must not
  // let the previous configuration be replaced without its backup.
  if (!files.CopyReplacing(*config, *backup) && files.FileExists(*config)) return base::kFailed;
  auto bytes = EncodeConfiguration(RecordOf(table));
  std::size_t written = files.WriteReplacing(*fresh, {bytes.begin(), bytes.end()});
  if (written == kConfigFileSize && files.MoveReplacing(*fresh, *config)) return base::kSucceeded;
  files.Remove(*fresh);
  return base::kFailed;
}

}  // namespace fiosetup
