/* WNTDLD42.h: the resource header of WNTDLD42, menu commands and the control ids of each
   form. Ids repeat between forms (804 is the key field of LD16MKN and the response field of
   RETLSNB); each form is a dialog of its own, so they never meet. */
#ifndef WNTDLD42_H
#define WNTDLD42_H

/* Menu commands. */
#define IDM_EXIT 100
#define IDM_LOAD_ICV 101
#define IDM_LOAD_VERIF_PARMS 102
#define IDM_SET_MODE 103
#define IDM_READ_SERIAL 104
#define IDM_READ_HW_VERSION 105
#define IDM_LD8MKN 200
#define IDM_LD8MKE 201
#define IDM_LD16MKN 202
#define IDM_LD16MKE 203
#define IDM_LOAD_ENC_KEY 204
#define IDM_ED8MKS 205
#define IDM_ED8MKD 206
#define IDM_ED16MKS 207
#define IDM_ED16MKD 208
#define IDM_ABOUT 1100
#define IDM_HELP_GENERAL 1102

/* LDVERP: PIN verification parameters. */
#define IDC_LDVERP_PINLEN 300
#define IDC_LDVERP_TABLE 301
#define IDC_LDVERP_OK 302
#define IDC_LDVERP_CANCEL 303
#define IDC_LDVERP_HELP 304

/* DEVHV: hardware version. */
#define IDC_DEVHV_TEXT 400
#define IDC_DEVHV_OK 402

/* DEVSN: serial number. */
#define IDC_DEVSN_TEXT 500
#define IDC_DEVSN_OK 501

/* SETMODE and its warning SETMDW. */
#define IDC_SETMODE_ENC 600
#define IDC_SETMODE_CLR 601
#define IDC_SETMODE_OK 602
#define IDC_SETMDW_OK 603
#define IDC_SETMDW_CANCEL 604

/* LDICV: initial chaining value. */
#define IDC_LDICV_ICV 700
#define IDC_LDICV_VARIANT 701
#define IDC_LDICV_OK 702
#define IDC_LDICV_CANCEL 703
#define IDC_LDICV_HELP 704

/* Master-key loads. */
#define IDC_LD8MKN_KEY 800
#define IDC_LD8MKN_OK 801
#define IDC_LD8MKN_CANCEL 802
#define IDC_LD8MKN_HELP 803
#define IDC_LD8MKE_KEY 806
#define IDC_LD8MKE_OK 807
#define IDC_LD8MKE_CANCEL 808
#define IDC_LD8MKE_HELP 809
#define IDC_LD16MKN_KEY 804
#define IDC_LD16MKN_OK 805
#define IDC_LD16MKN_CANCEL 806
#define IDC_LD16MKN_HELP 807
#define IDC_LD16MKE_KEY 800
#define IDC_LD16MKE_OK 801
#define IDC_LD16MKE_CANCEL 802
#define IDC_LD16MKE_HELP 803
#define IDC_RETLSNB_TEXT 804
#define IDC_RETLSNB_OK 805

/* Master-key entries at the PIN pad. */
#define IDC_ED8MKS_OK 900
#define IDC_ED8MKS_CANCEL 901
#define IDC_ED8MKS_HELP 902
#define IDC_ED8MKD_OK 905
#define IDC_ED8MKD_CANCEL 906
#define IDC_ED8MKD_HELP 907
#define IDC_ED16MKS_OK 908
#define IDC_ED16MKS_CANCEL 909
#define IDC_ED16MKS_HELP 910
#define IDC_ED16MKD_OK 911
#define IDC_ED16MKD_CANCEL 912
#define IDC_ED16MKD_HELP 913
#define IDC_RETESNB_TEXT 903
#define IDC_RETESNB_OK 904

/* LDENCK: encryption key, and its response RETKSNB. */
#define IDC_LDENCK_KEY 1000
#define IDC_LDENCK_KEYID 1001
#define IDC_LDENCK_VARIANT 1002
#define IDC_LDENCK_OK 1003
#define IDC_LDENCK_CANCEL 1004
#define IDC_LDENCK_HELP 1005
#define IDC_RETKSNB_TEXT 1006
#define IDC_RETKSNB_OK 1007

/* ABOUT. */
#define IDC_ABOUT_OK 1101

/* COMMPORT: the port prompt. */
#define IDC_COMMPORT_PORT 1200
#define IDC_COMMPORT_OK 1201
#define IDC_COMMPORT_CANCEL 1202
#define IDC_COMMPORT_HELP 1203

#endif /* WNTDLD42_H */
