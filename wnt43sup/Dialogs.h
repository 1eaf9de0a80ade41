// The support program's dialogs as tables for the Ui port: template names, field ids with the
// characters each gives, buttons and help contexts.
#pragma once

#include "ui/Ui.h"

namespace wnt43sup {

// Template names in WNT43SUP.rc.
inline constexpr char kCommPort[] = "COMMPORT";
inline constexpr char kLdrsapk[] = "LDRSAPK";
inline constexpr char kLdrsapkWarning[] = "LDRSAPKWN";
inline constexpr char kLddlkp[] = "LDDLKP";
inline constexpr char kLdsn[] = "LDSN";
inline constexpr char kLdsnWarning[] = "LDSNWN";
inline constexpr char kDevinfo[] = "DEVINFO";
inline constexpr char kRdstat[] = "RDSTAT";
inline constexpr char kGencrc[] = "GENCRC";
inline constexpr char kGencrcResult[] = "GENCRCO";
inline constexpr char kQrymcrc[] = "QRYMCRC";
inline constexpr char kQrymcrcResult[] = "QRYMCRCO";
inline constexpr char kAbout[] = "ABOUT";

// Characters taken from the typed fields.
inline constexpr std::size_t kPortChars = 3;  // also the typing limit of the port field
inline constexpr std::size_t kRsaFieldChars = 16;
inline constexpr std::size_t kRsaFieldCount = 16;  // eight modulus fields, eight exponent fields
inline constexpr std::size_t kDesDigitChars = 1;
inline constexpr std::size_t kDesHalfChars = 16;
inline constexpr std::size_t kSerialChars = 5;
inline constexpr std::size_t kCrcFieldChars = 4;

// Entry dialogs: typed fields start empty, the port field with "1".
ui::EntryDialog CommPortDialog();
ui::EntryDialog RsaKeyDialog();
ui::EntryDialog DesKeyPartDialog();
ui::EntryDialog SerialNumberDialog();
ui::EntryDialog GenerateCrcDialog();
ui::EntryDialog QueryCrcDialog();

// The once-only warnings.
ui::ConfirmDialog RsaKeyWarning();
ui::ConfirmDialog SerialNumberWarning();

// The About box: nothing to fill, closed by its OK.
ui::ResultDialog AboutDialog();

}  // namespace wnt43sup
