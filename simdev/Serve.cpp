// The server's loop over its lines, the same on every platform.
#include "simdev/Serve.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <thread>

#include "base/PlainFile.h"
#include "simdev/Cli.h"
#include "simdev/Remote.h"
#include "simdev/State.h"

namespace simdev {

namespace {

// A line's end and the device behind it.
struct Served {
  std::unique_ptr<ServedLine> line;
  std::unique_ptr<remote::ServedPort> device;
  std::size_t bytesIn = 0, bytesOut = 0;  // what crossed the line, for the figures
};

// 10 bit times a byte (start bit, 8 data bits, stop bit): a pseudo-terminal moves bytes at
// once, a serial line does not.
void CrossLine(std::size_t bytes, unsigned baud) {
  if (baud) std::this_thread::sleep_for(std::chrono::microseconds(bytes * 10'000'000ull / baud));
}

}  // namespace

bool ParseServeArgs(std::span<const std::string> args, ServeOptions* options, std::string* err) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--link" && i + 1 < args.size()) {
      options->linkDir = args[++i];
    } else if (args[i] == "--fast") {
      options->paced = false;
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
  auto lastLook = std::chrono::steady_clock::now();
  while (!stopping) {
    if (lines.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // Each line is listened to in turn, long enough that one line alone answers at once.
    unsigned slice =
        lines.empty() ? 0 : std::max<unsigned>(1, 40 / static_cast<unsigned>(lines.size()));
    for (auto& [port, s] : lines) {
      std::uint8_t buffer[4096];
      std::size_t n = s.line->Receive(buffer, sizeof buffer, slice);
      if (n == 0) continue;
      unsigned baud = options.paced ? s.line->PaceBaud() : 0;
      CrossLine(n, baud);
      s.bytesIn += n;
      auto frames = s.device->Take({buffer, n});
      if (unsigned ms = s.device->TakeDelay())
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      for (const line::Bytes& frame : frames) {
        s.line->Send(frame);
        s.bytesOut += frame.size();
        CrossLine(frame.size(), baud);
      }
    }
    auto now = std::chrono::steady_clock::now();
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
