// The bad input typed into every field of every entry dialog: one table, used by the dialog
// host under Wine (what the control and OK make of it) and by the operations' tests (what
// reaches a device, the registry or a file).
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Ui.h"

namespace uitest {

struct TypedText {
  const char* name;
  std::string text;
};

// `count` valid characters that differ from each other: hexadecimal digits, and the first
// ten are decimal digits (every field takes them, even a directory).
inline std::string Digits(std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += "0123456789ABCDEF"[i % 16];
  return text;
}

// The texts for one field: its take and its typing limit decide the long ones.
inline std::vector<TypedText> TypedTexts(const ui::Field& field) {
  std::string badInMiddle = Digits(std::max<std::size_t>(field.take, 1));
  badInMiddle[badInMiddle.size() / 2] = 'G';
  std::vector<TypedText> texts = {
      {"empty", ""},
      {"blanks", "   "},
      {"take plus one", Digits(field.take + 1)},
      // Bytes above 0x7F, which a signed char reads as negative numbers.
      {"non-ASCII", "\xE9\xFF\x80"},
      {"control characters", std::string("\x01\t\x1B\x7F\0", 5)},
      {"bad character in the middle", badInMiddle},
  };
  if (field.inputLimit > 0 && field.inputLimit != field.take) {
    texts.push_back({"limit plus one", Digits(field.inputLimit + 1)});
  }
  return texts;
}

// One entry of a dialog for the operations' tests: the table's text typed into field `field`,
// the other fields holding their valid texts, and the texts OK takes from them.
struct BadEntry {
  std::size_t field;
  std::string label;  // the field's id and the text's name, for a test's trace
  std::vector<std::string> typed, taken;
};

// Every text of the table in every field of `dialog` in turn, the others holding `valid`.
inline std::vector<BadEntry> BadEntries(const ui::EntryDialog& dialog,
                                        const std::vector<std::string>& valid) {
  std::vector<BadEntry> entries;
  for (std::size_t i = 0; i < dialog.fields.size(); ++i) {
    for (const TypedText& t : TypedTexts(dialog.fields[i])) {
      BadEntry e{i,
                 dialog.name + " field " + std::to_string(dialog.fields[i].id) + " " + t.name,
                 valid,
                 {}};
      e.typed[i] = t.text;
      for (std::size_t j = 0; j < e.typed.size(); ++j)
        e.taken.push_back(ui::TakeField(e.typed[j], dialog.fields[j].take));
      entries.push_back(std::move(e));
    }
  }
  return entries;
}

// What a hexadecimal field's text means: the bytes its digits spell when it is exactly `bytes`
// pairs of digits (either case), first pair first; nothing for any other text.
inline std::optional<std::vector<std::uint8_t>> HexMeaning(std::string_view text,
                                                           std::size_t bytes) {
  if (text.size() != 2 * bytes) return std::nullopt;
  std::vector<std::uint8_t> meant;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const char pair[3] = {text[i], text[i + 1], '\0'};
    if (!std::isxdigit(static_cast<unsigned char>(pair[0])) ||
        !std::isxdigit(static_cast<unsigned char>(pair[1]))) {
      return std::nullopt;
    }
    meant.push_back(static_cast<std::uint8_t>(std::strtoul(pair, nullptr, 16)));
  }
  return meant;
}

// Whether a port number came from the typed text: 0 (no port) or a number whose digits were
// typed, never one made from other characters (a byte above 0x7F read as a negative number).
inline bool PortWasTyped(std::string_view text, unsigned port) {
  return port == 0 || text.find(std::to_string(port)) != std::string_view::npos;
}

}  // namespace uitest
