// The download program's run: every printed text, the checks, the download and the report.
#include "wnt43apd/Download.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "base/Number.h"
#include "base/PlainFile.h"
#include "eft/Exchange.h"
#include "eft/Frames.h"

namespace wnt43apd {

namespace {

constexpr const char* kUsage[] = {
    "8343 Application Download Program ended:  Invalid program invocation.\n\n",
    "Valid usage:W43APDL  [drive:path\\]filename.hex [port]\n",
    "   where\n",
    "       filename = file name of device application to be downloaded\n",
    "       port     = serial communications port number (1 to 256)    \n",
    "                  If not provided, the 8343 port value specified in the \n",
    "                  registry is used.  If not specified in the registry, \n",
    "                  then communications port 1 is assumed.              \n",
};

constexpr char kEnded[] = "\n8343 Application Download Program ended:  ";
constexpr char kVerifyInstalled[] =
    "Verify 8343 device-support code is properly installed.  Verify  device\n"
    "is attached to the specified COM port.  Then, retry. \n";
constexpr char kSucceeded[] = "\n\n8343 Application Download Program completed successfully.\n\n";

// What follows kEnded for each result.
std::string FailureText(Result result) {
  switch (result) {
    case kCannotOpen:
      return std::string("Cannot open 8343 device.\n") + kVerifyInstalled;
    case kDeviceTypeError:
      return "Internal error reading device type. \n"
             "Retry after powering device off and on.\n";
    case kProcessorMismatch:
      return "The processor type of the device\n"
             "and the microcode application do not match.  For example, the device is a\n"
             "dual processor device, but the microcode application is for a single processor\n"
             "device.\n";
    case kFileNotOpened:
      return "Cannot open the file specified by parameter 1.\n"
             "Verify the file to be downloaded is in the specified directory.  Then, retry.\n";
    case kNoCommunication:
      return std::string("Cannot communicate with 8343 device.\n") + kVerifyInstalled;
    default:
      return std::string("Internal error.\n") + kVerifyInstalled;
  }
}

// Asks the terminal for its type: kSuccess with `dual` set, kNoCommunication or
// kDeviceTypeError.
Result ReadDeviceType(eft::EftApi& api, const eft::PortSelection& ports,
                      eft::ResponseBuffer& response, bool* dual) {
  if (eft::ExchangeCommand(api, ports, eft::ReadDeviceTypeFrame().Bytes(), response) !=
      eft::kExchangeDone)
    return kNoCommunication;
  constexpr std::uint8_t kFirst[] = {0x00, 0x02};
  constexpr std::uint8_t kSecond[] = {0x00, 0x01};
  auto first = eft::FieldBytes(response, eft::response::kTypeFirstValue);
  auto second = eft::FieldBytes(response, eft::response::kTypeSecondValue);
  if (response[eft::response::kReturnCode] != 0 ||
      std::memcmp(first.data(), kFirst, sizeof kFirst) != 0 ||
      std::memcmp(second.data(), kSecond, sizeof kSecond) != 0)
    return kDeviceTypeError;
  *dual = (response[eft::response::kTypeFlags] & eft::response::kDualProcessorFlag) != 0;
  return kSuccess;
}

void PrintIdentification(eft::EftApi& api, const eft::PortSelection& ports,
                         eft::ResponseBuffer& response, Output& out) {
  if (eft::ExchangeCommand(api, ports, eft::ReadDeviceInformationFrame().Bytes(), response) !=
      eft::kExchangeDone)
    return;
  namespace r = eft::response;
  const std::pair<const char*, eft::Field> lines[] = {
      {"8343 Device Serial Number:  ", r::kSerialNumber},
      {"Main Processor Microcode Version:  ", r::kMainMicrocodeVersion},
      {"Main Processor Application:  ", r::kMainApplication},
      {"Security Processor Microcode Version:  ", r::kSecurityMicrocodeVersion},
      {"Security Processor Application:  ", r::kSecurityApplication},
  };
  for (const auto& [label, field] : lines)
    out.Write(std::string(label) + eft::FieldText(response, field) + "\n");
}

}  // namespace

Result CheckHexTag(const std::string& path, bool dualProcessor) {
  // A device name (COM1, NUL, CON ...) is not a file: reading a port or the console for a
  // ':' would never end.
  base::File file = base::OpenPlainFile(path, true);
  if (!file) return kFileNotOpened;
  std::FILE* f = file.get();
  // The first record begins at the first character; the tag is the load-address field of
  // the second record. A file that ends early, or shows no second record within the length
  // of the longest first record, can never match.
  if (std::fgetc(f) == EOF) return kProcessorMismatch;
  std::size_t read = 1;
  int c;
  do {
    c = std::fgetc(f);
    if (c == EOF || ++read > kTagSearchLimit) return kProcessorMismatch;
  } while (c != ':');
  char tag[4];
  for (int i = 0; i < 2 + 4; ++i) {
    c = std::fgetc(f);
    if (c == EOF) return kProcessorMismatch;
    if (i >= 2) tag[i - 2] = static_cast<char>(c);
  }
  const char* expected = dualProcessor ? "4000" : "7000";
  return std::memcmp(tag, expected, 4) == 0 ? kSuccess : kProcessorMismatch;
}

Result Run(std::span<const std::string> args, eft::EftApi& api, ui::Pause& pause, Output& out) {
  if (args.size() != 1 && args.size() != 2) {
    for (const char* line : kUsage) out.Write(line);
    return kUsageExitStatus;
  }
  const std::string& hexFile = args[0];
  eft::PortSelection ports;
  if (args.size() == 2) {
    ports.portEntered = true;
    // Read as C's atoi reads it; a number beyond the port numbers gives 0, which names no
    // port, instead of wrapping onto another port's number.
    ports.port = static_cast<std::uint16_t>(base::AtoiInRange(args[1], 0xFFFF));
  }
  eft::ResponseBuffer response{};

  bool dual = false;
  Result result = ReadDeviceType(api, ports, response, &dual);
  if (result == kSuccess) result = CheckHexTag(hexFile, dual);
  if (result == kSuccess) {
    eft::Handle handle = 0;
    if (eft::OpenTerminal(api, ports, &handle) != 0) {
      result = kCannotOpen;
    } else {
      result = api.EftDload(handle, hexFile.c_str());
      api.EftClose(handle);  // its result does not change the download's
    }
  }

  if (result == kSuccess) {
    pause.Wait(kPauseAfterDownloadMs);
    out.Write(kSucceeded);
    PrintIdentification(api, ports, response, out);
  } else {
    out.Write(kEnded + FailureText(result));
  }
  return result;
}

}  // namespace wnt43apd
