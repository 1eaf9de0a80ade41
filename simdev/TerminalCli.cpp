// The simdev command's part for the emulated 8343 EFT terminal.
#include "simdev/TerminalCli.h"

#include <algorithm>
#include <cstdio>

#include "base/Hex.h"
#include "simdev/Terminal8343.h"

namespace simdev {

namespace {

CliResult Attach(std::uint16_t port, std::span<const std::string> options, KeyValues* state) {
  int processors = 2;
  std::string serial;
  for (const std::string& option : options) {
    if (option == "single" || option == "dual") {
      processors = option == "single" ? 1 : 2;
    } else if (option.rfind("serial=", 0) == 0) {
      serial = option.substr(7);
      if (!IsSerialNumber(serial)) return {kCliUsage, "a serial number is 41- and five digits"};
    } else {
      return {kCliUsage, "unknown attach option " + option};
    }
  }
  *state = NewTerminalState(port, processors, serial);
  return {kCliOk, std::string("an 8343 EFT terminal (") + (processors == 1 ? "single" : "dual") +
                      " processor)"};
}

CliResult Set(const std::string& file, KeyValues& state, const std::string& name,
              const std::string& value) {
  Terminal8343 t;
  std::string error;
  if (!LoadTerminal(state, &t, &error)) return {kCliFailed, error};
  CliResult done{kCliOk, name + "=" + value};
  if (name == "status") {
    auto byte = base::ParseHex(value);
    if (!byte || byte->size() != 1) return {kCliUsage, "status is one byte in hexadecimal"};
    // Bit 6 is the card in the slot, which only `simdev card` changes.
    t.statusBits = static_cast<std::uint8_t>((*byte)[0] & ~kCardPresentBit);
    const std::uint8_t answered = StatusByte(t);
    done.said = "status=" + base::BytesToHex({&answered, 1}) +
                " (bit 6, Smart Card Present, follows the card in the slot)";
  } else if (name == "processors") {
    if (value != "1" && value != "2") return {kCliUsage, "processors is 1 or 2"};
    t.processors = value == "1" ? 1 : 2;
  } else {
    const auto* field = std::find_if(std::begin(kTextFields), std::end(kTextFields),
                                     [&](const TextField& f) { return name == f.key; });
    if (field == std::end(kTextFields))
      return {kCliUsage, "no field " + name + " to set on " + file};
    if (value.size() > field->width || !IsValidValue(value))
      return {kCliUsage,
              name + " holds at most " + std::to_string(field->width) + " printable characters"};
    t.*field->member = value;
  }
  StoreTerminal(t, &state);
  return done;
}

CliResult Card(KeyValues& state, std::span<const std::string> args) {
  Terminal8343 t;
  std::string error;
  if (!LoadTerminal(state, &t, &error)) return {kCliFailed, error};
  const bool insert = args[0] == "insert";
  if (!insert && (args[0] != "remove" || args.size() != 1))
    return {kCliUsage, "card needs insert [ATR] or remove"};
  std::optional<std::vector<std::uint8_t>> card;  // none: the slot is empty
  if (insert) {
    card = base::ParseHex(args.size() == 2 ? args[1] : "3B02145011");
    if (!card || card->size() > Terminal8343::kMaxResetData)
      return {kCliUsage, "the response-to-reset data is at most 40 bytes in hexadecimal"};
  }
  t.card = std::move(card);
  StoreTerminal(t, &state);
  return {kCliOk, insert ? "smart card inserted" : "smart card removed"};
}

// The status as the terminal answers it, without the image lines: their ranges instead.
std::string Show(KeyValues& state) {
  Terminal8343 t;
  std::string error;
  const bool loaded = LoadTerminal(state, &t, &error);
  std::erase_if(state, [](const auto& kept) { return kept.first.rfind("image.", 0) == 0; });
  if (!loaded) return "  (" + error + ")\n";
  const std::uint8_t status = StatusByte(t);
  state["status"] = base::BytesToHex({&status, 1});
  if (!t.image) return "  image: none\n";
  std::string line = "  image:";
  std::size_t total = 0;
  for (auto [first, last] : t.image->Ranges()) {
    char range[16];
    std::snprintf(range, sizeof range, " %04X-%04X", static_cast<unsigned>(first),
                  static_cast<unsigned>(last));
    line += range;
    total += last - first + 1;
  }
  return line + " (" + std::to_string(total) + " bytes)\n";
}

}  // namespace

const ModelCli kTerminalCli = {kModel8343, Attach, Set, Card, Show};

}  // namespace simdev
