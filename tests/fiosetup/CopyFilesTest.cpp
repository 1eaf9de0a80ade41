// Installing the device-support files: which files are copied, in which order, after which
// question and pauses, and where the copy stops.
#include <gtest/gtest.h>

#include "fiosetup/CopyFiles.h"
#include "fiosetup/Dialogs.h"
#include "fiosetup/Fakes.h"

using namespace fiosetup;
using fiosetup::testing::Fakes;
using Names = std::vector<std::string>;

namespace {

const Names k8341 = {"WNT41MAG.DLL", "WNT41MAG.LIB", "WNT41MAG.H"};
const Names k8341A = {"WNTA1MAG.DLL", "WNTA1MAG.LIB", "WNTA1MAG.H"};
const Names kMsr = {"WNT42MSR.DLL", "WNT42MSR.LIB", "WNT42MSR.H"};
const Names kMsrA = {"WNTA2MSR.DLL", "WNTA2MSR.LIB", "WNTA2MSR.H"};
const Names kPin = {"WNT42PIN.DLL", "WNT42PIN.LIB", "WNT42PIN.H", "WNTDLD42.EXE", "WNTDLD42.HLP"};
const Names kPinA = {"WNTA2PIN.DLL", "WNTA2PIN.LIB", "WNTA2PIN.H"};
const Names kCommon = {"WNT4XPDD.DLL", "W4XTRACE.EXE", "FIOSETUP.EXE", "README.DOC",
                       "FIOSETUP.HLP"};
const Names k8343 = {"WNT43EFT.DLL", "WNT43EFT.LIB", "WNT43EFT.H", "WNT43PDD.DLL",
                     "W43TRACE.EXE", "FIOSETUP.EXE", "README.DOC", "FIOSETUP.HLP"};
const Names k8343A = {"WNTA3EFT.DLL", "WNTA3EFT.LIB", "WNTA3EFT.H"};

Names Cat(std::initializer_list<Names> groups) {
  Names all;
  for (const Names& g : groups) all.insert(all.end(), g.begin(), g.end());
  return all;
}

std::string FileName(const std::string& path) { return path.substr(path.rfind('\\') + 1); }

// A source directory holding every file of every group, and the fakes around it.
struct Bench {
  Bench() {
    for (const Names& group : {k8341, k8341A, kMsr, kMsrA, kPin, kPinA, kCommon, k8343, k8343A}) {
      for (const std::string& name : group) f.files.Put("SRC\\" + name, "source " + name);
    }
  }

  CopyOutcome RunCopy(CopyMode mode, Names typed = {"SRC", "DST"}) {
    f.ui.Enter("SubDir", std::move(typed));
    if (async) f.ui.Answer(*async);
    return CopyDeviceFiles(table, mode, f.platform());
  }

  // The file names copied, in order; each must have come right after its own 500 ms pause.
  Names Copied() const {
    Names names;
    for (std::size_t i = 0; i < f.files.copies.size(); ++i) {
      const auto& copy = f.files.copies[i];
      EXPECT_EQ(copy.pausesBefore, i + 1) << copy.from;
      names.push_back(FileName(copy.to));
    }
    EXPECT_EQ(f.pause.waits, std::vector<unsigned>(f.files.copies.size(), 500u));
    return names;
  }

  void Added(DeviceKind kind, std::uint32_t port) { table.Port(kind) = port; }
  void Registered(DeviceKind kind, std::uint32_t port) {
    table.Port(kind) = port;
    table.Registered(kind) = true;
  }
  bool Asked() const {
    for (const std::string& text : f.ui.MessageTexts()) {
      if (text == "Asynchronous(polling) API support required?") return true;
    }
    return false;
  }

  Fakes f;
  DeviceTable table;
  std::optional<ui::Answer> async;  // the answer to the asynchronous question, if it comes
};

class Copy : public ::testing::Test, public Bench {};

struct Scenario {
  const char* name;
  std::vector<std::pair<DeviceKind, std::uint32_t>> added, registered;
  bool optionS;
  CopyMode mode;
  std::optional<ui::Answer> async;  // nothing: the question must not be asked
  Names copied;
};

TEST(CopyDeviceFiles, GroupsInTheirOrderForEachSituation) {
  using K = DeviceKind;
  // clang-format off
  const Scenario scenarios[] = {
      {"only a new 8343: no question, no asynchronous group",
       {{K::k8343, 4}}, {}, false, CopyMode::kInstall, std::nullopt,
       k8343},
      {"new 8341 and MSR with S: the 8341 group twice, the common group once",
       {{K::k8341, 1}, {K::k8342Msr, 2}}, {}, true, CopyMode::kInstall, ui::Answer::kNo,
       Cat({k8341, kMsr, k8341, kCommon})},
      {"the same with the asynchronous groups",
       {{K::k8341, 1}, {K::k8342Msr, 2}}, {}, true, CopyMode::kInstall, ui::Answer::kYes,
       Cat({k8341, k8341A, kMsr, kMsrA, k8341, k8341A, kCommon})},
      {"MSR without S",
       {{K::k8342Msr, 2}}, {}, false, CopyMode::kInstall, ui::Answer::kYes,
       Cat({kMsr, kMsrA, kCommon})},
      {"new 8341 and 8343: installer, README and help twice",
       {{K::k8341, 1}, {K::k8343, 4}}, {}, false, CopyMode::kInstall, ui::Answer::kNo,
       Cat({k8341, kCommon, k8343})},
      {"new 8341 and 8343, asynchronous",
       {{K::k8341, 1}, {K::k8343, 4}}, {}, false, CopyMode::kInstall, ui::Answer::kYes,
       Cat({k8341, k8341A, kCommon, k8343, k8343A})},
      {"PIN pad and MSR",
       {{K::k8342Pin, 3}, {K::k8342Msr, 2}}, {}, false, CopyMode::kInstall, ui::Answer::kYes,
       Cat({kMsr, kMsrA, kPin, kPinA, kCommon})},
      {"install copies only what is new",
       {{K::k8342Pin, 3}}, {{K::k8341, 1}, {K::k8342Msr, 2}}, true, CopyMode::kInstall,
       ui::Answer::kNo,
       Cat({kPin, kCommon})},
      {"install with nothing new: no question, nothing copied",
       {}, {{K::k8341, 1}, {K::k8343, 4}}, false, CopyMode::kInstall, std::nullopt,
       {}},
      {"update asks and copies every registered kind",
       {}, {{K::k8341, 1}, {K::k8343, 4}}, false, CopyMode::kUpdate, ui::Answer::kYes,
       Cat({k8341, k8341A, kCommon, k8343, k8343A})},
      {"update with the registered 8343 alone still asks",
       {}, {{K::k8343, 4}}, false, CopyMode::kUpdate, ui::Answer::kNo,
       k8343},
      {"update with nothing registered asks and copies nothing",
       {}, {}, false, CopyMode::kUpdate, ui::Answer::kYes,
       {}},
      {"update: new and registered kinds",
       {{K::k8342Pin, 3}}, {{K::k8342Msr, 2}}, true, CopyMode::kUpdate, ui::Answer::kNo,
       Cat({kMsr, k8341, kPin, kCommon})},
  };
  // clang-format on
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.name);
    Bench b;
    Fakes& f = b.f;
    for (auto [kind, port] : s.added) b.Added(kind, port);
    for (auto [kind, port] : s.registered) b.Registered(kind, port);
    b.table.optionS = s.optionS;
    b.async = s.async;
    CopyOutcome outcome = b.RunCopy(s.mode);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_EQ(outcome.target, "DST");
    EXPECT_EQ(b.Asked(), s.async.has_value());
    EXPECT_EQ(b.Copied(), s.copied);
    for (const auto& copy : f.files.copies) {
      EXPECT_EQ(copy.from, "SRC\\" + FileName(copy.to));
      EXPECT_EQ(copy.to, "DST\\" + FileName(copy.to));
    }
    // The status line shows whenever there was something to do.
    bool busy = !s.added.empty() || s.mode == CopyMode::kUpdate;
    EXPECT_EQ(f.status.shown, busy ? Names{"              Copying files ..."} : Names{});
    for (const std::string& name : s.copied) {
      EXPECT_EQ(f.files.Get("DST\\" + name), "source " + name);
    }
    EXPECT_EQ(f.ui.Problems(), Names{});
  }
}

TEST_F(Copy, TheAsynchronousQuestion) {
  Added(DeviceKind::k8341, 1);
  async = ui::Answer::kNo;
  RunCopy(CopyMode::kInstall);
  ASSERT_EQ(f.ui.Events().size(), 2u);
  EXPECT_EQ(f.ui.Events()[0].name, "SubDir");
  const ui::Message& m = f.ui.Events()[1].message;
  EXPECT_EQ(m.caption, "QRT 8300 FIO Devices Installation Program");
  EXPECT_EQ(m.text, "Asynchronous(polling) API support required?");
  EXPECT_EQ(m.icon, ui::Icon::kQuestion);
  EXPECT_EQ(m.buttons, ui::Buttons::kYesNo);
}

TEST_F(Copy, AQuestionThatEndsWithoutAnAnswerCopiesNothingLikeACancel) {
  Added(DeviceKind::k8341, 1);
  async = ui::Answer::kNone;  // the box died with the main window
  CopyOutcome outcome = RunCopy(CopyMode::kInstall);
  EXPECT_EQ(outcome.result, 0);
  EXPECT_TRUE(outcome.cancelled);
  EXPECT_TRUE(f.files.copies.empty());
  EXPECT_TRUE(f.status.shown.empty());
}

TEST_F(Copy, CancelledDialogCopiesNothingAndSaysSo) {
  Added(DeviceKind::k8341, 1);
  f.ui.Cancel("SubDir");
  CopyOutcome outcome = CopyDeviceFiles(table, CopyMode::kInstall, f.platform());
  EXPECT_EQ(outcome.result, 0);
  EXPECT_TRUE(outcome.cancelled);
  EXPECT_FALSE(Asked());
  EXPECT_TRUE(f.files.copies.empty());
  EXPECT_TRUE(f.files.madeDirectories.empty());
  EXPECT_TRUE(f.status.shown.empty());
}

TEST_F(Copy, SourceEqualToTargetIgnoringCaseCopiesNothing) {
  Added(DeviceKind::k8341, 1);
  CopyOutcome outcome = RunCopy(CopyMode::kUpdate, {"A:\\", "a:"});
  EXPECT_EQ(outcome.result, 1);
  EXPECT_FALSE(outcome.cancelled);
  EXPECT_FALSE(Asked());
  EXPECT_TRUE(f.status.shown.empty());
  EXPECT_TRUE(f.pause.waits.empty());
  EXPECT_TRUE(f.files.copies.empty());

  // Same letters but a different length is a different directory.
  f.files.copies.clear();
  async = ui::Answer::kNo;
  outcome = RunCopy(CopyMode::kInstall, {"SRC", "SRC2"});
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(f.files.copies.size(), k8341.size() + kCommon.size());
}

TEST_F(Copy, AMissingFileStopsTheCopyAndLeavesEarlierFiles) {
  std::filesystem::remove(f.files.Map("SRC\\WNT42PIN.H"));
  Added(DeviceKind::k8342Pin, 2);
  async = ui::Answer::kNo;
  CopyOutcome outcome = RunCopy(CopyMode::kInstall);
  EXPECT_EQ(outcome.result, 0);
  EXPECT_FALSE(outcome.cancelled);  // the caller reports this one
  EXPECT_EQ(Copied(), (Names{"WNT42PIN.DLL", "WNT42PIN.LIB", "WNT42PIN.H"}));
  EXPECT_EQ(f.files.Names("DST"), (Names{"WNT42PIN.DLL", "WNT42PIN.LIB"}));
}

TEST_F(Copy, ReplacesFilesOfTheSameName) {
  f.files.Put("DST\\WNT43EFT.DLL", "older");
  Added(DeviceKind::k8343, 4);
  EXPECT_EQ(RunCopy(CopyMode::kInstall).result, 1);
  EXPECT_EQ(f.files.Get("DST\\WNT43EFT.DLL"), "source WNT43EFT.DLL");
}

// From a CD or a read-only share every file arrives read-only; the files that two groups name
// are copied twice, and Update copies over every installed file.
TEST_F(Copy, ReadOnlySourceFilesInstallAndUpdateWritable) {
  for (const std::string& name : f.files.Names("SRC")) f.files.SetReadOnly("SRC\\" + name);
  Added(DeviceKind::k8341, 1);
  Added(DeviceKind::k8343, 4);
  async = ui::Answer::kYes;
  ASSERT_EQ(RunCopy(CopyMode::kInstall).result, base::kSucceeded);
  Registered(DeviceKind::k8341, 1);
  Registered(DeviceKind::k8343, 4);
  ASSERT_EQ(RunCopy(CopyMode::kUpdate).result, base::kSucceeded);
  for (const auto& copy : f.files.copies) EXPECT_TRUE(copy.ok) << copy.to;
  for (const std::string& name : f.files.Names("DST")) {
    EXPECT_FALSE(f.files.IsReadOnly("DST\\" + name)) << name;
  }
}

TEST_F(Copy, TrailingBackslashesGoAndTheTargetIsCreated) {
  Added(DeviceKind::k8343, 4);
  CopyOutcome outcome = RunCopy(CopyMode::kInstall, {"SRC\\", "NEW\\"});
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(outcome.target, "NEW");
  EXPECT_EQ(f.files.madeDirectories, Names{"NEW"});
  EXPECT_EQ(f.files.madeSecurities, Names{kCreatedFolderSecurity});
  EXPECT_EQ(f.files.copies.front().from, "SRC\\WNT43EFT.DLL");
  EXPECT_EQ(f.files.copies.front().to, "NEW\\WNT43EFT.DLL");
  EXPECT_EQ(f.files.Names("NEW").size(), k8343.size());
}

TEST_F(Copy, TheTargetPresetIsTheDefaultInstallDirectory) {
  std::filesystem::create_directory(f.files.Map("C:"));  // the drive
  Added(DeviceKind::k8343, 4);
  CopyOutcome outcome = RunCopy(CopyMode::kInstall, {"SRC"});  // target left as shown
  EXPECT_EQ(outcome.target, "C:\\W8300FIO");
  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(f.files.Get("C:\\W8300FIO\\FIOSETUP.EXE"), "source FIOSETUP.EXE");
}

TEST_F(Copy, AnExistingTargetIsNotCreatedAgain) {
  f.files.Put("DST\\other", "");
  Added(DeviceKind::k8343, 4);
  RunCopy(CopyMode::kInstall);
  EXPECT_TRUE(f.files.madeDirectories.empty());
}

TEST_F(Copy, AFailedTargetCreationShowsAsAFailingCopy) {
  Added(DeviceKind::k8343, 4);
  CopyOutcome outcome = RunCopy(CopyMode::kInstall, {"SRC", "NO\\SUCH"});  // one level only
  EXPECT_EQ(outcome.result, 0);
  EXPECT_FALSE(outcome.cancelled);
  EXPECT_EQ(f.files.copies.size(), 1u);
}

TEST_F(Copy, PathsLongerThan127CharactersFailWithoutCopying) {
  // 114 characters, a backslash and a 12-character name make exactly 127.
  const std::string fits(114, 'S');
  for (const std::string& name : k8343) f.files.Put(fits + "\\" + name, "long " + name);
  Added(DeviceKind::k8343, 4);
  EXPECT_EQ(RunCopy(CopyMode::kInstall, {fits, "DST"}).result, 1);
  EXPECT_EQ(f.files.Get("DST\\WNT43EFT.DLL"), "long WNT43EFT.DLL");

  struct Case {
    std::string source, target;
  };
  const Case tooLong[] = {
      {fits + "S", "DST"}, {"SRC", std::string(115, 'T')}, {"SRC", std::string(130, 'T')}};
  for (const Case& c : tooLong) {
    f.files.copies.clear();
    f.pause.waits.clear();
    f.files.madeDirectories.clear();
    CopyOutcome outcome = RunCopy(CopyMode::kInstall, {c.source, c.target});
    EXPECT_EQ(outcome.result, 0);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_TRUE(f.files.copies.empty());
    EXPECT_TRUE(f.pause.waits.empty());
    EXPECT_TRUE(f.files.madeDirectories.empty());  // a cut-short target is never created
  }
}

// Installing into the folder of the running installer: its image cannot be overwritten.
TEST(CopyDeviceFiles, TheRunningInstallerInTheTargetFolder) {
  struct Case {
    const char* name;
    std::string running;  // what the running FIOSETUP.EXE in the target holds
    bool sourceThere;
    int result;
    std::string exeAfter;
    std::optional<std::string> aside;  // FIOSETUP.OLD afterwards
    bool readOnly = false;             // the source, the running image and an old .OLD
  };
  const std::string source = "source FIOSETUP.EXE";
  const Case cases[] = {
      {"identical: counts as copied", source, true, 1, source, std::nullopt},
      {"another one: moved aside", "older", true, 1, source, "older"},
      {"no source: the running one stays", "older", false, 0, "older", std::nullopt},
      {"read-only media, a read-only .OLD in the way", "older", true, 1, source, "older", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    b.f.files.Put("DST\\FIOSETUP.EXE", c.running);
    b.f.files.running = "DST\\FIOSETUP.EXE";
    if (!c.sourceThere) std::filesystem::remove(b.f.files.Map("SRC\\FIOSETUP.EXE"));
    if (c.readOnly) {
      b.f.files.Put("DST\\FIOSETUP.OLD", "oldest");
      for (const char* path : {"SRC\\FIOSETUP.EXE", "DST\\FIOSETUP.EXE", "DST\\FIOSETUP.OLD"}) {
        b.f.files.SetReadOnly(path);
      }
    }
    b.Added(DeviceKind::k8343, 4);
    EXPECT_EQ(b.RunCopy(CopyMode::kInstall).result, c.result);
    bool copiedOver =
        std::any_of(b.f.files.copies.begin(), b.f.files.copies.end(),
                    [](const auto& copy) { return FileName(copy.to) == "FIOSETUP.EXE"; });
    EXPECT_EQ(copiedOver, c.running != source);
    EXPECT_EQ(b.f.files.copies.back().ok, c.result == 1);
    EXPECT_EQ(b.f.files.Get("DST\\FIOSETUP.EXE"), c.exeAfter);
    EXPECT_EQ(b.f.files.Get("DST\\FIOSETUP.OLD"), c.aside);
    EXPECT_FALSE(b.f.files.IsReadOnly("DST\\FIOSETUP.EXE"));
  }
}

TEST(Dialogs, SubDirAndSaveSubDir) {
  ui::EntryDialog sub = SubDirDialog();
  EXPECT_EQ(sub.name, "SubDir");
  ASSERT_EQ(sub.fields.size(), 2u);
  EXPECT_EQ(sub.fields[0].id, 800);
  EXPECT_EQ(sub.fields[0].preset, "");
  EXPECT_EQ(sub.fields[0].take, 128u);  // one more than a path holds: longer is refused
  EXPECT_EQ(sub.fields[1].id, 801);
  EXPECT_EQ(sub.fields[1].preset, "C:\\W8300FIO");
  EXPECT_EQ(sub.fields[1].take, 128u);
  EXPECT_EQ(sub.okId, 803);
  EXPECT_EQ(sub.cancelId, 804);
  EXPECT_EQ(sub.helpId, 0);

  ui::EntryDialog save = SaveSubDirDialog();
  EXPECT_EQ(save.name, "SaveSubDir");
  ASSERT_EQ(save.fields.size(), 1u);
  EXPECT_EQ(save.fields[0].id, 802);
  EXPECT_EQ(save.fields[0].preset, "C:\\W8300FIO");
  EXPECT_EQ(save.fields[0].take, 128u);
  EXPECT_EQ(save.okId, 803);
  EXPECT_EQ(save.cancelId, 804);
}

TEST(Dialogs, SaveDirectoryDropsOneBackslashAndIsCreatedOnlyWhenTheFileFits) {
  Fakes f;
  f.ui.Enter("SaveSubDir", {"CFG\\\\"});
  EXPECT_EQ(AskSaveDirectory(f.platform()), "CFG\\");
  EXPECT_EQ(f.files.madeDirectories, Names{"CFG\\"});
  EXPECT_EQ(f.files.madeSecurities, Names{kCreatedFolderSecurity});

  // 114 characters and "\FIOSETUP.CFG" make 127; one more, or a text cut by the field, is
  // refused before any directory is made.
  f.ui.Enter("SaveSubDir", {std::string(114, 'X') + "\\"});
  EXPECT_EQ(AskSaveDirectory(f.platform()), std::string(114, 'X'));
  for (std::size_t length : {115, 130}) {
    f.ui.Enter("SaveSubDir", {std::string(length, 'X')});
    EXPECT_EQ(AskSaveDirectory(f.platform()), std::nullopt);
  }

  f.ui.Cancel("SaveSubDir");
  EXPECT_EQ(AskSaveDirectory(f.platform()), std::nullopt);
  EXPECT_EQ(f.files.madeDirectories.size(), 2u);
  EXPECT_TRUE(f.ui.Problems().empty());
}

}  // namespace
