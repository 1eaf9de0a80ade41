// `simdev serve` on Linux: one pseudo-terminal pair per COM port, whose other end a program
// (under Wine: through dosdevices/comN) opens as its serial port.
#include "simdev/Serve.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <thread>

#include "base/PlainFile.h"
#include "simdev/Cli.h"
#include "simdev/Remote.h"
#include "simdev/State.h"

namespace simdev {

namespace {

std::atomic<bool> stopping{false};

void OnSignal(int) { stopping = true; }

struct PtyLine {
  int master = -1;
  int slave = -1;  // kept open, so the line stays up between the programs that use it
  std::string slavePath;
  std::string link;
  std::string linkBefore;  // where the link pointed before the server took it
  std::unique_ptr<remote::ServedPort> device;
  std::size_t bytesIn = 0, bytesOut = 0;  // what crossed the line, for the figures
};

bool OpenPty(PtyLine* line, std::string* error) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    if (master >= 0) close(master);
    *error = "cannot open a pseudo-terminal";
    return false;
  }
  const char* name = ptsname(master);
  int slave = name ? open(name, O_RDWR | O_NOCTTY) : -1;
  termios raw{};
  if (slave < 0 || tcgetattr(slave, &raw) != 0) {
    close(master);
    if (slave >= 0) close(slave);
    *error = "cannot open the pseudo-terminal's other end";
    return false;
  }
  cfmakeraw(&raw);
  cfsetspeed(&raw, B19200);
  tcsetattr(slave, TCSANOW, &raw);
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  line->master = master;
  line->slave = slave;
  line->slavePath = name;
  return true;
}

// The line's speed as the program at the other end set it, in baud.
unsigned Baud(int slave) {
  termios t{};
  if (tcgetattr(slave, &t) != 0) return line::kBaud;
  static const std::pair<speed_t, unsigned> kSpeeds[] = {
      {B1200, 1200},   {B2400, 2400},   {B4800, 4800},   {B9600, 9600},
      {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
  for (auto [code, baud] : kSpeeds)
    if (cfgetispeed(&t) == code) return baud;
  return line::kBaud;
}

// A pseudo-terminal moves bytes at once; a serial line takes 10 bit times per byte (start
// bit, 8 data bits, stop bit). Waiting that long for what crossed it lets the programs see a
// line's timing.
void CrossLine(std::size_t bytes, unsigned baud) {
  std::this_thread::sleep_for(std::chrono::microseconds(bytes * 10'000'000ull / baud));
}

void WriteAll(int fd, const line::Bytes& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      return;
    } else {
      pollfd p{fd, POLLOUT, 0};
      poll(&p, 1, 100);
    }
  }
}

}  // namespace

int Serve(std::span<const std::string> args, const std::string& dir, std::string* err) {
  std::string linkDir;
  std::vector<std::uint16_t> ports;
  bool paced = true;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--fast") {
      paced = false;
      continue;
    }
    if (args[i] == "--link" && i + 1 < args.size()) {
      linkDir = args[++i];
      continue;
    }
    auto port = ParsePort(args[i]);
    if (!port) {
      *err += "simdev serve: " + args[i] + " is no COM port (COMn or n)\n" + kServeUsage;
      return 2;
    }
    ports.push_back(*port);
  }
  bool fixed = !ports.empty();
  EftLibrary eft(dir);
  PinLibrary pin(dir);
  std::map<std::uint16_t, PtyLine> lines;
  const std::string linesFile = JoinPath(dir, kServeLinesFile);
  auto addLine = [&](std::uint16_t port) {
    if (lines.count(port)) return true;
    PtyLine line;
    std::string error;
    if (!OpenPty(&line, &error)) {
      *err += "simdev serve: COM" + std::to_string(port) + ": " + error + "\n";
      return false;
    }
    if (!linkDir.empty()) {
      line.link = linkDir + "/com" + std::to_string(port);
      std::error_code ec;
      if (std::filesystem::is_symlink(line.link, ec))
        line.linkBefore = std::filesystem::read_symlink(line.link, ec).string();
      std::filesystem::remove(line.link, ec);
      std::filesystem::create_symlink(line.slavePath, line.link, ec);
    }
    line.device = std::make_unique<remote::ServedPort>(port, eft, pin);
    std::printf("COM%u %s\n", port, line.slavePath.c_str());
    std::fflush(stdout);
    lines.emplace(port, std::move(line));
    return true;
  };
  auto listLines = [&] {
    std::string listed;
    for (const auto& [p, l] : lines) listed += "COM" + std::to_string(p) + " " + l.slavePath + "\n";
    base::WriteWholeFile(linesFile, listed);
  };
  auto attached = [&] {
    std::vector<std::uint16_t> found;
    for (const AttachedDevice& d : ListDevices(dir)) found.push_back(d.port);
    return found;
  };
  for (std::uint16_t port : fixed ? ports : attached())
    if (!addLine(port)) return 1;
  listLines();

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  const std::string stopFile = JoinPath(dir, kServeStopFile);
  auto lastScan = std::chrono::steady_clock::now();
  while (!stopping) {
    std::vector<pollfd> fds;
    std::vector<PtyLine*> order;
    for (auto& [port, line] : lines) {
      fds.push_back({line.master, POLLIN, 0});
      order.push_back(&line);
    }
    poll(fds.data(), fds.size(), 100);
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (!(fds[i].revents & POLLIN)) continue;
      std::uint8_t buffer[4096];
      ssize_t n = read(order[i]->master, buffer, sizeof buffer);
      if (n <= 0) continue;
      PtyLine& line = *order[i];
      unsigned baud = paced ? Baud(line.slave) : 0;
      if (baud) CrossLine(static_cast<std::size_t>(n), baud);
      line.bytesIn += static_cast<std::size_t>(n);
      auto frames = line.device->Take({buffer, static_cast<std::size_t>(n)});
      if (unsigned ms = line.device->TakeDelay())
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      for (const line::Bytes& frame : frames) {
        WriteAll(line.master, frame);
        line.bytesOut += frame.size();
        if (baud) CrossLine(frame.size(), baud);
      }
    }
    auto now = std::chrono::steady_clock::now();
    if (now - lastScan > std::chrono::milliseconds(250)) {
      lastScan = now;
      std::error_code ec;
      // A stop request, or the state directory gone: the server's work is over.
      if (std::filesystem::exists(stopFile, ec) || !std::filesystem::is_directory(dir, ec)) {
        std::filesystem::remove(stopFile, ec);
        break;
      }
      // A device attached while serving gets its line.
      if (!fixed) {
        std::size_t before = lines.size();
        for (std::uint16_t port : attached()) addLine(port);
        if (lines.size() != before) listLines();
      }
    }
  }
  for (auto& [port, line] : lines) {
    std::printf("COM%u received %zu bytes, sent %zu bytes\n", port, line.bytesIn, line.bytesOut);
    std::error_code ec;
    // Only a link that is still this server's is taken back: a server started after it may
    // have linked the port to its own line meanwhile.
    if (!line.link.empty() && std::filesystem::read_symlink(line.link, ec) == line.slavePath) {
      std::filesystem::remove(line.link, ec);
      if (!line.linkBefore.empty()) std::filesystem::create_symlink(line.linkBefore, line.link, ec);
    }
    close(line.slave);
    close(line.master);
  }
  std::error_code ec;
  std::filesystem::remove(linesFile, ec);
  return 0;
}

}  // namespace simdev
