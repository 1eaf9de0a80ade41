// A library's calls made directly on the state directory, or through the serial line to the
// device's end on the same directory: the library tests run both ways, so that the line is
// seen to carry every call, null pointers and faults included, without changing its result.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <thread>

#include "simdev/DeviceEnd.h"
#include "simdev/LibraryEnd.h"

namespace overtheline {

inline constexpr unsigned kTimeoutMs = 20;

// The line in one process: what the library sends is taken by the device's end at once.
class Loopback : public simdev::line::Port {
 public:
  explicit Loopback(simdev::line::Server& device) : device_(device) {}
  bool Send(std::span<const std::uint8_t> bytes) override {
    for (const auto& frame : device_.Take(bytes))
      toLibrary_.insert(toLibrary_.end(), frame.begin(), frame.end());
    return true;
  }
  std::uint64_t Milliseconds() override { return simdev::line::SteadyMilliseconds(); }
  std::size_t Receive(std::uint8_t* buffer, std::size_t capacity, unsigned timeoutMs) override {
    if (toLibrary_.empty()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
      return 0;
    }
    std::size_t n = std::min(capacity, toLibrary_.size());
    std::copy_n(toLibrary_.begin(), n, buffer);
    toLibrary_.erase(toLibrary_.begin(), toLibrary_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
  }

 private:
  simdev::line::Server& device_;
  std::deque<std::uint8_t> toLibrary_;
};

// A device's end that answers as `answer` says, for the answers no emulated device gives.
struct CannedDevice : simdev::line::Server {
  std::function<simdev::line::Bytes()> answer;
  simdev::line::Bytes Answer(std::span<const std::uint8_t>) override { return answer(); }
  simdev::remote::Opener Opener() {
    return [this](std::uint16_t, std::uint16_t*) -> std::unique_ptr<simdev::line::Port> {
      return std::make_unique<Loopback>(*this);
    };
  }
};

// The device's end of every port, over one state directory.
class Devices {
 public:
  explicit Devices(const std::string& dir) : eft_(dir), pin_(dir) {}
  simdev::remote::Opener Opener() {
    return [this](std::uint16_t port, std::uint16_t*) -> std::unique_ptr<simdev::line::Port> {
      auto& served = ports_[port];
      if (!served) served = std::make_unique<simdev::remote::ServedPort>(port, eft_, pin_);
      return std::make_unique<Loopback>(*served);
    };
  }

 private:
  simdev::EftLibrary eft_;
  simdev::PinLibrary pin_;
  std::map<std::uint16_t, std::unique_ptr<simdev::remote::ServedPort>> ports_;
};

// The two ways a library's calls are made: on its inside, or by its remote twin through the
// line. The library tests are typed tests over the call interface with both ways as types.
template <typename Inside>
struct Direct {
  static constexpr bool kOverTheLine = false;
  explicit Direct(const std::string& dir) : inside(dir) {}
  Inside inside;
  Inside& Calls() { return inside; }
};

template <typename Remote>
struct OverTheLine {
  static constexpr bool kOverTheLine = true;
  explicit OverTheLine(const std::string& dir) : devices(dir) {}
  Devices devices;
  Remote remote{devices.Opener(), kTimeoutMs};
  Remote& Calls() { return remote; }
};

struct WayName {
  template <typename Way>
  static std::string GetName(int) {
    return Way::kOverTheLine ? "OverTheLine" : "Direct";
  }
};

}  // namespace overtheline
