// libFuzzer target: the emulated devices' state files (simdev/State.h) and what reads the
// devices out of them, the 8343 terminal's part (LoadTerminal) and the 8342 PIN pad's
// (LoadPinPad). The input is a state file's bytes. Beyond "no crash":
//   - an accepted file's values are written back (FormatKeyValues, the bytes SaveKeyValues
//     writes) and read again to the same values, never more keys than the file has lines;
//   - a terminal or pad read from them is stored (StoreTerminal, StorePinPad), written, read
//     again and is the same device: what the libraries save they can load again;
//   - the terminal answers the identification, status, type and CRC commands with answers of
//     their fixed lengths;
//   - taking or clearing the scripted faults leaves values that can still be saved.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "simdev/PinPad8342.h"
#include "simdev/State.h"
#include "simdev/Terminal8343.h"
#include "tests/support/Broken.h"

namespace {

using simdev::KeyValues;
using simdev::LoadResult;

using support::Broken;

// Written and read back: what a library saves and then loads.
KeyValues Reread(const KeyValues& values, const char* what) {
  auto text = simdev::FormatKeyValues(values, "fuzz");
  if (!text) Broken(what);
  KeyValues again;
  if (simdev::ParseKeyValues(*text, &again) != LoadResult::kOk) Broken(what);
  return again;
}

bool SameImage(const simdev::Terminal8343& a, const simdev::Terminal8343& b) {
  if (!a.image || !b.image) return !a.image && !b.image;
  return std::memcmp(&a.image->loaded, &b.image->loaded, sizeof a.image->loaded) == 0 &&
         std::memcmp(a.image->bytes.data(), b.image->bytes.data(), a.image->bytes.size()) == 0;
}

bool Same(const simdev::Terminal8343& a, const simdev::Terminal8343& b) {
  return a.port == b.port && a.processors == b.processors && a.serial == b.serial &&
         a.mainMicrocode == b.mainMicrocode && a.mainApplication == b.mainApplication &&
         a.securityMicrocode == b.securityMicrocode &&
         a.securityApplication == b.securityApplication && a.statusBits == b.statusBits &&
         a.card == b.card && a.rsaKey == b.rsaKey && a.desKeyParts == b.desKeyParts &&
         SameImage(a, b);
}

bool Same(const simdev::StoredKey& a, const simdev::StoredKey& b) {
  return a.digest == b.digest && a.source == b.source && a.variant == b.variant;
}

bool Same(const simdev::PinPad8342& a, const simdev::PinPad8342& b) {
  if (a.workingKeys.size() != b.workingKeys.size()) return false;
  for (auto i = a.workingKeys.begin(), j = b.workingKeys.begin(); i != a.workingKeys.end();
       ++i, ++j) {
    if (i->first != j->first || !Same(i->second, j->second)) return false;
  }
  return a.port == b.port && a.serial == b.serial && a.hardwareVersion == b.hardwareVersion &&
         a.encrypted == b.encrypted && Same(a.masterKey8, b.masterKey8) &&
         Same(a.masterKey16, b.masterKey16) && Same(a.icv, b.icv) && a.pinLength == b.pinLength &&
         a.decimalizationTable == b.decimalizationTable && a.entries == b.entries;
}

void Terminal(const KeyValues& values) {
  simdev::Terminal8343 terminal;
  std::string error;
  if (!simdev::LoadTerminal(values, &terminal, &error)) {
    if (error.empty()) Broken("a refused terminal without a reason");
    return;
  }
  if (terminal.card && terminal.card->size() > simdev::Terminal8343::kMaxResetData)
    Broken("a card with more reset data than the status answer holds");
  KeyValues stored = values;
  simdev::StoreTerminal(terminal, &stored);
  simdev::Terminal8343 again;
  if (!simdev::LoadTerminal(Reread(stored, "a stored terminal cannot be saved"), &again, &error))
    Broken("a stored terminal does not load");
  if (!Same(terminal, again)) Broken("a stored terminal loads as another terminal");

  using Frame = std::vector<std::uint8_t>;
  auto answer = [&](const Frame& frame, std::size_t length) {
    std::vector<std::uint8_t> a = simdev::Execute(again, frame);
    if (a.empty() || (a[0] == simdev::rc8343::kOk && a.size() != length))
      Broken("an answer of the wrong length");
  };
  answer({0x00}, 1 + 8 + 14 + 18 + 14 + 16);
  answer({0x01}, 2 + simdev::Terminal8343::kMaxResetData);
  answer({0x0E, 0x02}, 6);
  if (again.image) {
    // The CRC from the first loaded byte: of one byte, and of everything up to FFFF.
    std::size_t first = again.image->loaded._Find_first();
    for (std::size_t count : {std::size_t{1}, 0xFFFF - first}) {
      answer({0xF5, static_cast<std::uint8_t>(first >> 8), static_cast<std::uint8_t>(first),
              static_cast<std::uint8_t>(count >> 8), static_cast<std::uint8_t>(count)},
             5);
    }
  }
  answer({0x05}, 1);
}

void PinPad(const KeyValues& values) {
  simdev::PinPad8342 pad;
  std::string error;
  if (!simdev::LoadPinPad(values, &pad, &error)) {
    if (error.empty()) Broken("a refused pad without a reason");
    return;
  }
  if (pad.hardwareVersion.size() > simdev::PinPad8342::kMaxHardwareVersion)
    Broken("a hardware version longer than its buffer");
  KeyValues stored = values;
  simdev::StorePinPad(pad, &stored);
  simdev::PinPad8342 again;
  if (!simdev::LoadPinPad(Reread(stored, "a stored pad cannot be saved"), &again, &error))
    Broken("a stored pad does not load");
  if (!Same(pad, again)) Broken("a stored pad loads as another pad");
}

void Faults(const KeyValues& values) {
  KeyValues taken = values;
  for (const auto& [key, value] : values) {
    if (key.rfind("fault.", 0) != 0 || key.size() <= 6) continue;
    std::string name = key.substr(6);
    std::size_t before = taken.size();
    auto fault = simdev::TakeFault(taken, name);
    if (fault && taken.size() >= before) Broken("a taken fault stays");
    if (!fault && taken.size() > before) Broken("a passed fault added keys");
  }
  Reread(taken, "values cannot be saved after the faults were taken");
  KeyValues cleared = values;
  simdev::ClearFaults(cleared);
  for (const auto& [key, value] : cleared)
    if (key.rfind("fault.", 0) == 0) Broken("a fault is left after ClearFaults");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  KeyValues values;
  LoadResult result = simdev::ParseKeyValues(text, &values);
  if (result == LoadResult::kMissing) Broken("bytes read as a missing file");
  if (result != LoadResult::kOk) return 0;
  std::size_t lines = 1;
  for (char c : text) lines += c == '\n';
  if (values.size() > lines) Broken("more values than lines");
  if (Reread(values, "accepted values cannot be written") != values)
    Broken("accepted values read back as others");
  Terminal(values);
  PinPad(values);
  Faults(values);
  return 0;
}
