// The 16-byte configuration file FIOSETUP.CFG: its record, its checks and the save.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/Result.h"
#include "fiosetup/DeviceTable.h"
#include "fiosetup/Ports.h"

namespace fiosetup {

inline constexpr char kConfigFileName[] = "FIOSETUP.CFG";
inline constexpr char kBackupFileName[] = "FIOSETUP.BAK";
// The new record is written here first and then renamed over FIOSETUP.CFG, so a failing write
// never leaves a cut-short configuration file.
inline constexpr char kNewConfigFileName[] = "FIOSETUP.NEW";
inline constexpr std::size_t kConfigFileSize = 16;

// Bit 31 of the first word; bits 0-30 hold the 8341 port.
inline constexpr std::uint32_t kOptionSBit = 0x80000000u;
// The highest port the installer offers (COM1 to COM256).
inline constexpr std::uint32_t kMaxPort = 256;

// What a configuration file holds: a port per kind (0 = not configured) and the S option.
struct ConfigRecord {
  std::array<std::uint32_t, 4> port{};
  bool optionS = false;
  bool operator==(const ConfigRecord&) const = default;
};

ConfigRecord RecordOf(const DeviceTable& table);
// Four little-endian 32-bit words; bit 31 of the first is set whenever S is, also without
// a configured 8342 MSR.
std::array<std::uint8_t, kConfigFileSize> EncodeConfiguration(const ConfigRecord& record);
ConfigRecord DecodeConfiguration(std::span<const std::uint8_t, kConfigFileSize> bytes);

// A record the installer itself could have saved: every port at most 256, and no 8343
// together with either 8342 personality.
bool IsValidConfiguration(const ConfigRecord& record);

// Copies an existing FIOSETUP.CFG of `directory` to FIOSETUP.BAK (replacing it), then replaces
// FIOSETUP.CFG with the table's record. Returns 1 only when all 16 bytes were written, 0
// otherwise, also when a path would not fit. When the previous file exists but cannot be
// backed up, nothing is replaced: it would then be in neither file. FIOSETUP.CFG always holds
// either its old bytes or the new 16. The table is not changed.
base::Result SaveConfiguration(const DeviceTable& table, const std::string& directory,
                               FileSystem& files);

}  // namespace fiosetup
