// CopyDeviceFiles.
#include "fiosetup/CopyFiles.h"

#include <array>

#include "fiosetup/Dialogs.h"
#include "fiosetup/FileGroups.h"
#include "fiosetup/Paths.h"
#include "fiosetup/Texts.h"

namespace fiosetup {
namespace {

constexpr unsigned kPauseBeforeCopy = 500;

class Copier {
 public:
  Copier(const Platform& platform, const Directories& dirs) : platform_(platform), dirs_(dirs) {}

  bool CopyGroup(FileGroup group) {
    for (std::string_view name : FilesOf(group)) {
      if (!CopyOne(name)) return false;
    }
    return true;
  }

 private:
  bool CopyOne(std::string_view name) {
    // A directory too long for the path buffers fails like a copy that fails.
    auto from = JoinPath(dirs_.source, name);
    auto to = JoinPath(dirs_.target, name);
    if (!from || !to) return false;
    platform_.pause.Wait(kPauseBeforeCopy);
    if (platform_.files.IsRunningProgram(*to)) return ReplaceRunningProgram(*from, *to, name);
    return CopyWritable(*from, *to);
  }

  // Media that cannot be written (a CD, a mounted image, a read-only share) hand out their
  // files read-only, and a copy keeps that attribute, so the next copy onto it (the next
  // group that names the same file, any later Update) would be refused. A target is made
  // writable before it is copied over, and every copy after it is made.
  bool CopyWritable(const std::string& from, const std::string& to) {
    FileSystem& files = platform_.files;
    return files.MakeWritable(to) && files.CopyReplacing(from, to) && files.MakeWritable(to);
  }

  // The installer copied onto its own folder (the technician runs the copy that Install put
  // on PATH): its running image cannot be overwritten, but it can be renamed. An identical
  // file counts as copied; another one is moved aside to <name>.OLD (left there: a running
  // image cannot be deleted either) and the new one copied in.
  bool ReplaceRunningProgram(const std::string& from, const std::string& to,
                             std::string_view name) {
    FileSystem& files = platform_.files;
    if (files.SameContents(from, to)) return true;
    auto aside = JoinPath(dirs_.target, std::string(name.substr(0, name.find('.'))) + ".OLD");
    // The image moved aside last time came from the same media: it may be read-only.
    if (!aside || !files.MakeWritable(*aside) || !files.MoveReplacing(to, *aside)) return false;
    if (!files.CopyReplacing(from, to)) {
      // The folder keeps a working installer when the new one could not be copied.
      files.MoveReplacing(*aside, to);
      return false;
    }
    return files.MakeWritable(to);
  }

  const Platform& platform_;
  const Directories& dirs_;
};

}  // namespace

CopyOutcome CopyDeviceFiles(const DeviceTable& table, CopyMode mode, const Platform& platform) {
  CopyOutcome outcome;
  auto dirs = AskInstallDirectories(platform);
  if (!dirs) {
    outcome.cancelled = true;
    return outcome;
  }
  // A target too long for the file names fails as a copy that fails, before anything is done.
  if (!dirs->fits) return outcome;
  outcome.target = dirs->target;
  if (SameDirectory(dirs->source, dirs->target)) {
    outcome.result = base::kSucceeded;
    return outcome;
  }

  const bool update = mode == CopyMode::kUpdate;
  std::array<bool, 4> isNew{}, selected{};
  bool anyNew = false;
  for (DeviceKind kind : devconfig::kDeviceKinds) {
    std::size_t i = Index(kind);
    isNew[i] = table.port[i] != 0 && !table.registered[i];
    selected[i] = isNew[i] || (update && table.registered[i]);
    anyNew = anyNew || isNew[i];
  }

  bool async = false;
  if (anyNew || update) {
    // A new 8343 alone does not ask: its asynchronous group is then left out.
    if (isNew[Index(DeviceKind::k8341)] || isNew[Index(DeviceKind::k8342Msr)] ||
        isNew[Index(DeviceKind::k8342Pin)] || update) {
      ui::Message question{kTitle, kAskAsynchronous, ui::Icon::kQuestion, ui::Buttons::kYesNo};
      ui::Answer answer = platform.ui.ShowMessage(question);
      // Neither Yes nor No (the box died with the window): nothing is copied, as after a
      // cancelled directory dialog.
      if (answer != ui::Answer::kYes && answer != ui::Answer::kNo) {
        outcome.cancelled = true;
        return outcome;
      }
      async = answer == ui::Answer::kYes;
    }
    platform.status.Show(kStatusCopying);
  }

  Copier copier(platform, *dirs);
  auto copy = [&](FileGroup group, FileGroup asyncGroup) {
    return copier.CopyGroup(group) && (!async || copier.CopyGroup(asyncGroup));
  };
  bool family = false;
  if (selected[Index(DeviceKind::k8341)]) {
    if (!copy(FileGroup::k8341, FileGroup::k8341Async)) return outcome;
    family = true;
  }
  if (selected[Index(DeviceKind::k8342Msr)]) {
    if (!copy(FileGroup::k8342Msr, FileGroup::k8342MsrAsync)) return outcome;
    // With the S option set, the MSR needs the 8341 files as well.
    if (table.optionS && !copy(FileGroup::k8341, FileGroup::k8341Async)) return outcome;
    family = true;
  }
  if (selected[Index(DeviceKind::k8342Pin)]) {
    if (!copy(FileGroup::k8342Pin, FileGroup::k8342PinAsync)) return outcome;
    family = true;
  }
  if (family && !copier.CopyGroup(FileGroup::kFamilyCommon)) return outcome;
  if (selected[Index(DeviceKind::k8343)]) {
    if (!copy(FileGroup::k8343, FileGroup::k8343Async)) return outcome;
  }
  outcome.result = base::kSucceeded;
  return outcome;
}

}  // namespace fiosetup
