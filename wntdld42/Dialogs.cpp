// The dialog tables of WNTDLD42.
#include "wntdld42/Dialogs.h"

#include <utility>
#include <vector>

#include "wntdld42/HelpContexts.h"
#include "wntdld42/PinApi.h"
#include "wntdld42/WNTDLD42.h"

namespace wntdld42 {

const std::array<MasterKeyLoad, 4> kMasterKeyLoads = {{
    {IDM_LD8MKN, "LD8MKN", kKey8Clear, 16, IDC_LD8MKN_KEY, IDC_LD8MKN_OK, IDC_LD8MKN_CANCEL,
     IDC_LD8MKN_HELP, kHelpLd8mkn},
    {IDM_LD8MKE, "LD8MKE", kKey8Encrypted, 16, IDC_LD8MKE_KEY, IDC_LD8MKE_OK, IDC_LD8MKE_CANCEL,
     IDC_LD8MKE_HELP, kHelpLd8mke},
    {IDM_LD16MKN, "LD16MKN", kKey16Clear, 32, IDC_LD16MKN_KEY, IDC_LD16MKN_OK, IDC_LD16MKN_CANCEL,
     IDC_LD16MKN_HELP, kHelpLd16mkn},
    {IDM_LD16MKE, "LD16MKE", kKey16Encrypted, 32, IDC_LD16MKE_KEY, IDC_LD16MKE_OK,
     IDC_LD16MKE_CANCEL, IDC_LD16MKE_HELP, kHelpLd16mke},
}};

const std::array<MasterKeyEntry, 4> kMasterKeyEntries = {{
    {IDM_ED8MKS, "ED8MKS", kKey8Clear, IDC_ED8MKS_OK, IDC_ED8MKS_CANCEL, IDC_ED8MKS_HELP,
     kHelpEd8mks},
    {IDM_ED8MKD, "ED8MKD", kKey8Encrypted, IDC_ED8MKD_OK, IDC_ED8MKD_CANCEL, IDC_ED8MKD_HELP,
     kHelpEd8mkd},
    {IDM_ED16MKS, "ED16MKS", kKey16Clear, IDC_ED16MKS_OK, IDC_ED16MKS_CANCEL, IDC_ED16MKS_HELP,
     kHelpEd16mks},
    {IDM_ED16MKD, "ED16MKD", kKey16Encrypted, IDC_ED16MKD_OK, IDC_ED16MKD_CANCEL, IDC_ED16MKD_HELP,
     kHelpEd16mkd},
}};

namespace {

ui::Field Typed(int id, std::size_t limit) { return ui::Field{id, limit, limit, ""}; }

ui::EntryDialog Form(const char* name, std::vector<ui::Field> fields, int ok, int cancel, int help,
                     unsigned context) {
  return ui::EntryDialog{name, std::move(fields), ok, cancel, help, {kHelpFile, context}};
}

}  // namespace

ui::EntryDialog CommPortDialog() {
  return Form("COMMPORT", {ui::Field{IDC_COMMPORT_PORT, 3, 3, "1"}}, IDC_COMMPORT_OK,
              IDC_COMMPORT_CANCEL, IDC_COMMPORT_HELP, kHelpCommport);
}

ui::EntryDialog MasterKeyLoadDialog(const MasterKeyLoad& v) {
  return Form(v.form, {Typed(v.fieldId, v.digits)}, v.okId, v.cancelId, v.helpId, v.help);
}

ui::EntryDialog MasterKeyEntryDialog(const MasterKeyEntry& v) {
  return Form(v.form, {}, v.okId, v.cancelId, v.helpId, v.help);
}

ui::EntryDialog EncryptionKeyDialog() {
  return Form("LDENCK",
              {Typed(IDC_LDENCK_KEY, 16), Typed(IDC_LDENCK_KEYID, 2), Typed(IDC_LDENCK_VARIANT, 2)},
              IDC_LDENCK_OK, IDC_LDENCK_CANCEL, IDC_LDENCK_HELP, kHelpLdenck);
}

ui::EntryDialog IcvDialog() {
  return Form("LDICV", {Typed(IDC_LDICV_ICV, 16), Typed(IDC_LDICV_VARIANT, 2)}, IDC_LDICV_OK,
              IDC_LDICV_CANCEL, IDC_LDICV_HELP, kHelpLdicv);
}

ui::EntryDialog VerificationParametersDialog() {
  return Form("LDVERP", {Typed(IDC_LDVERP_PINLEN, 1), Typed(IDC_LDVERP_TABLE, 32)}, IDC_LDVERP_OK,
              IDC_LDVERP_CANCEL, IDC_LDVERP_HELP, kHelpLdverp);
}

ui::ConfirmDialog EncryptedModeWarning() { return {"SETMDW", IDC_SETMDW_OK, IDC_SETMDW_CANCEL}; }

ui::ResultDialog AboutDialog() { return {"ABOUT", {}, IDC_ABOUT_OK}; }

}  // namespace wntdld42
