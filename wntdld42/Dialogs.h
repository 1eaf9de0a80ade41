// The PIN pad key loader's dialogs as tables for the Ui port: template names, field ids with
// the characters each gives, buttons and help contexts.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "ui/Ui.h"

namespace wntdld42 {

// One of the four loads of a master key typed at the workstation.
struct MasterKeyLoad {
  int command;
  const char* form;
  std::uint16_t keyType;
  std::size_t digits;  // 16 or 32: the field's limit and the digits a key needs
  int fieldId, okId, cancelId, helpId;
  unsigned help;
};
// One of the four master-key entries at the PIN pad's own keys.
struct MasterKeyEntry {
  int command;
  const char* form;
  std::uint16_t keyType;
  int okId, cancelId, helpId;
  unsigned help;
};
extern const std::array<MasterKeyLoad, 4> kMasterKeyLoads;
extern const std::array<MasterKeyEntry, 4> kMasterKeyEntries;

// Entry dialogs: each typed field gives as many characters as it takes, the port field opens
// holding 1.
ui::EntryDialog CommPortDialog();
ui::EntryDialog MasterKeyLoadDialog(const MasterKeyLoad& load);
ui::EntryDialog MasterKeyEntryDialog(const MasterKeyEntry& entry);
ui::EntryDialog EncryptionKeyDialog();
ui::EntryDialog IcvDialog();
ui::EntryDialog VerificationParametersDialog();

ui::ConfirmDialog EncryptedModeWarning();
ui::ResultDialog AboutDialog();

}  // namespace wntdld42
