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

// What the target directory field of the directory dialog and the save-directory field
// show when they open.
inline constexpr char kDefaultDirectory[] = "C:\\W8300FIO";

}  // namespace fiosetup
