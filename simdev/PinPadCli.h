// The simdev command's part for the emulated 8342 PIN pad: its attach options and the fields
// `simdev set` changes.
#pragma once

#include "simdev/Cli.h"

namespace simdev {

extern const ModelCli kPinPadCli;

}  // namespace simdev
