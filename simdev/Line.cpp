// The serial line's frames and its two ends.
#include "simdev/Line.h"

#include <algorithm>
#include <utility>

#include "base/Crc16.h"
#include "base/LittleEndian.h"

namespace simdev::line {

namespace {

using base::Get16;
using base::Put16;

bool IsKind(std::uint8_t k) { return k == kRequest || k == kAnswer || k == kRefused; }

}  // namespace

std::uint16_t Check(const Frame& frame) {
  // On the stack: every frame in and out is checked, garbled ones and replays included.
  const auto n = static_cast<std::uint16_t>(frame.payload.size());
  const std::uint8_t head[] = {frame.kind, static_cast<std::uint8_t>(frame.sequence),
                               static_cast<std::uint8_t>(frame.sequence >> 8),
                               static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8)};
  return base::Crc16Arc(frame.payload, base::Crc16Arc(head));
}

Bytes Encode(const Frame& frame) {
  Bytes out;
  out.reserve(kHeaderSize + frame.payload.size() + kCheckSize);
  out.push_back(kStart);
  out.push_back(frame.kind);
  Put16(out, frame.sequence);
  Put16(out, static_cast<std::uint16_t>(frame.payload.size()));
  out.insert(out.end(), frame.payload.begin(), frame.payload.end());
  Put16(out, Check(frame));
  return out;
}

void FrameReader::Feed(std::span<const std::uint8_t> bytes) {
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
}

std::optional<Frame> FrameReader::Next() {
  for (;;) {
    auto start = std::find(pending_.begin(), pending_.end(), kStart);
    pending_.erase(pending_.begin(), start);
    if (pending_.size() < kHeaderSize) return std::nullopt;
    std::size_t n = Get16(&pending_[4]);
    if (!IsKind(pending_[1]) || n > kMaxPayload) {
      garbled_.push_back(Get16(&pending_[2]));
      pending_.erase(pending_.begin());
      continue;
    }
    if (pending_.size() < kHeaderSize + n + kCheckSize) return std::nullopt;
    Frame frame;
    frame.kind = static_cast<Kind>(pending_[1]);
    frame.sequence = Get16(&pending_[2]);
    auto body = pending_.begin() + kHeaderSize;
    frame.payload.assign(body, body + static_cast<std::ptrdiff_t>(n));
    if (Get16(&pending_[kHeaderSize + n]) != Check(frame)) {
      garbled_.push_back(frame.sequence);
      pending_.erase(pending_.begin());
      continue;
    }
    pending_.erase(pending_.begin(), body + static_cast<std::ptrdiff_t>(n + kCheckSize));
    return frame;
  }
}

std::vector<std::uint16_t> FrameReader::TakeGarbled() { return std::exchange(garbled_, {}); }

void FrameReader::Clear() {
  pending_.clear();
  garbled_.clear();
}

Outcome Client::Exchange(std::span<const std::uint8_t> request, Bytes* answer) {
  Frame frame{kRequest, sequence_++, Bytes(request.begin(), request.end())};
  Bytes encoded = Encode(frame);
  std::fill(frame.payload.begin(), frame.payload.end(), 0);
  Outcome outcome = Outcome::kSilent;
  for (retries_ = 0; retries_ < attempts_; ++retries_) {
    // What is still on the line from an earlier attempt is not this attempt's answer.
    reader_.Clear();
    if (!port_.Send(encoded)) break;
    std::uint64_t deadline = port_.Milliseconds() + timeoutMs_;
    outcome = Outcome::kSilent;
    bool received = false;  // at least once per attempt, even with no time to wait
    while (outcome == Outcome::kSilent) {
      while (auto got = reader_.Next()) {
        if (got->sequence != frame.sequence || got->kind == kRequest) continue;
        if (got->kind == kRefused) {
          outcome = Outcome::kGarbled;
          break;
        }
        *answer = std::move(got->payload);
        std::fill(encoded.begin(), encoded.end(), 0);
        return Outcome::kAnswered;
      }
      // A garbled answer is asked for again at once instead of after the time-out.
      if (!reader_.TakeGarbled().empty()) outcome = Outcome::kGarbled;
      std::uint64_t now = port_.Milliseconds();
      unsigned left = now < deadline ? static_cast<unsigned>(deadline - now) : 0;
      if (outcome != Outcome::kSilent || (received && left == 0)) break;
      std::uint8_t buffer[512];
      std::size_t n = port_.Receive(buffer, sizeof buffer, left);
      received = true;
      reader_.Feed({buffer, n});
    }
  }
  if (retries_ > 0) --retries_;
  std::fill(encoded.begin(), encoded.end(), 0);
  return outcome;
}

std::vector<Bytes> Server::Take(std::span<const std::uint8_t> incoming) {
  std::vector<Bytes> out;
  reader_.Feed(incoming);
  for (;;) {
    auto frame = reader_.Next();
    // A garbled request is refused with the number it seemed to have; the library sends it
    // again at once instead of waiting out its time-out.
    for (std::uint16_t sequence : reader_.TakeGarbled()) {
      Refused(sequence);
      out.push_back(Encode(Frame{kRefused, sequence, {}}));
    }
    if (!frame) return out;
    if (frame->kind != kRequest) continue;
    if (!Admit(*frame)) continue;
    std::uint16_t check = Check(*frame);
    if (lastSequence_ == frame->sequence && lastCheck_ == check) {
      Repeated(frame->sequence);
    } else {
      lastAnswer_ = Answer(frame->payload);
      lastSequence_ = frame->sequence;
      lastCheck_ = check;
    }
    std::fill(frame->payload.begin(), frame->payload.end(), 0);
    Bytes encoded = Encode(Frame{kAnswer, frame->sequence, lastAnswer_});
    if (Sending(encoded)) out.push_back(std::move(encoded));
  }
}

Writer& Writer::U8(std::uint8_t v) {
  bytes_.push_back(v);
  return *this;
}

Writer& Writer::U16(std::uint16_t v) {
  Put16(bytes_, v);
  return *this;
}

Writer& Writer::U32(std::uint32_t v) {
  base::Put32(bytes_, v);
  return *this;
}

Writer& Writer::Field(bool present, std::span<const std::uint8_t> bytes) {
  U8(present ? 1 : 0);
  if (present) {
    U16(static_cast<std::uint16_t>(bytes.size()));
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  }
  return *this;
}

bool Reader::Take(std::size_t n) {
  if (!ok_ || bytes_.size() - at_ < n) {
    ok_ = false;
    return false;
  }
  return true;
}

std::uint8_t Reader::U8() {
  if (!Take(1)) return 0;
  return bytes_[at_++];
}

std::uint16_t Reader::U16() {
  if (!Take(2)) return 0;
  std::uint16_t v = Get16(&bytes_[at_]);
  at_ += 2;
  return v;
}

std::uint32_t Reader::U32() {
  std::uint32_t low = U16();
  return low | (static_cast<std::uint32_t>(U16()) << 16);
}

std::optional<Bytes> Reader::Field() {
  if (U8() == 0) return std::nullopt;
  std::size_t n = U16();
  if (!Take(n)) return std::nullopt;
  Bytes out(bytes_.begin() + static_cast<std::ptrdiff_t>(at_),
            bytes_.begin() + static_cast<std::ptrdiff_t>(at_ + n));
  at_ += n;
  return out;
}

}  // namespace simdev::line
