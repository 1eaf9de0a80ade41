// Writing the device table to the registry, and adding the installation to the user's PATH.
#pragma once

#include <string>

#include "base/Result.h"
#include "fiosetup/DeviceTable.h"
#include "fiosetup/Ports.h"

namespace fiosetup {

// Makes HKCR\QRT_8300_FIO_DEVICES mirror the table: creates or updates the subkey of every
// configured kind and deletes the subkey of every registered kind that is no longer
// configured. Returns kSucceeded; kFailed when a subkey operation fails (the kinds handled before
// stay written, with their registered flags); the registry's error code when the root key
// cannot be created. The availability changes only on success. Always pauses 1000 ms first.
base::Result WriteRegistry(DeviceTable& table, const Platform& platform);

// The 512-byte buffer that PATH is read into, and the most it reads.
inline constexpr std::size_t kPathBufferSize = 512;

// Appends "<target>;" to PATH in HKCU\ENVIRONMENT unless it is there already (asks before
// creating a missing PATH), then tells the running programs. Returns kSucceeded when the directory
// is in PATH afterwards or when the step does not apply (not Windows NT), kFailed otherwise.
base::Result UpdatePath(const DeviceTable& table, const std::string& target,
                        const Platform& platform);

}  // namespace fiosetup
