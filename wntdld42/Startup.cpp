// The start-up of WNTDLD42.
#include "wntdld42/Startup.h"

#include "base/Number.h"
#include "devconfig/DeviceConfig.h"
#include "wntdld42/Dialogs.h"
#include "wntdld42/Texts.h"

namespace wntdld42 {

std::uint16_t PortFromText(std::string_view text) {
  return static_cast<std::uint16_t>(base::AtoiInRange(text.substr(0, 3), 255));
}

StartResult OpenPinPad(Program& p, devconfig::Registry& registry,
                       const std::function<void(int x, int y)>& placePointer) {
  Status rc = 0;
  if (devconfig::IsAnySubkeyPresent(registry, {devconfig::kSubkey8342P, devconfig::kSubkey8342M})) {
    rc = p.api.PinOpen(&p.handle);
  } else {
    if (placePointer) placePointer(kPromptPointerX, kPromptPointerY);
    ui::EntryResult typed = p.ui.RunEntry(CommPortDialog());
    if (!typed) return StartResult::kCancelled;
    rc = p.api.PinOpenParms(&p.handle, PortFromText(typed->empty() ? "" : typed->front()));
  }
  if (rc != 0) {
    ReportError(p.ui, kOpenError, rc);
    return StartResult::kOpenFailed;
  }
  return StartResult::kOpened;
}

}  // namespace wntdld42
