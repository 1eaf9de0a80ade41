// The device's end of the serial line.
#include "simdev/DeviceEnd.h"

#include <algorithm>
#include <optional>
#include <tuple>

#include "base/Number.h"
#include "base/Wipe.h"
#include "simdev/Faults.h"
#include "simdev/PortDriver.h"
#include "simdev/State.h"
#include "simdev/Status.h"

namespace simdev::remote {

namespace {

using line::Bytes;
using line::Reader;
using line::Writer;

// What the device's end holds of one argument of a call from its request, and what it
// passes the library's inside for it.
template <typename T>
struct Held;
template <>
struct Held<std::uint16_t> {  // a number
  std::uint16_t value = 0;
  std::uint16_t Arg() { return value; }
};
template <>
struct Held<const std::uint8_t*> {  // a byte argument, null unless it came whole
  std::optional<Bytes> bytes;
  bool usable = false;
  const std::uint8_t* Arg() { return usable ? bytes->data() : nullptr; }
};
template <>
struct Held<std::uint8_t*> {  // a buffer, null unless the caller gave one
  bool given = false;
  Bytes buffer;
  std::uint8_t* Arg() { return given ? buffer.data() : nullptr; }
};
template <>
struct Held<std::uint16_t*> {  // a count: asked for, or the count of the buffer before it
  bool given = false, ofBuffer = false;
  std::uint16_t value = 0;
  std::uint16_t* Arg() { return given || ofBuffer ? &value : nullptr; }
};

// An open: whether the caller gave a place for the handle, then the handle.
template <typename Calls, typename Library>
Bytes ServeOpen(Reader& in, std::uint16_t port, Library& library,
                std::uint16_t (Calls::*open)(std::uint16_t, std::uint32_t*)) {
  bool wanted = in.U8() != 0;
  if (!in.AtEnd()) return {};
  std::uint32_t handle = 0;
  std::uint16_t result = (library.*open)(port, wanted ? &handle : nullptr);
  return Writer().U16(result).U32(handle).Take();
}

// A call on a handle, its request read and its answer written as Calls.h lays them out.
template <typename Calls, typename Library, typename... P>
Bytes ServeCall(Reader& in, typename Calls::Number call, Library& library,
                std::uint16_t (Calls::*method)(std::uint32_t, P...)) {
  const Shape& shape = Calls::kShapes[static_cast<std::size_t>(call)];
  std::uint32_t handle = in.U32();
  std::tuple<Held<P>...> held;
  std::uint16_t first = 0, last = 0;
  bool numbered = false, buffer = false, outputs = false;
  const std::uint16_t* counted = nullptr;  // what the library says it placed in the buffer
  auto number = [&](auto& h) {
    if constexpr (std::is_same_v<decltype(h.Arg()), std::uint16_t>) {
      h.value = in.U16();
      first = numbered ? first : h.value;
      last = h.value;
      numbered = true;
    }
  };
  auto input = [&](auto& h) {
    if constexpr (std::is_same_v<decltype(h.Arg()), const std::uint8_t*>) h.bytes = in.Field();
  };
  auto given = [&](auto& h) {
    using A = decltype(h.Arg());
    if constexpr (std::is_same_v<A, std::uint8_t*> || std::is_same_v<A, std::uint16_t*>) {
      if constexpr (std::is_same_v<A, std::uint16_t*>) {
        h.ofBuffer = buffer;
        counted = buffer ? &h.value : counted;
        if (buffer) return;
      }
      h.given = in.U8() != 0;
      buffer = buffer || std::is_same_v<A, std::uint8_t*>;
      outputs = true;
    }
  };
  std::apply([&](auto&... h) { (number(h), ...), (input(h), ...), (given(h), ...); }, held);
  if (Calls::kOneOutput && !outputs) in.U8();
  if (!in.AtEnd()) return {};
  // The device reads as many bytes as the call takes; what came is checked against that, so
  // a short field never lets it read past the bytes received. A frame whose field does not
  // have the length it was sent with cannot be read at all.
  bool readable = true;
  std::size_t inBytes = SizeOf(shape.in, first, last), out = SizeOf(shape.out, first, last);
  auto prepare = [&](auto& h) {
    using A = decltype(h.Arg());
    if constexpr (std::is_same_v<A, const std::uint8_t*>) {
      if (shape.in.how == Size::kCounted) {
        readable = !h.bytes || h.bytes->size() == last;
        h.usable = h.bytes.has_value();
      } else {
        h.usable = h.bytes && inBytes > 0 && h.bytes->size() == inBytes;
      }
    } else if constexpr (std::is_same_v<A, std::uint8_t*>) {
      h.buffer.assign(std::max<std::size_t>(out, 1), 0);  // a given buffer is never null here
    }
  };
  std::apply([&](auto&... h) { (prepare(h), ...); }, held);
  if (!readable) return {};
  std::uint16_t result =
      std::apply([&](auto&... h) { return (library.*method)(handle, h.Arg()...); }, held);
  Writer w;
  w.U16(result);
  if (Calls::kOneOutput && !outputs) w.Field(false, {});
  auto answer = [&](auto& h) {
    using A = decltype(h.Arg());
    if constexpr (std::is_same_v<A, std::uint8_t*>) {
      std::size_t placed =
          shape.out.how == Size::kCounted     ? std::min<std::size_t>(counted ? *counted : 0, out)
          : result != status::kOk || !h.given ? 0
          : shape.out.how == Size::kText
              ? std::find(h.buffer.begin(), h.buffer.end() - 1, 0) - h.buffer.begin() + 1
              : out;
      bool sent = shape.out.how == Size::kCounted ? h.given : h.given && placed > 0;
      w.Field(sent, std::span(h.buffer).first(placed));
      base::WipeBytes(h.buffer);
    } else if constexpr (std::is_same_v<A, std::uint16_t*>) {
      if (!h.ofBuffer) w.U16(h.value);
    } else if constexpr (std::is_same_v<A, const std::uint8_t*>) {
      if (h.bytes) base::WipeBytes(*h.bytes);
    }
  };
  std::apply([&](auto&... h) { (answer(h), ...); }, held);
  return w.Take();
}

// EftDload's start; its blocks and end have operations of their own.
Bytes ServeCall(Reader& in, EftCall, EftLibrary& library,
                std::uint16_t (EftCalls::*)(std::uint32_t, const char*)) {
  std::uint32_t handle = in.U32();
  auto name = in.Field();
  std::uint16_t verdict = in.U16();
  if (!in.AtEnd() || !name) return {};
  return Writer()
      .U16(library.DloadBegin(handle, std::string(name->begin(), name->end()), verdict))
      .Take();
}

}  // namespace

void ServedPort::Note(trace::LineEvent event, std::uint16_t sequence) {
  auto device = DeviceOnPort(eft_.StateDir(), port_);
  if (!device) return;
  trace::Record r;
  r.kind = trace::kLineEvent;
  r.model = static_cast<std::uint16_t>(base::ParseDecimal(device->model, 0xFFFF).value_or(0));
  r.port = port_;
  r.data = {event, static_cast<std::uint8_t>(sequence), static_cast<std::uint8_t>(sequence >> 8)};
  trace::Append(eft_.StateDir(), trace::DriverForModel(device->model), std::move(r));
}

bool ServedPort::Admit(const line::Frame& frame) {
  answerFault_ = Hit::kNone;
  sequence_ = frame.sequence;
  auto device = DeviceOnPort(eft_.StateDir(), port_);
  // Without a device on its port the library's inside answers as it always has: no device
  // at the open, the device gone after it.
  if (!device) return true;
  std::string path = JoinPath(eft_.StateDir(), device->fileName);
  KeyValues state;
  if (LoadKeyValues(path, &state) != LoadResult::kOk) return true;
  KeyValues before = state;
  auto fault = faults::TakeLineFault(state);
  if (state != before) SaveKeyValues(path, state, "simdev: emulated device " + device->fileName);
  if (!fault) return true;
  using Fault = faults::LineFault;
  if (fault->kind == Fault::kDrop || fault->kind == Fault::kUnplug) {
    Note(fault->kind == Fault::kDrop ? trace::kDropped : trace::kUnplugged, frame.sequence);
    return false;
  }
  if (fault->kind == Fault::kGarble) answerFault_ = Hit::kGarble;
  if (fault->kind == Fault::kSilence) answerFault_ = Hit::kSilence;
  if (fault->kind == Fault::kDelay) {
    delayMs_ = fault->ms;
    Note(trace::kHeldBack, frame.sequence);
  }
  return true;
}

bool ServedPort::Sending(line::Bytes& frame) {
  Hit hit = std::exchange(answerFault_, Hit::kNone);
  if (hit == Hit::kSilence) Note(trace::kAnswerLost, sequence_);
  if (hit == Hit::kGarble) Note(trace::kGarbled, sequence_);
  if (hit == Hit::kSilence) return false;
  if (hit == Hit::kGarble && !frame.empty()) frame.back() ^= 0x5A;
  return true;
}

line::Bytes ServedPort::Answer(std::span<const std::uint8_t> request) {
  Reader in(request);
  std::uint8_t op = in.U8();
  Bytes answer;
  auto within = [op](auto base, auto count) { return op > base && op <= base + count; };
  try {
    if (within(EftCalls::kBase, EftCalls::kCount)) {
      answer = Eft(in, static_cast<EftCall>(op - EftCalls::kBase));
    } else if (op == kDloadBlock) {
      std::uint32_t handle = in.U32();
      std::uint16_t address = in.U16();
      auto bytes = in.Field();
      if (in.AtEnd() && bytes)
        answer = Writer().U16(eft_.DloadBlock(handle, address, *bytes)).Take();
    } else if (op == kDloadEnd) {
      std::uint32_t handle = in.U32();
      std::uint32_t count = in.U32();
      std::uint16_t crc = in.U16();
      if (in.AtEnd()) answer = Writer().U16(eft_.DloadEnd(handle, count, crc)).Take();
    } else if (within(PinCalls::kBase, PinCalls::kCount)) {
      answer = Pin(in, static_cast<PinCall>(op - PinCalls::kBase));
    } else if (op == kPddTraceOp) {
      auto driver = in.Field();
      std::uint32_t offset = in.U32();
      if (in.AtEnd() && driver) {
        auto trace =
            trace::ReadActive(eft_.StateDir(), std::string(driver->begin(), driver->end()));
        Bytes kept = trace ? std::move(*trace) : Bytes();
        std::size_t from = std::min<std::size_t>(offset, kept.size());
        std::size_t n = TracePiece(kept.size(), from);
        answer = Writer()
                     .U16(0)
                     .U32(trace ? kPddTraceActive : kPddTraceNotActive)
                     .U32(static_cast<std::uint32_t>(kept.size()))
                     .Field(true, std::span(kept).subspan(from, n))
                     .Take();
      }
    }
  } catch (...) {
    answer.clear();
  }
  // An answer no frame can hold would never be read whole: the request failed.
  if (answer.empty() || answer.size() > line::kMaxPayload)
    answer = Writer().U16(status::kGeneralFailure).Take();
  return answer;
}

// Each call of a list served from its row.
#define SIMDEV_SERVE_OPEN(method, ...) \
  case Calls::Number::k##method:       \
    return ServeOpen(in, port_, library, &Calls::method);
#define SIMDEV_SERVE_CALL(method, ...) \
  case Calls::Number::k##method:       \
    return ServeCall(in, call, library, &Calls::method);

line::Bytes ServedPort::Eft(Reader& in, EftCall call) {
  using Calls = EftCalls;
  EftLibrary& library = eft_;
  switch (call) {
    SIMDEV_EFT_CALLS(SIMDEV_SERVE_OPEN, SIMDEV_NOTHING, SIMDEV_SERVE_CALL)
    default:
      return {};
  }
}

line::Bytes ServedPort::Pin(Reader& in, PinCall call) {
  using Calls = PinCalls;
  PinLibrary& library = pin_;
  switch (call) {
    SIMDEV_PIN_CALLS(SIMDEV_SERVE_OPEN, SIMDEV_NOTHING, SIMDEV_SERVE_CALL)
    default:
      return {};
  }
}

}  // namespace simdev::remote
