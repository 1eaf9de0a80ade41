// The stand-in libraries' calls carried over the serial line: the library's end (RemoteEft,
// RemotePin, RemoteTrace: the same calls as EftLibrary, PinLibrary and PddTrace, each one
// exchange of a request and its answer) and the device's end (ServedPort), which carries
// them out on the emulated devices of the server's state directory.
//
// A request's payload starts with the operation byte, an answer's with the u16 status; the
// fields follow as line::Writer puts them (numbers little-endian; a byte field is a presence
// byte, then a u16 length and the bytes, so a null pointer at the library stays one at the
// device). Handles are the device's.
//   op   request fields                          answer fields after the status
//   01   EftOpen: handle wanted (u8)             handle (u32)
//   02   EftWrite: handle, frame, written wanted written (u16)
//   03   EftRead: handle, capacity (u16), buffer given (u8)
//                                                the bytes placed (field)
//   04   EftClose: handle                        -
//   05   download begins: handle, file name, the library's verdict on the file (u16: 0, or
//        the status for a file it could not open or read)
//                                                - (status 0: send the blocks)
//   06   download block: handle, address (u16), bytes (at most kMaxDloadBlock)
//                                                -
//   07   download ends: handle, bytes sent (u32), CRC-16/ARC of them in order (u16)
//                                                - (the download's status)
//   1n   the PIN pad call of PinFunction n (PinOpen 11 ... PinClose 1C): handle (u32, none
//        for the two opens), its number arguments (u16 each), its byte arguments (fields),
//        then one u8 per output (1: the caller gave a buffer)
//                                                handle (u32) for the opens, else the
//                                                bytes the call placed (field)
//   20   PddTrace: driver name, offset (u32)     result (u32), the trace's length (u32), at
//                                                most kMaxTracePiece of its bytes from the
//                                                offset (field)
// A request that cannot be read is answered with kGeneralFailure.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "simdev/EftLibrary.h"
#include "simdev/Line.h"
#include "simdev/PinLibrary.h"
#include "simdev/Trace.h"

namespace simdev::remote {

enum Op : std::uint8_t {
  kEftOpen = 0x01,
  kEftWrite = 0x02,
  kEftRead = 0x03,
  kEftClose = 0x04,
  kDloadBegin = 0x05,
  kDloadBlock = 0x06,
  kDloadEnd = 0x07,
  kPinCall = 0x10,  // plus the PinFunction
  kPddTrace = 0x20,
};

// Statuses of the line itself, as a serial port reports them on Windows.
inline constexpr std::uint16_t kCannotOpenPort = 2;  // no such port
inline constexpr std::uint16_t kPortHeld = 5;        // the port is another program's
inline constexpr std::uint16_t kLineGarbled = 23;    // the answers came garbled every time
inline constexpr std::uint16_t kLineSilent = 121;    // no answer within the time-out

// A trace of up to 32768 bytes comes in pieces that fit a frame.
inline constexpr std::size_t kMaxTracePiece = 1024;

// Opens the line to the device on a COM port. On failure returns null with the status.
using Opener =
    std::function<std::unique_ptr<line::Port>(std::uint16_t port, std::uint16_t* status)>;

// What a library holds of its open lines (one per port, shared by the handles on it) and of
// its sessions: each handle of the library names a handle of the device on a port.
class Lines {
 public:
  struct Session {
    std::uint16_t port;
    std::uint32_t remote;
  };
  explicit Lines(Opener opener, unsigned timeoutMs)
      : opener_(std::move(opener)), timeoutMs_(timeoutMs) {}
  // The line of `port`, opened if need be; null with the status when it cannot be.
  line::Client* Open(std::uint16_t port, std::uint16_t* status);
  void Release(std::uint16_t port);
  // Opens the line of `port` and, with `request` (an open whose answer carries the device's
  // handle), a session on it; the library's handle for it in `*handle` (null: the device
  // refuses the open, as the caller gave no place for a handle).
  std::uint16_t OpenSession(std::uint16_t port, const line::Bytes& request, std::uint32_t* handle);
  const Session* Find(std::uint32_t handle) const;
  // Ends the session and lets its line go.
  void EndSession(std::uint32_t handle);

 private:
  struct OpenLine {
    std::unique_ptr<line::Port> port;
    std::unique_ptr<line::Client> client;
    unsigned users = 0;
  };
  Opener opener_;
  unsigned timeoutMs_;
  std::map<std::uint16_t, OpenLine> open_;
  std::map<std::uint32_t, Session> sessions_;
  std::uint32_t next_ = 1;
};

class RemoteEft {
 public:
  explicit RemoteEft(Opener opener, unsigned timeoutMs = line::kAnswerTimeoutMs)
      : lines_(std::move(opener), timeoutMs) {}
  std::uint16_t Open(std::uint16_t port, std::uint32_t* handle);
  std::uint16_t Write(std::uint32_t handle, const std::uint8_t* frame, std::uint16_t length,
                      std::uint16_t* written);
  std::uint16_t Read(std::uint32_t handle, std::uint8_t* buffer, std::uint16_t capacity,
                     std::uint16_t* read);
  std::uint16_t Close(std::uint32_t handle);
  std::uint16_t Dload(std::uint32_t handle, const char* path);

 private:
  std::uint16_t Call(const Lines::Session& session, const line::Bytes& request, line::Bytes* answer,
                     std::uint16_t silentStatus = kLineSilent);
  Lines lines_;
};

class RemotePin {
 public:
  explicit RemotePin(Opener opener, unsigned timeoutMs = line::kAnswerTimeoutMs)
      : lines_(std::move(opener), timeoutMs) {}
  std::uint16_t Open(std::uint16_t port, std::uint32_t* handle);
  std::uint16_t OpenParms(std::uint16_t port, std::uint32_t* handle);
  std::uint16_t LoadMasterKey(std::uint32_t handle, std::uint16_t keyType, const std::uint8_t* key,
                              std::uint8_t* response);
  std::uint16_t EnterMasterKey(std::uint32_t handle, std::uint16_t keyType, std::uint8_t* response);
  std::uint16_t LoadKey(std::uint32_t handle, std::uint16_t keyId, std::uint16_t variant,
                        const std::uint8_t* key, std::uint8_t* response);
  std::uint16_t LoadIcv(std::uint32_t handle, std::uint16_t variant, const std::uint8_t* icv);
  std::uint16_t LoadVerifParms(std::uint32_t handle, std::uint16_t pinLength,
                               const std::uint8_t* table);
  std::uint16_t SetModeEnc(std::uint32_t handle);
  std::uint16_t SetModeClr(std::uint32_t handle);
  std::uint16_t ReadSn(std::uint32_t handle, std::uint8_t* serial);
  std::uint16_t ExecDevDiag(std::uint32_t handle, std::uint16_t code, std::uint8_t* buffer);
  std::uint16_t Close(std::uint32_t handle);

 private:
  std::uint16_t OpenOn(PinFunction function, std::uint16_t port, std::uint32_t* handle);
  // One call on an open handle: its numbers, its byte arguments (pointer and length), and
  // where its output goes (null when the caller gave no buffer; at most `outputSize` bytes).
  std::uint16_t Call(PinFunction function, std::uint32_t handle,
                     std::initializer_list<std::uint16_t> numbers,
                     std::initializer_list<std::pair<const std::uint8_t*, std::size_t>> inputs,
                     std::uint8_t* output, std::size_t outputSize);
  Lines lines_;
};

// PddTrace of a driver, asked of the server on the first of `ports` that answers.
std::uint32_t RemotePddTrace(const Opener& opener, std::span<const std::uint16_t> ports,
                             const std::string& driver, unsigned char* buffer);

// The device's end of one COM port's line, over the libraries' insides on the server's
// state directory. Line faults scripted in the port's state file act on the frames here.
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
  line::Bytes Eft(line::Reader& in, std::uint8_t op);
  line::Bytes Pin(line::Reader& in, PinFunction function);
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
