// The server's loop over its lines, the same on every platform.
#include "simdev/Serve.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "base/PlainFile.h"
#include "simdev/Cli.h"
#include "simdev/DeviceEnd.h"
#include "simdev/State.h"

namespace simdev {

namespace {

using Clock = std::chrono::steady_clock;

// A line's end, the device behind it, and the line's own time: what came in reaches the
// device, and an answer the program, when the bytes would have crossed a serial line at its
// speed (10 bit times a byte: start bit, 8 data bits, stop bit). Each line keeps its own
// time, so one line's transfers or delays never hold another up.
struct Served {
  std::unique_ptr<ServedLine> line;
  std::unique_ptr<remote::ServedPort> device;
  Clock::time_point freeAt{};  // when the line has carried what it was given
  std::deque<std::pair<Clock::time_point, line::Bytes>> toDevice, toProgram;
  std::size_t bytesIn = 0, bytesOut = 0;  // what crossed the line, for the figures
};

// When `bytes` given to the line now have crossed it.
Clock::time_point Cross(Served& s, std::size_t bytes, unsigned baud, Clock::time_point now) {
  s.freeAt =
      std::max(s.freeAt, now) + std::chrono::microseconds(baud ? bytes * 10'000'000ull / baud : 0);
  return s.freeAt;
}

}  // namespace

bool ParseServeArgs(std::span<const std::string> args, ServeOptions* options, std::string* err) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--link" && i + 1 < args.size()) {
      options->linkDir = args[++i];
    } else if (args[i] == "--fast") {
      options->paced = false;
    } else if (args[i] == "--cable") {
      std::size_t eq = i + 1 < args.size() ? args[++i].find('=') : std::string::npos;
      auto a = ParsePort(args[i].substr(0, eq)), b = a ? ParsePort(args[i].substr(eq + 1)) : a;
      if (eq == std::string::npos || !b) {
        *err += "simdev serve: --cable needs COMa=COMb\n" + std::string(kServeUsage);
        return false;
      }
      options->cables.emplace_back(*a, *b);
    } else {
      std::size_t eq = args[i].find('=');
      auto port = ParsePort(args[i].substr(0, eq));
      std::string line = eq == std::string::npos ? "" : args[i].substr(eq + 1);
      if (!port || (eq != std::string::npos && !ParsePort(line))) {
        *err +=
            "simdev serve: " + args[i] + " is no COM port (COMn, n or COMn=COMm)\n" + kServeUsage;
        return false;
      }
      options->ports.emplace_back(*port, line);
    }
  }
  return true;
}

int ServeLines(const ServeOptions& options, const std::string& dir, const LineOpener& open,
               const std::atomic<bool>& stopping, std::string* err) {
  EftLibrary eft(dir);
  PinLibrary pin(dir);
  std::map<std::uint16_t, Served> lines;
  std::set<std::uint16_t> unopened;  // attached later but without a line: said once
  const std::string linesFile = JoinPath(dir, kServeLinesFile);
  auto add = [&](std::uint16_t port, const std::string& name) {
    if (lines.count(port) || unopened.count(port)) return true;
    std::string error;
    Served s;
    s.line = open(port, name, &error);
    if (!s.line) {
      *err += "simdev serve: COM" + std::to_string(port) + ": " + error + "\n";
      unopened.insert(port);
      return false;
    }
    s.device = std::make_unique<remote::ServedPort>(port, eft, pin);
    std::printf("COM%u %s\n", port, s.line->Name().c_str());
    std::fflush(stdout);
    lines.emplace(port, std::move(s));
    return true;
  };
  auto list = [&] {
    std::string listed;
    for (const auto& [port, s] : lines)
      listed += "COM" + std::to_string(port) + " " + s.line->Name() + "\n";
    base::WriteWholeFile(linesFile, listed);
  };
  bool fixed = !options.ports.empty();
  if (fixed) {
    for (const auto& [port, name] : options.ports)
      if (!add(port, name)) return kCliFailed;
  } else {
    for (const AttachedDevice& d : ListDevices(dir)) add(d.port, "");
  }
  list();

  const std::string stopFile = JoinPath(dir, kServeStopFile);
  auto lastLook = Clock::now();
  while (!stopping) {
    if (lines.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // Each line is listened to in turn: one line alone long enough to answer at once, more
    // lines briefly each, and none while something of theirs is due.
    bool due = false;
    for (auto& [port, s] : lines) due = due || !s.toDevice.empty() || !s.toProgram.empty();
    unsigned slice = due || lines.size() > 1 ? 1 : 40;
    for (auto& [port, s] : lines) {
      // The speed the program set, asked of the line only when bytes are to be timed.
      auto baud = [&] { return options.paced ? s.line->PaceBaud() : 0u; };
      std::uint8_t buffer[4096];
      std::size_t n = s.line->Receive(buffer, sizeof buffer, slice);
      auto now = Clock::now();
      if (n > 0) {
        s.bytesIn += n;
        s.toDevice.emplace_back(Cross(s, n, baud(), now), line::Bytes(buffer, buffer + n));
      }
      while (!s.toDevice.empty() && s.toDevice.front().first <= now) {
        auto frames = s.device->Take(s.toDevice.front().second);
        s.toDevice.pop_front();
        // A held-back answer starts out late on its own line only.
        auto start = now + std::chrono::milliseconds(s.device->TakeDelay());
        for (line::Bytes& frame : frames) {
          s.freeAt = std::max(s.freeAt, start);
          s.toProgram.emplace_back(Cross(s, frame.size(), baud(), now), std::move(frame));
        }
      }
      while (!s.toProgram.empty() && s.toProgram.front().first <= now) {
        s.line->Send(s.toProgram.front().second);
        s.bytesOut += s.toProgram.front().second.size();
        s.toProgram.pop_front();
      }
    }
    auto now = Clock::now();
    if (now - lastLook < std::chrono::milliseconds(250)) continue;
    lastLook = now;
    std::error_code ec;
    // A stop request, or the state directory gone: the server's work is over.
    if (std::filesystem::exists(stopFile, ec) || !std::filesystem::is_directory(dir, ec)) {
      std::filesystem::remove(stopFile, ec);
      break;
    }
    // A device attached while serving gets its line.
    if (!fixed) {
      std::size_t before = lines.size();
      for (const AttachedDevice& d : ListDevices(dir)) add(d.port, "");
      if (lines.size() != before) list();
    }
  }
  for (auto& [port, s] : lines)
    std::printf("COM%u received %zu bytes, sent %zu bytes\n", port, s.bytesIn, s.bytesOut);
  lines.clear();  // the lines close (and take back their links) before the list goes
  std::error_code ec;
  std::filesystem::remove(linesFile, ec);
  return kCliOk;
}

}  // namespace simdev
