// The simdev command.
#include "simdev/Cli.h"

#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "simdev/Faults.h"
#include "simdev/PinPadCli.h"
#include "simdev/Serve.h"
#include "simdev/TerminalCli.h"
#include "simdev/Trace.h"

namespace simdev {

namespace {

using Args = std::span<const std::string>;

struct Context {
  const std::string& dir;
  std::string* out;
  std::string* err;
  ServeCommand serve;
  int status = kCliOk;
  // Says the problem; a usage error points to the usage.
  int Refuse(int code, const std::string& message) {
    *err += "simdev: " + message + (code == kCliUsage ? "\n(simdev help shows the usage)\n" : "\n");
    return status = code;
  }
  int Fail(const std::string& message) { return Refuse(kCliFailed, message); }
  int Usage(const std::string& message) { return Refuse(kCliUsage, message); }
};

const ModelCli* Model(const std::string& model) {
  for (const ModelCli* m : {&kTerminalCli, &kPinPadCli})
    if (model == m->model) return m;
  return nullptr;
}

std::string PortName(std::uint16_t port) { return "COM" + std::to_string(port); }

// A device a command found, its state loaded for one that changes it.
struct Device {
  AttachedDevice where;
  std::string path;
  KeyValues state;
  const ModelCli* model;
};

std::optional<std::uint16_t> Port(Context& c, const std::string& text) {
  auto port = ParsePort(text);
  if (!port) c.Usage("not a port: " + text + " (COMn or n, 1 to 65535)");
  return port;
}

// Nothing, with the problem said and c.status set, when there is no such device.
std::optional<Device> FindDevice(Context& c, const std::string& portText, bool load) {
  auto port = Port(c, portText);
  auto where = port ? DeviceOnPort(c.dir, *port) : std::nullopt;
  if (port && !where) c.Fail("no device attached on " + PortName(*port));
  if (!where) return std::nullopt;
  Device d{*where, JoinPath(c.dir, where->fileName), {}, Model(where->model)};
  if (load && LoadKeyValues(d.path, &d.state) != LoadResult::kOk) {
    c.Fail("the state file " + d.path + " is damaged");
    return std::nullopt;
  }
  return d;
}

// Saves what a device model's part changed and says what it did after `who`, or says why not.
int SaveDevice(Context& c, const Device& d, const CliResult& done, const std::string& who) {
  if (done.status != kCliOk) return c.Refuse(done.status, done.said);
  if (!SaveKeyValues(d.path, d.state, "simdev: emulated device " + d.where.fileName))
    return c.Fail("cannot write " + d.path);
  *c.out += who + done.said + "\n";
  return kCliOk;
}

int Attach(Context& c, Args a) {
  if (a.size() < 2) return c.Usage("attach needs a port and a model");
  auto port = Port(c, a[0]);
  if (!port) return c.status;
  const ModelCli* model = Model(a[1]);
  if (!model) return c.Usage("unknown model " + a[1] + " (known: 8343, 8342)");
  const std::string file = DeviceFileName(*port, a[1]);
  Device d{{*port, a[1], file}, JoinPath(c.dir, file), {}, model};
  CliResult done = model->attach(*port, a.subspan(2), &d.state);
  if (done.status == kCliOk) {
    if (auto other = DeviceOnPort(c.dir, *port))
      return c.Fail(PortName(*port) + " already has a device: " + other->fileName);
    std::error_code ec;
    std::filesystem::create_directories(c.dir, ec);
    done.said += " on " + PortName(*port);
  }
  return SaveDevice(c, d, done, "attached ");
}

int Detach(Context& c, Args a) {
  if (a.size() != 1) return c.Usage("detach needs a port");
  auto d = FindDevice(c, a[0], false);
  if (!d) return c.status;
  std::error_code ec;
  std::filesystem::remove(d->path, ec);
  if (ec) return c.Fail("cannot remove " + d->where.fileName);
  *c.out += "detached " + d->where.fileName + "\n";
  return kCliOk;
}

int Show(Context& c, Args a) {
  if (a.size() > 1) return c.Usage("show takes at most a port");
  auto one = a.empty() ? std::nullopt : FindDevice(c, a[0], false);
  if (!a.empty() && !one) return c.status;
  std::vector<AttachedDevice> devices = one ? std::vector{one->where} : ListDevices(c.dir);
  if (devices.empty()) *c.out += "no device attached (state directory " + c.dir + ")\n";
  for (const AttachedDevice& where : devices) {
    *c.out += where.fileName + "\n";
    KeyValues state;
    if (LoadKeyValues(JoinPath(c.dir, where.fileName), &state) != LoadResult::kOk) {
      *c.out += "  (damaged state file)\n";
      continue;
    }
    const ModelCli* model = Model(where.model);
    std::string after = model && model->show ? model->show(state) : "";
    for (const auto& [key, value] : state) *c.out += "  " + key + "=" + value + "\n";
    *c.out += after;
  }
  return kCliOk;
}

int Set(Context& c, Args a) {
  if (a.size() != 3) return c.Usage("set needs a port, a field and a value");
  auto d = FindDevice(c, a[0], true);
  if (!d) return c.status;
  const std::string& file = d->where.fileName;
  return SaveDevice(c, *d,
                    d->model ? d->model->set(file, d->state, a[1], a[2])
                             : CliResult{kCliUsage, "no field " + a[1] + " to set on " + file},
                    file + ": ");
}

int Card(Context& c, Args a) {
  if (a.size() < 2 || a.size() > 3) return c.Usage("card needs a port and insert [ATR] or remove");
  auto d = FindDevice(c, a[0], true);
  if (!d) return c.status;
  if (!d->model || !d->model->card) return c.Fail(d->where.fileName + " has no smart-card slot");
  return SaveDevice(c, *d, d->model->card(d->state, a.subspan(1)), PortName(d->where.port) + ": ");
}

int Fault(Context& c, Args a) {
  if (a.empty()) return c.Usage("fault needs a port and what fails");
  auto d = FindDevice(c, a[0], true);
  if (!d) return c.status;
  CliResult done{kCliUsage, ""};
  if (auto said = faults::Script(a.subspan(1), d->where.model, d->state, &done.said))
    done = {kCliOk, *said};
  return SaveDevice(c, *d, done, PortName(d->where.port) + ": ");
}

int Trace(Context& c, Args a) {
  std::vector<std::string> drivers = {trace::kDriver43, trace::kDriver4X};
  if (a.size() == 2 && !trace::IsDriver(a[0]))
    return c.Usage("unknown driver " + a[0] + " (WNT43PDD or WNT4XPDD)");
  if (a.size() == 2) drivers = {a[0]};
  const std::string what = a.size() == 1 || a.size() == 2 ? a.back() : "";
  if (what != "on" && what != "off" && what != "show" && what != "clear")
    return c.Usage("trace needs on, off, show or clear");
  std::error_code ec;
  std::filesystem::create_directories(c.dir, ec);
  for (const std::string& driver : drivers) {
    if (what == "show") {
      std::vector<trace::Record> records = trace::Decode(trace::Read(c.dir, driver));
      *c.out += driver + ": tracing " + (trace::IsTracing(c.dir, driver) ? "on" : "off") + ", " +
                std::to_string(records.size()) + " records\n";
      for (const trace::Record& r : records) *c.out += "  " + trace::Describe(r) + "\n";
    } else if (what == "clear") {
      trace::Clear(c.dir, driver);
      *c.out += driver + ": trace cleared\n";
    } else if (!trace::SetTracing(c.dir, driver, what == "on")) {
      return c.Fail("cannot write the settings");
    } else {
      *c.out += driver + ": tracing " + what + "\n";
    }
  }
  return kCliOk;
}

struct Command {
  const char* name;
  int (*run)(Context&, Args);
  std::string usage;  // its lines in `simdev help`
};

const std::vector<Command>& Commands() {
  // serve's own usage set in as the others are: the command, then what it does.
  static const std::string serve = [] {
    std::string lines = "  ";
    for (char ch : std::string_view(kServeUsage).substr(std::strlen("usage: simdev ")))
      lines += ch == '\n' ? "\n    " : std::string(1, ch);
    return lines.substr(0, lines.size() - 4);
  }();
  static const std::vector<Command> commands = {
      {"help",
       [](Context& c, Args) {
         *c.out += CliUsage(c.dir);
         return kCliOk;
       },
       ""},
      {"dir",
       [](Context& c, Args a) {
         if (!a.empty()) return c.Usage("dir takes no arguments");
         *c.out += c.dir + "\n";
         return kCliOk;
       },
       "  dir                              show the state directory\n"},
      {"attach", Attach,
       "  attach PORT 8343 [single|dual] [serial=41-NNNNN]\n"
       "                                   attach an emulated EFT terminal (dual by default)\n"
       "  attach PORT 8342 [serial=HHHHHHHHHHHHHHHH] [version=TEXT]\n"
       "                                   attach an emulated PIN pad (serial number in\n"
       "                                   hexadecimal, hardware version text)\n"},
      {"detach", Detach, "  detach PORT                      detach the device on PORT\n"},
      {"show", Show, "  show [PORT]                      show every attached device, or one\n"},
      {"set", Set,
       "  set PORT FIELD VALUE             change serial, main_microcode, main_application,\n"
       "                                   security_microcode, security_application,\n"
       "                                   status (hexadecimal) or processors (1 or 2);\n"
       "                                   on a PIN pad serial (16 hexadecimal digits),\n"
       "                                   hardware_version (at most 31 characters) or mode\n"
       "                                   (encrypted or clear)\n"},
      {"card", Card,
       "  card PORT insert [ATR] | remove  put a smart card in the slot (its response-to-reset\n"
       "                                   data in hexadecimal) or take it out\n"},
      {"fault", Fault,
       "  fault PORT WHAT                  script a fault, used by the next call it fits:\n"
       "      open [CODE]                  the next open fails (library status, default 5)\n"
       "      write [CODE]                 the next write fails (default 29)\n"
       "      read [CODE]                  the next read fails (default 30)\n"
       "      rc XX                        the next command is refused with RC XX (hexadecimal)\n"
       "      short N                      the next answer is cut to its first N bytes\n"
       "      dload CODE                   the next download returns CODE\n"
       "      clear                        no scripted fault\n"
       "    on a PIN pad:\n"
       "      open [CODE]                  the next open fails (default 5)\n"
       "      call CODE                    the next call on an open handle but PinClose\n"
       "                                   returns CODE (1 to 65535)\n"
       "      PinLoadKey CODE              the next call of that function returns CODE; any\n"
       "                                   of the twelve (PinEnterMasterKey: the entry at\n"
       "                                   the pad ends with CODE)\n"
       "    on either:\n"
       "      line drop|garble|silence [N] the next N frames (default 1) are lost on the way\n"
       "                                   to the device, garbled, or carried out with the\n"
       "                                   answer lost\n"
       "      line delay MS [N]            the next N answers come MS ms late\n"
       "      line unplug                  the device answers nothing more\n"
       "      ... skip=N                   let N fitting calls (frames) pass before the fault\n"
       "                                   hits\n"},
      {"trace", Trace,
       "  trace [DRIVER] on|off|show|clear the port drivers' traces (WNT43PDD, WNT4XPDD;\n"
       "                                   both when no driver is named)\n"},
      {"serve",
       [](Context& c, Args a) {
         return c.serve ? c.serve(a, c.dir, c.err)
                        : c.Fail("serve runs only in the simdev program");
       },
       serve},
  };
  return commands;
}

}  // namespace

std::string CliUsage(const std::string& dir) {
  std::string usage = "usage: simdev COMMAND [ARGUMENTS]\n";
  for (const Command& command : Commands()) usage += command.usage;
  return usage + "PORT is COMn or n (1 to 65535). State directory: " + dir + "\n(set " +
         kStateDirVariable + " to choose another)\n";
}

int RunCli(Args args, const std::string& dir, std::string* out, std::string* err,
           ServeCommand serve) {
  Context c{dir, out, err, serve};
  if (args.empty()) return c.Usage("no command");
  const std::string name = args[0] == "--help" || args[0] == "-h" ? "help" : args[0];
  for (const Command& command : Commands())
    if (name == command.name) return command.run(c, args.subspan(1));
  return c.Usage("unknown command " + args[0]);
}

}  // namespace simdev
