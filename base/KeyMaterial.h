// Holders for key material (typed key texts and the bytes converted from them) that wipe it
// when they go, whatever way the command ends: after the exchange, on a refused field, or on
// CANCEL. Neither is ever copied or moved, so no second copy is left behind unwiped.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
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
// holder takes over a dialog's texts (nothing after CANCEL), or watches texts that stay with
// the caller, which must then outlive it.
class KeyTexts {
 public:
  explicit KeyTexts(std::optional<std::vector<std::string>> typed)
      : owned_(typed ? std::move(*typed) : std::vector<std::string>()),
        texts_(typed ? &owned_ : nullptr) {}
  explicit KeyTexts(std::vector<std::string>& texts) : texts_(&texts) {}
  KeyTexts(const KeyTexts&) = delete;
  KeyTexts& operator=(const KeyTexts&) = delete;
  ~KeyTexts() { Wipe(); }

  bool Cancelled() const { return texts_ == nullptr; }
  // The text of field `i`; a field the dialog did not hand over counts as empty. Adding one
  // moves the others, so a reference is good only until the next call.
  std::string& operator[](std::size_t i) {
    if (texts_->size() <= i) Grow(i + 1);
    return (*texts_)[i];
  }
  void Wipe() {
    if (!texts_) return;
    for (std::string& text : *texts_) WipeText(text);
  }

 private:
  // Growing in place would leave the old buffer, with short texts held inside the strings
  // themselves, freed unwiped: the texts are copied over and the old ones wiped first.
  void Grow(std::size_t size) {
    std::vector<std::string> grown;
    grown.reserve(size);
    for (const std::string& text : *texts_) grown.push_back(text);
    Wipe();
    grown.resize(size);
    texts_->swap(grown);
  }

  std::vector<std::string> owned_;  // empty when the holder only watches
  std::vector<std::string>* texts_ = nullptr;
};

}  // namespace base
