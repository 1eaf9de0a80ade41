// Installing device-support files: which groups are copied, in what order, and the copy.
#pragma once

#include <string>

#include "base/Result.h"
#include "fiosetup/DeviceTable.h"
#include "fiosetup/Ports.h"

namespace fiosetup {

enum class CopyMode { kInstall = 0, kUpdate = 1 };

struct CopyOutcome {
  // kSucceeded (also when nothing had to be copied) or kFailed
  base::Result result = base::kFailed;
  // The directory dialog was cancelled, or a question ended without an answer: the caller
  // shows no message.
  bool cancelled = false;
  std::string target;  // the target directory chosen, for the PATH update
};

// Asks for the source and target directories, then copies the groups of the new kinds
// (Install) or of the new and registered kinds (Update), pausing 500 ms before every file.
// The first copy that fails ends the call with 0; files copied before it stay.
CopyOutcome CopyDeviceFiles(const DeviceTable& table, CopyMode mode, const Platform& platform);

}  // namespace fiosetup
