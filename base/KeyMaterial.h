// Holders for key material (typed key texts and the bytes converted from them) that wipe it
// when they go, whatever way the command ends: after the exchange, on a refused field, or on
// CANCEL. Neither is ever copied or moved, so no second copy is left behind unwiped.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/Wipe.h"

namespace base {

// Key bytes: zero when made, wiped on request once the call that needed them returned, and
// again when they go.
template <std::size_t N>
struct KeyBytes {
  std::array<std::uint8_t, N> bytes{};

  KeyBytes() = default;
  KeyBytes(const KeyBytes&) = delete;
  KeyBytes& operator=(const KeyBytes&) = delete;
  ~KeyBytes() { Wipe(); }

  void Wipe() { WipeBytes(bytes.data(), bytes.size()); }
  std::uint8_t* data() { return bytes.data(); }
  const std::uint8_t* data() const { return bytes.data(); }
  std::span<std::uint8_t> first(std::size_t n) { return std::span<std::uint8_t>(bytes).first(n); }
  static constexpr std::size_t size() { return N; }
};

// Typed texts that may hold key material: wiped on request and when the holder goes. The
// holder takes over a dialog's texts (nothing after CANCEL), one per field of the dialog, a
// field the dialog did not hand over counting as empty. They are copied into buffers of the
// holder's own, sized once, and the dialog's are wiped: a vector that grew or strings that
// moved would leave short texts, held inside the strings themselves, in freed memory.
class KeyTexts {
 public:
  KeyTexts(std::optional<std::vector<std::string>> typed, std::size_t fields) : cancelled_(!typed) {
    if (!typed) return;
    const std::size_t count = std::max(fields, typed->size());
    texts_.reserve(count);
    for (std::string& text : *typed) {
      texts_.push_back(text);
      WipeText(text);
    }
    texts_.resize(count);  // within what was reserved: nothing moves
  }
  KeyTexts(const KeyTexts&) = delete;
  KeyTexts& operator=(const KeyTexts&) = delete;
  ~KeyTexts() { Wipe(); }

  bool Cancelled() const { return cancelled_; }
  std::string& operator[](std::size_t field) { return texts_.at(field); }
  void Wipe() {
    for (std::string& text : texts_) WipeText(text);
  }

 private:
  bool cancelled_;
  std::vector<std::string> texts_;
};

}  // namespace base
