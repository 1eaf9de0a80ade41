// The serial line between the stand-in libraries and the emulated devices: its frames, their
// reader, and the stop-and-wait exchange of a request and its answer over a port. README.md
// ("The serial line and simdev serve") lays out the frame and the retries. A device that
// receives again the request it answered last (same sequence number and check) sends that
// answer again without carrying the request out twice, so a retry never acts twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace simdev::line {

inline constexpr std::uint8_t kStart = 0x02;
enum Kind : std::uint8_t { kRequest = 'Q', kAnswer = 'A', kRefused = 'N' };
inline constexpr std::size_t kHeaderSize = 6;
inline constexpr std::size_t kCheckSize = 2;
inline constexpr std::size_t kMaxPayload = 1100;
inline constexpr unsigned kAnswerTimeoutMs = 1000;
inline constexpr unsigned kAttempts = 4;
// The line as the libraries set it: 19200 baud, 8 data bits, no parity, 1 stop bit.
inline constexpr unsigned kBaud = 19200;

using Bytes = std::vector<std::uint8_t>;

struct Frame {
  Kind kind = kRequest;
  std::uint16_t sequence = 0;
  Bytes payload;
};

// The frame's bytes; the payload must not exceed kMaxPayload.
Bytes Encode(const Frame& frame);
// The check of a frame: CRC-16/ARC of kind, sequence, length and payload.
std::uint16_t Check(const Frame& frame);

// Takes the bytes of a line as they come, in any pieces, and hands out the frames in them.
// Bytes before a start byte are passed over. A frame whose kind or length cannot be, or whose
// check is wrong, counts as garbled; the reader then looks for the next start byte after
// the garbled frame's own.
class FrameReader {
 public:
  void Feed(std::span<const std::uint8_t> bytes);
  // The next whole frame, if one is in; garbled frames before it are counted.
  std::optional<Frame> Next();
  // The garbled frames seen since the last call, as the sequence numbers they seemed to
  // carry, in order.
  std::vector<std::uint16_t> TakeGarbled();
  void Clear();

 private:
  Bytes pending_;
  std::vector<std::uint16_t> garbled_;
};

// One end of a serial line.
class Port {
 public:
  virtual ~Port() = default;
  // False when the line is gone (the port closed under the caller).
  virtual bool Send(std::span<const std::uint8_t> bytes) = 0;
  // What arrives within `timeoutMs`, at most `capacity` bytes; 0 when nothing came. Returns
  // as soon as some bytes are in.
  virtual std::size_t Receive(std::uint8_t* buffer, std::size_t capacity, unsigned timeoutMs) = 0;
  // A steady clock in milliseconds, for the time-outs. The port's own: in a stand-in DLL the
  // system's tick count, since the C++ clocks of MinGW's runtime bring imports a device
  // library has no business with (setting the system time among them).
  virtual std::uint64_t Milliseconds() = 0;
};

// The steady clock of the ports off Windows and of the tests (in its own object file, so a
// stand-in DLL that does not call it does not link it).
std::uint64_t SteadyMilliseconds();

enum class Outcome { kAnswered, kSilent, kGarbled };

// The library's end: one request at a time, with the retries above.
class Client {
 public:
  Client(Port& port, std::uint16_t firstSequence, unsigned timeoutMs = kAnswerTimeoutMs,
         unsigned attempts = kAttempts)
      : port_(port), sequence_(firstSequence), timeoutMs_(timeoutMs), attempts_(attempts) {}

  // Sends `request` and places its answer's payload in `answer`. kSilent when no answer came
  // (or the line is gone), kGarbled when the last attempt's answer came garbled.
  Outcome Exchange(std::span<const std::uint8_t> request, Bytes* answer);
  // Attempts made by the last Exchange beyond the first.
  unsigned Retries() const { return retries_; }

 private:
  Port& port_;
  std::uint16_t sequence_;
  unsigned timeoutMs_;
  unsigned attempts_;
  unsigned retries_ = 0;
  FrameReader reader_;
};

// The device's end of one line: turns incoming bytes into the bytes to send back, carrying
// each new request out through `Answer` and answering a repeated one from memory.
class Server {
 public:
  // What the device does with a request: the answer's payload.
  virtual Bytes Answer(std::span<const std::uint8_t> request) = 0;
  virtual ~Server() = default;

  // The frames to send for `incoming`, one encoded frame each.
  std::vector<Bytes> Take(std::span<const std::uint8_t> incoming);

 protected:
  // A whole request as it came off the line, before it is carried out: the place where a
  // line fault is applied. Returns false to leave the request unanswered.
  virtual bool Admit(const Frame&) { return true; }
  // The answer's frame as it goes onto the line: the place where a fault garbles or loses
  // it. Returns false to keep it off the line.
  virtual bool Sending(Bytes&) { return true; }
  // A request that came again and was answered from memory, or a garbled frame refused.
  virtual void Repeated(std::uint16_t) {}
  virtual void Refused(std::uint16_t) {}

 private:
  FrameReader reader_;
  std::optional<std::uint16_t> lastSequence_;
  std::uint16_t lastCheck_ = 0;
  Bytes lastAnswer_;
};

// Payload fields, little-endian. A Reader that runs past its end fails, and stays failed.
class Writer {
 public:
  Writer& U8(std::uint8_t v);
  Writer& U16(std::uint16_t v);
  Writer& U32(std::uint32_t v);
  // A byte field that may be absent (a null pointer at the library): a presence byte, then
  // when present a u16 length and the bytes. Presence is said outright, since an empty buffer
  // that was given is still given, whatever its data() is.
  Writer& Field(bool present, std::span<const std::uint8_t> bytes);
  // The library's pointer and length as it was called: absent when the pointer is null.
  Writer& Field(const std::uint8_t* bytes, std::size_t n) {
    return bytes ? Field(true, {bytes, n}) : Field(false, {});
  }
  Writer& Text(const std::string& text) {
    return Field(true, {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
  }
  Bytes Take() { return std::move(bytes_); }

 private:
  Bytes bytes_;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint8_t U8();
  std::uint16_t U16();
  std::uint32_t U32();
  // The field's bytes, or nullopt when it was absent (or the reader failed).
  std::optional<Bytes> Field();
  bool Ok() const { return ok_; }
  bool AtEnd() const { return ok_ && at_ == bytes_.size(); }

 private:
  bool Take(std::size_t n);
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

}  // namespace simdev::line
