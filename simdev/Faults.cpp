// Scripted faults.
#include "simdev/Faults.h"

#include <algorithm>
#include <iterator>
#include <sstream>
#include <vector>

#include "base/Hex.h"
#include "base/Number.h"
#include "simdev/Calls.h"
#include "simdev/PinPad8342.h"

namespace simdev::faults {

namespace {

constexpr unsigned long kMaxStatus = 0xFFFF, kMaxCount = 1000, kMaxDelayMs = 60000, kMaxCut = 200;

std::nullopt_t Refuse(std::string* problem, std::string text) {
  *problem = std::move(text);
  return std::nullopt;
}

// drop|garble|silence [COUNT], delay MS [COUNT] or unplug, a word each.
std::optional<LineFault> ParseLineFault(std::span<const std::string> words, std::string* problem) {
  const auto *first = std::begin(kLineFaultKinds), *end = std::end(kLineFaultKinds);
  const auto* kind = words.empty() ? end : std::find(first, end, words[0]);
  const std::size_t numbers[] = {1, 1, 1, 2, 0};  // at most, by kind
  LineFault f{static_cast<LineFault::Kind>(kind - first)};
  const bool delay = f.kind == LineFault::kDelay;
  if (kind == end || words.size() - 1 > numbers[f.kind] || (delay && words.size() < 2))
    return Refuse(problem, "line needs drop|garble|silence [COUNT], delay MS [COUNT] or unplug");
  auto ms = delay ? base::ParseDecimal(words[1], kMaxDelayMs) : 0ul;
  if (!ms || (delay && *ms == 0)) return Refuse(problem, "a delay is 1 to 60000 ms");
  auto count = words.size() > (delay ? 2u : 1u) ? base::ParseDecimal(words.back(), kMaxCount) : 1ul;
  if (!count || *count == 0) return Refuse(problem, "a frame count is 1 to 1000");
  f.ms = static_cast<unsigned>(*ms);
  f.count = static_cast<unsigned>(*count);
  return f;
}

// As the state file keeps it.
std::optional<LineFault> Kept(const std::string& value) {
  std::istringstream in(value);
  std::string problem;
  return ParseLineFault(std::vector<std::string>{std::istream_iterator<std::string>(in), {}},
                        &problem);
}

std::string Said(const LineFault& f) {
  if (f.kind == LineFault::kUnplug) return "the line goes dead";
  const std::string what = f.kind == LineFault::kDrop ? "request" : "answer";
  const std::string happens[] = {"lost on the way", "garbled", "lost",
                                 "held back " + std::to_string(f.ms) + " ms"};
  if (f.count == 1) return "the next " + what + " is " + happens[f.kind];
  return "the next " + std::to_string(f.count) + " " + what + "s are " + happens[f.kind];
}

bool IsPinFunction(const std::string& name) {
  const auto* end = std::end(PinCalls::kNames);  // kNames[0] names no call
  return std::find(std::begin(PinCalls::kNames) + 1, end, name) != end;
}

// A fault's value as the state file keeps it, and what the command says of it.
struct Scripted {
  std::string value, said;
};

// A device fault NAME [VALUE], its value kept as a number or byte is shown.
std::optional<Scripted> DeviceFault(const std::string& model, const std::string& name,
                                    const std::string& value, std::string* problem) {
  Scripted f;
  auto decimal = [&](unsigned long least, unsigned long most) {
    auto n = base::ParseDecimal(value, most);
    if (n && *n >= least) f.value = std::to_string(*n);
    return n && *n >= least;
  };
  const bool pad = model == kModel8342;
  const char* bad = "a status code is 1 to 65535";
  if (name == kOpen || (!pad && (name == kWrite || name == kRead))) {
    if (!value.empty() && !decimal(1, kMaxStatus)) return Refuse(problem, bad);
    f.said = "the next " + name + " fails" + (value.empty() ? "" : " with status " + f.value);
  } else if (pad && (name == kCall || IsPinFunction(name))) {
    if (!decimal(1, kMaxStatus))
      return Refuse(problem,
                    value.empty() ? name + " needs the status code to return, 1 to 65535" : bad);
    f.said = "the next " + name + " returns " + f.value;
  } else if (pad) {
    return Refuse(problem, "unknown PIN pad fault " + name +
                               " (open, call, or a function such as PinLoadKey)");
  } else if (name == kRc) {
    auto rc = base::ParseHex(value);
    if (!rc || rc->size() != 1) return Refuse(problem, "rc needs one byte in hexadecimal, e.g. 0A");
    f.value = base::BytesToHex(*rc);
    f.said = "the next command is answered with RC " + f.value;
  } else if (name == kShort) {
    if (!decimal(0, kMaxCut)) return Refuse(problem, "short needs a byte count, 0 to 200");
    f.said = "the next answer is cut to " + f.value + " bytes";
  } else if (name == kDload) {
    if (!decimal(0, kMaxStatus))
      return Refuse(problem, "dload needs the code to return, 0 to 65535");
    f.said = "the next download returns " + f.value;
  } else {
    return Refuse(problem,
                  "unknown fault " + name + " (open, write, read, rc, short, dload, clear)");
  }
  return f;
}

}  // namespace

std::uint16_t StatusCode(const std::string& value, std::uint16_t fallback) {
  auto code = base::ParseDecimal(value, kMaxStatus);
  return code && *code != 0 ? static_cast<std::uint16_t>(*code) : fallback;
}

std::string FormatLineFault(const LineFault& f) {
  std::string kept = kLineFaultKinds[f.kind];
  if (f.kind == LineFault::kDelay) kept.append(1, ' ').append(std::to_string(f.ms));
  if (f.kind != LineFault::kUnplug) kept.append(1, ' ').append(std::to_string(f.count));
  return kept;
}

std::optional<LineFault> PendingLineFault(const KeyValues& state) {
  return Kept(Get(state, std::string("fault.") + kLine));
}

std::optional<LineFault> TakeLineFault(KeyValues& state) {
  auto taken = TakeFault(state, kLine);
  auto fault = taken ? Kept(*taken) : std::nullopt;
  // Unplugged stays unplugged; the others hit as many frames as they were given.
  if (fault && (fault->kind == LineFault::kUnplug || fault->count > 1)) {
    LineFault rest = *fault;
    if (rest.kind != LineFault::kUnplug) --rest.count;
    SetFault(state, kLine, FormatLineFault(rest));
  }
  return fault;
}

std::optional<std::string> Script(std::span<const std::string> args, const std::string& model,
                                  KeyValues& state, std::string* problem) {
  std::optional<unsigned long> skip = 0;
  if (!args.empty() && args.back().rfind("skip=", 0) == 0) {
    skip = base::ParseDecimal(std::string_view(args.back()).substr(5), kMaxCount);
    if (!skip) return Refuse(problem, "skip=N needs a count, 0 to 1000");
    args = args.first(args.size() - 1);
  }
  std::optional<Scripted> f;
  if (!args.empty() && args[0] == kLine) {
    if (auto line = ParseLineFault(args.subspan(1), problem))
      f = Scripted{FormatLineFault(*line), Said(*line)};
  } else if (args.size() == 1 && args[0] == kClear) {
    ClearFaults(state);
    return "no fault scripted";
  } else if (args.empty() || args.size() > 2) {
    return Refuse(problem, "fault needs a port and what fails");
  } else {
    f = DeviceFault(model, args[0], args.size() == 2 ? args[1] : "", problem);
  }
  if (!f) return std::nullopt;
  SetFault(state, args[0], f->value, static_cast<unsigned>(*skip));
  return *skip > 0 ? f->said + " after " + std::to_string(*skip) + " passed by" : f->said;
}

}  // namespace simdev::faults
