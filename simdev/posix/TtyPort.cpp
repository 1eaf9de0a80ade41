// A serial line's library end over a Linux terminal device.
#include "simdev/posix/TtyPort.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace simdev::posix {

namespace {

class TtyPort : public line::Port {
 public:
  explicit TtyPort(int fd) : fd_(fd) {}
  ~TtyPort() override { close(fd_); }
  TtyPort(const TtyPort&) = delete;
  TtyPort& operator=(const TtyPort&) = delete;

  bool Send(std::span<const std::uint8_t> bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      ssize_t n = write(fd_, bytes.data() + done, bytes.size() - done);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
      } else if (n < 0 && errno != EINTR) {
        return false;  // EIO: the other end closed, the line is gone
      }
    }
    return true;
  }

  std::size_t Receive(std::uint8_t* buffer, std::size_t capacity, unsigned timeoutMs) override {
    std::uint64_t deadline = Milliseconds() + timeoutMs;
    for (;;) {
      std::uint64_t now = Milliseconds();
      int left = now < deadline ? static_cast<int>(deadline - now) : 0;
      pollfd p{fd_, POLLIN, 0};
      int ready = poll(&p, 1, left);
      if (ready < 0 && errno == EINTR) continue;
      if (ready <= 0) return 0;
      if (p.revents & POLLIN) {
        ssize_t n = read(fd_, buffer, capacity);
        if (n > 0) return static_cast<std::size_t>(n);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      }
      // A hung-up line stays readable without bytes: wait the time out instead of spinning,
      // as a serial port with nothing at its other end would.
      if (left > 0) poll(nullptr, 0, left);
      return 0;
    }
  }

  std::uint64_t Milliseconds() override { return line::SteadyMilliseconds(); }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<line::Port> OpenTty(const std::string& path, std::string* error) {
  int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    *error = path + ": " + std::strerror(errno);
    return nullptr;
  }
  if (!SetRawLine(fd)) {
    *error = path + ": cannot set raw 19200 baud (" + std::strerror(errno) + ")";
    close(fd);
    return nullptr;
  }
  return std::make_unique<TtyPort>(fd);
}

bool SetRawLine(int fd) {
  // The frames' bytes cross as they are; the speed is what `simdev serve` paces the line by.
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  cfsetspeed(&t, B19200);
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace simdev::posix
