// The operations of WNTDLD42, one per menu command.
#include "wntdld42/Operations.h"

#include <algorithm>
#include <vector>

#include "base/Hex.h"
#include "base/KeyMaterial.h"
#include "wntdld42/Dialogs.h"
#include "wntdld42/HelpContexts.h"
#include "wntdld42/Texts.h"
#include "wntdld42/WNTDLD42.h"

namespace wntdld42 {

namespace {

constexpr std::size_t kShownVersionChars = 14;

void Tell(ui::Ui& ui, const std::string& text, ui::Icon icon) {
  ui.ShowMessage({kCaption, text, icon, ui::Buttons::kOk});
}

void ShowResponse(ui::Ui& ui, const char* form, int field, int ok, const std::uint8_t* bytes) {
  ui.ShowResult({form, {{field, base::BytesToHexText({bytes, kResponseSize})}}, ok});
}

}  // namespace

void ReportError(ui::Ui& ui, std::string_view prefix, Status code) {
  Tell(ui, std::string(prefix) + std::to_string(code), ui::Icon::kError);
}

void LoadMasterKey(Program& p, const MasterKeyLoad& v) {
  base::KeyTexts typed = ui::RunKeyEntry(p.ui, MasterKeyLoadDialog(v));
  if (typed.Cancelled()) return;
  base::KeyBytes<16> key;
  if (!base::ParseHex(typed[0], key.first(v.digits / 2))) {
    Tell(p.ui, kMasterKeyRefusedBefore + std::to_string(v.digits) + kMasterKeyRefusedAfter,
         ui::Icon::kError);
    return;
  }
  std::uint8_t response[kResponseSize] = {};
  Status rc = p.api.PinLoadMasterKey(p.handle, v.keyType, key.data(), response);
  key.Wipe();
  typed.Wipe();
  if (rc != 0) return ReportError(p.ui, kMasterKeyLoadError, rc);
  ShowResponse(p.ui, "RETLSNB", IDC_RETLSNB_TEXT, IDC_RETLSNB_OK, response);
}

void EnterMasterKey(Program& p, const MasterKeyEntry& v) {
  if (!p.ui.RunEntry(MasterKeyEntryDialog(v))) return;
  std::uint8_t response[kResponseSize] = {};
  Status rc = p.api.PinEnterMasterKey(p.handle, v.keyType, response);
  if (rc != 0) return ReportError(p.ui, kMasterKeyEntryError, rc);
  ShowResponse(p.ui, "RETESNB", IDC_RETESNB_TEXT, IDC_RETESNB_OK, response);
}

void LoadEncryptionKey(Program& p) {
  base::KeyTexts typed = ui::RunKeyEntry(p.ui, EncryptionKeyDialog());
  if (typed.Cancelled()) return;
  base::KeyBytes<8> key;
  std::uint8_t keyId = 0, variant = 0;
  const char* refused = nullptr;
  if (!base::ParseHex(typed[0], key.first(8))) {
    refused = kEncryptionKeyRefused;
  } else if (!base::ParseHex(typed[1], {&keyId, 1})) {
    refused = kKeyIdRefused;
  } else if (!base::ParseHex(typed[2], {&variant, 1})) {
    refused = kKeyVariantRefused;
  }
  if (refused) return Tell(p.ui, refused, ui::Icon::kError);
  std::uint8_t response[kResponseSize] = {};
  Status rc = p.api.PinLoadKey(p.handle, keyId, variant, key.data(), response);
  key.Wipe();
  typed.Wipe();
  if (rc != 0) return ReportError(p.ui, kEncryptionKeyError, rc);
  ShowResponse(p.ui, "RETKSNB", IDC_RETKSNB_TEXT, IDC_RETKSNB_OK, response);
}

void LoadIcv(Program& p) {
  base::KeyTexts typed = ui::RunKeyEntry(p.ui, IcvDialog());
  if (typed.Cancelled()) return;
  base::KeyBytes<8> icv;
  std::uint8_t variant = 0;
  if (!base::ParseHex(typed[0], icv.first(8))) return Tell(p.ui, kIcvRefused, ui::Icon::kError);
  if (!base::ParseHex(typed[1], {&variant, 1})) {
    return Tell(p.ui, kIcvVariantRefused, ui::Icon::kError);
  }
  Status rc = p.api.PinLoadICV(p.handle, variant, icv.data());
  icv.Wipe();
  typed.Wipe();
  if (rc != 0) return ReportError(p.ui, kIcvError, rc);
  Tell(p.ui, kIcvLoaded, ui::Icon::kNone);
}

void LoadVerificationParameters(Program& p) {
  base::KeyTexts typed = ui::RunKeyEntry(p.ui, VerificationParametersDialog());
  if (typed.Cancelled()) return;
  // The length is the value of its one digit: "0" and the digit make the byte. An empty or
  // blank field is what the pad's own message names; another character gets a message that
  // says what is wrong with it.
  std::uint8_t pinLength = 0;
  const std::string& length = typed[0];
  if (length.find_first_not_of(" \t") == std::string::npos)
    return Tell(p.ui, kBlankParameters, ui::Icon::kError);
  if (!base::ParseHex("0" + length, {&pinLength, 1})) {
    return Tell(p.ui, kPinLengthRefused, ui::Icon::kError);
  }
  base::KeyBytes<16> table;
  if (!base::ParseHex(typed[1], table.first(16))) {
    return Tell(p.ui, kTableRefused, ui::Icon::kError);
  }
  Status rc = p.api.PinLoadVerifParms(p.handle, pinLength, table.data());
  table.Wipe();
  typed.Wipe();
  if (rc != 0) return ReportError(p.ui, kVerifError, rc);
  Tell(p.ui, kVerifLoaded, ui::Icon::kNone);
}

void SetMode(Program& p) {
  // A form that did not end with its OK (it died with the main window) sends nothing, though
  // the clicks made in it still count as the selection.
  if (!p.modeForm.RunSetMode(&p.mode)) return;
  if (p.mode == Mode::kClear) {
    Status rc = p.api.PinSetModeClr(p.handle);
    if (rc != 0) return ReportError(p.ui, kSetModeError, rc);
    return Tell(p.ui, kClearModeSet, ui::Icon::kNone);
  }
  if (p.ui.RunConfirm(EncryptedModeWarning()) != ui::Answer::kOk) return;
  Status rc = p.api.PinSetModeEnc(p.handle);
  if (rc != 0) return ReportError(p.ui, kSetModeError, rc);
  Tell(p.ui, kEncryptedModeSet, ui::Icon::kNone);
}

void ReadSerialNumber(Program& p) {
  std::uint8_t serial[kResponseSize] = {};
  Status rc = p.api.PinReadSN(p.handle, serial);
  if (rc != 0) return ReportError(p.ui, kSerialError, rc);
  ShowResponse(p.ui, "DEVSN", IDC_DEVSN_TEXT, IDC_DEVSN_OK, serial);
}

std::string HardwareVersionText(const std::uint8_t* buffer, std::size_t size) {
  const std::uint8_t* end = std::find(buffer, buffer + size, 0);
  std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(end - buffer), kShownVersionChars);
  return std::string(reinterpret_cast<const char*>(buffer), n);
}

void ReadHardwareVersion(Program& p) {
  std::uint8_t buffer[kDiagSize] = {};
  Status rc = p.api.PinExecDevDiag(p.handle, kDiagHardwareVersion, buffer);
  if (rc != 0) return ReportError(p.ui, kHardwareError, rc);
  p.ui.ShowResult(
      {"DEVHV", {{IDC_DEVHV_TEXT, HardwareVersionText(buffer, kDiagSize)}}, IDC_DEVHV_OK});
}

void ShowAbout(Program& p) { p.ui.ShowResult(AboutDialog()); }

void ShowGeneralHelp(Program& p) { p.ui.ShowHelp({kHelpFile, kHelpGeneral}); }

ui::After RunCommand(Program& p, int command) {
  for (const MasterKeyLoad& v : kMasterKeyLoads) {
    if (v.command == command) {
      LoadMasterKey(p, v);
      return ui::After::kNothing;
    }
  }
  for (const MasterKeyEntry& v : kMasterKeyEntries) {
    if (v.command == command) {
      EnterMasterKey(p, v);
      return ui::After::kNothing;
    }
  }
  switch (command) {
    case IDM_LOAD_ENC_KEY:
      LoadEncryptionKey(p);
      break;
    case IDM_LOAD_ICV:
      LoadIcv(p);
      break;
    case IDM_LOAD_VERIF_PARMS:
      LoadVerificationParameters(p);
      break;
    case IDM_SET_MODE:
      SetMode(p);
      break;
    case IDM_READ_SERIAL:
      ReadSerialNumber(p);
      break;
    case IDM_READ_HW_VERSION:
      ReadHardwareVersion(p);
      break;
    case IDM_ABOUT:
      ShowAbout(p);
      break;
    case IDM_HELP_GENERAL:
      ShowGeneralHelp(p);
      break;
    case IDM_EXIT:
      return ui::After::kClose;
    default:
      break;
  }
  return ui::After::kNothing;
}

}  // namespace wntdld42
