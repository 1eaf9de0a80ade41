// The command exchange with the 8343 (open, write one frame, read the answer, close), the
// port selection it obeys, the response buffer and the positions of the response fields.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "eft/EftApi.h"

namespace eft {

inline constexpr std::size_t kResponseBufferSize = 200;
// One per program, alive for the whole run; every exchange reads into it from byte 0.
using ResponseBuffer = std::array<std::uint8_t, kResponseBufferSize>;

// Which open an exchange uses: EftOpenParms with `port` when `portEntered`, else EftOpen.
struct PortSelection {
  bool portEntered = false;
  std::uint16_t port = 0;
};

enum ExchangeResult : int {
  kExchangeDone = 0,    // the RC in byte 0 of the response buffer tells the terminal's verdict
  kExchangeNoOpen = 1,  // opening the terminal failed
  kExchangeFailed = 2,  // writing, reading or closing failed
};

// Opens the terminal as `ports` says, writes `frame`, reads the answer into `response` with
// capacity 200 and closes. The buffer is cleared first, so bytes the terminal did not send
// read as zeros rather than as the leftovers of an earlier command. A failed write or read
// ends the exchange at once, without a further call on the handle (not even the close: the
// library releases a handle whose write or read failed).
ExchangeResult ExchangeCommand(EftApi& api, const PortSelection& ports,
                               std::span<const std::uint8_t> frame, ResponseBuffer& response);

// Opens as `ports` says (the open both the exchange and the download use).
Status OpenTerminal(EftApi& api, const PortSelection& ports, Handle* handle);

// A field of a response: its first byte and its width.
struct Field {
  std::size_t offset;
  std::size_t width;
};

namespace response {
inline constexpr std::size_t kReturnCode = 0;
// Read Device Information: ASCII text without terminator; a zero byte ends a field early.
inline constexpr Field kSerialNumber{1, 8};
inline constexpr Field kMainMicrocodeVersion{9, 14};
inline constexpr Field kMainApplication{23, 18};
inline constexpr Field kSecurityMicrocodeVersion{41, 14};
inline constexpr Field kSecurityApplication{55, 16};
// Read Device Status.
inline constexpr std::size_t kStatusByte = 1;
inline constexpr Field kResetData{2, 40};
// Read Device Type.
inline constexpr Field kTypeFirstValue{1, 2};
inline constexpr Field kTypeSecondValue{3, 2};
inline constexpr std::size_t kTypeFlags = 5;
inline constexpr std::uint8_t kDualProcessorFlag = 0x02;
// Query Memory CRC.
inline constexpr Field kCrcValue{1, 4};
}  // namespace response

// Labels of the bits of "Device Status Byte 1", index 0 = bit 7.
extern const std::array<const char*, 8> kStatusBitLabels;

// The bytes of a field, for BytesToHex and comparisons.
std::span<const std::uint8_t> FieldBytes(const ResponseBuffer& buffer, Field field);
// A text field as printed with %.Ns: at most `width` characters, ending early at a zero byte.
std::string FieldText(const ResponseBuffer& buffer, Field field);

}  // namespace eft
