// linesoak: drives the stand-in libraries' line end over a terminal against a running
// `simdev serve`: a long run of PIN pad calls under randomly scripted line faults, each one
// checked against the pad's state file and the driver's trace, or one timed download.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/Hex.h"
#include "simdev/Digest.h"
#include "simdev/Faults.h"
#include "simdev/LibraryEnd.h"
#include "simdev/PinPad8342.h"
#include "simdev/State.h"
#include "simdev/Trace.h"
#include "simdev/posix/TtyPort.h"

namespace {

using namespace simdev;

constexpr char kUsage[] =
    "usage: linesoak soak --state DIR --tty TTY [--exchanges N] [--fault-rate P] [--seed S]\n"
    "                     [--timeout MS]\n"
    "       linesoak dload --state DIR --tty TTY --file APP.HEX [--timeout MS]\n"
    "  soak: PIN pad calls on COM2 (an 8342) under scripted line faults, each checked against\n"
    "  the pad's state file; dload: one EftOpen, EftDload, EftClose on COM3 (an 8343), timed.\n";

struct Options {
  std::string state, tty, file;
  unsigned exchanges = 10000;
  double faultRate = 0.05;
  unsigned long long seed = 1;
  unsigned timeoutMs = line::kAnswerTimeoutMs;
};

bool ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 2; i + 1 < argc; i += 2) {
    std::string name = argv[i], value = argv[i + 1];
    char* end = nullptr;
    if (name == "--state") {
      o->state = value;
    } else if (name == "--tty") {
      o->tty = value;
    } else if (name == "--file") {
      o->file = value;
    } else if (name == "--exchanges") {
      o->exchanges = static_cast<unsigned>(std::strtoul(value.c_str(), &end, 10));
    } else if (name == "--fault-rate") {
      o->faultRate = std::strtod(value.c_str(), &end);
    } else if (name == "--seed") {
      o->seed = std::strtoull(value.c_str(), &end, 10);
    } else if (name == "--timeout") {
      o->timeoutMs = static_cast<unsigned>(std::strtoul(value.c_str(), &end, 10));
    } else {
      return false;
    }
    if (end && *end) return false;
  }
  return argc % 2 == 0 && !o->state.empty() && !o->tty.empty() && o->faultRate >= 0 &&
         o->faultRate <= 1;
}

// The terminal, counting the frames the library sends: beyond one per call, its retries.
class CountingPort : public line::Port {
 public:
  CountingPort(std::unique_ptr<line::Port> port, unsigned* sent)
      : port_(std::move(port)), sent_(sent) {}
  bool Send(std::span<const std::uint8_t> bytes) override {
    ++*sent_;
    return port_->Send(bytes);
  }
  std::size_t Receive(std::uint8_t* buffer, std::size_t capacity, unsigned timeoutMs) override {
    return port_->Receive(buffer, capacity, timeoutMs);
  }
  std::uint64_t Milliseconds() override { return port_->Milliseconds(); }

 private:
  std::unique_ptr<line::Port> port_;
  unsigned* sent_;
};

// Every port but `port` is absent; `port` is the terminal.
remote::Opener TtyOpener(const std::string& tty, std::uint16_t port, unsigned* sent) {
  return [tty, port, sent](std::uint16_t wanted, std::uint16_t* status) {
    std::string error;
    std::unique_ptr<line::Port> line;
    if (wanted == port) line = posix::OpenTty(tty, &error);
    if (!line) *status = status::kCannotOpenPort;
    if (!error.empty()) std::fprintf(stderr, "linesoak: %s\n", error.c_str());
    if (line) line = std::make_unique<CountingPort>(std::move(line), sent);
    return line;
  };
}

using faults::LineFault;

// The line fault waiting in a state file; none hits no frame.
struct Pending {
  std::optional<LineFault> fault;
  bool Is(LineFault::Kind kind) const { return fault && fault->kind == kind; }
  unsigned Count() const { return fault ? fault->count : 0; }
  bool Lasting() const {  // outlasts every attempt of one call
    return fault && !Is(LineFault::kDelay) && fault->count >= line::kAttempts;
  }
};

enum Call { kLoadKey, kEnterMasterKey, kReadSn, kSetModeClr, kCalls };
constexpr const char* kCallNames[] = {"LoadKey", "EnterMasterKey", "ReadSn", "SetModeClr"};
constexpr const char* kEventNames[] = {"",        "repeated",    "refused",   "dropped",
                                       "garbled", "answer lost", "held back", "unplugged"};
constexpr std::size_t kEvents = std::size(kEventNames);

struct Tally {
  unsigned calls[kCalls] = {};
  std::map<std::string, unsigned> scripted, scriptedLasting;
  std::map<unsigned, unsigned> failures;
  unsigned failedActed = 0, divergences = 0, wrongStatuses = 0, traceGaps = 0;
  unsigned events[kEvents] = {}, expectedEvents[kEvents] = {};
};

// The driver's line events on `port` recorded after record `*last`.
std::vector<unsigned> NewEvents(const std::string& dir, std::uint16_t port, std::uint32_t* last,
                                bool* gap) {
  std::vector<unsigned> counts(kEvents);
  auto records = trace::Decode(trace::Read(dir, trace::kDriver4X));
  bool first = true;
  for (const trace::Record& r : records) {
    if (r.sequence <= *last) continue;
    if (first && r.sequence != *last + 1) *gap = true;
    first = false;
    *last = r.sequence;
    if (r.kind == trace::kLineEvent && r.port == port && !r.data.empty() && r.data[0] < kEvents)
      ++counts[r.data[0]];
  }
  return counts;
}

std::uint32_t LastRecord(const std::string& dir) {
  auto records = trace::Decode(trace::Read(dir, trace::kDriver4X));
  return records.empty() ? 0 : records.back().sequence;
}

int Soak(const Options& o) {
  constexpr std::uint16_t kPort = 2;
  const std::string path = JoinPath(o.state, DeviceFileName(kPort, kModel8342));
  const std::string title = "simdev: emulated device " + DeviceFileName(kPort, kModel8342);
  unsigned sent = 0;
  remote::RemotePin pin(TtyOpener(o.tty, kPort, &sent), o.timeoutMs);
  std::uint32_t handle = 0;
  if (std::uint16_t status = pin.Open(kPort, &handle); status != status::kOk) {
    std::fprintf(stderr, "linesoak: PinOpen on COM2 gave %u\n", status);
    return 2;
  }
  std::mt19937_64 random(o.seed);
  auto pick = [&](unsigned lo, unsigned hi) {
    return std::uniform_int_distribution<unsigned>(lo, hi)(random);
  };
  std::bernoulli_distribution faulty(o.faultRate);
  Tally t;
  std::uint32_t lastRecord = LastRecord(o.state);
  std::uint64_t started = line::SteadyMilliseconds();
  unsigned sentBefore = sent;

  for (unsigned x = 1; x <= o.exchanges; ++x) {
    KeyValues before;
    if (LoadKeyValues(path, &before) != LoadResult::kOk) {
      std::fprintf(stderr, "linesoak: cannot read %s\n", path.c_str());
      return 2;
    }
    // Faults and the state a call is to change are scripted only here, between exchanges,
    // while the server waits for the next request and so never writes the file meanwhile.
    bool changed = false;
    if (faulty(random)) {
      auto kind = static_cast<LineFault::Kind>(pick(LineFault::kDrop, LineFault::kDelay));
      unsigned n = pick(1, 5);
      LineFault scripted{kind, kind == LineFault::kDelay ? pick(1, 30) : 0, n};
      SetFault(before, faults::kLine, faults::FormatLineFault(scripted));
      ++t.scripted[faults::kLineFaultKinds[kind]];
      if (kind != LineFault::kDelay && n >= line::kAttempts)
        ++t.scriptedLasting[faults::kLineFaultKinds[kind]];
      changed = true;
    }
    auto call = static_cast<Call>(pick(0, kCalls - 1));
    ++t.calls[call];
    // Clearing the mode must be seen to act: the pad starts it from encrypted.
    if (call == kSetModeClr && Get(before, "mode") != "encrypted") {
      before["mode"] = "encrypted";
      changed = true;
    }
    if (changed && !SaveKeyValues(path, before, title)) return 2;
    Pending fault{faults::PendingLineFault(before)};
    std::string faultText = fault.fault ? faults::FormatLineFault(*fault.fault) : "none";

    std::uint8_t key[8], out[8] = {}, expectedOut[8] = {};
    std::uint8_t keyId = static_cast<std::uint8_t>(pick(0, 3));
    std::string slot = "working_key." + base::BytesToHex({&keyId, 1});
    KeyValues expected = before;  // the state as the call leaves it when carried out
    std::uint16_t status = 0;
    bool checkOut = true;
    if (call == kLoadKey) {
      for (auto& b : key) b = static_cast<std::uint8_t>(pick(0, 255));
      expected[slot] = KeyDigest(key);
      expected[slot + ".variant"] = "00";
      auto check = CheckValue(key);
      std::copy(check.begin(), check.end(), expectedOut);
      status = pin.LoadKey(handle, keyId, 0, key, out);
    } else if (call == kEnterMasterKey) {
      unsigned entries =
          static_cast<unsigned>(std::strtoul(Get(before, "entries").c_str(), nullptr, 10));
      std::uint8_t entered[8];
      EnteredKey(kPort, entries + 1, entered);
      expected["entries"] = std::to_string(entries + 1);
      expected["master_key.8"] = KeyDigest(entered);
      expected["master_key.8.source"] = "entered-single";
      auto check = CheckValue(entered);
      std::copy(check.begin(), check.end(), expectedOut);
      status = pin.EnterMasterKey(handle, 0x10, out);
    } else if (call == kReadSn) {
      auto serial = base::ParseHex(Get(before, "serial"));
      if (serial && serial->size() == 8) std::copy(serial->begin(), serial->end(), expectedOut);
      status = pin.ReadSn(handle, out);
    } else {
      expected["mode"] = "clear";
      checkOut = false;
      status = pin.SetModeClr(handle);
    }

    KeyValues after;
    LoadKeyValues(path, &after);
    Pending left{faults::PendingLineFault(after)};
    // Faults are the line's business, not the call's: compared on their own below.
    for (KeyValues* s : {&before, &expected, &after}) ClearFaults(*s);
    bool acted = after == expected, untouched = after == before;
    unsigned consumed =
        fault.Count() - (left.fault && fault.Is(left.fault->kind) ? left.Count() : 0);
    unsigned wantConsumed = !fault.fault ? 0
                            : fault.Is(LineFault::kDelay)
                                ? 1
                                : std::min(fault.Count(), line::kAttempts);
    std::uint16_t wantStatus = !fault.Lasting()               ? 0
                               : fault.Is(LineFault::kGarble) ? status::kLineGarbled
                                                              : status::kLineSilent;
    bool gap = false;
    auto events = NewEvents(o.state, kPort, &lastRecord, &gap);
    std::vector<unsigned> want(kEvents);
    unsigned repeats = wantConsumed - (fault.Lasting() ? 1 : 0);
    if (fault.Is(LineFault::kDrop)) want[trace::kDropped] = wantConsumed;
    if (fault.Is(LineFault::kGarble))
      want[trace::kGarbled] = wantConsumed, want[trace::kRepeated] = repeats;
    if (fault.Is(LineFault::kSilence))
      want[trace::kAnswerLost] = wantConsumed, want[trace::kRepeated] = repeats;
    if (fault.Is(LineFault::kDelay)) want[trace::kHeldBack] = 1;
    for (std::size_t e = 0; e < kEvents; ++e) {
      t.events[e] += events[e];
      t.expectedEvents[e] += want[e];
    }
    if (status != 0) ++t.failures[status];
    if (status != 0 && acted && !untouched) ++t.failedActed;

    std::string wrong;
    if (status != wantStatus) {
      ++t.wrongStatuses;
      wrong += " status " + std::to_string(status) + " where " + std::to_string(wantStatus);
    }
    if (status == 0 ? !acted || (checkOut && !std::equal(out, out + 8, expectedOut))
                    : !acted && !untouched)
      wrong += status == 0 ? " acknowledged but the pad or the answer differs"
                           : " failed and the pad holds neither the old nor the new state";
    if (consumed != wantConsumed)
      wrong += " used " + std::to_string(consumed) + " fault frames, not " +
               std::to_string(wantConsumed);
    if (events != want) wrong += " line events in the trace differ";
    if (gap) ++t.traceGaps, wrong += " records missing from the trace";
    if (!wrong.empty()) {
      if (status == wantStatus) ++t.divergences;
      if (t.divergences + t.wrongStatuses <= 20)
        std::fprintf(stderr, "exchange %u: %s with fault '%s':%s\n", x, kCallNames[call],
                     faultText.c_str(), wrong.c_str());
    }
  }
  unsigned retries = sent - sentBefore - o.exchanges;
  pin.Close(handle);
  double seconds = (line::SteadyMilliseconds() - started) / 1000.0;

  std::printf("linesoak soak: COM2 over %s, seed %llu, fault rate %.3f, answer time-out %u ms\n",
              o.tty.c_str(), o.seed, o.faultRate, o.timeoutMs);
  std::printf("  %-22s %u in %.1f s\n", "exchanges", o.exchanges, seconds);
  for (int c = 0; c < kCalls; ++c) std::printf("    %-20s %u\n", kCallNames[c], t.calls[c]);
  unsigned scripted = 0;
  for (auto& [k, n] : t.scripted) scripted += n;
  std::printf("  %-22s %u\n", "faults scripted", scripted);
  for (const char* k : std::span(faults::kLineFaultKinds).first(LineFault::kUnplug))
    std::printf("    %-20s %u (N >= %u: %u)\n", k, t.scripted[k], line::kAttempts,
                t.scriptedLasting[k]);
  unsigned failed = 0;
  for (auto& [s, n] : t.failures) failed += n;
  std::printf("  %-22s %u (%u of them changed the pad)\n", "failures", failed, t.failedActed);
  for (auto& [s, n] : t.failures) std::printf("    status %-13u %u\n", s, n);
  std::printf("  %-22s %u (requests sent beyond one per call)\n", "retries made", retries);
  std::printf("  %-22s %u (repeats answered from memory)\n", "retries seen",
              t.events[trace::kRepeated]);
  std::printf("  %-22s %-8s %s\n", "line events (trace)", "seen", "expected");
  for (std::size_t e = 1; e < kEvents; ++e)
    std::printf("    %-20s %-8u %u\n", kEventNames[e], t.events[e], t.expectedEvents[e]);
  std::printf("  %-22s %u\n", "trace gaps", t.traceGaps);
  std::printf("  %-22s %u\n", "wrong statuses", t.wrongStatuses);
  std::printf("  %-22s %u\n", "divergences", t.divergences);
  return t.divergences || t.wrongStatuses ? 1 : 0;
}

int Dload(const Options& o) {
  constexpr std::uint16_t kPort = 3;
  unsigned sent = 0;
  remote::RemoteEft eft(TtyOpener(o.tty, kPort, &sent), o.timeoutMs);
  std::uint64_t started = line::SteadyMilliseconds();
  std::uint32_t handle = 0;
  std::uint16_t status = eft.Open(kPort, &handle);
  std::uint16_t closed = status;
  if (status == status::kOk) {
    status = eft.Dload(handle, o.file.c_str());
    closed = eft.Close(handle);
  }
  std::uint64_t ms = line::SteadyMilliseconds() - started;
  std::printf("dload ms=%llu status=%u close=%u requests=%u\n", static_cast<unsigned long long>(ms),
              status, closed, sent);
  return status == status::kOk && closed == status::kOk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  std::string mode = argc > 1 ? argv[1] : "";
  if ((mode != "soak" && mode != "dload") || !ParseOptions(argc, argv, &o) ||
      (mode == "dload" && o.file.empty())) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  return mode == "soak" ? Soak(o) : Dload(o);
}
