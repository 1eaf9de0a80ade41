// Applying the availability of the installer's commands to its real menu.
#pragma once

#include <windows.h>

#include "fiosetup/DeviceTable.h"

namespace fiosetup {

// Enables or greys every command, checks or unchecks S, and enables or greys the three
// submenus File > Update, Device > Delete and Device > Change as wholes.
void ApplyAvailability(HMENU menu, const Availability& availability);

}  // namespace fiosetup
