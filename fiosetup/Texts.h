// The installer's user-visible texts that its operations show, character for character.
#pragma once

namespace fiosetup {

// Caption of every message box of the installer, and the title of its main window.
inline constexpr char kTitle[] = "QRT 8300 FIO Devices Installation Program";

inline constexpr char kAskAsynchronous[] = "Asynchronous(polling) API support required?";
inline constexpr char kAskCreatePath[] = "PATH value not found, create it now?";

// Status lines of the steps that block the window (14 blanks in front).
inline constexpr char kStatusCopying[] = "              Copying files ...";
inline constexpr char kStatusRegistry[] = "              Updating registry ...";
inline constexpr char kStatusPath[] = "              Updating path environment variable ...";

// Questions and results of the menu commands.
inline constexpr char kAskThrowAway[] = "Throw away configuration changes?";
inline constexpr char kAskCompleteInstallation[] = "Complete installation?";
inline constexpr char kCopyFilesFailed[] = "Copy Files failed!";
inline constexpr char kUpdateRegistryFailed[] = "Update Registry failed!";
inline constexpr char kUpdateEnvironmentFailed[] = "Update Environment failed!";
inline constexpr char kInstallationComplete[] = "Installation complete!";
inline constexpr char kConfigurationSaved[] = "Configuration saved to FIOSETUP.CFG!";
inline constexpr char kSaveConfigurationFailed[] = "Save Configuration failed!.";
inline constexpr char kAskUpdateConfiguration[] = "Update configuration?";
inline constexpr char kUpdateConfigurationComplete[] = "Update configuration complete!";
inline constexpr char kUpdateConfigurationFailed[] = "Update configuration failed!";
inline constexpr char kAskUpdateDeviceSupport[] = "Update device support?";
inline constexpr char kUpdateDeviceSupportComplete[] = "Update device support complete!";
inline constexpr char kUpdateDeviceSupportFailed[] = "Update device support failed!";

// What the target directory field of the directory dialog and the save-directory field
// show when they open.
inline constexpr char kDefaultDirectory[] = "C:\\W8300FIO";

}  // namespace fiosetup
