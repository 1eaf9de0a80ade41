// Holders for key material (typed key texts and the bytes converted from them) that wipe it
// when they go, whatever way the command ends: after the exchange, on a refused field, or on
// CANCEL.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "eft/Frames.h"
#include "ui/Ui.h"
#include "ui/Wipe.h"

namespace wnt43sup {

template <std::size_t N>
struct KeyBytes {
  std::array<std::uint8_t, N> bytes{};
  KeyBytes() = default;
  KeyBytes(const KeyBytes&) = delete;
  KeyBytes& operator=(const KeyBytes&) = delete;
  ~KeyBytes() { ui::WipeBytes(bytes.data(), bytes.size()); }
};

// The texts typed into a key dialog, or nothing after CANCEL.
class KeyTexts {
 public:
  explicit KeyTexts(ui::EntryResult typed) : typed_(std::move(typed)) {}
  KeyTexts(const KeyTexts&) = delete;
  KeyTexts& operator=(const KeyTexts&) = delete;
  ~KeyTexts() { Wipe(); }

  bool Cancelled() const { return !typed_; }
  // The text of field `i`; a field the Ui did not hand over counts as empty.
  std::string& operator[](std::size_t i) {
    if (typed_->size() <= i) typed_->resize(i + 1);
    return (*typed_)[i];
  }
  void Wipe() {
    if (!typed_) return;
    for (std::string& text : *typed_) ui::WipeText(text);
  }

 private:
  ui::EntryResult typed_;
};

}  // namespace wnt43sup
