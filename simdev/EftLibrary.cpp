// The stand-in WNT43EFT library's functions over the emulated terminals.
#include "simdev/EftLibrary.h"

#include <algorithm>

#include "base/Crc16.h"
#include "base/Hex.h"
#include "base/Number.h"
#include "base/PlainFile.h"
#include "base/Wipe.h"
#include "simdev/Faults.h"
#include "simdev/IntelHex.h"
#include "simdev/State.h"
#include "simdev/Status.h"
#include "simdev/Terminal8343.h"
#include "simdev/Trace.h"

namespace simdev {

namespace {

constexpr char kTitle[] = "simdev: emulated 8343 EFT terminal";

bool IsZeroCode(const std::string& value) {
  return !value.empty() && value.find_first_not_of('0') == std::string::npos;
}

// When a call saves the state file it read: always, when it changed it, when it succeeded.
enum class Save { kAlways, kChanged, kSucceeded };

// One call's turn at a terminal's state file: `missing` without it, kDamagedState when it is
// malformed or, with a `terminal` to read, holds none; else what `act` makes of the state. The
// file is saved after as `save` says.
template <typename Act>
std::uint16_t AtTerminal(const std::string& path, std::uint16_t missing, Save save,
                         Terminal8343* terminal, Act act) {
  KeyValues state;
  LoadResult loaded = LoadKeyValues(path, &state);
  if (loaded == LoadResult::kMissing) return missing;
  if (loaded == LoadResult::kMalformed) return status::kDamagedState;
  KeyValues before = state;
  std::string error;
  std::uint16_t status =
      terminal && !LoadTerminal(state, terminal, &error) ? status::kDamagedState : act(state);
  if (save == Save::kAlways || (save == Save::kChanged ? state != before : status == status::kOk))
    SaveKeyValues(path, state, kTitle);
  return status;
}

}  // namespace

std::string EftLibrary::StatePath(std::uint16_t port) const {
  return JoinPath(dir_, DeviceFileName(port, kModel8343));
}

void EftLibrary::TraceRecord(std::uint8_t kind, std::uint16_t port, std::uint16_t status,
                             std::vector<std::uint8_t> data, std::uint8_t flags) {
  trace::Record r;
  r.kind = kind;
  r.flags = flags;
  r.model = 8343;
  r.port = port;
  r.status = status;
  r.data = std::move(data);
  trace::Append(dir_, trace::kDriver43, std::move(r));
}

std::uint16_t EftLibrary::Open(std::uint16_t port, std::uint32_t* handle) {
  if (!handle) return status::kInvalidParameter;
  std::uint16_t status =
      AtTerminal(StatePath(port), status::kNoDevice, Save::kChanged, nullptr, [](KeyValues& state) {
        auto fault = TakeFault(state, faults::kOpen);
        return fault ? faults::StatusCode(*fault, status::kPortInUse) : status::kOk;
      });
  if (status != status::kOk) return status;
  std::erase_if(sessions_, [port](const auto& s) { return s.second.port == port; });
  std::uint32_t h = next_++;
  sessions_[h].port = port;
  *handle = h;
  return status::kOk;
}

std::uint16_t EftLibrary::Write(std::uint32_t handle, const std::uint8_t* frame,
                                std::uint16_t length, std::uint16_t* written) {
  auto session = sessions_.find(handle);
  if (session == sessions_.end()) return status::kInvalidHandle;
  if (!frame || length == 0 || length > kMaxWriteLength) {
    sessions_.erase(session);
    return status::kInvalidParameter;
  }
  std::uint16_t port = session->second.port;
  std::vector<std::uint8_t> sent(frame, frame + length);
  auto [keyFirst, keyEnd] = KeyMaterialRange(sent);
  // What the trace keeps: the frame with any key material replaced by zeros.
  std::vector<std::uint8_t> traced = sent;
  std::fill(traced.begin() + static_cast<std::ptrdiff_t>(keyFirst),
            traced.begin() + static_cast<std::ptrdiff_t>(keyEnd), 0);
  std::uint8_t flags = keyEnd > keyFirst ? trace::kKeyMasked : 0;
  Terminal8343 terminal;
  std::uint16_t status = AtTerminal(
      StatePath(port), status::kDeviceGone, Save::kAlways, &terminal, [&](KeyValues& state) {
        if (auto fault = TakeFault(state, faults::kWrite))
          return faults::StatusCode(*fault, status::kWriteFault);
        std::vector<std::uint8_t> answer;
        if (auto rc = TakeFault(state, faults::kRc)) {
          // The terminal refuses the command with the scripted RC and carries nothing out.
          auto code = base::ParseHex(*rc);
          answer = {code && code->size() == 1 ? (*code)[0] : std::uint8_t{0x0F}};
        } else {
          answer = Execute(terminal, sent);
          StoreTerminal(terminal, &state);
        }
        if (auto cut = TakeFault(state, faults::kShort)) {
          // A count that is no number cuts the answer to nothing.
          std::size_t keep = base::ParseDecimal(*cut, ~0ul).value_or(0);
          if (keep < answer.size()) answer.resize(keep);
        }
        session->second.answer = std::move(answer);
        session->second.answered = true;
        if (written) *written = length;
        return status::kOk;
      });
  base::WipeBytes(sent);
  TraceRecord(trace::kFrameSent, port, status, std::move(traced), flags);
  if (status != status::kOk) sessions_.erase(session);
  return status;
}

std::uint16_t EftLibrary::Read(std::uint32_t handle, std::uint8_t* buffer, std::uint16_t capacity,
                               std::uint16_t* read) {
  auto session = sessions_.find(handle);
  if (session == sessions_.end()) return status::kInvalidHandle;
  if (!buffer) {
    sessions_.erase(session);
    return status::kInvalidParameter;
  }
  Session& s = session->second;
  std::vector<std::uint8_t> placed;
  std::uint16_t status = AtTerminal(
      StatePath(s.port), status::kDeviceGone, Save::kChanged, nullptr, [&](KeyValues& state) {
        if (auto fault = TakeFault(state, faults::kRead))
          return faults::StatusCode(*fault, status::kReadFault);
        if (!s.answered) return status::kNoAnswer;
        std::size_t n = std::min<std::size_t>(s.answer.size(), capacity);
        std::copy_n(s.answer.begin(), n, buffer);
        if (read) *read = static_cast<std::uint16_t>(n);
        placed.assign(s.answer.begin(), s.answer.begin() + static_cast<std::ptrdiff_t>(n));
        return status::kOk;
      });
  s.answered = false;
  s.answer.clear();
  TraceRecord(trace::kAnswerReturned, s.port, status, std::move(placed));
  if (status != status::kOk) sessions_.erase(session);
  return status;
}

std::uint16_t EftLibrary::Close(std::uint32_t handle) {
  return sessions_.erase(handle) ? status::kOk : status::kInvalidHandle;
}

std::uint16_t EftLibrary::Dload(std::uint32_t handle, const char* path) {
  auto image = std::make_unique<MemoryImage>();
  std::uint16_t verdict = ReadDownloadFile(path, image.get());
  std::uint16_t status = DloadBegin(handle, path ? path : "", verdict);
  if (status != status::kOk) return status;
  BlocksSent sent = ForEachBlock(*image, kMaxDloadBlock, [&](std::uint16_t address, auto bytes) {
    return DloadBlock(handle, address, bytes) == status::kOk;
  });
  return DloadEnd(handle, sent.count, sent.crc);
}

std::uint16_t EftLibrary::DloadBegin(std::uint32_t handle, const std::string& name,
                                     std::uint16_t verdict) {
  auto session = sessions_.find(handle);
  if (session == sessions_.end()) return status::kInvalidHandle;
  session->second.download.reset();
  std::uint16_t port = session->second.port;
  // Without a terminal a file that cannot be read is still the first thing to tell.
  std::uint16_t missing = verdict != status::kOk ? verdict : status::kNoCommunication;
  std::uint16_t status =
      AtTerminal(StatePath(port), missing, Save::kAlways, nullptr, [&](KeyValues& state) {
        // A scripted 0 is used up like any fault, and the download then goes through as an
        // unscripted one would: the file is read, checked and loaded.
        auto scripted = TakeFault(state, faults::kDload);
        if (scripted && !IsZeroCode(*scripted))
          return faults::StatusCode(*scripted, status::kNoCommunication);
        if (verdict != status::kOk) return verdict;
        if (TakeFault(state, faults::kWrite) || TakeFault(state, faults::kRead))
          return status::kNoCommunication;  // the transfer is a run of writes and reads
        // Read here, not by AtTerminal: a scripted code or a bad file is told before damage.
        Terminal8343 terminal;
        std::string error;
        if (!LoadTerminal(state, &terminal, &error)) return status::kDamagedState;
        session->second.download = std::make_unique<Download>();
        session->second.download->name = name;
        return status::kOk;
      });
  if (status != status::kOk) TraceDownload(port, status, name);
  return status;
}

std::uint16_t EftLibrary::DloadBlock(std::uint32_t handle, std::uint16_t address,
                                     std::span<const std::uint8_t> bytes) {
  auto session = sessions_.find(handle);
  if (session == sessions_.end()) return status::kInvalidHandle;
  Download* d = session->second.download.get();
  if (!d || bytes.empty() || bytes.size() > kMaxDloadBlock ||
      address + bytes.size() > d->image.bytes.size())
    return status::kInvalidParameter;
  std::copy(bytes.begin(), bytes.end(), d->image.bytes.begin() + address);
  for (std::size_t i = 0; i < bytes.size(); ++i) d->image.loaded.set(address + i);
  d->count += static_cast<std::uint32_t>(bytes.size());
  d->crc = base::Crc16Arc(bytes, d->crc);
  return status::kOk;
}

std::uint16_t EftLibrary::DloadEnd(std::uint32_t handle, std::uint32_t count, std::uint16_t crc) {
  auto session = sessions_.find(handle);
  if (session == sessions_.end()) return status::kInvalidHandle;
  std::unique_ptr<Download> d = std::move(session->second.download);
  if (!d) return status::kInvalidParameter;
  std::uint16_t port = session->second.port;
  std::uint16_t status = status::kNoCommunication;  // what arrived is not what was sent
  Terminal8343 terminal;
  if (d->count == count && d->crc == crc && count != 0) {
    status = AtTerminal(StatePath(port), status::kNoCommunication, Save::kSucceeded, &terminal,
                        [&](KeyValues& state) {
                          StoreDownload(terminal, d->image, d->name);
                          StoreTerminal(terminal, &state);
                          return status::kOk;
                        });
  }
  TraceDownload(port, status, d->name);
  return status;
}

void EftLibrary::TraceDownload(std::uint16_t port, std::uint16_t status, const std::string& name) {
  TraceRecord(trace::kDownload, port, status, std::vector<std::uint8_t>(name.begin(), name.end()));
}

}  // namespace simdev
