// The emulated 8342 PIN pad's state.
#include "simdev/PinPad8342.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "base/Hex.h"
#include "base/Wipe.h"
#include "simdev/Digest.h"

namespace simdev {

namespace {

constexpr char kNone[] = "none";

bool IsDigest(const std::string& text) {
  if (text.size() != 7 + 64 || text.compare(0, 7, "sha256:") != 0) return false;
  return base::ParseHex(text.substr(7)).has_value();
}

// "none" or a digest; false on anything else.
bool ReadDigest(const std::string& text, std::string* digest) {
  if (text == kNone || text.empty()) {
    digest->clear();
    return true;
  }
  if (!IsDigest(text)) return false;
  *digest = text;
  return true;
}

bool ReadByte(const std::string& text, std::uint8_t* value) {
  auto bytes = base::ParseHex(text);
  if (!bytes || bytes->size() != 1) return false;
  *value = (*bytes)[0];
  return true;
}

std::string ByteHex(std::uint8_t b) { return base::BytesToHex({&b, 1}); }

bool ReadMasterKey(const KeyValues& state, const std::string& name, StoredKey* key) {
  if (!ReadDigest(Get(state, name), &key->digest)) return false;
  key->source = key->digest.empty() ? "" : Get(state, name + ".source");
  return true;
}

void WriteMasterKey(KeyValues& s, const std::string& name, const StoredKey& key) {
  s[name] = key.digest.empty() ? kNone : key.digest;
  if (key.digest.empty())
    s.erase(name + ".source");
  else
    s[name + ".source"] = key.source;
}

}  // namespace

KeyValues NewPinPadState(std::uint16_t port, const std::array<std::uint8_t, 8>& serial,
                         const std::string& hardwareVersion) {
  PinPad8342 pad;
  pad.port = port;
  pad.serial = serial;
  pad.hardwareVersion = hardwareVersion;
  KeyValues state;
  StorePinPad(pad, &state);
  return state;
}

bool LoadPinPad(const KeyValues& state, PinPad8342* pad, std::string* error) {
  auto fail = [&](const std::string& what) {
    *error = what;
    return false;
  };
  if (Get(state, "model") != kModel8342) return fail("not an 8342 state file");
  PinPad8342 p;
  auto port = GetNumber(state, "port", 0xFFFF);
  auto entries = GetNumber(state, "entries", std::numeric_limits<unsigned>::max());
  if (!port || !entries) return fail("port and entries must be decimal numbers");
  p.port = static_cast<std::uint16_t>(*port);
  p.entries = static_cast<unsigned>(*entries);
  auto serial = base::ParseHex(Get(state, "serial"));
  if (!serial || serial->size() != 8) return fail("serial must be 8 bytes in hexadecimal");
  std::copy(serial->begin(), serial->end(), p.serial.begin());
  p.hardwareVersion = Get(state, "hardware_version");
  if (p.hardwareVersion.size() > PinPad8342::kMaxHardwareVersion)
    return fail("hardware_version holds at most 31 characters");
  std::string mode = Get(state, "mode");
  if (mode != "encrypted" && mode != "clear") return fail("mode must be encrypted or clear");
  p.encrypted = mode == "encrypted";
  if (!ReadMasterKey(state, "master_key.8", &p.masterKey8) ||
      !ReadMasterKey(state, "master_key.16", &p.masterKey16))
    return fail("a master key must be none or a digest");
  if (!ReadDigest(Get(state, "icv"), &p.icv.digest) ||
      (!p.icv.digest.empty() && !ReadByte(Get(state, "icv.variant"), &p.icv.variant)))
    return fail("icv must be none or a digest with its variant");
  std::string length = Get(state, "pin_length");
  if (length != kNone && !length.empty()) {
    std::uint8_t value = 0;
    if (!ReadByte("0" + length, &value) || length.size() != 1) return fail("pin_length is 0 to F");
    p.pinLength = value;
  }
  if (!ReadDigest(Get(state, "decimalization_table"), &p.decimalizationTable))
    return fail("decimalization_table must be none or a digest");
  for (const auto& [key, value] : state) {
    std::string_view k = key;
    if (k.substr(0, 12) != "working_key." || k.size() != 14) continue;
    std::uint8_t id = 0;
    StoredKey w;
    if (!ReadByte(key.substr(12), &id) || !IsDigest(value) ||
        !ReadByte(Get(state, key + ".variant"), &w.variant))
      return fail("damaged working key " + key);
    w.digest = value;
    p.workingKeys[id] = w;
  }
  *pad = std::move(p);
  return true;
}

void StorePinPad(const PinPad8342& p, KeyValues* state) {
  KeyValues& s = *state;
  for (auto it = s.begin(); it != s.end();)
    it = it->first.rfind("working_key.", 0) == 0 ? s.erase(it) : std::next(it);
  s["model"] = kModel8342;
  s["port"] = std::to_string(p.port);
  s["serial"] = base::BytesToHex({p.serial.data(), p.serial.size()});
  s["hardware_version"] = p.hardwareVersion;
  s["mode"] = p.encrypted ? "encrypted" : "clear";
  WriteMasterKey(s, "master_key.8", p.masterKey8);
  WriteMasterKey(s, "master_key.16", p.masterKey16);
  for (const auto& [id, key] : p.workingKeys) {
    s["working_key." + ByteHex(id)] = key.digest;
    s["working_key." + ByteHex(id) + ".variant"] = ByteHex(key.variant);
  }
  s["icv"] = p.icv.digest.empty() ? kNone : p.icv.digest;
  if (p.icv.digest.empty())
    s.erase("icv.variant");
  else
    s["icv.variant"] = ByteHex(p.icv.variant);
  if (p.pinLength < 0) {
    s["pin_length"] = kNone;
  } else {
    s["pin_length"] = ByteHex(static_cast<std::uint8_t>(p.pinLength & 15)).substr(1);
  }
  s["decimalization_table"] = p.decimalizationTable.empty() ? kNone : p.decimalizationTable;
  s["entries"] = std::to_string(p.entries);
}

std::array<std::uint8_t, 8> CheckValue(std::span<const std::uint8_t> key) {
  std::array<std::uint8_t, 32> digest = Sha256(key);
  std::array<std::uint8_t, 8> value{};
  std::copy_n(digest.begin(), value.size(), value.begin());
  base::WipeBytes(digest);
  return value;
}

void EnteredKey(std::uint16_t port, unsigned entry, std::span<std::uint8_t> key) {
  std::string seed = "8342 entry COM" + std::to_string(port) + " #" + std::to_string(entry);
  std::array<std::uint8_t, 32> digest = Sha256(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(seed.data()), seed.size()));
  std::copy_n(digest.begin(), std::min(key.size(), digest.size()), key.begin());
  base::WipeBytes(digest);
}

}  // namespace simdev
