// The command exchange and response field access.
#include "eft/Exchange.h"

#include <algorithm>

namespace eft {

namespace {
static_assert(response::kSecurityApplication.offset + response::kSecurityApplication.width <=
              kResponseBufferSize);
static_assert(response::kResetData.offset + response::kResetData.width <= kResponseBufferSize);
}  // namespace

const std::array<const char*, 8> kStatusBitLabels = {
    "Motor Timeout Occurred", "Smart Card Present", "T3 Data Present",
    "T2 Data Present",        "T1 Data Present",    "Card Lock Sensor Status",
    "Middle Sensor Status",   "Front Sensor Status"};

Status OpenTerminal(EftApi& api, const PortSelection& ports, Handle* handle) {
  return ports.portEntered ? api.EftOpenParms(handle, ports.port) : api.EftOpen(handle);
}

ExchangeResult ExchangeCommand(EftApi& api, const PortSelection& ports,
                               std::span<const std::uint8_t> frame, ResponseBuffer& response) {
  response.fill(0);
  Handle handle = 0;
  if (OpenTerminal(api, ports, &handle) != 0) return kExchangeNoOpen;
  std::uint16_t count = 0;
  // After a failed write or read no further call is made for the exchange: whether that
  // handle is still open is the library's to say, and the library releases it itself.
  if (api.EftWrite(handle, frame.data(), static_cast<std::uint16_t>(frame.size()), &count) != 0 ||
      api.EftRead(handle, response.data(), kResponseBufferSize, &count) != 0)
    return kExchangeFailed;
  return api.EftClose(handle) == 0 ? kExchangeDone : kExchangeFailed;
}

std::span<const std::uint8_t> FieldBytes(const ResponseBuffer& buffer, Field field) {
  std::size_t offset = std::min(field.offset, buffer.size());
  std::size_t width = std::min(field.width, buffer.size() - offset);
  return std::span<const std::uint8_t>(buffer.data() + offset, width);
}

std::string FieldText(const ResponseBuffer& buffer, Field field) {
  std::string text;
  for (std::uint8_t byte : FieldBytes(buffer, field)) {
    if (byte == 0) break;
    text.push_back(static_cast<char>(byte));
  }
  return text;
}

}  // namespace eft
