// The dialog tables of the support program.
#include "wnt43sup/Dialogs.h"

#include <utility>

#include "wnt43sup/HelpContexts.h"
#include "wnt43sup/HexCrc.h"
#include "wnt43sup/Texts.h"
#include "wnt43sup/WNT43SUP.h"

namespace wnt43sup {

namespace {

// An entry dialog whose HELP opens the program's help file at `context`.
ui::EntryDialog Entry(const char* name, std::vector<ui::Field> fields, int ok, int cancel, int help,
                      unsigned context) {
  return {name, std::move(fields), ok, cancel, help, {kHelpFile, context}};
}

// A field that opens empty and takes its first `take` characters, typing not limited.
ui::Field Typed(int id, std::size_t take) { return {id, take, 0, ""}; }

}  // namespace

ui::EntryDialog CommPortDialog() {
  // The one field with a preset, and the one whose typing is limited.
  return Entry(kCommPort, {{IDC_COMMPORT_PORT, kPortChars, kPortChars, "1"}}, IDC_COMMPORT_OK,
               IDC_COMMPORT_CANCEL, IDC_COMMPORT_HELP, kHelpCommport);
}

ui::EntryDialog RsaKeyDialog() {
  std::vector<ui::Field> fields;
  for (std::size_t i = 0; i < kRsaFieldCount; ++i) {
    fields.push_back(Typed(IDC_LDRSAPK_MODULUS1 + static_cast<int>(i), kRsaFieldChars));
  }
  return Entry(kLdrsapk, std::move(fields), IDC_LDRSAPK_OK, IDC_LDRSAPK_CANCEL, IDC_LDRSAPK_HELP,
               kHelpLdrsapk);
}

ui::EntryDialog DesKeyPartDialog() {
  return Entry(kLddlkp,
               {Typed(IDC_LDDLKP_KEYNUMBER, kDesDigitChars), Typed(IDC_LDDLKP_PART, kDesDigitChars),
                Typed(IDC_LDDLKP_LEFT, kDesHalfChars), Typed(IDC_LDDLKP_RIGHT, kDesHalfChars)},
               IDC_LDDLKP_OK, IDC_LDDLKP_CANCEL, IDC_LDDLKP_HELP, kHelpLddlkp);
}

ui::EntryDialog SerialNumberDialog() {
  return Entry(kLdsn, {Typed(IDC_LDSN_DIGITS, kSerialChars)}, IDC_LDSN_OK, IDC_LDSN_CANCEL,
               IDC_LDSN_HELP, kHelpLdsn);
}

ui::EntryDialog GenerateCrcDialog() {
  return Entry(kGencrc, {Typed(IDC_GENCRC_NAME, kHexNameLength)}, IDC_GENCRC_OK, IDC_GENCRC_CANCEL,
               IDC_GENCRC_HELP, kHelpGencrc);
}

ui::EntryDialog QueryCrcDialog() {
  return Entry(
      kQrymcrc,
      {Typed(IDC_QRYMCRC_ADDRESS, kCrcFieldChars), Typed(IDC_QRYMCRC_LENGTH, kCrcFieldChars)},
      IDC_QRYMCRC_OK, IDC_QRYMCRC_CANCEL, IDC_QRYMCRC_HELP, kHelpQrymcrc);
}

ui::ConfirmDialog RsaKeyWarning() {
  return {kLdrsapkWarning, IDC_LDRSAPKWN_OK, IDC_LDRSAPKWN_CANCEL};
}

ui::ConfirmDialog SerialNumberWarning() { return {kLdsnWarning, IDC_LDSNWN_OK, IDC_LDSNWN_CANCEL}; }

ui::ResultDialog AboutDialog() { return {kAbout, {}, IDC_ABOUT_OK}; }

}  // namespace wnt43sup
