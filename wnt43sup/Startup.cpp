// The port selection at start-up.
#include "wnt43sup/Startup.h"

#include "devconfig/DeviceConfig.h"
#include "wnt43sup/Dialogs.h"

namespace wnt43sup {

std::uint16_t ParsePortNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    if (value > 0xFFFF) return 0;
  }
  if (negative && value != 0) return 0;
  return static_cast<std::uint16_t>(value);
}

eft::PortSelection SelectPort(devconfig::Registry& registry, ui::Ui& ui) {
  if (devconfig::IsSubkeyPresent(registry, devconfig::kSubkey8343)) return {};
  ui::EntryResult typed = ui.RunEntry(CommPortDialog());
  if (!typed) return {};
  return {true, ParsePortNumber(typed->empty() ? "" : typed->front())};
}

}  // namespace wnt43sup
