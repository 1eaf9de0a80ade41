// The port selection at start-up.
#include "wnt43sup/Startup.h"

#include <string_view>

#include "base/Number.h"
#include "devconfig/DeviceConfig.h"
#include "wnt43sup/Dialogs.h"

namespace wnt43sup {

eft::PortSelection SelectPort(devconfig::Registry& registry, ui::Ui& ui) {
  if (devconfig::IsSubkeyPresent(registry, devconfig::kSubkey8343)) return {};
  ui::EntryResult typed = ui.RunEntry(CommPortDialog());
  if (!typed) return {};
  // Kept whole because the library takes 16 bits: 256 is COM256.
  std::string_view port;
  if (!typed->empty()) port = typed->front();
  return {true, static_cast<std::uint16_t>(base::AtoiInRange(port, 0xFFFF))};
}

}  // namespace wnt43sup
