// Every entry dialog of the windowed programs, as each program's own table gives it, with the
// program whose built .EXE holds its template: the dialog host runs them by their place in
// this list, and the test drives and checks them from the same list.
#pragma once

#include <vector>

#include "fiosetup/Dialogs.h"
#include "ui/Ui.h"
#include "wnt43sup/Dialogs.h"
#include "wntdld42/Dialogs.h"

namespace dlghost {

struct ProgramDialog {
  const char* exe;  // beside the host in the bin folder
  ui::EntryDialog dialog;
};

inline std::vector<ProgramDialog> ProgramDialogs() {
  std::vector<ProgramDialog> all = {
      {"WNT43SUP.exe", wnt43sup::CommPortDialog()},
      {"WNT43SUP.exe", wnt43sup::RsaKeyDialog()},
      {"WNT43SUP.exe", wnt43sup::DesKeyPartDialog()},
      {"WNT43SUP.exe", wnt43sup::SerialNumberDialog()},
      {"WNT43SUP.exe", wnt43sup::GenerateCrcDialog()},
      {"WNT43SUP.exe", wnt43sup::QueryCrcDialog()},
      {"WNTDLD42.exe", wntdld42::CommPortDialog()},
  };
  for (const wntdld42::MasterKeyLoad& load : wntdld42::kMasterKeyLoads)
    all.push_back({"WNTDLD42.exe", wntdld42::MasterKeyLoadDialog(load)});
  for (const wntdld42::MasterKeyEntry& entry : wntdld42::kMasterKeyEntries)
    all.push_back({"WNTDLD42.exe", wntdld42::MasterKeyEntryDialog(entry)});
  all.push_back({"WNTDLD42.exe", wntdld42::EncryptionKeyDialog()});
  all.push_back({"WNTDLD42.exe", wntdld42::IcvDialog()});
  all.push_back({"WNTDLD42.exe", wntdld42::VerificationParametersDialog()});
  all.push_back({"FIOSETUP.exe", fiosetup::SubDirDialog()});
  all.push_back({"FIOSETUP.exe", fiosetup::SaveSubDirDialog()});
  return all;
}

}  // namespace dlghost
