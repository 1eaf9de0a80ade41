// The stand-in libraries' end of the serial line.
#include "simdev/LibraryEnd.h"

#include <algorithm>
#include <type_traits>

#include "base/Wipe.h"
#include "simdev/PortDriver.h"
#include "simdev/Trace.h"

namespace simdev::remote {

namespace {

using line::Bytes;
using line::Reader;
using line::Writer;

// Each new line starts its numbering somewhere else, so that a device never takes a new
// program's first request for the repeat of the last one it answered: from the clock, mixed.
std::uint16_t FirstSequence(line::Port& port) {
  static std::uint32_t opened = 0;
  std::uint64_t mixed = (port.Milliseconds() + ++opened) * 0x9E3779B97F4A7C15ull;
  return static_cast<std::uint16_t>(mixed >> 48);
}

std::uint16_t StatusOf(Reader& answer) {
  std::uint16_t result = answer.U16();
  return answer.Ok() ? result : status::kGeneralFailure;
}

std::uint16_t LineStatus(line::Outcome outcome) {
  return outcome == line::Outcome::kGarbled ? status::kLineGarbled : status::kLineSilent;
}

// The kinds of a call's arguments after its handle, by their C types.
template <typename T>
constexpr bool kIsNumber = std::is_same_v<T, std::uint16_t>;
template <typename T>
constexpr bool kIsInput = std::is_same_v<T, const std::uint8_t*>;
template <typename T>
constexpr bool kIsBuffer = std::is_same_v<T, std::uint8_t*>;
template <typename T>
constexpr bool kIsCount = std::is_same_v<T, std::uint16_t*>;

}  // namespace

line::Client* Lines::Open(std::uint16_t port, std::uint16_t* status) {
  auto found = open_.find(port);
  if (found == open_.end()) {
    OpenLine fresh;
    fresh.port = opener_(port, status);
    if (!fresh.port) return nullptr;
    fresh.client =
        std::make_unique<line::Client>(*fresh.port, FirstSequence(*fresh.port), timeoutMs_);
    found = open_.emplace(port, std::move(fresh)).first;
  }
  ++found->second.users;
  return found->second.client.get();
}

void Lines::Release(std::uint16_t port) {
  auto found = open_.find(port);
  if (found != open_.end() && --found->second.users == 0) open_.erase(found);
}

std::uint16_t Lines::OpenSession(std::uint16_t port, const Bytes& request, std::uint32_t* handle) {
  std::uint16_t result = 0;
  line::Client* client = Open(port, &result);
  if (!client) return result;
  Bytes answer;
  line::Outcome outcome = client->Exchange(request, &answer);
  Reader in(answer);
  result = outcome == line::Outcome::kAnswered ? StatusOf(in) : LineStatus(outcome);
  std::uint32_t remote = in.U32();
  if (result != 0 || !in.Ok() || !handle) {
    Release(port);
    return result != 0 ? result : status::kGeneralFailure;
  }
  std::uint32_t h = next_++;
  sessions_[h] = Session{port, remote};
  *handle = h;
  return result;
}

const Lines::Session* Lines::Find(std::uint32_t handle) const {
  auto found = sessions_.find(handle);
  return found == sessions_.end() ? nullptr : &found->second;
}

void Lines::EndSession(std::uint32_t handle) {
  auto found = sessions_.find(handle);
  if (found == sessions_.end()) return;
  Release(found->second.port);
  sessions_.erase(found);
}

std::uint16_t LineCalls::Exchange(const Lines::Session& session, const Bytes& request,
                                  Bytes* answer, std::uint16_t silent) {
  std::uint16_t result = status::kOk;
  line::Client* client = lines_.Open(session.port, &result);
  if (!client) return result;
  line::Outcome outcome = client->Exchange(request, answer);
  lines_.Release(session.port);
  if (outcome == line::Outcome::kAnswered) return status::kOk;
  return silent == status::kLineSilent ? LineStatus(outcome) : silent;
}

template <typename Calls>
std::uint16_t LineCalls::OpenCall(typename Calls::Number call, std::uint16_t port,
                                  std::uint32_t* handle) {
  auto op = static_cast<std::uint8_t>(Calls::kBase + static_cast<std::uint8_t>(call));
  return lines_.OpenSession(port, Writer().U8(op).U8(handle ? 1 : 0).Take(), handle);
}

template <typename Calls, typename... A>
std::uint16_t LineCalls::Call(typename Calls::Number call, std::uint32_t handle, A... a) {
  if constexpr ((std::is_same_v<A, const char*> && ...) && sizeof...(A) == 1) {
    return Download(handle, a...);
  } else {
    const Lines::Session* session = lines_.Find(handle);
    if (!session) return status::kInvalidHandle;
    const Shape& shape = Calls::kShapes[static_cast<std::size_t>(call)];
    Writer w;
    w.U8(static_cast<std::uint8_t>(Calls::kBase + static_cast<std::uint8_t>(call)))
        .U32(session->remote);
    std::uint16_t first = 0, last = 0;
    bool numbered = false, buffer = false, outputs = false;
    auto number = [&](auto v) {
      if constexpr (kIsNumber<decltype(v)>) {
        w.U16(v);
        first = numbered ? first : v;
        last = v;
        numbered = true;
      }
    };
    (number(a), ...);
    auto input = [&](auto v) {
      if constexpr (kIsInput<decltype(v)>) {
        std::size_t n = SizeOf(shape.in, first, last);
        w.Field(n > 0 ? v : nullptr, n);
      }
    };
    (input(a), ...);
    auto given = [&](auto v) {
      if constexpr (kIsBuffer<decltype(v)> || kIsCount<decltype(v)>) {
        if (kIsCount<decltype(v)> && buffer) return;  // the buffer's count: not asked for
        w.U8(v ? 1 : 0);
        buffer = buffer || kIsBuffer<decltype(v)>;
        outputs = true;
      }
    };
    (given(a), ...);
    if (Calls::kOneOutput && !outputs) w.U8(0);
    Bytes request = w.Take();
    Bytes answer;
    std::uint16_t result = Exchange(*session, request, &answer);
    base::WipeBytes(request);
    // A closed handle is let go whatever the device said, as the library's inside does.
    if (call == Calls::Number::kClose) lines_.EndSession(handle);
    Reader in(answer);
    if (result == status::kOk) result = StatusOf(in);
    std::size_t placed = 0, most = SizeOf(shape.out, first, last);
    bool copied = false, missing = false;
    buffer = false;
    auto output = [&](auto v) {
      if constexpr (kIsBuffer<decltype(v)>) {
        auto bytes = in.Field();
        copied = result == status::kOk && v && bytes &&
                 (shape.out.how == Size::kFixed ? bytes->size() == most : bytes->size() <= most);
        if (copied) std::copy(bytes->begin(), bytes->end(), v);
        placed = bytes ? bytes->size() : 0;
        if (bytes) base::WipeBytes(*bytes);
        missing = missing || (v && !copied);
        buffer = true;
      } else if constexpr (kIsCount<decltype(v)>) {
        std::uint16_t n = buffer ? static_cast<std::uint16_t>(placed) : in.U16();
        if (v && (buffer ? copied : result == status::kOk && in.Ok())) *v = n;
      }
    };
    (output(a), ...);
    if (Calls::kOneOutput && !outputs) in.Field();
    // A success whose answer does not carry what the call places (cut short, or more than the
    // caller's buffer holds) is none: the caller would go on with outputs never written.
    if (result == status::kOk && (missing || !in.AtEnd())) result = status::kGeneralFailure;
    // A failed write or read lets the handle and its port go here, so that the program,
    // which makes no further call for that exchange, does not leave the COM port held.
    if (result != status::kOk && shape.releasesOnFailure) lines_.EndSession(handle);
    return result;
  }
}

std::uint16_t LineCalls::Download(std::uint32_t handle, const char* path) {
  const Lines::Session* session = lines_.Find(handle);
  if (!session) return status::kInvalidHandle;
  std::uint32_t remote = session->remote;
  auto image = std::make_unique<MemoryImage>();
  std::uint16_t verdict = ReadDownloadFile(path, image.get());
  Bytes answer;
  auto op = static_cast<std::uint8_t>(EftCalls::kBase + static_cast<std::uint8_t>(EftCall::kDload));
  Bytes begin = Writer().U8(op).U32(remote).Text(path ? path : "").U16(verdict).Take();
  // A device that does not answer cannot take the file; a file that cannot be read is the
  // first thing to tell even then.
  std::uint16_t silent = verdict != status::kOk ? verdict : status::kNoCommunication;
  std::uint16_t result = Exchange(*session, begin, &answer, silent);
  auto answered = [&] {
    Reader in(answer);
    return StatusOf(in);
  };
  if (result == status::kOk) result = answered();
  if (result != status::kOk) return result;
  BlocksSent sent = ForEachBlock(*image, kMaxDloadBlock, [&](std::uint16_t address, auto bytes) {
    Bytes block =
        Writer().U8(kDloadBlock).U32(remote).U16(address).Field(bytes.data(), bytes.size()).Take();
    result = Exchange(*session, block, &answer, status::kNoCommunication);
    if (result == status::kOk) result = answered();
    return result == status::kOk;
  });
  if (result != status::kOk) return result;
  result =
      Exchange(*session, Writer().U8(kDloadEnd).U32(remote).U32(sent.count).U16(sent.crc).Take(),
               &answer, status::kNoCommunication);
  return result == status::kOk ? answered() : result;
}

// The remote twins' calls, each made from its row.
#define SIMDEV_REMOTE_OPEN(Remote, Calls, method)                           \
  std::uint16_t Remote::method(std::uint16_t port, std::uint32_t* handle) { \
    return OpenCall<Calls>(Calls::Number::k##method, port, handle);         \
  }
#define SIMDEV_REMOTE_CALL(Remote, Calls, method, params, args)        \
  std::uint16_t Remote::method params {                                \
    return Call<Calls> SIMDEV_PREPEND(Calls::Number::k##method, args); \
  }
#define SIMDEV_PREPEND(first, args) (first, SIMDEV_UNPAREN args)
#define SIMDEV_UNPAREN(...) __VA_ARGS__
#define SIMDEV_EFT_OPEN(method, ...) SIMDEV_REMOTE_OPEN(RemoteEft, EftCalls, method)
#define SIMDEV_EFT_CALL(method, name, n, params, args, shape) \
  SIMDEV_REMOTE_CALL(RemoteEft, EftCalls, method, params, args)
#define SIMDEV_PIN_OPEN(method, ...) SIMDEV_REMOTE_OPEN(RemotePin, PinCalls, method)
#define SIMDEV_PIN_CALL(method, name, n, params, args, shape) \
  SIMDEV_REMOTE_CALL(RemotePin, PinCalls, method, params, args)
SIMDEV_EFT_CALLS(SIMDEV_EFT_OPEN, SIMDEV_NOTHING, SIMDEV_EFT_CALL)
SIMDEV_PIN_CALLS(SIMDEV_PIN_OPEN, SIMDEV_NOTHING, SIMDEV_PIN_CALL)

std::uint32_t RemotePddTrace(const Opener& opener, std::uint16_t port, const std::string& driver,
                             unsigned char* buffer, unsigned timeoutMs) {
  std::uint16_t opened = 0;
  auto line = buffer ? opener(port, &opened) : nullptr;
  if (!line) return kPddTraceNotActive;
  line::Client client(*line, FirstSequence(*line), timeoutMs);
  // The trace comes in pieces a frame can hold, and reaches the buffer only when whole.
  Bytes trace;
  for (;;) {
    Bytes answer;
    Bytes request =
        Writer().U8(kPddTraceOp).Text(driver).U32(static_cast<std::uint32_t>(trace.size())).Take();
    if (client.Exchange(request, &answer) != line::Outcome::kAnswered) break;
    Reader in(answer);
    StatusOf(in);
    std::uint32_t result = in.U32(), length = in.U32();
    auto piece = in.Field();
    // Any other piece than the device's end cuts is a broken answer: the trace is never whole.
    if (!in.Ok() || !piece || length > trace::kCapacity || length < trace.size() ||
        piece->size() != TracePiece(length, trace.size()))
      break;
    if (result == kPddTraceNotActive) return result;
    trace.insert(trace.end(), piece->begin(), piece->end());
    if (trace.size() == length) {
      std::copy(trace.begin(), trace.end(), buffer);
      return result;
    }
  }
  return kPddTraceNotActive;
}

}  // namespace simdev::remote
