// The emulated 8343 EFT terminal.
#include "simdev/Terminal8343.h"

#include <algorithm>

#include "base/Crc16.h"
#include "base/Hex.h"
#include "simdev/Digest.h"

namespace simdev {

namespace {

constexpr char kChunkPrefix[] = "image.";
constexpr std::size_t kChunkSize = 32;
const char* const kPartNames[] = {"first", "middle", "last"};

void AppendField(std::vector<std::uint8_t>& out, const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i)
    out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
}

bool ParseHexWord(const std::string& text, std::uint32_t* value) {
  auto bytes = base::ParseHex(text);
  if (!bytes || bytes->size() != 2) return false;
  *value = static_cast<std::uint32_t>((*bytes)[0]) << 8 | (*bytes)[1];
  return true;
}

}  // namespace

bool IsSerialNumber(std::string_view s) {
  if (s.size() != 8 || s.substr(0, 3) != "41-") return false;
  return std::all_of(s.begin() + 3, s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::uint8_t StatusByte(const Terminal8343& t) {
  return static_cast<std::uint8_t>(t.statusBits | (t.card ? kCardPresentBit : 0));
}

KeyValues NewTerminalState(std::uint16_t port, int processors, const std::string& serial) {
  Terminal8343 t;
  t.port = port;
  t.processors = processors == 1 ? 1 : 2;
  t.serial = serial;
  t.mainMicrocode = "MM 03.20";
  if (t.processors == 2) {
    t.securityMicrocode = "SM 01.10";
    t.securityApplication = "SECURITY 01.00";
  }
  KeyValues state;
  StoreTerminal(t, &state);
  return state;
}

bool LoadTerminal(const KeyValues& state, Terminal8343* t, std::string* error) {
  auto fail = [&](const std::string& what) {
    *error = what;
    return false;
  };
  if (Get(state, "model") != kModel8343) return fail("not an 8343 state file");
  std::string processors = Get(state, "processors");
  if (processors != "1" && processors != "2") return fail("processors must be 1 or 2");
  auto port = GetNumber(state, "port", 0xFFFF);
  if (!port) return fail("port must be a decimal number");
  t->processors = processors[0] - '0';
  t->port = static_cast<std::uint16_t>(*port);
  for (const TextField& f : kTextFields) t->*f.member = Get(state, f.key);
  auto status = base::ParseHex(Get(state, "status"));
  if (!status || status->size() != 1) return fail("status must be one byte in hexadecimal");
  t->statusBits = static_cast<std::uint8_t>((*status)[0] & ~kCardPresentBit);
  std::string card = Get(state, "card");
  if (card == "none") {
    t->card.reset();
  } else {
    auto atr = base::ParseHex(card);
    if (!atr || atr->size() > Terminal8343::kMaxResetData)
      return fail("card must be none or at most 40 bytes in hexadecimal");
    t->card = *atr;
  }
  std::string rsa = Get(state, "rsa_key");
  t->rsaKey = rsa == "none" ? "" : rsa;
  t->desKeyParts.clear();
  t->image.reset();
  for (const auto& [key, value] : state) {
    if (key.rfind("des_key.", 0) == 0) {
      t->desKeyParts[key.substr(8)] = value;
    } else if (key.rfind(kChunkPrefix, 0) == 0) {
      std::uint32_t address;
      auto bytes = base::ParseHex(value);
      if (!ParseHexWord(key.substr(6), &address) || !bytes || bytes->empty() ||
          address + bytes->size() > 0x10000)
        return fail("damaged image line " + key);
      if (!t->image) t->image = std::make_unique<MemoryImage>();
      for (std::size_t i = 0; i < bytes->size(); ++i) {
        t->image->bytes[address + i] = (*bytes)[i];
        t->image->loaded[address + i] = true;
      }
    }
  }
  return true;
}

void StoreTerminal(const Terminal8343& t, KeyValues* state) {
  for (auto it = state->begin(); it != state->end();) {
    bool ours = it->first.rfind("des_key.", 0) == 0 || it->first.rfind(kChunkPrefix, 0) == 0;
    it = ours ? state->erase(it) : std::next(it);
  }
  KeyValues& s = *state;
  s["model"] = kModel8343;
  s["port"] = std::to_string(t.port);
  s["processors"] = std::to_string(t.processors == 1 ? 1 : 2);
  for (const TextField& f : kTextFields) s[f.key] = t.*f.member;
  s["status"] = base::BytesToHex({&t.statusBits, 1});
  s["card"] = t.card ? base::BytesToHex({t.card->data(), t.card->size()}) : "none";
  s["rsa_key"] = t.rsaKey.empty() ? "none" : t.rsaKey;
  for (const auto& [part, digest] : t.desKeyParts) s["des_key." + part] = digest;
  if (t.image) {
    for (auto [first, last] : t.image->Ranges()) {
      for (std::uint32_t a = first; a <= last; a += kChunkSize) {
        std::size_t n = std::min<std::size_t>(kChunkSize, last - a + 1);
        std::uint8_t word[2] = {static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a)};
        s[kChunkPrefix + base::BytesToHex({word, 2})] =
            base::BytesToHex({t.image->bytes.data() + a, n});
      }
    }
  }
}

std::vector<std::uint8_t> Execute(Terminal8343& t, std::span<const std::uint8_t> frame) {
  using namespace rc8343;
  if (frame.empty()) return {kDataLength};
  auto length = [&](std::size_t n) { return frame.size() == n; };
  switch (frame[0]) {
    case 0x00: {  // Read Device Information
      if (!length(1)) return {kDataLength};
      std::vector<std::uint8_t> a{kOk};
      for (const TextField& f : kTextFields) AppendField(a, t.*f.member, f.width);
      return a;
    }
    case 0x01: {  // Read Device Status
      if (!length(1)) return {kDataLength};
      std::vector<std::uint8_t> a{kOk, StatusByte(t)};
      for (std::size_t i = 0; i < Terminal8343::kMaxResetData; ++i)
        a.push_back(t.card && i < t.card->size() ? (*t.card)[i] : 0);
      return a;
    }
    case 0x05:  // Eject Card
      if (!length(1)) return {kDataLength};
      if (!t.card) return {kCard};
      t.card.reset();
      return {kOk};
    case 0x0E:  // Read Device Type
      if (!length(2)) return {kDataLength};
      if (frame[1] != 0x02) return {kInvalidValue};
      return {kOk,  0x00, 0x02,
              0x00, 0x01, static_cast<std::uint8_t>(t.processors == 2 ? 0x02 : 0x00)};
    case 0x82:  // Load Clear RSA Private Key
      if (!length(131)) return {kDataLength};
      if (frame[1] != 0x20 || frame[2] != 0x20) return {kInvalidValue};
      if (!t.rsaKey.empty()) return {kSequence};
      t.rsaKey = KeyDigest(frame.subspan(3, 128));
      return {kOk};
    case 0x83:  // Load Clear DES Key Part
      if (!length(19)) return {kDataLength};
      if (frame[1] > 7 || frame[2] > 2) return {kInvalidValue};
      t.desKeyParts[std::to_string(frame[1]) + "." + kPartNames[frame[2]]] =
          KeyDigest(frame.subspan(3, 16));
      return {kOk};
    case 0x8F:  // Load Device Serial Number
      if (!length(17)) return {kDataLength};
      if (!IsSerialNumber({reinterpret_cast<const char*>(frame.data() + 1), 8}))
        return {kInvalidValue};
      if (!t.serial.empty()) return {kSequence};
      t.serial.assign(frame.begin() + 1, frame.begin() + 9);
      return {kOk};
    case 0xF5: {  // Query Memory CRC
      if (!length(5)) return {kDataLength};
      std::uint32_t address = static_cast<std::uint32_t>(frame[1]) << 8 | frame[2];
      std::uint32_t count = static_cast<std::uint32_t>(frame[3]) << 8 | frame[4];
      if (!t.image || !t.image->Covers(address, count)) return {kInvalidValue};
      std::uint16_t crc =
          base::Crc16Arc(std::span<const std::uint8_t>(t.image->bytes.data() + address, count));
      return {kOk, 0x00, 0x00, static_cast<std::uint8_t>(crc >> 8), static_cast<std::uint8_t>(crc)};
    }
    default:
      return {kUnknownCommand};
  }
}

std::pair<std::size_t, std::size_t> KeyMaterialRange(std::span<const std::uint8_t> frame) {
  if (frame.empty()) return {0, 0};
  std::size_t end = frame.size();
  if (frame[0] == 0x82 && end > 3) return {3, end};
  if (frame[0] == 0x83 && end > 3) return {3, end};
  return {0, 0};
}

void StoreDownload(Terminal8343& t, const MemoryImage& image, const std::string& path) {
  std::size_t slash = path.find_last_of("\\/:");
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) c = '_';
  }
  if (name.size() > Terminal8343::kMainApplicationWidth)
    name.resize(Terminal8343::kMainApplicationWidth);
  t.mainApplication = name;
  if (!t.image) t.image = std::make_unique<MemoryImage>();
  *t.image = image;
}

}  // namespace simdev
