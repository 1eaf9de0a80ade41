// Resource ids of the dialog-host test program.
#pragma once

#define IDC_NAME 101
#define IDC_PORT 102
#define IDC_OK 110
#define IDC_CANCEL 111
#define IDC_HELPBUTTON 112
#define IDC_CONFIRM_OK 301
#define IDC_CONFIRM_CANCEL 302
#define IDC_SHOW_NAME 201
#define IDC_SHOW_PORT 202
#define IDC_SHOW_OK 203
