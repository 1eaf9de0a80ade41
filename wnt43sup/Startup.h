// The port selection at start-up: the configuration key decides, else the user types the port.
#pragma once

#include <cstdint>
#include <string_view>

#include "devconfig/Registry.h"
#include "eft/Exchange.h"
#include "ui/Ui.h"

namespace wnt43sup {

// The typed port read as C's atoi would (leading white space, one sign, digits up to the first
// other character; no digits give 0), kept whole because the library takes 16 bits: 256 is
// COM256. A value outside 0-65535 gives 0, which names no port, rather than wrapping onto the
// port of some other terminal.
std::uint16_t ParsePortNumber(std::string_view text);

// Once, before any command. With the subkey QRT8343 of the configuration key present, every
// exchange uses EftOpen (the library finds the configured port) and nothing is asked. Else the
// COMMPORT dialog asks: OK makes every exchange use EftOpenParms with the typed port; CANCEL
// leaves EftOpen. Neither stops the start-up.
eft::PortSelection SelectPort(devconfig::Registry& registry, ui::Ui& ui);

}  // namespace wnt43sup
