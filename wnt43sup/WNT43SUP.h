// Resource header of WNT43SUP: menu command ids, dialog control ids and help contexts.
// Plain defines, so the resource compiler and the portable core share one set of numbers.
#pragma once

// Options menu.
#define IDM_EXIT 100
#define IDM_LDRSAPK 101
#define IDM_LDDLKP 102
#define IDM_LDSN 103
#define IDM_DEVINFO 104
#define IDM_RDSTAT 105
#define IDM_EJECT 106
#define IDM_GENCRC 107
#define IDM_QRYMCRC 108

// Help menu.
#define IDM_ABOUT 1000
#define IDM_GENERAL 1100

// Load Cleartext RSA Private Key ("LDRSAPK"): eight modulus fields, then eight exponent fields.
#define IDC_LDRSAPK_MODULUS1 210
#define IDC_LDRSAPK_MODULUS2 211
#define IDC_LDRSAPK_MODULUS3 212
#define IDC_LDRSAPK_MODULUS4 213
#define IDC_LDRSAPK_MODULUS5 214
#define IDC_LDRSAPK_MODULUS6 215
#define IDC_LDRSAPK_MODULUS7 216
#define IDC_LDRSAPK_MODULUS8 217
#define IDC_LDRSAPK_EXPONENT1 218
#define IDC_LDRSAPK_EXPONENT2 219
#define IDC_LDRSAPK_EXPONENT3 220
#define IDC_LDRSAPK_EXPONENT4 221
#define IDC_LDRSAPK_EXPONENT5 222
#define IDC_LDRSAPK_EXPONENT6 223
#define IDC_LDRSAPK_EXPONENT7 224
#define IDC_LDRSAPK_EXPONENT8 225
#define IDC_LDRSAPK_OK 226
#define IDC_LDRSAPK_CANCEL 229
#define IDC_LDRSAPK_HELP 230

// Its warning ("LDRSAPKWN").
#define IDC_LDRSAPKWN_OK 227
#define IDC_LDRSAPKWN_CANCEL 228

// Load Cleartext Double Length DES Key Part ("LDDLKP").
#define IDC_LDDLKP_KEYNUMBER 310
#define IDC_LDDLKP_PART 311
#define IDC_LDDLKP_LEFT 312
#define IDC_LDDLKP_RIGHT 313
#define IDC_LDDLKP_OK 314
#define IDC_LDDLKP_CANCEL 315
#define IDC_LDDLKP_HELP 316

// Load Device Serial Number ("LDSN") and its warning ("LDSNWN").
#define IDC_LDSN_DIGITS 410
#define IDC_LDSN_OK 411
#define IDC_LDSNWN_OK 412
#define IDC_LDSNWN_CANCEL 413
#define IDC_LDSN_CANCEL 414
#define IDC_LDSN_HELP 415

// 8343 Device Information Response ("DEVINFO"). The main application field is 706.
#define IDC_DEVINFO_OK 501
#define IDC_DEVINFO_RC 502
#define IDC_DEVINFO_RCTEXT 503
#define IDC_DEVINFO_SERIAL 504
#define IDC_DEVINFO_MAINMICROCODE 505
#define IDC_DEVINFO_MAINAPPLICATION 706
#define IDC_DEVINFO_SECURITYMICROCODE 507
#define IDC_DEVINFO_SECURITYAPPLICATION 508

// Read Device Status Response ("RDSTAT"): bits 7 to 0, then the five reset-data groups.
#define IDC_RDSTAT_RC 600
#define IDC_RDSTAT_RCTEXT 601
#define IDC_RDSTAT_STATUS 602
#define IDC_RDSTAT_BIT7 603
#define IDC_RDSTAT_BIT6 604
#define IDC_RDSTAT_BIT5 605
#define IDC_RDSTAT_BIT4 606
#define IDC_RDSTAT_BIT3 607
#define IDC_RDSTAT_BIT2 608
#define IDC_RDSTAT_BIT1 609
#define IDC_RDSTAT_BIT0 610
#define IDC_RDSTAT_RESET1 611
#define IDC_RDSTAT_RESET2 612
#define IDC_RDSTAT_RESET3 613
#define IDC_RDSTAT_RESET4 614
#define IDC_RDSTAT_RESET5 615
#define IDC_RDSTAT_OK 616

// Generate a CRC from an Input HEX File ("GENCRC") and its result ("GENCRCO").
#define IDC_GENCRC_NAME 700
#define IDC_GENCRC_OK 701
#define IDC_GENCRCO_NAME 702
#define IDC_GENCRCO_BEGINNING 703
#define IDC_GENCRCO_LENGTH 704
#define IDC_GENCRCO_CRC 705
#define IDC_GENCRCO_OK 706
#define IDC_GENCRC_CANCEL 707
#define IDC_GENCRC_HELP 708

// Query the CRC of the Device Memory ("QRYMCRC") and its result ("QRYMCRCO").
#define IDC_QRYMCRC_ADDRESS 800
#define IDC_QRYMCRC_LENGTH 801
#define IDC_QRYMCRC_OK 802
#define IDC_QRYMCRCO_ADDRESS 803
#define IDC_QRYMCRCO_LENGTH 804
#define IDC_QRYMCRCO_CRC 805
#define IDC_QRYMCRCO_OK 806
#define IDC_QRYMCRC_CANCEL 807
#define IDC_QRYMCRC_HELP 808

// About box ("ABOUT").
#define IDC_ABOUT_OK 1001

// Enter Communication Port Number ("COMMPORT").
#define IDC_COMMPORT_PORT 1200
#define IDC_COMMPORT_OK 1201
#define IDC_COMMPORT_CANCEL 1202
#define IDC_COMMPORT_HELP 1203
