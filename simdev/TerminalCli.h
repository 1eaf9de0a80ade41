// The simdev command's part for the emulated 8343 EFT terminal: its attach options, the fields
// `simdev set` changes, the smart card, and the image line `simdev show` adds.
#pragma once

#include "simdev/Cli.h"

namespace simdev {

extern const ModelCli kTerminalCli;

}  // namespace simdev
