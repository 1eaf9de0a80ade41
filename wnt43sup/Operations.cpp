// The support program's menu commands.
#include "wnt43sup/Operations.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/Hex.h"
#include "eft/Codes.h"
#include "eft/Frames.h"
#include "wnt43sup/Dialogs.h"
#include "wnt43sup/HelpContexts.h"
#include "wnt43sup/HexCrc.h"
#include "wnt43sup/Texts.h"
#include "wnt43sup/WNT43SUP.h"

namespace wnt43sup {

namespace {

void Tell(const Program& p, const std::string& text, ui::Icon icon) {
  p.ui.ShowMessage({kTitle, text, icon, ui::Buttons::kOk});
}

void TellError(const Program& p, const std::string& text) { Tell(p, text, ui::Icon::kError); }

eft::ExchangeResult Exchange(const Program& p, const eft::Frame& frame) {
  return eft::ExchangeCommand(p.api, p.ports, frame.Bytes(), p.response);
}

struct CommandTexts {
  const char* cannotOpen;
  const char* internal;
  const char* done;
};

// The report of the commands that change the terminal: the exchange's failure in the
// command's own words, the terminal's refusal as its return code, or success without an icon.
void ReportCommand(const Program& p, eft::ExchangeResult result, const CommandTexts& texts) {
  if (result == eft::kExchangeNoOpen) {
    TellError(p, texts.cannotOpen);
  } else if (result != eft::kExchangeDone) {
    TellError(p, texts.internal);
  } else if (std::uint8_t rc = p.response[eft::response::kReturnCode]; rc != 0) {
    TellError(p, eft::FormatCommandFailed(rc));
  } else {
    Tell(p, texts.done, ui::Icon::kNone);
  }
}

// One decimal digit within [low, high], or nothing. The key number and the part indicator are
// one typed character each; anything but such a digit (empty, blank, sign, letter) is refused.
std::optional<std::uint8_t> Digit(const std::string& text, char low, char high) {
  if (text.empty() || text[0] < low || text[0] > high) return std::nullopt;
  return static_cast<std::uint8_t>(text[0] - '0');
}

// The characters a field gives, should a Ui hand over more than the dialog takes.
std::string_view Take(const std::string& text, std::size_t n) {
  return std::string_view(text).substr(0, n);
}

}  // namespace

std::array<std::uint8_t, 8> SerialNumberFurtherBytes() {
  // The generator of the C standard's example rand(), seeded with the terminal's model number.
  std::uint32_t state = 8343;
  std::array<std::uint8_t, 8> bytes{};
  for (std::uint8_t& b : bytes) {
    state = state * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>((state >> 16) & 0x7FFF);
  }
  return bytes;
}

void LoadClearRsaPrivateKey(const Program& p) {
  for (;;) {
    base::KeyTexts entry = ui::RunKeyEntry(p.ui, RsaKeyDialog());
    if (entry.Cancelled()) return;
    base::KeyBytes<64> modulus;
    base::KeyBytes<64> exponent;
    bool failed = false;
    // Every field is checked, and each failing one has its own box.
    for (std::size_t k = 0; k < kRsaFieldCount; ++k) {
      std::string& text = entry[k];
      bool isModulus = k < kRsaFieldCount / 2;
      std::size_t i = k % (kRsaFieldCount / 2);
      // An underscore in an exponent stands for the digit 0; in the modulus it fails the field.
      if (!isModulus) std::replace(text.begin(), text.end(), '_', '0');
      std::span<std::uint8_t> place(isModulus ? modulus.bytes : exponent.bytes);
      if (!base::ParseHex(Take(text, kRsaFieldChars), place.subspan(8 * i, 8))) {
        TellError(p, kRsaInvalidModulus);
        failed = true;
      }
    }
    if (failed) continue;
    // CANCEL goes back to the entry dialog; a warning that ended otherwise ends the command.
    ui::Answer warned = p.ui.RunConfirm(RsaKeyWarning());
    if (warned == ui::Answer::kCancel) continue;
    if (warned != ui::Answer::kOk) return;
    eft::Frame frame = eft::LoadClearRsaPrivateKeyFrame(modulus.bytes, exponent.bytes);
    ReportCommand(p, Exchange(p, frame), {kRsaCannotOpen, kRsaInternal, kRsaDone});
    return;
  }
}

void LoadClearDesKeyPart(const Program& p) {
  base::KeyTexts entry = ui::RunKeyEntry(p.ui, DesKeyPartDialog());
  if (entry.Cancelled()) return;
  std::optional<std::uint8_t> keyNumber = Digit(entry[0], '0', '7');
  if (!keyNumber) return TellError(p, kDesInvalidKeyNumber);
  std::optional<std::uint8_t> part = Digit(entry[1], '1', '3');
  if (!part) return TellError(p, kDesInvalidPart);
  base::KeyBytes<8> left;
  base::KeyBytes<8> right;
  if (!base::ParseHex(Take(entry[2], kDesHalfChars), left.bytes) ||
      !base::ParseHex(Take(entry[3], kDesHalfChars), right.bytes)) {
    return TellError(p, kDesInvalidKeyPart);
  }
  eft::Frame frame = eft::LoadClearDesKeyPartFrame(*keyNumber, static_cast<std::uint8_t>(*part - 1),
                                                   left.bytes, right.bytes);
  ReportCommand(p, Exchange(p, frame), {kDesCannotOpen, kDesInternal, kDesDone});
}

void LoadDeviceSerialNumber(const Program& p) {
  for (;;) {
    ui::EntryResult typed = p.ui.RunEntry(SerialNumberDialog());
    if (!typed) return;
    std::string digits = typed->empty() ? "" : typed->front().substr(0, kSerialChars);
    std::array<char, 8> serial = {'4', '1', '-', 0, 0, 0, 0, 0};
    std::copy(digits.begin(), digits.end(), serial.begin() + 3);
    // One box for each of the five positions that does not hold a digit, empty ones included.
    bool failed = false;
    for (std::size_t i = 3; i < serial.size(); ++i) {
      if (serial[i] < '0' || serial[i] > '9') {
        TellError(p, kSerialInvalid);
        failed = true;
      }
    }
    if (failed) continue;
    ui::Answer warned = p.ui.RunConfirm(SerialNumberWarning());
    if (warned == ui::Answer::kCancel) continue;
    if (warned != ui::Answer::kOk) return;
    std::array<std::uint8_t, 8> further = SerialNumberFurtherBytes();
    eft::Frame frame = eft::LoadDeviceSerialNumberFrame(serial, further);
    ReportCommand(p, Exchange(p, frame), {kSerialCannotOpen, kSerialInternal, kSerialDone});
    return;
  }
}

void ReadDeviceInformation(const Program& p) {
  eft::ExchangeResult result = Exchange(p, eft::ReadDeviceInformationFrame());
  if (result == eft::kExchangeNoOpen) return TellError(p, kInfoCannotOpen);
  if (result != eft::kExchangeDone) return TellError(p, kInfoInternal);
  // Whatever the return code: the dialog shows it beside whatever the fields hold.
  namespace r = eft::response;
  std::uint8_t rc = p.response[r::kReturnCode];
  p.ui.ShowResult(
      {kDevinfo,
       {{IDC_DEVINFO_RC, eft::FormatReturnCode(rc)},
        {IDC_DEVINFO_RCTEXT, eft::ReturnCodeText(rc)},
        {IDC_DEVINFO_SERIAL, eft::FieldText(p.response, r::kSerialNumber)},
        {IDC_DEVINFO_MAINMICROCODE, eft::FieldText(p.response, r::kMainMicrocodeVersion)},
        {IDC_DEVINFO_MAINAPPLICATION, eft::FieldText(p.response, r::kMainApplication)},
        {IDC_DEVINFO_SECURITYMICROCODE, eft::FieldText(p.response, r::kSecurityMicrocodeVersion)},
        {IDC_DEVINFO_SECURITYAPPLICATION, eft::FieldText(p.response, r::kSecurityApplication)}},
       IDC_DEVINFO_OK});
}

void ReadDeviceStatus(const Program& p) {
  p.response.fill(0);  // what the terminal does not send shows as zeros
  eft::ExchangeResult result = Exchange(p, eft::ReadDeviceStatusFrame());
  if (result == eft::kExchangeNoOpen) return TellError(p, kStatusCannotOpen);
  if (result != eft::kExchangeDone) return TellError(p, kStatusInternal);
  namespace r = eft::response;
  std::uint8_t rc = p.response[r::kReturnCode];
  std::uint8_t status = p.response[r::kStatusByte];
  ui::ResultDialog dialog{kRdstat,
                          {{IDC_RDSTAT_RC, eft::FormatReturnCode(rc)},
                           {IDC_RDSTAT_RCTEXT, eft::ReturnCodeText(rc)},
                           {IDC_RDSTAT_STATUS, eft::FormatReturnCode(status)}},
                          IDC_RDSTAT_OK};
  for (int bit = 7; bit >= 0; --bit) {
    dialog.fields.push_back({IDC_RDSTAT_BIT7 + (7 - bit), (status >> bit) & 1 ? kBitOn : kBitOff});
  }
  std::span<const std::uint8_t> reset = eft::FieldBytes(p.response, r::kResetData);
  for (int group = 0; group < 5; ++group) {
    dialog.fields.push_back(
        {IDC_RDSTAT_RESET1 + group, base::BytesToHex(reset.subspan(8 * group, 8))});
  }
  p.ui.ShowResult(dialog);
}

void EjectCard(const Program& p) {
  ReportCommand(p, Exchange(p, eft::EjectCardFrame()),
                {kEjectCannotOpen, kEjectInternal, kEjectDone});
}

void GenerateCrc(const Program& p) {
  ui::EntryResult typed = p.ui.RunEntry(GenerateCrcDialog());
  if (!typed) return;
  HexCrcOutcome outcome = GenerateHexCrc(typed->empty() ? "" : typed->front());
  if (outcome.error != HexCrcError::kNone) return TellError(p, HexCrcErrorText(outcome.error));
  p.ui.ShowResult({kGencrcResult,
                   {{IDC_GENCRCO_NAME, outcome.texts.name},
                    {IDC_GENCRCO_BEGINNING, outcome.texts.beginning},
                    {IDC_GENCRCO_LENGTH, outcome.texts.length},
                    {IDC_GENCRCO_CRC, outcome.texts.crc}},
                   IDC_GENCRCO_OK});
}

void QueryMemoryCrc(const Program& p) {
  ui::EntryResult typed = p.ui.RunEntry(QueryCrcDialog());
  if (!typed) return;
  typed->resize(2);
  std::string address(Take((*typed)[0], kCrcFieldChars));
  std::string length(Take((*typed)[1], kCrcFieldChars));
  // Four hexadecimal digits each; the length may be anything but 0000, so that a whole
  // application (9000 at 7000, C000 at 4000) can be set beside the CRC of its file.
  std::array<std::uint8_t, 2> addressBytes{};
  if (!base::ParseHex(address, addressBytes)) return TellError(p, kCrcInvalidAddress);
  std::array<std::uint8_t, 2> lengthBytes{};
  if (!base::ParseHex(length, lengthBytes) || (lengthBytes[0] == 0 && lengthBytes[1] == 0)) {
    return TellError(p, kCrcInvalidLength);
  }
  eft::ExchangeResult result = Exchange(p, eft::QueryMemoryCrcFrame(addressBytes, lengthBytes));
  if (result == eft::kExchangeNoOpen) return TellError(p, kCrcCannotOpen);
  if (result != eft::kExchangeDone) return TellError(p, kCrcInternal);
  if (p.response[eft::response::kReturnCode] != 0) return TellError(p, kCrcInvalidParameter);
  p.ui.ShowResult({kQrymcrcResult,
                   {{IDC_QRYMCRCO_ADDRESS, address},
                    {IDC_QRYMCRCO_LENGTH, length},
                    {IDC_QRYMCRCO_CRC,
                     base::BytesToHex(eft::FieldBytes(p.response, eft::response::kCrcValue))}},
                   IDC_QRYMCRCO_OK});
}

void ShowGeneralHelp(const Program& p) { p.ui.ShowHelp({kHelpFile, kHelpGeneral}); }

void ShowAbout(const Program& p) { p.ui.ShowResult(AboutDialog()); }

ui::After RunCommand(const Program& p, int command) {
  switch (command) {
    case IDM_EXIT:
      return ui::After::kClose;
    case IDM_LDRSAPK:
      LoadClearRsaPrivateKey(p);
      break;
    case IDM_LDDLKP:
      LoadClearDesKeyPart(p);
      break;
    case IDM_LDSN:
      LoadDeviceSerialNumber(p);
      break;
    case IDM_DEVINFO:
      ReadDeviceInformation(p);
      break;
    case IDM_RDSTAT:
      ReadDeviceStatus(p);
      break;
    case IDM_EJECT:
      EjectCard(p);
      break;
    case IDM_GENCRC:
      GenerateCrc(p);
      break;
    case IDM_QRYMCRC:
      QueryMemoryCrc(p);
      break;
    case IDM_GENERAL:
      ShowGeneralHelp(p);
      break;
    case IDM_ABOUT:
      ShowAbout(p);
      break;
    default:
      break;
  }
  return ui::After::kNothing;
}

}  // namespace wnt43sup
