// The directory dialogs of the installer behind the Ui port: what they show, what OK takes,
// and the directory that the operation creates afterwards.
#pragma once

#include <optional>
#include <string>

#include "fiosetup/Ports.h"
#include "ui/Ui.h"

namespace fiosetup {

// The security of a folder the installer creates, as a security descriptor string: a
// protected DACL (nothing inherited from the parent, whose entries under C:\ let every
// authenticated user change new folders) whose entries every file and folder in it inherits:
// full control for Administrators and SYSTEM, read and execute for Users. The folder holds
// the library that handles the PIN pad's master keys and the installer that administrators
// run elevated; only an administrator may replace them.
inline constexpr char kCreatedFolderSecurity[] =
    "D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

// "SubDir": source (empty) and target ("C:\W8300FIO"), OK and CANCEL.
ui::EntryDialog SubDirDialog();
// "SaveSubDir": the save directory ("C:\W8300FIO"), OK and CANCEL.
ui::EntryDialog SaveSubDirDialog();

struct Directories {
  std::string source;
  std::string target;
  // The target leaves room for a backslash and every file name of the groups, is neither empty
  // nor blanks alone, and neither directory holds a NUL (which would cut it short). When not,
  // the target was not created, and the installation fails before anything is copied.
  bool fits = true;
};

// Runs "SubDir". On OK each entry loses one trailing backslash, and the target directory is
// created (one level, with kCreatedFolderSecurity) when it does not exist; a failure to create it
// is not reported here and shows later as a failing copy. Nothing on CANCEL.
std::optional<Directories> AskInstallDirectories(const Platform& platform);

// Runs "SaveSubDir" likewise and creates the directory when it does not exist. Nothing on
// CANCEL, and nothing (no directory created either) when the directory leaves no room for
// "\FIOSETUP.CFG", is empty or blanks alone, or holds a NUL: the save then fails as a
// cancelled one does.
std::optional<std::string> AskSaveDirectory(const Platform& platform);

}  // namespace fiosetup
