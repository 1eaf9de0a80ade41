// Fault injection over the installer's flows: each flow runs once cleanly from one realistic
// state, then once for every registry call and every file operation of that clean run with
// exactly that call failing. Each run must leave what a failure at that point leaves by the
// flow's rules: the messages, the device key, PATH, the two folders, the changed flag and the
// menu. The expected state is built from the flow's planned steps, never taken from a run.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <map>

#include "fiosetup/ConfigFile.h"
#include "fiosetup/Dialogs.h"
#include "fiosetup/FIOSETUP.h"
#include "fiosetup/Fakes.h"
#include "fiosetup/FileGroups.h"
#include "fiosetup/Operations.h"
#include "fiosetup/Startup.h"
#include "fiosetup/Texts.h"
#include "tests/support/ConfigWords.h"

using namespace fiosetup;
using namespace devconfig;
using fiosetup::testing::DescribeAvailability;
using fiosetup::testing::Fakes;
using Texts = std::vector<std::string>;
using support::ConfigWords;

namespace {

const std::string kRoot = std::string("HKCR\\") + kRootKey;
constexpr char kEnv[] = "HKCU\\Environment";
constexpr char kPath[] = "PATH";
constexpr char kSource[] = "A:";
// The earlier installation: the running installer, the saved configuration.
const std::string kInstalled = kDefaultDirectory;
constexpr char kFresh[] = "D:\\W8300FIO";  // Install's target, created by the dialog
constexpr char kProgram[] = "FIOSETUP.EXE";
constexpr char kAside[] = "FIOSETUP.OLD";  // where the running installer is moved
constexpr char kFileOnDisk[] = "A:\\FIOSETUP.CFG";

std::string In(const std::string& dir, std::string_view name) {
  return dir + "\\" + std::string(name);
}

Texts GroupFiles(std::initializer_list<FileGroup> groups) {
  Texts names;
  for (FileGroup g : groups) {
    for (std::string_view name : FilesOf(g)) names.emplace_back(name);
  }
  return names;
}

using Folder = std::map<std::string, std::string>;                         // name -> contents
using Keys = std::map<std::string, std::map<std::string, std::uint32_t>>;  // device subkeys

struct Outcome {
  Texts messages;
  Keys devices;
  std::optional<std::string> path;
  int broadcasts = 0;
  Folder installed, fresh;
  bool changed = false;
  std::string availability;  // empty without a window
  long exitCode = 0;
  bool operator==(const Outcome&) const = default;
};

Outcome Ending(Outcome o, const char* message) {
  o.messages.push_back(message);
  return o;
}

struct NoPorts : ComPortDialog {
  std::uint32_t Choose() override { return 0; }
};
struct NoWindow : MainWindow {
  void Repaint() override {}
};

// Devices 8341 on COM2 and 8342 PIN on COM6 installed in C:\W8300FIO, whose installer runs;
// PATH holds that folder; FIOSETUP.CFG and FIOSETUP.BAK are there from earlier saves; the
// distribution diskette in A: holds every file.
struct World {
  World() {
    for (std::string_view name : DistributionFiles()) {
      f.files.Put(In(kSource, name), "new " + std::string(name));
    }
    for (const std::string& name :
         GroupFiles({FileGroup::k8341, FileGroup::k8342Pin, FileGroup::kFamilyCommon})) {
      f.files.Put(In(kInstalled, name), "old " + name);
    }
    f.files.Put(In(kInstalled, kConfigFileName), ConfigWords(2, 0, 0, 0));
    f.files.Put(In(kInstalled, kBackupFileName), ConfigWords(1, 0, 0, 0));
    f.files.running = In(kInstalled, kProgram);
    std::filesystem::create_directories(f.files.Map("D:\\"));
    f.registry.PutDword(In(kRoot, kSubkey8341), kValueComPort, 2);
    f.registry.PutDword(In(kRoot, kSubkey8341), kValueMode, 1);
    f.registry.PutDword(In(kRoot, kSubkey8342P), kValueComPort, 6);
    f.registry.PutString(kEnv, kPath, "C:\\BIN;" + kInstalled);
    table.nt = true;
    ReadConfiguration(table, f.registry);  // the start-up read, before any flow
  }

  Folder Contents(const std::string& dir) const {
    Folder folder;
    for (const std::string& name : f.files.Names(dir)) folder[name] = *f.files.Get(In(dir, name));
    return folder;
  }

  Outcome Capture(long exitCode, bool windowed) const {
    Outcome o;
    o.messages = f.ui.MessageTexts();
    for (const std::string& sub : f.registry.Subkeys(kRoot)) {
      auto& values = o.devices[sub];
      for (const std::string& v : f.registry.ValueNames(In(kRoot, sub))) {
        values[v] = f.registry.Dword(In(kRoot, sub), v).value_or(~0u);
      }
    }
    o.path = f.registry.String(kEnv, kPath);
    o.broadcasts = f.settingChange.broadcasts;
    o.installed = Contents(kInstalled);
    o.fresh = Contents(kFresh);
    if (windowed) {
      o.changed = table.changed;
      o.availability = DescribeAvailability(table.availability);
    }
    o.exitCode = exitCode;
    return o;
  }

  Fakes f;
  DeviceTable table;
  NoPorts ports;
  NoWindow window;
  Platform platform = f.platform();
  Program program{table, platform, ports, window};
};

// What a failing call does to its flow.
enum class Effect {
  kNone,          // the flow goes on as in the clean run
  kStopsCopy,     // the pending file copy fails: "... failed!", earlier copies stay
  kStopsWrite,    // the pending registry write fails: earlier writes stay, none after
  kStopsPath,     // the PATH update fails: the device key is written, PATH is not
  kStopsBackup,   // FIOSETUP.CFG cannot be backed up: nothing is replaced
  kStopsReplace,  // the new FIOSETUP.CFG is not complete: the backup stays, CFG is old
  kStopsRead,     // the configuration file reads short: exit 30, registry untouched
};

// A call's log line starts with `call` and holds `where`; the first matching row decides.
struct Row {
  const char* call;
  std::string where;
  Effect effect;
};
struct Stop {
  Effect effect = Effect::kNone;
  std::size_t step = 0;  // the copy or registry write that fails, counted from 0
};

// One planned write to the device key; an empty subkey is the root key.
struct Write {
  const char* op;
  const char* subkey;
  const char* value = nullptr;
  std::uint32_t data = 0;
  std::string Line() const {
    std::string key = *subkey ? In(kRoot, subkey) : kRoot;
    return std::string(op) + " " + key + (value ? std::string(":") + value : "");
  }
};

struct Flow;
using Expectation = std::function<Outcome(const Flow&, Outcome, Availability, Stop)>;

struct Flow {
  Flow(const char* name, int command, std::function<void(World&)> prepare)
      : name(name), command(command), prepare(std::move(prepare)) {}
  const char* name;
  int command;                          // the menu command; 0 for the command-line mode
  std::function<void(World&)> prepare;  // edits and the user's answers
  Folder Outcome::*target = nullptr;    // where the copies go
  Texts copies;                         // planned copies, in order
  std::vector<Write> writes;            // planned device key writes, in order
  std::vector<Row> registryRows, fileRows;
  Expectation expect;
};

// Applies the planned copies up to the failing one; false when the flow stopped there.
bool Copied(Outcome& o, const Flow& flow, Stop s) {
  std::size_t n = s.effect == Effect::kStopsCopy ? s.step : flow.copies.size();
  Folder& folder = o.*flow.target;
  for (std::size_t i = 0; i < n; ++i) {
    const std::string& name = flow.copies[i];
    // The running installer cannot be overwritten: it is moved aside first.
    if (flow.target == &Outcome::installed && name == kProgram) folder[kAside] = folder[name];
    folder[name] = "new " + name;
  }
  // A copy that arrived but could not be made writable fails as well.
  return s.effect != Effect::kStopsCopy;
}

bool Written(Outcome& o, const Flow& flow, Stop s) {
  std::size_t n = s.effect == Effect::kStopsWrite ? s.step : flow.writes.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Write& w = flow.writes[i];
    if (!*w.subkey) continue;  // the root key stays
    std::string op = w.op;
    if (op == "Create") o.devices[w.subkey];
    if (op == "Set") o.devices[w.subkey][w.value] = w.data;
    if (op == "Delete") o.devices.erase(w.subkey);
  }
  return n == flow.writes.size();
}

// The registry writer's success, with devices configured.
Availability RegistryWritten(Availability a) {
  a.Enable(IDM_UPDATE_DEVICESUPPORT);
  a.Enable(IDM_SAVETODISK);
  return a;
}

// The edits before Install and Update > Configuration: the 8341 moves to COM3, the PIN pad
// goes, an 8342 MSR comes on COM5 with the S option.
void Edit(World& w) {
  ChangeDevice(w.table, DeviceKind::k8341, 3);
  DeleteDevice(w.table, DeviceKind::k8342Pin);
  AddDevice(w.table, DeviceKind::k8342Msr, 5);
  ToggleOptionS(w.table);
}

const std::vector<Write> kEditedWrites = {
    {"Create", ""},
    {"Create", kSubkey8341},
    {"Set", kSubkey8341, kValueComPort, 3},
    {"Set", kSubkey8341, kValueMode, 1},
    {"Create", kSubkey8342M},
    {"Set", kSubkey8342M, kValueComPort, 5},
    {"Create", kSubkey8341},
    {"Set", kSubkey8341, kValueOptionS, 1},
    {"Delete", kSubkey8342P},
};

const std::vector<Row> kWriterRows = {
    {"Close", "", Effect::kNone},  // the values are set by then
    {"Create", kRoot, Effect::kStopsWrite},
    {"Set", kRoot, Effect::kStopsWrite},
    {"Delete", kRoot, Effect::kStopsWrite},
};

const std::vector<Row> kCopyRows = {
    // A wrong "missing" makes the dialog create a folder that is there: that fails unseen.
    {"DirectoryExists", "", Effect::kNone},
    {"MakeDirectory", "", Effect::kStopsCopy},  // no target folder: the first copy fails
    // Taken for another file, the running installer is copied onto, which fails.
    {"IsRunningProgram", In(kInstalled, kProgram), Effect::kStopsCopy},
    {"IsRunningProgram", "", Effect::kNone},
    {"SameContents", "", Effect::kNone},  // they differ anyway
    {"MoveReplacing", "", Effect::kStopsCopy},
    {"CopyReplacing", "", Effect::kStopsCopy},
    // Before and after every copy, and before the running image is moved aside.
    {"MakeWritable", "", Effect::kStopsCopy},
};

std::vector<Flow> Flows() {
  const std::string sub = SubDirDialog().name;
  std::vector<Row> installRows = kWriterRows;
  installRows.push_back({"Open", "HKCU\\", Effect::kStopsPath});
  installRows.push_back({"Query", "HKCU\\", Effect::kStopsPath});
  installRows.push_back({"Set", "HKCU\\", Effect::kStopsPath});
  std::vector<Row> restoreRows = kWriterRows;
  // Whatever the read misses, the key must mirror the file afterwards.
  restoreRows.push_back({"Open", kRoot, Effect::kNone});
  restoreRows.push_back({"Query", kRoot, Effect::kNone});

  Flow install{
      "Install", IDM_INSTALL, [sub](World& w) {
        Edit(w);
        w.f.ui.Answer(ui::Answer::kOk).Enter(sub, {kSource, kFresh}).Answer(ui::Answer::kYes);
      }};
  install.target = &Outcome::fresh;
  install.copies = GroupFiles({FileGroup::k8342Msr, FileGroup::k8342MsrAsync, FileGroup::k8341,
                               FileGroup::k8341Async, FileGroup::kFamilyCommon});
  install.writes = kEditedWrites;
  install.registryRows = installRows;
  install.fileRows = kCopyRows;
  install.expect = [](const Flow& flow, Outcome o, Availability a, Stop s) {
    o.messages = {kAskCompleteInstallation, kAskAsynchronous};
    if (!Copied(o, flow, s)) return Ending(o, kCopyFilesFailed);
    if (!Written(o, flow, s)) return Ending(o, kUpdateRegistryFailed);
    a = RegistryWritten(a);
    o.availability = DescribeAvailability(a);
    if (s.effect == Effect::kStopsPath) return Ending(o, kUpdateEnvironmentFailed);
    o.path = *o.path + ";" + kFresh + ";";
    o.broadcasts = 1;
    a.Grey(IDM_INSTALL);
    a.Enable(IDM_SAVETODISK);
    a.SetSubmenu(Submenu::kFileUpdate, true);
    a.Grey(IDM_UPDATE_CONFIGURATION);
    o.availability = DescribeAvailability(a);
    o.changed = false;
    return Ending(o, kInstallationComplete);
  };

  Flow configuration{"Update > Configuration", IDM_UPDATE_CONFIGURATION, [](World& w) {
                       Edit(w);
                       w.f.ui.Answer(ui::Answer::kOk);
                     }};
  configuration.writes = kEditedWrites;
  configuration.registryRows = kWriterRows;
  configuration.expect = [](const Flow& flow, Outcome o, Availability a, Stop s) {
    o.messages = {kAskUpdateConfiguration};
    bool written = Written(o, flow, s);
    if (written) a = RegistryWritten(a);
    a.Grey(IDM_UPDATE_CONFIGURATION);  // whatever the outcome
    o.availability = DescribeAvailability(a);
    o.changed = o.changed && !written;
    return Ending(o, written ? kUpdateConfigurationComplete : kUpdateConfigurationFailed);
  };

  Flow support{
      "Update > DeviceSupport", IDM_UPDATE_DEVICESUPPORT, [sub](World& w) {
        w.f.ui.Answer(ui::Answer::kOk).Enter(sub, {kSource, kInstalled}).Answer(ui::Answer::kNo);
      }};
  support.target = &Outcome::installed;
  support.copies = GroupFiles({FileGroup::k8341, FileGroup::k8342Pin, FileGroup::kFamilyCommon});
  support.fileRows = kCopyRows;
  support.expect = [](const Flow& flow, Outcome o, Availability, Stop s) {
    o.messages = {kAskUpdateDeviceSupport, kAskAsynchronous};
    return Ending(o,
                  Copied(o, flow, s) ? kUpdateDeviceSupportComplete : kUpdateDeviceSupportFailed);
  };

  Flow save{"SaveToDisk", IDM_SAVETODISK,
            [](World& w) { w.f.ui.Enter(SaveSubDirDialog().name, {kInstalled}); }};
  save.fileRows = {
      {"DirectoryExists", "", Effect::kNone},
      // A wrong "no previous file" must not cost the previous configuration its backup.
      {"FileExists", "", Effect::kNone},
      {"CopyReplacing", "", Effect::kStopsBackup},
      {"WriteReplacing", "", Effect::kStopsReplace},
      {"MoveReplacing", "", Effect::kStopsReplace},
  };
  save.expect = [](const Flow&, Outcome o, Availability, Stop s) {
    if (s.effect != Effect::kStopsBackup) {
      o.installed[kBackupFileName] = o.installed[kConfigFileName];
      if (s.effect != Effect::kStopsReplace) o.installed[kConfigFileName] = ConfigWords(2, 0, 6, 0);
    }
    return Ending(o, s.effect == Effect::kNone ? kConfigurationSaved : kSaveConfigurationFailed);
  };

  // The file gives the 8341 on COM3 and an 8343 on COM4, and leaves out the PIN pad.
  Flow restore{"command line", 0, [](World& w) {
                 w.table = DeviceTable{};  // nothing read yet: no window
                 w.f.files.Put(kFileOnDisk, ConfigWords(3, 0, 0, 4));
               }};
  restore.writes = {
      {"Create", ""},
      {"Create", kSubkey8341},
      {"Set", kSubkey8341, kValueComPort, 3},
      {"Set", kSubkey8341, kValueMode, 2},
      {"Delete", kSubkey8342M},
      {"Delete", kSubkey8342P},
      {"Create", kSubkey8343},
      {"Set", kSubkey8343, kValueComPort, 4},
  };
  restore.registryRows = restoreRows;
  restore.fileRows = {{"ReadStart", "", Effect::kStopsRead}};
  restore.expect = [](const Flow& flow, Outcome o, Availability, Stop s) {
    if (s.effect == Effect::kStopsRead) {
      o.exitCode = kExitNotAConfiguration;
    } else if (Written(o, flow, s)) {
      o.exitCode = 1;
    } else {  // the root key's own error code; 0 for a subkey
      o.exitCode = *flow.writes[s.step].subkey ? 0 : kErrorAccessDenied;
    }
    return o;
  };

  return {install, configuration, support, save, restore};
}

Stop StopAt(const Texts& calls, std::size_t i, const std::vector<Row>& rows, const char* counted) {
  const Row* row = nullptr;
  for (const Row& r : rows) {
    if (calls[i].rfind(r.call, 0) == 0 && calls[i].find(r.where) != std::string::npos) {
      row = &r;
      break;
    }
  }
  if (!row) {
    ADD_FAILURE() << "no row for " << calls[i];
    return {};
  }
  Stop stop{row->effect, 0};
  for (std::size_t j = 0; j < i; ++j) {
    for (const char* op : {"Create ", "Set ", "Delete ", "CopyReplacing "}) {
      if (calls[j].rfind(op, 0) == 0 && calls[j].find(counted) != std::string::npos) ++stop.step;
    }
  }
  return stop;
}

// The device key's writes of a clean run, without their results.
Texts Writes(const Texts& calls) {
  Texts writes;
  for (const std::string& line : calls) {
    if ((line.rfind("Create ", 0) == 0 || line.rfind("Set ", 0) == 0 ||
         line.rfind("Delete ", 0) == 0) &&
        line.find(kRoot) != std::string::npos) {
      writes.push_back(line.substr(0, line.rfind(" = ")));
    }
  }
  return writes;
}

void ExpectOutcome(const Outcome& got, const Outcome& want) {
  EXPECT_EQ(got.messages, want.messages);
  EXPECT_EQ(got.devices, want.devices);
  EXPECT_EQ(got.path, want.path);
  EXPECT_EQ(got.broadcasts, want.broadcasts);
  EXPECT_EQ(got.installed, want.installed);
  EXPECT_EQ(got.fresh, want.fresh);
  EXPECT_EQ(got.changed, want.changed);
  EXPECT_EQ(got.availability, want.availability);
  EXPECT_EQ(got.exitCode, want.exitCode);
}

// A run of a flow from the start state, with an optional failing registry call or file
// operation (indices into the flow's own calls).
struct Trial {
  Trial(const Flow& flow, std::optional<std::size_t> registryFault,
        std::optional<std::size_t> fileFault) {
    flow.prepare(w);
    before = w.table.availability;
    const bool windowed = flow.command != 0;
    start = w.Capture(0, windowed);
    registryFrom = w.f.registry.Log().size();
    fileFrom = w.f.files.calls.size();
    if (registryFault) w.f.registry.FailCall(registryFrom + *registryFault, kErrorAccessDenied);
    if (fileFault) w.f.files.failCall = fileFrom + *fileFault;
    long exitCode = 0;
    if (windowed) {
      RunCommand(w.program, flow.command);
    } else {
      exitCode = RestoreConfiguration(w.table, kFileOnDisk, w.platform);
    }
    got = w.Capture(exitCode, windowed);
    EXPECT_EQ(w.f.registry.OpenHandles(), 0u);
    EXPECT_EQ(w.f.ui.Problems(), Texts{});
    tidy = w.f.registry.OpenHandles() == 0 && w.f.ui.Problems().empty();
  }
  Texts RegistryCalls() const {
    return Texts(w.f.registry.Log().begin() + static_cast<long>(registryFrom),
                 w.f.registry.Log().end());
  }
  Texts FileCalls() const {
    return Texts(w.f.files.calls.begin() + static_cast<long>(fileFrom), w.f.files.calls.end());
  }
  World w;
  Availability before;
  Outcome start, got;
  bool tidy = false;  // no handle left open, no unexpected dialog
  std::size_t registryFrom = 0, fileFrom = 0;
};

TEST(FaultInjection, EveryCallOfEachFlowFailingInTurnLeavesWhatItsRulesSay) {
  for (const Flow& flow : Flows()) {
    SCOPED_TRACE(flow.name);
    Trial clean(flow, std::nullopt, std::nullopt);
    ExpectOutcome(clean.got, flow.expect(flow, clean.start, clean.before, {}));
    const Texts registryCalls = clean.RegistryCalls(), fileCalls = clean.FileCalls();
    // The plans the expectations are built from are the clean run's steps.
    Texts planned;
    for (const Write& w : flow.writes) planned.push_back(w.Line());
    EXPECT_EQ(Writes(registryCalls), planned);
    if (flow.target) {
      Texts copied;
      for (const auto& c : clean.w.f.files.copies)
        copied.push_back(c.to.substr(c.to.rfind('\\') + 1));
      EXPECT_EQ(copied, flow.copies);
    }

    // A fault past the last call is never reached.
    Trial unreached(flow, registryCalls.size(), fileCalls.size());
    ExpectOutcome(unreached.got, clean.got);

    std::size_t survived = 0;
    auto inject = [&](const Texts& calls, bool registry) {
      for (std::size_t i = 0; i < calls.size(); ++i) {
        SCOPED_TRACE("failing call " + std::to_string(i) + ": " + calls[i]);
        Stop stop = StopAt(calls, i, registry ? flow.registryRows : flow.fileRows,
                           registry ? kRoot.c_str() : "");
        Trial faulty(flow, registry ? std::optional(i) : std::nullopt,
                     registry ? std::nullopt : std::optional(i));
        Outcome want = flow.expect(flow, faulty.start, faulty.before, stop);
        ExpectOutcome(faulty.got, want);
        survived += faulty.tidy && faulty.got == want;
      }
    };
    inject(registryCalls, true);
    inject(fileCalls, false);
    std::cout << flow.name << ": " << registryCalls.size() << " registry calls, "
              << fileCalls.size() << " file operations; " << survived << " of "
              << registryCalls.size() + fileCalls.size() << " faults survived\n";
  }
}

}  // namespace
