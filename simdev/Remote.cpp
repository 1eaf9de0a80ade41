// The stand-in libraries' calls over the serial line, at both of its ends.
#include "simdev/Remote.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "base/Wipe.h"
#include "simdev/Digest.h"
#include "simdev/Guarded.h"
#include "simdev/PinPad8342.h"
#include "simdev/PortDriver.h"
#include "simdev/State.h"
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
  std::uint16_t status = answer.U16();
  return answer.Ok() ? status : kGeneralFailure;
}

std::uint16_t LineStatus(line::Outcome outcome) {
  return outcome == line::Outcome::kGarbled ? kLineGarbled : kLineSilent;
}

void Wipe(Bytes& bytes) { base::WipeBytes(bytes.data(), bytes.size()); }

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
  std::uint16_t status = 0;
  line::Client* client = Open(port, &status);
  if (!client) return status;
  Bytes answer;
  line::Outcome outcome = client->Exchange(request, &answer);
  Reader in(answer);
  status = outcome == line::Outcome::kAnswered ? StatusOf(in) : LineStatus(outcome);
  std::uint32_t remote = in.U32();
  if (status != 0 || !in.Ok() || !handle) {
    Release(port);
    return status != 0 ? status : kGeneralFailure;
  }
  std::uint32_t h = next_++;
  sessions_[h] = Session{port, remote};
  *handle = h;
  return status;
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

// --- The EFT library's end ---

std::uint16_t RemoteEft::Open(std::uint16_t port, std::uint32_t* handle) {
  return lines_.OpenSession(port, Writer().U8(kEftOpen).U8(handle ? 1 : 0).Take(), handle);
}

std::uint16_t RemoteEft::Call(const Lines::Session& session, const Bytes& request, Bytes* answer,
                              std::uint16_t silentStatus) {
  std::uint16_t status = eftstatus::kOk;
  line::Client* client = lines_.Open(session.port, &status);
  if (!client) return status;
  line::Outcome outcome = client->Exchange(request, answer);
  lines_.Release(session.port);
  if (outcome == line::Outcome::kAnswered) return eftstatus::kOk;
  return silentStatus == kLineSilent ? LineStatus(outcome) : silentStatus;
}

std::uint16_t RemoteEft::Write(std::uint32_t handle, const std::uint8_t* frame,
                               std::uint16_t length, std::uint16_t* written) {
  const Lines::Session* session = lines_.Find(handle);
  if (!session) return eftstatus::kInvalidHandle;
  // A frame the device refuses anyway is not read out of the caller's memory.
  bool usable = frame && length > 0 && length <= kMaxWriteLength;
  Bytes request = Writer()
                      .U8(kEftWrite)
                      .U32(session->remote)
                      .U16(length)
                      .Field(usable ? frame : nullptr, length)
                      .U8(written ? 1 : 0)
                      .Take();
  Bytes answer;
  std::uint16_t status = Call(*session, request, &answer);
  Wipe(request);
  if (status != eftstatus::kOk) return status;
  Reader in(answer);
  status = StatusOf(in);
  std::uint16_t n = in.U16();
  if (status == eftstatus::kOk && written && in.Ok()) *written = n;
  return status;
}

std::uint16_t RemoteEft::Read(std::uint32_t handle, std::uint8_t* buffer, std::uint16_t capacity,
                              std::uint16_t* read) {
  const Lines::Session* session = lines_.Find(handle);
  if (!session) return eftstatus::kInvalidHandle;
  Bytes request =
      Writer().U8(kEftRead).U32(session->remote).U16(capacity).U8(buffer ? 1 : 0).Take();
  Bytes answer;
  std::uint16_t status = Call(*session, request, &answer);
  if (status != eftstatus::kOk) return status;
  Reader in(answer);
  status = StatusOf(in);
  auto placed = in.Field();
  if (status == eftstatus::kOk && placed && buffer && placed->size() <= capacity) {
    std::copy(placed->begin(), placed->end(), buffer);
    if (read) *read = static_cast<std::uint16_t>(placed->size());
  }
  return status;
}

std::uint16_t RemoteEft::Close(std::uint32_t handle) {
  const Lines::Session* session = lines_.Find(handle);
  if (!session) return eftstatus::kInvalidHandle;
  Bytes answer;
  std::uint16_t status =
      Call(*session, Writer().U8(kEftClose).U32(session->remote).Take(), &answer);
  Reader in(answer);
  if (status == eftstatus::kOk) status = StatusOf(in);
  // The handle is let go whatever the device said: the program is done with it.
  lines_.EndSession(handle);
  return status;
}

std::uint16_t RemoteEft::Dload(std::uint32_t handle, const char* path) {
  const Lines::Session* session = lines_.Find(handle);
  if (!session) return eftstatus::kInvalidHandle;
  std::uint32_t remote = session->remote;
  auto image = std::make_unique<MemoryImage>();
  std::uint16_t verdict = ReadDownloadFile(path, image.get());
  Bytes answer;
  Bytes begin = Writer().U8(kDloadBegin).U32(remote).Text(path ? path : "").U16(verdict).Take();
  // A device that does not answer cannot take the file; a file that cannot be read is the
  // first thing to tell even then.
  std::uint16_t silent = verdict != eftstatus::kOk ? verdict : eftstatus::kNoCommunication;
  std::uint16_t status = Call(*session, begin, &answer, silent);
  if (status != eftstatus::kOk) return status;
  Reader started(answer);
  status = StatusOf(started);
  if (status != eftstatus::kOk) return status;
  BlocksSent sent = ForEachBlock(*image, kMaxDloadBlock, [&](std::uint16_t address, auto bytes) {
    Bytes block =
        Writer().U8(kDloadBlock).U32(remote).U16(address).Field(bytes.data(), bytes.size()).Take();
    status = Call(*session, block, &answer, eftstatus::kNoCommunication);
    if (status == eftstatus::kOk) {
      Reader in(answer);
      status = StatusOf(in);
    }
    return status == eftstatus::kOk;
  });
  if (status != eftstatus::kOk) return status;
  status = Call(*session, Writer().U8(kDloadEnd).U32(remote).U32(sent.count).U16(sent.crc).Take(),
                &answer, eftstatus::kNoCommunication);
  if (status != eftstatus::kOk) return status;
  Reader ended(answer);
  return StatusOf(ended);
}

// --- The PIN pad library's end ---

std::uint16_t RemotePin::OpenOn(PinFunction function, std::uint16_t port, std::uint32_t* handle) {
  Bytes request = Writer()
                      .U8(static_cast<std::uint8_t>(kPinCall + static_cast<int>(function)))
                      .U8(handle ? 1 : 0)
                      .Take();
  return lines_.OpenSession(port, request, handle);
}

std::uint16_t RemotePin::Open(std::uint16_t port, std::uint32_t* handle) {
  return OpenOn(PinFunction::kOpen, port, handle);
}

std::uint16_t RemotePin::OpenParms(std::uint16_t port, std::uint32_t* handle) {
  return OpenOn(PinFunction::kOpenParms, port, handle);
}

std::uint16_t RemotePin::Call(
    PinFunction function, std::uint32_t handle, std::initializer_list<std::uint16_t> numbers,
    std::initializer_list<std::pair<const std::uint8_t*, std::size_t>> inputs, std::uint8_t* output,
    std::size_t outputSize) {
  const Lines::Session* session = lines_.Find(handle);
  if (!session) return pinstatus::kInvalidHandle;
  Writer w;
  w.U8(static_cast<std::uint8_t>(kPinCall + static_cast<int>(function))).U32(session->remote);
  for (std::uint16_t n : numbers) w.U16(n);
  for (auto [bytes, n] : inputs) w.Field(n > 0 ? bytes : nullptr, n);
  w.U8(output ? 1 : 0);
  Bytes request = w.Take();
  std::uint16_t status = pinstatus::kOk;
  line::Client* client = lines_.Open(session->port, &status);
  if (!client) return status;
  Bytes answer;
  line::Outcome outcome = client->Exchange(request, &answer);
  Wipe(request);
  lines_.Release(session->port);
  // The handle is let go whatever the device said, as the library's inside does.
  if (function == PinFunction::kClose) lines_.EndSession(handle);
  if (outcome != line::Outcome::kAnswered) return LineStatus(outcome);
  Reader in(answer);
  status = StatusOf(in);
  auto placed = in.Field();
  if (status == pinstatus::kOk && output && placed && placed->size() <= outputSize)
    std::copy(placed->begin(), placed->end(), output);
  if (placed) Wipe(*placed);
  return status;
}

namespace {

std::pair<const std::uint8_t*, std::size_t> In(const std::uint8_t* p, std::size_t n) {
  return {p, p ? n : 0};
}

}  // namespace

std::uint16_t RemotePin::LoadMasterKey(std::uint32_t handle, std::uint16_t keyType,
                                       const std::uint8_t* key, std::uint8_t* response) {
  return Call(PinFunction::kLoadMasterKey, handle, {keyType}, {In(key, MasterKeyLength(keyType))},
              response, 8);
}

std::uint16_t RemotePin::EnterMasterKey(std::uint32_t handle, std::uint16_t keyType,
                                        std::uint8_t* response) {
  return Call(PinFunction::kEnterMasterKey, handle, {keyType}, {}, response, 8);
}

std::uint16_t RemotePin::LoadKey(std::uint32_t handle, std::uint16_t keyId, std::uint16_t variant,
                                 const std::uint8_t* key, std::uint8_t* response) {
  return Call(PinFunction::kLoadKey, handle, {keyId, variant}, {In(key, 8)}, response, 8);
}

std::uint16_t RemotePin::LoadIcv(std::uint32_t handle, std::uint16_t variant,
                                 const std::uint8_t* icv) {
  return Call(PinFunction::kLoadIcv, handle, {variant}, {In(icv, 8)}, nullptr, 0);
}

std::uint16_t RemotePin::LoadVerifParms(std::uint32_t handle, std::uint16_t pinLength,
                                        const std::uint8_t* table) {
  return Call(PinFunction::kLoadVerifParms, handle, {pinLength}, {In(table, 16)}, nullptr, 0);
}

std::uint16_t RemotePin::SetModeEnc(std::uint32_t handle) {
  return Call(PinFunction::kSetModeEnc, handle, {}, {}, nullptr, 0);
}

std::uint16_t RemotePin::SetModeClr(std::uint32_t handle) {
  return Call(PinFunction::kSetModeClr, handle, {}, {}, nullptr, 0);
}

std::uint16_t RemotePin::ReadSn(std::uint32_t handle, std::uint8_t* serial) {
  return Call(PinFunction::kReadSn, handle, {}, {}, serial, 8);
}

std::uint16_t RemotePin::ExecDevDiag(std::uint32_t handle, std::uint16_t code,
                                     std::uint8_t* buffer) {
  return Call(PinFunction::kExecDevDiag, handle, {code}, {}, buffer,
              PinPad8342::kMaxHardwareVersion + 1);
}

std::uint16_t RemotePin::Close(std::uint32_t handle) {
  return Call(PinFunction::kClose, handle, {}, {}, nullptr, 0);
}

std::uint32_t RemotePddTrace(const Opener& opener, std::span<const std::uint16_t> ports,
                             const std::string& driver, unsigned char* buffer) {
  if (!buffer) return kPddTraceNotActive;
  for (std::uint16_t port : ports) {
    std::uint16_t status = 0;
    auto line = opener(port, &status);
    if (!line) continue;
    line::Client client(*line, FirstSequence(*line));
    // The trace comes in pieces a frame can hold, and reaches the buffer only when whole.
    Bytes trace;
    std::uint32_t result = kPddTraceNotActive, length = 0;
    bool whole = false;
    do {
      Bytes answer;
      Bytes request =
          Writer().U8(kPddTrace).Text(driver).U32(static_cast<std::uint32_t>(trace.size())).Take();
      if (client.Exchange(request, &answer) != line::Outcome::kAnswered) break;
      Reader in(answer);
      StatusOf(in);
      result = in.U32();
      length = in.U32();
      auto piece = in.Field();
      if (!in.Ok() || !piece || length > trace::kCapacity) break;
      if (result == kPddTraceNotActive) return result;
      trace.insert(trace.end(), piece->begin(), piece->end());
      whole = trace.size() >= length;
      if (piece->empty() || trace.size() > length) break;
    } while (!whole);
    if (!whole) continue;
    std::copy(trace.begin(), trace.end(), buffer);
    return result;
  }
  return kPddTraceNotActive;
}

// --- The device's end ---

namespace {

struct LineFault {
  std::string kind;  // drop, garble, silence, delay, unplug
  unsigned ms = 0;
  unsigned count = 1;
};

// "drop 3", "delay 250 2", "unplug": what `simdev fault PORT line ...` keeps.
std::optional<LineFault> ParseLineFault(const std::string& value) {
  std::istringstream in(value);
  LineFault f;
  if (!(in >> f.kind)) return std::nullopt;
  if (f.kind == "delay" && !(in >> f.ms)) return std::nullopt;
  if (!(in >> f.count)) f.count = 1;
  return f;
}

std::string LineFaultValue(const LineFault& f) {
  std::ostringstream v;
  v << f.kind;
  if (f.kind == "delay") v << ' ' << f.ms;
  if (f.kind != "unplug") v << ' ' << f.count;
  return v.str();
}

}  // namespace

void ServedPort::Note(trace::LineEvent event, std::uint16_t sequence) {
  auto device = DeviceOnPort(eft_.StateDir(), port_);
  if (!device) return;
  trace::Record r;
  r.kind = trace::kLineEvent;
  r.model = static_cast<std::uint16_t>(std::strtoul(device->model.c_str(), nullptr, 10));
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
  auto taken = TakeFault(state, "line");
  auto fault = taken ? ParseLineFault(*taken) : std::nullopt;
  // Unplugged stays unplugged; the others hit as many frames as they were given.
  if (fault && (fault->kind == "unplug" || fault->count > 1)) {
    LineFault rest = *fault;
    if (rest.kind != "unplug") --rest.count;
    SetFault(state, "line", LineFaultValue(rest));
  }
  if (state != before) SaveKeyValues(path, state, "simdev: emulated device " + device->fileName);
  if (!fault) return true;
  if (fault->kind == "drop" || fault->kind == "unplug") {
    Note(fault->kind == "drop" ? trace::kDropped : trace::kUnplugged, frame.sequence);
    return false;
  }
  if (fault->kind == "garble") answerFault_ = Hit::kGarble;
  if (fault->kind == "silence") answerFault_ = Hit::kSilence;
  if (fault->kind == "delay") {
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
  try {
    if (op >= kEftOpen && op <= kDloadEnd) {
      answer = Eft(in, op);
    } else if (op > kPinCall && op <= kPinCall + static_cast<int>(PinFunction::kClose)) {
      answer = Pin(in, static_cast<PinFunction>(op - kPinCall));
    } else if (op == kPddTrace) {
      auto driver = in.Field();
      std::uint32_t offset = in.U32();
      if (in.AtEnd() && driver) {
        auto trace =
            trace::ReadActive(eft_.StateDir(), std::string(driver->begin(), driver->end()));
        Bytes kept = trace ? std::move(*trace) : Bytes();
        std::size_t from = std::min<std::size_t>(offset, kept.size());
        std::size_t n = std::min(kept.size() - from, kMaxTracePiece);
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
    answer = Writer().U16(kGeneralFailure).Take();
  return answer;
}

line::Bytes ServedPort::Eft(Reader& in, std::uint8_t op) {
  if (op == kEftOpen) {
    bool wanted = in.U8() != 0;
    if (!in.AtEnd()) return {};
    std::uint32_t handle = 0;
    std::uint16_t status = eft_.Open(port_, wanted ? &handle : nullptr);
    return Writer().U16(status).U32(handle).Take();
  }
  std::uint32_t handle = in.U32();
  switch (op) {
    case kEftWrite: {
      std::uint16_t length = in.U16();
      auto frame = in.Field();
      bool wanted = in.U8() != 0;
      if (!in.AtEnd() || (frame && frame->size() != length)) return {};
      std::uint16_t written = 0;
      std::uint16_t status =
          eft_.Write(handle, frame ? frame->data() : nullptr, length, wanted ? &written : nullptr);
      if (frame) Wipe(*frame);
      return Writer().U16(status).U16(written).Take();
    }
    case kEftRead: {
      std::uint16_t capacity = in.U16();
      bool given = in.U8() != 0;
      if (!in.AtEnd()) return {};
      Bytes buffer(std::max<std::size_t>(capacity, 1));  // a given buffer is never null here
      std::uint16_t read = 0;
      std::uint16_t status = eft_.Read(handle, given ? buffer.data() : nullptr, capacity, &read);
      return Writer()
          .U16(status)
          .Field(given, std::span(buffer).first(std::min<std::size_t>(read, capacity)))
          .Take();
    }
    case kEftClose:
      if (!in.AtEnd()) return {};
      return Writer().U16(eft_.Close(handle)).Take();
    case kDloadBegin: {
      auto name = in.Field();
      std::uint16_t verdict = in.U16();
      if (!in.AtEnd() || !name) return {};
      return Writer()
          .U16(eft_.DloadBegin(handle, std::string(name->begin(), name->end()), verdict))
          .Take();
    }
    case kDloadBlock: {
      std::uint16_t address = in.U16();
      auto bytes = in.Field();
      if (!in.AtEnd() || !bytes) return {};
      return Writer().U16(eft_.DloadBlock(handle, address, *bytes)).Take();
    }
    case kDloadEnd: {
      std::uint32_t count = in.U32();
      std::uint16_t crc = in.U16();
      if (!in.AtEnd()) return {};
      return Writer().U16(eft_.DloadEnd(handle, count, crc)).Take();
    }
    default:
      return {};
  }
}

line::Bytes ServedPort::Pin(Reader& in, PinFunction function) {
  if (function == PinFunction::kOpen || function == PinFunction::kOpenParms) {
    bool wanted = in.U8() != 0;
    if (!in.AtEnd()) return {};
    std::uint32_t handle = 0;
    std::uint16_t status = function == PinFunction::kOpen
                               ? pin_.Open(port_, wanted ? &handle : nullptr)
                               : pin_.OpenParms(port_, wanted ? &handle : nullptr);
    return Writer().U16(status).U32(handle).Take();
  }
  std::uint32_t handle = in.U32();
  std::uint16_t number[2] = {};
  std::optional<Bytes> input;
  auto numbers = [&](int n) {
    for (int i = 0; i < n; ++i) number[i] = in.U16();
  };
  switch (function) {
    case PinFunction::kLoadMasterKey:
    case PinFunction::kLoadIcv:
    case PinFunction::kLoadVerifParms:
      numbers(1);
      input = in.Field();
      break;
    case PinFunction::kLoadKey:
      numbers(2);
      input = in.Field();
      break;
    case PinFunction::kEnterMasterKey:
    case PinFunction::kExecDevDiag:
      numbers(1);
      break;
    default:
      break;
  }
  bool given = in.U8() != 0;
  if (!in.AtEnd()) return {};
  // The pad reads as many key bytes as the call takes; what came is checked against that,
  // so a short field never lets it read past the bytes received.
  auto bytesOf = [&](std::size_t n) -> const std::uint8_t* {
    return input && input->size() == n ? input->data() : nullptr;
  };
  std::uint8_t out[PinPad8342::kMaxHardwareVersion + 1] = {};
  std::uint8_t* output = given ? out : nullptr;
  std::size_t placed = 0;
  std::uint16_t status = pinstatus::kInvalidParameter;
  switch (function) {
    case PinFunction::kLoadMasterKey:
      status = pin_.LoadMasterKey(handle, number[0], bytesOf(MasterKeyLength(number[0])), output);
      placed = 8;
      break;
    case PinFunction::kEnterMasterKey:
      status = pin_.EnterMasterKey(handle, number[0], output);
      placed = 8;
      break;
    case PinFunction::kLoadKey:
      status = pin_.LoadKey(handle, number[0], number[1], bytesOf(8), output);
      placed = 8;
      break;
    case PinFunction::kLoadIcv:
      status = pin_.LoadIcv(handle, number[0], bytesOf(8));
      break;
    case PinFunction::kLoadVerifParms:
      status = pin_.LoadVerifParms(handle, number[0], bytesOf(16));
      break;
    case PinFunction::kSetModeEnc:
      status = pin_.SetModeEnc(handle);
      break;
    case PinFunction::kSetModeClr:
      status = pin_.SetModeClr(handle);
      break;
    case PinFunction::kReadSn:
      status = pin_.ReadSn(handle, output);
      placed = 8;
      break;
    case PinFunction::kExecDevDiag:
      status = pin_.ExecDevDiag(handle, number[0], output);
      placed = std::find(out, out + sizeof out - 1, 0) - out + 1;
      break;
    case PinFunction::kClose:
      status = pin_.Close(handle);
      break;
    default:
      return {};
  }
  if (input) Wipe(*input);
  if (status != pinstatus::kOk || !output) placed = 0;
  Bytes answer = Writer().U16(status).Field(output && placed, {out, placed}).Take();
  base::WipeBytes(out, sizeof out);
  return answer;
}

}  // namespace simdev::remote
