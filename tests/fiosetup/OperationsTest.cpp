// The flows of the menu commands over the core and scripted ports: every question, message
// and icon, the order of the steps, what each failure leaves behind, the repaints, and the
// commands that a greyed menu would not let through.
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <sstream>

#include "fiosetup/ConfigFile.h"
#include "fiosetup/Dialogs.h"
#include "fiosetup/FIOSETUP.h"
#include "fiosetup/Fakes.h"
#include "fiosetup/HelpContexts.h"
#include "fiosetup/Operations.h"
#include "fiosetup/Texts.h"
#include "tests/ui/TypedTexts.h"

using namespace fiosetup;
using devconfig::MemoryRegistry;
using fiosetup::testing::DescribeAvailability;
using fiosetup::testing::Fakes;
using Texts = std::vector<std::string>;

namespace {

constexpr char kRoot[] = "HKCR\\QRT_8300_FIO_DEVICES";
constexpr char kEnv[] = "HKCU\\Environment";
const Texts k8343 = {"WNT43EFT.DLL", "WNT43EFT.LIB", "WNT43EFT.H", "WNT43PDD.DLL",
                     "W43TRACE.EXE", "FIOSETUP.EXE", "README.DOC", "FIOSETUP.HLP"};

class ScriptedPorts : public ComPortDialog {
 public:
  std::uint32_t Choose() override {
    ++shown;
    if (answers.empty()) return 0;
    std::uint32_t port = answers.front();
    answers.pop_front();
    return port;
  }
  std::deque<std::uint32_t> answers;
  int shown = 0;
};

// Remembers, for each repaint, how many dialogs and boxes had been shown by then.
class RecordingWindow : public MainWindow {
 public:
  explicit RecordingWindow(const ui::ScriptedUi& ui) : ui_(ui) {}
  void Repaint() override { repaints.push_back(ui_.Events().size()); }
  std::vector<std::size_t> repaints;

 private:
  const ui::ScriptedUi& ui_;
};

struct Bench {
  Bench() {
    f.registry.AddKey(kEnv);
    f.registry.PutString(kEnv, "PATH", "C:\\BIN");
    table.nt = true;
  }

  After Run(int command) { return RunCommand(session, command); }

  // Each message box as "<icon> <text>", with its buttons when it has more than OK:
  // '?' question, 'i' information, 'x' error. Every box must carry the program's title.
  Texts Shown() const {
    Texts shown;
    for (const auto& e : f.ui.Events()) {
      if (e.kind != ui::ScriptedUi::Event::Kind::kMessage) continue;
      EXPECT_EQ(e.message.caption, kTitle);
      char icon = e.message.icon == ui::Icon::kQuestion      ? '?'
                  : e.message.icon == ui::Icon::kInformation ? 'i'
                  : e.message.icon == ui::Icon::kError       ? 'x'
                                                             : '-';
      std::string text = std::string(1, icon) + " " + e.message.text;
      if (e.message.buttons == ui::Buttons::kOkCancel) text += " [OK/Cancel]";
      if (e.message.buttons == ui::Buttons::kYesNo) text += " [Yes/No]";
      shown.push_back(text);
    }
    return shown;
  }
  void Source(const Texts& names) {
    for (const std::string& name : names) f.files.Put("SRC\\" + name, "source " + name);
  }

  Fakes f;
  DeviceTable table;
  ScriptedPorts ports;
  RecordingWindow window{f.ui};
  Platform platform = f.platform();
  Program session{table, platform, ports, window};
};

TEST(ComPortItem, NumberLeftAlignedInThreeCharacters) {
  const std::pair<std::uint32_t, const char*> items[] = {{1, "COM1  "},   {9, "COM9  "},
                                                         {10, "COM10 "},  {99, "COM99 "},
                                                         {100, "COM100"}, {256, "COM256"}};
  for (const auto& [port, text] : items) EXPECT_EQ(ComPortItem(port), text);
  EXPECT_EQ(kComPortCount, 256u);
}

struct ExitCase {
  const char* name;
  bool changed;
  std::optional<ui::Answer> answer;
  After after;
  Texts shown;
};

TEST(Exit, AsksOnlyWithUnsavedEditsAndTheCloseBoxAsksTheSame) {
  const ExitCase cases[] = {
      {"no edits", false, std::nullopt, After::kClose, {}},
      {"edits, Yes",
       true,
       ui::Answer::kYes,
       After::kClose,
       {"? Throw away configuration changes? [Yes/No]"}},
      {"edits, No",
       true,
       ui::Answer::kNo,
       After::kNothing,
       {"? Throw away configuration changes? [Yes/No]"}},
  };
  for (const ExitCase& c : cases) {
    for (bool closeBox : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (closeBox ? ", close box" : ", Exit"));
      Bench b;
      b.table.changed = c.changed;
      if (c.answer) b.f.ui.Answer(*c.answer);
      EXPECT_EQ(closeBox ? CloseRequested(b.session) : b.Run(IDM_EXIT), c.after);
      EXPECT_EQ(b.Shown(), c.shown);
      EXPECT_TRUE(b.window.repaints.empty());
      EXPECT_EQ(b.f.ui.Problems(), Texts{});
    }
  }
}

TEST(Exit, AfterChangingOnlyThe8343PortItAsks) {
  // A new port of the 8343 is an unsaved edit like any other: leaving without a word would
  // lose it.
  Bench b;
  b.f.registry.PutDword(std::string(kRoot) + "\\QRT8343", "ComPort", 4);
  ReadConfiguration(b.table, b.f.registry);
  b.ports.answers = {6};
  EXPECT_EQ(b.Run(IDM_CHANGE_8343), After::kRepaint);
  b.f.ui.Answer(ui::Answer::kNo);
  EXPECT_EQ(b.Run(IDM_EXIT), After::kNothing);
}

TEST(Install, CopiesWritesTheRegistryAndPathThenReports) {
  Bench b;
  b.Source(k8343);
  AddDevice(b.table, DeviceKind::k8343, 3);
  b.f.ui.Answer(ui::Answer::kOk).Enter("SubDir", {"SRC", "DST\\"});
  EXPECT_EQ(b.Run(IDM_INSTALL), After::kRepaint);

  // A new 8343 alone is not asked about its asynchronous files.
  EXPECT_EQ(b.Shown(), (Texts{"? Complete installation? [OK/Cancel]", "i Installation complete!"}));
  EXPECT_EQ(b.f.ui.DialogNames(), Texts{"SubDir"});
  EXPECT_EQ(b.f.files.copies.size(), k8343.size());
  EXPECT_EQ(b.f.files.Get("DST\\WNT43EFT.DLL"), "source WNT43EFT.DLL");
  EXPECT_EQ(b.f.registry.Dword(std::string(kRoot) + "\\QRT8343", "ComPort"), 3u);
  EXPECT_EQ(b.f.registry.String(kEnv, "PATH"), "C:\\BIN;DST;");
  EXPECT_EQ(b.f.status.shown, (Texts{kStatusCopying, kStatusRegistry, kStatusPath}));
  // The window is repainted before "Installation complete!" shows (it is the third event).
  ASSERT_FALSE(b.window.repaints.empty());
  EXPECT_EQ(b.window.repaints.front(), 2u);
  EXPECT_FALSE(b.table.changed);
  EXPECT_EQ(DescribeAvailability(b.table.availability),
            "grey 104 106 201 202 203 300 301 302 400 401 402 500 | S unchecked | UDC");
  EXPECT_EQ(b.f.ui.Problems(), Texts{});
}

TEST(Install, NotNtLeavesThePathAlone) {
  Bench b;
  b.Source(k8343);
  b.table.nt = false;
  AddDevice(b.table, DeviceKind::k8343, 3);
  b.f.ui.Answer(ui::Answer::kOk).Enter("SubDir", {"SRC", "DST"});
  b.Run(IDM_INSTALL);
  EXPECT_EQ(b.Shown().back(), "i Installation complete!");
  EXPECT_EQ(b.f.registry.String(kEnv, "PATH"), "C:\\BIN");
}

struct InstallFailure {
  const char* name;
  std::function<void(Bench&)> setUp;
  Texts shown;
  bool registryWritten;
};

TEST(Install, EachFailureStopsThereAndKeepsTheEdits) {
  const InstallFailure cases[] = {
      {"question cancelled",
       [](Bench& b) { b.f.ui.Answer(ui::Answer::kCancel); },
       {"? Complete installation? [OK/Cancel]"},
       false},
      {"directory dialog cancelled",
       [](Bench& b) { b.f.ui.Answer(ui::Answer::kOk).Cancel("SubDir"); },
       {"? Complete installation? [OK/Cancel]"},
       false},
      {"a file missing",
       [](Bench& b) {
         b.f.files.Put("SRC\\WNT43EFT.DLL", "only one");
         b.f.ui.Answer(ui::Answer::kOk).Enter("SubDir", {"SRC", "DST"});
       },
       {"? Complete installation? [OK/Cancel]", "x Copy Files failed!"},
       false},
      {"the device key cannot be created",
       [](Bench& b) {
         b.Source(k8343);
         b.f.registry.Fail(MemoryRegistry::Op::kCreate, kRoot, 5);
         b.f.ui.Answer(ui::Answer::kOk).Enter("SubDir", {"SRC", "DST"});
       },
       {"? Complete installation? [OK/Cancel]", "x Update Registry failed!"},
       false},
      {"a value cannot be set",
       [](Bench& b) {
         b.Source(k8343);
         b.f.registry.Fail(MemoryRegistry::Op::kSet, "", 5, "ComPort");
         b.f.ui.Answer(ui::Answer::kOk).Enter("SubDir", {"SRC", "DST"});
       },
       {"? Complete installation? [OK/Cancel]", "x Update Registry failed!"},
       false},
      {"no environment key",
       [](Bench& b) {
         b.Source(k8343);
         b.f.registry.Fail(MemoryRegistry::Op::kOpen, kEnv, 2);
         b.f.ui.Answer(ui::Answer::kOk).Enter("SubDir", {"SRC", "DST"});
       },
       {"? Complete installation? [OK/Cancel]", "x Update Environment failed!"},
       true},
      {"PATH absent and not to be created",
       [](Bench& b) {
         b.Source(k8343);
         b.f.registry = MemoryRegistry();
         b.f.registry.AddKey(kEnv);
         b.f.ui.Answer(ui::Answer::kOk).Enter("SubDir", {"SRC", "DST"}).Answer(ui::Answer::kNo);
       },
       {"? Complete installation? [OK/Cancel]", "? PATH value not found, create it now? [Yes/No]",
        "x Update Environment failed!"},
       true},
  };
  for (const InstallFailure& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    AddDevice(b.table, DeviceKind::k8343, 3);
    const std::string before = DescribeAvailability(b.table.availability);
    c.setUp(b);
    EXPECT_EQ(b.Run(IDM_INSTALL), After::kRepaint);
    EXPECT_EQ(b.Shown(), c.shown);
    EXPECT_EQ(b.f.registry.Dword(std::string(kRoot) + "\\QRT8343", "ComPort").has_value(),
              c.registryWritten);
    EXPECT_TRUE(b.table.changed);
    // Install stays available; what the registry writer enabled on success stays enabled.
    EXPECT_TRUE(b.table.availability.Enabled(IDM_INSTALL));
    if (!c.registryWritten) {
      EXPECT_EQ(DescribeAvailability(b.table.availability), before);
    }
    EXPECT_EQ(b.f.ui.Problems(), Texts{});
  }
}

struct SaveCase {
  const char* name;
  std::function<void(Bench&)> setUp;
  const char* shown;
  bool written;
};

TEST(SaveToDisk, ReportsEitherWayWithTheInformationIcon) {
  const SaveCase cases[] = {
      {"saved", [](Bench& b) { b.f.ui.Enter("SaveSubDir", {"SAVE\\"}); },
       "i Configuration saved to FIOSETUP.CFG!", true},
      {"cancelled", [](Bench& b) { b.f.ui.Cancel("SaveSubDir"); }, "i Save Configuration failed!.",
       false},
      {"disk full after 8 bytes",
       [](Bench& b) {
         b.f.files.writeLimit = 8;
         b.f.ui.Enter("SaveSubDir", {"SAVE"});
       },
       "i Save Configuration failed!.", false},
  };
  for (const SaveCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    ReadConfiguration(b.table, b.f.registry);
    AddDevice(b.table, DeviceKind::k8341, 3);
    ToggleOptionS(b.table);
    b.table.availability.Enable(IDM_SAVETODISK);  // as after an Install
    c.setUp(b);
    EXPECT_EQ(b.Run(IDM_SAVETODISK), After::kNothing);
    EXPECT_EQ(b.Shown(), Texts{c.shown});
    EXPECT_TRUE(b.window.repaints.empty());
    if (c.written) {
      EXPECT_EQ(b.f.files.Get("SAVE\\FIOSETUP.CFG"),
                std::string("\x03\x00\x00\x80\0\0\0\0\0\0\0\0\0\0\0\0", 16));
    }
    EXPECT_TRUE(b.table.changed);  // saving is not writing the registry
  }
}

struct UpdateCase {
  const char* name;
  std::function<void(Bench&)> setUp;
  Texts shown;
  bool written;
  bool changedAfter;
};

TEST(UpdateConfiguration, GreysItselfWhateverTheAnswerAndOutcome) {
  const UpdateCase cases[] = {
      {"cancelled",
       [](Bench& b) { b.f.ui.Answer(ui::Answer::kCancel); },
       {"? Update configuration? [OK/Cancel]"},
       false,
       true},
      {"written",
       [](Bench& b) { b.f.ui.Answer(ui::Answer::kOk); },
       {"? Update configuration? [OK/Cancel]", "i Update configuration complete!"},
       true,
       false},
      {"failed",
       [](Bench& b) {
         b.f.registry.Fail(MemoryRegistry::Op::kDelete, "", 5);
         b.f.ui.Answer(ui::Answer::kOk);
       },
       {"? Update configuration? [OK/Cancel]", "x Update configuration failed!"},
       false,
       true},
  };
  for (const UpdateCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    b.f.registry.PutDword(std::string(kRoot) + "\\QRT8341", "ComPort", 2);
    b.f.registry.PutDword(std::string(kRoot) + "\\QRT8343", "ComPort", 4);
    ReadConfiguration(b.table, b.f.registry);
    DeleteDevice(b.table, DeviceKind::k8343);
    c.setUp(b);
    EXPECT_EQ(b.Run(IDM_UPDATE_CONFIGURATION), After::kRepaint);
    EXPECT_EQ(b.Shown(), c.shown);
    EXPECT_EQ(!b.f.registry.KeyExists(std::string(kRoot) + "\\QRT8343"), c.written);
    EXPECT_EQ(b.table.changed, c.changedAfter);
    EXPECT_FALSE(b.table.availability.Enabled(IDM_UPDATE_CONFIGURATION));
    // Greyed, it cannot run again until another edit.
    EXPECT_EQ(b.Run(IDM_UPDATE_CONFIGURATION), After::kNothing);
    EXPECT_EQ(b.f.ui.Problems(), Texts{});
  }
}

TEST(UpdateDeviceSupport, AsksCopiesTheRegisteredKindsAndReports) {
  const UpdateCase cases[] = {
      {"cancelled",
       [](Bench& b) { b.f.ui.Answer(ui::Answer::kCancel); },
       {"? Update device support? [OK/Cancel]"},
       false,
       false},
      {"directory dialog cancelled",
       [](Bench& b) { b.f.ui.Answer(ui::Answer::kOk).Cancel("SubDir"); },
       {"? Update device support? [OK/Cancel]"},
       false,
       false},
      {"copied",
       [](Bench& b) {
         b.Source(k8343);
         b.f.ui.Answer(ui::Answer::kOk).Enter("SubDir", {"SRC", "DST"}).Answer(ui::Answer::kNo);
       },
       {"? Update device support? [OK/Cancel]",
        "? Asynchronous(polling) API support required? [Yes/No]",
        "i Update device support complete!"},
       true,
       false},
      {"a file missing",
       [](Bench& b) {
         b.f.ui.Answer(ui::Answer::kOk).Enter("SubDir", {"SRC", "DST"}).Answer(ui::Answer::kNo);
       },
       {"? Update device support? [OK/Cancel]",
        "? Asynchronous(polling) API support required? [Yes/No]",
        "x Update device support failed!"},
       false,
       false},
  };
  for (const UpdateCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bench b;
    b.f.registry.PutDword(std::string(kRoot) + "\\QRT8343", "ComPort", 4);
    ReadConfiguration(b.table, b.f.registry);
    c.setUp(b);
    EXPECT_EQ(b.Run(IDM_UPDATE_DEVICESUPPORT), After::kRepaint);
    EXPECT_EQ(b.Shown(), c.shown);
    EXPECT_EQ(b.f.files.Get("DST\\FIOSETUP.HLP").has_value(), c.written);
    EXPECT_EQ(b.f.ui.Problems(), Texts{});
  }
}

TEST(DeviceCommands, ThePortDialogDecidesAndCancelChangesNothing) {
  Bench b;
  ReadConfiguration(b.table, b.f.registry);
  const DeviceTable start = b.table;

  EXPECT_EQ(b.Run(IDM_ADD_8342MSR), After::kNothing);  // CANCEL gives port 0
  EXPECT_EQ(b.ports.shown, 1);
  EXPECT_EQ(b.table.port, start.port);
  EXPECT_EQ(b.table.availability, start.availability);
  EXPECT_FALSE(b.table.changed);

  b.ports.answers = {5, 9};
  EXPECT_EQ(b.Run(IDM_ADD_8342MSR), After::kRepaint);
  EXPECT_EQ(b.table.Port(DeviceKind::k8342Msr), 5u);
  EXPECT_EQ(b.Run(IDM_CHANGE_8342MSR), After::kRepaint);
  EXPECT_EQ(b.table.Port(DeviceKind::k8342Msr), 9u);
  EXPECT_EQ(b.Run(IDM_CHANGE_8342MSR), After::kNothing);  // cancelled
  EXPECT_EQ(b.table.Port(DeviceKind::k8342Msr), 9u);
  EXPECT_EQ(b.Run(IDM_OPTION_S), After::kRepaint);
  EXPECT_TRUE(b.table.optionS);
  EXPECT_EQ(b.Run(IDM_DELETE_8342MSR), After::kRepaint);
  EXPECT_EQ(b.table.Port(DeviceKind::k8342Msr), 0u);
  EXPECT_EQ(b.table.deviceCount, 0);
  EXPECT_EQ(b.ports.shown, 4);
  EXPECT_TRUE(b.f.ui.Events().empty());  // no questions, no messages
}

TEST(DeviceCommands, WhatAGreyedMenuWouldNotLetThroughDoesNothing) {
  Bench b;
  ReadConfiguration(b.table, b.f.registry);  // nothing configured
  b.ports.answers = {1, 1, 1};
  const DeviceTable start = b.table;
  // Greyed commands, commands of greyed submenus, and ids the menu does not have.
  for (int command :
       {IDM_INSTALL, IDM_SAVETODISK, IDM_UPDATE_CONFIGURATION, IDM_UPDATE_DEVICESUPPORT,
        IDM_DELETE_8341, IDM_CHANGE_8343, IDM_OPTION_S, 0, 108, 204, 999}) {
    SCOPED_TRACE(command);
    EXPECT_EQ(b.Run(command), After::kNothing);
  }
  EXPECT_EQ(b.table.deviceCount, 0);
  EXPECT_EQ(b.table.availability, start.availability);
  EXPECT_EQ(b.ports.shown, 0);
  EXPECT_TRUE(b.f.ui.Events().empty());

  // With an 8343 configured, Add 8342 is greyed: the two never come together.
  EXPECT_EQ(b.Run(IDM_ADD_8343), After::kRepaint);
  EXPECT_EQ(b.Run(IDM_ADD_8342PIN), After::kNothing);
  EXPECT_EQ(b.table.Port(DeviceKind::k8342Pin), 0u);
}

TEST(HelpAndAbout, OpenTheHelpFileAtItsContextAndTheAboutDialog) {
  const std::pair<int, unsigned> help[] = {{IDM_HELP_FILE, kHelpContextFile},
                                           {IDM_HELP_DEVICE, kHelpContextDevice},
                                           {IDM_HELP_OPTION, kHelpContextOption},
                                           {IDM_HELP_GENERAL, kHelpContextGeneral}};
  for (const auto& [command, context] : help) {
    Bench b;
    EXPECT_EQ(b.Run(command), After::kNothing);
    ASSERT_EQ(b.f.ui.Events().size(), 1u);
    EXPECT_EQ(b.f.ui.Events()[0].help.file, kHelpFile);
    EXPECT_EQ(b.f.ui.Events()[0].help.context, context) << command;
  }
  Bench b;
  EXPECT_EQ(b.Run(IDM_ABOUT), After::kNothing);
  EXPECT_EQ(b.f.ui.DialogNames(), Texts{"About"});
  EXPECT_TRUE(b.f.ui.Events()[0].fields.empty());
  EXPECT_TRUE(b.window.repaints.empty());
}

// ---- Bad input in every directory field ----------------------------------------------------

// Every file written under the fake's root, as paths relative to it.
Texts FilesWritten(const Fakes& f) {
  Texts files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(f.dir.Path())) {
    if (entry.is_regular_file())
      files.push_back(std::filesystem::relative(entry.path(), f.dir.Path()).string());
  }
  return files;
}

// Each text of the table as the save directory: either the configuration file is written in
// exactly the typed directory, or the save fails and nothing is written anywhere.
TEST(BadInput, SaveDirectoryIsExactlyTheTypedOneOrNothingIsSaved) {
  const ui::Field field = SaveSubDirDialog().fields[0];
  for (const uitest::TypedText& t : uitest::TypedTexts(field)) {
    SCOPED_TRACE(t.name);
    Bench b;
    AddDevice(b.table, DeviceKind::k8341, 3);
    b.table.availability.Enable(IDM_SAVETODISK);
    b.f.ui.Enter(SaveSubDirDialog().name, {t.text});
    b.Run(IDM_SAVETODISK);
    const std::string file = ui::TakeField(t.text, field.take) + "\\" + kConfigFileName;
    if (b.Shown() == Texts{std::string("i ") + kConfigurationSaved}) {
      EXPECT_EQ(FilesWritten(b.f),
                Texts{b.f.files.Map(file).lexically_relative(b.f.dir.Path()).string()});
      EXPECT_TRUE(b.f.files.Get(file).has_value());
    } else {
      EXPECT_EQ(b.Shown(), Texts{std::string("i ") + kSaveConfigurationFailed});
      EXPECT_EQ(FilesWritten(b.f), Texts{});
    }
    EXPECT_EQ(b.f.RegistryWrites(), Texts{});
    EXPECT_EQ(b.f.ui.Problems(), Texts{});
  }
}

// Each text of the table as the source or the target of an installation, the other valid:
// either every file goes from exactly the typed source to exactly the typed target, which is
// then on the PATH, or the installation fails and neither registry nor PATH is touched.
TEST(BadInput, InstallDirectoriesAreExactlyTheTypedOnesOrNothingIsRecorded) {
  const ui::EntryDialog dialog = SubDirDialog();
  for (const uitest::BadEntry& e : uitest::BadEntries(dialog, {"SRC", "DST"})) {
    SCOPED_TRACE(e.label);
    const std::string &source = e.taken[0], &target = e.taken[1];
    Bench b;
    b.Source(k8343);
    AddDevice(b.table, DeviceKind::k8343, 3);
    b.f.ui.Answer(ui::Answer::kOk).Enter(dialog.name, e.typed);
    b.Run(IDM_INSTALL);
    ASSERT_FALSE(b.Shown().empty());
    if (b.Shown().back() == std::string("i ") + kInstallationComplete) {
      EXPECT_EQ(b.f.files.copies.size(), k8343.size());
      for (const auto& copy : b.f.files.copies) {
        EXPECT_EQ(copy.from.substr(0, source.size() + 1), source + "\\");
        EXPECT_EQ(copy.to.substr(0, target.size() + 1), target + "\\");
      }
      for (const std::string& name : k8343)
        EXPECT_EQ(b.f.files.Get(target + "\\" + name), "source " + name);
      EXPECT_EQ(b.f.registry.String(kEnv, "PATH"), "C:\\BIN;" + target + ";");
    } else {
      EXPECT_EQ(b.Shown().back(), std::string("x ") + kCopyFilesFailed);
      EXPECT_EQ(b.f.RegistryWrites(), Texts{});
      for (const auto& copy : b.f.files.copies) EXPECT_FALSE(copy.ok) << copy.to;
    }
    EXPECT_EQ(b.f.ui.Problems(), Texts{});
  }
}

}  // namespace
