// The device's end of one COM port's serial line: carries out the stand-in libraries' calls
// (simdev/Calls.h, simdev/LibraryEnd.h) on the emulated devices of the server's state
// directory, through the libraries' insides. Line faults scripted in the port's state file
// act on the frames here.
#pragma once

#include <cstdint>
#include <span>
#include <utility>

#include "simdev/EftLibrary.h"
#include "simdev/Line.h"
#include "simdev/PinLibrary.h"
#include "simdev/Trace.h"

namespace simdev::remote {

class ServedPort : public line::Server {
 public:
  ServedPort(std::uint16_t port, EftLibrary& eft, PinLibrary& pin)
      : port_(port), eft_(eft), pin_(pin) {}
  line::Bytes Answer(std::span<const std::uint8_t> request) override;
  std::uint16_t PortNumber() const { return port_; }
  // Milliseconds the last admitted request's answer is to be held back (a delay fault).
  unsigned TakeDelay() { return std::exchange(delayMs_, 0); }

 protected:
  bool Admit(const line::Frame& frame) override;
  bool Sending(line::Bytes& frame) override;
  void Repeated(std::uint16_t sequence) override { Note(trace::kRepeated, sequence); }
  void Refused(std::uint16_t sequence) override { Note(trace::kRefused, sequence); }

 private:
  line::Bytes Eft(line::Reader& in, EftCall call);
  line::Bytes Pin(line::Reader& in, PinCall call);
  // Records a line event in the trace of the driver of the port's device, if one is attached.
  void Note(trace::LineEvent event, std::uint16_t sequence);
  std::uint16_t port_;
  EftLibrary& eft_;
  PinLibrary& pin_;
  unsigned delayMs_ = 0;
  enum class Hit { kNone, kGarble, kSilence } answerFault_ = Hit::kNone;
  std::uint16_t sequence_ = 0;  // of the request being answered
};

}  // namespace simdev::remote
