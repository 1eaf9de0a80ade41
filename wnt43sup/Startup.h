// The port selection at start-up: the configuration key decides, else the user types the port.
#pragma once

#include "devconfig/Registry.h"
#include "eft/Exchange.h"
#include "ui/Ui.h"

namespace wnt43sup {

// Once, before any command. With the subkey QRT8343 of the configuration key present, every
// exchange uses EftOpen (the library finds the configured port) and nothing is asked. Else the
// COMMPORT dialog asks: OK makes every exchange use EftOpenParms with the typed port, read as
// C's atoi reads it and 0 (no port) outside 0-65535; CANCEL leaves EftOpen. Neither stops the
// start-up.
eft::PortSelection SelectPort(devconfig::Registry& registry, ui::Ui& ui);

}  // namespace wnt43sup
