// Resource header of FIOSETUP: menu command ids and dialog control ids.
// Plain defines, so the resource compiler and the portable core share one set of numbers.
#pragma once

// File menu.
#define IDM_EXIT 100
#define IDM_INSTALL 104
#define IDM_SAVETODISK 105
#define IDM_UPDATE_CONFIGURATION 106
#define IDM_UPDATE_DEVICESUPPORT 107

// Device menu: Add, Delete and Change, each in the order 8341, 8342 MSR, 8342 PIN, 8343.
#define IDM_ADD_8341 200
#define IDM_ADD_8342MSR 201
#define IDM_ADD_8342PIN 202
#define IDM_ADD_8343 203
#define IDM_DELETE_8341 300
#define IDM_DELETE_8342MSR 301
#define IDM_DELETE_8342PIN 302
#define IDM_DELETE_8343 303
#define IDM_CHANGE_8341 400
#define IDM_CHANGE_8342MSR 401
#define IDM_CHANGE_8342PIN 402
#define IDM_CHANGE_8343 403

// Options menu.
#define IDM_OPTION_S 500

// Help menu.
#define IDM_ABOUT 600
#define IDM_HELP_FILE 601
#define IDM_HELP_DEVICE 602
#define IDM_HELP_OPTION 603
#define IDM_HELP_GENERAL 604

// COM port dialog ("ComPort").
#define IDC_COMPORT_LIST 700
#define IDC_COMPORT_OK 701
#define IDC_COMPORT_CANCEL 702

// Directory dialogs ("SubDir" and "SaveSubDir").
#define IDC_SOURCE_DIR 800
#define IDC_TARGET_DIR 801
#define IDC_SAVE_DIR 802
#define IDC_DIR_OK 803
#define IDC_DIR_CANCEL 804

// About dialog ("About").
#define IDC_ABOUT_OK 900
