// The availability applied to a menu.
#include "fiosetup/win32/Win32Menu.h"

#include "fiosetup/FIOSETUP.h"
#include "fiosetup/Operations.h"

namespace fiosetup {

void ApplyAvailability(HMENU menu, const Availability& availability) {
  auto state = [](bool enabled) { return enabled ? MF_ENABLED : MF_GRAYED; };
  for (int id : Availability::kCommands) {
    EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | state(availability.Enabled(id)));
  }
  CheckMenuItem(menu, IDM_OPTION_S,
                MF_BYCOMMAND | (availability.SChecked() ? MF_CHECKED : MF_UNCHECKED));
  for (Submenu submenu : {Submenu::kFileUpdate, Submenu::kDeviceDelete, Submenu::kDeviceChange}) {
    MenuPosition at = PositionOf(submenu);
    EnableMenuItem(GetSubMenu(menu, at.menu), static_cast<UINT>(at.item),
                   MF_BYPOSITION | state(availability.SubmenuEnabled(submenu)));
  }
}

}  // namespace fiosetup
