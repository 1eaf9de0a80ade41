// The emulated 8343 EFT terminal: its state as kept in its state file, and its answers to
// the command frames it receives.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "simdev/IntelHex.h"
#include "simdev/State.h"

namespace simdev {

inline constexpr char kModel8343[] = "8343";

// Return codes the terminal answers with.
namespace rc8343 {
inline constexpr std::uint8_t kOk = 0x00;
inline constexpr std::uint8_t kUnknownCommand = 0x01;
inline constexpr std::uint8_t kDataLength = 0x02;
inline constexpr std::uint8_t kInvalidValue = 0x04;
inline constexpr std::uint8_t kSequence = 0x06;  // a once-only setting that is already set
inline constexpr std::uint8_t kCard = 0x07;      // eject without a card
}  // namespace rc8343

struct Terminal8343 {
  std::uint16_t port = 0;
  int processors = 2;
  // Identity. An empty serial number has not been loaded and answers as zero bytes.
  std::string serial;
  std::string mainMicrocode;
  std::string mainApplication;
  std::string securityMicrocode;
  std::string securityApplication;
  std::uint8_t statusBits = 0;                    // Device Status Byte 1 apart from kCardPresentBit
  std::optional<std::vector<std::uint8_t>> card;  // response-to-reset data of the inserted card
  std::string rsaKey;                             // digest, empty when none was loaded
  std::map<std::string, std::string> desKeyParts;  // "key.part" -> digest
  std::unique_ptr<MemoryImage> image;              // the downloaded application, if any

  // Widths of the identification fields in the Read Device Information answer.
  static constexpr std::size_t kSerialWidth = 8, kMainMicrocodeWidth = 14,
                               kMainApplicationWidth = 18, kSecurityMicrocodeWidth = 14,
                               kSecurityApplicationWidth = 16, kMaxResetData = 40;
};

// The identification's text fields in the order of the Read Device Information answer, each as
// wide as its place there, by the state file's key (which `simdev set` also takes).
struct TextField {
  const char* key;
  std::size_t width;
  std::string Terminal8343::*member;
};
inline constexpr TextField kTextFields[] = {
    {"serial", Terminal8343::kSerialWidth, &Terminal8343::serial},
    {"main_microcode", Terminal8343::kMainMicrocodeWidth, &Terminal8343::mainMicrocode},
    {"main_application", Terminal8343::kMainApplicationWidth, &Terminal8343::mainApplication},
    {"security_microcode", Terminal8343::kSecurityMicrocodeWidth, &Terminal8343::securityMicrocode},
    {"security_application", Terminal8343::kSecurityApplicationWidth,
     &Terminal8343::securityApplication},
};

// A serial number the terminal takes: 41- and five digits.
bool IsSerialNumber(std::string_view serial);

// Bit 6 of Device Status Byte 1, "Smart Card Present": it follows the card in the slot.
inline constexpr std::uint8_t kCardPresentBit = 0x40;
// Device Status Byte 1 as the terminal answers it: the kept bits, bit 6 from the card.
std::uint8_t StatusByte(const Terminal8343& terminal);

// A newly attached terminal with one or two processors, as its state file holds it; without
// a serial number it has none loaded yet.
KeyValues NewTerminalState(std::uint16_t port, int processors, const std::string& serial = "");
// Reads the terminal's part of a state file; false (with what is wrong) on a damaged one.
bool LoadTerminal(const KeyValues& state, Terminal8343* terminal, std::string* error);
// Writes the terminal's keys into `state`, leaving other keys (scripted faults) alone.
void StoreTerminal(const Terminal8343& terminal, KeyValues* state);

// Carries out one command frame and returns the answer, RC first. Unknown commands answer
// 01, a wrong frame length 02, a bad parameter 04, a second RSA key or serial number 06.
std::vector<std::uint8_t> Execute(Terminal8343& terminal, std::span<const std::uint8_t> frame);

// The bytes of a frame that carry key material (so traces can mask them): [first, end).
std::pair<std::size_t, std::size_t> KeyMaterialRange(std::span<const std::uint8_t> frame);

// What a download of `image` from the file `path` leaves: the image, and the file's base
// name (upper case, no extension, cut to the field) as the main processor application.
void StoreDownload(Terminal8343& terminal, const MemoryImage& image, const std::string& path);

}  // namespace simdev
