// The flows of the installer's menu commands.
#include "fiosetup/Operations.h"

#include <cstdio>
#include <optional>

#include "fiosetup/ConfigFile.h"
#include "fiosetup/CopyFiles.h"
#include "fiosetup/Dialogs.h"
#include "fiosetup/FIOSETUP.h"
#include "fiosetup/HelpContexts.h"
#include "fiosetup/RegistryWriter.h"
#include "fiosetup/Texts.h"

namespace fiosetup {
namespace {

ui::Answer Ask(Program& s, const char* text, ui::Buttons buttons) {
  return s.platform.ui.ShowMessage({kTitle, text, ui::Icon::kQuestion, buttons});
}

void Tell(Program& s, const char* text, ui::Icon icon) {
  s.platform.ui.ShowMessage({kTitle, text, icon, ui::Buttons::kOk});
}

// The submenu that holds a command, if any.
std::optional<Submenu> SubmenuOf(int commandId) {
  if (commandId == IDM_UPDATE_CONFIGURATION || commandId == IDM_UPDATE_DEVICESUPPORT) {
    return Submenu::kFileUpdate;
  }
  if (commandId >= IDM_DELETE_8341 && commandId <= IDM_DELETE_8343) return Submenu::kDeviceDelete;
  if (commandId >= IDM_CHANGE_8341 && commandId <= IDM_CHANGE_8343) return Submenu::kDeviceChange;
  return std::nullopt;
}

After AddOrChange(Program& s, DeviceKind kind, bool add) {
  std::uint32_t port = s.comPort.Choose();
  if (port == 0) return After::kNothing;
  if (add) {
    AddDevice(s.table, kind, port);
  } else {
    ChangeDevice(s.table, kind, port);
  }
  return After::kRepaint;
}

}  // namespace

std::string ComPortItem(std::uint32_t port) {
  char text[16];
  std::snprintf(text, sizeof text, "COM%-3d", static_cast<int>(port));
  return text;
}

MenuPosition PositionOf(Submenu submenu) {
  switch (submenu) {
    case Submenu::kFileUpdate:
      return {0, 1};
    case Submenu::kDeviceDelete:
      return {1, 1};
    case Submenu::kDeviceChange:
      return {1, 2};
  }
  return {0, 0};
}

unsigned HelpContext(int commandId) {
  switch (commandId) {
    case IDM_HELP_FILE:
      return kHelpContextFile;
    case IDM_HELP_DEVICE:
      return kHelpContextDevice;
    case IDM_HELP_OPTION:
      return kHelpContextOption;
    case IDM_HELP_GENERAL:
      return kHelpContextGeneral;
    default:
      return 0;
  }
}

bool Available(const Availability& availability, int commandId) {
  if (!availability.Enabled(commandId)) return false;
  auto submenu = SubmenuOf(commandId);
  return !submenu || availability.SubmenuEnabled(*submenu);
}

After CloseRequested(Program& s) {
  if (!s.table.changed) return After::kClose;
  return Ask(s, kAskThrowAway, ui::Buttons::kYesNo) == ui::Answer::kYes ? After::kClose
                                                                        : After::kNothing;
}

After Install(Program& s) {
  if (Ask(s, kAskCompleteInstallation, ui::Buttons::kOkCancel) != ui::Answer::kOk) {
    return After::kRepaint;
  }
  CopyOutcome copied = CopyDeviceFiles(s.table, CopyMode::kInstall, s.platform);
  if (copied.result != base::kSucceeded) {
    if (!copied.cancelled) Tell(s, kCopyFilesFailed, ui::Icon::kError);
    return After::kRepaint;
  }
  if (WriteRegistry(s.table, s.platform) != base::kSucceeded) {
    Tell(s, kUpdateRegistryFailed, ui::Icon::kError);
    return After::kRepaint;
  }
  if (UpdatePath(s.table, copied.target, s.platform) != base::kSucceeded) {
    Tell(s, kUpdateEnvironmentFailed, ui::Icon::kError);
    return After::kRepaint;
  }
  s.window.Repaint();
  Tell(s, kInstallationComplete, ui::Icon::kInformation);
  Availability& a = s.table.availability;
  a.Grey(IDM_INSTALL);
  a.Enable(IDM_SAVETODISK);
  a.SetSubmenu(Submenu::kFileUpdate, true);
  a.Grey(IDM_UPDATE_CONFIGURATION);
  s.table.changed = false;
  return After::kRepaint;
}

After SaveToDisk(Program& s) {
  auto directory = AskSaveDirectory(s.platform);
  // A cancelled dialog saved nothing, and says so like a failed save.
  base::Result result =
      directory ? SaveConfiguration(s.table, *directory, s.platform.files) : base::kFailed;
  Tell(s, result == base::kSucceeded ? kConfigurationSaved : kSaveConfigurationFailed,
       ui::Icon::kInformation);
  return After::kNothing;
}

After UpdateConfiguration(Program& s) {
  if (Ask(s, kAskUpdateConfiguration, ui::Buttons::kOkCancel) == ui::Answer::kOk) {
    if (WriteRegistry(s.table, s.platform) == base::kSucceeded) {
      Tell(s, kUpdateConfigurationComplete, ui::Icon::kInformation);
      s.table.changed = false;
    } else {
      Tell(s, kUpdateConfigurationFailed, ui::Icon::kError);
    }
  }
  s.table.availability.Grey(IDM_UPDATE_CONFIGURATION);
  return After::kRepaint;
}

After UpdateDeviceSupport(Program& s) {
  if (Ask(s, kAskUpdateDeviceSupport, ui::Buttons::kOkCancel) != ui::Answer::kOk) {
    return After::kRepaint;
  }
  CopyOutcome copied = CopyDeviceFiles(s.table, CopyMode::kUpdate, s.platform);
  if (copied.result == base::kSucceeded) {
    Tell(s, kUpdateDeviceSupportComplete, ui::Icon::kInformation);
  } else if (!copied.cancelled) {
    Tell(s, kUpdateDeviceSupportFailed, ui::Icon::kError);
  }
  return After::kRepaint;
}

namespace {

After Dispatch(int commandId, Program& s) {
  switch (commandId) {
    case IDM_EXIT:
      return CloseRequested(s);
    case IDM_INSTALL:
      return Install(s);
    case IDM_SAVETODISK:
      return SaveToDisk(s);
    case IDM_UPDATE_CONFIGURATION:
      return UpdateConfiguration(s);
    case IDM_UPDATE_DEVICESUPPORT:
      return UpdateDeviceSupport(s);
    case IDM_OPTION_S:
      ToggleOptionS(s.table);
      return After::kRepaint;
    case IDM_ABOUT:
      s.platform.ui.ShowResult({"About", {}, IDC_ABOUT_OK});
      return After::kNothing;
    default:
      break;
  }
  if (unsigned context = HelpContext(commandId)) {
    s.platform.ui.ShowHelp({kHelpFile, context});
    return After::kNothing;
  }
  if (auto kind = KindOfCommand(commandId)) {
    if (commandId == AddCommand(*kind)) return AddOrChange(s, *kind, true);
    if (commandId == ChangeCommand(*kind)) return AddOrChange(s, *kind, false);
    DeleteDevice(s.table, *kind);
    return After::kRepaint;
  }
  return After::kNothing;
}

}  // namespace

After RunCommand(Program& s, int commandId) {
  if (!Available(s.table.availability, commandId)) return After::kNothing;
  return Dispatch(commandId, s);
}

}  // namespace fiosetup
