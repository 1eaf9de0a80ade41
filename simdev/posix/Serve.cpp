// `simdev serve` on Linux: one pseudo-terminal pair per COM port, whose other end a program
// (under Wine: through dosdevices/comN) opens as its serial port.
#include "simdev/Serve.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <thread>
#include <vector>

#include "simdev/Line.h"
#include "simdev/State.h"
#include "simdev/posix/TtyPort.h"

namespace simdev {

namespace {

std::atomic<bool> stopping{false};

void OnSignal(int) { stopping = true; }

class PtyLine : public ServedLine {
 public:
  PtyLine(int master, int slave, std::string path) : master_(master), slave_(slave), path_(path) {}
  ~PtyLine() override {
    std::error_code ec;
    // Only a link that is still this line's is taken back: a server started after this one
    // may have linked the port to its own line meanwhile.
    if (!link_.empty() && std::filesystem::read_symlink(link_, ec) == path_) {
      std::filesystem::remove(link_, ec);
      if (!linkBefore_.empty()) std::filesystem::create_symlink(linkBefore_, link_, ec);
    }
    close(slave_);
    close(master_);
  }

  // Links `link` to the line; a link that was there is put back at the end. Anything else
  // there is no port: it is left alone, and the line not linked.
  bool Link(const std::string& link) {
    std::error_code ec;
    auto there = std::filesystem::symlink_status(link, ec).type();
    if (there == std::filesystem::file_type::symlink)
      linkBefore_ = std::filesystem::read_symlink(link, ec).string();
    else if (there != std::filesystem::file_type::not_found)
      return false;
    std::filesystem::remove(link, ec);
    std::filesystem::create_symlink(path_, link, ec);
    link_ = link;
    return true;
  }

  const std::string& Name() const override { return path_; }

  std::size_t Receive(std::uint8_t* buffer, std::size_t capacity, unsigned timeoutMs) override {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(timeoutMs)) <= 0 || !(p.revents & POLLIN)) return 0;
    ssize_t n = read(master_, buffer, capacity);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
  }

  // What nobody reads at the other end fills the pseudo-terminal; after a second without room
  // the rest is lost, as on a line with nobody listening, and the server goes on.
  void Send(std::span<const std::uint8_t> bytes) override {
    std::size_t done = 0;
    int waited = 0;
    while (done < bytes.size() && waited < 1000) {
      ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        waited = 0;
      } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        return;
      } else {
        pollfd p{master_, POLLOUT, 0};
        poll(&p, 1, 100);
        waited += 100;
      }
    }
  }

  // The speed the program at the other end set.
  unsigned PaceBaud() override {
    termios t{};
    if (tcgetattr(slave_, &t) != 0) return line::kBaud;
    static const std::pair<speed_t, unsigned> kSpeeds[] = {
        {B1200, 1200},   {B2400, 2400},   {B4800, 4800},   {B9600, 9600},
        {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
    for (auto [code, baud] : kSpeeds)
      if (cfgetispeed(&t) == code) return baud;
    return line::kBaud;
  }

 private:
  int master_;
  int slave_;  // kept open, so the line stays up between the programs that use it
  std::string path_;
  std::string link_, linkBefore_;
};

std::unique_ptr<ServedLine> OpenPty(std::uint16_t port, const std::string& linkDir,
                                    std::string* error) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    if (master >= 0) close(master);
    *error = "cannot open a pseudo-terminal";
    return nullptr;
  }
  const char* name = ptsname(master);
  int slave = name ? open(name, O_RDWR | O_NOCTTY) : -1;
  if (slave < 0 || !posix::SetRawLine(slave)) {
    close(master);
    if (slave >= 0) close(slave);
    *error = "cannot open the pseudo-terminal's other end";
    return nullptr;
  }
  fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  auto line = std::make_unique<PtyLine>(master, slave, name);
  const std::string link = linkDir + "/com" + std::to_string(port);
  if (!linkDir.empty() && !line->Link(link)) {
    *error = link + " is there and is no link: left as it is";
    return nullptr;
  }
  return line;
}

// A null-modem cable between two ports of this machine: what a program writes on one, the
// program on the other reads, as on two PCs joined by a cable. It lets `simdev.exe serve`
// under Wine answer on one port while the programs use the other.
void Relay(ServedLine& a, ServedLine& b, const std::atomic<bool>& done) {
  std::uint8_t buffer[4096];
  while (!done) {
    if (std::size_t n = a.Receive(buffer, sizeof buffer, 5)) b.Send({buffer, n});
    if (std::size_t n = b.Receive(buffer, sizeof buffer, 5)) a.Send({buffer, n});
  }
}

}  // namespace

int Serve(std::span<const std::string> args, const std::string& dir, std::string* err) {
  ServeOptions options;
  if (!ParseServeArgs(args, &options, err)) return 2;
  for (const auto& [port, line] : options.ports) {
    if (!line.empty()) {
      *err += std::string(
                  "simdev serve: PORT=LINE is for COM ports; here each line is a new "
                  "pseudo-terminal\n") +
              kServeUsage;
      return 2;
    }
  }
  if (!options.cables.empty() && options.linkDir.empty()) {
    *err += "simdev serve: --cable needs --link DIR, where its two ports are found\n" +
            std::string(kServeUsage);
    return 2;
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  std::vector<std::unique_ptr<ServedLine>> ends;
  std::vector<std::thread> relays;
  std::atomic<bool> cablesDone{false};
  // Each cable joins two new lines to each other instead of to a device.
  for (const auto& [port, other] : options.cables) {
    std::string error;
    auto a = OpenPty(port, options.linkDir, &error);
    auto b = a ? OpenPty(other, options.linkDir, &error) : nullptr;
    if (!b) {
      *err += "simdev serve: cable COM" + std::to_string(port) + ": " + error + "\n";
      cablesDone = true;
      for (std::thread& t : relays) t.join();
      return 1;
    }
    std::printf("cable COM%u %s to COM%u %s\n", port, a->Name().c_str(), other, b->Name().c_str());
    relays.emplace_back(Relay, std::ref(*a), std::ref(*b), std::cref(cablesDone));
    ends.push_back(std::move(a));
    ends.push_back(std::move(b));
  }
  int status = ServeLines(
      options, dir,
      [&](std::uint16_t port, const std::string&, std::string* error) {
        return OpenPty(port, options.linkDir, error);
      },
      stopping, err);
  cablesDone = true;
  for (std::thread& t : relays) t.join();
  return status;
}

}  // namespace simdev
