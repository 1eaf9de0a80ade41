// The two directory dialogs.
#include "fiosetup/Dialogs.h"

#include "fiosetup/ConfigFile.h"
#include "fiosetup/FIOSETUP.h"
#include "fiosetup/FileGroups.h"
#include "fiosetup/Paths.h"
#include "fiosetup/Texts.h"

namespace fiosetup {
namespace {

ui::Field DirectoryField(int id, std::string preset) {
  ui::Field field;
  field.id = id;
  // One character more than a path holds: a longer text is refused, never cut to a directory
  // the technician did not type.
  field.take = kMaxPath + 1;
  field.preset = std::move(preset);
  return field;
}

// A NUL ends a path for every Win32 call, which would then act on a shorter directory than the
// text names. No edit control holds one, but a Ui may hand one over: such a text is refused.
bool CutShort(const std::string& directory) { return directory.find('\0') != std::string::npos; }

// Where files are written, nothing typed (or blanks alone, which Windows drops from the end of
// a name) would name the root of the current drive: the technician named no directory.
bool NamesNoDirectory(const std::string& directory) {
  return directory.find_first_not_of(' ') == std::string::npos;
}

void CreateIfMissing(FileSystem& files, const std::string& directory) {
  // One that exists keeps the security the technician chose for it.
  if (!files.DirectoryExists(directory)) files.MakeDirectory(directory, kCreatedFolderSecurity);
}

}  // namespace

ui::EntryDialog SubDirDialog() {
  ui::EntryDialog dialog;
  dialog.name = "SubDir";
  dialog.fields = {DirectoryField(IDC_SOURCE_DIR, ""),
                   DirectoryField(IDC_TARGET_DIR, kDefaultDirectory)};
  dialog.okId = IDC_DIR_OK;
  dialog.cancelId = IDC_DIR_CANCEL;
  return dialog;
}

ui::EntryDialog SaveSubDirDialog() {
  ui::EntryDialog dialog;
  dialog.name = "SaveSubDir";
  dialog.fields = {DirectoryField(IDC_SAVE_DIR, kDefaultDirectory)};
  dialog.okId = IDC_DIR_OK;
  dialog.cancelId = IDC_DIR_CANCEL;
  return dialog;
}

std::optional<Directories> AskInstallDirectories(const Platform& platform) {
  ui::EntryResult typed = platform.ui.RunEntry(SubDirDialog());
  if (!typed || typed->size() != 2) return std::nullopt;
  Directories dirs{StripTrailingBackslash((*typed)[0]), StripTrailingBackslash((*typed)[1])};
  dirs.fits = Holds(dirs.target, LongestFileName()) && !CutShort(dirs.source) &&
              !CutShort(dirs.target) && !NamesNoDirectory(dirs.target);
  if (dirs.fits) CreateIfMissing(platform.files, dirs.target);
  return dirs;
}

std::optional<std::string> AskSaveDirectory(const Platform& platform) {
  ui::EntryResult typed = platform.ui.RunEntry(SaveSubDirDialog());
  if (!typed || typed->size() != 1) return std::nullopt;
  std::string directory = StripTrailingBackslash((*typed)[0]);
  if (!Holds(directory, sizeof kConfigFileName - 1) || CutShort(directory) ||
      NamesNoDirectory(directory)) {
    return std::nullopt;
  }
  CreateIfMissing(platform.files, directory);
  return directory;
}

}  // namespace fiosetup
