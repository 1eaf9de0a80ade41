// The simdev command.
#include "simdev/Cli.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <system_error>
#include <vector>

#include "base/Hex.h"
#include "simdev/Digest.h"
#include "simdev/PinPad8342.h"
#include "simdev/PinPadCli.h"
#include "simdev/State.h"
#include "simdev/Terminal8343.h"
#include "simdev/Trace.h"

namespace simdev {

namespace {

struct Context {
  const std::string& dir;
  std::string* out;
  std::string* err;
  int Fail(const std::string& message) {
    *err += "simdev: " + message + "\n";
    return kCliFailed;
  }
  int Usage(const std::string& message) {
    *err += "simdev: " + message + "\n(simdev help shows the usage)\n";
    return kCliUsage;
  }
};

std::string PortName(std::uint16_t port) { return "COM" + std::to_string(port); }

// The fields `simdev set` may change on an 8343, with their widths (0: not text).
struct SettableField {
  const char* name;
  std::size_t width;
};
constexpr SettableField k8343Fields[] = {
    {"serial", Terminal8343::kSerialWidth},
    {"main_microcode", Terminal8343::kMainMicrocodeWidth},
    {"main_application", Terminal8343::kMainApplicationWidth},
    {"security_microcode", Terminal8343::kSecurityMicrocodeWidth},
    {"security_application", Terminal8343::kSecurityApplicationWidth},
    {"status", 0},
    {"processors", 0},
};

// A device loaded for a command that changes it.
struct Device {
  AttachedDevice where;
  std::string path;
  KeyValues state;
};

std::optional<Device> LoadDevice(Context& c, const std::string& portText, int* status) {
  auto port = ParsePort(portText);
  if (!port) {
    *status = c.Usage("not a port: " + portText + " (COMn or n, 1 to 65535)");
    return std::nullopt;
  }
  auto where = DeviceOnPort(c.dir, *port);
  if (!where) {
    *status = c.Fail("no device attached on " + PortName(*port));
    return std::nullopt;
  }
  Device d{*where, JoinPath(c.dir, where->fileName), {}};
  if (LoadKeyValues(d.path, &d.state) != LoadResult::kOk) {
    *status = c.Fail("the state file " + d.path + " is damaged");
    return std::nullopt;
  }
  return d;
}

int SaveDevice(Context& c, const Device& d, const std::string& message) {
  if (!SaveKeyValues(d.path, d.state, "simdev: emulated device " + d.where.fileName))
    return c.Fail("cannot write " + d.path);
  *c.out += message + "\n";
  return kCliOk;
}

int Attach(Context& c, std::span<const std::string> a) {
  if (a.size() < 2) return c.Usage("attach needs a port and a model");
  auto port = ParsePort(a[0]);
  if (!port) return c.Usage("not a port: " + a[0] + " (COMn or n, 1 to 65535)");
  if (a[1] == kModel8342) {
    std::string problem;
    auto state = PinPadAttachState(*port, a.subspan(2), &problem);
    if (!state) return c.Usage(problem);
    if (auto other = DeviceOnPort(c.dir, *port))
      return c.Fail(PortName(*port) + " already has a device: " + other->fileName);
    std::error_code ec;
    std::filesystem::create_directories(c.dir, ec);
    Device d{{*port, kModel8342, DeviceFileName(*port, kModel8342)}, "", std::move(*state)};
    d.path = JoinPath(c.dir, d.where.fileName);
    return SaveDevice(c, d, "attached an 8342 PIN pad on " + PortName(*port));
  }
  if (a[1] != kModel8343) return c.Usage("unknown model " + a[1] + " (known: 8343, 8342)");
  int processors = 2;
  std::string serial;
  for (std::size_t i = 2; i < a.size(); ++i) {
    if (a[i] == "single") {
      processors = 1;
    } else if (a[i] == "dual") {
      processors = 2;
    } else if (a[i].rfind("serial=", 0) == 0) {
      serial = a[i].substr(7);
      if (serial.size() != 8 || serial.compare(0, 3, "41-") != 0 ||
          serial.find_first_not_of("0123456789", 3) != std::string::npos)
        return c.Usage("a serial number is 41- and five digits");
    } else {
      return c.Usage("unknown attach option " + a[i]);
    }
  }
  if (auto other = DeviceOnPort(c.dir, *port))
    return c.Fail(PortName(*port) + " already has a device: " + other->fileName);
  std::error_code ec;
  std::filesystem::create_directories(c.dir, ec);
  Device d{{*port, kModel8343, DeviceFileName(*port, kModel8343)},
           "",
           NewTerminalState(*port, processors)};
  d.path = JoinPath(c.dir, d.where.fileName);
  d.state["serial"] = serial;
  return SaveDevice(c, d,
                    "attached an 8343 EFT terminal (" +
                        std::string(processors == 1 ? "single" : "dual") + " processor) on " +
                        PortName(*port));
}

int Detach(Context& c, std::span<const std::string> a) {
  if (a.size() != 1) return c.Usage("detach needs a port");
  auto port = ParsePort(a[0]);
  if (!port) return c.Usage("not a port: " + a[0]);
  auto where = DeviceOnPort(c.dir, *port);
  if (!where) return c.Fail("no device attached on " + PortName(*port));
  std::error_code ec;
  std::filesystem::remove(JoinPath(c.dir, where->fileName), ec);
  if (ec) return c.Fail("cannot remove " + where->fileName);
  *c.out += "detached " + where->fileName + "\n";
  return kCliOk;
}

void ShowOne(Context& c, const AttachedDevice& where) {
  std::string path = JoinPath(c.dir, where.fileName);
  *c.out += where.fileName + "\n";
  KeyValues state;
  if (LoadKeyValues(path, &state) != LoadResult::kOk) {
    *c.out += "  (damaged state file)\n";
    return;
  }
  Terminal8343 t;
  std::string error;
  const bool terminal = where.model == kModel8343 && LoadTerminal(state, &t, &error);
  // The status as the terminal answers it, bit 6 from the card.
  const std::uint8_t status = terminal ? StatusByte(t) : 0;
  for (const auto& [key, value] : state) {
    if (key.rfind("image.", 0) == 0) continue;
    *c.out += "  " + key + "=" +
              (terminal && key == "status" ? base::BytesToHex({&status, 1}) : value) + "\n";
  }
  if (where.model == kModel8343) {
    if (!terminal) {
      c.out->append("  (").append(error).append(")\n");
      return;
    }
    std::string line = "  image:";
    std::size_t total = 0;
    if (t.image) {
      for (auto [first, last] : t.image->Ranges()) {
        std::uint8_t w[4] = {static_cast<std::uint8_t>(first >> 8),
                             static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(last >> 8),
                             static_cast<std::uint8_t>(last)};
        line.append(" ")
            .append(base::BytesToHex({w, 2}))
            .append("-")
            .append(base::BytesToHex({w + 2, 2}));
        total += last - first + 1;
      }
      line.append(" (").append(std::to_string(total)).append(" bytes)");
    } else {
      line += " none";
    }
    *c.out += line + "\n";
  }
}

int Show(Context& c, std::span<const std::string> a) {
  if (a.size() > 1) return c.Usage("show takes at most a port");
  if (a.size() == 1) {
    auto port = ParsePort(a[0]);
    if (!port) return c.Usage("not a port: " + a[0]);
    auto where = DeviceOnPort(c.dir, *port);
    if (!where) return c.Fail("no device attached on " + PortName(*port));
    ShowOne(c, *where);
    return kCliOk;
  }
  std::vector<AttachedDevice> devices = ListDevices(c.dir);
  if (devices.empty()) *c.out += "no device attached (state directory " + c.dir + ")\n";
  for (const AttachedDevice& d : devices) ShowOne(c, d);
  return kCliOk;
}

int Set(Context& c, std::span<const std::string> a) {
  if (a.size() != 3) return c.Usage("set needs a port, a field and a value");
  int status = kCliOk;
  auto d = LoadDevice(c, a[0], &status);
  if (!d) return status;
  const std::string& name = a[1];
  const std::string& value = a[2];
  if (d->where.model == kModel8342) {
    std::string problem;
    if (!SetPinPadField(&d->state, name, value, &problem)) return c.Usage(problem);
    return SaveDevice(c, *d, d->where.fileName + ": " + name + "=" + d->state[name]);
  }
  const SettableField* field = nullptr;
  for (const SettableField& f : k8343Fields)
    if (d->where.model == kModel8343 && name == f.name) field = &f;
  if (!field) return c.Usage("no field " + name + " to set on " + d->where.fileName);
  if (name == "status") {
    auto byte = base::ParseHex(value);
    if (!byte || byte->size() != 1) return c.Usage("status is one byte in hexadecimal");
    // Bit 6 is the card in the slot, which only `simdev card` changes: kept as it is, the
    // value would be shown but not answered.
    std::uint8_t kept = static_cast<std::uint8_t>((*byte)[0] & ~kCardPresentBit);
    d->state[name] = base::BytesToHex({&kept, 1});
    Terminal8343 t;
    std::string error;
    if (!LoadTerminal(d->state, &t, &error)) return c.Fail(error);
    std::uint8_t answered = StatusByte(t);
    return SaveDevice(c, *d,
                      d->where.fileName + ": status=" + base::BytesToHex({&answered, 1}) +
                          " (bit 6, Smart Card Present, follows the card in the slot)");
  } else if (name == "processors") {
    if (value != "1" && value != "2") return c.Usage("processors is 1 or 2");
  } else if (value.size() > field->width || !IsValidValue(value)) {
    return c.Usage(name + " holds at most " + std::to_string(field->width) +
                   " printable characters");
  }
  d->state[name] = value;
  return SaveDevice(c, *d, d->where.fileName + ": " + name + "=" + value);
}

int Card(Context& c, std::span<const std::string> a) {
  if (a.size() < 2 || a.size() > 3) return c.Usage("card needs a port and insert [ATR] or remove");
  int status = kCliOk;
  auto d = LoadDevice(c, a[0], &status);
  if (!d) return status;
  if (d->where.model != kModel8343) return c.Fail(d->where.fileName + " has no smart-card slot");
  if (a[1] == "insert") {
    std::string atr = a.size() == 3 ? a[2] : "3B02145011";
    auto bytes = base::ParseHex(atr);
    if (!bytes || bytes->size() > Terminal8343::kMaxResetData)
      return c.Usage("the response-to-reset data is at most 40 bytes in hexadecimal");
    d->state["card"] = base::BytesToHex({bytes->data(), bytes->size()});
    return SaveDevice(c, *d, PortName(d->where.port) + ": smart card inserted");
  }
  if (a[1] == "remove" && a.size() == 2) {
    d->state["card"] = "none";
    return SaveDevice(c, *d, PortName(d->where.port) + ": smart card removed");
  }
  return c.Usage("card needs insert [ATR] or remove");
}

int Fault(Context& c, std::span<const std::string> a) {
  auto isNumber = [](const std::string& s, unsigned long max) {
    if (s.empty() || s.size() > 5 || s.find_first_not_of("0123456789") != std::string::npos)
      return false;
    return std::stoul(s) <= max;
  };
  unsigned skip = 0;
  if (!a.empty() && a.back().rfind("skip=", 0) == 0) {
    std::string n = a.back().substr(5);
    if (!isNumber(n, 1000)) return c.Usage("skip=N needs a count, 0 to 1000");
    skip = static_cast<unsigned>(std::stoul(n));
    a = a.first(a.size() - 1);
  }
  if (a.size() >= 2 && a[1] == "line") {
    // A fault of the serial line, on either model: what happens to the next frames.
    std::span<const std::string> f = a.subspan(2);
    std::string kind = f.empty() ? "" : f[0];
    std::size_t numbers = f.size() > 0 ? f.size() - 1 : 0;
    bool delay = kind == "delay";
    bool known =
        kind == "drop" || kind == "garble" || kind == "silence" || delay || kind == "unplug";
    if (!known || (kind == "unplug" && numbers > 0) || (delay && numbers < 1) ||
        numbers > (delay ? 2u : 1u))
      return c.Usage("line needs drop|garble|silence [COUNT], delay MS [COUNT] or unplug");
    std::string ms = delay ? f[1] : "";
    std::string count = numbers > (delay ? 1u : 0u) ? f.back() : "1";
    if (delay && (!isNumber(ms, 60000) || std::stoul(ms) == 0))
      return c.Usage("a delay is 1 to 60000 ms");
    if (!isNumber(count, 1000) || std::stoul(count) == 0)
      return c.Usage("a frame count is 1 to 1000");
    int status = kCliOk;
    auto d = LoadDevice(c, a[0], &status);
    if (!d) return status;
    std::string value = kind + (delay ? " " + ms : "") + (kind == "unplug" ? "" : " " + count);
    SetFault(d->state, "line", value, skip);
    std::string what = kind == "drop" ? "request" : "answer";
    std::string happens = kind == "drop"      ? "lost on the way"
                          : kind == "garble"  ? "garbled"
                          : kind == "silence" ? "lost"
                                              : "held back " + ms + " ms";
    std::string said = kind == "unplug" ? "the line goes dead"
                       : count == "1"   ? "the next " + what + " is " + happens
                                        : "the next " + count + " " + what + "s are " + happens;
    if (skip > 0) said += " after " + std::to_string(skip) + " passed by";
    return SaveDevice(c, *d, PortName(d->where.port) + ": " + said);
  }
  if (a.size() < 2 || a.size() > 3) return c.Usage("fault needs a port and what fails");
  int status = kCliOk;
  auto d = LoadDevice(c, a[0], &status);
  if (!d) return status;
  const std::string& what = a[1];
  std::string value = a.size() == 3 ? a[2] : "";
  std::string said;
  if (what == "clear" && a.size() == 2) {
    ClearFaults(d->state);
    said = "no fault scripted";
  } else if (d->where.model == kModel8342) {
    std::string name, code, problem;
    if (!PinPadFault(what, value, &name, &code, &said, &problem)) return c.Usage(problem);
    SetFault(d->state, name, code, skip);
    if (skip > 0) said += " after " + std::to_string(skip) + " passed by";
    return SaveDevice(c, *d, PortName(d->where.port) + ": " + said);
  } else if (what == "open" || what == "write" || what == "read") {
    if (!value.empty() && (!isNumber(value, 0xFFFF) || std::stoul(value) == 0))
      return c.Usage("a status code is 1 to 65535");
    said = "the next " + what + " fails" + (value.empty() ? "" : " with status " + value);
  } else if (what == "rc") {
    auto byte = base::ParseHex(value);
    if (!byte || byte->size() != 1) return c.Usage("rc needs one byte in hexadecimal, e.g. 0A");
    value = base::BytesToHex({byte->data(), 1});
    said = "the next command is answered with RC " + value;
  } else if (what == "short") {
    if (!isNumber(value, 200)) return c.Usage("short needs a byte count, 0 to 200");
    said = "the next answer is cut to " + value + " bytes";
  } else if (what == "dload") {
    if (!isNumber(value, 0xFFFF)) return c.Usage("dload needs the code to return, 0 to 65535");
    said = "the next download returns " + value;
  } else {
    return c.Usage("unknown fault " + what + " (open, write, read, rc, short, dload, clear)");
  }
  if (what != "clear") {
    SetFault(d->state, what, value, skip);
    if (skip > 0) said += " after " + std::to_string(skip) + " passed by";
  }
  return SaveDevice(c, *d, PortName(d->where.port) + ": " + said);
}

int Trace(Context& c, std::span<const std::string> a) {
  std::vector<std::string> drivers = {trace::kDriver43, trace::kDriver4X};
  if (a.size() == 2) {
    if (a[0] != trace::kDriver43 && a[0] != trace::kDriver4X)
      return c.Usage("unknown driver " + a[0] + " (WNT43PDD or WNT4XPDD)");
    drivers = {a[0]};
    a = a.subspan(1);
  }
  if (a.size() != 1) return c.Usage("trace needs on, off, show or clear");
  const std::string& what = a[0];
  std::error_code ec;
  std::filesystem::create_directories(c.dir, ec);
  for (const std::string& driver : drivers) {
    if (what == "on" || what == "off") {
      if (!trace::SetTracing(c.dir, driver, what == "on"))
        return c.Fail("cannot write the settings");
      *c.out += driver + ": tracing " + what + "\n";
    } else if (what == "clear") {
      trace::Clear(c.dir, driver);
      *c.out += driver + ": trace cleared\n";
    } else if (what == "show") {
      std::vector<trace::Record> records = trace::Decode(trace::Read(c.dir, driver));
      *c.out += driver + ": tracing " + (trace::IsTracing(c.dir, driver) ? "on" : "off") + ", " +
                std::to_string(records.size()) + " records\n";
      for (const trace::Record& r : records) *c.out += "  " + trace::Describe(r) + "\n";
    } else {
      return c.Usage("trace needs on, off, show or clear");
    }
  }
  return kCliOk;
}

}  // namespace

std::string CliUsage(const std::string& dir) {
  return "usage: simdev COMMAND [ARGUMENTS]\n"
         "  dir                              show the state directory\n"
         "  attach PORT 8343 [single|dual] [serial=41-NNNNN]\n"
         "                                   attach an emulated EFT terminal (dual by default)\n"
         "  attach PORT 8342 [serial=HHHHHHHHHHHHHHHH] [version=TEXT]\n"
         "                                   attach an emulated PIN pad (serial number in\n"
         "                                   hexadecimal, hardware version text)\n"
         "  detach PORT                      detach the device on PORT\n"
         "  show [PORT]                      show every attached device, or one\n"
         "  set PORT FIELD VALUE             change serial, main_microcode, main_application,\n"
         "                                   security_microcode, security_application,\n"
         "                                   status (hexadecimal) or processors (1 or 2);\n"
         "                                   on a PIN pad serial (16 hexadecimal digits),\n"
         "                                   hardware_version (at most 31 characters) or mode\n"
         "                                   (encrypted or clear)\n"
         "  card PORT insert [ATR] | remove  put a smart card in the slot (its response-to-reset\n"
         "                                   data in hexadecimal) or take it out\n"
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
         "                                   hits\n"
         "  trace [DRIVER] on|off|show|clear the port drivers' traces (WNT43PDD, WNT4XPDD;\n"
         "                                   both when no driver is named)\n"
         "PORT is COMn or n (1 to 65535). State directory: " +
         dir + "\n(set " + kStateDirVariable + " to choose another)\n";
}

std::optional<std::uint16_t> ParsePort(const std::string& text) {
  std::string digits = text;
  if (digits.size() > 3 && (digits.compare(0, 3, "COM") == 0 || digits.compare(0, 3, "com") == 0))
    digits = digits.substr(3);
  if (digits.empty() || digits.size() > 5 || digits[0] == '0') return std::nullopt;
  unsigned value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > 0xFFFF) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

int RunCli(std::span<const std::string> args, const std::string& dir, std::string* out,
           std::string* err) {
  Context c{dir, out, err};
  if (args.empty()) return c.Usage("no command");
  const std::string& command = args[0];
  std::span<const std::string> rest = args.subspan(1);
  if (command == "help" || command == "--help" || command == "-h") {
    *out += CliUsage(dir);
    return kCliOk;
  }
  if (command == "dir" && rest.empty()) {
    *out += dir + "\n";
    return kCliOk;
  }
  if (command == "attach") return Attach(c, rest);
  if (command == "detach") return Detach(c, rest);
  if (command == "show") return Show(c, rest);
  if (command == "set") return Set(c, rest);
  if (command == "card") return Card(c, rest);
  if (command == "fault") return Fault(c, rest);
  if (command == "trace") return Trace(c, rest);
  return c.Usage("unknown command " + command);
}

}  // namespace simdev
