// The operations of WNTDLD42 and its start-up.
#include "wntdld42/Operations.h"

#include <algorithm>
#include <vector>

#include "base/Number.h"
#include "devconfig/DeviceConfig.h"
#include "wntdld42/HexText.h"
#include "wntdld42/WNTDLD42.h"

namespace wntdld42 {

const std::array<MasterKeyLoad, 4> kMasterKeyLoads = {{
    {IDM_LD8MKN, "LD8MKN", kKey8Clear, 16, IDC_LD8MKN_KEY, IDC_LD8MKN_OK, IDC_LD8MKN_CANCEL,
     IDC_LD8MKN_HELP, 20},
    {IDM_LD8MKE, "LD8MKE", kKey8Encrypted, 16, IDC_LD8MKE_KEY, IDC_LD8MKE_OK, IDC_LD8MKE_CANCEL,
     IDC_LD8MKE_HELP, 30},
    {IDM_LD16MKN, "LD16MKN", kKey16Clear, 32, IDC_LD16MKN_KEY, IDC_LD16MKN_OK, IDC_LD16MKN_CANCEL,
     IDC_LD16MKN_HELP, 40},
    {IDM_LD16MKE, "LD16MKE", kKey16Encrypted, 32, IDC_LD16MKE_KEY, IDC_LD16MKE_OK,
     IDC_LD16MKE_CANCEL, IDC_LD16MKE_HELP, 50},
}};

const std::array<MasterKeyEntry, 4> kMasterKeyEntries = {{
    {IDM_ED8MKS, "ED8MKS", kKey8Clear, IDC_ED8MKS_OK, IDC_ED8MKS_CANCEL, IDC_ED8MKS_HELP, 60},
    {IDM_ED8MKD, "ED8MKD", kKey8Encrypted, IDC_ED8MKD_OK, IDC_ED8MKD_CANCEL, IDC_ED8MKD_HELP, 70},
    {IDM_ED16MKS, "ED16MKS", kKey16Clear, IDC_ED16MKS_OK, IDC_ED16MKS_CANCEL, IDC_ED16MKS_HELP, 80},
    {IDM_ED16MKD, "ED16MKD", kKey16Encrypted, IDC_ED16MKD_OK, IDC_ED16MKD_CANCEL, IDC_ED16MKD_HELP,
     90},
}};

namespace {

constexpr char kOpenError[] = "Open 8342 device error: rc      ";
constexpr char kMasterKeyLoadError[] = "Load master key error: rc ";
constexpr char kMasterKeyEntryError[] = "Enter master key error: rc ";
constexpr char kEncryptionKeyError[] = "Load encryption key error: rc ";
constexpr char kIcvError[] = "Load icv error: rc ";
constexpr char kVerifError[] = "Load verification parameters error: rc ";
constexpr char kSetModeError[] = "Set Mode error: rc ";
constexpr char kSerialError[] = "Read serial number error: rc ";
constexpr char kHardwareError[] = "Read hardware version error: rc ";
constexpr std::size_t kShownVersionChars = 14;

ui::Field Typed(int id, std::size_t limit) { return ui::Field{id, limit, limit, ""}; }

ui::EntryDialog Form(const char* name, std::vector<ui::Field> fields, int ok, int cancel, int help,
                     unsigned context) {
  return ui::EntryDialog{name, std::move(fields), ok, cancel, help, {kHelpFile, context}};
}

void Say(ui::Ui& ui, const std::string& text, ui::Icon icon) {
  ui.ShowMessage({kCaption, text, icon, ui::Buttons::Ok});
}

void ShowResponse(ui::Ui& ui, const char* form, int field, int ok, const std::uint8_t* bytes) {
  ui.ShowResult({form, {{field, BytesToHexText(bytes, kResponseSize)}}, ok});
}

// The text typed into the i-th field; a Ui that gave fewer texts gave empty ones.
const std::string& Text(const std::vector<std::string>& typed, std::size_t i) {
  static const std::string kEmpty;
  return i < typed.size() ? typed[i] : kEmpty;
}

// Converts a field that must be exactly `digits` hexadecimal digits; false (nothing written)
// otherwise.
bool TakeHex(const std::string& text, std::size_t digits, std::span<std::uint8_t> out) {
  if (!IsHexText(text, digits)) return false;
  HexTextToBytes(text, out);
  return true;
}

}  // namespace

std::uint16_t PortFromText(std::string_view text) {
  return static_cast<std::uint16_t>(base::AtoiInRange(text.substr(0, 3), 255));
}

void ReportError(ui::Ui& ui, std::string_view prefix, Status code) {
  Say(ui, std::string(prefix) + std::to_string(code), ui::Icon::Error);
}

StartResult OpenPinPad(Program& p, devconfig::Registry& registry,
                       const std::function<void(int x, int y)>& placePointer) {
  Status rc = 0;
  if (devconfig::IsAnySubkeyPresent(registry, {devconfig::kSubkey8342P, devconfig::kSubkey8342M})) {
    rc = p.api.PinOpen(&p.handle);
  } else {
    if (placePointer) placePointer(kPromptPointerX, kPromptPointerY);
    // The port field opens holding 1.
    ui::EntryDialog prompt = Form("COMMPORT", {ui::Field{IDC_COMMPORT_PORT, 3, 3, "1"}},
                                  IDC_COMMPORT_OK, IDC_COMMPORT_CANCEL, IDC_COMMPORT_HELP, 130);
    ui::EntryResult typed = p.ui.RunEntry(prompt);
    if (!typed) return StartResult::kCancelled;
    rc = p.api.PinOpenParms(&p.handle, PortFromText(Text(*typed, 0)));
  }
  if (rc != 0) {
    ReportError(p.ui, kOpenError, rc);
    return StartResult::kOpenFailed;
  }
  return StartResult::kOpened;
}

void LoadMasterKey(Program& p, const MasterKeyLoad& v) {
  ui::EntryResult typed = p.ui.RunEntry(
      Form(v.form, {Typed(v.fieldId, v.digits)}, v.okId, v.cancelId, v.helpId, v.help));
  if (!typed) return;
  SecretTexts wipeTyped(*typed);
  SecretBytes<16> key;
  if (!TakeHex(Text(*typed, 0), v.digits, key.first(v.digits / 2))) {
    Say(p.ui,
        "Load master key error: the key must be " + std::to_string(v.digits) +
            " hexadecimal digits.",
        ui::Icon::Error);
    return;
  }
  std::uint8_t response[kResponseSize] = {};
  Status rc = p.api.PinLoadMasterKey(p.handle, v.keyType, key.data(), response);
  key.Wipe();
  wipeTyped.Wipe();
  if (rc != 0) return ReportError(p.ui, kMasterKeyLoadError, rc);
  ShowResponse(p.ui, "RETLSNB", IDC_RETLSNB_TEXT, IDC_RETLSNB_OK, response);
}

void EnterMasterKey(Program& p, const MasterKeyEntry& v) {
  if (!p.ui.RunEntry(Form(v.form, {}, v.okId, v.cancelId, v.helpId, v.help))) return;
  std::uint8_t response[kResponseSize] = {};
  Status rc = p.api.PinEnterMasterKey(p.handle, v.keyType, response);
  if (rc != 0) return ReportError(p.ui, kMasterKeyEntryError, rc);
  ShowResponse(p.ui, "RETESNB", IDC_RETESNB_TEXT, IDC_RETESNB_OK, response);
}

void LoadEncryptionKey(Program& p) {
  ui::EntryResult typed = p.ui.RunEntry(
      Form("LDENCK",
           {Typed(IDC_LDENCK_KEY, 16), Typed(IDC_LDENCK_KEYID, 2), Typed(IDC_LDENCK_VARIANT, 2)},
           IDC_LDENCK_OK, IDC_LDENCK_CANCEL, IDC_LDENCK_HELP, 100));
  if (!typed) return;
  SecretTexts wipeTyped(*typed);
  SecretBytes<8> key;
  std::uint8_t keyId = 0, variant = 0;
  const char* refused = nullptr;
  if (!TakeHex(Text(*typed, 0), 16, key.first(8))) {
    refused = "Load encryption key error: the key must be 16 hexadecimal digits.";
  } else if (!TakeHex(Text(*typed, 1), 2, {&keyId, 1})) {
    refused = "Load encryption key error: the key ID must be 2 hexadecimal digits.";
  } else if (!TakeHex(Text(*typed, 2), 2, {&variant, 1})) {
    refused = "Load encryption key error: the variant descriptor must be 2 hexadecimal digits.";
  }
  if (refused) return Say(p.ui, refused, ui::Icon::Error);
  std::uint8_t response[kResponseSize] = {};
  Status rc = p.api.PinLoadKey(p.handle, keyId, variant, key.data(), response);
  key.Wipe();
  wipeTyped.Wipe();
  if (rc != 0) return ReportError(p.ui, kEncryptionKeyError, rc);
  ShowResponse(p.ui, "RETKSNB", IDC_RETKSNB_TEXT, IDC_RETKSNB_OK, response);
}

void LoadIcv(Program& p) {
  ui::EntryResult typed =
      p.ui.RunEntry(Form("LDICV", {Typed(IDC_LDICV_ICV, 16), Typed(IDC_LDICV_VARIANT, 2)},
                         IDC_LDICV_OK, IDC_LDICV_CANCEL, IDC_LDICV_HELP, 110));
  if (!typed) return;
  SecretTexts wipeTyped(*typed);
  SecretBytes<8> icv;
  std::uint8_t variant = 0;
  if (!TakeHex(Text(*typed, 0), 16, icv.first(8)))
    return Say(p.ui, "Load icv error: the ICV must be 16 hexadecimal digits.", ui::Icon::Error);
  if (!TakeHex(Text(*typed, 1), 2, {&variant, 1})) {
    return Say(p.ui, "Load icv error: the variant descriptor must be 2 hexadecimal digits.",
               ui::Icon::Error);
  }
  Status rc = p.api.PinLoadICV(p.handle, variant, icv.data());
  icv.Wipe();
  wipeTyped.Wipe();
  if (rc != 0) return ReportError(p.ui, kIcvError, rc);
  Say(p.ui, "Load icv completed successfully.", ui::Icon::None);
}

void LoadVerificationParameters(Program& p) {
  ui::EntryResult typed =
      p.ui.RunEntry(Form("LDVERP", {Typed(IDC_LDVERP_PINLEN, 1), Typed(IDC_LDVERP_TABLE, 32)},
                         IDC_LDVERP_OK, IDC_LDVERP_CANCEL, IDC_LDVERP_HELP, 120));
  if (!typed) return;
  SecretTexts wipeTyped(*typed);
  // The length is the value of its one digit: "0" and the digit make the byte. An empty or
  // blank field is what the pad's own message names; another character gets a message that
  // says what is wrong with it.
  std::uint8_t pinLength = 0;
  const std::string& length = Text(*typed, 0);
  if (length.find_first_not_of(" \t") == std::string::npos)
    return Say(p.ui, "Parameters may not contain blanks", ui::Icon::Error);
  if (!TakeHex("0" + length, 2, {&pinLength, 1})) {
    return Say(p.ui,
               "Load verification parameters error: the PIN length must be one hexadecimal "
               "digit.",
               ui::Icon::Error);
  }
  SecretBytes<16> table;
  if (!TakeHex(Text(*typed, 1), 32, table.first(16))) {
    return Say(p.ui,
               "Load verification parameters error: the decimalization table must be 32 "
               "hexadecimal digits.",
               ui::Icon::Error);
  }
  Status rc = p.api.PinLoadVerifParms(p.handle, pinLength, table.data());
  table.Wipe();
  wipeTyped.Wipe();
  if (rc != 0) return ReportError(p.ui, kVerifError, rc);
  Say(p.ui, "Load verification parameters completed successfully.", ui::Icon::None);
}

void SetMode(Program& p) {
  // A form that did not end with its OK (it died with the main window) sends nothing, though
  // the clicks made in it still count as the selection.
  if (!p.modeForm.RunSetMode(&p.mode)) return;
  if (p.mode == Mode::kClear) {
    Status rc = p.api.PinSetModeClr(p.handle);
    if (rc != 0) return ReportError(p.ui, kSetModeError, rc);
    return Say(p.ui, "Set Clear Mode completed successfully.", ui::Icon::None);
  }
  if (p.ui.RunConfirm({"SETMDW", IDC_SETMDW_OK, IDC_SETMDW_CANCEL}) != ui::Answer::Ok) return;
  Status rc = p.api.PinSetModeEnc(p.handle);
  if (rc != 0) return ReportError(p.ui, kSetModeError, rc);
  Say(p.ui, "Set Encrypted Mode completed successfully.", ui::Icon::None);
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

void ShowAbout(Program& p) { p.ui.ShowResult({"ABOUT", {}, IDC_ABOUT_OK}); }

void ShowGeneralHelp(Program& p) { p.ui.ShowHelp({kHelpFile, kHelpGeneral}); }

ui::After RunCommand(Program& p, int command) {
  for (const MasterKeyLoad& v : kMasterKeyLoads) {
    if (v.command == command) {
      LoadMasterKey(p, v);
      return ui::After::Nothing;
    }
  }
  for (const MasterKeyEntry& v : kMasterKeyEntries) {
    if (v.command == command) {
      EnterMasterKey(p, v);
      return ui::After::Nothing;
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
      return ui::After::Close;
    default:
      break;
  }
  return ui::After::Nothing;
}

}  // namespace wntdld42
